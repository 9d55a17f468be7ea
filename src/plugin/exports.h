// What the loader sees of the plug-in: the version record and the entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/version.h"

struct LoaderInterface;
struct LoaderMessage {
    void* sender;
    std::uint32_t type;
};

extern "C" {
VELLOQUIN_EXPORT bool QVEXPlugin_Load(const LoaderInterface* loader);
}

namespace Velloquin {
void HandleOnPluginLoad();
void OnMenuOpen(void* menu);
void OnLoaderMessage(LoaderMessage* message);
}  // namespace Velloquin

// The hook entry that the redirected game call lands in (assembly: it passes
// every argument register on unchanged).
extern "C" void FavoritesMenuHook();
