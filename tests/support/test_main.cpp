#include <gtest/gtest.h>

#if defined(VELLOQUIN_TEST_HOST)
#include "host.h"
#endif

int main(int argc, char** argv) {
#if defined(VELLOQUIN_TEST_HOST)
    // An end of the process the plug-in asks for fails the program unless a
    // death test expects it (its child runs with GoogleTest's internal flag).
    TestHost::FailUnexpectedEnds(!TestHost::IsDeathTestChild(argc, argv));
#endif
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests re-run the executable: the game image and the plug-in are per process.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
