// The trampoline: the search for a pool below the module, the stubs, the
// call sites and the diagnostic lines.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "game_runtime.h"
#include "host.h"
#include "image.h"
#include "platform/win32.h"
#include "qvex_common/BranchTrampoline.h"

using namespace TestHost;
namespace {

class TrampolineTest : public ::testing::Test {
protected:
    void TearDown() override {
        StopSimulatingMemory();
        pool.m_base = nullptr;  // simulated pools hold no real memory
    }
    std::string Search(std::uintptr_t moduleBase) {
        ::testing::internal::CaptureStdout();
        pool.AllocateNearImage(Velloquin::trampolinePoolSize, moduleBase);
        return ::testing::internal::GetCapturedStdout();
    }
    Velloquin::BranchTrampoline pool;
};

constexpr std::uintptr_t module = 0x7ff712340000;

}  // namespace

TEST_F(TrampolineTest, AFreeRegionOfExactly256BytesBelowTheModuleIsUsedWhole) {
    SimulateMemory({{module - 256, 256, true}});
    EXPECT_EQ(Search(module), "");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pool.m_base), module - 256);
    EXPECT_EQ(pool.m_size, 256u);
    EXPECT_EQ(pool.m_pos, 0u);
    ASSERT_EQ(AllocationRequests().size(), 1u);
}

TEST_F(TrampolineTest, TheSearchTakesTheTopOfTheHighestLargeEnoughFreeRegion) {
    SimulateMemory({{module - 0x10000, 0x10000, false},
                    {module - 0x100F0, 0xF0, true},  // too small
                    {module - 0x20000, 0xFF10, false},
                    {module - 0x30000, 0x10000, true}});
    EXPECT_EQ(Search(module), "");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pool.m_base), module - 0x20000 - 256);
}

TEST_F(TrampolineTest, AFailedAllocationIsLoggedAndTheWalkGoesOn) {
    SimulateMemory({{module - 0x10000, 0x10000, true}, {module - 0x20000, 0x10000, true}}, {module - 256});
    const std::string log = Search(module);
    EXPECT_EQ(log, "trampoline alloc 00007FF71233FF00x0000000000000100 failed (000001E7)\n");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pool.m_base), module - 0x10000 - 256);
}

TEST_F(TrampolineTest, NothingFreeWithinReachLeavesNoPool) {
    SimulateMemory({{module - 0x78000000 - 0x10000, 0x78010000, false}, {module - 0x88000000, 0x10000000, true}});
    EXPECT_EQ(Search(module), "couldn't allocate trampoline, no free space before image\n");
    EXPECT_EQ(pool.m_base, nullptr);
    EXPECT_TRUE(AllocationRequests().empty());
}

TEST_F(TrampolineTest, AModuleBelowTheWindowSearchesDownToAddressZero) {
    // Nothing is free anywhere below the module: the walk reaches the bottom of the address space.
    SimulateMemory({{0, 0x50000000, false}});
    EXPECT_EQ(Search(0x50000000), "couldn't allocate trampoline, no free space before image\n");
    SimulateMemory({{0x10000, 0x10000, true}, {0x20000, 0x50000000 - 0x20000, false}});
    EXPECT_EQ(Search(0x50000000), "");
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(pool.m_base), 0x20000u - 256);
}

TEST_F(TrampolineTest, AnExistingPoolIsKept) {
    SimulateMemory({{module - 256, 256, true}});
    Search(module);
    Search(module - 0x1000000);
    EXPECT_EQ(AllocationRequests().size(), 1u);
}

namespace {

// Real memory for stubs and sites, at the addresses a test needs.
class StubTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetWorld();
        pool.AllocateNearImage(Velloquin::trampolinePoolSize, ImageBase());
        ASSERT_NE(pool.m_base, nullptr);
    }
    void TearDown() override {
        for (void* page : pages) VirtualFree(page, 0, MEM_RELEASE);
    }
    // A writable page holding address, or null when that memory is taken.
    bool MapPageAt(std::uintptr_t address) {
        void* page = VirtualAlloc(reinterpret_cast<void*>(address & ~std::uintptr_t{0xFFFF}), 0x10000 + 16,
                                  MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        if (page) pages.push_back(page);
        return page != nullptr;
    }
    std::uintptr_t Base() const { return reinterpret_cast<std::uintptr_t>(pool.m_base); }
    Velloquin::BranchTrampoline pool;
    std::vector<void*> pages;
};

}  // namespace

