// The built library file as a player's game sees it before running any of it:
// exactly two undecorated exports, the version record's bytes in the file,
// and (Windows) imports from system DLLs only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "base/text.h"
#include "host.h"

namespace {

std::vector<unsigned char> ReadFile(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;  // a Linux path under Wine
#endif
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

template <class T>
T At(const std::vector<unsigned char>& bytes, std::size_t offset) {
    T value{};
    if (offset + sizeof value <= bytes.size()) std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::string TextAt(const std::vector<unsigned char>& bytes, std::size_t offset) {
    std::string text;
    while (offset < bytes.size() && bytes[offset]) text += static_cast<char>(bytes[offset++]);
    return text;
}

struct LibraryFile {
    std::vector<unsigned char> bytes;
    std::set<std::string> exports;
    std::set<std::string> importedLibraries;
    std::size_t versionRecordOffset = 0;  // file offset of QVEXPlugin_Version's bytes, 0 when not found
};

// ---- PE: sections map relative addresses to file offsets
struct PeSection {
    std::uint32_t address, size, fileOffset;
};

std::size_t PeOffset(const std::vector<PeSection>& sections, std::uint32_t rva) {
    for (const auto& s : sections)
        if (rva >= s.address && rva < s.address + s.size) return rva - s.address + s.fileOffset;
    return 0;
}

[[maybe_unused]] LibraryFile ReadPe(std::vector<unsigned char> bytes) {
    LibraryFile library;
    const auto pe = At<std::uint32_t>(bytes, 0x3C);
    if (At<std::uint32_t>(bytes, pe) != 0x4550) return library;
    const auto sectionCount = At<std::uint16_t>(bytes, pe + 6);
    const auto optionalSize = At<std::uint16_t>(bytes, pe + 20);
    const std::size_t optional = pe + 24;
    std::vector<PeSection> sections;
    for (std::size_t i = 0, at = optional + optionalSize; i < sectionCount; ++i, at += 40)
        sections.push_back({At<std::uint32_t>(bytes, at + 12), std::max(At<std::uint32_t>(bytes, at + 8), At<std::uint32_t>(bytes, at + 16)),
                            At<std::uint32_t>(bytes, at + 20)});
    // PE32+: the data directories start at 112 bytes into the optional header.
    const std::uint32_t exportRva = At<std::uint32_t>(bytes, optional + 112);
    const std::uint32_t importRva = At<std::uint32_t>(bytes, optional + 112 + 8);
    if (const std::size_t dir = PeOffset(sections, exportRva)) {
        const auto names = At<std::uint32_t>(bytes, dir + 24);
        const auto functions = PeOffset(sections, At<std::uint32_t>(bytes, dir + 28));
        const auto nameTable = PeOffset(sections, At<std::uint32_t>(bytes, dir + 32));
        const auto ordinals = PeOffset(sections, At<std::uint32_t>(bytes, dir + 36));
        for (std::uint32_t i = 0; i < names; ++i) {
            const std::string name = TextAt(bytes, PeOffset(sections, At<std::uint32_t>(bytes, nameTable + 4 * i)));
            library.exports.insert(name);
            const auto ordinal = At<std::uint16_t>(bytes, ordinals + 2 * i);
            if (name == "QVEXPlugin_Version")
                library.versionRecordOffset = PeOffset(sections, At<std::uint32_t>(bytes, functions + 4 * ordinal));
        }
    }
    if (std::size_t dir = PeOffset(sections, importRva)) {
        for (; At<std::uint32_t>(bytes, dir + 12); dir += 20) {
            library.importedLibraries.insert(
                Velloquin::UpperAscii(TextAt(bytes, PeOffset(sections, At<std::uint32_t>(bytes, dir + 12)))));
        }
    }
    library.bytes = std::move(bytes);
    return library;
}

// ---- ELF64: the defined global symbols of the dynamic symbol table
[[maybe_unused]] LibraryFile ReadElf(std::vector<unsigned char> bytes) {
    LibraryFile library;
    if (bytes.size() < 64 || std::memcmp(bytes.data(), "\x7f" "ELF", 4) != 0) return library;
    const auto sectionTable = At<std::uint64_t>(bytes, 0x28);
    const auto sectionSize = At<std::uint16_t>(bytes, 0x3A);
    const auto sectionCount = At<std::uint16_t>(bytes, 0x3C);
    struct Section {
        std::uint32_t type;
        std::uint64_t address, offset, size, link;
    };
    std::vector<Section> sections;
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = sectionTable + i * sectionSize;
        sections.push_back({At<std::uint32_t>(bytes, at + 4), At<std::uint64_t>(bytes, at + 16),
                            At<std::uint64_t>(bytes, at + 24), At<std::uint64_t>(bytes, at + 32),
                            At<std::uint32_t>(bytes, at + 40)});
    }
    for (const Section& symbols : sections) {
        if (symbols.type != 11) continue;  // the dynamic symbol table
        const Section& strings = sections.at(symbols.link);
        for (std::uint64_t at = symbols.offset + 24; at < symbols.offset + symbols.size; at += 24) {
            const auto binding = At<std::uint8_t>(bytes, at + 4) >> 4;
            const auto sectionIndex = At<std::uint16_t>(bytes, at + 6);
            if (sectionIndex == 0 || binding == 0) continue;  // undefined or local
            const std::string name = TextAt(bytes, strings.offset + At<std::uint32_t>(bytes, at));
            library.exports.insert(name);
            if (name == "QVEXPlugin_Version") {
                const auto value = At<std::uint64_t>(bytes, at + 8);
                const Section& holder = sections.at(sectionIndex);
                if (holder.type != 8) library.versionRecordOffset = value - holder.address + holder.offset;
            }
        }
    }
    library.bytes = std::move(bytes);
    return library;
}

LibraryFile ReadLibrary() {
    std::vector<unsigned char> bytes = ReadFile(TestHost::DefaultPluginPath());
#ifdef _WIN32
    return ReadPe(std::move(bytes));
#else
    return ReadElf(std::move(bytes));
#endif
}

}  // namespace

TEST(LibraryFile, ExportsExactlyTheLoadersTwoNames) {
    const LibraryFile library = ReadLibrary();
    ASSERT_FALSE(library.bytes.empty()) << TestHost::DefaultPluginPath();
    const std::set<std::string> expected = {"QVEXPlugin_Load", "QVEXPlugin_Version"};
    EXPECT_EQ(library.exports, expected);
}

TEST(LibraryFile, TheVersionRecordIsInTheFileWithItsValues) {
    const LibraryFile library = ReadLibrary();
    ASSERT_NE(library.versionRecordOffset, 0u);
    ASSERT_LE(library.versionRecordOffset + 604, library.bytes.size());
    const unsigned char* record = library.bytes.data() + library.versionRecordOffset;
    EXPECT_EQ(At<std::uint32_t>(library.bytes, library.versionRecordOffset), 1u);
    EXPECT_EQ(At<std::uint32_t>(library.bytes, library.versionRecordOffset + 4), 0x02010000u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 8)), "Velloquin - QVEX Plugin by Ondrastel");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record + 264)), "Ondrastel");
    EXPECT_EQ(At<std::uint32_t>(library.bytes, library.versionRecordOffset + 528), 0x010F0D80u);
    for (std::size_t offset : {520u, 524u, 532u, 588u, 592u, 600u})
        EXPECT_EQ(At<std::uint32_t>(library.bytes, library.versionRecordOffset + offset), 0u) << offset;
}

#ifdef _WIN32
TEST(LibraryFile, ImportsOnlyWindowsSystemLibraries) {
    const LibraryFile library = ReadLibrary();
    ASSERT_FALSE(library.importedLibraries.empty());
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "MSVCRT.DLL"};
    for (const std::string& name : library.importedLibraries) EXPECT_TRUE(system.count(name)) << name;
}

// A player runs the doctor on a machine without any compiler's runtime.
TEST(LibraryFile, TheDoctorProgramImportsOnlyWindowsSystemLibraries) {
    const LibraryFile doctor = ReadPe(ReadFile(VELLOQUIN_DOCTOR_PATH));
    ASSERT_FALSE(doctor.importedLibraries.empty()) << VELLOQUIN_DOCTOR_PATH;
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "MSVCRT.DLL"};
    for (const std::string& name : doctor.importedLibraries) EXPECT_TRUE(system.count(name)) << name;
}
#endif
