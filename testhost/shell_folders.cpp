// The host's shell: SHGetKnownFolderPath for the profile and Documents folders.
#include "shell_folders.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "game_folder.h"

#ifdef _WIN32
#define HOST_WINAPI __stdcall
#else
#define HOST_WINAPI
#endif

namespace TestHost {

namespace {

std::atomic<bool> documentsKnown{true};

// A module handle per library: the address of its byte.
char shell32Module;
char ole32Module;

constexpr std::uint32_t documentsIdFirstWord = 0xFDD39AD0;
constexpr std::uint32_t profileIdFirstWord = 0x5E6C858F;
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
    std::uint32_t first = 0;
    if (id) std::memcpy(&first, id, sizeof first);
    std::string folder;
    if (first == profileIdFirstWord) folder = GameFilePath(profileFolderBelowGame);
    else if (first == documentsIdFirstWord && documentsKnown) folder = GameFilePath(documentsFolderBelowGame);
    else return notFound;
    // The game folder's path is ASCII here (a temporary folder): each byte is one unit.
    auto* text = new std::uint16_t[folder.size() + 1];
    for (std::size_t i = 0; i < folder.size(); ++i) text[i] = static_cast<unsigned char>(folder[i]);
    text[folder.size()] = 0;
    *path = text;
    return 0;
}

void HOST_WINAPI TaskMemFree(void* memory) { delete[] static_cast<std::uint16_t*>(memory); }

}  // namespace

void SetDocumentsKnown(bool known) { documentsKnown = known; }

void ResetShellFolders() { documentsKnown = true; }

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
