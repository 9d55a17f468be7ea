// The host's shell: SHGetKnownFolderPath for the profile and Documents folders.
#include "shell_folders.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "base/text.h"
#include "game_folder.h"

#ifdef _WIN32
#define HOST_WINAPI __stdcall
#else
#define HOST_WINAPI
#endif

namespace TestHost {

namespace {

std::atomic<bool> documentsKnown{true};
std::mutex foldersMutex;
std::string profileFolder = profileFolderBelowGame;
std::string documentsFolder = documentsFolderBelowGame;

// A module handle per library: the address of its byte.
char shell32Module;
char ole32Module;

// The two folder ids the plug-in may ask for (FOLDERID_Documents,
// FOLDERID_Profile), all 16 bytes as they lie in memory; any other id is not
// known here, as a wrong id would name another folder on Windows.
constexpr unsigned char documentsId[16] = {0xD0, 0x9A, 0xD3, 0xFD, 0x8F, 0x23, 0xAF, 0x46,
                                           0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7};
constexpr unsigned char profileId[16] = {0x8F, 0x85, 0x6C, 0x5E, 0x22, 0x0E, 0x60, 0x47,
                                         0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73};
constexpr std::int32_t failed = static_cast<std::int32_t>(0x80004005);  // E_FAIL
constexpr std::int32_t notFound = static_cast<std::int32_t>(0x80070002);

bool SameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

std::int32_t HOST_WINAPI KnownFolderPath(const void* id, unsigned, void*, std::uint16_t** path) {
    if (!path) return failed;
    *path = nullptr;
    if (!id) return failed;
    std::string folder;
    if (std::memcmp(id, profileId, sizeof profileId) == 0) folder = GameFilePath(ProfileFolderBelowGame());
    else if (std::memcmp(id, documentsId, sizeof documentsId) == 0 && documentsKnown)
        folder = GameFilePath(DocumentsFolderBelowGame());
    else return notFound;
    // The shell answers UTF-16, whatever the folder's name.
    const std::u16string wide = Velloquin::Utf8ToUtf16(folder);
    auto* text = new std::uint16_t[wide.size() + 1];
    for (std::size_t i = 0; i < wide.size(); ++i) text[i] = wide[i];
    text[wide.size()] = 0;
    *path = text;
    return 0;
}

void HOST_WINAPI TaskMemFree(void* memory) { delete[] static_cast<std::uint16_t*>(memory); }

}  // namespace

void SetDocumentsKnown(bool known) { documentsKnown = known; }

void SetProfileFolder(const std::string& profile, const std::string& documents) {
    std::lock_guard lock(foldersMutex);
    profileFolder = profile;
    documentsFolder = documents.empty() ? profile + "\\Documents" : documents;
}

std::string ProfileFolderBelowGame() {
    std::lock_guard lock(foldersMutex);
    return profileFolder;
}

std::string DocumentsFolderBelowGame() {
    std::lock_guard lock(foldersMutex);
    return documentsFolder;
}

void ResetShellFolders() {
    documentsKnown = true;
    SetProfileFolder(profileFolderBelowGame);
}

namespace Seam {

void* LoadShellLibrary(const char* fileName, bool& handled) {
    handled = fileName && (SameName(fileName, "shell32.dll") || SameName(fileName, "ole32.dll"));
    if (!handled) return nullptr;
    return SameName(fileName, "shell32.dll") ? &shell32Module : &ole32Module;
}

void* ShellProcAddress(void* module, const char* name, bool& handled) {
    handled = module == &shell32Module || module == &ole32Module;
    if (!handled || reinterpret_cast<std::uintptr_t>(name) < 0x10000) return nullptr;
    if (module == &shell32Module && std::strcmp(name, "SHGetKnownFolderPath") == 0)
        return reinterpret_cast<void*>(&KnownFolderPath);
    if (module == &ole32Module && std::strcmp(name, "CoTaskMemFree") == 0) return reinterpret_cast<void*>(&TaskMemFree);
    return nullptr;
}

}  // namespace Seam

}  // namespace TestHost
