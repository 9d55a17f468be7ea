// The items file's reader: lenient lines, bad input, and the slots across a
// change of the load order.
#include <gtest/gtest.h>

#include <random>

#include "core/log.h"
#include "game_folder.h"
#include "persistence/items_file.h"
#include "fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace PersistenceTests {
namespace {

using namespace Velloquin;
using TestHost::FileKind;
using TestHost::FormOrigin;

using Slots = std::vector<FormOrigin>;

// A literal with its NUL bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// Slots from (index, file, local id) triples; the others empty.
Slots SlotsWith(std::initializer_list<std::tuple<int, const char*, std::uint32_t>> filled) {
    Slots slots(quickSlotCount);
    for (auto [index, file, local] : filled) slots.at(static_cast<std::size_t>(index)) = FormOrigin{file, local};
    return slots;
}

class ItemsReaderTest : public PersistenceTest {
protected:
    void SetUp() override {
        PersistenceTest::SetUp();
        TestHost::LoadGame(standardOrder, standardForms);
    }

    // Reads `bytes` as the items file, starting from full slots to see that all are replaced.
    Slots ReadFrom(const std::string& bytes) {
        WriteBytes(ItemsFile(), bytes);
        quickItems.fill(Item("Armory.esp", 0x800));
        ReloadFavoriteItems();
        return SlotOrigins();
    }
};

TEST_F(ItemsReaderTest, LenientLines) {
    struct Case {
        const char* what;
        std::string bytes;
        Slots expected;
    };
    const std::string rifle = "|01A2B3|Halvorine.esm";
    const Case cases[] = {
        {"a saved slot", "QuickKey12 " + rifle + "\r\n", SlotsWith({{0, "Halvorine.esm", 0x01A2B3}})},
        {"every kind of file",
         "QuickKey13 |0ABC|Middle.esm\r\nQuickKey14 |000800|Armory.esp\r\nQuickKey23 |ABC|Tiny.esl\r\n",
         SlotsWith({{1, "Middle.esm", 0x0ABC}, {2, "Armory.esp", 0x800}, {11, "Tiny.esl", 0xABC}})},
        {"explicitly empty", "QuickKey12 ||None\r\n", Slots(12)},
        {"empty marker of another slot", "QuickKey13 ||None QuickKey12 " + rifle + "\r\n",
         SlotsWith({{0, "Halvorine.esm", 0x01A2B3}})},
        {"no file name", "QuickKey12 |01A2B3|\r\n", Slots(12)},
        {"only the key's bar", "QuickKey12 |01A2B3\r\n", Slots(12)},
        {"no slot 24", "QuickKey24 " + rifle + "\r\n", Slots(12)},
        {"no blank before the bar", "QuickKey12" + rifle + "\r\n", Slots(12)},
        {"key anywhere in the line", "saved: QuickKey20 " + rifle + "\r\n", SlotsWith({{8, "Halvorine.esm", 0x01A2B3}})},
        {"LF only", "QuickKey12 " + rifle + "\nQuickKey14 |000800|Armory.esp\n",
         SlotsWith({{0, "Halvorine.esm", 0x01A2B3}, {2, "Armory.esp", 0x800}})},
        {"last line without line feed", "QuickKey12 " + rifle + "\r\nQuickKey14 |000800|Armory.esp",
         SlotsWith({{0, "Halvorine.esm", 0x01A2B3}, {2, "Armory.esp", 0x800}})},
        {"one item named for two slots", "QuickKey12 " + rifle + "\r\nQuickKey13 " + rifle + "\r\n",
         SlotsWith({{1, "Halvorine.esm", 0x01A2B3}})},
        {"the later slot keeps it, whatever the numbers", "QuickKey20 " + rifle + "\r\nQuickKey13 " + rifle + "\r\n",
         SlotsWith({{1, "Halvorine.esm", 0x01A2B3}})},
        {"two lines for one slot", "QuickKey12 " + rifle + "\r\nQuickKey12 |000800|Armory.esp\r\n",
         SlotsWith({{0, "Armory.esp", 0x800}})},
        {"two keys in one line", "QuickKey12 |QuickKey13 " + rifle + "\r\n", SlotsWith({{1, "Halvorine.esm", 0x01A2B3}})},
        {"file not loaded", "QuickKey12 |000800|Removed.esp\r\nQuickKey13 " + rifle + "\r\n",
         SlotsWith({{1, "Halvorine.esm", 0x01A2B3}})},
        {"no such form", "QuickKey12 |000801|Armory.esp\r\n", Slots(12)},
        {"file name in other case", "QuickKey12 |000800|ARMORY.ESP\r\n", SlotsWith({{0, "Armory.esp", 0x800}})},
        {"empty file", "", Slots(12)},
        {"blank lines and other text", "\r\n\r\n# my slots\r\nQuickKey\r\n|||\r\n", Slots(12)},
        {"trailing blank after the name", "QuickKey12 |000800|Armory.esp \r\n", Slots(12)},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadFrom(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// The log names each line that restores nothing and why, with the line itself.
TEST_F(ItemsReaderTest, TheLogSaysWhichLineIsNotRestoredAndWhy) {
    // The log goes below the test host's game folder, which the process enters when it is first named.
    (void)TestHost::GameFolder();
    fs::current_path(root_);
    StopLog();
    StartLog(true);
    ASSERT_TRUE(LogActive());
    ReadFrom("QuickKey12 |01A2B3|\r\nQuickKey13 ||Halvorine.esm\r\n");
    StopLog();
    const std::string log =
        TestHost::ReadGameFile("Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\Velloquin.log");
    for (const char* line : {"Items: line 1 not restored (slot 12): no data file: QuickKey12 |01A2B3|\r\n",
                             "Items: line 2 not restored (slot 13): no local id: QuickKey13 ||Halvorine.esm\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
}

TEST_F(ItemsReaderTest, RefusedTypeIsReportedAndLeftEmpty) {
    const Slots slots = ReadFrom("QuickKey15 |000100|Halvorine.esm\r\nQuickKey16 |01A2B3|Halvorine.esm\r\n");
    EXPECT_EQ(slots, SlotsWith({{4, "Halvorine.esm", 0x01A2B3}}));
    ASSERT_EQ(TestHost::Boxes().size(), 1u);
    EXPECT_NE(TestHost::Boxes()[0].text.find("at line 325"), std::string::npos);
    EXPECT_NE(TestHost::Boxes()[0].text.find(" at [QuickKey15] is not supported, error code: 4\n"), std::string::npos);
}

TEST_F(ItemsReaderTest, NoFileMeansEmptySlots) {
    quickItems.fill(Item("Armory.esp", 0x800));
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), Slots(12));
    fs::remove_all(fs::path("Data"));
    quickItems.fill(Item("Armory.esp", 0x800));
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), Slots(12));
    EXPECT_TRUE(TestHost::Boxes().empty());
}

TEST_F(ItemsReaderTest, OtherCandidateNames) {
    WriteBytes(ItemsFile("VelloquinItems_12A.txt"), "QuickKey12 |000800|Armory.esp\r\n");
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), SlotsWith({{0, "Armory.esp", 0x800}}));
    WriteBytes(ItemsFile(), "QuickKey13 |000800|Armory.esp\r\n");
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), SlotsWith({{1, "Armory.esp", 0x800}}));
}

