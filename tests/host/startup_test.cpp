// The built plug-in library loaded by the test host as the loader loads it:
// start-up, the redirected call, and the fatal start-up reports.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game_runtime.h"
#include "host.h"
#include "image.h"
#include "game/game_index.h"
#include "recorder.h"
#include "support/temp_file.h"

namespace GI = Velloquin::GameIndex;
using namespace TestHost;

namespace {

const std::string boxTitle = "Velloquin - QVEX Plugin by Ondrastel v2.1";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();  // the game's image is laid out before the plug-in is mapped
        LoadPlugin();
    }
    void TearDown() override { UnloadPlugin(); }
};

std::int32_t Displacement(std::uintptr_t site) {
    std::int32_t displacement;
    std::memcpy(&displacement, reinterpret_cast<const void*>(site + 1), 4);
    return displacement;
}

}  // namespace

TEST_F(StartupTest, LoadRedirectsTheCallThroughAStubBelowTheModule) {
    const std::uintptr_t site = ImageBase() + GI::hookSite;
    ASSERT_TRUE(CallPluginLoad());

    const auto* code = reinterpret_cast<const unsigned char*>(site);
    ASSERT_EQ(code[0], 0xE8);
    const std::uintptr_t stub = site + 5 + Displacement(site);
    EXPECT_LT(stub, ImageBase());
    EXPECT_GE(stub, ImageBase() - 0x78000000);
    const auto* stubCode = reinterpret_cast<const unsigned char*>(stub);
    const unsigned char jump[6] = {0xFF, 0x25, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(stubCode, jump, 6), 0);
    std::uintptr_t hook;
    std::memcpy(&hook, stubCode + 6, 8);
    EXPECT_NE(hook, OriginalCallee());

    // The loader saw its operations in the documented order.
    const std::vector<std::string> expected = {"QueryPluginHandle", "QueryLoaderInterface 1", "RegisterMessageListener",
                                               "QueryLoaderInterface 3", "RegisterMenuCallback"};
    EXPECT_EQ(Loader().calls, expected);
    EXPECT_EQ(Loader().listenerSender, "QVEX");
    EXPECT_EQ(Loader().listenerHandle, Loader().pluginHandle);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(StartupTest, TheGamesCallReachesTheOriginalCalleeWithItsArguments) {
    ASSERT_TRUE(CallPluginLoad());
    RunHookedCall();
    const CalleeCapture& seen = LastCalleeCapture();
    EXPECT_EQ(seen.calls, 1u);
#ifdef _WIN32
    const std::uint64_t expected[] = {0x1111, 0x2222, 0x3333, 0x4444};
#else
    const std::uint64_t expected[] = {0x1111, 0x2222, 0x3333, 0x4444, 0x7777, 0x8888};
#endif
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(seen.integerRegisters[i], expected[i]) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(seen.stackArguments[i], CalleeStackArguments()[i]) << "stack argument " << i;
    // The call pushed its return address onto a 16-aligned stack.
    EXPECT_EQ(seen.entryAlignment, 8u);
}

TEST_F(StartupTest, VectorArgumentRegistersReachTheOriginalCalleeUnchanged) {
    ASSERT_TRUE(CallPluginLoad());
#ifdef _WIN32
    const double values[] = {1.5, -2.25, 3.125, 1e300};
    reinterpret_cast<void (*)(double, double, double, double)>(HookRoutine())(values[0], values[1], values[2],
                                                                               values[3]);
#else
    const double values[] = {1.5, -2.25, 3.125, 1e300, 5.5, -6.75, 7e-300, 8.0};
    reinterpret_cast<void (*)(double, double, double, double, double, double, double, double)>(HookRoutine())(
        values[0], values[1], values[2], values[3], values[4], values[5], values[6], values[7]);
#endif
    const CalleeCapture& seen = LastCalleeCapture();
    ASSERT_EQ(seen.calls, 1u);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        double got;
        std::memcpy(&got, &seen.vectorRegisters[i], 8);
        EXPECT_EQ(got, values[i]) << "vector register " << i;
    }
}

