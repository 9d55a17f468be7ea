// The plug-in's version as its DLL records it, read from the file's bytes
// without loading it: the bundle names the build a player runs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Velloquin::Doctor {

// The plug-in version in a DLL's exported QVEXPlugin_Version record, as
// "major.minor"; none when the bytes are not such a DLL (a section table cut
// short or not in ascending order of address included). Its time grows with
// the bytes, whatever they hold: each relative address is looked up by halving
// the section table, read once.
std::optional<std::string> PluginVersionOfLibrary(std::string_view bytes);

}  // namespace Velloquin::Doctor
