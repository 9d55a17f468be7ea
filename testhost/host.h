// The test host: the game and its loader, as the plug-in sees them.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The plug-in's names of the loader's interface and messages: its entry and
// its listener are called through pointers of exactly its types.
struct LoaderInterface;
struct LoaderMessage;

namespace TestHost {

// ---- The clock (nanoseconds of the steady clock the plug-in reads)
std::int64_t Now();
void SetNow(std::int64_t nanoseconds);
void Advance(std::int64_t milliseconds);
// The machine's steady clock instead of the host's (for benchmarks).
void UseRealClock(bool on);

// ---- Keys: GetKeyState answers negative for keys held down
void SetKeyDown(int virtualKey, bool down);
void ReleaseAllKeys();
// Every GetKeyState call, in order.
const std::vector<int>& KeyStateQueries();
void ClearKeyStateQueries();
void RecordKeyStateQueries(bool on);

// ---- Message boxes
struct Box {
    std::string text;
    std::string title;
    unsigned style;
};
// Answers given to the next boxes, in order; when none is queued the answer is No (7) for
// Yes/No boxes and OK (1) otherwise.
void QueueBoxAnswer(int answer);
const std::vector<Box>& Boxes();
void ClearBoxes();

// ---- Memory as the plug-in's VirtualQuery and VirtualAlloc see it. While a
// simulation is on, VirtualQuery answers from these regions and VirtualAlloc
// only records the request and answers with the requested address (nothing may
// be written there), or fails with error 487 at a refused address.
struct MemoryRegion {
    std::uintptr_t base;
    std::size_t size;
    bool free;
};
void SimulateMemory(std::vector<MemoryRegion> regions, std::vector<std::uintptr_t> refusedAddresses = {});
void StopSimulatingMemory();
const std::vector<std::uintptr_t>& AllocationRequests();

// ---- The end of the process: the host records a line, prints it and exits with the code.
// Death tests: the child writes the boxes it showed and its exit code to this
// file just before it ends, so the parent can compare them byte for byte.
void SetExitReportFile(const std::string& path);
struct ExitReport {
    bool ended = false;
    unsigned exitCode = 0;
    std::vector<Box> boxes;
};
ExitReport ReadExitReport(const std::string& path);
// The test programs: an end that the plug-in asks for while no test expects it
// (outside a death test's child) is a fault, and the host then says so on
// standard error and exits with unexpectedEndExitCode instead of the
// plug-in's code, so that no test passes by ending its process early (exit
// status 0, the tests after it never run). The session player leaves it off:
// its transcript shows an end.
inline constexpr int unexpectedEndExitCode = 97;
void FailUnexpectedEnds(bool on);
// True for the command line of a GoogleTest death test's child (the process
// that runs one EXPECT_EXIT or EXPECT_DEATH statement, whose end is expected).
bool IsDeathTestChild(int argc, char** argv);

// ---- The plug-in library
struct Plugin {
    void* module = nullptr;
    const void* versionRecord = nullptr;
    bool (*load)(const LoaderInterface* loaderInterface) = nullptr;
};
// Loads the plug-in (running its start-up); path empty = the build's own library.
Plugin& LoadPlugin(const std::string& path = "");
void UnloadPlugin();
Plugin& CurrentPlugin();
std::string DefaultPluginPath();

// ---- The loader
struct LoaderState {
    std::uint32_t pluginHandle = 0x2A;
    void (*messageListener)(LoaderMessage* message) = nullptr;
    std::string listenerSender;
    std::uint32_t listenerHandle = 0;
    void (*menuCallback)(void* menu) = nullptr;
    std::vector<std::string> calls;  // loader operations in call order
};
LoaderState& Loader();
const void* LoaderInterfaceRecord();
// Calls QVEXPlugin_Load with the loader interface; returns its answer.
bool CallPluginLoad();
void SendLoaderMessage(std::uint32_t type);

// Resets the whole world (image, clock, keys, controller, boxes, records, loader).
void ResetWorld();

// ---- The hook site: the game routine that holds the redirected call.
// Runs the routine as the game would, with these argument values.
void RunHookedCall();
// What the original callee saw on its last call.
struct CalleeCapture {
    std::uint64_t integerRegisters[6];  // first integer argument registers
    std::uint64_t vectorRegisters[8];   // first 64 bits of the argument vector registers
    std::uint64_t stackArguments[8];    // the eight stack arguments the routine passes
    std::uint64_t entryAlignment;       // rsp mod 16 at the callee's first instruction
    std::uint64_t calls;
};
const CalleeCapture& LastCalleeCapture();
// The eight stack arguments the routine passes, and what the callee returns.
const std::uint64_t* CalleeStackArguments();
std::uint64_t CalleeReturnedRax();
const std::uint64_t* CalleeReturnedXmm0();  // two 64-bit halves
// What the routine found after the call: the returned rax and xmm0, and the
// callee-saved registers (Windows: rbx, rbp, rdi, rsi, r12-r15, xmm6-xmm15;
// System V: rbx, rbp, r12-r15) that no longer hold the sentinel it loaded.
struct SiteCapture {
    std::uint64_t returnedRax = 0;
    std::uint64_t returnedXmm0[2] = {};
    std::vector<std::string> changedRegisters;
};
SiteCapture LastSiteCapture();
// The call instruction's target before redirection and the routine's address.
std::uintptr_t OriginalCallee();
std::uintptr_t HookRoutine();

}  // namespace TestHost
