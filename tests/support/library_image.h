// PE32+ images of a plug-in DLL for the doctor's version reader, as large and
// as damaged as a test needs: many section headers before the one that holds
// the exports, many export names that are not the version record's.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace TestSupport {

struct LibraryShape {
    std::uint32_t sections = 1;       // the last one holds the export directory
    std::uint32_t decoyNames = 0;     // export names "QVEXPlugin_Versioo" before the real one
    bool versionName = true;          // the last name is "QVEXPlugin_Version"
    std::uint32_t pluginVersion = 0x02010000;
    bool descending = false;          // section addresses in falling order (no loader takes that)
    std::uint32_t rawSize = 0x1000;   // the file bytes of each section but the last (more reach into the next)
};

inline std::string LibraryImage(const LibraryShape& shape) {
    const std::size_t table = 0x148;
    const std::size_t data = (table + 40 * std::size_t{shape.sections} + 0x1FF) & ~std::size_t{0x1FF};
    const std::uint32_t names = shape.decoyNames + (shape.versionName ? 1 : 0);
    std::string bytes(data + 0x100 + 6 * std::size_t{names}, '\0');
    const auto put32 = [&](std::size_t at, std::uint32_t value) { std::memcpy(&bytes[at], &value, 4); };
    const auto put16 = [&](std::size_t at, std::uint16_t value) { std::memcpy(&bytes[at], &value, 2); };
    bytes[0] = 'M', bytes[1] = 'Z';
    put32(0x3C, 0x40);
    std::memcpy(&bytes[0x40], "PE\0\0", 4);
    put16(0x44, 0x8664);
    put16(0x46, static_cast<std::uint16_t>(shape.sections));
    put16(0x54, 0xF0);  // size of the optional header: the table starts at 0x148
    put16(0x58, 0x20B);
    // Section i at 0x1000 * (i + 1) (or falling), 0x1000 bytes each; the last
    // one maps the data part of the file, wherever its address lies.
    const auto addressOf = [&](std::uint32_t i) {
        return shape.descending ? 0x1000u * (shape.sections - i) : 0x1000u * (i + 1);
    };
    for (std::uint32_t i = 0; i < shape.sections; ++i) {
        const std::size_t at = table + 40 * std::size_t{i};
        put32(at + 12, addressOf(i));
        put32(at + 16, i + 1 == shape.sections ? static_cast<std::uint32_t>(bytes.size() - data) : shape.rawSize);
        put32(at + 20, i + 1 == shape.sections ? static_cast<std::uint32_t>(data) : 0u);
    }
    const std::uint32_t base = addressOf(shape.sections - 1);
    const auto rva = [&](std::size_t offset) { return static_cast<std::uint32_t>(base + (offset - data)); };
    put32(0x58 + 112, rva(data));                 // the export directory
    put32(data + 24, names);
    put32(data + 28, rva(data + 0x40));           // functions: one, the record
    put32(data + 32, rva(data + 0x100));          // names
    put32(data + 36, rva(data + 0x100 + 4 * std::size_t{names}));  // ordinals: all 0
    put32(data + 0x40, rva(data + 0x48));
    put32(data + 0x48 + 4, shape.pluginVersion);
    std::memcpy(&bytes[data + 0x50], "QVEXPlugin_Version", 19);
    std::memcpy(&bytes[data + 0x70], "QVEXPlugin_Versioo", 19);
    for (std::uint32_t i = 0; i < names; ++i)
        put32(data + 0x100 + 4 * std::size_t{i}, rva(data + (shape.versionName && i + 1 == names ? 0x50 : 0x70)));
    return bytes;
}

}  // namespace TestSupport
