// Paths for files a test writes and reads back.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#define VELLOQUIN_GETPID _getpid
#else
#include <unistd.h>
#define VELLOQUIN_GETPID getpid
#endif

inline std::string TempPath(const std::string& name) {
    static std::atomic<int> counter{0};
    const auto path = std::filesystem::temp_directory_path() /
                      ("velloquin-" + std::to_string(VELLOQUIN_GETPID()) + "-" + std::to_string(counter++) + "-" + name);
    return path.string();
}

// The same path in a death test's child as in its parent (the child is a new
// process that runs the test again): named after the running test.
inline std::string DeathTestReportPath() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return (std::filesystem::temp_directory_path() /
            (std::string("velloquin-") + info->test_suite_name() + "-" + info->name() + ".report"))
        .string();
}
