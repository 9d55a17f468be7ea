// A zip archive of stored (uncompressed) entries, as Windows' Explorer and
// every unzip tool open them: enough for a bug report of a few small text
// files, without a compression library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Velloquin::Doctor {

// CRC-32 as zip uses it (the reflected polynomial 0xEDB88320).
std::uint32_t Crc32(std::string_view data);

struct ZipEntry {
    std::string name;  // with forward slashes, e.g. "Data/QVEX/Plugins/Velloquin.ini"
    std::string data;
};

// MS-DOS date and time of the entries (local time, two-second steps).
struct ZipTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// What a plain zip (no zip64) can hold: fewer than 65535 entries (that count
// marks a zip64 archive), names of at most 65535 bytes, and sizes and offsets
// below 0xFFFFFFFF (that value marks zip64 too), so the whole archive stays
// below 4 GiB.
inline constexpr std::size_t zipEntryLimit = 0xFFFE;
inline constexpr std::size_t zipNameLimit = 0xFFFF;
inline constexpr std::uint64_t zipSizeLimit = 0xFFFFFFFEu;

struct ZipEntrySize {
    std::size_t name = 0, data = 0;
};
// Why an archive of entries of these sizes cannot be made (which entry, which
// limit), in words for a player; empty when it can.
std::string ZipLimitProblem(const std::vector<ZipEntrySize>& sizes);

// Names are marked as UTF-8 when they are well-formed UTF-8 with a byte
// outside ASCII; other names are written as their bytes, unmarked.
bool ZipNameIsMarkedUtf8(std::string_view name);

// The whole archive's bytes; none, with the reason in `problem`, when the
// format cannot hold the entries (see ZipLimitProblem): never a corrupt archive.
std::optional<std::string> MakeZip(const std::vector<ZipEntry>& entries, const ZipTime& time, std::string& problem);

}  // namespace Velloquin::Doctor
