#include "platform/paths.h"

#include "platform/win32.h"

namespace Velloquin {

// Windows takes its own paths as they are.
std::string NativePath(const std::string& path) { return path; }

bool ReplaceFileInOneStep(const std::string& source, const std::string& target) {
    // Windows refuses to replace a read-only file; not every emulation of it
    // does, so the attribute is checked here.
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return false;
    }
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace Velloquin
