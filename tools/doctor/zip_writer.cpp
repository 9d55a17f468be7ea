#include "doctor/zip_writer.h"

#include <array>

#include "base/text.h"

namespace Velloquin::Doctor {

namespace {

std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

constexpr std::uint32_t versionNeeded = 20;  // 2.0: stored entries, folders in names
constexpr std::uint32_t utf8Names = 0x0800;  // general-purpose flag bit 11

}  // namespace

std::uint32_t Crc32(std::string_view data) {
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : data) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::string ZipLimitProblem(const std::vector<ZipEntrySize>& sizes) {
    if (sizes.size() > zipEntryLimit)
        return std::to_string(sizes.size()) + " files are more than a zip archive holds (" + std::to_string(zipEntryLimit) + ")";
    std::uint64_t offset = 0, directory = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const ZipEntrySize& entry = sizes[i];
        const std::string which = "file " + std::to_string(i + 1);
        if (entry.name > zipNameLimit)
            return which + " has a name of " + std::to_string(entry.name) + " bytes, longer than a zip archive holds (" +
                   std::to_string(zipNameLimit) + ")";
        if (entry.data > zipSizeLimit)
            return which + " is " + std::to_string(entry.data) + " bytes: a zip archive holds files below 4 GiB only";
        offset += 30 + entry.name + entry.data;
        directory += 46 + entry.name;
    }
    // Every offset and size the archive writes is below its whole size (the sums stay far below 2^64).
    if (offset + directory + 22 > zipSizeLimit)
        return "the files add up to 4 GiB or more: a zip archive cannot hold them";
    return {};
}

bool ZipNameIsMarkedUtf8(std::string_view name) {
    bool outsideAscii = false;
    for (const char c : name) outsideAscii = outsideAscii || static_cast<unsigned char>(c) >= 0x80;
    return outsideAscii && IsUtf8(name);
}

std::optional<std::string> MakeZip(const std::vector<ZipEntry>& entries, const ZipTime& time, std::string& problem) {
    std::vector<ZipEntrySize> sizes;
    sizes.reserve(entries.size());
    for (const ZipEntry& entry : entries) sizes.push_back({entry.name.size(), entry.data.size()});
    problem = ZipLimitProblem(sizes);
    if (!problem.empty()) return std::nullopt;
    const std::uint32_t dosTime = static_cast<std::uint32_t>((time.hour << 11) | (time.minute << 5) | (time.second / 2));
    const std::uint32_t dosDate =
        static_cast<std::uint32_t>(((time.year < 1980 ? 0 : time.year - 1980) << 9) | (time.month << 5) | time.day);
    std::string out;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        const std::uint32_t crc = Crc32(entry.data);
        const auto size = static_cast<std::uint32_t>(entry.data.size());
        const auto nameSize = static_cast<std::uint32_t>(entry.name.size());
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t flags = ZipNameIsMarkedUtf8(entry.name) ? utf8Names : 0;
        // Local file header, then the data.
        Put32(out, 0x04034B50);
        Put16(out, versionNeeded);
        Put16(out, flags);
        Put16(out, 0);  // stored
        Put16(out, dosTime);
        Put16(out, dosDate);
        Put32(out, crc);
        Put32(out, size);  // compressed size: stored
        Put32(out, size);
        Put16(out, nameSize);
        Put16(out, 0);  // no extra field
        out += entry.name;
        out += entry.data;
        // Its central directory record.
        Put32(directory, 0x02014B50);
        Put16(directory, versionNeeded);  // made by: MS-DOS attributes, version 2.0
        Put16(directory, versionNeeded);
        Put16(directory, flags);
        Put16(directory, 0);
        Put16(directory, dosTime);
        Put16(directory, dosDate);
        Put32(directory, crc);
        Put32(directory, size);
        Put32(directory, size);
        Put16(directory, nameSize);
        Put16(directory, 0);  // extra field
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, 0);  // external attributes: an ordinary file
        Put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    // End of central directory.
    Put32(out, 0x06054B50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);  // no comment
    return out;
}

}  // namespace Velloquin::Doctor
