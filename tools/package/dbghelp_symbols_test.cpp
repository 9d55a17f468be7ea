// The shipped Velloquin.dll and the Velloquin.pdb beside it, read through
// dbghelp as the crash loggers players use read them: an address a few bytes
// into a function is named, with its extent, and with a source line. The DLL
// is mapped without running its start-up (no game here); the addresses come
// from its export table and from the linker's map, never from the PDB.
#include <windows.h>
// After windows.h.
#include <dbghelp.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

namespace {

// Under Wine the build's POSIX paths are reached through drive Z:.
std::wstring WindowsPath(const std::string& path) {
    std::string windows = path;
    if (!windows.empty() && windows[0] == '/') windows = "Z:" + windows;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return std::wstring(windows.begin(), windows.end());
}

// The relative address the linker's map gives a symbol (its demangled name,
// ending the line); 0 when the map does not place it.
std::uint64_t MapAddress(const std::string& name) {
    std::ifstream map(VELLOQUIN_MAP_PATH);
    std::string line;
    while (std::getline(map, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() <= name.size() || line.compare(line.size() - name.size(), name.size(), name) != 0 ||
            line[line.size() - name.size() - 1] != ' ')
            continue;
        return std::stoull(line, nullptr, 16);
    }
    return 0;
}

class DbghelpSymbols : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring dll = WindowsPath(VELLOQUIN_DLL_PATH);
        module_ = LoadLibraryExW(dll.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module_, nullptr) << "cannot map the DLL (error " << GetLastError() << ")";
        SymSetOptions(SYMOPT_LOAD_LINES | SYMOPT_UNDNAME | SYMOPT_FAIL_CRITICAL_ERRORS);
        // Only the DLL's own folder is searched, as a crash tool finds a PDB beside the module.
        const std::wstring folder = dll.substr(0, dll.find_last_of(L'\\'));
        ASSERT_TRUE(SymInitializeW(GetCurrentProcess(), folder.c_str(), FALSE)) << GetLastError();
        const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
            reinterpret_cast<const char*>(module_) + reinterpret_cast<const IMAGE_DOS_HEADER*>(module_)->e_lfanew);
        base_ = SymLoadModuleExW(GetCurrentProcess(), nullptr, dll.c_str(), nullptr,
                                 reinterpret_cast<DWORD64>(module_), headers->OptionalHeader.SizeOfImage, nullptr, 0);
        ASSERT_EQ(base_, reinterpret_cast<DWORD64>(module_)) << "dbghelp did not load the module (error "
                                                             << GetLastError() << ")";
        IMAGEHLP_MODULEW64 info{};
        info.SizeOfStruct = sizeof(info);
        ASSERT_TRUE(SymGetModuleInfoW64(GetCurrentProcess(), base_, &info));
        ASSERT_EQ(info.SymType, SymPdb) << "dbghelp read no PDB for the DLL";
    }
    static void TearDownTestSuite() {
        SymCleanup(GetCurrentProcess());
        if (module_) FreeLibrary(module_);
    }

    static inline HMODULE module_ = nullptr;
    static inline DWORD64 base_ = 0;
};

TEST_F(DbghelpSymbols, AnAddressInsideEachFunctionHasItsProcedureAndLine) {
    const struct {
        const char* map;       // the map's name; null: the export
        const char* expected;  // the name dbghelp gives
        const char* file;      // the end of the source file's name
    } cases[] = {
        {nullptr, "QVEXPlugin_Load", "\\src\\plugin\\entry.cpp"},
        {"FavoritesMenuHook", "FavoritesMenuHook", "\\src\\plugin\\hook_entry_win64.inc"},
        {"Velloquin::RunUpdatePass(bool)", "Velloquin::RunUpdatePass", "\\src\\menu\\update_pass.cpp"},
        {"Velloquin::FlushQuickItemsToFile()", "Velloquin::FlushQuickItemsToFile", "\\src\\persistence\\items_file.cpp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        std::uint64_t start = 0;
        if (c.map) {
            const std::uint64_t rva = MapAddress(c.map);
            ASSERT_NE(rva, 0u) << "the map does not place " << c.map;
            start = base_ + rva;
        } else {
            start = reinterpret_cast<std::uint64_t>(GetProcAddress(module_, "QVEXPlugin_Load"));
            ASSERT_NE(start, 0u);
        }
        // A few bytes in, as the address in a crash report lies.
        const std::uint64_t address = start + 4;

        alignas(SYMBOL_INFO) char buffer[sizeof(SYMBOL_INFO) + MAX_SYM_NAME] = {};
        auto* symbol = reinterpret_cast<SYMBOL_INFO*>(buffer);
        symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
        symbol->MaxNameLen = MAX_SYM_NAME;
        DWORD64 displacement = 0;
        ASSERT_TRUE(SymFromAddr(GetCurrentProcess(), address, &displacement, symbol))
            << "no symbol (error " << GetLastError() << ")";
        EXPECT_EQ(std::string(symbol->Name), c.expected);
        EXPECT_EQ(displacement, 4u);
        EXPECT_EQ(symbol->Address, start);
        // A procedure record, with its extent; a public name alone has neither.
        EXPECT_EQ(symbol->Tag, 5u) << "not a function (SymTagFunction) but tag " << symbol->Tag;
        EXPECT_GT(symbol->Size, 4u);

        IMAGEHLP_LINE64 line{};
        line.SizeOfStruct = sizeof(line);
        DWORD column = 0;
        ASSERT_TRUE(SymGetLineFromAddr64(GetCurrentProcess(), address, &column, &line))
            << "no line (error " << GetLastError() << ")";
        const std::string file = line.FileName ? line.FileName : "";
        const std::string end = c.file;
        EXPECT_TRUE(file.size() >= end.size() && file.compare(file.size() - end.size(), end.size(), end) == 0)
            << file;
        EXPECT_GT(line.LineNumber, 0u);
    }
}

TEST_F(DbghelpSymbols, TheHookEntrysLinesFollowItsInstructions) {
    // The first instruction (push rbp) and the last (ret) lie on different
    // lines of the entry's source; the ret is the procedure's last byte.
    const std::uint64_t start = base_ + MapAddress("FavoritesMenuHook");
    ASSERT_NE(start, base_);
    alignas(SYMBOL_INFO) char buffer[sizeof(SYMBOL_INFO) + MAX_SYM_NAME] = {};
    auto* symbol = reinterpret_cast<SYMBOL_INFO*>(buffer);
    symbol->SizeOfStruct = sizeof(SYMBOL_INFO);
    symbol->MaxNameLen = MAX_SYM_NAME;
    DWORD64 displacement = 0;
    ASSERT_TRUE(SymFromAddr(GetCurrentProcess(), start, &displacement, symbol));
    ASSERT_EQ(std::string(symbol->Name), "FavoritesMenuHook");
    const std::uint64_t last = start + symbol->Size - 1;
    EXPECT_EQ(*reinterpret_cast<const unsigned char*>(last), 0xC3) << "the extent does not end at the ret";

    IMAGEHLP_LINE64 first{}, final{};
    first.SizeOfStruct = final.SizeOfStruct = sizeof(IMAGEHLP_LINE64);
    DWORD column = 0;
    ASSERT_TRUE(SymGetLineFromAddr64(GetCurrentProcess(), start, &column, &first));
    ASSERT_TRUE(SymGetLineFromAddr64(GetCurrentProcess(), last, &column, &final));
    EXPECT_LT(first.LineNumber, final.LineNumber);
}

}  // namespace
