// velloquin-doctor on realistic game folders: a clean one, one with every
// kind of mistake once, and one without settings.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "doctor/doctor.h"
#include "doctor/findings.h"
#include "doctor/ini_scan.h"
#include "game_folder.h"
#include "core/state.h"

namespace {

using Velloquin::Doctor::Examine;
using Velloquin::Doctor::Findings;
using Velloquin::Doctor::IniLine;
using Velloquin::Doctor::ScanIniText;
using Velloquin::Doctor::SlotState;
using Velloquin::Doctor::WarningKind;
using Velloquin::Doctor::CodeOf;

std::string Fixture(const std::string& name) {
    std::string path = std::string(VELLOQUIN_DOCTOR_FIXTURES) + "/" + name;
#ifdef _WIN32
    // The source tree's POSIX path, reached under Wine through drive Z:.
    if (path.front() == '/') path = "Z:" + path;
#endif
    return path;
}

std::string Dump(const Findings& findings) {
    std::ostringstream out;
    for (const auto& w : findings.warnings) out << CodeOf(w.kind) << " " << w.file << ":" << w.line << " " << w.message << "\n";
    return out.str();
}

const SlotState& Slot(const Findings& findings, int quickKey) {
    return findings.slots.at(static_cast<std::size_t>(quickKey - 12));
}

TEST(Doctor, BrokenSettingsAndItemsGiveEachWarningOnceAtItsLine) {
    const Findings f = Examine(Fixture("broken"));
    const struct {
        const char* code;
        const char* file;
        int line;
        const char* says;  // a fact the player needs from the message
    } expected[] = {
        {"outside-section", "Velloquin.ini", 2, "before any section"},
        {"visibility-value", "Velloquin.ini", 6, "\"yes\" hides slot 13"},
        {"unknown-key", "Velloquin.ini", 8, "Did you mean bQuickKey15Visible?"},
        {"wrong-section", "Velloquin.ini", 9, "belongs under [QuickKeys]"},
        {"not-hexadecimal", "Velloquin.ini", 15, "For the key K write 4B"},
        {"gamepad-no-modifier", "Velloquin.ini", 16, "(DPAD Up) on slot 16 fires at every press"},
        {"partly-read", "Velloquin.ini", 17, "read as the code 0x35"},
        {"name-not-code", "Velloquin.ini", 18, "for that key write 35"},
        {"duplicate-key", "Velloquin.ini", 19, "already set on line 12"},
        {"no-value", "Velloquin.ini", 20, "no '='"},
        {"already-bound", "VelloquinCustom.ini", 3, "already bound to slot 12 (Velloquin.ini line 12), which keeps it"},
        {"custom-zero", "VelloquinCustom.ini", 4, "slot 14 keeps 0x72 (F3)"},
        {"unknown-key", "VelloquinCustom.ini", 5, "there is no slot 24"},
        {"unknown-section", "VelloquinCustom.ini", 8, "Did you mean [QuickKeys]?"},
        {"duplicate-section", "VelloquinCustom.ini", 11, "already started on line 2"},
        {"items-no-slot", "Velloquin\\VelloquinItems_2A.txt", 4, "no slot 24"},
        {"items-no-file", "Velloquin\\VelloquinItems_2A.txt", 5, "no data file name"},
        {"items-no-id", "Velloquin\\VelloquinItems_2A.txt", 6, "no item id"},
        {"items-several-slots", "Velloquin\\VelloquinItems_2A.txt", 7, "more than one slot"},
        {"items-replaced", "Velloquin\\VelloquinItems_2A.txt", 8, "already given on line 2"},
        {"items-same-item", "Velloquin\\VelloquinItems_2A.txt", 9, "already in slot 12 (line 1)"},
    };
    ASSERT_EQ(f.warnings.size(), std::size(expected)) << Dump(f);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& w = f.warnings[i];
        EXPECT_STREQ(CodeOf(w.kind), expected[i].code) << i;
        EXPECT_EQ(w.file, expected[i].file) << i;
        EXPECT_EQ(w.line, expected[i].line) << i;
        EXPECT_NE(w.message.find(expected[i].says), std::string::npos) << w.message;
    }
    EXPECT_NE(f.warnings[10].message.find("cannot take a key over"), std::string::npos);
    EXPECT_EQ(f.exitCode, 1);