TEST_F(StartupTest, AHookedCallInAssignmentModeRunsTheUpdatePassAfterTheOriginalCalleeAndKeepsTheGamesRegisters) {
    ASSERT_TRUE(CallPluginLoad());
    SetAssignmentMode(true);
    const int madeBefore = HostStringsMade();
    SetNow(20'000'000'000);  // past the hold after start
    RunHookedCall();
    EXPECT_EQ(LastCalleeCapture().calls, 1u);
    // The pass asked the game whether the blocking menus are open.
    EXPECT_GT(HostStringsMade(), madeBefore);
    EXPECT_EQ(LiveHostStrings(), 0);
    // The game's routine finds its callee-saved registers as it left them and
    // what the displaced function returned.
    const SiteCapture after = LastSiteCapture();
    std::string changed;
    for (const std::string& name : after.changedRegisters) changed += name + " ";
    EXPECT_EQ(changed, "");
    EXPECT_EQ(after.returnedRax, CalleeReturnedRax());
    EXPECT_EQ(after.returnedXmm0[0], CalleeReturnedXmm0()[0]);
    EXPECT_EQ(after.returnedXmm0[1], CalleeReturnedXmm0()[1]);
}

TEST_F(StartupTest, VersionRecordIsThe604ByteRecordTheLoaderReads) {
    const auto* record = static_cast<const unsigned char*>(CurrentPlugin().versionRecord);
    ASSERT_NE(record, nullptr);
    std::uint32_t words[2];
    std::memcpy(words, record, 8);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], 0x02010000u);
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 8), "Velloquin - QVEX Plugin by Ondrastel");
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 264), "Ondrastel");
    for (int i = 8 + 37; i < 264; ++i) EXPECT_EQ(record[i], 0) << "name padding at " << i;
    std::uint32_t versions[16];
    std::memcpy(versions, record + 528, sizeof versions);
    EXPECT_EQ(versions[0], 0x010F0D80u);
    for (int i = 1; i < 16; ++i) EXPECT_EQ(versions[i], 0u);
    for (int offset : {520, 524, 592, 596, 600}) {
        std::uint32_t word;
        std::memcpy(&word, record + offset, 4);
        EXPECT_EQ(word, 0u) << offset;
    }
}

// ---- start-up that cannot go on ends the game after a fatal box
namespace {

ExitReport LoadInChildAndReport(void (*prepare)()) {
    const std::string reportPath = DeathTestReportPath();
    std::remove(reportPath.c_str());
    EXPECT_EXIT(
        {
            SetExitReportFile(reportPath);
            prepare();
            LoadPlugin();
            CallPluginLoad();
            std::fprintf(stderr, "start-up went on\n");
            std::_Exit(3);
        },
        ::testing::ExitedWithCode(0), "");
    ExitReport report = ReadExitReport(reportPath);
    std::remove(reportPath.c_str());
    return report;
}

}  // namespace

TEST(StartupFailure, ASiteWithoutACallEndsTheGameWithCode5) {
    UnloadPlugin();
    const ExitReport report = LoadInChildAndReport([] {
        ResetWorld();
        const unsigned char nop = 0x90;
        WriteImage(GI::hookSite, &nop, 1);
    });
    ASSERT_TRUE(report.ended);
    EXPECT_EQ(report.exitCode, 0u);
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes[0].title, boxTitle);
    EXPECT_EQ(report.boxes[0].style, 0u);
    EXPECT_EQ(report.boxes[0].text,
              "Fatal error has occured in function Velloquin::HandleOnPluginLoad at line 1310\n\n\nError text: \n"
              " -> couldn't install, error code: 5\n");
}

TEST(StartupFailure, NoFreeSpaceBelowTheModuleEndsTheGameWithAllocError) {
    UnloadPlugin();
    const ExitReport report = LoadInChildAndReport([] {
        ResetWorld();
        // Every region below the module is taken.
        SimulateMemory({{ImageBase() - 0x80000000, 0x80000000, false}});
    });
    ASSERT_TRUE(report.ended);
    EXPECT_EQ(report.exitCode, 0u);
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_EQ(report.boxes[0].text,
              "Fatal error has occured in function QVEXPlugin_Load at line 1437\n\n\nError text: \n -> alloc error\n");
}
