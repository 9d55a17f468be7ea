// The error boxes: their texts, titles and styles byte for byte, and what
// each answer does.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/error_report.h"
#include "core/log.h"
#include "core/version.h"
#include "game_folder.h"
#include "host.h"
#include "platform/win32.h"
#include "support/plugin_state.h"
#include "support/temp_file.h"

using namespace TestHost;

namespace {

class ErrorReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        ResetPluginState();
    }
};

}  // namespace
TEST_F(ErrorReportTest, NonFatalReportAnsweredNoReturnsToTheCaller) {
    QueueBoxAnswer(IDNO);
    Velloquin::ReportError("Velloquin::ReloadFavoriteItems", 697, "x couldn't be opened, error code: 1");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].title, "Velloquin - QVEX Plugin by Ondrastel v2.1");
    EXPECT_EQ(Boxes()[0].style, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(Boxes()[0].text,
              "An error has occured in function Velloquin::ReloadFavoriteItems at line 697\n\n\nError text: \n"
              " -> x couldn't be opened, error code: 1\n\n\nWould you like to exit?");
}

TEST_F(ErrorReportTest, AFailedBoxCountsAsNo) {
    QueueBoxAnswer(0);
    Velloquin::ReportError("Velloquin::GetPlayerID", 354, "cannot get PlayerID");
    EXPECT_EQ(Boxes().size(), 1u);
}

// The log has the box and then its answer, as the log reader of the doctor expects them.
TEST_F(ErrorReportTest, TheLogHasTheBoxAndThenItsAnswer) {
    const struct {
        int answer;
        const char* line;
    } cases[] = {
        {IDNO, "Error box answered No: the game goes on"},
        {0, "Error box not answered (result 0): the game goes on"},
    };
    for (const auto& c : cases) {
        Velloquin::StopLog();
        ClearGameFolder();
        Velloquin::StartLog(true);
        QueueBoxAnswer(c.answer);
        Velloquin::ReportError("Velloquin::GetPlayerID", 354, "cannot get PlayerID");
        Velloquin::StopLog();
        const std::string log = ReadGameFile("Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
        const std::size_t box = log.find("] Error box from Velloquin::GetPlayerID line 354: cannot get PlayerID\r\n");
        ASSERT_NE(box, std::string::npos) << log;
        EXPECT_NE(log.find(std::string("] ") + c.line + "\r\n", box), std::string::npos) << log;
    }
    ClearGameFolder();
}

TEST_F(ErrorReportTest, NonFatalReportAnsweredYesEndsTheProcessWithExitCode0) {
    const std::string reportPath = DeathTestReportPath();
    std::remove(reportPath.c_str());
    EXPECT_EXIT(
        {
            SetExitReportFile(reportPath);
            QueueBoxAnswer(IDYES);
            Velloquin::ReportError("Velloquin::GetPlayerID", 354, "cannot get PlayerID");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    const ExitReport report = ReadExitReport(reportPath);
    EXPECT_TRUE(report.ended);
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes[0].style, 4u);
}

// Run only by the test velloquin_unexpected_end_fails, which expects this
// program to fail: a Yes ends the process where no death test expects it.
TEST_F(ErrorReportTest, DISABLED_AnEndNoTestExpectsFailsTheProgram) {
    QueueBoxAnswer(IDYES);
    Velloquin::ReportError("Velloquin::GetPlayerID", 354, "cannot get PlayerID");
    ADD_FAILURE() << "the process went on after a box answered Yes";
}

TEST_F(ErrorReportTest, VersionTextComesFromTheVersionRecord) {
    EXPECT_EQ(Velloquin::GetVersionText(), "2.1");
    const std::uint32_t saved = QVEXPlugin_Version.pluginVersion;
    // Major and minor are whole bytes (odd and even, every bit of each).
    const struct {
        std::uint32_t record;
        const char* text;
    } cases[] = {{0x0A0C0000, "10.12"}, {0xFFFF1234, "255.255"}, {0x01030000, "1.3"}};
    for (const auto& c : cases) {
        QVEXPlugin_Version.pluginVersion = c.record;
        EXPECT_EQ(Velloquin::GetVersionText(), c.text);
    }
    QVEXPlugin_Version.pluginVersion = saved;
}
