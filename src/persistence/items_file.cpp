// The items file's writer: one line per saved slot, naming the slot's item by
// its defining data file and its local id, so that the file survives a change
// of the load order.
#include "persistence/items_file.h"

#include <cstdio>
#include <fstream>

#include "items/form_text.h"
#include "persistence/form_identity.h"
#include "platform/paths.h"
#include "core/error_report.h"
#include "game/game.h"
#include "core/state.h"

namespace Velloquin {

namespace {

constexpr std::uint8_t typePower = 28;
constexpr std::uint8_t typeEquipment = 34;
constexpr std::uint8_t typeWeapon = 48;
constexpr std::uint8_t typeConsumable = 54;

// The file is the same bytes in every build: CR LF ends each line.
constexpr const char* lineEnd = "\r\n";

int KindOfFile(const Game::DataFile* file) {
    const std::uint8_t index = DataFileIndex(file);
    return index == 0xFE ? Small : index == 0xFD ? Medium : Full;
}

// The slots' lines, in slot order; refused items are reported and left out.
void WriteQuickItems(std::ostream& out) {
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        const int quickKey = firstQuickKey + static_cast<int>(i);
        const Game::Form* form = quickItems.at(i);
        if (!form) continue;
        if (!VerifyQuickItem(form, quickKey)) continue;
        const Game::DataFile* file = FindDefiningFile(form);
        if (!file) continue;  // not in any counting data file: nothing that could name it later
        out << "QuickKey" << quickKey << " |" << GetLocalFormID(form, KindOfFile(file)) << "|" << DataFileName(file)
            << lineEnd;
    }
}

void RemoveQuietly(const std::string& path) { std::remove(NativePath(path).c_str()); }

}  // namespace

bool VerifyQuickItem(const Game::Form* form, int quickKey) {
    if (!form || GetFormID(form) == 0) {
        ReportError("Velloquin::VerifyQuickItem", 321,
                    "invalid FormID of QuickItem at [QuickKey" + std::to_string(quickKey) + "]");
        return false;
    }
    const std::uint8_t type = Game::StoredFormType(form);
    if (type == typePower || type == typeEquipment || type == typeWeapon || type == typeConsumable) return true;
    ReportError("Velloquin::VerifyQuickItem", 325,
                "QuickItem " + DescribeForm(form) + " at [QuickKey" + std::to_string(quickKey) +
                    "] is not supported, error code: " + std::to_string(type));
    return false;
}

// The new content goes to a temporary file beside the items file, which then
// replaces the items file in one step: whenever the process ends, the items
// file holds either the old or the new content, never a part of either.
void FlushQuickItemsToFile() {
    const std::string name = GetPlayerID(false);
    const std::string path = pluginFolder + name;
    const std::string temporaryPath = path + ".tmp";

    std::ofstream out(NativePath(temporaryPath), std::ios::out | std::ios::binary | std::ios::trunc);
    using Check = ItemsFileOpenCheck;
    if (ReportItemsFileOpen("Velloquin::FlushQuickItemsToFile", path, out.is_open(), out,
                            {{Check::NotOpen, 467, 1}, {Check::Failed, 472, 1}, {Check::Bad, 477, 1}})) {
        out.close();
        RemoveQuietly(temporaryPath);
        return;
    }

    try {
        WriteQuickItems(out);
    } catch (...) {
        out.setstate(std::ios::badbit);
    }
    out.close();
    // A file that could not be written completely never replaces the old one.
    if (!out) {
        RemoveQuietly(temporaryPath);
        return;
    }
    if (!ReplaceFileInOneStep(temporaryPath, path)) {
        // The items file itself cannot be written (read-only, a folder, in use): as when it cannot be opened.
        RemoveQuietly(temporaryPath);
        ReportError("Velloquin::FlushQuickItemsToFile", 467, ItemsFileOpenError(path, 1));
        ReportError("Velloquin::FlushQuickItemsToFile", 472, ItemsFileOpenError(path, 1));
    }
}

}  // namespace Velloquin
