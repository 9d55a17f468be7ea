// Fuzzes the items file: arbitrary bytes are the character's items file, read
// by the plug-in against a game with items of every kind. Properties checked:
// - no item ever stands in two single-item slots;
// - an outfit slot holds 2 to 12 different pieces, all equipment, and its
//   first piece is the slot's item;
// - outfit lines cause no box: the file reads with the same boxes as the file
//   without its outfit lines (as a reader that knows no outfits reads it);
// - writing the slots and reading them back gives the same slots (outfits
//   with their pieces in order), and writing those again gives the same file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/slots.h"
#include "core/state.h"
#include "datafiles.h"
#include "host.h"
#include "recorder.h"
#include "persistence/items_file.h"

namespace {

namespace fs = std::filesystem;

const fs::path itemsFile = fs::path("Data") / "QVEX" / "Plugins" / "Velloquin" / "VelloquinItems_2A.txt";

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "items file: %s\n", what);
        std::abort();
    }
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every slot with its pieces (an outfit's, or the item of a single-item slot).
std::vector<std::vector<Velloquin::Game::Form*>> Slots() {
    Velloquin::StateLock lock(Velloquin::stateMutex);
    std::vector<std::vector<Velloquin::Game::Form*>> slots;
    for (std::size_t i = 0; i < Velloquin::quickSlotCount; ++i) {
        std::size_t count = 0;
        Velloquin::Game::Form* const* pieces = Velloquin::SlotPieces(i, count);
        slots.emplace_back(pieces, pieces + count);
        if (Velloquin::IsOutfitSlot(i)) slots.back().push_back(nullptr);  // marks an outfit
    }
    return slots;
}

// The file as a reader that knows no outfits sees it: without its outfit lines.
std::string WithoutOutfitLines(const std::string& bytes) {
    std::string kept;
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!Velloquin::IsOutfitLine(Velloquin::ParseQuickItemLine(line)))
            kept += bytes.substr(start, end - start) + (last ? "" : "\n");
        if (last) break;
        start = end + 1;
    }
    return kept;
}

void WriteFile(const std::string& bytes) {
    std::ofstream out(itemsFile, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const auto& box : TestHost::Boxes()) texts.push_back(box.text);
    return texts;
}

void Reload() {
    Velloquin::StateLock lock(Velloquin::stateMutex);
    Velloquin::ReloadFavoriteItems();
}

void Flush() {
    Velloquin::StateLock lock(Velloquin::stateMutex);
    Velloquin::FlushQuickItemsToFile();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/velloquin-items-fuzz-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    fs::current_path(folder);
    fs::create_directories(itemsFile.parent_path());

    TestHost::ResetWorld();
    Velloquin::ResetRuntimeState();
    // Full, small and medium data files; weapons, equipment, consumables, a
    // power, and a keyword (a type the slots refuse).
    using TestHost::FileKind;
    TestHost::LoadGame(
        {{"Halvorine.esm", FileKind::Full}, {"Armory.esp", FileKind::Full}, {"Tiny.esl", FileKind::Small},
         {"Middle.esm", FileKind::Medium}},
        {{"Halvorine.esm", 0x01A2B3, TestHost::typeWeapon, {"Armory.esp"}, "Rifle"},
         {"Halvorine.esm", 0x001A2B, TestHost::typeEquipment, {}, "Helmet"},
         {"Armory.esp", 0x000800, TestHost::typeWeapon, {"Tiny.esl"}, "Blade"},
         {"Armory.esp", 0x000000, TestHost::typeConsumable, {}, "Zero"},
         {"Tiny.esl", 0xABC, TestHost::typePower, {}, "Shout"},
         {"Tiny.esl", 0x801, TestHost::typeConsumable, {}, "Tonic"},
         {"Middle.esm", 0x0ABC, TestHost::typeConsumable, {}, "Stew"},
         {"Middle.esm", 0xFFFF, TestHost::typeEquipment, {}, "Boots"},
         {"Armory.esp", 0x000900, TestHost::typeEquipment, {"Tiny.esl"}, "Coat"},
         {"Armory.esp", 0x000901, TestHost::typeEquipment, {}, "Gloves"},
         {"Tiny.esl", 0x900, TestHost::typeEquipment, {}, "Ring"},
         {"Halvorine.esm", 0x000100, TestHost::typeKeyword, {}, "A keyword"}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
    const std::string bytes(reinterpret_cast<const char*>(data), length);
    TestHost::ClearRecords();  // the host records every call; a long run must not pile them up
    TestHost::ClearBoxes();
    WriteFile(WithoutOutfitLines(bytes));
    Reload();
    const std::vector<std::string> boxesWithoutOutfits = BoxTexts();

    TestHost::ClearRecords();
    TestHost::ClearBoxes();
    WriteFile(bytes);
    Reload();
    Check(BoxTexts() == boxesWithoutOutfits, "outfit lines change the boxes");
    const auto read = Slots();
    {
        Velloquin::StateLock lock(Velloquin::stateMutex);
        for (std::size_t i = 0; i < Velloquin::quickSlotCount; ++i) {
            const bool single = !Velloquin::IsOutfitSlot(i);
            for (std::size_t j = i + 1; single && j < Velloquin::quickSlotCount; ++j)
                Check(Velloquin::IsOutfitSlot(j) || !Velloquin::quickItems[i] ||
                          Velloquin::quickItems[i] != Velloquin::quickItems[j],
                      "an item stands in two single-item slots");
            if (single) continue;
            const std::size_t size = Velloquin::quickOutfitSize[i];
            Check(size >= 2 && size <= Velloquin::outfitPieceLimit, "an outfit of fewer than 2 or more than 12 pieces");
            Check(Velloquin::quickItems[i] == Velloquin::quickOutfitPieces[i][0], "an outfit's head is not the slot's item");
            for (std::size_t p = 0; p < size; ++p) {
                Velloquin::Game::Form* piece = Velloquin::quickOutfitPieces[i][p];
                Check(piece && Velloquin::Game::StoredFormType(piece) == TestHost::typeEquipment,
                      "an outfit piece that is no equipment");
                for (std::size_t q = p + 1; q < size; ++q)
                    Check(piece != Velloquin::quickOutfitPieces[i][q], "a piece twice in one outfit");
            }
        }
    }

    Flush();
    const std::string written = ReadBytes(itemsFile);
    Reload();
    Check(Slots() == read, "the slots read back differ from the slots written");
    Flush();
    Check(ReadBytes(itemsFile) == written, "the slots read back are written differently");
    return 0;
}
