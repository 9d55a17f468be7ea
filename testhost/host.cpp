// The host's core: clock, keys, message boxes, the end of the process, the
// loader, the hook site routine, and loading the plug-in.
#include "host.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "controller.h"
#include "image.h"
#include "platform_seam.h"
#include "game/game_index.h"
#include "recorder.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

std::mutex hostMutex;
std::atomic<std::int64_t> clockNow{0};
std::atomic<bool> realClock{false};
std::atomic<bool> recordKeyQueries{true};
std::map<int, bool> keysDown;
std::vector<int> keyQueries;
std::deque<int> boxAnswers;
std::vector<Box> boxes;
LoaderState loader;
Plugin plugin;
CalleeCapture capture;
std::string exitReportFile;

// ---- the loader's operations (plain functions, as the loader's are)
struct InterfaceRecord {
    std::uint64_t version;
    const void* operation;
};

bool RegisterMessageListener(std::uint32_t handle, const char* sender, void (*listener)(void*)) {
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

const void* QueryLoaderInterface(std::uint32_t id) {
    loader.calls.push_back("QueryLoaderInterface " + std::to_string(id));
    if (id == 1) return &messagingInterface;
    if (id == 3) return &menuInterface;
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

// ---- the hook site routine and the original callee
// The callee records what arrives in the argument registers and the first
// stack arguments; it is machine code so that nothing of a compiler's
// choosing touches a register first.
constexpr std::uint32_t calleeOffset = GI::hookSite + 0x80;

#ifdef _WIN32
constexpr int integerRegisters[] = {1, 2, 8, 9};  // rcx, rdx, r8, r9
constexpr int vectorRegisterCount = 4;
constexpr int firstStackArgument = 0x28;          // return address and home space
const unsigned char routinePrologue[] = {
    0x48, 0x83, 0xEC, 0x38,                                // sub rsp, 0x38
    0x48, 0xC7, 0x44, 0x24, 0x20, 0x55, 0x55, 0x00, 0x00,  // mov qword [rsp+0x20], 0x5555
    0x48, 0xC7, 0x44, 0x24, 0x28, 0x66, 0x66, 0x00, 0x00,  // mov qword [rsp+0x28], 0x6666
};
const unsigned char routineEpilogue[] = {0x48, 0x83, 0xC4, 0x38, 0xC3};  // add rsp, 0x38; ret
#else
constexpr int integerRegisters[] = {7, 6, 2, 1, 8, 9};  // rdi, rsi, rdx, rcx, r8, r9
constexpr int vectorRegisterCount = 8;
constexpr int firstStackArgument = 0x08;                // return address
const unsigned char routinePrologue[] = {
    0x48, 0x83, 0xEC, 0x18,                                // sub rsp, 0x18
    0x48, 0xC7, 0x04, 0x24, 0x55, 0x55, 0x00, 0x00,        // mov qword [rsp], 0x5555
    0x48, 0xC7, 0x44, 0x24, 0x08, 0x66, 0x66, 0x00, 0x00,  // mov qword [rsp+8], 0x6666
};
const unsigned char routineEpilogue[] = {0x48, 0x83, 0xC4, 0x18, 0xC3};  // add rsp, 0x18; ret
#endif

void Emit(std::vector<unsigned char>& code, std::initializer_list<unsigned char> bytes) {
    code.insert(code.end(), bytes);
}
void EmitDisp32(std::vector<unsigned char>& code, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) code.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::vector<unsigned char> CalleeCode() {
    std::vector<unsigned char> code;
    const auto target = reinterpret_cast<std::uint64_t>(&capture);
    Emit(code, {0x48, 0xB8});  // mov rax, &capture
    for (int i = 0; i < 8; ++i) code.push_back(static_cast<unsigned char>(target >> (8 * i)));
    int index = 0;
    for (int reg : integerRegisters) {  // mov [rax + 8*index], reg
        Emit(code, {static_cast<unsigned char>(0x48 | (reg >= 8 ? 4 : 0)), 0x89,
                    static_cast<unsigned char>(0x80 | ((reg & 7) << 3))});
        EmitDisp32(code, offsetof(CalleeCapture, integerRegisters) + 8 * index++);
    }
    for (int n = 0; n < vectorRegisterCount; ++n) {  // movq [rax + ...], xmmN
        Emit(code, {0x66, 0x0F, 0xD6, static_cast<unsigned char>(0x80 | (n << 3))});
        EmitDisp32(code, offsetof(CalleeCapture, vectorRegisters) + 8 * n);
    }
    for (int n = 0; n < 4; ++n) {
        // mov rcx, [rsp + first + 8n]; mov [rax + ...], rcx
        Emit(code, {0x48, 0x8B, 0x8C, 0x24});
        EmitDisp32(code, firstStackArgument + 8 * n);
        Emit(code, {0x48, 0x89, 0x88});
        EmitDisp32(code, offsetof(CalleeCapture, stackArguments) + 8 * n);
    }
    Emit(code, {0x48, 0xFF, 0x80});  // inc qword [rax + calls]
    EmitDisp32(code, offsetof(CalleeCapture, calls));
    code.push_back(0xC3);
    return code;
}

std::int64_t HostNow() {
    if (realClock) {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    return clockNow;
}

}  // namespace

// ---- what the plug-in's platform calls end up asking (both builds)
namespace Seam {

short GetKeyState(int virtualKey) {
    std::lock_guard lock(hostMutex);
    if (recordKeyQueries) keyQueries.push_back(virtualKey);
    auto found = keysDown.find(virtualKey);
    return found != keysDown.end() && found->second ? static_cast<short>(0xFF80) : 0;
}

int ShowMessageBox(const char* text, const char* caption, unsigned style) {
    int answer;
    {
        std::lock_guard lock(hostMutex);
        boxes.push_back({text ? text : "", caption ? caption : "", style});
        if (!boxAnswers.empty()) {
            answer = boxAnswers.front();
            boxAnswers.pop_front();
        } else {
            answer = (style & 0xF) == 4 ? 7 : 1;
        }
    }
    Record(std::string("message box [") + (caption ? caption : "") + "] style " + std::to_string(style) +
           " answered " + (answer == 6 ? "Yes" : answer == 7 ? "No" : answer == 1 ? "OK" : std::to_string(answer)));
    return answer;
}

void TerminateProcess(unsigned exitCode) {
    Record("process ended with exit code " + std::to_string(exitCode));
    if (!exitReportFile.empty()) {
        if (std::FILE* report = std::fopen(exitReportFile.c_str(), "wb")) {
            for (const Box& box : boxes)
                std::fprintf(report, "box %u %zu %zu\n%s%s\n", box.style, box.title.size(), box.text.size(),
                             box.title.c_str(), box.text.c_str());
            std::fprintf(report, "exit %u\n", exitCode);
            std::fclose(report);
        }
    }
    std::printf("[host] the game process ended with exit code %u\n", exitCode);
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}

std::int64_t SteadyNow() { return HostNow(); }

}  // namespace Seam

void LayHookRoutine() {
    const std::vector<unsigned char> callee = CalleeCode();
    WriteImage(calleeOffset, callee.data(), callee.size());
    const std::uint32_t start = GI::hookSite - sizeof routinePrologue;
    WriteImage(start, routinePrologue, sizeof routinePrologue);
    unsigned char call[5] = {0xE8};
    const std::int32_t displacement = static_cast<std::int32_t>(calleeOffset) - static_cast<std::int32_t>(GI::hookSite + 5);
    std::memcpy(call + 1, &displacement, 4);
    WriteImage(GI::hookSite, call, sizeof call);
    WriteImage(GI::hookSite + 5, routineEpilogue, sizeof routineEpilogue);
}

std::uintptr_t OriginalCallee() { return ImageBase() + calleeOffset; }
std::uintptr_t HookRoutine() { return ImageBase() + GI::hookSite - sizeof routinePrologue; }
const CalleeCapture& LastCalleeCapture() { return capture; }

void RunHookedCall() {
    using Routine = void (*)(std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t);
    reinterpret_cast<Routine>(HookRoutine())(0x1111, 0x2222, 0x3333, 0x4444, 0x7777, 0x8888);
}

// ---- clock, keys, boxes
std::int64_t Now() { return HostNow(); }
void SetNow(std::int64_t nanoseconds) { clockNow = nanoseconds; }
void Advance(std::int64_t milliseconds) { clockNow += milliseconds * 1'000'000; }
void UseRealClock(bool on) { realClock = on; }
void RecordKeyStateQueries(bool on) { recordKeyQueries = on; }

void SetKeyDown(int virtualKey, bool down) {
    std::lock_guard lock(hostMutex);
    keysDown[virtualKey] = down;
}
void ReleaseAllKeys() {
    std::lock_guard lock(hostMutex);
    keysDown.clear();
}
const std::vector<int>& KeyStateQueries() { return keyQueries; }
void ClearKeyStateQueries() {
    std::lock_guard lock(hostMutex);
    keyQueries.clear();
}

void QueueBoxAnswer(int answer) {
    std::lock_guard lock(hostMutex);
    boxAnswers.push_back(answer);
}
const std::vector<Box>& Boxes() { return boxes; }
void ClearBoxes() {
    std::lock_guard lock(hostMutex);
    boxes.clear();
    boxAnswers.clear();
}

void SetExitReportFile(const std::string& path) { exitReportFile = path; }

ExitReport ReadExitReport(const std::string& path) {
    ExitReport report;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return report;
    char word[8] = {};
    while (std::fscanf(file, "%7s", word) == 1) {
        if (std::strcmp(word, "exit") == 0) {
            report.ended = std::fscanf(file, "%u", &report.exitCode) == 1;
            break;
        }
        Box box;
        std::size_t titleLength = 0, textLength = 0;
        if (std::fscanf(file, "%u %zu %zu", &box.style, &titleLength, &textLength) != 3 || std::fgetc(file) != '\n')
            break;
        box.title.resize(titleLength);
        box.text.resize(textLength);
        if (std::fread(box.title.data(), 1, titleLength, file) != titleLength ||
            std::fread(box.text.data(), 1, textLength, file) != textLength)
            break;
        report.boxes.push_back(std::move(box));
    }
    std::fclose(file);
    return report;
}

// ---- loader
LoaderState& Loader() { return loader; }
const void* LoaderInterfaceRecord() { return &loaderInterface; }

bool CallPluginLoad() {
    if (!plugin.load) return false;
    return plugin.load(&loaderInterface);
}

void SendLoaderMessage(std::uint32_t type) {
    if (!loader.messageListener) return;
    LoaderMessageData message{"QVEX", type, 0, nullptr};
    loader.messageListener(&message);
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
    plugin.load = reinterpret_cast<bool (*)(const void*)>(PlatformSymbol(module, "QVEXPlugin_Load"));
    return plugin;
}

void UnloadPlugin() {
    if (plugin.module) PlatformFreeLibrary(plugin.module);
    plugin = Plugin{};
}

void ResetWorld() {
    {
        std::lock_guard lock(hostMutex);
        clockNow = 0;
        realClock = false;
        recordKeyQueries = true;
        keysDown.clear();
        keyQueries.clear();
        boxAnswers.clear();
        boxes.clear();
        capture = CalleeCapture{};
    }
    loader = LoaderState{};
    ClearRecords();
    ResetController();
    ResetImage();
}

}  // namespace TestHost