    // What the plug-in's own load made of these files.
    EXPECT_EQ(Slot(f, 12).code, 0x70u);
    EXPECT_EQ(Slot(f, 12).codeFrom.line, 12);
    EXPECT_FALSE(Slot(f, 13).visible);
    EXPECT_EQ(Slot(f, 13).visibleFrom.line, 6);
    EXPECT_EQ(Slot(f, 14).code, 0x72u);  // the custom file's 0 did not unbind it
    EXPECT_EQ(Slot(f, 16).code, 0x10001u);
    EXPECT_TRUE(Slot(f, 16).polled);
    EXPECT_EQ(Slot(f, 16).keyName, "DPAD Up");
    EXPECT_EQ(Slot(f, 20).code, 0u);
    EXPECT_EQ(Slot(f, 21).code, 0x77u);
    EXPECT_EQ(Slot(f, 21).codeFrom.file, "VelloquinCustom.ini");
    EXPECT_EQ(Slot(f, 21).codeFrom.line, 6);
    for (int quickKey : {15, 19, 22, 23}) EXPECT_EQ(Slot(f, quickKey).code, 0u) << quickKey;
}

TEST(Doctor, CleanSettingsGiveNoWarningAndSayWhereEachValueCameFrom) {
    const Findings f = Examine(Fixture("clean"));
    EXPECT_TRUE(f.warnings.empty()) << Dump(f);
    EXPECT_EQ(f.exitCode, 0);
    ASSERT_EQ(f.slots.size(), 12u);
    const struct {
        int quickKey;
        bool visible;
        const char* visibleFile;
        int visibleLine;
        std::uint32_t code;
        const char* name;
        const char* codeFile;
        int codeLine;
    } expected[] = {
        {12, true, "Velloquin.ini", 45, 0x70, "F1", "Velloquin.ini", 59},
        {13, true, "Velloquin.ini", 46, 0x52, "R", "VelloquinCustom.ini", 6},
        {14, true, "Velloquin.ini", 47, 0x72, "F3", "Velloquin.ini", 61},
        {15, true, "Velloquin.ini", 48, 0x4B, "K", "Velloquin.ini", 62},
        {16, true, "Velloquin.ini", 49, 0x2E, "Delete", "VelloquinCustom.ini", 7},
        {17, true, "Velloquin.ini", 50, 0, "", "", 0},
        {22, false, "VelloquinCustom.ini", 3, 0, "", "", 0},
        {23, false, "Velloquin.ini", 56, 0, "", "", 0},
    };
    for (const auto& e : expected) {
        const SlotState& s = Slot(f, e.quickKey);
        EXPECT_EQ(s.visible, e.visible) << e.quickKey;
        EXPECT_EQ(s.visibleFrom.file, e.visibleFile) << e.quickKey;
        EXPECT_EQ(s.visibleFrom.line, e.visibleLine) << e.quickKey;
        EXPECT_EQ(s.code, e.code) << e.quickKey;
        EXPECT_EQ(s.keyName, e.name) << e.quickKey;
        EXPECT_EQ(s.codeFrom.file, e.codeFile) << e.quickKey;
        EXPECT_EQ(s.codeFrom.line, e.codeLine) << e.quickKey;
        EXPECT_EQ(s.polled, e.code != 0) << e.quickKey;
    }

    ASSERT_EQ(f.itemsFiles.size(), 2u);
    EXPECT_EQ(f.itemsFiles[0].name, "VelloquinItems_1F.txt");
    EXPECT_TRUE(f.itemsFiles[0].lines.empty());
    const auto& lines = f.itemsFiles[1].lines;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].quickKeys, std::vector<int>{12});
    EXPECT_EQ(lines[0].localId, "01A2B3");
    EXPECT_EQ(lines[0].dataFile, "Halvorine.esm");
    EXPECT_EQ(lines[0].status, "item");
    EXPECT_EQ(lines[1].status, "empty");
    // The last line has no line break; a data file name may hold blanks.
    EXPECT_EQ(lines[2].quickKeys, std::vector<int>{23});
    EXPECT_EQ(lines[2].localId, "ABC");
    EXPECT_EQ(lines[2].dataFile, "Tiny Mod.esl");
}

