// Each character keeps its items in a file named after the player id.
#include "base/text.h"
#include "config/settings.h"
#include "persistence/items_file.h"
#include "core/error_report.h"
#include "core/log.h"
#include "game/game.h"
#include "core/state.h"

namespace Velloquin {

namespace {

std::string ItemsFileName(const std::string& idText) { return itemsFilePrefix + idText + ".txt"; }

// The holder is not expected to be missing while a game is loaded; if it is,
// the character has no id, which is reported like an id of 0.
std::uint64_t ReadPlayerId() {
    const void* holder = Game::ReadGame<const void*>(GameIndex::playerIdHolder);
    return holder ? Game::ReadField<std::uint64_t>(holder, Game::Layout::playerIdValue) : 0;
}

}  // namespace

std::string PlayerIdText() { return "0x" + UpperHex(ReadPlayerId()); }

std::string GetPlayerID(bool forReading) {
    const std::uint64_t id = ReadPlayerId();
    if (id == 0) {
        ReportError("Velloquin::GetPlayerID", 354, "cannot get PlayerID");
        if (!pluginInactive) LogLine("The plug-in is inactive from now on: the player id cannot be read");
        pluginInactive = 1;
    }
    const std::string low = UpperHex(id & 0xFFFFFFFFu);
    const std::string full = UpperHex(id);
    if (!forReading) return ItemsFileName(low);

    // Names that other written forms of the same id gave, in the order they are tried.
    const std::string candidates[] = {ItemsFileName(low), ItemsFileName(full), ItemsFileName("1" + low)};
    for (const std::string& name : candidates)
        if (SettingsFileExists(pluginFolder, name)) return name;
    return ItemsFileName("1" + full);
}

}  // namespace Velloquin
