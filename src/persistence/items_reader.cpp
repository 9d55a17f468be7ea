// The items file's reader: after each game load the extra slots come back from
// the character's items file, resolved against the load order of this game.
#include <fstream>

#include "config/settings.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"
#include "platform/paths.h"
#include "core/error_report.h"
#include "core/log.h"
#include "items/form_text.h"
#include "core/state.h"

namespace Velloquin {

namespace {

std::string OpenErrorText(const std::string& path, int code) {
    return path + " couldn't be opened, error code: " + std::to_string(code);
}

// Why a line's item is not in this game, for the log.
std::string WhyNotFoundText(const QuickItemLine& parsed) {
    std::uint32_t localId = 0;
    switch (ReadLocalFormID(parsed.localId, parsed.dataFile, localId)) {
        case LocalIdReading::TooLong: return "the local id " + parsed.localId + " is too long for its data file";
        case LocalIdReading::NotHexadecimal: return "the local id " + parsed.localId + " is no hexadecimal number";
        case LocalIdReading::Read: break;
    }
    if (!FindDataFile(parsed.dataFile).first) return "the data file " + parsed.dataFile + " is not loaded";
    return parsed.dataFile + " has no form " + parsed.localId;
}

// The log's lines are extra: a failure to build one (no memory) never stops the reader.
template <class Build>
void LogBuilt(const char* format, int lineNumber, int quickKey, Build build) {
    if (!LogActive()) return;
    try {
        LogLine(format, lineNumber, quickKey, build().c_str());
    } catch (...) {
    }
}

// Tries one line against every slot key.
void ApplyLine(const std::string& line, int lineNumber) {
    const QuickItemLine parsed = ParseQuickItemLine(line);
    for (std::size_t j = 0; j < quickSlotCount; ++j) {
        const int quickKey = firstQuickKey + static_cast<int>(j);
        if (!parsed.namesSlot.at(j) || parsed.marksEmpty.at(j)) continue;
        if (parsed.localId.empty() || parsed.dataFile.empty()) {
            LogLine("Items: line %d not restored (slot %d): %s: %s", lineNumber, quickKey,
                    parsed.localId.empty() ? "no local id" : "no data file", line.c_str());
            continue;
        }
        Game::Form* form = ResolveFormLocator(parsed.localId, parsed.dataFile);
        if (!form) {  // the item or its data file is not in this game
            LogBuilt("Items: line %d not restored (slot %d): %s", lineNumber, quickKey,
                     [&] { return WhyNotFoundText(parsed); });
            continue;
        }
        if (!VerifyQuickItem(form, quickKey)) {
            LogLine("Items: line %d not restored (slot %d): the plug-in refuses the item (form type %u)", lineNumber,
                    quickKey, static_cast<unsigned>(Game::StoredFormType(form)));
            continue;
        }
        LogBuilt("Items: line %d restored slot %d: %s", lineNumber, quickKey, [&] {
            return LogFormText(form) + " (" + parsed.localId + " from " + parsed.dataFile + ")";
        });
        quickItems.at(j) = form;
        // One form never sits in two slots: the slot named later keeps it.
        for (std::size_t k = 0; k < quickSlotCount; ++k) {
            if (k != j && quickItems.at(k) == form) {
                LogLine("Items: slot %d emptied: line %d puts the same item in slot %d",
                        firstQuickKey + static_cast<int>(k), lineNumber, quickKey);
                quickItems.at(k) = nullptr;
                break;
            }
        }
    }
}

}  // namespace

// The line's item is the text between its last two bars, its data file the
// text after the last bar; a key may stand anywhere in the line.
QuickItemLine ParseQuickItemLine(const std::string& line) {
    QuickItemLine parsed;
    const std::size_t lastBar = line.rfind('|');
    const std::size_t prevBar = lastBar == std::string::npos || lastBar == 0 ? std::string::npos
                                                                              : line.rfind('|', lastBar - 1);
    if (prevBar != std::string::npos) parsed.localId = line.substr(prevBar + 1, lastBar - prevBar - 1);
    if (lastBar != std::string::npos) parsed.dataFile = line.substr(lastBar + 1);
    for (std::size_t j = 0; j < quickSlotCount; ++j) {
        const std::string key = "QuickKey" + std::to_string(firstQuickKey + static_cast<int>(j)) + " |";
        parsed.namesSlot.at(j) = line.find(key) != std::string::npos;
        parsed.marksEmpty.at(j) = parsed.namesSlot.at(j) && line.find(key + "|None") != std::string::npos;
    }
    return parsed;
}

void ReloadFavoriteItems() {
    quickItems.fill(nullptr);
    const std::string name = GetPlayerID(true);
    const std::string path = pluginFolder + name;
    if (!SettingsFileExists(pluginFolder, name)) {
        LogLine("Items: player id %s has no items file in %s: every slot empty", PlayerIdText().c_str(),
                pluginFolder.c_str());
        return;
    }
    LogLine("Items: player id %s, reading %s", PlayerIdText().c_str(), path.c_str());

    // Read as bytes in every build; a CR before the line feed is dropped
    // below, as a text-mode stream would drop it.
    std::ifstream in(NativePath(path), std::ios::in | std::ios::binary);
    bool failed = false;
    if (!in.is_open()) {
        ReportError("Velloquin::ReloadFavoriteItems", 697, OpenErrorText(path, 1));
        failed = true;
    }
    if (in.bad()) {
        ReportError("Velloquin::ReloadFavoriteItems", 702, OpenErrorText(path, 2));
        failed = true;
    }
    if (in.fail()) {
        ReportError("Velloquin::ReloadFavoriteItems", 707, OpenErrorText(path, 3));
        return;
    }
    if (failed) return;

    try {
        std::string line;
        int lineNumber = 0;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            ApplyLine(line, ++lineNumber);
        }
    } catch (...) {
        // A file too large to hold: the slots read so far stay.
    }
}

}  // namespace Velloquin