TEST(Doctor, FolderWithoutSettingsEndsWithTwoAndNamesTheLookAlike) {
    const Findings f = Examine(Fixture("no_settings"));
    EXPECT_EQ(f.exitCode, 2);
    EXPECT_FALSE(f.mainFile);
    ASSERT_EQ(f.warnings.size(), 1u) << Dump(f);
    EXPECT_EQ(f.warnings[0].kind, WarningKind::OtherFile);
    EXPECT_EQ(f.warnings[0].file, "Velloquin.ini.txt");

    EXPECT_EQ(Examine(Fixture("no_such_folder")).exitCode, 2);
}

TEST(Doctor, ReportsAndExitStatusOfRunDoctor) {
    const struct {
        const char* fixture;
        bool json;
        int status;
        std::vector<std::string> shows;
    } cases[] = {
        {"clean", false, 0, {"No problems found.", "0x52 R", "VelloquinCustom.ini line 6"}},
        {"broken", false, 1, {"21 warnings.", "VelloquinCustom.ini line 4: iQuickKey14=0"}},
        {"no_settings", false, 2, {"There is no settings file"}},
        {"clean", true, 0, {"\"status\": \"ok\"", "\"warnings\": []", "\"keyName\": \"Delete\""}},
        {"broken", true, 1,
         {"\"status\": \"warnings\"", "\"keyCodeHex\": \"10001\", \"keyName\": \"DPAD Up\"",
          "\"keyWorks\": false", "\"code\": \"custom-zero\"", "\"file\": \"Velloquin\\\\VelloquinItems_2A.txt\""}},
        {"no_settings", true, 2, {"\"status\": \"no-settings\""}},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(Velloquin::RunDoctor(Fixture(c.fixture), c.json, out), c.status) << c.fixture;
        for (const std::string& text : c.shows)
            EXPECT_NE(out.str().find(text), std::string::npos) << c.fixture << " lacks " << text << "\n" << out.str();
    }
}

TEST(Doctor, LeavesTheCurrentFolderAndThePluginsArraysAsTheyWere) {
    // The test host's game folder (where its shell places the Documents
    // folder the doctor asks for) becomes the working folder when first made.
    TestHost::GameFolder();
    const auto before = std::filesystem::current_path();
    Velloquin::quickKeyCodes.fill(0xABCD);
    Velloquin::quickKeyVisible.fill(false);
    std::ostringstream out;
    Velloquin::RunDoctor(Fixture("broken"), false, out);
    EXPECT_EQ(std::filesystem::current_path(), before);
    for (std::size_t k = 0; k < Velloquin::quickSlotCount; ++k) {
        EXPECT_EQ(Velloquin::quickKeyCodes.at(k), 0xABCDu);
        EXPECT_FALSE(Velloquin::quickKeyVisible.at(k));
    }
}

// The doctor's line numbers must match the lines the profile reader took the
// values from, whatever the file's encoding and line ends.
TEST(Doctor, PointsAtTheRightLineInEveryEncoding) {
    const std::string body[] = {"; keys", "[QuickKeys]", "iQuickKey12=70", "iQuickKey13=zz"};
    const struct {
        const char* name;
        std::string bom;
        const char* lineEnd;
        bool utf16;
    } encodings[] = {
        {"ANSI with CR LF", "", "\r\n", false},
        {"LF only", "", "\n", false},
        {"CR only", "", "\r", false},
        {"UTF-8 with mark", "\xEF\xBB\xBF", "\r\n", false},
        {"UTF-16 LE with mark", std::string("\xFF\xFE", 2), "\r\n", true},
    };
    for (const auto& e : encodings) {
        TestHost::ClearGameFolder();
        std::string text;
        for (const std::string& line : body) text += line + e.lineEnd;
        std::string bytes = e.bom;
        for (char c : text) {
            bytes += c;
            if (e.utf16) bytes += '\0';
        }
        TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\VelloquinCustom.ini", bytes);
        const Findings f = Examine(TestHost::GameFolder());
        EXPECT_EQ(Slot(f, 12).code, 0x70u) << e.name;
        EXPECT_EQ(Slot(f, 12).codeFrom.line, 3) << e.name;
        ASSERT_EQ(f.warnings.size(), 1u) << e.name << "\n" << Dump(f);
        EXPECT_EQ(f.warnings[0].kind, WarningKind::NotHexadecimal) << e.name;
        EXPECT_EQ(f.warnings[0].line, 4) << e.name;
    }
    TestHost::ClearGameFolder();
}

