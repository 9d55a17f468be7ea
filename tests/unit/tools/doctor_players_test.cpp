// The doctor and its bundle on a player's PC: game folders and profiles with
// names in any script, a bundle that never replaces a file and names no user,
// the one rule of what an items file is, and the window of a double-clicked
// doctor (through the console seam: a double-click cannot be made here).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include "doctor/bundle.h"
#include "doctor/bundle_output.h"
#include "doctor/command.h"
#include "doctor/findings.h"
#include "base/text.h"
#include "persistence/items_file.h"
#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;
using namespace Velloquin;
using namespace Velloquin::Doctor;

// A folder of each test's own: ctest runs the tests side by side.
fs::path Work() {
    return fs::temp_directory_path() /
           Utf8Path(std::string("velloquin-players-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file below a folder with its bytes: what "nothing changed on disk" compares.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[PathText(entry.path())] = entry.is_regular_file() ? Read(entry.path()) : std::string("<folder>");
    return files;
}

// A game folder with both settings files and an items file, below `game`.
void MakeGame(const fs::path& game) {
    const fs::path plugins = game / "Data" / "QVEX" / "Plugins";
    Write(plugins / "Velloquin.ini", "[QuickKeys]\r\niQuickKey12=70\r\niQuickKey13=71\r\n");
    Write(plugins / "VelloquinCustom.ini", "[QuickKeys]\r\niQuickKey14=72\r\n");
    Write(plugins / "Velloquin" / "VelloquinItems_2A.txt", "QuickKey12 |01A2B3|Halvorine.esm\r\n");
    Write(plugins / "Velloquin" / "VelloquinItems_1F.txt", "QuickKey13 |000D62|Halvorine.esm\r\n");
}

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
    // The wide call: the C library's would take the UTF-8 bytes for the ANSI code page.
    const std::u16string wideName = Utf8ToUtf16(name), wideValue = Utf8ToUtf16(value);
    SetEnvironmentVariableW(reinterpret_cast<const wchar_t*>(wideName.c_str()),
                            value.empty() ? nullptr : reinterpret_cast<const wchar_t*>(wideValue.c_str()));
#else
    setenv(name, value.c_str(), 1);
#endif
}

// The user's profile and name for the process, as Windows gives them.
struct User {
    User(const fs::path& profile, const std::string& name) {
        SetEnvironment("USERPROFILE", PathText(profile));
        SetEnvironment("HOME", PathText(profile));
        SetEnvironment("USERNAME", name);
        SetEnvironment("USER", name);
    }
    ~User() {
        SetEnvironment("USERPROFILE", profile);
        SetEnvironment("USERNAME", userName);
        SetEnvironment("HOME", home);
        SetEnvironment("USER", user);
    }
    std::string profile = EnvironmentText("USERPROFILE"), userName = EnvironmentText("USERNAME");
    std::string home = EnvironmentText("HOME"), user = EnvironmentText("USER");
};

TEST(DoctorPlayers, FindsEverySettingsAndItemsFileBelowAnyFolderName) {
    for (const char* folder : {"Spiele Жизнь/Halvorine", "users/李雷/Games/Halvorine", "users/José Ñúñez/Ёлка"}) {
        fs::remove_all(Work());
        const fs::path game = Work() / Utf8Path(folder);
        MakeGame(game);
        const Findings f = Examine(PathText(game));
        EXPECT_TRUE(f.mainFile && f.customFile) << folder;
        ASSERT_EQ(f.slots.size(), 12u) << folder;
        EXPECT_EQ(f.slots[0].code, 0x70u) << folder;
        EXPECT_EQ(f.slots[2].code, 0x72u) << folder;
        ASSERT_EQ(f.itemsFiles.size(), 2u) << folder;
        EXPECT_EQ(f.itemsFiles[0].name, "VelloquinItems_1F.txt");
        EXPECT_EQ(f.itemsFiles[1].lines.size(), 1u);
        EXPECT_EQ(f.gameFolder, PathText(game.lexically_normal())) << "the folder's name as UTF-8";
    }
    fs::remove_all(Work());
}

TEST(DoctorPlayers, ItemsFilesAreExactlyWhatThePluginOpens) {
    const struct {
        const char* name;
        bool items;
    } names[] = {
        {"VelloquinItems_2A.txt", true},   {"velloquinitems_2a.TXT", true},  {"VelloquinItems_0.txt", true},
        {"VelloquinItems_1FFFFFFFFFFFFFFFF.txt", true},  // "1" before a whole 64-bit id
        {"VelloquinItems_2A.txt~", false}, {"VelloquinItems_2A.txt.txt", false}, {"VelloquinItems_002A.txt", false},
        {"VelloquinItems_.txt", false},    {"VelloquinItems_2G.txt", false},  {"VelloquinItems_ 2A.txt", false},
        {"VelloquinItems_2FFFFFFFFFFFFFFFF.txt", false}, {"ReadMe.txt", false}, {"Velloquin.log", false},
    };
    for (const auto& n : names) EXPECT_EQ(IsItemsFileName(n.name), n.items) << n.name;

    // The doctor checks these and names the others as files the plug-in never reads.
    fs::remove_all(Work());
    const fs::path game = Work() / "game";
    MakeGame(game);
    const fs::path items = game / "Data" / "QVEX" / "Plugins" / "Velloquin";
    for (const char* other : {"VelloquinItems_2A.txt~", "ReadMe.txt", "notes.txt", "Velloquin.log"}) Write(items / other, "x\r\n");
    const Findings f = Examine(PathText(game));
    ASSERT_EQ(f.itemsFiles.size(), 2u);
    EXPECT_EQ(f.itemsFolderOthers, (std::vector<std::string>{"VelloquinItems_2A.txt~", "notes.txt"}));
    int lookAlikes = 0;
    for (const Warning& w : f.warnings) lookAlikes += w.kind == WarningKind::OtherFile && w.file == "Velloquin\\VelloquinItems_2A.txt~";
    EXPECT_EQ(lookAlikes, 1);
    std::ostringstream report;
    WriteText(f, report);
    EXPECT_NE(report.str().find("notes.txt (not an items file: the plug-in never reads it)"), std::string::npos);
    fs::remove_all(Work());
}

// Where the bundle must not go, and what it says: each leaves every file as it was.
TEST(DoctorPlayers, BundleRefusesWhatWouldChangeAFile) {
    fs::remove_all(Work());
    const fs::path game = Work() / "game";
    MakeGame(game);
    const fs::path documents = Work() / "Documents";
    Write(documents / "My Games" / "Halvorine" / "QVEX" / "Velloquin.log", "[     0.000] log\r\n");
    Write(Work() / "old.zip", "an earlier report");
    Write(Work() / "a file", "not a folder");
    const fs::path items = game / "Data" / "QVEX" / "Plugins" / "Velloquin";
    const struct {
        fs::path zip;
        std::string gameFolder;
        const char* says;
    } cases[] = {
        {items / "VelloquinItems_2A.txt", PathText(game), "its name must end in .zip"},
        {Work() / "old.zip", PathText(game), "already exists, and the bundle never replaces a file"},
        {Work() / "OLD.ZIP.txt", PathText(game), "must end in .zip"},
        {items / "new.zip", PathText(game), "a folder the bundle gathers from"},
        {game / "Data" / "QVEX" / "Plugins" / "new.zip", PathText(game), "a folder the bundle gathers from"},
        {documents / "My Games" / "Halvorine" / "QVEX" / "new.zip", PathText(game), "a folder the bundle gathers from"},
        {Work() / "no" / "such" / "new.zip", PathText(game), "does not exist"},
        {Work() / "a file" / "new.zip", PathText(game), "does not exist"},
        {Work() / "new.zip", PathText(Work() / "a file"), "is not a game folder"},
        {Work() / "new.zip", PathText(Work()), "is not a game folder"},
    };
    for (const auto& c : cases) {
        const auto before = Snapshot(Work());
        BundleOptions options;
        options.gameFolder = c.gameFolder;
        options.zipPath = PathText(c.zip);
        options.documents = PathText(documents);
        std::ostringstream out, err;
        EXPECT_EQ(WriteBundle(options, out, err), 3) << c.zip;
        EXPECT_NE(err.str().find(c.says), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("No bundle was written."), std::string::npos) << err.str();
        EXPECT_EQ(Snapshot(Work()), before) << c.zip;
    }
    fs::remove_all(Work());
}

TEST(DoctorPlayers, ABundleBelowAUnicodeProfileNamesNoUser) {
    const struct {
        const char* profile;
        const char* user;
        const char* game;  // below the profile
    } cases[] = {
        {"users/李雷", "李雷", "Games/Halvorine"},
        {"users/Иван Петров", "Иван Петров", "Spiele Жизнь"},
        {"users/john.CORP", "john", "Games/Halvorine"},
        {"Users/José", "José", "Juegos/Halvorine"},
    };
    for (const auto& c : cases) {
        fs::remove_all(Work());
        const fs::path profile = Work() / Utf8Path(c.profile);
        const fs::path game = profile / Utf8Path(c.game);
        MakeGame(game);
        // The log names the game folder, as a player's does; a settings file names it in a comment.
        const fs::path documents = profile / "Documents";
        Write(documents / "My Games" / "Halvorine" / "QVEX" / "Velloquin.log",
              "[     0.000] Items: reading " + PathText(game) + "/Data/QVEX/Plugins/Velloquin/VelloquinItems_2A.txt\r\n");
        Write(game / "Data" / "QVEX" / "Plugins" / "VelloquinCustom.ini",
              "; copied from " + PathText(profile) + "\\Desktop\r\n[QuickKeys]\r\niQuickKey14=72\r\n");
        // A line the doctor shows in both reports: the JSON one escapes its backslashes after the redaction.
        Write(game / "Data" / "QVEX" / "Plugins" / "Velloquin" / "VelloquinItems_2A.txt",
              "QuickKey12 |01A2B3|Halvorine.esm\r\n; from D:\\" + std::string(c.user) + "\\Desktop\r\n");
        const User user(profile, c.user);
        BundleOptions options;
        options.gameFolder = PathText(game);
        options.freshFolder = PathText(Work());
        options.documents = PathText(documents);
        std::ostringstream out, err;
        ASSERT_EQ(WriteBundle(options, out, err), 0) << err.str();
        std::vector<fs::path> zips;
        for (const auto& entry : fs::directory_iterator(Work()))
            if (entry.path().extension() == ".zip") zips.push_back(entry.path());
        ASSERT_EQ(zips.size(), 1u);
        EXPECT_EQ(zips[0].filename().string().rfind("Velloquin-report-", 0), 0u);
        EXPECT_NE(out.str().find("Wrote " + PathText(zips[0])), std::string::npos) << out.str();
        EXPECT_NE(out.str().find("your user name is replaced by %USERNAME%"), std::string::npos) << out.str();
        // The entries are stored, so the archive's bytes hold every text as written.
        const std::string archive = Read(zips[0]);
        EXPECT_EQ(archive.find(c.user), std::string::npos) << c.profile;
        EXPECT_EQ(archive.find(PathText(Work())), std::string::npos) << c.profile;
        EXPECT_NE(archive.find(PathText((Utf8Path("%USERPROFILE%") / Utf8Path(c.game)).lexically_normal())),
                  std::string::npos)
            << c.profile;
        EXPECT_NE(archive.find("; copied from %USERPROFILE%\\Desktop"), std::string::npos) << c.profile;
    }
    fs::remove_all(Work());
}

TEST(DoctorPlayers, FreshNamesNeverTakeAnExistingFile) {
    std::tm now{};
    now.tm_year = 126, now.tm_mon = 11, now.tm_mday = 8, now.tm_hour = 9, now.tm_min = 5, now.tm_sec = 7;
    EXPECT_EQ(FreshBundleName(now, 1), "Velloquin-report-2026-12-08-090507.zip");
    EXPECT_EQ(FreshBundleName(now, 2), "Velloquin-report-2026-12-08-090507-2.zip");
    fs::remove_all(Work());
    const fs::path game = Work() / "game";
    MakeGame(game);
    // Two bundles in the same second: two files.
    for (int i = 0; i < 2; ++i) {
        BundleOptions options;
        options.gameFolder = PathText(game);
        options.freshFolder = PathText(Work() / "out");
        fs::create_directories(Work() / "out");
        std::ostringstream out, err;
        EXPECT_EQ(WriteBundle(options, out, err), 0) << err.str();
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(Work() / "out"), fs::directory_iterator()), 2);
    fs::remove_all(Work());
}

