#include "platform/paths.h"

namespace Velloquin {

// Windows takes its own paths as they are.
std::string NativePath(const std::string& path) { return path; }

}  // namespace Velloquin
