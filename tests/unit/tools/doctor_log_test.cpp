// The doctor reads the last game session's log: what went wrong, and where it looked.
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "core/error_report.h"
#include "config/settings.h"
#include "core/log.h"
#include "core/state.h"
#include "datafiles.h"
#include "doctor/doctor.h"
#include "doctor/findings.h"
#include "game_folder.h"
#include "host.h"
#include "persistence/items_file.h"
#include "file_faults.h"
#include "shell_folders.h"

namespace {

using namespace Velloquin;
using Velloquin::Doctor::Examine;
using Velloquin::Doctor::Findings;
using Velloquin::Doctor::LogFindings;
using Velloquin::Doctor::ReadLogLines;

const std::string logFolder = "Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\";
const std::string documentsLog = "%USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log";
const std::string besideItems = "Data\\QVEX\\Plugins\\Velloquin\\Velloquin.log";

class DoctorLog : public ::testing::Test {
protected:
    void SetUp() override {
        // A log an earlier case left open (QVEXPlugin_Load starts one) would keep its folder from being emptied.
        StopLog();
        TestHost::ResetWorld();
        TestHost::ClearGameFolder();
        ResetRuntimeState();
    }
    void TearDown() override {
        StopLog();
        ResetRuntimeState();
        TestHost::ResetShellFolders();
    }
};

TEST(DoctorLogLines, EachKindOfProblemIsFoundInItsLine) {
    const std::vector<std::string> lines = {
        "[     0.000] Velloquin log: %USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log",
        "[     0.001] Velloquin 2.0 (version 0x02000000); loader version 0x00020000; game runtime 0x01100000, VERSION "
        "MISMATCH: this plug-in is made for 0x010F0D80",
        "[     0.002] Trampoline: trampoline alloc 00007FF6FFFF0000x0000000000000100 failed (000001E7)",
        "[     1.000] Items: line 2 not restored (slot 13): the data file Armory.esm is not loaded",
        "[     1.000] Items: slot 12 restored: \"Plasma Rifle\" (0001A2B3) (01A2B3 from Halvorine.esm, line 1)",
        "[     2.000] Save failed: .\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt cannot be replaced",
        "[     2.000] Error box from Velloquin::FlushQuickItemsToFile line 467: a couldn't be opened, error code: 1",
        "[     2.000] Error box answered No: the game goes on",
        "[     3.000] Error box from Velloquin::GetPlayerID line 354: cannot get PlayerID",
        "[     3.000] Error box not answered (result 0): the game goes on",
        "[     3.000] The plug-in is inactive from now on: the player id cannot be read",
        "[     4.000] Error box from Velloquin::ReloadFavoriteItems line 697: b couldn't be opened, error code: 1",
        "[     9.000] The log has reached its size limit (1 MiB): nothing more is written until the game starts again.",
    };
    const LogFindings log = ReadLogLines(lines);
    EXPECT_EQ(log.lines, 13);
    EXPECT_EQ(log.pluginVersion, "2.0");
    EXPECT_TRUE(log.pluginVersionDiffers);
    EXPECT_NE(log.gameVersionLine.find("0x01100000"), std::string::npos);
    ASSERT_EQ(log.startProblems.size(), 1u);
    ASSERT_EQ(log.boxes.size(), 3u);
    EXPECT_EQ(log.boxes[0].function, "Velloquin::FlushQuickItemsToFile");
    EXPECT_EQ(log.boxes[0].line, 467);
    EXPECT_EQ(log.boxes[0].text, "a couldn't be opened, error code: 1");
    EXPECT_EQ(log.boxes[0].answer, "No");
    EXPECT_EQ(log.boxes[1].answer, "none");
    EXPECT_EQ(log.boxes[2].answer, "") << "the log ends before the answer: a crash";
    EXPECT_EQ(log.notRestored, std::vector<std::string>{"line 2 not restored (slot 13): the data file Armory.esm is not loaded"});
    ASSERT_EQ(log.saveFailures.size(), 1u);
    EXPECT_EQ(log.inactive, "the player id cannot be read");
    EXPECT_TRUE(log.sizeLimitReached);
    EXPECT_FALSE(log.nothingWrong());

    // A session where nothing went wrong, by this version of the plug-in.
    const LogFindings clean = ReadLogLines({"[     0.000] Velloquin " + GetVersionText() +
                                            " (version 0x02010000); loader version 0x00020000; game runtime 0x010F0D80, "
                                            "a version this plug-in is made for: 0x010F0D80"});
    EXPECT_FALSE(clean.pluginVersionDiffers);
    EXPECT_TRUE(clean.gameVersionLine.empty());
    EXPECT_TRUE(clean.nothingWrong());
}

// The plug-in writes the log, the doctor reads it: the two agree on its lines.
TEST_F(DoctorLog, ReadsWhatThePluginWroteAndSaysWhereItLooked) {
    StartLog(ReadLogEnabled());
    TestHost::SetPlayerId(0);
    TestHost::QueueBoxAnswer(7);  // No
    GetPlayerID(false);           // a box, and the plug-in goes inactive
    StopLog();

    const Findings findings = Examine("");
    const LogFindings& log = findings.log;
    ASSERT_EQ(log.looked.size(), 2u);
    EXPECT_EQ(log.looked[0].path, documentsLog);
    EXPECT_TRUE(log.looked[0].found);
    EXPECT_EQ(log.looked[1].path, besideItems);
    EXPECT_FALSE(log.looked[1].found);
    EXPECT_EQ(log.file, documentsLog);
    ASSERT_EQ(log.boxes.size(), 1u);
    EXPECT_EQ(log.boxes[0].function, "Velloquin::GetPlayerID");
    EXPECT_EQ(log.boxes[0].line, 354);
    EXPECT_EQ(log.boxes[0].text, "cannot get PlayerID");
    EXPECT_EQ(log.boxes[0].answer, "No");
    EXPECT_EQ(log.inactive, "the player id cannot be read");

    std::ostringstream text, json;
    Doctor::WriteText(findings, text);
    Doctor::WriteJson(findings, json);
    EXPECT_NE(text.str().find("looked in " + documentsLog + ": read"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Velloquin::GetPlayerID line 354: cannot get PlayerID (answered No)"), std::string::npos);
    EXPECT_NE(json.str().find("\"inactive\": \"the player id cannot be read\""), std::string::npos) << json.str();
    // No path of this machine's user folder in either report.
    EXPECT_EQ(text.str().find(TestHost::GameFolder() + "/Users"), std::string::npos);
    EXPECT_EQ(json.str().find(TestHost::GameFolder() + "/Users"), std::string::npos);
}

// A log viewer held Velloquin.log at the last start: the plug-in wrote
// Velloquin.new.log, and that is the last session's log the doctor reads; at
// the start after, Velloquin.new.log again while the old one is still held.
TEST_F(DoctorLog, FindsTheLastSessionsLogWhateverItsName) {
    StartLog(true);
    LogLine("Save failed: the first session's save");
    StopLog();
    ASSERT_TRUE(TestHost::HoldFile(logFolder + "Velloquin.log"));
    for (const char* session : {"second", "third"}) {
        SCOPED_TRACE(session);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        StartLog(true);
        LogLine("Save failed: the %s session's save", session);
        StopLog();
        const LogFindings log = Examine("").log;
        ASSERT_EQ(log.looked.size(), 3u);
        EXPECT_EQ(log.looked[0].path, documentsLog);
        EXPECT_EQ(log.looked[1].path, "%USERPROFILE%\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.new.log");
        EXPECT_TRUE(log.looked[0].found && log.looked[1].found);
        EXPECT_EQ(log.looked[2].path, besideItems);
        EXPECT_EQ(log.file, log.looked[1].path);
        EXPECT_EQ(log.saveFailures, std::vector<std::string>{std::string("the ") + session + " session's save"});
        std::ostringstream text;
        Doctor::WriteLogText(log, text);
        EXPECT_NE(text.str().find("looked in " + documentsLog + ": older, not read"), std::string::npos) << text.str();
    }
    TestHost::ResetFileFaults();
}

TEST_F(DoctorLog, WithoutDocumentsItLooksBesideTheItemsFiles) {
    TestHost::SetDocumentsKnown(false);
    TestHost::WriteGameFile("Data\\QVEX\\Plugins\\Velloquin\\.keep", "");
    StartLog(ReadLogEnabled());
    LogLine("Save failed: the test's save");
    StopLog();
    const LogFindings log = Examine("").log;
    ASSERT_EQ(log.looked.size(), 2u);
    EXPECT_EQ(log.looked[0].path, "(the shell names no Documents folder)");
    EXPECT_EQ(log.file, besideItems);
    EXPECT_EQ(log.saveFailures, std::vector<std::string>{"the test's save"});

    // No log anywhere: it says where it looked and that it found none.
    TestHost::ClearGameFolder();
    const Findings none = Examine("");
    EXPECT_TRUE(none.log.file.empty());
    std::ostringstream text;
    Doctor::WriteText(none, text);
    EXPECT_NE(text.str().find("No log found"), std::string::npos);
}

}  // namespace