TEST(Doctor, WarnsWhenTheSettingsPathIsTooLongForWindows) {
    TestHost::ClearGameFolder();
    std::string deep = ".";
    for (int i = 0; i < 12; ++i) deep += "\\folder-with-a-rather-long-name-" + std::to_string(i);
    TestHost::WriteGameFile(deep + "\\Data\\QVEX\\Plugins\\Velloquin.ini", "[QuickKeys]\r\niQuickKey12=70\r\n");
    const Findings f = Examine(TestHost::GameFilePath(deep));
    ASSERT_FALSE(f.warnings.empty());
    EXPECT_EQ(f.warnings[0].kind, WarningKind::PathTooLong) << Dump(f);
    EXPECT_EQ(Slot(f, 12).code, 0u);  // the profile reader gave nothing
    TestHost::ClearGameFolder();
}

// The doctor tells items apart as the plug-in's reader does (ids as numbers,
// data file names without regard to case), and says what happens whether or
// not the game has a later line's item.
TEST(Doctor, ItemsLinesAreReadAsThePluginReadsThem) {
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt",
                            "QuickKey12 |0x800|Armory.esp\r\n"
                            "QuickKey13 |800|armory.esp\r\n"
                            "QuickKey14 |0001A2B3|Halvorine.esm\r\n"
                            "QuickKey15 |01a2b3|HALVORINE.ESM\r\n"
                            "QuickKey16 |01A2B4|Halvorine.esm\r\n"
                            "QuickKey16 |000801|Missing.esp\r\n"
                            "QuickKey17 |0001A2B3|halvorine.esm\r\n"
                            "QuickKey18 |zzzzzz|Armory.esp\r\n"
                            "QuickKey19 |801|Armory.esp\r\n"
                            "QuickKey19 ||None\r\n"
                            "QuickKey20 |000900|Armory.esp\r\n"
                            "QuickKey20 |QuickKey21 |ABC|Gone.esp\r\n"
                            "QuickKey20 |000901|Armory.esp\r\n");
    const Findings f = Examine(TestHost::GameFolder());
    const struct {
        const char* code;
        int line;
        const char* says;
    } expected[] = {
        {"items-same-item", 2, "already in slot 12 (line 1): item ids are read as numbers"},
        {"items-same-item", 4, "it moves to slot 15, and slot 14 ends empty"},
        {"items-replaced", 6, "if it does not (its data file is not loaded, or the item is gone), the slot keeps the item of line 5"},
        {"items-bad-id", 7, "longer than 6 characters"},
        {"items-bad-id", 8, "\"zzzzzz\" is not a hexadecimal number"},
        {"items-none-keeps", 10, "slot 19 keeps the item of line 9"},
        // A line for two slots whose item the game may not have: slot 20 ends empty only if it has it.
        {"items-several-slots", 12, "goes to the last of them only"},
        {"items-replaced", 12, "it goes on to slot 21, slot 20 ends empty and line 11 has no effect; if it does not"},
        {"items-replaced", 13, "slot 20 still holds the item of line 11 if the game does not have the item"},
    };
    ASSERT_EQ(f.warnings.size(), std::size(expected)) << Dump(f);
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_STREQ(CodeOf(f.warnings[i].kind), expected[i].code) << i;
        EXPECT_EQ(f.warnings[i].line, expected[i].line) << i;
        EXPECT_NE(f.warnings[i].message.find(expected[i].says), std::string::npos) << f.warnings[i].message;
    }
    ASSERT_EQ(f.itemsFiles.size(), 1u);
    const auto& lines = f.itemsFiles[0].lines;
    ASSERT_EQ(lines.size(), 13u);
    const struct {
        const char* status;
        int replacedBy, movedTo;
    } statuses[] = {{"replaced", 2, 13}, {"item", 0, 0},    {"replaced", 4, 15}, {"item", 0, 0}, {"replaced", 6, 0},
                    {"item", 0, 0},      {"skipped", 0, 0}, {"skipped", 0, 0},   {"item", 0, 0}, {"empty", 0, 0},
                    {"replaced", 12, 0}, {"item", 0, 0},    {"item", 0, 0}};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].status, statuses[i].status) << "line " << i + 1;
        EXPECT_EQ(lines[i].replacedBy, statuses[i].replacedBy) << "line " << i + 1;
        EXPECT_EQ(lines[i].movedTo, statuses[i].movedTo) << "line " << i + 1;
    }
    TestHost::ClearGameFolder();
}

