// The shell's known folders, found at run time.
#include "platform/shell_folders.h"

#include "base/text.h"

#include "platform/win32.h"

namespace Velloquin {

namespace {

// The layout of a Windows GUID, spelt out so that both builds share it.
struct FolderId {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};
constexpr FolderId documentsId{0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};
constexpr FolderId profileId{0x5E6C858F, 0x0E22, 0x4760, {0x9A, 0xFE, 0xEA, 0x33, 0x17, 0xB6, 0x71, 0x73}};

// SHGetKnownFolderPath (shell32), which takes the folder id by its address, and
// CoTaskMemFree (ole32), which frees its answer.
using KnownFolderPathFunction = HRESULT(WINAPI*)(const void* id, DWORD flags, HANDLE token,
                                                 std::uint16_t** path);
using TaskMemFreeFunction = void(WINAPI*)(void* memory);

template <class Function>
Function FindFunction(const char* library, const char* name) {
    HMODULE module = LoadLibraryA(library);
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::string FindShellFolder(ShellFolder folder) {
    const auto knownFolderPath = FindFunction<KnownFolderPathFunction>("shell32.dll", "SHGetKnownFolderPath");
    if (!knownFolderPath) return {};
    std::uint16_t* path = nullptr;
    const HRESULT result =
        knownFolderPath(folder == ShellFolder::Documents ? &documentsId : &profileId, 0, nullptr, &path);
    std::string text;
    if (result == S_OK && path) {
        std::size_t length = 0;
        while (path[length]) ++length;
        text = Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(path), length));
    }
    // The answer is the shell's memory; without ole32 it stays allocated (a few bytes, once per start).
    if (path) {
        if (const auto taskMemFree = FindFunction<TaskMemFreeFunction>("ole32.dll", "CoTaskMemFree"))
            taskMemFree(path);
    }
    while (text.size() > 3 && (text.back() == '\\' || text.back() == '/')) text.pop_back();
    return text;
}

}  // namespace Velloquin
