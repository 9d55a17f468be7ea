#include "doctor/bundle_output.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

namespace Velloquin::Doctor {

namespace fs = std::filesystem;

bool WriteArchiveFile(const fs::path& zip, std::string_view archive, std::string& reason) {
    std::error_code error;
    fs::path partial = zip;
    partial += ".partial";
    bool written = false;
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        if (file) {
            file.write(archive.data(), static_cast<std::streamsize>(archive.size()));
            file.close();
            written = !file.fail();
        }
    }
    const int writeError = errno;
    if (written) fs::rename(partial, zip, error);
    if (!written || error) {
        reason = written ? error.message() : std::strerror(writeError);
        fs::remove(partial, error);
        return false;
    }
    return true;
}

}  // namespace Velloquin::Doctor
