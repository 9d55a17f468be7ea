// The Linux stand-in in a process that no host loaded (no VelloquinHost_Seam,
// as in velloquin-doctor): the clock is the machine's steady clock, waits take
// real time, and files are written whole.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "core/state.h"
#include "platform/paths.h"
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

// The descriptors this process has open now.
int OpenDescriptors() {
    int count = 0;
    if (DIR* folder = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(folder)) count += entry->d_name[0] != '.';
        closedir(folder);
    }
    return count;
}

// A settings read and a memory query open a file each; none stays open (a
// game reads its settings at every load and the plug-in queries memory at
// every start: a leak would run the process out of descriptors).
TEST(StandInWithoutHost, SettingsReadsAndMemoryQueriesCloseWhatTheyOpen) {
    char folder[] = "/tmp/velloquin-no-host-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/Velloquin.ini";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("[QuickKeys]\niQuickKey12=0x70\n", out);
    std::fclose(out);
    const int before = OpenDescriptors();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 50; ++i) {
        char value[16] = {};
        ASSERT_EQ(GetPrivateProfileStringA("QuickKeys", "iQuickKey12", "", value, sizeof value, path.c_str()), 4u);
        MEMORY_BASIC_INFORMATION info{};
        ASSERT_EQ(VirtualQuery(&info, &info, sizeof info), sizeof info);
        EXPECT_EQ(info.State, MEM_COMMIT);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    std::remove(path.c_str());
    rmdir(folder);
}

// With no display a box fails (0, as MessageBoxA does when it cannot show
// one), and its caption and text go to the error output instead of nowhere.
TEST(StandInWithoutHost, ABoxWritesItsCaptionAndTextToStderrAndFails) {
    ::testing::internal::CaptureStderr();
    const int answer = MessageBoxA(nullptr, "the text", "the caption", MB_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "the caption\nthe text\n");
    EXPECT_EQ(answer, 0);
}

// The failures the plug-in reads back from GetLastError, as Windows gives them.
TEST(StandInWithoutHost, FileCallsFailWithWindowsErrorCodes) {
    char folder[] = "/tmp/velloquin-no-host-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/a.txt";
    const std::string other = std::string(folder) + "/b.txt";
    const std::string sub = std::string(folder) + "/sub";
    for (const std::string& path : {file, other}) {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fclose(out);
    }
    ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
    const std::string readOnly = std::string(folder) + "/ro.txt";
    std::fclose(std::fopen(readOnly.c_str(), "wb"));
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    HANDLE reading = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reading, INVALID_HANDLE_VALUE);
    const struct {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"write to no handle", [] { return WriteFile(nullptr, "x", 1, nullptr, nullptr); }, ERROR_INVALID_PARAMETER},
        {"write to the invalid handle",
         [] { return WriteFile(INVALID_HANDLE_VALUE, "x", 1, nullptr, nullptr); }, ERROR_INVALID_PARAMETER},
        {"write to a handle opened for reading",
         [&] { return WriteFile(reading, "x", 1, nullptr, nullptr); }, ERROR_ACCESS_DENIED},
        {"move onto an existing file without leave to replace",
         [&] { return MoveFileExA(file.c_str(), other.c_str(), 0); }, ERROR_ALREADY_EXISTS},
        {"replace a folder",
         [&] { return BOOL(Velloquin::ReplaceFileInOneStep(file, sub)); }, ERROR_FILE_READ_ONLY},
        {"replace a read-only file",
         [&] { return BOOL(Velloquin::ReplaceFileInOneStep(file, readOnly)); }, ERROR_FILE_READ_ONLY},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_EQ(c.call(), 0) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }
    CloseHandle(reading);
    for (const std::string& path : {file, other, readOnly}) std::remove(path.c_str());
    rmdir(sub.c_str());
    rmdir(folder);
}

// Names are matched ignoring case only where the name as written does not
// exist: of two entries that differ in case, the one named exactly is used.
TEST(StandInWithoutHost, ANameThatExistsAsWrittenIsKeptEvenWhenAnotherDiffersOnlyInCase) {
    char folder[] = "/tmp/velloquin-no-host-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string upper = std::string(folder) + "/AB";
    const std::string lower = std::string(folder) + "/ab";
    for (const std::string& path : {upper, lower}) std::fclose(std::fopen(path.c_str(), "wb"));
    EXPECT_EQ(Velloquin::NativePath(lower), lower);
    EXPECT_EQ(Velloquin::NativePath(upper), upper);
    EXPECT_EQ(Velloquin::NativePath(std::string(folder) + "\\aB"), upper);  // the first in byte order
    for (const std::string& path : {upper, lower}) std::remove(path.c_str());
    rmdir(folder);
}

// A move that writes through opens the file and its folder to push them to
// disk, and closes them again, even as descriptor 0 (a process with no stdin).
TEST(StandInWithoutHost, AWriteThroughMoveLeavesNoDescriptorOpen) {
    char folder[] = "/tmp/velloquin-no-host-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string from = std::string(folder) + "/from.txt";
    const std::string to = std::string(folder) + "/to.txt";
    std::fclose(std::fopen(from.c_str(), "wb"));
    const int savedStdin = dup(0);
    ASSERT_GE(savedStdin, 0);
    close(0);
    const BOOL moved = MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    const bool zeroOpen = fcntl(0, F_GETFD) != -1;
    dup2(savedStdin, 0);
    close(savedStdin);
    EXPECT_NE(moved, 0);
    EXPECT_FALSE(zeroOpen);
    std::remove(to.c_str());
    rmdir(folder);
}

// A write-through move pushes the folder to disk too (the rename lives in the
// folder): the folder itself is opened once the move is made.
TEST(StandInWithoutHost, AWriteThroughMoveOpensTheFolderToSyncIt) {
    char folder[] = "/tmp/velloquin-no-host-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string from = std::string(folder) + "/from.txt";
    const std::string to = std::string(folder) + "/to.txt";
    for (const std::string& path : {from, to}) std::fclose(std::fopen(path.c_str(), "wb"));
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder, IN_OPEN), 0);
    EXPECT_NE(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), 0);
    bool folderOpened = false;
    alignas(inotify_event) char events[4096];
    const ssize_t length = read(watch, events, sizeof events);
    for (ssize_t at = 0; at < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        if ((event->mask & IN_ISDIR) && event->len == 0) folderOpened = true;  // the watched folder itself
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    close(watch);
    EXPECT_TRUE(folderOpened);
    std::remove(to.c_str());
    rmdir(folder);
}

// A signal that interrupts a Sleep does not shorten it.
TEST(StandInWithoutHost, ASignalDoesNotCutASleepShort) {
    struct sigaction action {}, previous{};
    action.sa_handler = [](int) {};
    ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);  // no SA_RESTART: the wait is interrupted
    itimerval timer{};
    timer.it_value.tv_usec = 20'000;
    ASSERT_EQ(setitimer(ITIMER_REAL, &timer, nullptr), 0);
    const auto start = std::chrono::steady_clock::now();
    Sleep(200);
    const auto waited = std::chrono::steady_clock::now() - start;
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(waited, std::chrono::milliseconds(200));
}

// With no host, the end the plug-in asks for after a fatal box is the
// process's end with that exit code.
TEST(StandInWithoutHostDeathTest, TerminateProcessEndsWithItsCode) {
    EXPECT_EXIT(TerminateProcess(GetCurrentProcess(), 7), ::testing::ExitedWithCode(7), "");
    EXPECT_EXIT(TerminateProcess(GetCurrentProcess(), 0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
