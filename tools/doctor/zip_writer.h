// A zip archive of stored (uncompressed) entries, as Windows' Explorer and
// every unzip tool open them: enough for a bug report of a few small text
// files, without a compression library.
#pragma once

#include <cstdint>
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

// The whole archive's bytes. Names are marked as UTF-8. No entry or archive
// may reach 4 GiB (no zip64): the caller keeps them small.
std::string MakeZip(const std::vector<ZipEntry>& entries, const ZipTime& time);

}  // namespace Velloquin::Doctor
