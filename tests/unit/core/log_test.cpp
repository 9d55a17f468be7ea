// Velloquin.log: where it is written, what its lines look like, its switch,
// its size limit and its writers on several threads.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config/settings.h"
#include "core/log.h"
#include "game_folder.h"
#include "host.h"
#include "file_faults.h"
#include "platform/log_file.h"
#include "platform/win32.h"
#include "shell_folders.h"

namespace {

using namespace Velloquin;

const std::string logFolder = "Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\";
const std::string besideItems = "Data\\QVEX\\Plugins\\Velloquin\\";

class Log : public ::testing::Test {
protected:
    void SetUp() override {
        // A log an earlier case left open (QVEXPlugin_Load starts one) would keep its folder from being emptied.
        StopLog();
        TestHost::ResetWorld();
        TestHost::ClearGameFolder();
    }
    void TearDown() override {
        StopLog();
        TestHost::ResetShellFolders();
    }
    static std::string Read(const std::string& path) { return TestHost::ReadGameFile(path); }
    static std::vector<std::string> Lines(const std::string& path) {
        std::vector<std::string> lines;
        const std::string content = Read(path);
        for (std::size_t at = 0; at < content.size();) {
            const std::size_t end = content.find("\r\n", at);
            if (end == std::string::npos) {
                lines.push_back(content.substr(at) + "(no CR LF)");
                break;
            }
            lines.push_back(content.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
    // The text after the time column.
    static std::string Text(const std::string& line) { return line.size() > 13 ? line.substr(13) : line; }
};

TEST(LogText, NamesTheProfileFolderAndKeepsEveryLineOneLine) {
    const std::string profile = "C:\\Users\\Al";
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"C:\\Users\\Al\\Documents\\My Games", "%USERPROFILE%\\Documents\\My Games"},
        {"log at c:/users/AL/Documents", "log at %USERPROFILE%/Documents"},
        {"C:\\Users\\Al", "%USERPROFILE%"},
        {"(C:\\Users\\Al)", "(%USERPROFILE%)"},
        // Another user whose name starts with the same letters is not this profile.
        {"C:\\Users\\Alice\\Documents", "C:\\Users\\Alice\\Documents"},
        {"two\nlines\r\tand a tab", "two lines  and a tab"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(RedactLogText(c.text, profile, 200), c.shown) << c.text;
    // A trailing separator of the profile folder does not matter.
    EXPECT_EQ(RedactLogText("C:\\Users\\Al\\x", "C:\\Users\\Al\\", 200), "%USERPROFILE%\\x");
    // Cut at the limit, and the cut is marked.
    EXPECT_EQ(RedactLogText("abcdefghij", profile, 4), "abcd...");
    EXPECT_EQ(RedactLogText("abcd", profile, 4), "abcd");
    EXPECT_EQ(RedactLogText("(C:\\Users\\Al", profile, 4), "(...");
    // No profile folder known (the shell names none): nothing is replaced.
    EXPECT_EQ(RedactLogText("C:\\Users\\Al\\x y, (z)", "", 200), "C:\\Users\\Al\\x y, (z)");
}

TEST(LogText, TimeColumnIsSecondsAndMilliseconds) {
    EXPECT_EQ(LogTimeColumn(0), "[     0.000] ");
    EXPECT_EQ(LogTimeColumn(1'234'999'999), "[     1.234] ");
    EXPECT_EQ(LogTimeColumn(3'600'000'000'000), "[  3600.000] ");
    EXPECT_EQ(LogTimeColumn(-5), "[     0.000] ");
}

TEST_F(Log, StartsInTheDocumentsFolderAndKeepsThePreviousLogOnce) {
    TestHost::WriteGameFile(logFolder + "Velloquin.log", "the last start\r\n");
    TestHost::WriteGameFile(logFolder + "Velloquin.old.log", "the start before\r\n");
    StartLog(ReadLogEnabled());
    ASSERT_TRUE(LogActive());
    LogLine("slot %d: %s", 15, "a line");
    EXPECT_EQ(Read(logFolder + "Velloquin.old.log"), "the last start\r\n");
    const auto lines = Lines(logFolder + "Velloquin.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Text(lines[0]), "Velloquin log: %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
    EXPECT_EQ(Text(lines[1]), "slot 15: a line");
    EXPECT_EQ(lines[1].substr(0, 13), "[     0.000] ");
    EXPECT_EQ(LogFileShown(), "%USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
    // No line carries the folder the profile lies in.
    EXPECT_EQ(Read(logFolder + "Velloquin.log").find(TestHost::GameFolder()), std::string::npos);
}

TEST_F(Log, GoesBesideTheItemsFilesOrNowhere) {
    // The log folder cannot be made: a file stands in its place.
    TestHost::WriteGameFile("Users\\Player\\Documents\\My Games\\Halvorine\\QVEX", "");
    TestHost::WriteGameFile(besideItems + ".keep", "");
    StartLog(ReadLogEnabled());
    ASSERT_TRUE(LogActive());
    auto lines = Lines(besideItems + "Velloquin.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Text(lines[1]), "The log is beside the items files: %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX "
                              "cannot be written");

    // No Documents folder at all.
    StopLog();
    TestHost::ClearGameFolder();
    TestHost::SetDocumentsKnown(false);
    TestHost::WriteGameFile(besideItems + ".keep", "");
    StartLog(ReadLogEnabled());
    lines = Lines(besideItems + "Velloquin.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Text(lines[1]), "The log is beside the items files: the shell names no Documents folder");

    // Nor an items folder: no log, and the items folder is not made for it.
    StopLog();
    TestHost::ClearGameFolder();
    StartLog(ReadLogEnabled());
    EXPECT_FALSE(LogActive());
    LogLine("nowhere to go");
    EXPECT_EQ(LogFileShown(), "");
    EXPECT_FALSE(TestHost::GameFileExists(besideItems));
}

TEST_F(Log, TheSettingsTurnItOffAndOn) {
    const struct {
        const char* main;
        const char* custom;
        bool on;
    } cases[] = {
        {"[Log]\nbEnabled=0\n", nullptr, false},
        {nullptr, "[Log]\nbEnabled=0\n", false},
        {"[Log]\nbEnabled=0\n", "[Log]\nbEnabled=1\n", true},
        {"[Log]\nbEnabled=1\n", "[Log]\nbEnabled=0\n", false},
        {"[Log]\nbEnabled=false\n", nullptr, true},  // only 0 and 1 are read
        {"[Log]\nbEnabled=\n", nullptr, true},
        {"[QuickKeys]\nbEnabled=0\n", nullptr, true},
    };
    for (const auto& c : cases) {
        StopLog();
        TestHost::ClearGameFolder();
        if (c.main) TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin.ini", c.main);
        if (c.custom) TestHost::WriteGameFile("Data\\QVEX\\Plugins\\VelloquinCustom.ini", c.custom);
        StartLog(ReadLogEnabled());
        EXPECT_EQ(LogActive(), c.on) << (c.main ? c.main : "") << (c.custom ? c.custom : "");
        // Off at the start: no file is made at all.
        EXPECT_EQ(TestHost::GameFileExists(logFolder + "Velloquin.log"), c.on);
    }

    // Off at the start and on at a game load: the log is made then.
    StopLog();
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin.ini", "[Log]\nbEnabled=0\n");
    StartLog(ReadLogEnabled());
    TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin.ini", "[Log]\nbEnabled=yes\n");
    LoadSettings();
    ASSERT_TRUE(LogActive());
    // On, then off at a game load: one line says so and nothing follows; on again, it goes on.
    TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin.ini", "[Log]\nbEnabled=0\n");
    LoadSettings();
    LogLine("not written");
    TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin.ini", "[Log]\nbEnabled=1\n");
    LoadSettings();
    LogLine("written");
    std::vector<std::string> texts;
    for (const std::string& line : Lines(logFolder + "Velloquin.log")) texts.push_back(Text(line));
    const std::vector<std::string> expected = {
        "Velloquin log: %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log",
        "Settings: read .\\Data\\QVEX\\Plugins\\Velloquin.ini",
        "Settings: Velloquin.ini [Log] bEnabled=yes ignored: only 0 (off) and 1 (on) are read",
        "[Log] bEnabled=0 in the settings: the log stops here.",
        "[Log] bEnabled=1 in the settings: the log goes on.",
        "Settings: read .\\Data\\QVEX\\Plugins\\Velloquin.ini",
        "written",
    };
    EXPECT_EQ(texts, expected);
}

// What the log says the settings did: without either file, where they were
// looked for; a key a chord keeps from binding, which slot's key or chord it is.
TEST_F(Log, SaysWhatTheSettingsDid) {
    const struct {
        const char* main;  // nullptr: no settings file
        std::vector<std::string> lines;  // after the log's first line
    } cases[] = {
        {nullptr,
         {"Settings: neither Velloquin.ini nor VelloquinCustom.ini is in .\\Data\\QVEX\\Plugins\\: every slot shown, "
          "no key bound"}},
        {"[QuickKeys]\niQuickKey12=10\niQuickKey13=70\niQuickKey14=70\niQuickKey15=A2\n"
         "[QuickKeyModifiers]\niQuickKey13=10\niQuickKey14=11\n",
         {"Settings: read .\\Data\\QVEX\\Plugins\\Velloquin.ini",
          "Settings: slot 12 bound to key 0x10 Shift (Velloquin.ini)",
          "Settings: Velloquin.ini [QuickKeys] iQuickKey13=70 ignored: its chord's modifier 0x10 is also the key of slot 12",
          "Settings: slot 14 bound to key 0x70 F1 (Velloquin.ini)",
          "Settings: Velloquin.ini [QuickKeys] iQuickKey15=A2 ignored: the key is also the modifier of slot 14's chord"}},
    };
    for (const auto& c : cases) {
        StopLog();
        TestHost::ClearGameFolder();
        if (c.main) TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin.ini", c.main);
        StartLog(ReadLogEnabled());
        LoadSettings();
        std::vector<std::string> texts;
        for (const std::string& line : Lines(logFolder + "Velloquin.log")) texts.push_back(Text(line));
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(std::vector<std::string>(texts.begin() + 1, texts.end()), c.lines) << (c.main ? c.main : "");
    }
}

TEST_F(Log, StopsAtItsSizeLimitWithOneLineThatSaysSo) {
    StartLog(ReadLogEnabled());
    const std::string filler(200, 'x');
    for (int i = 0; i < 6000; ++i) LogLine("%d %s", i, filler.c_str());
    EXPECT_FALSE(LogActive());
    LogLine("after the limit");
    const std::string content = Read(logFolder + "Velloquin.log");
    EXPECT_LE(content.size(), logSizeLimit);
    EXPECT_GT(content.size(), logSizeLimit - 1000);
    const auto lines = Lines(logFolder + "Velloquin.log");
    EXPECT_EQ(Text(lines.back()),
              "The log has reached its size limit (1 MiB): nothing more is written until the game starts again.");
    // Every line before it is whole.
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) ASSERT_EQ(Text(lines[i]), std::to_string(i - 1) + " " + filler);

    // A line longer than a line may be is cut and marked.
    StartLog(ReadLogEnabled());
    LogLine("%s", std::string(logLineLimit + 50, 'y').c_str());
    const auto cut = Lines(logFolder + "Velloquin.log");
    EXPECT_EQ(Text(cut.back()), std::string(logLineLimit, 'y') + "...");
}

TEST_F(Log, LinesFromSeveralThreadsStayWhole) {
    StartLog(ReadLogEnabled());
    constexpr int threads = 4, perThread = 300;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) LogLine("thread %d line %d of the concurrent writers", t, i);
        });
    // Meanwhile the settings switch the log on (as it is): no line is lost.
    for (int i = 0; i < 50; ++i) SetLogEnabled(true);
    for (std::thread& writer : writers) writer.join();
    const auto lines = Lines(logFolder + "Velloquin.log");
    ASSERT_EQ(lines.size(), 1u + threads * perThread);
    std::vector<int> next(threads, 0);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        int t = -1, n = -1;
        ASSERT_EQ(std::sscanf(Text(lines[i]).c_str(), "thread %d line %d of the concurrent writers", &t, &n), 2)
            << lines[i];
        ASSERT_TRUE(t >= 0 && t < threads);
        EXPECT_EQ(n, next[static_cast<std::size_t>(t)]++) << "lines of one thread keep their order";
    }
}

// Which session each of the log's names holds (the "session N" line in it).
std::map<std::string, int> SessionsByName(const std::string& folder) {
    std::map<std::string, int> sessions;
    for (const char* name : logFileNames) {
        const std::string content = TestHost::ReadGameFile(folder + name);
        const std::size_t at = content.find("session ");
        if (TestHost::GameFileExists(folder + name) && at != std::string::npos)
            sessions[name] = std::atoi(content.c_str() + at + 8);
    }
    return sessions;
}

// The roads on which the last log cannot be moved away: at every start the
// logs of the last two sessions are there, and the last log is never emptied.
TEST_F(Log, TheLastTwoSessionsSurviveAHeldOrUnreplaceableLog) {
    enum Action { Start, HoldLog, ReleaseLog, OldReadOnly };
    using Names = std::map<std::string, int>;
    const struct {
        const char* road;
        std::vector<std::pair<Action, Names>> steps;  // after each start: the session under each name
    } roads[] = {
        {"another program holds Velloquin.log over two starts, then lets go",
         {{Start, {{"Velloquin.log", 1}}},
          {HoldLog, {}},
          {Start, {{"Velloquin.log", 1}, {"Velloquin.new.log", 2}}},
          {Start, {{"Velloquin.log", 1}, {"Velloquin.old.log", 2}, {"Velloquin.new.log", 3}}},
          {ReleaseLog, {}},
          {Start, {{"Velloquin.log", 4}, {"Velloquin.old.log", 3}}},
          {Start, {{"Velloquin.log", 5}, {"Velloquin.old.log", 4}}}}},
        {"Velloquin.old.log is read-only: the two newer names take turns",
         {{Start, {{"Velloquin.log", 1}}},
          {Start, {{"Velloquin.log", 2}, {"Velloquin.old.log", 1}}},
          {OldReadOnly, {}},
          {Start, {{"Velloquin.log", 2}, {"Velloquin.old.log", 1}, {"Velloquin.new.log", 3}}},
          {Start, {{"Velloquin.log", 4}, {"Velloquin.old.log", 1}, {"Velloquin.new.log", 3}}},
          {Start, {{"Velloquin.log", 4}, {"Velloquin.old.log", 1}, {"Velloquin.new.log", 5}}}}},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.road);
        StopLog();
        TestHost::ResetFileFaults();
        TestHost::ClearGameFolder();
        int session = 0;
        for (const auto& [action, expected] : road.steps) {
            if (action == HoldLog) {
                ASSERT_TRUE(TestHost::HoldFile(logFolder + "Velloquin.log"));
            }
            if (action == ReleaseLog) TestHost::ReleaseFile(logFolder + "Velloquin.log");
            if (action == OldReadOnly)
                std::filesystem::permissions(std::filesystem::u8path(TestHost::GameFilePath(logFolder + "Velloquin.old.log")),
                                             std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                                 std::filesystem::perms::others_write,
                                             std::filesystem::perm_options::remove);
            if (action != Start) continue;
            // Sessions are minutes apart in a game: the file system's clock must see them apart here too.
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            StartLog(true);
            ASSERT_TRUE(LogActive());
            LogLine("session %d", ++session);
            EXPECT_EQ(SessionsByName(logFolder), expected) << "after the start of session " << session;
            const bool kept = expected.count("Velloquin.new.log") && expected.at("Velloquin.new.log") == session;
            EXPECT_EQ(LogFileShown(), std::string("%USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\") +
                                          (kept ? "Velloquin.new.log" : "Velloquin.log"));
        }
        StopLog();
        TestHost::ResetFileFaults();
        std::filesystem::permissions(std::filesystem::u8path(TestHost::GameFilePath(logFolder + "Velloquin.old.log")),
                                     std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    }
}

TEST_F(Log, TheLastLogKeptInPlaceIsNamedOnTheNewLogsSecondLine) {
    TestHost::WriteGameFile(logFolder + "Velloquin.log", "the last start\r\n");
    ASSERT_TRUE(TestHost::HoldFile(logFolder + "Velloquin.log"));
    StartLog(true);
    const auto lines = Lines(logFolder + "Velloquin.new.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Text(lines[0]), "Velloquin log: %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.new.log");
    EXPECT_EQ(Text(lines[1]), "The last session's log stays as it is, %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\"
                              "Velloquin.log: another program holds it, or Velloquin.old.log cannot be replaced");
    EXPECT_EQ(Read(logFolder + "Velloquin.log"), "the last start\r\n");
    EXPECT_FALSE(TestHost::GameFileExists(logFolder + "Velloquin.old.log"));
    StopLog();
    TestHost::ResetFileFaults();
}

TEST_F(Log, AFolderNamedLikeTheLogIsNeverTakenForTheLastLog) {
    TestHost::WriteGameFile(logFolder + "Velloquin.log\\inside.txt", "x");
    StartLog(true);
    ASSERT_TRUE(LogActive());
    EXPECT_EQ(Read(logFolder + "Velloquin.log\\inside.txt"), "x");
    EXPECT_FALSE(TestHost::GameFileExists(logFolder + "Velloquin.old.log"));
    EXPECT_EQ(LogFileShown(), "%USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.new.log");
}

TEST_F(Log, ItsFolderProbesLeaveTheThreadsErrorModeAsItWas) {
    DWORD before = 0;
    ASSERT_TRUE(SetThreadErrorMode(0x8000, &before));  // SEM_NOOPENFILEERRORBOX alone
    StartLog(true);
    LogLine("a line");
    EXPECT_TRUE(LogActive());
    EXPECT_EQ(GetThreadErrorMode(), 0x8000u);
    SetThreadErrorMode(before, nullptr);
}

// A start closes the log it had and looks for its place again: one that
// starts with the log off opens it when the settings turn it on.
TEST_F(Log, EachStartBeginsAfresh) {
    StartLog(true);
    ASSERT_TRUE(LogActive());
    StartLog(false);
    EXPECT_FALSE(LogActive());
    EXPECT_EQ(LogFileShown(), "");
    SetLogEnabled(true);
    ASSERT_TRUE(LogActive());
    LogLine("after the switch");
    EXPECT_EQ(Text(Lines(logFolder + "Velloquin.old.log").front()),
              "Velloquin log: %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
    EXPECT_EQ(Text(Lines(logFolder + "Velloquin.log").back()), "after the switch");
}

#ifndef _WIN32
TEST(LogFile, AWriteToAFullDiskFails) {
    const LogFileHandle full = CreateLogFile("/dev/full");
    ASSERT_NE(full, noLogFile);
    EXPECT_FALSE(WriteLogFile(full, "line\r\n", 6));
    CloseLogFile(full);
}

// Every start closes the file of the start before: no descriptor stays open.
TEST_F(Log, StartsLeaveNoFileOpen) {
    const auto openFiles = [] {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) count += !entry.path().empty();
        return count;
    };
    StartLog(true);
    StopLog();
    const int before = openFiles();
    for (int i = 0; i < 20; ++i) {
        StartLog(true);
        LogLine("start %d", i);
    }
    StopLog();
    EXPECT_EQ(openFiles(), before);
}
#endif

}  // namespace