TEST_F(StubTest, EachStubJumpsToItsTargetAndTheSecondFollowsTheFirst) {
    const std::uintptr_t site = ImageBase() + 0x100000;
    ASSERT_TRUE(pool.WriteCallSite(site, 0x1122334455667788));
    ASSERT_TRUE(pool.WriteCallSite(site + 16, 0x0102030405060708));
    EXPECT_EQ(pool.m_pos, 28u);
    const auto* stubs = static_cast<const unsigned char*>(pool.m_base);
    const unsigned char first[14] = {0xFF, 0x25, 0, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(std::memcmp(stubs, first, 14), 0);
    EXPECT_EQ(Velloquin::ResolveCallTarget(site), Base());
    EXPECT_EQ(Velloquin::ResolveCallTarget(site + 16), Base() + 14);
}

TEST_F(StubTest, DisplacementsAtTheEdgesOfThe32BitRangeAreAccepted) {
    // Each write hands out the next 14-byte stub: work out each site from its stub.
    const std::uintptr_t lowSite = Base() - 5 - static_cast<std::uintptr_t>(INT32_MAX);  // displacement 2^31 - 1
    if (!MapPageAt(lowSite)) GTEST_SKIP() << "the memory 2 GiB below the pool is taken";
    ASSERT_TRUE(pool.WriteCallSite(lowSite, 0x1234));
    EXPECT_EQ(Velloquin::ResolveCallTarget(lowSite), Base());

    const std::uintptr_t highSite = Base() + 14 - 5 + 0x80000000;  // displacement -2^31
    if (!MapPageAt(highSite)) GTEST_SKIP() << "the memory 2 GiB above the pool is taken";
    ASSERT_TRUE(pool.WriteCallSite(highSite, 0x1234));
    EXPECT_EQ(Velloquin::ResolveCallTarget(highSite), Base() + 14);
}

TEST_F(StubTest, OneByteBeyondTheRangeIsRefusedWithTheDiagnosticLine) {
    const std::uintptr_t site = Base() - 5 - 0x80000000;  // displacement 2^31
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(pool.PlaceCallSite(site, 0x1234), Velloquin::TrampolineOutcome::OutOfReach);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Assertion failed in BranchTrampoline.cpp (245): (trampolineDispl >= _I32_MIN) && (trampolineDispl <= "
              "_I32_MAX)\n");
}

TEST_F(StubTest, NoPoolOrAFullPoolIsRefused) {
    Velloquin::BranchTrampoline empty;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(empty.PlaceCallSite(ImageBase() + 0x100000, 0x1234), Velloquin::TrampolineOutcome::NoPool);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Assertion failed in BranchTrampoline.cpp (125): m_base\n");

    const std::uintptr_t site = ImageBase() + 0x100000;
    for (int i = 0; i < 18; ++i) ASSERT_TRUE(pool.WriteCallSite(site + 8 * i, 0x1234)) << i;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(pool.PlaceCallSite(site, 0x1234), Velloquin::TrampolineOutcome::PoolFull);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Assertion failed in BranchTrampoline.cpp (255): result\n");
}

TEST(ResolveCallTarget, ReadsOnlyA5ByteNearCall) {
    unsigned char code[5] = {0xE8, 0xFB, 0xFF, 0xFF, 0xFF};  // call to itself
    const auto site = reinterpret_cast<std::uintptr_t>(code);
    EXPECT_EQ(Velloquin::ResolveCallTarget(site), site);
    code[0] = 0xE9;
    EXPECT_EQ(Velloquin::ResolveCallTarget(site), 0u);
    EXPECT_EQ(Velloquin::ResolveCallTarget(0), 0u);
}

TEST(DiagnosticLog, ALineKeepsAtMost8190CharactersBeforeItsLineFeed) {
    for (const std::size_t length : {8190u, 8191u, 10000u}) {
        const std::string text(length, 'x');
        ::testing::internal::CaptureStdout();
        Velloquin::DiagnosticLog("%s", text.c_str());
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string(8190, 'x') + "\n") << length;
    }
}

TEST(DiagnosticLog, FormatsSixteenDigitHexadecimalLikeTheWindowsRuntime) {
    ::testing::internal::CaptureStdout();
    Velloquin::DiagnosticLog("trampoline alloc %016I64Xx%016I64X failed (%08X)", 0x7FF6ABCD0000ull, 256ull, 487u);
    Velloquin::DiagnosticLog("VirtualQuery failed: %08X", 87u);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "trampoline alloc 00007FF6ABCD0000x0000000000000100 failed (000001E7)\nVirtualQuery failed: 00000057\n");
}
