// The loader: its interface records and operations as the plug-in calls them,
// its messages, and loading and unloading the plug-in library.
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "host.h"
#include "platform_seam.h"

namespace TestHost {

namespace {

LoaderState loader;
Plugin plugin;

// ---- the loader's operations (plain functions, as the loader's are)
struct InterfaceRecord {
    std::uint64_t version;
    const void* operation;
};

// Each of the exact type the plug-in calls it through.
bool RegisterMessageListener(std::uint32_t handle, const char* sender, void (*listener)(LoaderMessage*)) {
    loader.calls.push_back("RegisterMessageListener");
    loader.listenerHandle = handle;
    loader.listenerSender = sender ? sender : "";
    loader.messageListener = listener;
    return true;
}

bool RegisterMenuCallback(void (*callback)(void*)) {
    loader.calls.push_back("RegisterMenuCallback");
    loader.menuCallback = callback;
    return true;
}

const InterfaceRecord messagingInterface{1, reinterpret_cast<const void*>(&RegisterMessageListener)};
const InterfaceRecord menuInterface{1, reinterpret_cast<const void*>(&RegisterMenuCallback)};

void* QueryLoaderInterface(std::uint32_t id) {
    loader.calls.push_back("QueryLoaderInterface " + std::to_string(id));
    if (id == 1) return const_cast<InterfaceRecord*>(&messagingInterface);
    if (id == 3) return const_cast<InterfaceRecord*>(&menuInterface);
    return nullptr;
}

std::uint32_t QueryPluginHandle() {
    loader.calls.push_back("QueryPluginHandle");
    return loader.pluginHandle;
}

struct LoaderInterfaceData {
    std::uint32_t loaderVersion = 0x00020000;
    std::uint32_t gameVersion = 0x010F0D80;
    std::uint32_t editor = 0;
    std::uint32_t pad = 0;
    const void* operations[2] = {reinterpret_cast<const void*>(&QueryLoaderInterface),
                                 reinterpret_cast<const void*>(&QueryPluginHandle)};
};
static_assert(offsetof(LoaderInterfaceData, operations) == 0x10);
const LoaderInterfaceData loaderInterface;

struct LoaderMessageData {
    const char* sender;
    std::uint32_t type;
    std::uint32_t length;
    void* data;
};

}  // namespace

// ---- loader
LoaderState& Loader() { return loader; }
const void* LoaderInterfaceRecord() { return &loaderInterface; }

bool CallPluginLoad() {
    if (!plugin.load) return false;
    return plugin.load(reinterpret_cast<const LoaderInterface*>(&loaderInterface));
}

void SendLoaderMessage(std::uint32_t type) {
    if (!loader.messageListener) return;
    LoaderMessageData message{"QVEX", type, 0, nullptr};
    loader.messageListener(reinterpret_cast<LoaderMessage*>(&message));
}

// ---- plug-in
Plugin& CurrentPlugin() { return plugin; }

std::string DefaultPluginPath() {
    if (const char* path = std::getenv("VELLOQUIN_PLUGIN")) return path;
    return VELLOQUIN_PLUGIN_PATH;
}

Plugin& LoadPlugin(const std::string& path) {
    UnloadPlugin();
    const std::string file = path.empty() ? DefaultPluginPath() : path;
    void* module = PlatformLoadLibrary(file);
    if (!module) {
        std::fprintf(stderr, "test host: cannot load %s\n", file.c_str());
        std::abort();
    }
    plugin.module = module;
    plugin.versionRecord = PlatformSymbol(module, "QVEXPlugin_Version");
    plugin.load = reinterpret_cast<bool (*)(const LoaderInterface*)>(PlatformSymbol(module, "QVEXPlugin_Load"));
    return plugin;
}

void UnloadPlugin() {
    if (plugin.module) PlatformFreeLibrary(plugin.module);
    plugin = Plugin{};
}

}  // namespace TestHost
