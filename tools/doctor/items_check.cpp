// The items files of the characters: each line as the plug-in's reader
// matches it, and the lines it would skip or that a later line overrides.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "doctor/findings.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "core/constants.h"

namespace Velloquin::Doctor {

namespace {

// The item a line names, as the plug-in's reader tells items apart: the
// local id read as a number (with or without leading zeros or 0x), the data
// file's name without regard to case.
std::string ItemKey(std::uint32_t localId, const std::string& dataFile) {
    return std::to_string(localId) + "|" + DataFileNameKey(dataFile);
}

std::string TooLongMessage(const std::string& dataFile) {
    return std::string("this item id is longer than ") +
           (dataFile == masterFileName ? "8 characters" : "6 characters (only " + std::string(masterFileName) +
                                                              ", written exactly so, may have 8)") +
           ", so no game has this item: the plug-in skips the line.";
}

// Why a line with "QuickKey" in it names no slot.
std::string NoSlotMessage(const std::string& line) {
    const std::size_t at = line.find("QuickKey");
    if (at == std::string::npos)
        return "this line names no slot, so the plug-in skips it (a line starts with \"QuickKey\", a slot number "
               "from 12 to 23 and \" |\").";
    std::size_t end = at + 8;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
    const std::string digits = line.substr(at + 8, end - at - 8);
    if (!digits.empty() && digits.size() < 4) {
        const int number = std::stoi(digits);
        if (number < firstQuickKey || number >= firstQuickKey + static_cast<int>(quickSlotCount))
            return "there is no slot " + digits + " (the extra slots are 12 to 23), so the plug-in skips this line.";
    }
    if (!digits.empty() && line.compare(end, 2, " |") != 0)
        return "the slot key must be followed by a blank and a bar (\"QuickKey" + digits +
               " |\"), so the plug-in skips this line.";
    return "this line names no slot, so the plug-in skips it.";
}

void CheckFile(Findings& findings, const std::string& folder, const std::string& name) {
    const std::string shown = "Velloquin\\" + name;
    ItemsFile file{name, {}};
    // Read as the plug-in reads it: line by line, a CR before the line feed dropped.
    std::ifstream in(NativePath(folder + name), std::ios::binary);
    if (!in.is_open()) {
        findings.warnings.push_back({shown, 0, WarningKind::ItemsUnreadable, "", "this file cannot be opened; the plug-in reports an error when it tries."});
        findings.itemsFiles.push_back(file);
        return;
    }
    struct Held {
        std::size_t line;  // index into file.lines
        std::string item;
    };
    std::array<std::optional<Held>, quickSlotCount> slots{};
    // Per slot emptied by a line whose item the game may not have: the line that then still holds it.
    std::array<std::optional<int>, quickSlotCount> keptIfMissing{};
    std::string text;
    int number = 0;
    while (ReadItemsFileLine(in, text)) {
        ++number;
        if (text.find_first_not_of(" \t") == std::string::npos) continue;
        const QuickItemLine parsed = ParseQuickItemLine(text);
        ItemsLine line;
        line.line = number;
        line.text = text;
        line.localId = parsed.localId;
        line.dataFile = parsed.dataFile;
        bool anyItem = false;
        for (std::size_t j = 0; j < quickSlotCount; ++j) {
            if (!parsed.namesSlot.at(j)) continue;
            line.quickKeys.push_back(firstQuickKey + static_cast<int>(j));
            line.markedEmpty = line.markedEmpty || parsed.marksEmpty.at(j);
            anyItem = anyItem || !parsed.marksEmpty.at(j);
        }
        const std::size_t index = file.lines.size();
        const auto warn = [&](WarningKind kind, const std::string& message) {
            findings.warnings.push_back({shown, number, kind, text, message});
        };
        // The id as the plug-in's reader reads it, before it asks the game for the item.
        std::uint32_t localId = 0;
        const LocalIdReading reading = ReadLocalFormID(parsed.localId, parsed.dataFile, localId);
        if (line.quickKeys.empty()) {
            line.status = "skipped";
            warn(WarningKind::ItemsNoSlot, NoSlotMessage(text));
        } else if (!anyItem) {
            line.status = "empty";
            // "|None" leaves a slot as it is: an item an earlier line gave it stays.
            for (std::size_t j = 0; j < quickSlotCount; ++j)
                if (parsed.namesSlot.at(j) && slots[j])
                    warn(WarningKind::ItemsNoneKeeps,
                         "\"|None\" does not empty a slot: slot " + std::to_string(firstQuickKey + static_cast<int>(j)) +
                             " keeps the item of line " + std::to_string(file.lines[slots[j]->line].line) +
                             ". To empty the slot, delete that line.");
        } else if (parsed.localId.empty() || parsed.dataFile.empty()) {
            line.status = "skipped";
            warn(parsed.localId.empty() ? WarningKind::ItemsNoId : WarningKind::ItemsNoFile,
                 std::string("this line has no ") + (parsed.localId.empty() ? "item id" : "data file name") +
                     ", so the plug-in skips it. A slot's line reads like \"QuickKey12 |01A2B3|Halvorine.esm\".");
        } else if (reading != LocalIdReading::Read) {
            line.status = "skipped";
            warn(WarningKind::ItemsBadId,
                 reading == LocalIdReading::TooLong
                     ? TooLongMessage(parsed.dataFile)
                     : "the item id \"" + parsed.localId +
                           "\" is not a hexadecimal number (or is larger than FFFFFFFF), so no game has this item: "
                           "the plug-in skips the line.");
        } else {
            line.status = "item";
            if (line.quickKeys.size() > 1)
                warn(WarningKind::ItemsSeveralSlots, "this line names more than one slot; its item goes to the last of them only.");
            const std::string item = ItemKey(localId, parsed.dataFile);
            // The reader puts the item into each slot the line names and moves it on at once: it ends in the
            // last of them, and the others end empty, when the game has the item. When it does not, the line
            // changes nothing. The model follows the first case and never holds the item in the other slots.
            std::size_t last = quickSlotCount;
            for (std::size_t j = 0; j < quickSlotCount; ++j)
                if (parsed.namesSlot.at(j) && !parsed.marksEmpty.at(j)) last = j;
            for (std::size_t j = 0; j < quickSlotCount; ++j) {
                if (!parsed.namesSlot.at(j) || parsed.marksEmpty.at(j)) continue;
                const std::string slot = std::to_string(firstQuickKey + static_cast<int>(j));
                const std::string lastSlot = std::to_string(firstQuickKey + static_cast<int>(last));
                if (slots[j]) {
                    ItemsLine& earlier = file.lines[slots[j]->line];
                    const std::string earlierLine = std::to_string(earlier.line);
                    earlier.status = "replaced";
                    earlier.replacedBy = number;
                    earlier.movedTo = 0;
                    // The reader changes a slot only for an item the game has.
                    warn(WarningKind::ItemsReplaced,
                         "slot " + slot + " was already given on line " + earlierLine +
                             (j == last ? ". If the game has this line's item, it takes the slot and line " +
                                              earlierLine + " has no effect"
                                        : ". If the game has this line's item, it goes on to slot " + lastSlot +
                                              ", slot " + slot + " ends empty and line " + earlierLine +
                                              " has no effect") +
                             "; if it does not (its data file is not loaded, or the item is gone), the slot keeps "
                             "the item of line " + earlierLine + ".");
                    keptIfMissing[j] = earlier.line;
                } else if (keptIfMissing[j]) {
                    // An earlier line emptied the slot only if the game had its item.
                    warn(WarningKind::ItemsReplaced,
                         "slot " + slot + " still holds the item of line " + std::to_string(*keptIfMissing[j]) +
                             " if the game does not have the item of the line that emptied it; this line's item "
                             "then takes its place.");
                }
                if (j != last) {
                    slots[j].reset();
                    continue;
                }
                keptIfMissing[j].reset();
                slots[j] = Held{index, item};
                // One item sits in one slot: the slot named later keeps it.
                for (std::size_t k = 0; k < quickSlotCount; ++k) {
                    if (k == j || !slots[k] || slots[k]->item != item) continue;
                    ItemsLine& earlier = file.lines[slots[k]->line];
                    earlier.status = "replaced";
                    earlier.replacedBy = number;
                    earlier.movedTo = firstQuickKey + static_cast<int>(j);
                    warn(WarningKind::ItemsSameItem,
                         "the same item is already in slot " + std::to_string(firstQuickKey + static_cast<int>(k)) +
                             " (line " + std::to_string(earlier.line) + ")" +
                             (earlier.localId == parsed.localId && earlier.dataFile == parsed.dataFile
                                  ? std::string(".")
                                  : ": item ids are read as numbers and data file names without regard to case, "
                                    "so both lines name one item.") +
                             " An item sits in one slot only: it moves to slot " + slot + ", and slot " +
                             std::to_string(firstQuickKey + static_cast<int>(k)) + " ends empty.");
                    slots[k].reset();
                    break;
                }
            }
        }
        file.lines.push_back(line);
    }
    findings.itemsFiles.push_back(file);
}

}  // namespace

void CheckItemsFiles(Findings& findings, const std::string& folder) {
    std::error_code error;
    findings.itemsFolder = std::filesystem::is_directory(NativePath(folder), error);
    if (!findings.itemsFolder) return;
    std::vector<std::string> names;
    for (const std::string& name : ListFilesWithExtension(folder, ".txt"))
        if (name.rfind(itemsFilePrefix, 0) == 0) names.push_back(name);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) CheckFile(findings, folder, name);
}

}  // namespace Velloquin::Doctor
