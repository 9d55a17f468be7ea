// The items file's writer and the item check, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>

#include "config/settings.h"
#include "items/form_text.h"
#include "persistence/items_file.h"
#include "fixture.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace PersistenceTests {
namespace {

using namespace Velloquin;

const std::string itemsPathText = pluginFolderText + "VelloquinItems_2A.txt";

std::vector<std::string> OpenFailureBoxes(const std::string& path) {
    const std::string text = path + " couldn't be opened, error code: 1";
    return {NonFatalBox("Velloquin::FlushQuickItemsToFile", 467, text),
            NonFatalBox("Velloquin::FlushQuickItemsToFile", 472, text)};
}

class ItemsWriterTest : public PersistenceTest {
protected:
    void SetUp() override {
        PersistenceTest::SetUp();
        // Small index 5 for Tiny.esl, as in the example of two lines.
        std::vector<TestHost::LoadOrderFile> order = standardOrder;
        for (int i = 0; i < 5; ++i)
            order.insert(order.begin() + 2, {"pad" + std::to_string(i) + ".esl", TestHost::FileKind::Small});
        TestHost::LoadGame(order, standardForms);
    }

    static std::vector<std::string> FolderNames() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(pluginFolderPath)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ItemsWriterTest, LinesInSlotOrderWithCrLf) {
    ASSERT_EQ(TestHost::LoadedForm("Tiny.esl", 0xABC)->formId, 0xFE005ABCu);
    quickItems[11] = Item("Tiny.esl", 0xABC);
    quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
    FlushQuickItemsToFile();
    EXPECT_EQ(ReadBytes(ItemsFile()), "QuickKey12 |01A2B3|Halvorine.esm\r\nQuickKey23 |ABC|Tiny.esl\r\n");
    EXPECT_TRUE(TestHost::Boxes().empty());
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"VelloquinItems_2A.txt"});  // no temporary file left
}

TEST_F(ItemsWriterTest, EveryKindOfFileAndTheSameFormTwice) {
    quickItems[1] = Item("Middle.esm", 0x0ABC);
    quickItems[2] = Item("Armory.esp", 0x800);
    quickItems[4] = Item("Middle.esm", 0xFFFF);
    quickItems[5] = Item("Armory.esp", 0x800);
    quickItems[6] = Item("Tiny.esl", 0x801);  // overridden by a full file
    FlushQuickItemsToFile();
    EXPECT_EQ(ReadBytes(ItemsFile()),
              "QuickKey13 |0ABC|Middle.esm\r\n"
              "QuickKey14 |000800|Armory.esp\r\n"
              "QuickKey16 |FFFF|Middle.esm\r\n"
              "QuickKey17 |000800|Armory.esp\r\n"
              "QuickKey18 |801|Tiny.esl\r\n");
}

TEST_F(ItemsWriterTest, EachFlushReplacesTheWholeFile) {
    WriteBytes(ItemsFile(), std::string(5000, 'x') + "\nQuickKey20 |000800|Armory.esp\r\n");
    WriteBytes(ItemsFile("VelloquinItems_2A.txt.tmp"), "left by a flush that never finished");
    quickItems[3] = Item("Armory.esp", 0x800);
    FlushQuickItemsToFile();
    EXPECT_EQ(ReadBytes(ItemsFile()), "QuickKey15 |000800|Armory.esp\r\n");
    quickItems.fill(nullptr);
    FlushQuickItemsToFile();
    EXPECT_TRUE(fs::exists(ItemsFile()));
    EXPECT_EQ(fs::file_size(ItemsFile()), 0u);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"VelloquinItems_2A.txt"});
}

#ifndef _WIN32
// Every save closes what it opened: a game saves many times in a session.
TEST_F(ItemsWriterTest, SavesLeaveNoFileOpen) {
    const auto openFiles = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) count += !entry.path().empty();
        return count;
    };
    quickItems[3] = Item("Armory.esp", 0x800);
    FlushQuickItemsToFile();
    const int before = openFiles();
    for (int i = 0; i < 10; ++i) FlushQuickItemsToFile();
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(ReadBytes(ItemsFile()), "QuickKey15 |000800|Armory.esp\r\n");
}
#endif

