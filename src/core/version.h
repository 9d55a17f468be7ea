// The plug-in's version record: what the loader reads before loading it, and
// where the error boxes take the plug-in's name and version from.
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

extern "C" VELLOQUIN_EXPORT QVEXPluginVersionData QVEXPlugin_Version;