// --json is read by other tools: whatever bytes a player's file holds, the
// output is well-formed UTF-8, and the player's own UTF-8 text stays as it is.
TEST(Doctor, JsonIsAlwaysUtf8) {
    const auto wellFormed = [](const std::string& text) {
        for (std::size_t i = 0; i < text.size();) {
            const auto b = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
            const unsigned c = b(0);
            std::size_t n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
            if (n == 0) return false;
            for (std::size_t k = 1; k < n; ++k)
                if ((b(k) & 0xC0) != 0x80) return false;
            // No overlong form, no surrogate, nothing above U+10FFFF.
            if ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) > 0x9F) || (c == 0xF0 && b(1) < 0x90) ||
                (c == 0xF4 && b(1) > 0x8F))
                return false;
            i += n;
        }
        return true;
    };
    const struct {
        const char* what;
        std::string bytes;
        const char* shows;
    } values[] = {
        {"overlong slash", "\xC0\xAF", "\\u00c0\\u00af"},
        {"overlong three bytes", "\xE0\x80\xAF", "\\u00e0\\u0080\\u00af"},
        {"encoded surrogate", "\xED\xA0\x80", "\\u00ed\\u00a0\\u0080"},
        {"lead byte F5", "\xF5\x80\x80\x80", "\\u00f5\\u0080"},
        {"lead byte F7", "\xF7\xBF\xBF\xBF", "\\u00f7\\u00bf"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\\u00f4\\u0090"},
        {"cut at the end", "\xE2\x82", "\\u00e2\\u0082"},
        {"Latin-1 beside UTF-8", "caf\xE9 \xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xAE", "caf\\u00e9 \xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xAE"},
    };
    for (const auto& v : values) {
        TestHost::ClearGameFolder();
        TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin.ini", "[QuickKeys]\r\niQuickKey12=" + v.bytes + "\r\n");
        std::ostringstream out;
        Velloquin::RunDoctor(TestHost::GameFolder(), true, out);
        EXPECT_TRUE(wellFormed(out.str())) << v.what;
        EXPECT_NE(out.str().find(v.shows), std::string::npos) << v.what << "\n" << out.str();
    }
    TestHost::ClearGameFolder();
}

TEST(DoctorIniScan, LinesAsAnEditorCountsThemAndNamesAsTheReaderSeesThem) {
    const auto lines = ScanIniText("; note\r\n[ Quick Keys ]\riQuickKey12 = \"70\"\n\n[abc\r\nk='x'\r\n#c=1\r\n=\r\n");
    ASSERT_EQ(lines.size(), 8u);
    const struct {
        IniLine::Kind kind;
        const char* name;
        const char* value;
        int section;
    } expected[] = {
        {IniLine::Comment, "", "", -1},     {IniLine::Section, "Quick Keys", "", -1},
        {IniLine::Key, "iQuickKey12", "70", 1}, {IniLine::Blank, "", "", 1},
        {IniLine::KeyWithoutValue, "[abc", "", 1}, {IniLine::Key, "k", "x", 1},
        {IniLine::Comment, "", "", 1},      {IniLine::Key, "", "", 1},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(lines[i].kind, expected[i].kind) << i;
        EXPECT_EQ(lines[i].name, expected[i].name) << i;
        EXPECT_EQ(lines[i].value, expected[i].value) << i;
        EXPECT_EQ(lines[i].section, expected[i].section) << i;
    }
}

}  // namespace