TEST_F(ItemsWriterTest, RefusedItemsAreReportedAndLeftOut) {
    TestHost::Form* odd = TestHost::MakeForm(0x0100F00D, 41, "Odd thing");
    TestHost::Form* idless = TestHost::MakeForm(0, TestHost::typeWeapon, "No id");
    TestHost::Form* unlisted = TestHost::MakeForm(0x01000999, TestHost::typeWeapon, "Not in any file");
    quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
    quickItems[3] = AsGame(odd);
    quickItems[4] = AsGame(idless);
    quickItems[5] = AsGame(unlisted);                    // no file list: silently left out
    quickItems[6] = Item("Halvorine.esm", 0x000100);     // a keyword
    quickItems[7] = Item("Armory.esp", 0x800);
    FlushQuickItemsToFile();

    EXPECT_EQ(ReadBytes(ItemsFile()), "QuickKey12 |01A2B3|Halvorine.esm\r\nQuickKey19 |000800|Armory.esp\r\n");
    const std::vector<std::string> expected = {
        NonFatalBox("Velloquin::VerifyQuickItem", 325,
                    "QuickItem " + DescribeForm(AsGame(odd)) + " at [QuickKey15] is not supported, error code: 41"),
        NonFatalBox("Velloquin::VerifyQuickItem", 321, "invalid FormID of QuickItem at [QuickKey16]"),
        NonFatalBox("Velloquin::VerifyQuickItem", 325,
                    "QuickItem " + DescribeForm(quickItems[6]) + " at [QuickKey18] is not supported, error code: 4"),
    };
    EXPECT_EQ(BoxTexts(), expected);
    // The slots themselves are only read.
    EXPECT_EQ(quickItems[3], AsGame(odd));
}

TEST_F(ItemsWriterTest, VerifyQuickItemAcceptsTheFourTypes) {
    int accepted = 0;
    for (int type = 0; type < 256; ++type) {
        TestHost::Form* form = TestHost::MakeForm(0x00ABCDEF, static_cast<std::uint8_t>(type));
        if (VerifyQuickItem(AsGame(form), 12)) ++accepted;
        const bool expected = type == 28 || type == 34 || type == 48 || type == 54;
        EXPECT_EQ(VerifyQuickItem(AsGame(form), 12), expected) << type;
    }
    EXPECT_EQ(accepted, 4);
    EXPECT_FALSE(VerifyQuickItem(nullptr, 23));
    EXPECT_EQ(BoxTexts().back(), NonFatalBox("Velloquin::VerifyQuickItem", 321, "invalid FormID of QuickItem at [QuickKey23]"));
}

TEST_F(ItemsWriterTest, MissingFolderIsReportedTwiceAndNothingIsMade) {
    fs::remove_all(pluginFolderPath);
    quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
    quickItems[3] = AsGame(TestHost::MakeForm(0x0100F00D, 41));
    FlushQuickItemsToFile();
    // The slots are not looked at when the file cannot be made.
    EXPECT_EQ(BoxTexts(), OpenFailureBoxes(itemsPathText));
    EXPECT_FALSE(fs::exists(pluginFolderPath));
    EXPECT_EQ(quickItems[0], Item("Halvorine.esm", 0x01A2B3));
}

TEST_F(ItemsWriterTest, ReadOnlyItemsFileKeepsItsContent) {
    const std::string old = "QuickKey12 |01A2B3|Halvorine.esm\r\nQuickKey14 |000800|Armory.esp\r\n";
    WriteBytes(ItemsFile(), old);
    fs::permissions(ItemsFile(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    quickItems[5] = Item("Tiny.esl", 0xABC);
    FlushQuickItemsToFile();

    EXPECT_EQ(BoxTexts(), OpenFailureBoxes(itemsPathText));
    EXPECT_EQ(ReadBytes(ItemsFile()), old);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"VelloquinItems_2A.txt"});

    // Nothing is lost: the saved slots come back, the current ones stay.
    EXPECT_EQ(quickItems[5], Item("Tiny.esl", 0xABC));
    ReloadFavoriteItems();
    EXPECT_EQ(quickItems[0], Item("Halvorine.esm", 0x01A2B3));
    EXPECT_EQ(quickItems[2], Item("Armory.esp", 0x800));
}

