// The Linux stand-in's answers about memory, on which the jump-stub pool below
// the game module relies: regions as the process's map shows them, and
// reservations exactly where asked or not at all.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "host.h"
#include "platform/win32.h"

namespace {

class PosixMemory : public ::testing::Test {
protected:
    // Five pages: the outer two unmapped (so no neighbour merges with ours), then
    // a read-only page, a hole, and a read-write page.
    void SetUp() override {
        TestHost::ResetWorld();
        page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        void* block = mmap(nullptr, 5 * page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(block, MAP_FAILED);
        base = reinterpret_cast<std::uintptr_t>(block);
        munmap(block, page);
        munmap(At(2), page);
        munmap(At(4), page);
        mprotect(At(3), page, PROT_READ | PROT_WRITE);
    }
    void TearDown() override {
        munmap(At(1), page);
        munmap(At(2), page);
        munmap(At(3), page);
    }
    void* At(int index) const { return reinterpret_cast<void*>(base + index * page); }
    MEMORY_BASIC_INFORMATION Query(const void* address) const {
        MEMORY_BASIC_INFORMATION info{};
        EXPECT_EQ(VirtualQuery(address, &info, sizeof info), sizeof info);
        return info;
    }

    std::uintptr_t page = 0;
    std::uintptr_t base = 0;
};

TEST_F(PosixMemory, QueriesDescribeUsedRegionsHolesAndTheNullArea) {
    const MEMORY_BASIC_INFORMATION readOnly = Query(static_cast<char*>(At(1)) + 100);
    EXPECT_EQ(readOnly.BaseAddress, At(1));
    EXPECT_EQ(readOnly.RegionSize, page);
    EXPECT_EQ(readOnly.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(readOnly.Protect, static_cast<DWORD>(PAGE_READONLY));

    const MEMORY_BASIC_INFORMATION hole = Query(static_cast<char*>(At(2)) + page - 1);
    EXPECT_EQ(hole.BaseAddress, At(2));
    EXPECT_EQ(hole.RegionSize, page);
    EXPECT_EQ(hole.State, static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(hole.Protect, static_cast<DWORD>(PAGE_NOACCESS));  // as Windows answers for free memory

    EXPECT_EQ(Query(At(3)).Protect, static_cast<DWORD>(PAGE_READWRITE));

    const MEMORY_BASIC_INFORMATION nullArea = Query(reinterpret_cast<void*>(0x1000));
    EXPECT_EQ(nullArea.BaseAddress, nullptr);
    EXPECT_EQ(nullArea.RegionSize, 0x10000u);
    EXPECT_NE(nullArea.State, static_cast<DWORD>(MEM_FREE));
    const MEMORY_BASIC_INFORMATION low = Query(reinterpret_cast<void*>(0x20000));
    EXPECT_EQ(low.BaseAddress, reinterpret_cast<void*>(0x10000));
    EXPECT_EQ(low.State, static_cast<DWORD>(MEM_FREE));
    EXPECT_GT(low.RegionSize, 0x10000u);

    MEMORY_BASIC_INFORMATION info{};
    EXPECT_EQ(VirtualQuery(At(1), &info, sizeof info - 1), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(VirtualQuery(reinterpret_cast<void*>(0x800000000000), &info, sizeof info), 0u);
}

TEST_F(PosixMemory, AReservationIsMadeExactlyWhereAskedOrNotAtAll) {
    EXPECT_EQ(VirtualAlloc(At(1), page, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    EXPECT_EQ(VirtualAlloc(At(2), 0, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    void* stub = VirtualAlloc(static_cast<char*>(At(2)) + 16, 256, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    ASSERT_EQ(stub, At(2));  // the page that holds the address
    static_cast<volatile char*>(stub)[page - 1] = 1;
    EXPECT_EQ(Query(stub).Protect, static_cast<DWORD>(PAGE_EXECUTE_READWRITE));
    EXPECT_EQ(VirtualFree(stub, 256, MEM_RELEASE), 0);
    EXPECT_NE(VirtualFree(stub, 0, MEM_RELEASE), 0);
    EXPECT_EQ(Query(stub).State, static_cast<DWORD>(MEM_FREE));
    // Released once: a second release finds nothing there.
    SetLastError(0);
    EXPECT_EQ(VirtualFree(stub, 0, MEM_RELEASE), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
}

}  // namespace
#endif