#ifndef _WIN32
TEST(DoctorPlayers, AFullDiskLeavesNoPartialFile) {
    fs::remove_all(Work());
    fs::create_directories(Work());
    // The file size limit stands in for a full disk: writes past it fail (EFBIG).
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{}, saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string reason;
    const bool written = WriteNewFile(Work() / "report.zip", std::string(100000, 'x'), reason);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(fs::is_empty(Work())) << "the temporary file is removed";
    // A name taken: refused, the file kept.
    Write(Work() / "taken.zip", "mine");
    EXPECT_FALSE(WriteNewFile(Work() / "taken.zip", "new", reason));
    EXPECT_EQ(Read(Work() / "taken.zip"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(Work()), fs::directory_iterator()), 1);
    // A folder no one can write to, not even the administrator (root here).
    EXPECT_FALSE(WriteNewFile("/proc/velloquin-report.zip", "new", reason));
    EXPECT_FALSE(reason.empty());
    const fs::path game = Work() / "game";
    MakeGame(game);
    BundleOptions options;
    options.gameFolder = PathText(game);
    options.zipPath = "/proc/velloquin-report.zip";
    std::ostringstream out, err;
    EXPECT_EQ(WriteBundle(options, out, err), 3);
    EXPECT_NE(err.str().find("cannot write /proc/velloquin-report.zip: "), std::string::npos) << err.str();
    EXPECT_FALSE(fs::exists("/proc/velloquin-report.zip.partial"));
    fs::remove_all(Work());
}
#endif

