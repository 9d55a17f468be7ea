// The names the favourites menu shows for key codes: the game's own
// input-name tables first, then the built-in English names.
#include "config/key_names.h"
#include "core/state.h"
#include "game/game.h"

namespace Velloquin {

namespace {

// The game's map that holds the name of this code.
std::size_t MapFieldFor(std::uint32_t code) {
    if (code < 0x100) return Game::Layout::inputKeyboardMap;
    if (IsMouseCode(code)) return Game::Layout::inputMouseMap;
    return Game::Layout::inputGamepadMap;
}

}  // namespace

std::string GetKeyName(std::uint32_t code) {
    // Codes with the top bit set are no keys; the game's tables are not read for them.
    if (static_cast<std::int32_t>(code) < 0 || gameModuleBase == 0) return {};
    const void* inputNames = Game::ReadGame<const void*>(GameIndex::inputNameTables);
    if (!inputNames) return {};
    const void* map = Game::ReadField<const void*>(inputNames, MapFieldFor(code));
    if (!map) return {};

    const auto* entries = Game::ReadField<const unsigned char*>(map, Game::Layout::mapEntries);
    const auto count = Game::ReadField<std::uint32_t>(map, Game::Layout::mapEntryCount);
    for (std::uint32_t i = 0; entries && i < count; ++i) {
        const unsigned char* entry = entries + static_cast<std::size_t>(i) * Game::Layout::mapEntrySize;
        if (Game::ReadField<std::uint32_t>(entry, Game::Layout::mapEntryChain) == Game::Layout::mapEntryEmpty) continue;
        if (Game::ReadField<std::uint32_t>(entry, Game::Layout::mapEntryCode) != code) continue;
        const void* name = Game::ReadField<const void*>(entry, Game::Layout::mapEntryName);
        if (!name) return {};
        // A wide record has no narrow text the menu could show: the built-in name stands in.
        const char* text = Game::PooledText(name);
        return text ? std::string(text) : GetBuiltInKeyName(code);
    }
    return GetBuiltInKeyName(code);
}

std::string GetQuickKeyName(std::uint32_t code, std::uint32_t modifier) {
    std::string name = GetKeyName(code);
    if (modifier == 0 || !IsKeyboardKeyCode(code) || name.empty()) return name;
    const std::string modifierName = GetKeyName(modifier);
    // Half a chord's name would read as another key's: none is shown then.
    if (modifierName.empty()) return {};
    return modifierName + "+" + name;
}

}  // namespace Velloquin
