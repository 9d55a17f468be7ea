// The shared text helpers: case rules, hexadecimal texts and numbers, UTF-8.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"

namespace {

using namespace Velloquin;

// Only ASCII letters change; the bytes of UTF-8 text and the characters
// next to the letter ranges ('@', '[', '`', '{') stay as they are.
TEST(AsciiCase, OnlyAsciiLettersChange) {
    EXPECT_EQ(LowerAscii("FavoritesMenu @[`{ 09"), "favoritesmenu @[`{ 09");
    EXPECT_EQ(UpperAscii("Halvorine.esm @[`{ 09"), "HALVORINE.ESM @[`{ 09");
    EXPECT_EQ(LowerAscii("\xC3\x84RGER \xC3\xA4"), "\xC3\x84rger \xC3\xA4");  // "Ärger ä": Ä stays
    EXPECT_EQ(UpperAscii(std::string("a\0b", 3)), std::string("A\0B", 3));
    EXPECT_EQ(LowerAsciiLetter(u'\u00C4'), u'\u00C4');
    EXPECT_EQ(LowerAsciiLetter(u'Q'), u'q');
    for (int c = 0; c < 256; ++c) {
        const char ch = static_cast<char>(c);
        const bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z';
        EXPECT_EQ(LowerAsciiLetter(ch), upper ? static_cast<char>(c + 32) : ch) << c;
        EXPECT_EQ(UpperAsciiLetter(ch), lower ? static_cast<char>(c - 32) : ch) << c;
    }
}

TEST(AsciiCase, EqualIgnoringCase) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"Velloquin.ini", "VELLOQUIN.INI", true}, {"iQuickKey12", "iquickkey12", true}, {"", "", true},
        {"abc", "abcd", false},                    {"a@", "A`", false},                  {"[", "{", false},
        {"\xC3\x84", "\xC3\xA4", false},           {"Data", "Dat", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EqualIgnoringAsciiCase(std::string_view(c.a), std::string_view(c.b)), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(EqualIgnoringAsciiCase(std::u16string_view(Utf8ToUtf16(c.a)), std::u16string_view(Utf8ToUtf16(c.b))),
                  c.equal)
            << c.a << " " << c.b;
    }
    EXPECT_FALSE(EqualIgnoringAsciiCase(std::u16string_view(u"\u00C4"), std::u16string_view(u"\u00E4")));
}

TEST(UpperHex, WithoutAndWithPadding) {
    const struct {
        std::uint64_t value;
        const char* text;
    } cases[] = {{0, "0"}, {0x2E3, "2E3"}, {0xABCDEF, "ABCDEF"}, {0xFFFFFFFF, "FFFFFFFF"},
                 {0x100000000, "100000000"}, {0xFFFFFFFFFFFFFFFF, "FFFFFFFFFFFFFFFF"}};
    for (const auto& c : cases) EXPECT_EQ(UpperHex(c.value), c.text) << c.text;
    EXPECT_EQ(UpperHex8(0), "00000000");
    EXPECT_EQ(UpperHex8(0x2E3), "000002E3");
    EXPECT_EQ(UpperHex8(0x1A2B3C4D), "1A2B3C4D");
    EXPECT_EQ(UpperHex8(0xFEDCBA98), "FEDCBA98");
}

TEST(ParseHexUInt32, ReadsAsStrtoulInBase16WithA32BitLong) {
    const struct {
        const char* text;
        bool ok;
        std::uint32_t code;
    } cases[] = {
        {"70", true, 0x70},           {"0x70", true, 0x70},         {"0X7b", true, 0x7B},
        {" \t\n70", true, 0x70},      {"+1a", true, 0x1A},          {"70zz", true, 0x70},
        {"0x10001", true, 0x10001},   {"000000000070", true, 0x70}, {"FFFFFFFF", true, 0xFFFFFFFF},
        {"-1", true, 0xFFFFFFFF},     {"-0x10", true, 0xFFFFFFF0},  {"-FFFFFFFF", true, 1},
        {"0x", true, 0},              {"0xzz", true, 0},            {"0", true, 0},
        {"zz", false, 0},             {"", false, 0},               {"   ", false, 0},
        {"- 1", false, 0},            {"x70", false, 0},            {"100000000", false, 0},
        {"-100000000", false, 0},     {"FFFFFFFFFFFFFFFF1", false, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t code = 0x5A5A5A5A;
        EXPECT_EQ(ParseHexUInt32(c.text, code), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(code, c.code) << '"' << c.text << '"';
        }
    }
    // A view ends where it ends: the digits after it are not read.
    const std::string_view head = std::string_view("12345").substr(0, 2);
    std::uint32_t code = 0;
    EXPECT_TRUE(ParseHexUInt32(head, code));
    EXPECT_EQ(code, 0x12u);
}

TEST(Utf8ToUtf16, WellFormedAndMalformedText) {
    EXPECT_EQ(Utf8ToUtf16("Stim"), u"Stim");
    EXPECT_EQ(Utf8ToUtf16("Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93 \xF0\x9F\x98\x80"), u"Grüße ✓ 😀");
    EXPECT_EQ(Utf8ToUtf16(""), u"");
    // Malformed input never stops the conversion.
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b\xC3"), u"a\uFFFDb\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE2\x9C" "x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");  // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");      // a surrogate
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD");  // beyond U+10FFFF
    EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(Utf8ToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

}  // namespace

// Back from UTF-16: every well-formed text comes back as it went in; a lone
// surrogate (which no UTF-8 text gives) becomes U+FFFD instead of bytes that
// are no UTF-8.
TEST(Utf16ToUtf8, RoundTripAndLoneSurrogates) {
    // (DEL, the last one-byte unit; U+1F640 and U+10FFFF set the low bits of every continuation byte.)
    for (const char* text : {"", "Stim", "Plasmagewehr \xC3\xBC", "\xE2\x82\xAC 5", "\xF0\x9F\x94\xA5 fire", "a\x7F" "b",
                             "\xF0\x9F\x99\x80", "\xF4\x8F\xBF\xBF", "\xDF\xBF\xEF\xBF\xBD"})
        EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00)}), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{u'x', char16_t(0xD83D)}), "x\xEF\xBF\xBD");  // cut short at the end
}
