// The items file's reader: after each game load the extra slots come back from
// the character's items file, resolved against the load order of this game.
#include <fstream>

#include "config/settings.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "core/state.h"

namespace Velloquin {

namespace {

// Tries one line against every slot key.
void ApplyLine(const std::string& line) REQUIRES(stateMutex) {
    const QuickItemLine parsed = ParseQuickItemLine(line);
    for (std::size_t j = 0; j < quickSlotCount; ++j) {
        const int quickKey = firstQuickKey + static_cast<int>(j);
        if (!parsed.namesSlot.at(j) || parsed.marksEmpty.at(j)) continue;
        if (parsed.localId.empty() || parsed.dataFile.empty()) continue;
        Game::Form* form = ResolveFormLocator(parsed.localId, parsed.dataFile);
        if (!form) continue;  // the item or its data file is not in this game
        if (!VerifyQuickItem(form, quickKey)) continue;
        quickItems.at(j) = form;
        // One form never sits in two slots: the slot named later keeps it.
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            if (k != j && quickItems.at(k) == form) {
                quickItems.at(k) = nullptr;
                break;
            }
        }
    }
}

}  // namespace

void ReloadFavoriteItems() {
    quickItems.fill(nullptr);
    const std::string name = GetPlayerID(true);
    const std::string path = pluginFolder + name;
    if (!SettingsFileExists(pluginFolder, name)) return;

    // Read as bytes in every build; a CR before the line feed is dropped
    // below, as a text-mode stream would drop it.
    std::ifstream in(NativePath(path), std::ios::in | std::ios::binary);
    using Check = ItemsFileOpenCheck;
    if (ReportItemsFileOpen("Velloquin::ReloadFavoriteItems", path, in.is_open(), in,
                            {{Check::NotOpen, 697, 1}, {Check::Bad, 702, 2}, {Check::Failed, 707, 3}}))
        return;

    try {
        std::string line;
        while (ReadItemsFileLine(in, line)) ApplyLine(line);
    } catch (...) {
        // A file too large to hold: the slots read so far stay.
    }
}

}  // namespace Velloquin