TEST_F(ItemsReaderTest, UnreadableFileIsReported) {
    WriteBytes(ItemsFile(), "QuickKey12 |000800|Armory.esp\r\n");
    quickItems.fill(Item("Armory.esp", 0x800));
#ifdef _WIN32
    // Held open by someone who shares it with nobody.
    HANDLE held = CreateFileA((pluginFolderText + "VelloquinItems_2A.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ReloadFavoriteItems();
    CloseHandle(held);
#else
    // No file handle can be had (permissions would not stop root).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    ReloadFavoriteItems();
    setrlimit(RLIMIT_NOFILE, &saved);
#endif
    const std::string path = pluginFolderText + "VelloquinItems_2A.txt couldn't be opened, error code: ";
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{NonFatalBox("Velloquin::ReloadFavoriteItems", 697, path + "1"),
                                                    NonFatalBox("Velloquin::ReloadFavoriteItems", 707, path + "3")}));
    EXPECT_EQ(SlotOrigins(), Slots(12));
    // The file is untouched and is read once it can be.
    TestHost::ClearBoxes();
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), SlotsWith({{0, "Armory.esp", 0x800}}));
}

// Whatever the bytes, the reader ends, and a slot holds only a form that a
// line names by its file and local id.
TEST_F(ItemsReaderTest, BadInput) {
    const std::string rifle = "QuickKey12 |01A2B3|Halvorine.esm";
    const std::string megabyte(1 << 20, 'A');
    std::string binary;
    std::mt19937 random(20240611);
    for (int i = 0; i < 200000; ++i) binary.push_back(static_cast<char>(random() & 0xFF));
    std::string nulBytes = rifle;
    nulBytes[3] = '\0';

    struct Case {
        const char* what;
        std::string bytes;
        Slots expected;
    };
    const Case cases[] = {
        {"random bytes", binary, Slots(12)},
        {"random bytes around a line", binary + "\n" + rifle + "\n" + binary, SlotsWith({{0, "Halvorine.esm", 0x01A2B3}})},
        {"a 1 MB local id", "QuickKey12 |" + megabyte + "|Halvorine.esm\n", Slots(12)},
        {"a 1 MB file name", "QuickKey12 |01A2B3|" + megabyte + "\n", Slots(12)},
        {"a line after 1 MB of text", megabyte + rifle, SlotsWith({{0, "Halvorine.esm", 0x01A2B3}})},
        {"1 MB of bars", std::string(1 << 20, '|'), Slots(12)},
        {"CR-only line ends: one line, its last item",
         rifle + "\rQuickKey14 |000800|Armory.esp\r", SlotsWith({{2, "Armory.esp", 0x800}})},
        {"NUL in the key", nulBytes + "\n", Slots(12)},
        {"NUL after the name", rifle + std::string(1, '\0') + "\r\n", Slots(12)},
        {"NUL in the name", Bytes("QuickKey12 |01A2B3|Halvo\0rine.esm\n"), Slots(12)},
        {"NUL in the local id", Bytes("QuickKey12 |01\0A2B3|Halvorine.esm\n"), Slots(12)},
        {"20-digit id", "QuickKey12 |00000000000001A2B3|Halvorine.esm\n", Slots(12)},
        {"20 nines", "QuickKey12 |99999999999999999999|Halvorine.esm\n", Slots(12)},
        {"8 digits for a file that is not the master", "QuickKey12 |01000800|Armory.esp\n", Slots(12)},
        {"id 0 through the 0x quirk", "QuickKey12 |0x1A|Halvorine.esm\n", Slots(12)},
        {"not hexadecimal", "QuickKey12 |zz|Halvorine.esm\n", Slots(12)},
        {"a lone CR", "\r", Slots(12)},
        {"nothing but line feeds", std::string(100000, '\n'), Slots(12)},
        {"0x1A bytes", std::string(1000, '\x1A') + "\n" + rifle + "\n", SlotsWith({{0, "Halvorine.esm", 0x01A2B3}})},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadFrom(c.bytes), c.expected) << c.what;
    EXPECT_TRUE(TestHost::Boxes().empty());
}

