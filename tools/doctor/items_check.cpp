// The items files of the characters: each line as the plug-in's reader
// matches it, and the lines it would skip or that a later line overrides.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "doctor/findings.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "core/state.h"

namespace Velloquin::Doctor {

namespace {

const std::string itemsPrefix = "VelloquinItems_";

// Local ids with and without leading zeros name the same item.
std::string ItemKey(const std::string& localId, const std::string& dataFile) {
    std::string id = localId;
    for (char& c : id) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    id.erase(0, std::min(id.find_first_not_of('0'), id.size() ? id.size() - 1 : 0));
    return id + "|" + dataFile;
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

void CheckFile(Findings& findings, const std::string& name) {
    const std::string shown = "Velloquin\\" + name;
    ItemsFile file{name, {}};
    // Read as the plug-in reads it: line by line, a CR before the line feed dropped.
    std::ifstream in(NativePath(pluginFolder + name), std::ios::binary);
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
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') text.pop_back();
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
        if (line.quickKeys.empty()) {
            line.status = "skipped";
            warn(WarningKind::ItemsNoSlot, NoSlotMessage(text));
        } else if (!anyItem) {
            line.status = "empty";
        } else if (parsed.localId.empty() || parsed.dataFile.empty()) {
            line.status = "skipped";
            warn(parsed.localId.empty() ? WarningKind::ItemsNoId : WarningKind::ItemsNoFile,
                 std::string("this line has no ") + (parsed.localId.empty() ? "item id" : "data file name") +
                     ", so the plug-in skips it. A slot's line reads like \"QuickKey12 |01A2B3|Halvorine.esm\".");
        } else {
            line.status = "item";
            if (line.quickKeys.size() > 1)
                warn(WarningKind::ItemsSeveralSlots, "this line names more than one slot; its item goes to the last of them only.");
            const std::string item = ItemKey(parsed.localId, parsed.dataFile);
            for (std::size_t j = 0; j < quickSlotCount; ++j) {
                if (!parsed.namesSlot.at(j) || parsed.marksEmpty.at(j)) continue;
                if (slots[j]) {
                    file.lines[slots[j]->line].status = "replaced";
                    warn(WarningKind::ItemsReplaced, "slot " + std::to_string(firstQuickKey + static_cast<int>(j)) +
                                               " was already given on line " +
                                               std::to_string(file.lines[slots[j]->line].line) +
                                               "; this later line wins and the earlier one has no effect.");
                }
                slots[j] = Held{index, item};
                // One item sits in one slot: the slot named later keeps it.
                for (std::size_t k = 0; k < quickSlotCount; ++k) {
                    if (k == j || !slots[k] || slots[k]->item != item) continue;
                    if (slots[k]->line != index) {
                        file.lines[slots[k]->line].status = "replaced";
                        warn(WarningKind::ItemsSameItem, "the same item is already in slot " +
                                                    std::to_string(firstQuickKey + static_cast<int>(k)) + " (line " +
                                                    std::to_string(file.lines[slots[k]->line].line) +
                                                    "); an item sits in one slot only, so that slot ends empty.");
                    }
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

void CheckItemsFiles(Findings& findings) {
    std::error_code error;
    findings.itemsFolder = std::filesystem::is_directory(NativePath(pluginFolder), error);
    if (!findings.itemsFolder) return;
    std::vector<std::string> names;
    for (const std::string& name : ListFilesWithExtension(pluginFolder, ".txt"))
        if (name.rfind(itemsPrefix, 0) == 0) names.push_back(name);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) CheckFile(findings, name);
}

}  // namespace Velloquin::Doctor
