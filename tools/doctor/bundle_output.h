// The bundle's archive onto the disk, as a new file that replaces nothing.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace Velloquin::Doctor {

// Writes the bytes to a new file `target`: first whole under a temporary name
// beside it (made new, never an existing file), flushed to the disk, then
// moved to `target` in a way that fails when `target` exists. On any failure
// (a folder that cannot be written, a full disk, a name taken meanwhile) the
// temporary file is removed, nothing else is changed, and the reason is given.
bool WriteNewFile(const std::filesystem::path& target, std::string_view bytes, std::string& reason);

}  // namespace Velloquin::Doctor
