// Naming forms by data file and local id, and finding them again.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include "image.h"
#include "persistence/form_identity.h"
#include "fixture.h"
#include "game/game_index.h"

namespace PersistenceTests {
namespace {

using namespace Velloquin;
using TestHost::FileKind;

// Small index 5 and medium index 2 for the files the examples name.
const std::vector<TestHost::LoadOrderFile> indexedOrder = {
    {"Halvorine.esm", FileKind::Full}, {"Armory.esp", FileKind::Full},  {"s0.esl", FileKind::Small},
    {"s1.esl", FileKind::Small},       {"s2.esl", FileKind::Small},     {"s3.esl", FileKind::Small},
    {"s4.esl", FileKind::Small},       {"Tiny.esl", FileKind::Small},   {"Next.esl", FileKind::Small},
    {"m0.esm", FileKind::Medium},      {"m1.esm", FileKind::Medium},    {"Middle.esm", FileKind::Medium},
};

std::vector<TestHost::ContentForm> IndexedForms() {
    auto forms = standardForms;
    forms.push_back({"Next.esl", 0xABC, TestHost::typeWeapon});
    return forms;
}

class FormIdentityTest : public PersistenceTest {
protected:
    void SetUp() override {
        PersistenceTest::SetUp();
        TestHost::LoadGame(indexedOrder, IndexedForms());
    }
};

TEST_F(FormIdentityTest, RuntimeIdsOfTheExamples) {
    // The host's numbering that the rest of these tests rely on.
    EXPECT_EQ(TestHost::LoadedForm("Tiny.esl", 0xABC)->formId, 0xFE005ABCu);
    EXPECT_EQ(TestHost::LoadedForm("Middle.esm", 0x0ABC)->formId, 0xFD020ABCu);
    EXPECT_EQ(TestHost::LoadedForm("Armory.esp", 0x800)->formId, 0x01000800u);
    EXPECT_EQ(TestHost::LoadedForm("Halvorine.esm", 0x01A2B3)->formId, 0x0001A2B3u);
}

TEST_F(FormIdentityTest, ResolveFormLocator) {
    struct Case {
        const char* local;
        const char* file;
        TestHost::FormOrigin expected;  // empty file: none
    };
    const Case cases[] = {
        {"01A2B3", "Halvorine.esm", {"Halvorine.esm", 0x01A2B3}},
        {"001A2B", "halvorine.esm", {"Halvorine.esm", 0x001A2B}},  // found in any case, 6 digits pass
        {"01a2b3", "HALVORINE.ESM", {"Halvorine.esm", 0x01A2B3}},
        {"0001A2B3", "Halvorine.esm", {"Halvorine.esm", 0x01A2B3}},  // 8 digits only for the master
        {"0001A2B3", "halvorine.esm", {}},                           // ... named exactly
        {"0001A2B3", "Armory.esp", {}},
        {"1A2B3C4", "Armory.esp", {}},
        {"000800", "Armory.esp", {"Armory.esp", 0x800}},
        {"800", "armory.ESP", {"Armory.esp", 0x800}},
        {"ABC", "Tiny.esl", {"Tiny.esl", 0xABC}},
        {"0ABC", "Middle.esm", {"Middle.esm", 0x0ABC}},
        {"FFFF", "Middle.esm", {"Middle.esm", 0xFFFF}},
        {"1ABC", "Tiny.esl", {"Next.esl", 0xABC}},  // a wide local id spills into the next small index
        {"0x1A", "Halvorine.esm", {}},              // padded to 00x1A: reads 0, and id 0 is none
        {"0x1A", "Armory.esp", {"Armory.esp", 0}},  // ... the file's first id
        {"0x800", "Armory.esp", {"Armory.esp", 0x800}},
        {" 1A2B3", "Halvorine.esm", {"Halvorine.esm", 0x01A2B3}},
        {"zz", "Halvorine.esm", {}},
        {"|", "Halvorine.esm", {}},
        {"000800", "Missing.esp", {}},
        {"000801", "Armory.esp", {}},  // no such form
        {"00000000000001A2B3", "Halvorine.esm", {}},
        {"99999999999999999999", "Halvorine.esm", {}},
    };
    for (const Case& c : cases) {
        Game::Form* form = ResolveFormLocator(c.local, c.file);
        const TestHost::FormOrigin origin = form ? TestHost::OriginOf(AsHost(form)) : TestHost::FormOrigin{};
        EXPECT_EQ(origin, c.expected) << c.local << " | " << c.file;
    }
    EXPECT_TRUE(TestHost::Boxes().empty());
}

TEST_F(FormIdentityTest, NothingResolvesWithoutDataHandler) {
    TestHost::SetGameData<void*>(GameIndex::dataHandler, nullptr);
    EXPECT_EQ(ResolveFormLocator("01A2B3", "Halvorine.esm"), nullptr);
    EXPECT_EQ(FindDataFile("Halvorine.esm"), std::make_pair(static_cast<Game::DataFile*>(nullptr), 0));
}

TEST_F(FormIdentityTest, FindDataFileKindsAndOrder) {
    EXPECT_EQ(FindDataFile("ARMORY.esp").second, Full);
    EXPECT_EQ(FindDataFile("tiny.esl").second, Small);
    EXPECT_EQ(FindDataFile("Middle.esm").second, Medium);
    EXPECT_EQ(FindDataFile("Middle.esm").first, AsGame(TestHost::LoadedFile("Middle.esm")));
    EXPECT_EQ(FindDataFile("Middle").first, nullptr);
    EXPECT_EQ(FindDataFile("").second, NoKind);

    // Null entries are passed over; the full list is searched before the small one.
    TestHost::Data().fullList.insert(TestHost::Data().fullList.begin(), nullptr);
    TestHost::AddSmallFile("Twice.esp", 9);
    TestHost::DataFile* full = TestHost::AddFullFile("twice.ESP", 7);
    EXPECT_EQ(FindDataFile("Twice.esp"), std::make_pair(const_cast<Game::DataFile*>(AsGame(full)), 1));

    // Only ASCII letters are folded.
    TestHost::AddFullFile("\xC4rmory.esp", 8);
    EXPECT_EQ(FindDataFile("\xE4rmory.esp").first, nullptr);
    EXPECT_NE(FindDataFile("\xC4RMORY.ESP").first, nullptr);
}

TEST_F(FormIdentityTest, FileModIndexTexts) {
    struct Case {
        TestHost::DataFile* file;
        const char* text;
    };
    TestHost::DataFile* unnamed = TestHost::AddFullFile("", 4);
    const Case cases[] = {
        {TestHost::AddFullFile("Halvorine.esm", 5), "00"},  // the master, whatever its index
        {TestHost::AddFullFile("halvorine.esm", 0), "-01"},  // not the master: index 0 gives no text
        {unnamed, "-01"},
        {TestHost::AddFullFile("One.esp", 1), "01"},
        {TestHost::AddFullFile("Ten.esp", 0x0A), "0A"},
        {TestHost::AddFullFile("Top.esp", 0xFF), "FF"},
        {TestHost::AddSmallFile("Five.esl", 5), "FE005"},
        {TestHost::AddSmallFile("Zero.esl", 0), "FE000"},
        {TestHost::AddSmallFile("Last.esl", 0xFFF), "FEFFF"},
        {TestHost::AddSmallFile("Wide.esl", 0x1000), "FF000"},  // 32-bit sum: the index spills
        {TestHost::AddMediumFile("Two.esm", 2), "FD02"},
        {TestHost::AddMediumFile("Max.esm", 0xFF), "FDFF"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetFileModIndex(AsGame(c.file)), c.text) << c.file->name;
}

TEST_F(FormIdentityTest, FormModIndexAndLocalId) {
    struct Case {
        std::uint32_t id;
        const char* modIndex;
        int kind;
        const char* local;
    };
    const Case cases[] = {
        {0xFE005ABC, "FE005", Small, "ABC"},  {0x0A001234, "0A", Full, "001234"}, {0xFD020ABC, "FD02", Medium, "0ABC"},
        {0x0001A2B3, "00", Full, "01A2B3"},   {0xFF000001, "FF", Full, "000001"}, {0xFDFFFFFF, "FDFF", Small, "FFF"},
        {0xFE005ABC, "FE005", 0, ""},
    };
    for (const Case& c : cases) {
        Game::Form* form = AsGame(TestHost::MakeForm(0, TestHost::typeWeapon));
        AsHost(form)->formId = c.id;
        EXPECT_EQ(GetFormModIndex(form), c.modIndex) << std::hex << c.id;
        EXPECT_EQ(GetLocalFormID(form, c.kind), c.local) << std::hex << c.id;
    }
    EXPECT_EQ(GetFormModIndex(nullptr), "");
    EXPECT_EQ(GetLocalFormID(nullptr, Full), "");
}

TEST_F(FormIdentityTest, DefiningFileIsTheIntroducingOne) {
    // Overridden by three later files of all kinds; and by files of other kinds.
    for (auto [file, local] : {std::pair{"Halvorine.esm", 0x01A2B3u}, std::pair{"Armory.esp", 0x800u},
                               std::pair{"Tiny.esl", 0x801u}, std::pair{"Middle.esm", 0x0ABCu}}) {
        EXPECT_EQ(FindDefiningFile(Item(file, local)), AsGame(TestHost::LoadedFile(file))) << file;
    }
}

TEST_F(FormIdentityTest, DefiningFileWhateverItsPlaceInTheList) {
    TestHost::DataFile* introducing = TestHost::LoadedFile("Armory.esp");
    std::vector<TestHost::DataFile*> overriders = {TestHost::LoadedFile("Halvorine.esm"), TestHost::LoadedFile("Tiny.esl"),
                                                   TestHost::LoadedFile("Middle.esm")};
    TestHost::Form* form = TestHost::LoadedForm("Armory.esp", 0x800);
    for (std::size_t place = 0; place <= overriders.size(); ++place) {
        std::vector<TestHost::DataFile*> list;
        for (std::size_t i = 0; i <= overriders.size(); ++i) {
            if (i == place) list.push_back(introducing);
            if (i < overriders.size()) list.push_back(overriders[i]);
        }
        list.push_back(introducing);  // a file named twice counts once
        TestHost::SetFormFileList(form, TestHost::AddFormFileList(list));
        EXPECT_EQ(FindDefiningFile(AsGame(form)), AsGame(introducing)) << place;
    }
}

// Memory below 1 TiB, where the host never keeps data files (one block for
// the whole run; the addresses tried leave room for a sanitizer's shadow).
void* LowMemory() {
    static void* block = [] {
        for (std::uintptr_t hint : {0x40000000ull, 0x300000000ull, 0x20000000ull}) {
#ifdef _WIN32
            void* p = VirtualAlloc(reinterpret_cast<void*>(hint), 0x10000, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
#else
            void* p = mmap(reinterpret_cast<void*>(hint), 0x10000, PROT_READ | PROT_WRITE,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
            if (p == MAP_FAILED) p = nullptr;
#endif
            if (p) return p;
        }
        return static_cast<void*>(nullptr);
    }();
    return block;
}

TEST_F(FormIdentityTest, OnlyCountingDataFilesDefine) {
    TestHost::Form* rifle = TestHost::LoadedForm("Halvorine.esm", 0x01A2B3);
    TestHost::DataFile* master = TestHost::LoadedFile("Halvorine.esm");

    // An object with another table, at a lower address than the master: a
    // look-alike that would win if it were taken for a data file.
    TestHost::DataFile* lookAlike = TestHost::MakeDataFile("Halvorine.esm");
    lookAlike->table = reinterpret_cast<void* const*>(TestHost::GameAddress(0x100));
    // A real-looking data file below 1 TiB.
    void* low = LowMemory();
    ASSERT_NE(low, nullptr);
    auto* lowFile = new (low) TestHost::DataFile{};
    lowFile->table = master->table;
    std::strcpy(lowFile->name, "Halvorine.esm");

    TestHost::SetFormFileList(rifle, TestHost::AddFormFileList({nullptr, lowFile, lookAlike}));
    EXPECT_EQ(FindDefiningFile(AsGame(rifle)), nullptr);
    TestHost::SetFormFileList(rifle, TestHost::AddFormFileList({nullptr, lowFile, lookAlike, master}));
    EXPECT_EQ(FindDefiningFile(AsGame(rifle)), AsGame(master));

    // A file without flag bit 0 does not count.
    master->flags = 0x10;
    EXPECT_EQ(FindDefiningFile(AsGame(rifle)), nullptr);
    master->flags = 1;

    // No list, an index past the table, a form whose top bits match no file of its list.
    TestHost::SetFormFileList(rifle, 0xFFFF);
    EXPECT_EQ(FindDefiningFile(AsGame(rifle)), nullptr);
    const auto count = TestHost::GetGameData<std::uint32_t>(GameIndex::formFileLists);
    TestHost::SetFormFileList(rifle, static_cast<std::uint16_t>(count));
    EXPECT_EQ(FindDefiningFile(AsGame(rifle)), nullptr);
    TestHost::SetFormFileList(rifle, TestHost::AddFormFileList({TestHost::LoadedFile("Armory.esp")}));
    EXPECT_EQ(FindDefiningFile(AsGame(rifle)), nullptr);
    EXPECT_EQ(FindDefiningFile(nullptr), nullptr);
}

}  // namespace
}  // namespace PersistenceTests
