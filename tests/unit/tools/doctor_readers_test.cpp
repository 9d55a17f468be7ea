// The doctor's readers on whatever a player's disk holds: the log (any time
// column, any line number, any size), items files (bytes that are no UTF-8,
// ids wider than their data file's, files longer than the plug-in writes),
// the DLL's version, the zip's limits, and the text report's escaping.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "doctor/findings.h"
#include "doctor/library_version.h"
#include "doctor/zip_writer.h"
#include "game_folder.h"
#include "persistence/items_file.h"
#include "support/library_image.h"
#include "unit/persistence/fixture.h"

namespace {

using namespace Velloquin::Doctor;

std::string Report(const Findings& findings) {
    std::ostringstream out;
    WriteText(findings, out);
    return out.str();
}

const Warning* FindWarning(const Findings& findings, WarningKind kind) {
    for (const Warning& w : findings.warnings)
        if (w.kind == kind) return &w;
    return nullptr;
}

TEST(DoctorReaders, TheTimeColumnOfAnyLengthOfPlay) {
    const struct {
        const char* line;
        bool box;
    } cases[] = {
        {"[     0.001] Error box from F line 1: t", true},
        {"[999999.999] Error box from F line 1: t", true},
        // After 11.6 days of play the seconds take a seventh place, and more later.
        {"[1000000.000] Error box from F line 1: t", true},
        {"[18446744073709551615.123] Error box from F line 1: t", true},
        {"Error box from F line 1: t", true},  // no column at all
        // Not a time column: the line is taken whole, and it starts with no event.
        {"[12.34] Error box from F line 1: t", false},
        {"[12.3456] Error box from F line 1: t", false},
        {"[ .123] Error box from F line 1: t", false},
        {"[12.345]Error box from F line 1: t", false},
        {"[123456789012345678901.000] Error box from F line 1: t", false},
        {"[", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadLogLines({c.line}).boxes.size(), c.box ? 1u : 0u) << c.line;
}

TEST(DoctorReaders, ABoxLineNumberIsReadWithItsRange) {
    const struct {
        const char* line;
        const char* function;
        int number;
        const char* shown;
    } cases[] = {
        {"Error box from F line 467: t", "F", 467, "F line 467: t"},
        {"Error box from F line 2147483647: t", "F", INT_MAX, "F line 2147483647: t"},
        // Past int, signed, or no number: the text is kept as written, no number is made up.
        {"Error box from F line 2147483648: t", "F line 2147483648", 0, "F line 2147483648: t"},
        {"Error box from F line 99999999999999999999: t", "F line 99999999999999999999", 0,
         "F line 99999999999999999999: t"},
        {"Error box from F line -5: t", "F line -5", 0, "F line -5: t"},
        {"Error box from F line 12x: t", "F line 12x", 0, "F line 12x: t"},
        {"Error box from F line 0: t", "F line 0", 0, "F line 0: t"},
        {"Fatal error box from G line 3: u (the game ends after it)", "G", 3, "G line 3: u (fatal"},
    };
    for (const auto& c : cases) {
        Findings findings;
        findings.folderEntered = findings.mainFile = true;
        findings.log = ReadLogLines({c.line});
        findings.log.file = "Velloquin.log";
        ASSERT_EQ(findings.log.boxes.size(), 1u) << c.line;
        EXPECT_EQ(findings.log.boxes[0].function, c.function) << c.line;
        EXPECT_EQ(findings.log.boxes[0].line, c.number) << c.line;
        EXPECT_NE(Report(findings).find(c.shown), std::string::npos) << Report(findings);
    }
}

// Read in pieces, the log gives what its lines give, whatever the pieces cut.
TEST(DoctorReaders, TheLogStreamReadsWhatItsLinesSay) {
    std::string bytes;
    std::vector<std::string> lines;
    for (int i = 0; i < 4000; ++i) {
        // Lines of many lengths, so that some straddle each 64 KiB piece.
        std::string line = "[     1.000] Save failed: " + std::string(static_cast<std::size_t>(i % 97), 'x') + std::to_string(i);
        if (i % 5 == 0) line = "[     2.000] Error box from F line " + std::to_string(i + 1) + ": t";
        lines.push_back(line);
        bytes += line + (i % 2 ? "\r\n" : "\n");
    }
    std::istringstream in(bytes);
    const LogFindings streamed = ReadLogStream(in, logReadLimit);
    const LogFindings whole = ReadLogLines(lines);
    EXPECT_FALSE(streamed.cut);
    EXPECT_EQ(streamed.lines, 4000);
    EXPECT_EQ(streamed.saveFailures, whole.saveFailures);
    ASSERT_EQ(streamed.boxes.size(), whole.boxes.size());
    for (std::size_t i = 0; i < whole.boxes.size(); ++i) EXPECT_EQ(streamed.boxes[i].line, whole.boxes[i].line);
}

TEST(DoctorReaders, TheLogIsReadUpToItsLimitAndSaysSo) {
    const struct {
        const char* what;
        std::string bytes;
        std::size_t limit;
        int lines;
        bool cut;
    } cases[] = {
        {"exactly the limit", std::string(15, 'a') + "\n", 16, 1, false},
        {"one byte more", std::string(16, 'a') + "\n", 16, 1, true},
        {"line ends only", std::string(100, '\n'), 10, 10, true},
        {"a last line without its end", "a\nb", 16, 2, false},
        {"empty", "", 16, 0, false},
        // 16 MiB of line ends: one MiB of lines is read, no more.
        {"16 MiB of line ends", std::string(16 << 20, '\n'), logReadLimit, static_cast<int>(logReadLimit), true},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.bytes);
        const LogFindings log = ReadLogStream(in, c.limit);
        EXPECT_EQ(log.lines, c.lines) << c.what;
        EXPECT_EQ(log.cut, c.cut) << c.what;
    }
    Findings findings;
    findings.folderEntered = findings.mainFile = true;
    findings.log.file = "Velloquin.log";
    findings.log.cut = true;
    EXPECT_NE(Report(findings).find("only its first 1024 KiB were read"), std::string::npos) << Report(findings);
    std::ostringstream json;
    WriteJson(findings, json);
    EXPECT_NE(json.str().find("\"cut\": true"), std::string::npos);
}

TEST(DoctorReaders, TheTextReportShowsControlBytesAndCodePagesEscaped) {
    const struct {
        std::string text, shown;
    } cases[] = {
        {"plain\ttext\n", "plain\ttext\n"},
        {"\x1B[2Jgone\a", "\\x1B[2Jgone\\x07"},
        {"a\rb\x7F", "a\\x0Db\\x7F"},
        {"Spiele \xD0\x96\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C", "Spiele \xD0\x96\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C"},
        {"R\xE9sum\xE9.esp", "R\\xE9sum\\xE9.esp"},        // Windows-1252
        {"\xC2\x9B" "2J", "\\u009B2J"},                    // a C1 control as UTF-8
        {"\xC0\xAF \xED\xA0\x80", "\\xC0\\xAF \\xED\\xA0\\x80"},  // overlong, a surrogate
        {"\xE2\x82", "\\xE2\\x82"},                        // cut short
        {std::string("nul\0in", 6), "nul\\x00in"},
    };
    for (const auto& c : cases) EXPECT_EQ(ConsoleText(c.text), c.shown) << c.shown;
}

// A box's text from the log and a data file's name in a code page reach the
// report escaped; the names stay bytes (no warning for them, the JSON is UTF-8).
TEST(DoctorReaders, FilesOfPlayersReachTheReportEscaped) {
    TestHost::ClearGameFolder();
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin.ini", "; F\xFCnf\x1B[31m\r\n[QuickKeys]\r\niQuickKey12=70\r\n");
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt",
                            "QuickKey12 |000800|R\xE9sum\xE9.esp\r\nQuickKey13 |000801|R\xC3\xA9sum\xC3\xA9.esp\r\n");
    const Findings findings = Examine(TestHost::GameFolder());
    EXPECT_TRUE(findings.warnings.empty()) << findings.warnings.size();
    ASSERT_EQ(findings.itemsFiles.size(), 1u);
    ASSERT_EQ(findings.itemsFiles[0].lines.size(), 2u);
    EXPECT_EQ(findings.itemsFiles[0].lines[0].dataFile, "R\xE9sum\xE9.esp") << "kept as bytes";
    Findings withLog = findings;
    withLog.log = ReadLogLines({"[     1.000] Error box from F line 2: \x1B]0;owned\a\x1B[2J"});
    withLog.log.file = "Velloquin.log";
    const std::string text = Report(withLog);
    EXPECT_NE(text.find("item 000800 from R\\xE9sum\\xE9.esp"), std::string::npos) << text;
    EXPECT_NE(text.find("item 000801 from R\xC3\xA9sum\xC3\xA9.esp"), std::string::npos) << text;
    EXPECT_NE(text.find("F line 2: \\x1B]0;owned\\x07\\x1B[2J"), std::string::npos) << text;
    for (const char c : text) EXPECT_TRUE(c == '\n' || c == '\t' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    EXPECT_TRUE(Velloquin::IsUtf8(text));
    std::ostringstream json;
    WriteJson(withLog, json);
    EXPECT_TRUE(Velloquin::IsUtf8(json.str()));

    // A settings line in a code page: its warning shows the line with the byte escaped.
    TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin.ini", "[QuickKeys]\r\niQuickKey12=70\r\niQuickK\xE9y13=71\r\n");
    const std::string misspelt = Report(Examine(TestHost::GameFolder()));
    EXPECT_NE(misspelt.find("iQuickK\\xE9y13=71"), std::string::npos) << misspelt;
    EXPECT_EQ(misspelt.find('\xE9'), std::string::npos);
    TestHost::ClearGameFolder();
}

TEST(DoctorReaders, IdsWiderThanTheMastersAreWarned) {
    const struct {
        const char* line;
        bool spills;
        const char* item = "";  // the id the plug-in asks the game for
    } cases[] = {
        {"QuickKey12 |1000800|Halvorine.esm", true, "01000800"},
        {"QuickKey12 |01000800|Halvorine.esm", true, "01000800"},
        {"QuickKey12 | 1000800|Halvorine.esm", true, "01000800"},  // read as the plug-in reads it, blank and all
        {"QuickKey12 |FFFFFFFF|Halvorine.esm", true, "FFFFFFFF"},
        {"QuickKey12 |00FFFFFF|Halvorine.esm", false},  // the widest id of the master
        {"QuickKey12 |01A2B3|Halvorine.esm", false},
        {"QuickKey12 |FFFFFF|Armory.esp", false},       // six digits never leave a file's 24 bits
        {"QuickKey12 |01000800|halvorine.esm", false},  // only "Halvorine.esm" may have 8 digits: skipped
        {"QuickKey12 |0x1000800|Halvorine.esm", false}, // 9 characters: skipped
    };
    for (const auto& c : cases) {
        TestHost::ClearGameFolder();
        TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt", std::string(c.line) + "\r\n");
        const Findings findings = Examine(TestHost::GameFolder());
        const Warning* spill = FindWarning(findings, WarningKind::ItemsIdSpills);
        EXPECT_EQ(spill != nullptr, c.spills) << c.line;
        if (spill) {
            EXPECT_EQ(spill->line, 1);
            EXPECT_NE(spill->message.find("another data file"), std::string::npos) << spill->message;
            EXPECT_NE(spill->message.find("item " + std::string(c.item) + ","), std::string::npos) << spill->message;
            EXPECT_NE(Report(findings).find("VelloquinItems_2A.txt line 1: " + std::string(c.line)), std::string::npos);
        }
    }
    TestHost::ClearGameFolder();
}

TEST(DoctorReaders, AnItemsFileLongerThanThePluginWritesIsCut) {
    // The longest file the plug-in writes: a line for each of 12 pieces of 12
    // slots, each with the longest data file name the game holds.
    std::string longest;
    const std::string name = std::string(383 - 4, 'n') + ".esp";
    for (int piece = 0; piece < 12; ++piece)
        for (int slot = 12; slot < 24; ++slot)
            longest += (piece == 0 ? "QuickKey" : "Outfit") + std::to_string(slot) + " |FFFFFF|" + name + "\r\n";
    const struct {
        const char* what;
        std::string bytes;
        bool cut;
    } cases[] = {
        {"the longest the plug-in writes", longest, false},
        {"twice that", longest + longest, false},
        {"a megabyte of blank lines after a slot", "QuickKey12 |01A2B3|Halvorine.esm\r\n" + std::string(1 << 20, '\n'), true},
        {"one line of a megabyte", "QuickKey12 |01A2B3|" + std::string(1 << 20, 'x') + "\r\n", true},
    };
    for (const auto& c : cases) {
        TestHost::ClearGameFolder();
        TestHost::WriteGameFile(".\\Data\\QVEX\\Plugins\\Velloquin\\VelloquinItems_2A.txt", c.bytes);
        const Findings findings = Examine(TestHost::GameFolder());
        const Warning* cut = FindWarning(findings, WarningKind::ItemsCut);
        EXPECT_EQ(cut != nullptr, c.cut) << c.what;
        ASSERT_EQ(findings.itemsFiles.size(), 1u);
        if (c.cut) {
            EXPECT_NE(Report(findings).find("longer than the plug-in ever writes"), std::string::npos) << c.what;
            // Only whole lines of the start are checked: no half line's warning.
            for (const ItemsLine& line : findings.itemsFiles[0].lines) EXPECT_NE(line.status, "skipped") << line.line;
        }
    }
    TestHost::ClearGameFolder();
}

TEST(DoctorReaders, TheZipRefusesWhatItsFormatCannotHold) {
    const std::size_t gib4 = 0xFFFFFFFFu;
    const struct {
        const char* what;
        std::vector<ZipEntrySize> sizes;
        const char* problem;  // "" when it fits
    } cases[] = {
        {"an ordinary bundle", {{10, 1000}, {30, 8 << 20}}, ""},
        {"a name of 65535 bytes", {{0xFFFF, 1}}, ""},
        {"a name of 65536 bytes", {{0x10000, 1}}, "file 1 has a name of 65536 bytes"},
        {"an entry of 4 GiB", {{4, gib4}}, "file 1 is 4294967295 bytes"},
        {"entries adding up to 4 GiB", {{4, 0x80000000u}, {4, 0x80000000u}}, "add up to 4 GiB or more"},
        {"just below 4 GiB in all", {{4, gib4 - 1 - 34 - 50 - 22}}, ""},
        {"one byte more", {{4, gib4 - 34 - 50 - 22}}, "add up to 4 GiB or more"},
        {"65534 entries", std::vector<ZipEntrySize>(0xFFFE, {1, 0}), ""},
        {"65535 entries", std::vector<ZipEntrySize>(0xFFFF, {1, 0}), "65535 files are more than"},
    };
    for (const auto& c : cases) {
        const std::string problem = ZipLimitProblem(c.sizes);
        if (*c.problem == '\0') EXPECT_EQ(problem, "") << c.what;
        else EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    }
    // Refused whole: no archive at all, never one with a cut length.
    std::string problem;
    EXPECT_FALSE(MakeZip({{std::string(0x10000, 'a'), "x"}}, {}, problem).has_value());
    EXPECT_NE(problem.find("65536 bytes"), std::string::npos);
    EXPECT_TRUE(MakeZip({{std::string(0xFFFF, 'a'), "x"}}, {}, problem).has_value());
}

TEST(DoctorReaders, OnlyUtf8NamesAreMarkedUtf8) {
    const struct {
        std::string name;
        bool marked;
    } cases[] = {
        {"bundle.txt", false},
        {"Data/Spiele \xD0\x96\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C.txt", true},
        {"\xE6\x9D\x8E\xE9\x9B\xB7/a.txt", true},
        {"R\xE9sum\xE9.txt", false},      // a code page's bytes
        {"\xC0\xAF.txt", false},          // overlong
        {"\xED\xA0\x80.txt", false},      // a surrogate
        {"\xF4\x90\x80\x80.txt", false},  // beyond U+10FFFF
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZipNameIsMarkedUtf8(c.name), c.marked) << c.name;
        std::string problem;
        const std::string zip = MakeZip({{c.name, "data"}}, {}, problem).value();
        const auto flags = [&](std::size_t at) { return (static_cast<unsigned char>(zip[at + 1]) << 8) | static_cast<unsigned char>(zip[at]); };
        const std::size_t directory = zip.find("PK\x01\x02");
        ASSERT_NE(directory, std::string::npos);
        EXPECT_EQ(flags(6) == 0x800, c.marked) << "local header: " << c.name;
        EXPECT_EQ(flags(directory + 8) == 0x800, c.marked) << "directory: " << c.name;
    }
}

TEST(DoctorReaders, TheVersionReaderTakesDamagedTables) {
    using TestSupport::LibraryImage;
    using TestSupport::LibraryShape;
    const struct {
        const char* what;
        LibraryShape shape;
        std::optional<std::string> version;
    } cases[] = {
        {"one section", {}, "2.1"},
        {"many sections before the exports", {.sections = 3000}, "2.1"},
        {"many names before the version's", {.sections = 40, .decoyNames = 5000, .pluginVersion = 0x030C0000}, "3.12"},
        {"names but none the version's", {.sections = 40, .decoyNames = 5000, .versionName = false}, std::nullopt},
        {"sections out of order", {.sections = 3, .descending = true}, std::nullopt},
        // A section whose file bytes reach past the next one's start: mapped up to that start only.
        {"a section longer than its room", {.sections = 3, .rawSize = 0x100000}, "2.1"},
        {"the most sections a table holds", {.sections = 0xFFFF, .decoyNames = 100}, "2.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(PluginVersionOfLibrary(LibraryImage(c.shape)), c.version) << c.what;
    // A table cut short by the file's end is no DLL's.
    const std::string many = LibraryImage({.sections = 100});
    EXPECT_EQ(PluginVersionOfLibrary(std::string_view(many).substr(0, 0x148 + 40 * 50)), std::nullopt);
}

}  // namespace

namespace PersistenceTests {
namespace {

// What the warning says is what the plug-in does: the master's id 1000800
// puts the item 01000800 of the second full file into the slot, and the slot
// that held that item ends empty.
TEST_F(PersistenceTest, AWideMasterIdNamesAnotherFilesItemAsTheDoctorWarns) {
    TestHost::LoadGame(standardOrder, standardForms);
    WriteBytes(ItemsFile(), "QuickKey13 |000800|Armory.esp\r\nQuickKey12 |1000800|Halvorine.esm\r\n");
    Velloquin::ReloadFavoriteItems();
    const std::vector<TestHost::FormOrigin> slots = SlotOrigins();
    EXPECT_EQ(slots.at(0).file, "Armory.esp");
    EXPECT_EQ(slots.at(0).localId, 0x800u);
    EXPECT_TRUE(slots.at(1).file.empty());
    const Velloquin::Doctor::Findings findings = Velloquin::Doctor::Examine(fs::current_path().string());
    std::size_t spills = 0;
    for (const auto& w : findings.warnings) spills += w.kind == Velloquin::Doctor::WarningKind::ItemsIdSpills;
    EXPECT_EQ(spills, 1u);
}

}  // namespace
}  // namespace PersistenceTests
