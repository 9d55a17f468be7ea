// The plug-in names its files with Windows paths (".\Data\QVEX\Plugins\...").
// NativePath turns such a path into one the platform's file functions take:
// unchanged on Windows, backslashes as slashes on POSIX.
#pragma once

#include <string>

namespace Velloquin {

std::string NativePath(const std::string& path);

}  // namespace Velloquin
