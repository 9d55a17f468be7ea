// The texts of a form locator as the plug-in reads them before it asks the
// game for the form: the local id as a number, the data file's name as
// FindDataFile compares it.
#include "base/text.h"
#include "persistence/form_identity.h"

namespace Velloquin {

std::string DataFileNameKey(const std::string& fileName) { return LowerAscii(fileName); }

std::uint32_t LocalIdMask(int kind) {
    return kind == Full ? 0xFFFFFFu : kind == Small ? 0xFFFu : kind == Medium ? 0xFFFFu : 0u;
}

LocalIdReading ReadLocalFormID(const std::string& localFormID, const std::string& fileName, std::uint32_t& localId) {
    const bool master = fileName == masterFileName;
    std::string local = localFormID;
    // Only the master file may be named with a full eight-digit id.
    if (local.size() > (master ? 8u : 6u)) return LocalIdReading::TooLong;
    if (local.size() < 6) local.insert(0, local.size() < 5 ? 5 - local.size() : 0, '0');
    return ParseHexUInt32(local, localId) ? LocalIdReading::Read : LocalIdReading::NotHexadecimal;
}

}  // namespace Velloquin
