// velloquin-doctor on the outfit save modifier of [Outfits].
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "doctor/doctor.h"
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
    for (const auto& w : f.warnings) out << Velloquin::Doctor::CodeOf(w.kind) << " " << w.file << ":" << w.line << "; ";
    return out.str();
}

TEST(DoctorSaveModifier, ValuesAndClashes) {
    const struct {
        const char* what;
        const char* main;
        const char* custom;
        const char* warnings;
        std::uint32_t used;
        const char* from;  // "Velloquin.ini:3", or "" for the default
        const char* message;  // a part of the first warning's message
    } cases[] = {
        {"a modifier no slot uses", "[QuickKeys]\r\niQuickKey12=70\r\n[Outfits]\r\niSaveModifier=10\r\n", nullptr, "",
         0x10, "Velloquin.ini:4", ""},
        {"no value: off, nothing to say", "[QuickKeys]\r\niQuickKey12=70\r\n", nullptr, "", 0, "", ""},
        {"the slot's own key", "[QuickKeys]\r\niQuickKey12=A0\r\n[Outfits]\r\niSaveModifier=10\r\n", nullptr,
         "save-modifier-clash Velloquin.ini:4; ", 0, "Velloquin.ini:4", "also the key of slot 12"},
        {"a chord's modifier",
         "[QuickKeys]\r\niQuickKey13=70\r\n[QuickKeyModifiers]\r\niQuickKey13=11\r\n[Outfits]\r\niSaveModifier=11\r\n",
         nullptr, "save-modifier-clash Velloquin.ini:6; ", 0, "Velloquin.ini:6", "modifier of slot 13's chord"},
        {"the gamepad modifier, set by the custom file",
         "[Gamepad]\r\niQuickKeyModifier=10100\r\n", "[Outfits]\r\niSaveModifier=10100\r\n",
         "save-modifier-clash VelloquinCustom.ini:2; ", 0, "VelloquinCustom.ini:2", "also the gamepad modifier"},
        {"no modifier: ignored, the main file's stays", "[Outfits]\r\niSaveModifier=12\r\n",
         "[Outfits]\r\niSaveModifier=41\r\n", "save-modifier-ignored VelloquinCustom.ini:2; ", 0x12, "Velloquin.ini:2",
         "0x41 (A) is neither Shift"},
        {"unreadable", "[Outfits]\r\niSaveModifier=Shift\r\n", nullptr, "save-modifier-ignored Velloquin.ini:2; ", 0, "",
         "not a hexadecimal key code"},
        {"other keys of the section and a repeated one",
         "[Outfits]\r\niSaveModifier=A3\r\nbSaveOutfits=1\r\niSaveModifier=10\r\n", nullptr,
         "unknown-key Velloquin.ini:3; duplicate-key Velloquin.ini:4; ", 0xA3, "Velloquin.ini:2", "not a setting of [Outfits]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestHost::ClearGameFolder();
        TestHost::WriteGameFile(mainFile, c.main);
        if (c.custom) TestHost::WriteGameFile(customFile, c.custom);
        const Findings f = Examine(TestHost::GameFolder());
        EXPECT_EQ(Warnings(f), c.warnings);
        EXPECT_EQ(f.saveModifier.used, c.used);
        const std::string from =
            f.saveModifier.from.file.empty() ? "" : f.saveModifier.from.file + ":" + std::to_string(f.saveModifier.from.line);
        EXPECT_EQ(from, c.from);
        if (*c.message) {
            ASSERT_FALSE(f.warnings.empty());
            EXPECT_NE(f.warnings.front().message.find(c.message), std::string::npos) << f.warnings.front().message;
        }
    }
}

TEST(DoctorSaveModifier, TheReportExplainsIt) {
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile(mainFile, "[QuickKeys]\r\niQuickKey12=70\r\n[Outfits]\r\niSaveModifier=10\r\n");
    std::ostringstream text, json;
    const Findings f = Examine(TestHost::GameFolder());
    Velloquin::Doctor::WriteText(f, text);
    Velloquin::Doctor::WriteJson(f, json);
    EXPECT_NE(text.str().find("Save modifier: 0x10 Shift (Velloquin.ini line 4)\n  Hold it, then press a slot's key"),
              std::string::npos)
        << text.str();
    EXPECT_NE(json.str().find("\"saveModifier\": {\"requested\": 16, \"used\": 16, \"name\": \"Shift\""),
              std::string::npos)
        << json.str();
}

}  // namespace
