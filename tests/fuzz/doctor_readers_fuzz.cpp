// Fuzzes the doctor's readers of players' bytes, each on the same input:
// - the DLL version reader gives what a plain reference of the same rules
//   gives (sections in ascending order, each up to the next one's start; every
//   address looked up by walking the table), as "major.minor" or none;
// - the log read in pieces with a byte limit taken from the input gives what
//   its lines, split whole, give; it is cut exactly when the input is longer;
// - the text report's escaping leaves valid UTF-8 without control bytes
//   (but line feeds and tabs) and without C1 controls;
// - the zip writer refuses a name longer than 65535 bytes (the input's name
//   repeated to reach it) and otherwise writes one entry that reads back: its
//   name's length and bytes, its CRC, and the UTF-8 flag exactly for names
//   that are well-formed UTF-8 outside ASCII.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "doctor/findings.h"
#include "doctor/library_version.h"
#include "doctor/zip_writer.h"

namespace {

using namespace Velloquin;
using namespace Velloquin::Doctor;

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "doctor readers: %s\n", what);
        std::abort();
    }
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

// The version record by the same rules, every lookup a walk of the table.
std::optional<std::string> ReferenceVersion(std::string_view bytes) {
    const auto fits = [&](std::size_t at, std::size_t size) { return at <= bytes.size() && size <= bytes.size() - at; };
    if (!fits(0, 0x40) || bytes.substr(0, 2) != "MZ") return std::nullopt;
    const std::size_t pe = Read32(bytes, 0x3C);
    if (!fits(pe, 24) || bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
    const std::size_t count = Read16(bytes, pe + 6);
    const std::size_t optional = pe + 24;
    const std::size_t table = optional + Read16(bytes, pe + 20);
    if (!fits(optional, 120) || Read16(bytes, optional) != 0x20B) return std::nullopt;
    if (!fits(table, 40 * count)) return std::nullopt;
    std::vector<std::uint64_t> starts, ends, offsets;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = table + 40 * i;
        starts.push_back(Read32(bytes, at + 12));
        ends.push_back(std::min<std::uint64_t>(std::uint64_t{Read32(bytes, at + 12)} + Read32(bytes, at + 16), 0xFFFFFFFFu));
        offsets.push_back(Read32(bytes, at + 20));
        if (i > 0 && starts[i] <= starts[i - 1]) return std::nullopt;
        if (i > 0) ends[i - 1] = std::min(ends[i - 1], starts[i]);
    }
    const auto offsetOf = [&](std::uint32_t rva) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < count; ++i)
            if (rva >= starts[i] && rva < ends[i]) return static_cast<std::size_t>(rva - starts[i] + offsets[i]);
        return std::nullopt;
    };
    const auto directory = offsetOf(Read32(bytes, optional + 112));
    if (!directory || !fits(*directory, 40)) return std::nullopt;
    const std::uint32_t names = Read32(bytes, *directory + 24);
    const auto functions = offsetOf(Read32(bytes, *directory + 28));
    const auto nameList = offsetOf(Read32(bytes, *directory + 32));
    const auto ordinals = offsetOf(Read32(bytes, *directory + 36));
    if (!functions || !nameList || !ordinals) return std::nullopt;
    for (std::uint32_t i = 0; i < names && fits(*nameList + 4 * std::size_t{i}, 4) && fits(*ordinals + 2 * std::size_t{i}, 2); ++i) {
        const auto name = offsetOf(Read32(bytes, *nameList + 4 * std::size_t{i}));
        if (!name || !fits(*name, 19) || bytes.substr(*name, 19) != std::string_view("QVEXPlugin_Version\0", 19)) continue;
        const std::size_t slot = *functions + 4 * std::size_t{Read16(bytes, *ordinals + 2 * std::size_t{i})};
        if (!fits(slot, 4)) return std::nullopt;
        const auto record = offsetOf(Read32(bytes, slot));
        if (!record || !fits(*record, 8)) return std::nullopt;
        const std::uint32_t version = Read32(bytes, *record + 4);
        return std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFF);
    }
    return std::nullopt;
}

