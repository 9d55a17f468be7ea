// GetPrivateProfileStringA against the fixture files in tests/fixtures/ini.
// The same table runs in both builds: on Windows (and under Wine) it checks
// the system's reader, on Linux the stand-in, so the stand-in passes only
// where it answers as the real reader does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"

namespace {

// Fixture path with backslashes after the source folder: the Linux stand-in
// has to map them, and Windows gets a path of its own drive letters.
std::string Fixture(const std::string& name) {
    std::string path = std::string(VELLOQUIN_SOURCE_DIR) + "\\tests\\fixtures\\ini\\" + name;
#ifdef _WIN32
    // Wine shows the Linux root as drive Z:.
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

constexpr const char* kNull = "<null>";  // passes a null default

struct Query {
    const char* file;
    const char* section;
    const char* key;
    const char* fallback;
    DWORD size;
    DWORD count;           // expected result
    std::string expected;  // expected text
};

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

const std::vector<Query>& Table() {
    static const std::vector<Query> table = {
        // Plain values, blanks at both ends of names and values, case of names.
        {"layout.ini", "Visibility", "bQuickKey12Visible", "D", 10000, 1, "1"},
        {"layout.ini", "Visibility", "bQuickKey13Visible", "D", 10000, 1, "0"},
        {"layout.ini", "Visibility", "bQuickKey14Visible", "D", 10000, 3, "yes"},
        {"layout.ini", "visibility", "key15", "D", 10000, 5, "upper"},
        {"layout.ini", "VISIBILITY", "a", "D", 10000, 3, "b=c"},
        {"layout.ini", "Visibility", "sp ace", "D", 10000, 16, "inner space kept"},
        {"layout.ini", "Visibility", "ctrlz", "D", 10000, 5, "value"},
        {"controls.ini", "S", "c1", "D", 10000, 3, "\x1Cv\x1F"},
        {"controls.ini", "S", "c3", "D", 10000, 3, "\x7Fv\x7F"},
        {"controls.ini", "S", "c4", "D", 10000, 3, "\x08v\x08"},
        // A key without "=" answers the default; an empty value is empty.
        {"layout.ini", "Visibility", "nokey", "D", 10000, 1, "D"},
        {"layout.ini", "Visibility", "empty", "D", 10000, 0, ""},
        {"layout.ini", "Visibility", "", "D", 10000, 12, "novalue name"},
        // No comments.
        {"layout.ini", "Visibility", ";x", "D", 10000, 1, "1"},
        {"layout.ini", "Visibility", "x", "D", 10000, 1, "D"},
        {"layout.ini", "Visibility", "#h", "D", 10000, 1, "2"},
        {"layout.ini", "Visibility", "k", "D", 10000, 8, "a ; note"},
        // One pair of enclosing quotes goes.
        {"layout.ini", "Visibility", "dq", "D", 10000, 12, "quoted value"},
        {"layout.ini", "Visibility", "sq", "D", 10000, 6, "single"},
        {"layout.ini", "Visibility", "mixed", "D", 10000, 5, "\"abc'"},
        {"layout.ini", "Visibility", "lonequote", "D", 10000, 1, "\""},
        {"layout.ini", "Visibility", "twoquotes", "D", 10000, 0, ""},
        {"layout.ini", "Visibility", "innerspace", "D", 10000, 8, " padded "},
        // First key and first section of a name win.
        {"layout.ini", "Visibility", "dup", "D", 10000, 5, "first"},
        {"layout.ini", "Visibility", "late", "D", 10000, 1, "D"},
        {"layout.ini", "visibility", "late", "D", 10000, 1, "D"},
        // Section headers.
        {"layout.ini", "QuickKeys", "iQuickKey12", "D", 10000, 2, "70"},
        {"layout.ini", "Spaced", "s", "D", 10000, 1, "1"},
        {"layout.ini", " Spaced ", "s", "D", 10000, 1, "1"},
        {"layout.ini", "Closed", "c", "D", 10000, 1, "2"},
        {"layout.ini", "a]b", "ab", "D", 10000, 1, "3"},
        {"layout.ini", "a", "ab", "D", 10000, 1, "D"},
        {"layout.ini", "open", "o", "D", 10000, 1, "D"},
        {"layout.ini", "a]b", "[open", "D", 10000, 1, "D"},
        {"layout.ini", "a]b", "o", "D", 10000, 1, "4"},
        {"layout.ini", "EmptySec", "x", "D", 10000, 1, "D"},
        {"layout.ini", "Tail", "t", "D", 10000, 4, "last"},
        {"layout.ini", " Tail ", " t ", "D", 10000, 4, "last"},
        // An empty header "[]" ends the section before it.
        {"sections.ini", "Before", "b", "D", 10000, 1, "1"},
        {"sections.ini", "Before", "after", "D", 10000, 1, "D"},
        {"layout.ini", "Nosuch", "k", "dflt", 10000, 4, "dflt"},
        // The default.
        {"layout.ini", "Visibility", "missing", "dflt  ", 10000, 4, "dflt"},
        {"layout.ini", "Visibility", "missing", "  dflt  ", 10000, 6, "  dflt"},
        {"layout.ini", "Visibility", "missing", " ", 10000, 1, " "},
        {"layout.ini", "Visibility", "missing", "dflt\t ", 10000, 5, "dflt\t"},
        {"layout.ini", "Visibility", "missing", kNull, 10000, 0, ""},
        {"layout.ini", "Visibility", "missing", "", 10000, 0, ""},
        {"layout.ini", "Visibility", "missing", "\"q\"", 10000, 1, "q"},
        {"layout.ini", "Visibility", "missing", "'q' ", 10000, 1, "q"},
        {"layout.ini", "Visibility", "missing", "\"q", 10000, 2, "\"q"},
        // Cut to size - 1.
        {"layout.ini", "Visibility", "a", "D", 1, 0, ""},
        {"layout.ini", "Visibility", "a", "D", 2, 1, "b"},
        {"layout.ini", "Visibility", "a", "D", 3, 2, "b="},
        {"layout.ini", "Visibility", "a", "D", 4, 3, "b=c"},
        {"layout.ini", "Visibility", "missing", "defaultvalue", 4, 3, "def"},
        {"layout.ini", "Visibility", "dq", "D", 5, 4, "quot"},
        {"layout.ini", "Visibility", "dq", "D", 13, 11, "quoted valu"},
        {"layout.ini", "Visibility", "dq", "D", 14, 12, "quoted value"},
        // Line ends: CR LF, CR alone, and any mix.
        {"crlf.ini", "Sec", "k", "D", 10000, 10, "crlf value"},
        {"crlf.ini", "Next", "n", "D", 10000, 1, "2"},
        {"crlf.ini", "", "orphan", "D", 10000, 18, "before any section"},
        {"crlf.ini", " ", "orphan", "D", 10000, 18, "before any section"},
        {"crlf.ini", "", "blank", "D", 10000, 1, "D"},
        {"crlf.ini", "Sec", "orphan", "D", 10000, 1, "D"},
        {"cr_only.ini", "Sec", "k", "D", 10000, 8, "cr value"},
        {"cr_only.ini", "Sec", "n", "D", 10000, 1, "2"},
        {"mixed_ends.ini", "Sec", "a", "D", 10000, 1, "1"},
        {"mixed_ends.ini", "Sec", "b", "D", 10000, 1, "2"},
        {"mixed_ends.ini", "Sec", "c", "D", 10000, 1, "3"},
        {"mixed_ends.ini", "Sec", "d", "D", 10000, 1, "4"},
        {"mixed_ends.ini", "Sec", "e", "D", 10000, 1, "5"},
        // Encodings: byte-order marks of UTF-8 and UTF-16; ASCII case only.
        {"bom.ini", "Sec", "k", "D", 10000, 9, "after bom"},
        {"double_bom.ini", "Sec", "k", "D", 10000, 1, "D"},
        {"utf16le.ini", "Sec", "k", "D", 10000, 3, "bom"},
        {"utf16be.ini", "Sec", "k", "D", 10000, 3, "bom"},
        {"utf16le_nobom.ini", "Sec", "k", "D", 10000, 1, "D"},
        {"utf16le_nobom.ini", "", "", "D", 10000, 1, "D"},
        // A NUL byte ends the name or value it is in, and nothing else.
        {"zero_bytes.ini", "QuickKeys", "iQuickKey12", "D", 1000, 1, "7"},
        {"zero_bytes.ini", "QuickKeys", "iQuickKey13", "D", 1000, 2, "71"},
        {"zero_bytes.ini", "QuickKeys", "b", "D", 1000, 1, "D"},
        {"zero_bytes.ini", "QuickKeys", "", "D", 1000, 1, "2"},
        {"zero_bytes.ini", "QuickKeys", "c", "D", 1000, 1, "3"},
        {"zero_bytes.ini", "T", "d", "D", 1000, 1, "4"},
        // Bad files.
        {"empty.ini", "Sec", "k", "D", 10000, 1, "D"},
        {"empty.ini", "Sec", "k", "", 10000, 0, ""},
        {"garbage.ini", "Sec", "k", "D", 10000, 6, "hidden"},
        {"garbage.ini", "Sec", "v", "D", 10000, 1, "a"},
        {"long_value.ini", "Sec", "long", "D", 10000, 9999, Repeat('x', 9999)},
        {"long_value.ini", "Sec", "long", "D", 30000, 20003, Repeat('x', 20000) + "END"},
        {"long_value.ini", "Sec", "after", "D", 10000, 2, "ok"},
        // Missing files: in an existing folder like an empty file (quotes
        // go), otherwise the default as it is.
        {"nosuch.ini", "Sec", "k", "\"q\" ", 10000, 1, "q"},
        {"nofolder\\nosuch.ini", "Sec", "k", "\"q\" ", 10000, 3, "\"q\""},
        {"", "Sec", "k", "\"q\"", 10000, 3, "\"q\""},
        {"layout.ini\\x", "Sec", "k", "\"q\"", 10000, 3, "\"q\""},
    };
    return table;
}

// Answers that depend on the ANSI code page being 1252 (Wine's under an
// English or C locale): bytes above 0x7F and text converted from UTF-8.
const std::vector<Query>& CodePage1252Table() {
    static const std::vector<Query> table = {
        {"layout.ini", "Visibility", "nbsp", "D", 10000, 3, "\xA0v\xA0"},
        {"controls.ini", "S", "c2", "D", 10000, 3, "\x85v\x85"},
        {"utf8.ini", "Sec", "caf\xE9", "D", 10000, 1, "1"},
        {"utf8.ini", "Sec", "CAF\xE9", "D", 10000, 1, "1"},
        {"utf8.ini", "Sec", "caf\xC9", "D", 10000, 1, "D"},
        {"utf8.ini", "Sec", "name", "D", 10000, 3, "\xE9\x80?"},
        {"ansi.ini", "sec", "caf\xE9", "D", 10000, 1, "2"},
        {"ansi.ini", "sec", "CAF\xC9", "D", 10000, 1, "D"},
        {"ansi.ini", "sec", "\x8A" "A", "D", 10000, 1, "3"},
        // Every assigned byte of 0x80 to 0x9F in an ANSI value reads back as itself (0x8A is "Š", not "s").
        {"ansi_high.ini", "S", "v", "D", 1000, 29,
         "<\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F>"},
        {"ansi_high.ini", "S", "name", "D", 1000, 7, "\x8Aime\x9A" "ek"},
        // Characters without a byte in 1252 take the nearest letter where the
        // real reader has one (Latin Extended-A, full-width ASCII), else "?";
        // names compare before that conversion; beyond U+FFFF two "?".
        {"utf8_bestfit.ini", "Names", "?", "D", 1000, 1, "D"},
        {"utf8_bestfit.ini", "Names", "a", "D", 1000, 1, "D"},
        {"utf8_bestfit.ini", "Names", "\xE9", "D", 1000, 1, "2"},
        {"utf8_bestfit.ini", "?", "k", "D", 1000, 1, "D"},
        {"utf8_bestfit.ini", "i", "k", "D", 1000, 1, "D"},
        {"utf8_bestfit.ini", "Values", "latin", "D", 1000, 130, "<AaAaAaCcCcCcCcDd\xD0" "dEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKk?LlLlLl??LlNnNnNn???OoOoOo\x8C\x9CRrRrRrSsSsSs\x8A\x9ATtTtTtUuUuUuUuUuUuWwYy\x9FZzZz\x8E\x9E?>"},
        {"utf8_bestfit.ini", "Values", "wide", "D", 1000, 96, "<!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~>"},
        {"utf8_bestfit.ini", "Values", "none", "D", 1000, 6, "<????" ">"},
        {"utf8_bestfit.ini", "Values", "astral", "D", 1000, 4, "<??" ">"},
        {"utf8_bestfit.ini", "Values", "zero", "D", 1000, 1, "5"},
        // Malformed UTF-8: as many "?" as the real decoder gives; an overlong
        // "=" or line end is neither.
        {"utf8_malformed.ini", "S", "bad", "D", 1000, 72, "<??|??|??|?|????|??|?x|??|????|???|???|?x|??|???|??|?|?????|??|?\xA9|\x80?|??" ">"},
        {"utf8_malformed.ini", "S", "eq", "D", 1000, 4, "a??b"},
        {"utf8_malformed.ini", "S", "nl", "D", 1000, 6, "a??b=c"},
        {"utf8_malformed.ini", "S", "b", "D", 1000, 1, "D"},
        {"utf8_malformed.ini", "S", "k??", "D", 1000, 1, "D"},
        // UTF-16: every surrogate of its own is a character ("?").
        {"utf8_malformed.ini", "S", "k", "D", 1000, 1, "D"},
        {"utf16_surrogates.ini", "S", "a", "D", 1000, 3, "<?>"},
        {"utf16_surrogates.ini", "S", "b", "D", 1000, 3, "<?>"},
        {"utf16_surrogates.ini", "S", "c", "D", 1000, 5, "<??x>"},
        {"utf16_surrogates.ini", "S", "d", "D", 1000, 4, "<??" ">"},
        {"utf16_surrogates.ini", "S", "m?", "D", 1000, 1, "D"},
        {"utf16_surrogates.ini", "S", "latin", "D", 1000, 6, "<ail\x9C>"},
        {"utf16_surrogates.ini", "S", "z", "D", 1000, 1, "6"},
        {"utf16_surrogates.ini", "S", "k", "D", 1000, 1, "1"},
        {"utf16_surrogates.ini", "T", "k", "D", 1000, 1, "D"},
        {"utf16_surrogates.ini", "T?", "k", "D", 1000, 1, "D"},
    };
    return table;
}

std::string Describe(const Query& q) {
    return std::string(q.file) + " [" + q.section + "] " + q.key + " default=" + q.fallback +
           " size=" + std::to_string(q.size);
}

TEST(ProfileReader, AnswersAsTheWindowsReader) {
#ifdef _WIN32
    const bool codePage1252 = GetACP() == 1252;
#else
    const bool codePage1252 = true;
#endif
    std::vector<Query> queries = Table();
    if (codePage1252) queries.insert(queries.end(), CodePage1252Table().begin(), CodePage1252Table().end());
    for (const Query& q : queries) {
        std::vector<char> buffer(q.size + 16, '#');
        const DWORD count = GetPrivateProfileStringA(q.section, q.key, q.fallback == kNull ? nullptr : q.fallback,
                                                     buffer.data(), q.size, Fixture(q.file).c_str());
        EXPECT_EQ(count, q.count) << Describe(q);
        EXPECT_EQ(std::string(buffer.data(), count), q.expected) << Describe(q);
        EXPECT_EQ(buffer[count], '\0') << Describe(q);
        EXPECT_EQ(buffer[q.size], '#') << "wrote past the buffer: " << Describe(q);
    }
}

TEST(ProfileReader, SizeZeroWritesNothing) {
    char buffer[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileStringA("Visibility", "a", "D", buffer, 0, Fixture("layout.ini").c_str()), 0u);
    EXPECT_EQ(std::string(buffer, 4), "####");
}

#ifndef _WIN32
// The Windows reader's answer for a path of MAX_PATH characters or more is
// not dependable (Wine may answer from the file read before); the stand-in
// gives the default.
TEST(ProfileReader, PathOfMaxPathOrMoreGivesTheDefault) {
    const std::string longPath = Fixture(std::string(300, 'g') + ".ini");
    char buffer[16] = {};
    EXPECT_EQ(GetPrivateProfileStringA("Tail", "t", "D", buffer, sizeof buffer, Fixture("layout.ini").c_str()), 4u);
    EXPECT_EQ(GetPrivateProfileStringA("Tail", "t", "D", buffer, sizeof buffer, longPath.c_str()), 1u);
    EXPECT_STREQ(buffer, "D");
}
#endif

}  // namespace
