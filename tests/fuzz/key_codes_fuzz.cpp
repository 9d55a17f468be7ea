// Fuzzes key codes and key names. Properties checked:
// - ParseHexUInt32, which reads key codes, agrees with the C library's
//   unsigned conversion in base 16 within 32 bits: the same digits read
//   (blanks and a sign first, a "0x" only before a digit), refused when none is read or the magnitude does not
//   fit in 32 bits, and a negative value wraps as the 32-bit conversion wraps;
// - key names never read outside the game's tables: the input also builds the
//   game's three name maps (entries of any code, free entries, wide and
//   missing name records) in heap blocks of their exact size, and every code
//   asked gets a name from its map, a built-in name, or none.
// Input: the text to convert up to the first LF; then records of 6 bytes for
// the name maps (device, flags, code), the last one's name taken from the
// rest of the input.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "config/key_names.h"
#include "host.h"
#include "recorder.h"
#include "input_names.h"

namespace {

void Check(bool condition, const char* what, const std::string& text) {
    if (!condition) {
        std::fprintf(stderr, "key codes: %s (input \"%s\")\n", what, text.c_str());
        std::abort();
    }
}

void CheckParse(const std::string& text) {
    std::uint32_t code = 0x5A5A5A5A;
    const bool read = Velloquin::ParseHexUInt32(text, code);

    // The magnitude through strtoull of the text with its sign made "+",
    // then the sign applied as a 32-bit unsigned long would apply it.
    std::string unsignedText = text;
    std::size_t i = 0;
    while (i < unsignedText.size() && std::strchr(" \t\n\v\f\r", unsignedText[i]) && unsignedText[i] != '\0') ++i;
    const bool negative = i < unsignedText.size() && unsignedText[i] == '-';
    if (negative) unsignedText[i] = '+';
    errno = 0;
    char* end = nullptr;
    const unsigned long long magnitude = std::strtoull(unsignedText.c_str(), &end, 16);
    const bool digits = end != unsignedText.c_str();
    const bool fits = errno != ERANGE && magnitude <= 0xFFFFFFFFull;
    Check(read == (digits && fits), "read or refused unlike strtoul", text);
    if (read) {
        const auto expected = static_cast<std::uint32_t>(negative ? 0ull - magnitude : magnitude);
        Check(code == expected, "a value unlike strtoul's", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TestHost::ResetWorld();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
    std::string_view input(reinterpret_cast<const char*>(data), length);
    const std::size_t lineEnd = input.find('\n');
    CheckParse(std::string(input.substr(0, lineEnd)));
    if (lineEnd == std::string_view::npos) return 0;
    input.remove_prefix(lineEnd + 1);

    std::vector<TestHost::KeyNameEntry> entries[3];
    std::vector<std::uint32_t> asked;
    while (input.size() >= 6) {
        const auto device = static_cast<unsigned char>(input[0]) % 3;
        const auto flags = static_cast<unsigned char>(input[1]);
        std::uint32_t code = 0;
        std::memcpy(&code, input.data() + 2, 4);
        input.remove_prefix(6);
        TestHost::KeyNameEntry entry;
        entry.code = code;
        entry.empty = flags & 1;
        entry.wide = flags & 2;
        entry.nullName = flags & 4;
        entry.name = input.size() < 6 ? std::string(input) : "Key" + std::to_string(code);
        entries[device].push_back(entry);
        asked.push_back(code);
        asked.push_back(code ^ (flags & 0xF0u));
    }
    TestHost::ClearRecords();  // the host records every call; a long run must not pile them up
    TestHost::ClearInputNames();
    TestHost::SetKeyNameEntries(TestHost::InputDevice::Keyboard, entries[0]);
    TestHost::SetKeyNameEntries(TestHost::InputDevice::Mouse, entries[1]);
    TestHost::SetKeyNameEntries(TestHost::InputDevice::Gamepad, entries[2]);
    for (const std::uint32_t code : asked) {
        const std::string name = Velloquin::GetKeyName(code);
        bool known = name.empty() || name == Velloquin::GetBuiltInKeyName(code);
        for (const auto& map : entries)
            for (const auto& entry : map)
                // The game's text ends at a NUL, and its records hold 255 characters.
                known = known || (entry.code == code && !entry.empty && !entry.wide &&
                                  name == std::string(entry.name.c_str()).substr(0, 255));
        Check(known, "a key name from nowhere", name);
    }
    return 0;
}
