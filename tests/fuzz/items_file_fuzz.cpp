// Fuzzes the items file: arbitrary bytes are the character's items file, read
// by the plug-in against a game with items of every kind. Properties checked:
// - no item ever stands in two slots;
// - writing the slots and reading them back gives the same slots, and
//   writing those again gives the same file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

auto Slots() { return Velloquin::quickItems; }

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
         {"Halvorine.esm", 0x000100, TestHost::typeKeyword, {}, "A keyword"}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
    {
        std::ofstream out(itemsFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
    }
    TestHost::ClearRecords();  // the host records every call; a long run must not pile them up
    TestHost::ClearBoxes();
    Velloquin::ReloadFavoriteItems();
    const auto read = Slots();
    for (std::size_t i = 0; i < read.size(); ++i)
        for (std::size_t j = i + 1; j < read.size(); ++j)
            Check(!read[i] || read[i] != read[j], "an item stands in two slots");

    Velloquin::FlushQuickItemsToFile();
    const std::string written = ReadBytes(itemsFile);
    Velloquin::quickItems.fill(nullptr);
    Velloquin::ReloadFavoriteItems();
    Check(Slots() == read, "the slots read back differ from the slots written");
    Velloquin::FlushQuickItemsToFile();
    Check(ReadBytes(itemsFile) == written, "the slots read back are written differently");
    return 0;
}
