#include "doctor/library_version.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace Velloquin::Doctor {

namespace {

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

}  // namespace

std::optional<std::string> PluginVersionOfLibrary(std::string_view bytes) {
    const auto fits = [&](std::size_t at, std::size_t size) { return at <= bytes.size() && size <= bytes.size() - at; };
    if (!fits(0, 0x40) || bytes.substr(0, 2) != "MZ") return std::nullopt;
    const std::size_t pe = Read32(bytes, 0x3C);
    if (!fits(pe, 24) || bytes.substr(pe, 4) != std::string_view("PE\0\0", 4)) return std::nullopt;
    const std::size_t sectionCount = Read16(bytes, pe + 6);
    const std::size_t optional = pe + 24;
    const std::size_t optionalSize = Read16(bytes, pe + 20);
    if (!fits(optional, 120) || Read16(bytes, optional) != 0x20B) return std::nullopt;  // PE32+ only
    const std::uint32_t exportRva = Read32(bytes, optional + 112);
    // The section table, read once. The loader maps sections in ascending
    // order of address, each up to the next one's start; a table that is cut
    // or out of order is not a loadable DLL's.
    struct Section {
        std::uint32_t address, end, offset;  // [address, end) in memory, from offset in the file
    };
    const std::size_t table = optional + optionalSize;
    if (sectionCount > (bytes.size() - std::min(bytes.size(), table)) / 40) return std::nullopt;
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = table + 40 * i;
        const std::uint32_t address = Read32(bytes, at + 12), rawSize = Read32(bytes, at + 16);
        if (!sections.empty() && address <= sections.back().address) return std::nullopt;
        const std::uint64_t end = std::uint64_t{address} + rawSize;
        sections.push_back({address, static_cast<std::uint32_t>(std::min<std::uint64_t>(end, 0xFFFFFFFFu)), Read32(bytes, at + 20)});
    }
    // A relative address to a file offset: the last section that starts at or
    // below it (found by halving), when the address lies within its bytes.
    const auto offsetOf = [&](std::uint32_t rva) -> std::optional<std::size_t> {
        auto after = std::upper_bound(sections.begin(), sections.end(), rva,
                                      [](std::uint32_t value, const Section& section) { return value < section.address; });
        if (after == sections.begin()) return std::nullopt;
        const Section& section = *std::prev(after);
        if (rva >= section.end) return std::nullopt;
        return std::size_t{rva - section.address} + section.offset;
    };
    const auto directory = offsetOf(exportRva);
    if (!directory || !fits(*directory, 40)) return std::nullopt;
    const std::uint32_t nameCount = Read32(bytes, *directory + 24);
    const auto functions = offsetOf(Read32(bytes, *directory + 28));
    const auto names = offsetOf(Read32(bytes, *directory + 32));
    const auto ordinals = offsetOf(Read32(bytes, *directory + 36));
    if (!functions || !names || !ordinals) return std::nullopt;
    for (std::uint32_t i = 0; i < nameCount && fits(*names + 4 * i, 4) && fits(*ordinals + 2 * i, 2); ++i) {
        const auto name = offsetOf(Read32(bytes, *names + 4 * i));
        static constexpr std::string_view wanted("QVEXPlugin_Version\0", 19);
        if (!name || !fits(*name, wanted.size()) || bytes.substr(*name, wanted.size()) != wanted) continue;
        const std::size_t slot = *functions + 4 * std::size_t{Read16(bytes, *ordinals + 2 * i)};
        if (!fits(slot, 4)) return std::nullopt;
        const auto record = offsetOf(Read32(bytes, slot));
        if (!record || !fits(*record, 8)) return std::nullopt;
        const std::uint32_t version = Read32(bytes, *record + 4);
        return std::to_string(version >> 24) + "." + std::to_string((version >> 16) & 0xFF);
    }
    return std::nullopt;
}

}  // namespace Velloquin::Doctor
