// What the loader sees of the plug-in: the version record and the entry.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define VELLOQUIN_EXPORT __declspec(dllexport)
#else
#define VELLOQUIN_EXPORT __attribute__((visibility("default")))
#endif

struct QVEXPluginVersionData {
    std::uint32_t dataVersion;
    std::uint32_t pluginVersion;
    char name[256];
    char author[256];
    std::uint32_t flags1;
    std::uint32_t flags2;
    std::uint32_t compatibleVersions[16];
    std::uint32_t reserved[3];
};
static_assert(sizeof(QVEXPluginVersionData) == 604);
static_assert(offsetof(QVEXPluginVersionData, pluginVersion) == 4);
static_assert(offsetof(QVEXPluginVersionData, name) == 8);
static_assert(offsetof(QVEXPluginVersionData, author) == 264);
static_assert(offsetof(QVEXPluginVersionData, flags1) == 520);
static_assert(offsetof(QVEXPluginVersionData, flags2) == 524);
static_assert(offsetof(QVEXPluginVersionData, compatibleVersions) == 528);
static_assert(offsetof(QVEXPluginVersionData, reserved) == 592);

struct LoaderInterface;
struct LoaderMessage {
    void* sender;
    std::uint32_t type;
};

extern "C" {
VELLOQUIN_EXPORT extern QVEXPluginVersionData QVEXPlugin_Version;
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