TEST_F(ItemsWriterTest, ItemsFileThatIsAFolder) {
    fs::create_directory(ItemsFile());
    quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
    FlushQuickItemsToFile();
    EXPECT_EQ(BoxTexts(), OpenFailureBoxes(itemsPathText));
    EXPECT_TRUE(fs::is_directory(ItemsFile()));
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"VelloquinItems_2A.txt"});
}

TEST_F(ItemsWriterTest, AnsweringYesEndsTheGame) {
    fs::remove_all(pluginFolderPath);
    EXPECT_EXIT(
        {
            TestHost::QueueBoxAnswer(6);
            FlushQuickItemsToFile();
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(ItemsWriterTest, ListFilesWithExtension) {
    for (const char* name : {"a.txt", "b.TXT", "c.txtx", "d.tx", "noext", "e.ini", "f.txt.tmp", ".txt"})
        WriteBytes(pluginFolderPath / name, "");
    fs::create_directory(pluginFolderPath / "sub.txt");
    WriteBytes(pluginFolderPath / "sub.txt" / "inner.txt", "");

    std::vector<std::string> names = ListFilesWithExtension(pluginFolderText, ".txt");
    std::sort(names.begin(), names.end());
    // Case-sensitive, and only as many bytes as the extension: c.txtx passes.
    EXPECT_EQ(names, (std::vector<std::string>{".txt", "a.txt", "c.txtx"}));
    EXPECT_EQ(ListFilesWithExtension(pluginFolderText, ".TXT"), std::vector<std::string>{"b.TXT"});
    EXPECT_TRUE(ListFilesWithExtension(pluginFolderText, ".bin").empty());

    // Missing folders and folders that are files give nothing, and nothing is thrown.
    EXPECT_TRUE(ListFilesWithExtension(".\\Data\\Nowhere\\", ".txt").empty());
    EXPECT_TRUE(ListFilesWithExtension(pluginFolderText + "a.txt\\", ".txt").empty());
    EXPECT_TRUE(ListFilesWithExtension("", ".txt").empty());
}

// Windows matches names in the game folder without regard to letter case, and
// so does the plug-in on every platform: a player's folders and files named in
// other letter cases are read, and written, removed and renamed in place.
TEST_F(ItemsWriterTest, NamesInTheGameFolderMatchWithoutRegardToCase) {
    fs::remove_all("Data");
    const fs::path plugins = fs::path("data") / "qvex" / "PLUGINS";
    fs::create_directories(plugins / "velloquin");
    WriteBytes(plugins / "velloquincustom.ini", "[QuickKeys]\r\niQuickKey15=0x70\r\n");
    WriteBytes(plugins / "velloquin" / "velloquinitems_2a.txt", "QuickKey12 |01A2B3|Halvorine.esm\r\n");

    LoadSettings();
    EXPECT_EQ(quickKeyCodes[3], 0x70u);
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins()[0], (TestHost::FormOrigin{"Halvorine.esm", 0x01A2B3}));

    quickItems[1] = Item("Armory.esp", 0x800);
    FlushQuickItemsToFile();
    EXPECT_TRUE(TestHost::Boxes().empty());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(plugins / "velloquin")) names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"velloquinitems_2a.txt"});  // replaced in place, no temporary left
    EXPECT_EQ(ReadBytes(plugins / "velloquin" / "velloquinitems_2a.txt"),
              "QuickKey12 |01A2B3|Halvorine.esm\r\nQuickKey13 |000800|Armory.esp\r\n");
}

#ifndef _WIN32
// A folder that exists but cannot be listed: with no file handle left to
// open it, the walk fails; the listing is empty and nothing escapes.
TEST_F(ItemsWriterTest, FolderThatCannotBeListed) {
    WriteBytes(pluginFolderPath / "a.txt", "");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    std::vector<std::string> names;
    EXPECT_NO_THROW(names = ListFilesWithExtension(pluginFolderText, ".txt"));
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(ListFilesWithExtension(pluginFolderText, ".txt"), std::vector<std::string>{"a.txt"});
}
#endif

}  // namespace
}  // namespace PersistenceTests
