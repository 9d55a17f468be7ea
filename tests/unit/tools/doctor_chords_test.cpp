// velloquin-doctor on keyboard chords: [QuickKeyModifiers] in the slot table,
// the chords' explanation in text and --json, and the warnings.
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
    for (const auto& w : f.warnings) out << Velloquin::Doctor::CodeOf(w.kind) << " " << w.file << ":" << w.line << "\n";
    return out.str();
}

std::string MessagesOf(const Findings& f, const std::string& code) {
    std::string all;
    for (const auto& w : f.warnings)
        if (Velloquin::Doctor::CodeOf(w.kind) == code) all += w.message + "\n";
    return all;
}

std::string Report(bool json) {
    std::ostringstream out;
    Velloquin::RunDoctor(TestHost::GameFolder(), json, out);
    return out.str();
}

TEST(DoctorChords, EveryWarningOfChords) {
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile(mainFile,
                            "[QuickKeys]\r\n"                 // 1
                            "iQuickKey12=70\r\n"              // 2  F1 alone
                            "iQuickKey13=70\r\n"              // 3  Shift+F1: F1 is also bound alone
                            "iQuickKey14=70\r\n"              // 4  Shift+F1 again: refused
                            "iQuickKey15=10\r\n"              // 5  Shift, the modifier of slot 13: refused
                            "iQuickKey16=0x9\r\n"             // 6  Alt+Tab
                            "iQuickKey17=71\r\n"              // 7  Shift+F2
                            "iQuickKey18=71\r\n"              // 8  Left Shift+F2: overlaps slot 17
                            "[QuickKeyModifiers]\r\n"         // 9
                            "iQuickKey13=10\r\n"              // 10
                            "iQuickKey14=10\r\n"              // 11
                            "iQuickKey16=A4\r\n"              // 12
                            "iQuickKey17=10\r\n"              // 13
                            "iQuickKey18=A0\r\n"              // 14
                            "iQuickKey19=11\r\n"              // 15 no key
                            "iQuickKey20=14\r\n"              // 16 Caps Lock is no modifier
                            "iQuickKey21=ctrl\r\n"            // 17 unreadable
                            "iQuickKey24=10\r\n");            // 18 no such slot
    TestHost::WriteGameFile(customFile,
                            "[QuickKeyModifiers]\r\n"
                            "iQuickKey12=0\r\n"               // removes nothing: no warning
                            "bQuickKey12Visible=1\r\n");      // wrong section
    const Findings f = Examine(TestHost::GameFolder());
    EXPECT_EQ(Warnings(f),
              "chord-key-also-alone Velloquin.ini:3\n"
              "chord-repeated Velloquin.ini:4\n"
              "chord-modifier-is-key Velloquin.ini:5\n"
              "chord-repeated Velloquin.ini:8\n"
              "chord-windows-uses Velloquin.ini:12\n"
              "chord-without-key Velloquin.ini:15\n"
              "chord-modifier-ignored Velloquin.ini:16\n"
              "chord-modifier-ignored Velloquin.ini:17\n"
              "unknown-key Velloquin.ini:18\n"
              "wrong-section VelloquinCustom.ini:3\n");
    EXPECT_EQ(MessagesOf(f, "chord-repeated"),
              "the chord Shift+F1 (0x10 with 0x70) is already slot 13's (Velloquin.ini line 3), which keeps it; this "
              "line does not bind slot 14. Give slot 14 another key or another modifier.\n"
              "Left Shift+F2 on slot 18 and Shift+F2 on slot 17 overlap: holding Left Shift holds both modifiers, and "
              "then the lower slot, 17, is used.\n");
    EXPECT_NE(MessagesOf(f, "chord-key-also-alone").find("F1 pressed while Shift is held uses slot 13, pressed without it slot 12"),
              std::string::npos);
    EXPECT_NE(MessagesOf(f, "chord-windows-uses").find("Left Alt+Tab on slot 16"), std::string::npos);
    EXPECT_NE(MessagesOf(f, "chord-modifier-is-key").find("0x10 (Shift) is the modifier of slot 13's chord"), std::string::npos);

    ASSERT_EQ(f.chords.size(), 4u);
    EXPECT_EQ(f.chords[0].name, "Shift+F1");
    EXPECT_EQ(f.chords[0].keyAloneUses, 12);
    EXPECT_EQ(f.chords[3].name, "Left Shift+F2");
    EXPECT_EQ(f.chords[3].keyAloneUses, 0);
    EXPECT_EQ(f.slots[1].modifierFrom.line, 10);

    const std::string text = Report(false);
    for (const char* shown : {"  13    shown   0x70 Shift+F1 (with 0x10)", "modifier: Velloquin.ini line 10",
                              "  Slot 13: Shift+F1. F1 alone uses slot 12.\n", "  Slot 17: Shift+F2. F2 alone uses no slot.\n"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
    const std::string json = Report(true);
    for (const char* shown : {"\"modifier\": 16, \"modifierHex\": \"10\", \"modifierName\": \"Shift\", \"modifierFrom\": "
                              "{\"file\": \"Velloquin.ini\", \"line\": 10}, \"chordName\": \"Shift+F1\"",
                              "{\"quickKey\": 13, \"name\": \"Shift+F1\", \"modifier\": 16, \"keyCode\": 112, \"keyAloneUses\": 12}",
                              "{\"quickKey\": 17, \"name\": \"Shift+F2\", \"modifier\": 16, \"keyCode\": 113, \"keyAloneUses\": null}",
                              "\"code\": \"chord-windows-uses\""})
        EXPECT_NE(json.find(shown), std::string::npos) << shown << "\n" << json;
    TestHost::ClearGameFolder();
}

}  // namespace
