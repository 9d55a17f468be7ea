// The Linux stand-in in a process that no host loaded (no VelloquinHost_Seam,
// as in velloquin-doctor): the clock is the machine's steady clock, waits take
// real time, and files are written whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "core/state.h"
#include "platform/posix/host_seam.h"
#include "platform/win32.h"

namespace {

TEST(StandInWithoutHost, ThereIsNoSeam) { EXPECT_EQ(VelloquinHost_Seam, nullptr); }

TEST(StandInWithoutHost, TheClockRunsWithTheMachinesClock) {
    const std::int64_t first = Velloquin::SteadyNow();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::int64_t second = Velloquin::SteadyNow();
    EXPECT_GT(first, 0);
    EXPECT_GE(second - first, 20'000'000);
    EXPECT_LT(second - first, 5'000'000'000);
}

TEST(StandInWithoutHost, SleepWaitsAndFilesAreWrittenWhole) {
    const auto before = std::chrono::steady_clock::now();
    Sleep(30);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(30));

    char folder[] = "/tmp/velloquin-no-host-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "\\new.txt";  // a Windows separator, as the plug-in names files
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "QuickKey12 |1|A\r\n", 17, &written, nullptr));
    EXPECT_EQ(written, 17u);
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
    std::FILE* in = std::fopen((std::string(folder) + "/new.txt").c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char bytes[32] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, in), 17u);
    std::fclose(in);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    rmdir(folder);
}

}  // namespace
