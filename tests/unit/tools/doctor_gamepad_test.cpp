// velloquin-doctor on gamepad quick keys and the [Gamepad] modifier.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "doctor/doctor.h"
#include "controller.h"
#include "doctor/findings.h"
#include "doctor/warning_kinds.h"
#include "game_folder.h"

namespace {

using Velloquin::Doctor::Examine;
using Velloquin::Doctor::Findings;

const std::string mainFile = ".\\Data\\QVEX\\Plugins\\Velloquin.ini";
const std::string customFile = ".\\Data\\QVEX\\Plugins\\VelloquinCustom.ini";

std::string Warnings(const Findings& f) {
    std::ostringstream out;
    for (const auto& w : f.warnings) out << Velloquin::Doctor::CodeOf(w.kind) << " " << w.file << ":" << w.line << "\n";
    return out.str();
}

std::string MessageOf(const Findings& f, const std::string& code) {
    for (const auto& w : f.warnings)
        if (Velloquin::Doctor::CodeOf(w.kind) == code) return w.message;
    return {};
}

TEST(DoctorGamepad, BindingsAControllerCannotUseAsMeant) {
    TestHost::ResetController();  // Windows: the doctor finds the host's XInput libraries
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile(mainFile,
                            "[QuickKeys]\r\n"
                            "iQuickKey12=10001\r\n"
                            "iQuickKey13=10003\r\n"
                            "iQuickKey14=10100\r\n"
                            "iQuickKeyModifier=10200\r\n"
                            "[Gamepad]\r\n"
                            "iQuickKeyModifier=10100\r\n"
                            "iQuickKey15=70\r\n");
    TestHost::WriteGameFile(customFile, "[Gamepad]\r\niQuickKeyModifier=70\r\n");
    Findings f = Examine(TestHost::GameFolder());
    EXPECT_EQ(Warnings(f),
              "never-polled Velloquin.ini:3\n"
              "modifier-bound Velloquin.ini:4\n"
              "wrong-section Velloquin.ini:5\n"
              "unknown-key Velloquin.ini:8\n"
              "modifier-ignored VelloquinCustom.ini:2\n");
    EXPECT_NE(MessageOf(f, "never-polled").find("never does anything"), std::string::npos);
    EXPECT_NE(MessageOf(f, "modifier-ignored").find("0x70 (F1) is not a button of a controller"), std::string::npos);
    // The keyboard code is ignored: the main file's Left Shoulder stays the modifier.
    EXPECT_EQ(f.gamepad.modifier, 0x10100u);
    EXPECT_EQ(f.gamepad.modifierFrom.file, "Velloquin.ini");
    EXPECT_EQ(f.gamepad.modifierFrom.line, 7);
    EXPECT_EQ(f.gamepad.quickKeys, (std::vector<int>{12, 14}));

    // Without a usable modifier every gamepad quick key also acts in the game.
    TestHost::WriteGameFile(mainFile, "[QuickKeys]\r\niQuickKey12=10001\r\niQuickKey20=1000A\r\n"
                                      "[Gamepad]\r\niQuickKeyModifier=left shoulder\r\n");
    TestHost::RemoveGameFile(customFile);
    f = Examine(TestHost::GameFolder());
    EXPECT_EQ(Warnings(f),
              "gamepad-no-modifier Velloquin.ini:2\n"
              "gamepad-no-modifier Velloquin.ini:3\n"
              "modifier-ignored Velloquin.ini:5\n");
    EXPECT_EQ(f.gamepad.modifier, 0u);
    TestHost::ClearGameFolder();
}

}  // namespace
