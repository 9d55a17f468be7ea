// A form's runtime id depends on the load order; its data file's name and its
// id local to that file do not. These functions turn one into the other,
// reading the host's data-file lists and form file lists in place.
#include "persistence/form_identity.h"

#include <map>

#include "base/text.h"
#include "items/form_text.h"
#include "game/game.h"

namespace Velloquin {

namespace {

namespace L = Game::Layout;

constexpr std::uint8_t smallIndexByte = 0xFE;
constexpr std::uint8_t mediumIndexByte = 0xFD;

int KindOfIndexByte(std::uint8_t index) {
    if (index == smallIndexByte) return Small;
    if (index == mediumIndexByte) return Medium;
    return Full;
}

// The first runtime id of a file: all 32-bit, wrapping.
std::uint32_t FileBaseId(const Game::DataFile* file, int kind) {
    const std::uint32_t index = DataFileIndex(file);
    if (kind == Medium)
        return (index << 24) + (static_cast<std::uint32_t>(Game::ReadField<std::uint8_t>(file, L::fileMediumIndex)) << 16);
    return (index << 24) + (static_cast<std::uint32_t>(Game::ReadField<std::uint16_t>(file, L::fileSmallIndex)) << 12);
}

// Only a pointer to a real data file object may be read as one: it lies in
// the host's heap above 1 TiB and its first word is the data-file table.
bool IsDataFile(const void* pointer) {
    if (reinterpret_cast<std::uintptr_t>(pointer) <= L::dataFileLowestAddress) return false;
    const auto table = Game::ReadField<std::uintptr_t>(pointer, 0);
    return table > gameModuleBase && table == gameModuleBase + GameIndex::dataFileTypeMark;
}

}  // namespace

const char* DataFileName(const Game::DataFile* file) { return Game::FieldAddress<const char>(file, L::fileName); }

std::uint8_t DataFileIndex(const Game::DataFile* file) { return Game::ReadField<std::uint8_t>(file, L::fileIndex); }

std::pair<Game::DataFile*, int> FindDataFile(const std::string& fileName) {
    const void* handler = Game::DataHandler();
    if (!handler) return {nullptr, NoKind};
    const std::string wanted = DataFileNameKey(fileName);
    struct List {
        std::size_t count, files;
        int kind;
    };
    static constexpr List lists[] = {{L::handlerFullCount, L::handlerFullFiles, Full},
                                     {L::handlerSmallCount, L::handlerSmallFiles, Small},
                                     {L::handlerMediumCount, L::handlerMediumFiles, Medium}};
    for (const List& list : lists) {
        const auto count = Game::ReadField<std::uint32_t>(handler, list.count);
        auto* const* files = Game::ReadField<Game::DataFile* const*>(handler, list.files);
        if (count == 0 || !files) continue;
        for (std::uint32_t i = 0; i < count; ++i) {
            Game::DataFile* file = files[i];
            if (file && DataFileNameKey(DataFileName(file)) == wanted) return {file, list.kind};
        }
    }
    return {nullptr, NoKind};
}

Game::Form* ResolveFormLocator(const std::string& localFormID, const std::string& fileName) {
    std::uint32_t localId = 0;
    if (ReadLocalFormID(localFormID, fileName, localId) != LocalIdReading::Read) return nullptr;
    const auto [file, kind] = FindDataFile(fileName);
    if (!file) return nullptr;
    // The local id is added, not masked: a too wide one spills into the index bits.
    const std::uint32_t formId = FileBaseId(file, kind) + localId;
    if (formId == 0) return nullptr;
    return Game::LookupFormByID(formId);
}

std::string GetFileModIndex(const Game::DataFile* file) {
    const std::string name = DataFileName(file);
    if (name.empty()) return "-01";
    if (name == masterFileName) return "00";
    const int kind = KindOfIndexByte(DataFileIndex(file));
    const std::uint32_t value = FileBaseId(file, kind);
    if (value == 0) return "-01";
    return GetHexID(value).substr(0, kind == Small ? 5 : kind == Medium ? 4 : 2);
}

std::string GetFormModIndex(const Game::Form* form) {
    const std::string id = GetFormHexID(form);
    const auto upper = UpperAsciiLetter<char>;
    if (id.size() >= 2 && upper(id[0]) == 'F' && upper(id[1]) == 'D') return id.substr(0, 4);
    if (id.size() >= 2 && upper(id[0]) == 'F' && upper(id[1]) == 'E') return id.substr(0, 5);
    return id.substr(0, 2);
}

std::string GetLocalFormID(const Game::Form* form, int kind) {
    const std::string id = GetFormHexID(form);
    const std::size_t drop = kind == Small ? 5 : kind == Medium ? 4 : kind == Full ? 2 : id.size();
    return drop < id.size() ? id.substr(drop) : std::string();
}

Game::DataFile* FindDefiningFile(const Game::Form* form) {
    if (!form) return nullptr;
    const std::uint16_t listIndex = Game::FormFileIndex(form);
    const auto listCount = Game::ReadGame<std::uint32_t>(GameIndex::formFileLists);
    if (listIndex == 0xFFFF || listIndex >= listCount) return nullptr;
    auto* const* records = Game::ReadGame<const void* const*>(GameIndex::formFileLists + L::formFileListsArray);
    const void* record = records ? records[listIndex] : nullptr;
    if (!record) return nullptr;
    auto* const* files = Game::ReadField<Game::DataFile* const*>(record, L::fileListFiles);
    const auto fileCount = Game::ReadField<std::uint32_t>(record, L::fileListCount);
    if (!files) return nullptr;

    // Ordered by the file object's address, each file once.
    std::map<std::uintptr_t, std::pair<Game::DataFile*, std::string>> candidates;
    for (std::uint32_t i = 0; i < fileCount; ++i) {
        Game::DataFile* file = files[i];
        if (!file || !IsDataFile(file)) continue;
        if (!(Game::ReadField<std::uint32_t>(file, L::fileFlags) & 1u)) continue;
        const auto key = reinterpret_cast<std::uintptr_t>(file);
        if (!candidates.count(key)) candidates.emplace(key, std::make_pair(file, GetFileModIndex(file)));
    }
    // The file whose mod index is the top of the form's own id introduced it;
    // files that only override the form carry other indices.
    const std::string prefix = GetFormModIndex(form);
    for (const auto& [address, candidate] : candidates)
        if (candidate.second == prefix) return candidate.first;
    return nullptr;
}

}  // namespace Velloquin