// A console that records what the doctor wrote and answers its reads from a script.
struct Recorded {
    std::string output;
    std::vector<std::string> answers;
    int reads = 0;
    Console console(bool ownWindow, const fs::path& programFolder) {
        Console c;
        c.write = [this](const std::string& text) { output += text; };
        c.writeError = [this](const std::string& text) { output += text; };
        c.readLine = [this](std::string& line) {
            if (reads >= static_cast<int>(answers.size())) return ++reads, false;
            line = answers[reads++];
            return true;
        };
        c.ownWindow = ownWindow;
        c.programFolder = PathText(programFolder);
        return c;
    }
};

TEST(DoctorPlayers, ADoubleClickedDoctorWaitsForEnterAndOffersABundle) {
    const struct {
        bool ownWindow;
        std::vector<std::string> args;
        std::vector<std::string> answers;
        int reads;    // lines the doctor waited for
        bool bundle;  // a fresh zip beside the program
        const char* says;
    } cases[] = {
        {false, {"GAME"}, {}, 0, false, "No problems found."},
        {true, {"GAME"}, {""}, 1, false, "Press Enter to close this window, or B"},
        {true, {"GAME"}, {"b"}, 2, true, "Press Enter to close this window.\n"},
        {true, {"GAME"}, {" B\r", ""}, 2, true, "Wrote "},
        {true, {"GAME"}, {}, 1, false, "Press Enter"},  // the input ends: no wait for ever
        {true, {"GAME", "--bundle"}, {""}, 1, false, "Press Enter to close this window.\n"},
        {true, {"NOT A GAME"}, {""}, 1, false, "drop the game folder onto velloquin-doctor.exe"},
    };
    for (const auto& c : cases) {
        fs::remove_all(Work());
        const fs::path game = Work() / Utf8Path("Spiele Жизнь");
        MakeGame(game);
        const fs::path program = Work() / Utf8Path("Загрузки");
        fs::create_directories(program);
        Recorded recorded;
        recorded.answers = c.answers;
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(arg == "GAME" ? PathText(game) : arg == "NOT A GAME" ? PathText(Work()) : arg);
        const fs::path current = fs::current_path();
        fs::current_path(Work());  // where --bundle alone puts its file
        RunCommand(args, recorded.console(c.ownWindow, program));
        fs::current_path(current);
        EXPECT_EQ(recorded.reads, c.reads) << recorded.output;
        EXPECT_EQ(!fs::is_empty(program), c.bundle) << recorded.output;
        EXPECT_NE(recorded.output.find(c.says), std::string::npos) << recorded.output;
    }
    fs::remove_all(Work());
}

}  // namespace