// Saved with one load order, read back with another: files added before,
// indices moved, kinds mixed; each slot holds the same item.
TEST_F(ItemsReaderTest, RoundTripAcrossLoadOrders) {
    quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
    quickItems[2] = Item("Armory.esp", 0x800);
    quickItems[5] = Item("Tiny.esl", 0xABC);
    quickItems[6] = Item("Tiny.esl", 0x801);
    quickItems[9] = Item("Middle.esm", 0x0ABC);
    quickItems[11] = Item("Middle.esm", 0xFFFF);
    const Slots saved = SlotOrigins();
    const std::uint32_t oldArmoryId = AsHost(quickItems[2])->formId;
    FlushQuickItemsToFile();

    const std::vector<TestHost::LoadOrderFile> moved = {
        {"Halvorine.esm", FileKind::Full}, {"Update.esm", FileKind::Full},   {"First.esl", FileKind::Small},
        {"Early.esm", FileKind::Medium},   {"Patch.esp", FileKind::Full},    {"Middle.esm", FileKind::Medium},
        {"Second.esl", FileKind::Small},   {"Third.esl", FileKind::Small},   {"Tiny.esl", FileKind::Small},
        {"Armory.esp", FileKind::Full},
    };
    auto forms = standardForms;
    // New forms at the ids the old ones had: a reader that kept runtime ids would find these.
    forms.push_back({"Update.esm", 0x000800, TestHost::typeWeapon});
    forms.push_back({"First.esl", 0xABC, TestHost::typePower});
    forms.push_back({"Early.esm", 0x0ABC, TestHost::typeConsumable});
    TestHost::LoadGame(moved, forms);
    ASSERT_NE(TestHost::LoadedForm("Armory.esp", 0x800)->formId, oldArmoryId);
    ASSERT_EQ(TestHost::LoadedForm("Update.esm", 0x800)->formId, oldArmoryId);

    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), saved);
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        if (!quickItems[i]) continue;
        EXPECT_EQ(TestHost::FindForm(AsHost(quickItems[i])->formId), AsHost(quickItems[i])) << i;
    }
    EXPECT_TRUE(TestHost::Boxes().empty());

    // Written again under the new order, read again after yet another order.
    FlushQuickItemsToFile();
    TestHost::LoadGame(standardOrder, standardForms);
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), saved);
}

TEST_F(ItemsReaderTest, RemovedFileEmptiesItsSlotsAndTheNextFlushDropsThem) {
    quickItems[0] = Item("Halvorine.esm", 0x01A2B3);
    quickItems[1] = Item("Armory.esp", 0x800);
    FlushQuickItemsToFile();

    TestHost::LoadGame({{"Halvorine.esm", FileKind::Full}, {"Tiny.esl", FileKind::Small}}, standardForms);
    ReloadFavoriteItems();
    EXPECT_EQ(SlotOrigins(), SlotsWith({{0, "Halvorine.esm", 0x01A2B3}}));
    FlushQuickItemsToFile();
    EXPECT_EQ(ReadBytes(ItemsFile()), "QuickKey12 |01A2B3|Halvorine.esm\r\n");
    EXPECT_TRUE(TestHost::Boxes().empty());
}

}  // namespace
}  // namespace PersistenceTests
