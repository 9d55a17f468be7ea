// Text helpers shared by every layer (the plug-in, the settings doctor and the
// test host): the ASCII case rules, hexadecimal numbers as the plug-in writes
// and reads them, and UTF-8 to UTF-16. Each job is written here once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace Velloquin {

// Only the ASCII letters change case; every other unit (bytes of UTF-8 text,
// accented letters) stays as it is, whatever the C locale says.
template <class Char>
constexpr Char LowerAsciiLetter(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}
template <class Char>
constexpr Char UpperAsciiLetter(Char c) {
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}
std::string LowerAscii(std::string text);
std::string UpperAscii(std::string text);

// Equal but for the case of ASCII letters (same length, unit by unit).
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
bool EqualIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// Upper-case hexadecimal without prefix or leading zeros ("0" for 0): the
// text "{:x}" gives, with its letters turned upper case.
std::string UpperHex(std::uint64_t value);
// The same, filled on the left with '0' to eight digits (0x2E3 gives "000002E3").
std::string UpperHex8(std::uint32_t value);

// Reads a hexadecimal number as strtoul with base 16 does where unsigned long
// has 32 bits, as on Windows: leading blanks (space, tab to CR), an optional
// sign, a "0x" or "0X" only when a hexadecimal digit follows it, then digits
// up to the first other character; a minus sign negates modulo 2^32. False,
// and value untouched, when no digit was read or the number exceeds 32 bits.
bool ParseHexUInt32(std::string_view text, std::uint32_t& value);

// The length of the well-formed UTF-8 sequence that starts at text[at] (1 for
// an ASCII byte), or 0 when the bytes there are none: a lone continuation
// byte, an overlong form (C0 AF, E0 80 AF), an encoded surrogate (ED A0 80), a
// code point above U+10FFFF (F4 90 .., F5 to FF) or a sequence cut short.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);
// Every byte of the text is part of a well-formed UTF-8 sequence.
bool IsUtf8(std::string_view text);

// UTF-8 to UTF-16. Each malformed sequence (a byte that starts nothing, a
// sequence cut short, an overlong form, a surrogate, a value beyond
// U+10FFFF) becomes one U+FFFD; the conversion never stops early.
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace Velloquin
