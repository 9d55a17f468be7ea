// The items files of the characters: each line as the plug-in's reader
// matches it, and the lines it would skip or that a later line overrides.
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <vector>

#include "doctor/findings.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "base/text.h"
#include "core/constants.h"

namespace Velloquin::Doctor {

namespace {

// The most an items file of the plug-in holds: a line for each piece of each
// slot (an outfit's pieces on its QuickKey line and its Outfit lines), each
// its key (16 bytes), an id of 8 digits at most, two bars, the data file's name
// (held in the game's file object, shorter than the room before its flags)
// and CR LF. Twice that leaves room for a player's blank lines and notes; the
// doctor reads no more, so its time and memory stay bounded.
constexpr std::size_t itemsLineLimit = 16 + 8 + 2 + (Game::Layout::fileFlags - Game::Layout::fileName) + 2;
constexpr std::size_t itemsReadLimit = 2 * quickSlotCount * outfitPieceLimit * itemsLineLimit;

// The file's bytes, at most itemsReadLimit of them; when there were more, the
// text ends after its last whole line and `cut` is set.
std::string ReadBounded(std::istream& in, bool& cut) {
    std::string bytes(itemsReadLimit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    cut = bytes.size() == itemsReadLimit && in.peek() != std::char_traits<char>::eof();
    if (cut) bytes.resize(bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1);
    return bytes;
}

// The warning for an id of the master file wider than its 24 bits, or "".
// Only the master's kind is known without the game: it is a Full file, whose
// first id is 0, so the id the plug-in asks the game for is the local id itself.
std::string SpillMessage(std::uint32_t localId, const std::string& dataFile) {
    if (DataFileNameKey(dataFile) != DataFileNameKey(masterFileName) || localId <= LocalIdMask(Full)) return {};
    return "the item id is wider than the ids of " + dataFile + " (at most FFFFFF): the plug-in adds it to the "
           "file's first id without cutting it, so it names the game's item " + UpperHex8(localId) +
           ", which belongs to another data file. If the game has that item, it takes this slot and leaves any "
           "other slot it had.";
}

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

// What becomes of one outfit line in its outfit, as the plug-in reads it
// when the game has the items: a piece, or skipped with a warning.
struct PieceVerdict {
    int line = 0;
    std::size_t slot = 0;
    std::string item;  // ItemKey; empty when the line names no item
    bool piece = false;
    WarningKind kind = WarningKind::ItemsNoId;
    std::string message;
};

// Judges an outfit's lines in order, after its first piece `headItem` (empty:
// the slot line names none, and the first piece of the outfit lines heads).
std::vector<PieceVerdict> JudgePieces(const OutfitLines& outfit, const std::string& headItem) {
    std::vector<PieceVerdict> verdicts;
    std::vector<std::string> kept;
    if (!headItem.empty()) kept.push_back(headItem);
    const std::string slot = std::to_string(firstQuickKey + static_cast<int>(outfit.slot));
    for (const auto& [number, parsed] : outfit.pieces) {
        PieceVerdict& verdict = verdicts.emplace_back();
        verdict.line = number;
        verdict.slot = outfit.slot;
        std::uint32_t localId = 0;
        const LocalIdReading reading = ReadLocalFormID(parsed.localId, parsed.dataFile, localId);
        if (parsed.localId.empty() || parsed.dataFile.empty()) {
            verdict.kind = parsed.localId.empty() ? WarningKind::ItemsNoId : WarningKind::ItemsNoFile;
            verdict.message = std::string("this outfit line has no ") +
                              (parsed.localId.empty() ? "item id" : "data file name") +
                              ", so the plug-in skips it. An outfit line reads like \"Outfit" + slot +
                              " |000900|Armory.esp\".";
        } else if (reading != LocalIdReading::Read) {
            verdict.kind = WarningKind::ItemsBadId;
            verdict.message = reading == LocalIdReading::TooLong
                                  ? TooLongMessage(parsed.dataFile)
                                  : "the item id \"" + parsed.localId +
                                        "\" is not a hexadecimal number (or is larger than FFFFFFFF), so no game has "
                                        "this item: the plug-in skips the line.";
        } else if (verdict.item = ItemKey(localId, parsed.dataFile);
                   std::find(kept.begin(), kept.end(), verdict.item) != kept.end()) {
            verdict.kind = WarningKind::ItemsOutfitRepeated;
            verdict.message = "the outfit of slot " + slot +
                              " already has this item (item ids are read as numbers and data file names without "
                              "regard to case); an outfit holds each piece once, so the plug-in skips this line.";
        } else if (kept.size() == outfitPieceLimit) {
            verdict.kind = WarningKind::ItemsOutfitTooMany;
            verdict.message = "the outfit of slot " + slot + " has " + std::to_string(outfitPieceLimit) +
                              " pieces already, as many as an outfit holds, so the plug-in skips this line.";
        } else {
            verdict.piece = true;
            kept.push_back(verdict.item);
        }
    }
    return verdicts;
}

std::size_t PieceCount(const std::vector<PieceVerdict>& verdicts, const std::string& headItem) {
    return static_cast<std::size_t>(std::count_if(verdicts.begin(), verdicts.end(),
                                                  [](const PieceVerdict& v) { return v.piece; })) +
           (headItem.empty() ? 0 : 1);
}

void CheckFile(Findings& findings, const std::string& folder, const std::string& name) {
    const std::string shown = "Velloquin\\" + name;
    ItemsFile file{name, {}, {}};
    // Read as the plug-in reads it: line by line, a CR before the line feed dropped.
    std::ifstream stream(FilePath(folder + name), std::ios::binary);
    if (!stream.is_open()) {
        findings.warnings.push_back({shown, 0, WarningKind::ItemsUnreadable, "", "this file cannot be opened; the plug-in reports an error when it tries."});
        findings.itemsFiles.push_back(file);
        return;
    }
    bool cut = false;
    std::istringstream in(ReadBounded(stream, cut));
    if (cut)
        findings.warnings.push_back({shown, 0, WarningKind::ItemsCut, "",
                                     "this file is longer than the plug-in ever writes (" +
                                         std::to_string(itemsReadLimit / 1024) +
                                         " KiB or more): the doctor checked the lines of its start only."});
    // The outfits, found as the plug-in finds them: a first look through the file.
    const std::vector<OutfitLines> outfits = FindOutfitLines(in);
    in.clear();
    in.seekg(0);
    const auto outfitOf = [&](int headLine, std::size_t slot) -> const OutfitLines* {
        for (const OutfitLines& outfit : outfits)
            if (outfit.headLine == headLine && outfit.slot == slot) return &outfit;
        return nullptr;
    };
    // The verdicts on outfit lines, given when their slot line is read; told at their own line.
    std::vector<PieceVerdict> verdicts;
    // Lines the model refers to before they are read (an outfit line that heads its slot): their status.
    std::vector<ItemsLine> ahead;
    struct Held {
        int line;  // its line number
        std::string item;
        bool outfit = false;  // an outfit's first piece: the one-slot rule leaves it alone
    };
    std::array<std::optional<Held>, quickSlotCount> slots{};
    // The line of a number, read already or ahead.
    const auto lineOf = [&](int number) -> ItemsLine& {
        for (ItemsLine& line : file.lines)
            if (line.line == number) return line;
        for (ItemsLine& line : ahead)
            if (line.line == number) return line;
        ItemsLine& line = ahead.emplace_back();
        line.line = number;
        return line;
    };
    // A later line for slot j: the outfit it held is gone, and its further pieces with it.
    const auto forgetOutfit = [&](std::size_t j, int number) {
        for (const ItemsOutfit& outfit : file.outfits) {
            if (outfit.slot != firstQuickKey + static_cast<int>(j)) continue;
            for (std::size_t p = 1; p < outfit.pieceLines.size(); ++p) {
                ItemsLine& piece = lineOf(outfit.pieceLines[p]);
                piece.status = "replaced";
                piece.replacedBy = number;
            }
        }
        std::erase_if(file.outfits, [&](const ItemsOutfit& o) { return o.slot == firstQuickKey + static_cast<int>(j); });
    };
    // A slot line that heads an outfit (head: its item, or empty): the outfit takes the slot when it has two
    // pieces or more, a single piece takes it as a line's item would, none leaves the slot as it was.
    const auto placeOutfit = [&](const OutfitLines& outfit, const std::string& head, int number) {
        const std::size_t j = outfit.slot;
        std::vector<PieceVerdict> judged = JudgePieces(outfit, head);
        verdicts.insert(verdicts.end(), judged.begin(), judged.end());
        ItemsOutfit listed{firstQuickKey + static_cast<int>(j), {}};
        if (!head.empty()) listed.pieceLines.push_back(number);
        std::string first = head;
        for (const PieceVerdict& v : judged) {
            if (!v.piece) continue;
            listed.pieceLines.push_back(v.line);
            if (first.empty()) first = v.item;
        }
        if (listed.pieceLines.empty()) return;
        forgetOutfit(j, number);
        if (slots[j] && slots[j]->line != number) {
            ItemsLine& earlier = lineOf(slots[j]->line);
            earlier.status = "replaced";
            earlier.replacedBy = number;
            earlier.movedTo = 0;
        }
        if (listed.pieceLines.front() != number) lineOf(listed.pieceLines.front()).status = "item";
        slots[j] = Held{listed.pieceLines.front(), first, listed.pieceLines.size() >= 2};
        if (listed.pieceLines.size() >= 2) {
            file.outfits.push_back(listed);
            return;
        }
        // One piece: a single item, which no other single slot keeps.
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            if (k == j || !slots[k] || slots[k]->outfit || slots[k]->item != first) continue;
            ItemsLine& earlier = lineOf(slots[k]->line);
            earlier.status = "replaced";
            earlier.replacedBy = number;
            earlier.movedTo = firstQuickKey + static_cast<int>(j);
            slots[k].reset();
        }
    };
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
        const auto warn = [&](WarningKind kind, const std::string& message) {
            findings.warnings.push_back({shown, number, kind, text, message});
        };
        // The id as the plug-in's reader reads it, before it asks the game for the item.
        std::uint32_t localId = 0;
        const LocalIdReading reading = ReadLocalFormID(parsed.localId, parsed.dataFile, localId);
        if (IsOutfitLine(parsed)) {
            line.outfitLine = true;
            line.status = "skipped";
            for (std::size_t j = 0; j < quickSlotCount; ++j) {
                if (!parsed.namesOutfit.at(j)) continue;
                const std::string slot = std::to_string(firstQuickKey + static_cast<int>(j));
                line.quickKeys.push_back(firstQuickKey + static_cast<int>(j));
                bool judged = false;
                for (const PieceVerdict& v : verdicts) {
                    if (v.line != number || v.slot != j) continue;
                    judged = true;
                    if (v.piece && line.status == "skipped") line.status = "piece";
                    if (!v.piece) warn(v.kind, v.message);
                }
                if (!judged)
                    warn(WarningKind::ItemsOutfitNoSlotLine,
                         "no \"QuickKey" + slot + " |\" line comes before this line, so it belongs to no outfit and "
                         "the plug-in skips it. An outfit is its slot's line followed by one \"Outfit" + slot +
                             " |\" line per further piece.");
            }
            for (const ItemsLine& early : ahead)
                if (early.line == number && !early.status.empty()) {
                    line.status = early.status;
                    line.replacedBy = early.replacedBy;
                    line.movedTo = early.movedTo;
                }
            std::erase_if(verdicts, [&](const PieceVerdict& v) { return v.line == number; });
            file.lines.push_back(line);
            continue;
        }
        if (line.quickKeys.empty()) {
            line.status = "skipped";
            warn(WarningKind::ItemsNoSlot, NoSlotMessage(text));
        } else if (!anyItem) {
            line.status = "empty";
            // "|None" leaves a slot as it is: an item an earlier line gave it stays.
            for (std::size_t j = 0; j < quickSlotCount; ++j)
                if (parsed.namesSlot.at(j) && slots[j] && !outfitOf(number, j))
                    warn(WarningKind::ItemsNoneKeeps,
                         "\"|None\" does not empty a slot: slot " + std::to_string(firstQuickKey + static_cast<int>(j)) +
                             " keeps the item of line " + std::to_string(slots[j]->line) +
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
            if (const std::string spill = SpillMessage(localId, parsed.dataFile); !spill.empty())
                warn(WarningKind::ItemsIdSpills, spill);
            if (line.quickKeys.size() > 1)
                warn(WarningKind::ItemsSeveralSlots, "this line names more than one slot; its item goes to the last of them only.");
            const std::string item = ItemKey(localId, parsed.dataFile);
            // The reader puts the item into each slot the line names and moves it on at once: it ends in the
            // last of them, and the others end empty, when the game has the item. When it does not, the line
            // changes nothing. The model follows the first case and never holds the item in the other slots.
            // A slot this line heads an outfit of two pieces or more keeps the item whatever the other slots do.
            const auto headsOutfit = [&](std::size_t j) {
                const OutfitLines* outfit = outfitOf(number, j);
                return outfit && PieceCount(JudgePieces(*outfit, item), item) >= 2;
            };
            std::size_t last = quickSlotCount;
            for (std::size_t j = 0; j < quickSlotCount; ++j)
                if (parsed.namesSlot.at(j) && !parsed.marksEmpty.at(j) && !headsOutfit(j)) last = j;
            for (std::size_t j = 0; j < quickSlotCount; ++j) {
                if (!parsed.namesSlot.at(j)) continue;
                if (parsed.marksEmpty.at(j)) {
                    if (const OutfitLines* outfit = outfitOf(number, j)) placeOutfit(*outfit, "", number);
                    continue;
                }
                const std::string slot = std::to_string(firstQuickKey + static_cast<int>(j));
                const std::string lastSlot = std::to_string(firstQuickKey + static_cast<int>(last));
                if (slots[j]) {
                    ItemsLine& earlier = lineOf(slots[j]->line);
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
                if (const OutfitLines* outfit = outfitOf(number, j)) {
                    // It heads an outfit: the outfit takes the slot (alone, the item takes it as below).
                    keptIfMissing[j].reset();
                    placeOutfit(*outfit, item, number);
                    continue;
                }
                if (j != last) {
                    forgetOutfit(j, number);
                    slots[j].reset();
                    continue;
                }
                keptIfMissing[j].reset();
                forgetOutfit(j, number);
                slots[j] = Held{number, item};
                // One item sits in one single-item slot: the slot named later keeps it; outfits keep theirs.
                for (std::size_t k = 0; k < quickSlotCount; ++k) {
                    if (k == j || !slots[k] || slots[k]->outfit || slots[k]->item != item) continue;
                    ItemsLine& earlier = lineOf(slots[k]->line);
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
        // A slot line without an item of its own that heads outfits: their first pieces head them.
        if (line.status != "item")
            for (std::size_t j = 0; j < quickSlotCount; ++j)
                if (parsed.namesSlot.at(j))
                    if (const OutfitLines* outfit = outfitOf(number, j)) placeOutfit(*outfit, "", number);
        file.lines.push_back(line);
    }
    std::sort(file.outfits.begin(), file.outfits.end(),
              [](const ItemsOutfit& a, const ItemsOutfit& b) { return a.slot < b.slot; });
    findings.itemsFiles.push_back(file);
}

}  // namespace

void CheckOutfitKinds(Findings& findings) {
    // The log's words: "line 3 not restored (outfit slot 12): an outfit holds equipment only (form type 48)",
    // and "... the slot's item on line 2 is no equipment (form type 48)".
    for (const std::string& text : findings.log.notRestored) {
        if (text.find("(outfit slot ") == std::string::npos) continue;
        const std::string where = text.substr(0, text.find(" not restored"));
        if (text.find("is no equipment") != std::string::npos)
            findings.warnings.push_back(
                {findings.log.file, 0, WarningKind::ItemsOutfitNotEquipment, "Items: " + text,
                 "in the last game, " + where + " of the character's slot file belonged to an outfit whose slot line "
                 "names an item that is not armour or clothes, so the slot held that item alone and the outfit lines "
                 "were skipped. Outfits hold armour and clothes only: save the outfit again, or remove its "
                 "\"Outfit\" lines."});
        else if (text.find("holds equipment only") != std::string::npos)
            findings.warnings.push_back(
                {findings.log.file, 0, WarningKind::ItemsOutfitPieceKind, "Items: " + text,
                 "in the last game, " + where + " of the character's slot file named a piece that is not armour or "
                 "clothes, so the outfit was read without it. Outfits hold armour and clothes only."});
    }
}

void CheckItemsFiles(Findings& findings, const std::string& folder) {
    std::error_code error;
    findings.itemsFolder = std::filesystem::is_directory(FilePath(folder), error);
    if (!findings.itemsFolder) return;
    std::vector<std::string> names;
    for (const std::string& name : ItemsFolderFiles(folder)) {
        if (IsItemsFileName(name)) {
            names.push_back(name);
            continue;
        }
        const std::string lower = LowerAscii(name);
        // The logs beside the items files have their own part of the report; the archive's read-me is known.
        if (lower == "readme.txt" || (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".log") == 0)) continue;
        findings.itemsFolderOthers.push_back(name);
        if (lower.rfind("velloquinitems", 0) == 0)
            findings.warnings.push_back(
                {"Velloquin\\" + name, 0, WarningKind::OtherFile, "",
                 "the plug-in never reads this file: it reads only files named exactly VelloquinItems_ with the "
                 "character's id and .txt (an editor's backup ending in ~, a second .txt, or leading zeros in the "
                 "id make another file)."});
    }
    for (const std::string& name : names) CheckFile(findings, folder, name);
}

std::vector<std::string> ItemsFolderFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(FilePath(folder), error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code entryError;
        if (it->is_regular_file(entryError) && !entryError) names.push_back(PathText(it->path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace Velloquin::Doctor
