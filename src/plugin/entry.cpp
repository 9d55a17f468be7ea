// The loader's entry, the redirection of the game's call and the menu callback.
#include <cstdio>
#include <cstring>
#include <string>

#include "config/settings.h"
#include "core/error_report.h"
#include "core/log.h"
#include "plugin/exports.h"
#include "core/state.h"
#include "platform/win32.h"
#include "qvex_common/BranchTrampoline.h"

// The plug-in's version comes from the build (the project's version): major
// and minor in the two high bytes.
static_assert(VELLOQUIN_VERSION_MAJOR < 256 && VELLOQUIN_VERSION_MINOR < 256);

extern "C" {
QVEXPluginVersionData QVEXPlugin_Version = {
    1,
    (VELLOQUIN_VERSION_MAJOR << 24) | (VELLOQUIN_VERSION_MINOR << 16),
    "Velloquin - QVEX Plugin by Ondrastel",
    "Ondrastel",
    0,
    0,
    {0x010F0D80},
    {0, 0, 0},
};
}

namespace {

// The loader's records, read as raw words.
using QueryLoaderInterfaceFn = void* (*)(std::uint32_t id);
using QueryPluginHandleFn = std::uint32_t (*)();
using RegisterMessageListenerFn = bool (*)(std::uint32_t handle, const char* sender, void (*)(LoaderMessage*));
using RegisterMenuCallbackFn = bool (*)(void (*)(void*));

template <class Fn>
Fn LoaderOperation(const void* loader, int index) {
    return Velloquin::Game::ReadField<Fn>(loader, Velloquin::Game::Layout::loaderOperations + 8 * index);
}

template <class Fn>
Fn InterfaceOperation(const void* record) {
    return Velloquin::Game::ReadField<Fn>(record, Velloquin::Game::Layout::interfaceOperation);
}

// The first line after the log's own: the plug-in's version, the loader's,
// and the game's as the loader gives it (its first two words), against the
// game versions the version record lists. Nothing else reads those words.
void LogVersions(const LoaderInterface* loader) {
    using namespace Velloquin;
    if (!LogActive()) return;
    const std::uint32_t loaderVersion = loader ? Game::ReadField<std::uint32_t>(loader, 0) : 0;
    const std::uint32_t gameVersion = loader ? Game::ReadField<std::uint32_t>(loader, 4) : 0;
    bool listed = false;
    std::string listedText;
    for (std::uint32_t version : QVEXPlugin_Version.compatibleVersions) {
        if (version == 0) break;
        listed = listed || version == gameVersion;
        char text[16];
        std::snprintf(text, sizeof text, "%s0x%08X", listedText.empty() ? "" : ", ", version);
        listedText += text;
    }
    LogLine("Velloquin %s (version 0x%08X); loader version 0x%08X; game runtime 0x%08X, %s %s", GetVersionText().c_str(),
            QVEXPlugin_Version.pluginVersion, loaderVersion, gameVersion,
            listed ? "a version this plug-in is made for:" : "VERSION MISMATCH: this plug-in is made for",
            listedText.c_str());
}

}  // namespace

bool QVEXPlugin_Load(const LoaderInterface* loader) {
    using namespace Velloquin;
    try {
        StartLog(ReadLogEnabled());
        try {
            LogVersions(loader);
        } catch (...) {
            // The log never stops the start.
        }
        pluginHandle = LoaderOperation<QueryPluginHandleFn>(loader, 1)();

        gameModuleBase = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
        if (!gameModuleBase) {
            ReportFatalError("QVEXPlugin_Load", 1427, "Installation error: Halvorine.exe handle couldn't be acquired");
        }
        if (!trampoline.m_base) trampoline.AllocateNearImage(trampolinePoolSize, gameModuleBase);
        if (!trampoline.m_base) ReportFatalError("QVEXPlugin_Load", 1437, "alloc error");
        LogLine("Halvorine.exe at %016llX; trampoline pool at %016llX, %llu bytes",
                static_cast<unsigned long long>(gameModuleBase),
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(trampoline.m_base)),
                static_cast<unsigned long long>(trampoline.m_size));

        HandleOnPluginLoad();

        const auto queryInterface = LoaderOperation<QueryLoaderInterfaceFn>(loader, 0);
        if (void* messaging = queryInterface(1)) {
            InterfaceOperation<RegisterMessageListenerFn>(messaging)(pluginHandle, "QVEX", &OnLoaderMessage);
        }
        if (void* menus = queryInterface(3)) {
            InterfaceOperation<RegisterMenuCallbackFn>(menus)(&OnMenuOpen);
        }
        LogLine("Started: the loader's listener and menu callback are registered");
        return true;
    } catch (...) {
        return false;
    }
}

