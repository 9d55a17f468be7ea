// What the doctor found, shared by its checks and its two report formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/redact.h"
#include "doctor/warning_kinds.h"

namespace Velloquin::Doctor {

// Where a setting came from; line 0 with a file means the file gave it but
// the line could not be told, an empty file means the built-in default.
struct Source {
    std::string file;
    int line = 0;
};

struct Warning {
    std::string file;  // "Velloquin.ini", "VelloquinCustom.ini", "Velloquin\VelloquinItems_2A.txt", ...
    int line = 0;      // 0 when the warning is about the whole file
    WarningKind kind;  // --json prints CodeOf(kind), e.g. "already-bound"
    std::string text;  // the line as written (trimmed), if any
    std::string message;
};

struct SlotState {
    int quickKey = 0;
    bool visible = true;
    Source visibleFrom;
    std::uint32_t code = 0;
    std::string keyName;
    Source codeFrom;
    bool polled = false;  // a press of the key is noticed
    // Keyboard chords: the modifier held with the key (0: the key alone).
    std::uint32_t modifier = 0;
    std::string modifierName;
    Source modifierFrom;  // the [QuickKeyModifiers] value that set it
    std::string chordName;  // "Shift+F1", or the key's name alone
};

// A slot used by a chord, and what its key does alone.
struct ChordState {
    int quickKey = 0;
    std::uint32_t modifier = 0;
    std::uint32_t code = 0;
    std::string name;      // "Shift+F1"
    int keyAloneUses = 0;  // the slot the key uses without a modifier of its chords; 0: none
};

// The controller: the modifier of [Gamepad] and the slots bound to gamepad buttons.
struct GamepadState {
    std::uint32_t modifier = 0;  // 0: none
    std::string modifierName;
    Source modifierFrom;         // the value that set it (or cleared it with 0)
    std::vector<int> quickKeys;  // the slots whose key is a gamepad button
    bool xinputChecked = false;  // Windows, with a gamepad quick key bound
    bool xinputAvailable = false;
};

// The outfit save modifier of [Outfits] iSaveModifier.
struct SaveModifierState {
    std::uint32_t requested = 0;  // as the files give it (0: off)
    std::uint32_t used = 0;       // as the plug-in uses it: 0 when off or ignored
    std::string name;             // the requested code's name
    Source from;                  // the value that set it (or turned it off with 0)
};

struct ItemsLine {
    int line = 0;
    std::string text;
    std::vector<int> quickKeys;  // the slots the line names
    bool markedEmpty = false;    // "|None" after the key
    std::string localId;
    std::string dataFile;
    bool outfitLine = false;     // an "Outfit" n " |" line: quickKeys are the outfits it adds to
    std::string status;          // "item", "empty", "skipped", "replaced"; "piece" for an outfit's further piece
    // "replaced": the later line that names the slot again (or the same item
    // for another slot), and that slot's number when the item moves there.
    int replacedBy = 0;
    int movedTo = 0;
};

// An outfit slot as the plug-in reads it when the game has its items and
// they are armour or clothes: its slot, and its pieces' lines, the first
// piece's line first (the slot line, or the first outfit line when the slot
// line names no item).
struct ItemsOutfit {
    int slot = 0;
    std::vector<int> pieceLines;
};

struct ItemsFile {
    std::string name;
    std::vector<ItemsLine> lines;
    std::vector<ItemsOutfit> outfits;  // in slot order
};

// What the last game session's log says went wrong (doctor/log_check.cpp).
struct LogBox {
    std::string function;  // with " line <text>" when that text is no line number
    int line = 0;          // 0: none could be read
    std::string text;
    std::string answer;  // "Yes", "No", "fatal", "none" (not answered), "" (the log ends before the answer)
};

struct LogFindings {
    struct Place {
        std::string path;  // as shown: %USERPROFILE%\... or Data\...
        bool found = false;
    };
    std::vector<Place> looked;   // where the doctor looked, in order
    std::string file;            // the log it read; empty when none was found
    int lines = 0;
    std::string pluginVersion;   // e.g. "2.1", from the log's version line
    bool pluginVersionDiffers = false;  // not the version of this doctor
    std::string gameVersionLine;        // the version line, when the game's version is not one the plug-in is made for
    std::vector<LogBox> boxes;
    std::vector<std::string> notRestored;  // "line 2 (slot 13): the data file Armory.esm is not loaded"
    std::vector<std::string> saveFailures;
    std::vector<std::string> startProblems;  // the trampoline's diagnostic lines
    std::string inactive;                    // why the plug-in went inactive; empty when it did not
    bool sizeLimitReached = false;
    bool turnedOff = false;                  // [Log] bEnabled=0 stopped it during the session
    bool cut = false;                        // the file was longer than logReadLimit: the rest was not read
    bool nothingWrong() const {
        return boxes.empty() && notRestored.empty() && saveFailures.empty() && startProblems.empty() &&
               inactive.empty() && !pluginVersionDiffers && gameVersionLine.empty();
    }
};

struct Findings {
    std::string gameFolder;
    bool folderEntered = false;
    bool mainFile = false;
    bool customFile = false;
    bool pluginLibrary = false;
    std::vector<SlotState> slots;
    GamepadState gamepad;
    std::vector<ChordState> chords;
    SaveModifierState saveModifier;
    bool itemsFolder = false;
    std::vector<ItemsFile> itemsFiles;
    // The other files in the items folder (not its read-me or logs): the plug-in never reads them.
    std::vector<std::string> itemsFolderOthers;
    std::vector<Warning> warnings;
    LogFindings log;
    int exitCode = 0;
};

// Runs the checks on the files below gameFolder (empty: the current folder)
// and sets exitCode. The current folder and the plug-in's slot arrays are
// left as they were.
Findings Examine(const std::string& gameFolder);

// The items files in itemsFolder (the plug-in's folder below the game folder):
// exactly those IsItemsFileName takes; the other files are named as ones
// the plug-in never reads (a warning when the name looks like an items file's).
void CheckItemsFiles(Findings& findings, const std::string& itemsFolder);
// The names of the files in the items folder (UTF-8, sorted); empty when it cannot be listed.
std::vector<std::string> ItemsFolderFiles(const std::string& itemsFolder);
// What only the game knows of outfits, from the last session's log (read by
// CheckLog first): outfit lines it skipped for the kind of their items.
void CheckOutfitKinds(Findings& findings);
// Reads the last game session's log (the Documents folder's log folder, or
// beside the items files below gameFolder): the newest of Velloquin.log and
// Velloquin.new.log (written when Velloquin.log was held) in either place.
void CheckLog(Findings& findings, const std::string& gameFolder);
// The log's lines (with or without their time column) as the doctor reads them.
LogFindings ReadLogLines(const std::vector<std::string>& lines);
// The most of a log the doctor reads: the plug-in stops its log at
// logSizeLimit; anything longer was not written by it alone.
inline constexpr std::size_t logReadLimit = std::size_t{1} << 20;
// A log's lines read from a stream of bytes (LF or CR LF ends), at most
// `limit` bytes of it (LogFindings::cut when more were there), keeping only
// what the report shows: time and memory grow with the bytes read.
LogFindings ReadLogStream(std::istream& in, std::size_t limit);
void WriteLogText(const LogFindings& log, std::ostream& out);
void WriteLogJson(const LogFindings& log, std::ostream& out);

void WriteText(const Findings& findings, std::ostream& out);
// With a redaction, every text is redacted before it is escaped.
void WriteJson(const Findings& findings, std::ostream& out, const Redaction* redaction = nullptr);

// A JSON string of any bytes (valid UTF-8; other bytes taken as Latin-1).
std::string JsonText(const std::string& text);

// Text for a console or a text file, whatever bytes it copies from players'
// files: well-formed UTF-8 stays, line feeds and tabs stay; control bytes
// (ESC, BEL, CR, DEL) become "\x1B", C1 controls "\u009B", and bytes that are
// not UTF-8 (a code page's letters) "\xE9". WriteText passes all it writes
// through it.
std::string ConsoleText(std::string_view text);

}  // namespace Velloquin::Doctor
