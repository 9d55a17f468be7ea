// Every kind of warning the doctor gives, with the stable code that --json
// prints for it and what it means. A tool reading the JSON relies on the
// codes: never rename one, only add new kinds.
#pragma once

#include <cstddef>
#include <iterator>

namespace Velloquin::Doctor {

enum class WarningKind {
    // The settings files as a whole.
    OtherFile,
    PathTooLong,
    // Lines of the settings files that are never read.
    OutsideSection,
    UnknownSection,
    DuplicateSection,
    UnknownKey,
    WrongSection,
    DuplicateKey,
    NoValue,
    // Values that are read but do something other than a player may expect.
    VisibilityValue,
    NotHexadecimal,
    PartlyRead,
    NameNotCode,
    AlreadyBound,
    CustomZero,
    NeverPolled,
    // The items files.
    ItemsUnreadable,
    ItemsNoSlot,
    ItemsNoId,
    ItemsNoFile,
    ItemsBadId,
    ItemsSeveralSlots,
    ItemsReplaced,
    ItemsSameItem,
    ItemsNoneKeeps,
    ItemsIdSpills,
    ItemsCut,
    ItemsOutfitNoSlotLine,
    ItemsOutfitRepeated,
    ItemsOutfitTooMany,
    ItemsOutfitNotEquipment,
    ItemsOutfitPieceKind,
    // The controller.
    ModifierIgnored,
    ModifierBound,
    GamepadNoModifier,
    XInputMissing,
    // Keyboard chords.
    ChordModifierIgnored,
    ChordWithoutKey,
    ChordRepeated,
    ChordModifierIsKey,
    ChordKeyAlsoAlone,
    ChordWindowsUses,
    // The outfit save modifier.
    SaveModifierIgnored,
    SaveModifierClash,
    // The doctor itself.
    DoctorFailed,
};

struct WarningKindInfo {
    WarningKind kind;
    const char* code;     // as --json prints it
    const char* meaning;  // one line for a maintainer
};

inline constexpr WarningKindInfo warningKinds[] = {
    {WarningKind::OtherFile, "other-file", "a file beside the settings files that a player may take for one; never read"},
    {WarningKind::PathTooLong, "path-too-long", "the settings file's full path is too long for Windows to read it"},
    {WarningKind::OutsideSection, "outside-section", "a setting before any section header; never read"},
    {WarningKind::UnknownSection, "unknown-section", "a section other than [Visibility], [QuickKeys], [QuickKeyModifiers] and [Gamepad]; never read"},
    {WarningKind::DuplicateSection, "duplicate-section", "a second section of a name; only the first one is read"},
    {WarningKind::UnknownKey, "unknown-key", "a key the plug-in does not read (misspelt, or a slot that does not exist)"},
    {WarningKind::WrongSection, "wrong-section", "a key of [Visibility] under [QuickKeys] or the other way round"},
    {WarningKind::DuplicateKey, "duplicate-key", "a key set again in its section; only the first line is read"},
    {WarningKind::NoValue, "no-value", "a line without '=' in a section the plug-in reads"},
    {WarningKind::VisibilityValue, "visibility-value", "a visibility value other than 1 and 0, which hides the slot"},
    {WarningKind::NotHexadecimal, "not-hexadecimal", "a key value with no hexadecimal number, or one above 32 bits; ignored"},
    {WarningKind::PartlyRead, "partly-read", "a key value of which only the leading hexadecimal digits are read"},
    {WarningKind::NameNotCode, "name-not-code", "a key's name written where its code belongs, read as a hexadecimal number"},
    {WarningKind::AlreadyBound, "already-bound", "a code that another slot already has; this slot does not get it"},
    {WarningKind::CustomZero, "custom-zero", "0 in VelloquinCustom.ini, which does not unbind the main file's key"},
    {WarningKind::NeverPolled, "never-polled", "a mouse or gamepad code: named in the menu, but pressing it does nothing"},
    {WarningKind::ItemsUnreadable, "items-unreadable", "an items file that cannot be opened"},
    {WarningKind::ItemsNoSlot, "items-no-slot", "an items-file line that names no slot 12 to 23; skipped"},
    {WarningKind::ItemsNoId, "items-no-id", "an items-file line without an item id; skipped"},
    {WarningKind::ItemsNoFile, "items-no-file", "an items-file line without a data file name; skipped"},
    {WarningKind::ItemsBadId, "items-bad-id", "an item id that no game has (too long, or no hexadecimal number); skipped"},
    {WarningKind::ItemsSeveralSlots, "items-several-slots", "an items-file line naming several slots; the last one keeps its item"},
    {WarningKind::ItemsReplaced, "items-replaced", "a later line for a slot that already has an item"},
    {WarningKind::ItemsSameItem, "items-same-item", "an item already in another slot, which then ends empty"},
    {WarningKind::ItemsNoneKeeps, "items-none-keeps", "\"|None\" for a slot an earlier line gave an item, which it keeps"},
    {WarningKind::ItemsIdSpills, "items-id-spills", "an item id wider than its data file's ids: it names another data file's item"},
    {WarningKind::ItemsCut, "items-cut", "an items file longer than the plug-in ever writes; only its start was checked"},
    {WarningKind::ItemsOutfitNoSlotLine, "items-outfit-no-slot-line", "an outfit line without a line for its slot above it; skipped"},
    {WarningKind::ItemsOutfitRepeated, "items-outfit-repeated", "an outfit line naming a piece the outfit already has; skipped"},
    {WarningKind::ItemsOutfitTooMany, "items-outfit-too-many", "an outfit line after the outfit's twelfth piece; skipped"},
    {WarningKind::ItemsOutfitNotEquipment, "items-outfit-not-equipment", "the last game read outfit lines whose slot line names no armour or clothes; the slot held that item alone"},
    {WarningKind::ItemsOutfitPieceKind, "items-outfit-piece-kind", "the last game skipped an outfit line naming an item that is not armour or clothes"},
    {WarningKind::ModifierIgnored, "modifier-ignored", "an iQuickKeyModifier that is not a gamepad button code; ignored"},
    {WarningKind::ModifierBound, "modifier-bound", "the gamepad modifier is also a slot's key"},
    {WarningKind::GamepadNoModifier, "gamepad-no-modifier", "a gamepad quick key without a modifier on a button the game uses in free play"},
    {WarningKind::XInputMissing, "xinput-missing", "a gamepad quick key is bound but no XInput library loads; gamepad keys do nothing"},
    {WarningKind::ChordModifierIgnored, "chord-modifier-ignored", "a [QuickKeyModifiers] value that is not Shift, Ctrl or Alt (10-12, A0-A5); ignored"},
    {WarningKind::ChordWithoutKey, "chord-without-key", "a chord modifier for a slot without a keyboard key; ignored"},
    {WarningKind::ChordRepeated, "chord-repeated", "a chord another slot already has (the later one is ignored), or one that holding the other's modifier also holds"},
    {WarningKind::ChordModifierIsKey, "chord-modifier-is-key", "a chord's modifier that is also a slot's key, or a key that is a chord's modifier; the later binding is ignored"},
    {WarningKind::ChordKeyAlsoAlone, "chord-key-also-alone", "a chord's key is also bound alone: which slot a press uses depends on the modifier"},
    {WarningKind::ChordWindowsUses, "chord-windows-uses", "a chord Windows itself acts on (Alt+F4, Alt+Tab, Alt+Esc, Ctrl+Esc)"},
    {WarningKind::SaveModifierIgnored, "save-modifier-ignored", "an [Outfits] iSaveModifier that is neither Shift, Ctrl or Alt nor a gamepad button; ignored"},
    {WarningKind::SaveModifierClash, "save-modifier-clash", "the outfit save modifier is also a slot's key, a chord's modifier or the gamepad modifier; ignored"},
    {WarningKind::DoctorFailed, "doctor-failed", "the doctor stopped on an error of its own; the report is incomplete"},
};

// The table is in the order of the enumeration, so a kind finds its row by index.
constexpr bool WarningKindsInOrder() {
    for (std::size_t i = 0; i < std::size(warningKinds); ++i)
        if (static_cast<std::size_t>(warningKinds[i].kind) != i) return false;
    return std::size(warningKinds) == static_cast<std::size_t>(WarningKind::DoctorFailed) + 1;
}
static_assert(WarningKindsInOrder(), "one row per warning kind, in the order of the enumeration");

constexpr const char* CodeOf(WarningKind kind) { return warningKinds[static_cast<std::size_t>(kind)].code; }

}  // namespace Velloquin::Doctor