namespace Velloquin {

// Why the call site could not be redirected; the number is what the fatal box shows.
enum class InstallFailure : int {
    NoModuleBase = 3,     // the game module's address is unknown
    SiteNotWritten = 8,   // the pool had no stub for it, or the stub is out of reach
    NoCallAtSite = 5,     // the site holds no 5-byte call, or its target cannot be computed
    SiteWrapped = 6,      // base plus the site's offset wrapped around
};

namespace {

// The five bytes at the hook site before it is rewritten, and what they call.
void LogHookSite(std::uintptr_t site) {
    if (!LogActive()) return;
    unsigned char code[5];
    std::memcpy(code, reinterpret_cast<const void*>(site), sizeof code);
    const std::uintptr_t callee = ResolveCallTarget(site);
    char target[64] = "no 5-byte call";
    if (callee >= gameModuleBase)
        std::snprintf(target, sizeof target, "a call of Halvorine.exe+0x%llX",
                      static_cast<unsigned long long>(callee - gameModuleBase));
    else if (callee != 0)
        std::snprintf(target, sizeof target, "a call of %016llX", static_cast<unsigned long long>(callee));
    LogLine("Hook site Halvorine.exe+0x%llX holds %02X %02X %02X %02X %02X: %s",
            static_cast<unsigned long long>(site - gameModuleBase), code[0], code[1], code[2], code[3], code[4], target);
}

}  // namespace

void HandleOnPluginLoad() {
    InstallFailure failure;
    const std::uintptr_t site = gameModuleBase + GameIndex::hookSite;
    if (gameModuleBase == 0) {
        failure = InstallFailure::NoModuleBase;
    } else if (site <= gameModuleBase) {
        failure = InstallFailure::SiteWrapped;
    } else if (const std::uintptr_t callee = (LogHookSite(site), ResolveCallTarget(site)); callee == 0) {
        // (LogHookSite allocates nothing: it cannot throw.)
        failure = InstallFailure::NoCallAtSite;
    } else {
        // Known before the site is rewritten: a game thread may reach the
        // redirected call as soon as it is written.
        siteCallee = callee;
        if (trampoline.WriteCallSite(site, reinterpret_cast<std::uintptr_t>(&FavoritesMenuHook))) {
            LogLine("Hook site now calls %016llX, a stub of the trampoline pool (%llu of %llu bytes used) that jumps "
                    "to the hook entry at %016llX",
                    static_cast<unsigned long long>(ResolveCallTarget(site)),
                    static_cast<unsigned long long>(trampoline.m_pos),
                    static_cast<unsigned long long>(trampoline.m_size),
                    static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&FavoritesMenuHook)));
            return;
        }
        failure = InstallFailure::SiteNotWritten;
    }
    ReportFatalError("Velloquin::HandleOnPluginLoad", 1310,
                     "couldn't install, error code: " + std::to_string(static_cast<int>(failure)));
}

void OnMenuOpen(void* menuObject) {
    try {
        auto* menu = static_cast<Game::Menu*>(menuObject);
        if (!menu) return;
        const char* name = Game::MenuName(menu);
        if (!name || pluginInactive) return;
        if (std::strcmp(name, "EndGameCreditsMenu") == 0) {
            if (!reloadPending) {
                creditsMenuTime = SteadyNow();
                reloadPending = 1;
            }
            return;
        }
        const bool favorites = std::strcmp(name, "FavoritesMenu") == 0;
        if (!favorites && std::strcmp(name, "InventoryMenu") != 0 && std::strcmp(name, "PowersMenu") != 0) return;
        StateLock lock(stateMutex);
        if (favorites) {
            const std::int64_t now = SteadyNow();
            favoritesMenuOpened = true;
            favoritesMenuPopulated = false;
            openFavoritesMenu = menu;
            populateFailed = false;
            favoritesMenuOpenTime = now;
            lastUpdateTime = now - 100'000'000;
        }
    } catch (...) {
    }
}

}  // namespace Velloquin
