// The user's name out of what a bundle holds.
#pragma once

#include <string>
#include <string_view>

namespace Velloquin::Doctor {

// The text with the user's profile folder written as %USERPROFILE% and the user
// name as %USERNAME% wherever it is a whole part of a path (letter case and
// the kind of slash ignored, as Windows compares paths).
std::string RedactUser(std::string_view text, std::string_view profile, std::string_view user);

}  // namespace Velloquin::Doctor
