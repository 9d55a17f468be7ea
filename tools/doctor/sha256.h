// SHA-256 of a file's bytes, for the bug report (which DLL the player has).
#pragma once

#include <string>
#include <string_view>

namespace Velloquin::Doctor {

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);

}  // namespace Velloquin::Doctor