void CheckLog(std::string_view data) {
    const std::size_t limit = data.empty() ? 1 : 1 + static_cast<unsigned char>(data[0]) * 16u;
    std::istringstream in{std::string(data)};
    const LogFindings streamed = ReadLogStream(in, limit);
    Check(streamed.cut == (data.size() > limit), "cut exactly when longer than the limit");
    const std::string_view read = data.substr(0, std::min(limit, data.size()));
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < read.size();) {
        std::size_t end = read.find('\n', from);
        if (end == std::string_view::npos) end = read.size();
        std::string line(read.substr(from, end - from));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        from = end + 1;
    }
    const LogFindings whole = ReadLogLines(lines);
    Check(streamed.lines == whole.lines, "the same number of lines");
    Check(streamed.boxes.size() == whole.boxes.size(), "the same boxes");
    for (std::size_t i = 0; i < whole.boxes.size(); ++i) {
        Check(streamed.boxes[i].line == whole.boxes[i].line && streamed.boxes[i].function == whole.boxes[i].function &&
                  streamed.boxes[i].text == whole.boxes[i].text && streamed.boxes[i].answer == whole.boxes[i].answer,
              "each box as its line says");
        Check(whole.boxes[i].line >= 0, "a box's line number is never negative");
    }
    Check(streamed.saveFailures == whole.saveFailures && streamed.notRestored == whole.notRestored &&
              streamed.inactive == whole.inactive && streamed.pluginVersion == whole.pluginVersion,
          "the same events");
}

void CheckConsoleText(std::string_view data) {
    const std::string shown = ConsoleText(data);
    Check(IsUtf8(shown), "escaped text is UTF-8");
    Check(shown.size() >= data.size(), "nothing is dropped");
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const auto c = static_cast<unsigned char>(shown[i]);
        Check(c >= 0x20 || c == '\n' || c == '\t', "no control byte");
        Check(c != 0x7F, "no DEL");
        Check(!(c == 0xC2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) < 0xA0), "no C1 control");
    }
}

void CheckZip(std::string_view data) {
    const std::size_t split = std::min(data.find('\0'), data.size());
    std::string name(data.substr(0, split));
    const std::string content(data.substr(std::min(split + 1, data.size())));
    // A first byte of 0xFF asks for the name again and again, past 64 KiB.
    if (!name.empty() && static_cast<unsigned char>(name[0]) == 0xFF) {
        const std::string once = name;
        while (name.size() <= zipNameLimit + 1) name += once;
    }
    std::string problem;
    const std::optional<std::string> zip = MakeZip({{name, content}}, {}, problem);
    Check(zip.has_value() == (name.size() <= zipNameLimit), "refused exactly for a name that does not fit");
    Check(zip.has_value() == problem.empty(), "a reason exactly when refused");
    if (!zip) return;
    const std::string_view bytes = *zip;
    Check(bytes.size() == 30 + 46 + 2 * name.size() + content.size() + 22, "one entry's size");
    const std::size_t end = bytes.size() - 22;
    Check(Read32(bytes, end) == 0x06054B50u && Read16(bytes, end + 10) == 1, "the end record names one entry");
    const std::size_t directory = Read32(bytes, end + 16);
    Check(Read32(bytes, directory) == 0x02014B50u, "the directory record where the end says");
    Check(Read16(bytes, directory + 28) == name.size() && bytes.substr(directory + 46, name.size()) == name, "its name");
    Check(Read32(bytes, directory + 16) == Crc32(content), "its CRC");
    const bool outsideAscii = std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    const bool marked = (Read16(bytes, directory + 8) & 0x800) != 0;
    Check(marked == (outsideAscii && IsUtf8(name)), "marked UTF-8 exactly when it is, outside ASCII");
    Check(Read16(bytes, 6) == Read16(bytes, directory + 8), "the local header's flags agree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> version = PluginVersionOfLibrary(bytes);
    Check(version == ReferenceVersion(bytes), "the version reader agrees with the reference");
    CheckLog(bytes);
    CheckConsoleText(bytes);
    CheckZip(bytes);
    return 0;
}
