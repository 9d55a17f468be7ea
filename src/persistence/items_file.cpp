// The items file's writer: one line per saved slot, naming the slot's item by
// its defining data file and its local id, so that the file survives a change
// of the load order.
#include "persistence/items_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "items/form_text.h"
#include "persistence/form_identity.h"
#include "platform/paths.h"
#include "core/error_report.h"
#include "core/log.h"
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

std::string OpenErrorText(const std::string& path, int code) {
    return path + " couldn't be opened, error code: " + std::to_string(code);
}

int KindOfFile(const Game::DataFile* file) {
    const std::uint8_t index = DataFileIndex(file);
    return index == 0xFE ? Small : index == 0xFD ? Medium : Full;
}

// The slots' lines, in slot order; refused items are reported and left out.
// Returns the number of lines.
int WriteQuickItems(std::ostream& out) {
    int lines = 0;
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        const int quickKey = firstQuickKey + static_cast<int>(i);
        const Game::Form* form = quickItems.at(i);
        if (!form) continue;
        if (!VerifyQuickItem(form, quickKey)) continue;
        const Game::DataFile* file = FindDefiningFile(form);
        if (!file) {  // not in any counting data file: nothing that could name it later
            if (LogActive()) {
                try {
                    LogLine("Save: slot %d not saved: %s is in no data file that counts", quickKey,
                            LogFormText(form).c_str());
                } catch (...) {  // the log never stops the save
                }
            }
            continue;
        }
        out << "QuickKey" << quickKey << " |" << GetLocalFormID(form, KindOfFile(file)) << "|" << DataFileName(file)
            << lineEnd;
        ++lines;
    }
    return lines;
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

std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension) {
    namespace fs = std::filesystem;
    // A folder that is missing or cannot be listed gives an empty listing.
    try {
        const std::string native = NativePath(folder);
        const fs::path directory(std::u8string(native.begin(), native.end()));
        std::error_code error;
        const fs::file_status status = fs::status(directory, error);
        if (error || !fs::exists(status)) return {};

        std::vector<std::string> names;
        fs::directory_iterator entry(directory, error);
        if (error) return {};
        for (; entry != fs::directory_iterator(); entry.increment(error)) {
            std::error_code entryError;
            if (!fs::is_regular_file(entry->status(entryError)) || entryError) continue;
            const std::u8string utf8 = entry->path().u8string();
            const std::string path(utf8.begin(), utf8.end());
            const std::size_t dot = path.rfind('.');
            if (dot == std::string::npos) continue;
            // Case-sensitive, and only as many bytes as the extension has.
            if (path.compare(dot, extension.size(), extension) != 0) continue;
            const std::size_t separator = path.find_last_of("/\\");
            std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
            std::erase_if(name, [](char c) { return c == '\n' || c == '\0'; });
            names.push_back(std::move(name));
        }
        if (error) return {};
        return names;
    } catch (...) {
        return {};
    }
}

// The new content goes to a temporary file beside the items file, which then
// replaces the items file in one step: whenever the process ends, the items
// file holds either the old or the new content, never a part of either.
void FlushQuickItemsToFile() {
    const std::string name = GetPlayerID(false);
    const std::string path = pluginFolder + name;
    const std::string temporaryPath = path + ".tmp";

    std::ofstream out(NativePath(temporaryPath), std::ios::out | std::ios::binary | std::ios::trunc);
    bool failed = false;
    if (!out.is_open()) {
        ReportError("Velloquin::FlushQuickItemsToFile", 467, OpenErrorText(path, 1));
        failed = true;
    }
    if (out.fail()) {
        ReportError("Velloquin::FlushQuickItemsToFile", 472, OpenErrorText(path, 1));
        failed = true;
    }
    if (out.bad()) {
        ReportError("Velloquin::FlushQuickItemsToFile", 477, OpenErrorText(path, 1));
        failed = true;
    }
    if (failed) {
        out.close();
        RemoveQuietly(temporaryPath);
        LogLine("Save failed: %s cannot be made (is the folder %s there?)", temporaryPath.c_str(), pluginFolder.c_str());
        return;
    }

    int lines = 0;
    try {
        lines = WriteQuickItems(out);
    } catch (...) {
        out.setstate(std::ios::badbit);
    }
    out.close();
    // A file that could not be written completely never replaces the old one.
    if (!out) {
        RemoveQuietly(temporaryPath);
        LogLine("Save failed: %s could not be written completely; %s is left as it was", temporaryPath.c_str(),
                path.c_str());
        return;
    }
    if (ReplaceFileInOneStep(temporaryPath, path)) {
        LogLine("Saved %d line%s to %s", lines, lines == 1 ? "" : "s", path.c_str());
    } else {
        // The items file itself cannot be written (read-only, a folder, in use): as when it cannot be opened.
        LogLine("Save failed: %s cannot be replaced (read-only, a folder, or in use)", path.c_str());
        RemoveQuietly(temporaryPath);
        ReportError("Velloquin::FlushQuickItemsToFile", 467, OpenErrorText(path, 1));
        ReportError("Velloquin::FlushQuickItemsToFile", 472, OpenErrorText(path, 1));
    }
}

}  // namespace Velloquin
