// The bundle's archive onto the disk.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace Velloquin::Doctor {

// Writes the archive's bytes whole under another name beside `zip`, then
// renames it to `zip`: a failure leaves nothing behind. Returns true when
// written; otherwise false with the reason.
bool WriteArchiveFile(const std::filesystem::path& zip, std::string_view archive, std::string& reason);

}  // namespace Velloquin::Doctor
