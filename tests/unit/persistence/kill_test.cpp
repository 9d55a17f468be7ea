// The items file across the game process being killed in the middle of a
// flush: a child process flushes two contents in turn and is killed at random
// moments; the file always holds one of them completely.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "persistence/items_file.h"
#include "fixture.h"

namespace PersistenceTests {
namespace {

using namespace Velloquin;

class ItemsKillTest : public PersistenceTest {
protected:
    void SetUp() override {
        PersistenceTest::SetUp();
        auto forms = standardForms;
        for (std::uint32_t local = 0x900; local < 0x906; ++local)
            forms.push_back({"Armory.esp", local, TestHost::typeWeapon});
        TestHost::LoadGame(standardOrder, forms);
    }

    static void FewSlots() {
        quickItems.fill(nullptr);
        quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
        quickItems[7] = Item("Tiny.esl", 0xABC);
    }

    static void AllSlots() {
        const std::pair<const char*, std::uint32_t> items[] = {
            {"Halvorine.esm", 0x01A2B3}, {"Halvorine.esm", 0x001A2B}, {"Armory.esp", 0x800}, {"Tiny.esl", 0xABC},
            {"Tiny.esl", 0x801},         {"Middle.esm", 0x0ABC},      {"Armory.esp", 0x900}, {"Armory.esp", 0x901},
            {"Armory.esp", 0x902},       {"Armory.esp", 0x903},       {"Armory.esp", 0x904}, {"Armory.esp", 0x905},
        };
        for (std::size_t i = 0; i < quickSlotCount; ++i) quickItems[i] = Item(items[i].first, items[i].second);
    }
};

TEST_F(ItemsKillTest, FileIsAlwaysOldOrNewComplete) {
    AllSlots();
    FlushQuickItemsToFile();
    const std::string full = ReadBytes(ItemsFile());
    FewSlots();
    FlushQuickItemsToFile();
    const std::string few = ReadBytes(ItemsFile());
    ASSERT_EQ(std::count(full.begin(), full.end(), '\n'), 12);
    ASSERT_EQ(std::count(few.begin(), few.end(), '\n'), 2);

    // How long one pair of flushes takes here, so that kills land all over them.
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 10; ++i) {
        AllSlots();
        FlushQuickItemsToFile();
        FewSlots();
        FlushQuickItemsToFile();
    }
    const auto pair = (std::chrono::steady_clock::now() - start) / 10;
    const auto spread = std::chrono::duration_cast<std::chrono::microseconds>(pair * 3).count() + 50;

    std::mt19937 random(7);
    int sawFull = 0, sawFew = 0;
    constexpr int rounds = 120;
    for (int round = 0; round < rounds; ++round) {
        // The kill is timed from the end of the child's first pair of flushes,
        // not from the fork: the fork and the child's first touches of its
        // copied memory take a varying time (more so under a sanitizer).
        int started[2];
        ASSERT_EQ(pipe(started), 0);
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            close(started[0]);
            for (int pairs = 0;; ++pairs) {
                if (pairs == 1) {
                    const char ready = 1;
                    if (write(started[1], &ready, 1) != 1) _exit(1);
                    close(started[1]);
                }
                AllSlots();
                FlushQuickItemsToFile();
                FewSlots();
                FlushQuickItemsToFile();
            }
        }
        close(started[1]);
        char ready = 0;
        ASSERT_EQ(read(started[0], &ready, 1), 1);
        close(started[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % spread));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the flushing process ended by itself";

        const std::string content = ReadBytes(ItemsFile());
        ASSERT_TRUE(content == full || content == few) << "round " << round << ": " << content.size() << " bytes";
        (content == full ? sawFull : sawFew)++;
    }
    // Kills landed both before and after replacements of the file.
    EXPECT_GT(sawFull, 0);
    EXPECT_GT(sawFew, 0);
    EXPECT_TRUE(TestHost::Boxes().empty());

    // A temporary file left by a killed flush is taken over by the next one.
    FlushQuickItemsToFile();
    EXPECT_EQ(ReadBytes(ItemsFile()), few);
    EXPECT_FALSE(fs::exists(ItemsFile("VelloquinItems_2A.txt.tmp")));
}

}  // namespace
}  // namespace PersistenceTests
#endif
