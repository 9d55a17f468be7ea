// The items file's writer: one line per saved slot, naming the slot's item by
// its defining data file and its local id, so that the file survives a change
// of the load order.
#include "persistence/items_file.h"

#include <iterator>
#include <sstream>

#include "items/form_text.h"
#include "persistence/form_identity.h"
#include "platform/paths.h"
#include "platform/win32.h"
#include "core/error_report.h"
#include "core/log.h"
#include "game/game.h"
#include "core/slots.h"
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

// The line naming `form` after `key` and the slot's number ("QuickKey12 |…"
// or "Outfit12 |…"), or false
// (with a log line) when the form is in no data file that counts.
bool WriteFormLine(std::ostream& out, const char* key, int quickKey, const Game::Form* form, bool outfitPiece) {
    const Game::DataFile* file = FindDefiningFile(form);
    if (!file) {  // not in any counting data file: nothing that could name it later
        if (LogActive()) {
            try {
                LogLine("Save: slot %d%s not saved: %s is in no data file that counts", quickKey,
                        outfitPiece ? " (an outfit piece)" : "", LogFormText(form).c_str());
            } catch (...) {  // the log never stops the save
            }
        }
        return false;
    }
    out << key << quickKey << " |" << GetLocalFormID(form, KindOfFile(file)) << "|" << DataFileName(file) << lineEnd;
    return true;
}

// An outfit's lines: its first piece that can be written on the slot's line,
// each further one on an outfit line, in order. Pieces are checked without a
// box (the save that made the outfit took equipment only). Returns the number
// of lines.
int WriteOutfit(std::ostream& out, std::size_t i) REQUIRES(stateMutex) {
    const int quickKey = firstQuickKey + static_cast<int>(i);
    std::size_t count = 0;
    Game::Form* const* pieces = SlotPieces(i, count);
    int lines = 0;
    for (std::size_t p = 0; p < count; ++p) {
        const Game::Form* piece = pieces[p];
        if (!piece || GetFormID(piece) == 0 || Game::StoredFormType(piece) != typeEquipment) {
            LogLine("Save: slot %d (an outfit piece) not saved: no equipment", quickKey);
            continue;
        }
        if (WriteFormLine(out, lines == 0 ? "QuickKey" : "Outfit", quickKey, piece, true)) ++lines;
    }
    return lines;
}

// The slots' lines, in slot order; refused items are reported and left out.
// Returns the number of lines.
int WriteQuickItems(std::ostream& out) REQUIRES(stateMutex) {
    int lines = 0;
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        const int quickKey = firstQuickKey + static_cast<int>(i);
        if (IsOutfitSlot(i)) {
            lines += WriteOutfit(out, i);
            continue;
        }
        const Game::Form* form = quickItems.at(i);
        if (!form) continue;
        if (!VerifyQuickItem(form, quickKey)) continue;
        if (WriteFormLine(out, "QuickKey", quickKey, form, false)) ++lines;
    }
    return lines;
}

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

namespace {

// Another program (a virus scanner, a cloud-sync client, an editor) may hold
// the items file or the new temporary file open for a moment; Windows then
// refuses the replace. The save tries again a few times, waiting 150 ms at
// most in all on the game's thread, before it gives up.
constexpr DWORD replaceWaits[] = {10, 20, 40, 80};

bool HeldForAMoment(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

bool ReplaceRetryingBriefly(const std::string& source, const std::string& target) {
    for (std::size_t attempt = 0;; ++attempt) {
        if (ReplaceFileInOneStep(source, target)) return true;
        if (attempt == std::size(replaceWaits) || !HeldForAMoment(GetLastError())) return false;
        Sleep(replaceWaits[attempt]);
    }
}

// Writes all of `bytes` and pushes them to the disk, then closes the file.
// False when any of it failed (a full disk writes part of the bytes).
bool WriteAllAndClose(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    bool complete = bytes.size() <= 0xFFFFFFFFu &&
                    (bytes.empty() ||
                     WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) &&
                    written == bytes.size() && FlushFileBuffers(file);
    complete = CloseHandle(file) && complete;
    return complete;
}

void DeleteQuietly(const std::string& path) { DeleteFileA(NativePath(path).c_str()); }

}  // namespace

// The new content goes to a temporary file beside the items file (its name
// ends in ".tmp", so nothing reads it as an items file), which then replaces
// the items file in one step: whenever the process ends, the items file holds
// either the old or the new content, never a part of either. A temporary file
// left by an earlier save that did not end is overwritten.
void FlushQuickItemsToFile() {
    const std::string name = GetPlayerID(false);
    const std::string path = pluginFolder + name;
    const std::string temporaryPath = path + ".tmp";

    const HANDLE file = CreateFileA(NativePath(temporaryPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        LogLine("Save failed: %s cannot be made (is the folder %s there?)", temporaryPath.c_str(), pluginFolder.c_str());
        // As a stream that could not be opened: not open (467), and in the fail state (472).
        ReportError("Velloquin::FlushQuickItemsToFile", 467, ItemsFileOpenError(path, 1));
        ReportError("Velloquin::FlushQuickItemsToFile", 472, ItemsFileOpenError(path, 1));
        return;
    }

    std::ostringstream content;
    int lines = 0;
    try {
        lines = WriteQuickItems(content);
    } catch (...) {
        content.setstate(std::ios::badbit);
    }
    // A file that could not be written completely (a full disk, a failing
    // write) never replaces the old one; like every write error after the
    // open, it is not reported in a box.
    if (!WriteAllAndClose(file, content.str()) || !content) {
        DeleteQuietly(temporaryPath);
        LogLine("Save failed: %s could not be written completely; %s is left as it was", temporaryPath.c_str(),
                path.c_str());
        return;
    }
    if (ReplaceRetryingBriefly(temporaryPath, path)) {
        LogLine("Saved %d line%s to %s", lines, lines == 1 ? "" : "s", path.c_str());
    } else {
        // The items file itself cannot be written (read-only, a folder, held by another program): as when it
        // cannot be opened. The old file stays whole.
        LogLine("Save failed: %s cannot be replaced (read-only, a folder, or in use)", path.c_str());
        DeleteQuietly(temporaryPath);
        ReportError("Velloquin::FlushQuickItemsToFile", 467, ItemsFileOpenError(path, 1));
        ReportError("Velloquin::FlushQuickItemsToFile", 472, ItemsFileOpenError(path, 1));
    }
}

}  // namespace Velloquin
