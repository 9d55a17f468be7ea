// A POSIX stand-in for the Win32 calls the plug-in makes, with the same names,
// types and meanings, so that the plug-in's code is the same in both builds.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = unsigned char;
using WORD = unsigned short;
using DWORD = unsigned int;
using UINT = unsigned int;
using SHORT = short;
using SIZE_T = std::size_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPCSTR = const char*;
using LPSTR = char*;
using PDWORD = DWORD*;
using HANDLE = void*;
using HWND = void*;
using HMODULE = void*;
// A function found in a library; cast to its real type before the call.
using FARPROC = long long (*)();
// Windows' 16-bit text unit (UTF-16) and its 32-bit result code.
using WCHAR = char16_t;
using HRESULT = std::int32_t;
inline constexpr HRESULT S_OK = 0;

// The calling convention of Windows' own functions: the only one on x86-64.
#define WINAPI

inline constexpr DWORD MEM_COMMIT = 0x1000;
inline constexpr DWORD MEM_RESERVE = 0x2000;
inline constexpr DWORD MEM_RELEASE = 0x8000;
inline constexpr DWORD MEM_FREE = 0x10000;
inline constexpr DWORD MEM_PRIVATE = 0x20000;
inline constexpr DWORD PAGE_NOACCESS = 0x01;
inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD PAGE_EXECUTE_READ = 0x20;
inline constexpr DWORD PAGE_EXECUTE_READWRITE = 0x40;
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr int IDOK = 1;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INVALID_ADDRESS = 487;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_FILE_READ_ONLY = 6009;
inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
inline constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

// The thread's error mode: with SEM_FAILCRITICALERRORS a missing disk fails
// the call instead of showing the system's box. The stand-in has no such box;
// it keeps each thread's mode, so the callers' code is the same in both builds.
inline constexpr DWORD SEM_FAILCRITICALERRORS = 0x0001;

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Same layout as the 64-bit Win32 record: 48 bytes.
struct MEMORY_BASIC_INFORMATION {
    void* BaseAddress;
    void* AllocationBase;
    DWORD AllocationProtect;
    WORD PartitionId;
    SIZE_T RegionSize;
    DWORD State;
    DWORD Protect;
    DWORD Type;
};
static_assert(sizeof(MEMORY_BASIC_INFORMATION) == 48);
using PMEMORY_BASIC_INFORMATION = MEMORY_BASIC_INFORMATION*;

HMODULE GetModuleHandleA(LPCSTR moduleName);
SIZE_T VirtualQuery(LPCVOID address, PMEMORY_BASIC_INFORMATION buffer, SIZE_T length);
LPVOID VirtualAlloc(LPVOID address, SIZE_T size, DWORD allocationType, DWORD protect);
BOOL VirtualProtect(LPVOID address, SIZE_T size, DWORD newProtect, PDWORD oldProtect);
BOOL VirtualFree(LPVOID address, SIZE_T size, DWORD freeType);
DWORD GetLastError();
void SetLastError(DWORD code);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HANDLE GetCurrentProcess();
BOOL TerminateProcess(HANDLE process, UINT exitCode);
SHORT GetKeyState(int virtualKey);
// Libraries loaded at run time: only the ones the host program provides.
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// Windows paths; a read-only target (no write bit) is refused as Windows refuses it.
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
// Files by handle, for writing a whole file: CREATE_ALWAYS for writing,
// OPEN_EXISTING for reading; no security attributes, no template. A file that
// another program holds (the host says so) cannot be opened, replaced or
// deleted, as Windows refuses a file opened without delete sharing.
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, DWORD* written, void* overlapped);
BOOL FlushFileBuffers(HANDLE file);
BOOL CloseHandle(HANDLE handle);
BOOL DeleteFileA(LPCSTR fileName);
BOOL SetThreadErrorMode(DWORD newMode, DWORD* oldMode);
DWORD GetThreadErrorMode();
void Sleep(DWORD milliseconds);
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName);
