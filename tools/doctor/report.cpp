// The doctor's two reports: plain text for a player, JSON for tools.
#include <ostream>
#include <sstream>
#include <string_view>

#include "base/text.h"
#include "core/redact.h"
#include "doctor/findings.h"

namespace Velloquin::Doctor {

namespace {

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string Where(const Source& source) {
    if (source.file.empty()) return "default";
    return source.file + (source.line > 0 ? " line " + std::to_string(source.line) : std::string());
}

// Breaks text at blanks into lines of at most width characters, each indented.
std::string Wrapped(const std::string& text, const std::string& indent, std::size_t width) {
    std::string out, line = indent;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(pos, end - pos);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > width) {
            out += line + "\n";
            line = indent;
        }
        line += (line.size() > indent.size() ? " " : "") + word;
        pos = end + 1;
    }
    return out + line + "\n";
}

std::string Plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A JSON string, always valid UTF-8: well-formed UTF-8 is copied, and every
// byte that is not part of it is taken as Latin-1 and escaped (a player's
// file may be written in a Windows code page).
// The redaction the report being written applies to every text before it is
// escaped (the bundle's); none for a report on the player's own screen.
const Redaction* jsonRedaction = nullptr;

std::string Json(const std::string& original) {
    static const char digits[] = "0123456789abcdef";
    const std::string text = jsonRedaction ? Redact(original, *jsonRedaction) : original;
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            if (const std::size_t length = Utf8SequenceLength(text, i); length != 0) {
                out.append(text, i, length);
                i += length;
                continue;
            }
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x80) {
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += ch;
        }
        ++i;
    }
    return out + "\"";
}

std::string Json(const Source& source) {
    if (source.file.empty()) return "null";
    return "{\"file\": " + Json(source.file) + ", \"line\": " + std::to_string(source.line) + "}";
}

std::string Json(bool value) { return value ? "true" : "false"; }

const char* Status(int exitCode) { return exitCode == 0 ? "ok" : exitCode == 1 ? "warnings" : "no-settings"; }

}  // namespace

std::string JsonText(const std::string& text) { return Json(text); }

namespace {

// The report as written, before ConsoleText makes what it copies from
// players' files safe to show.
void WriteReport(const Findings& f, std::ostream& out) {
    out << "Velloquin settings doctor\n";
    out << "Game folder: " << f.gameFolder << "\n";
    if (!f.folderEntered) {
        out << "\nThis folder cannot be opened. Give the game folder (the one that holds Data) as the argument.\n";
        return;
    }
    out << "Settings folder: Data\\QVEX\\Plugins\\\n";
    out << "  Velloquin.ini        " << (f.mainFile ? "found, read first" : "not found") << "\n";
    out << "  VelloquinCustom.ini  "
        << (f.customFile ? "found, read second (its values win)" : "not found (it is optional)") << "\n";
    if (!f.pluginLibrary) out << "  Velloquin.dll        not found: is this the game folder, and is the plug-in installed?\n";

    if (!f.mainFile && !f.customFile) {
        out << "\nThere is no settings file, so the plug-in shows every extra slot and binds no key to any of them.\n"
               "Put the Velloquin.ini of the archive into Data\\QVEX\\Plugins\\, or run the doctor in the game folder\n"
               "(or give the game folder as its argument).\n";
    } else {
        out << "\nExtra slots, as the plug-in will use them:\n";
        out << "  Slot  Menu    " << Padded("Key", 33) << "Set by\n";
        for (const SlotState& slot : f.slots) {
            std::string key = "none";
            if (slot.code != 0) {
                key = "0x" + UpperHex(slot.code) + " " + (slot.keyName.empty() ? "(no name)" : slot.chordName);
                if (slot.modifier != 0) key += " (with 0x" + UpperHex(slot.modifier) + ")";
                if (!slot.polled) key += " - never works";
            }
            std::string from = "key: " + Where(slot.codeFrom) + "; " +
                               (slot.modifier != 0 ? "modifier: " + Where(slot.modifierFrom) + "; " : std::string()) +
                               (slot.visible ? "shown: " : "hidden: ") + Where(slot.visibleFrom);
            out << "  " << Padded(std::to_string(slot.quickKey), 6) << Padded(slot.visible ? "shown" : "hidden", 8)
                << Padded(key, 32) << " " << from << "\n";
        }
        if (!f.chords.empty()) {
            out << "\nKeyboard chords (hold the modifier, then press the key):\n";
            for (const ChordState& chord : f.chords) {
                const std::size_t plus = chord.name.find('+');
                const std::string key = chord.name.substr(plus + 1);
                out << "  Slot " << chord.quickKey << ": " << chord.name << ". " << key << " alone "
                    << (chord.keyAloneUses ? "uses slot " + std::to_string(chord.keyAloneUses) : "uses no slot") << ".\n";
            }
            out << Wrapped("The slot is chosen when the key goes down: letting go of the modifier or pressing it while "
                           "the key is held changes nothing until the key is pressed again. A held chord is used "
                           "again every 70 ms, as a held key is.",
                           "  ", 100);
        }
        const GamepadState& pad = f.gamepad;
        if (!pad.quickKeys.empty() || pad.modifier != 0) {
            out << "\nController:\n";
            std::string slots;
            for (int key : pad.quickKeys) slots += (slots.empty() ? "" : ", ") + std::to_string(key);
            out << "  Gamepad quick keys: " << (slots.empty() ? "none" : "slot " + slots) << "\n";
            if (pad.modifier != 0)
                out << "  Modifier: 0x" << UpperHex(pad.modifier) << " " << pad.modifierName << " (" << Where(pad.modifierFrom)
                    << "): gamepad quick keys fire only while it is held.\n";
            else
                out << "  Modifier: none: a gamepad quick key fires at every press of its button.\n";
            if (pad.xinputChecked)
                out << "  XInput: " << (pad.xinputAvailable ? "found" : "not found: the controller cannot be read") << "\n";
        }
        const SaveModifierState& save = f.saveModifier;
        if (save.requested != 0) {
            out << "\nSaving outfits ([Outfits] iSaveModifier):\n";
            out << "  Save modifier: 0x" << UpperHex(save.requested) << " " << save.name << " (" << Where(save.from) << ")"
                << (save.used != 0 ? "\n" : ": ignored (see the warnings)\n");
            if (save.used != 0)
                out << Wrapped("Hold it, then press a slot's key: the slot saves the equipment the character wears "
                               "(up to 12 pieces) as an outfit, and that key alone puts the whole outfit on again.",
                               "  ", 100);
        }
    }

    out << "\nItems files (Data\\QVEX\\Plugins\\Velloquin\\):\n";
    if (!f.itemsFolder) {
        out << "  The folder is missing, so every save of the extra slots fails with a message box (the plug-in\n"
               "  does not make it). Make the folder, or install the plug-in's archive again: it brings the folder\n"
               "  with a ReadMe.txt in it.\n";
    } else if (f.itemsFiles.empty()) {
        out << "  none yet: no character has saved extra slots.\n";
    }
    for (const ItemsFile& file : f.itemsFiles) {
        out << "  " << file.name << (file.lines.empty() ? " (empty: no saved slots)" : "") << "\n";
        for (const ItemsLine& line : file.lines) {
            std::string slots;
            for (int key : line.quickKeys)
                slots += (slots.empty() ? (line.outfitLine ? "outfit " : "slot ") : ", ") + std::to_string(key);
            std::string what;
            if (line.status == "piece") what = "piece " + line.localId + " from " + line.dataFile;
            else if (line.status == "empty") what = "empty (None)";
            else if (line.status == "skipped") what = "skipped: " + line.text;
            else if (line.status != "replaced") what = "item " + line.localId + " from " + line.dataFile;
            else if (line.movedTo != 0)
                what = "item " + line.localId + " from " + line.dataFile + " (line " + std::to_string(line.replacedBy) +
                       " moves it to slot " + std::to_string(line.movedTo) + ")";
            else
                what = "item " + line.localId + " from " + line.dataFile + " (line " + std::to_string(line.replacedBy) +
                       " takes the slot if the game has its item)";
            out << "    line " << Padded(std::to_string(line.line), 4) << Padded(slots, 14) << " " << what << "\n";
        }
        for (const ItemsOutfit& outfit : file.outfits) {
            std::string pieces;
            for (int piece : outfit.pieceLines) {
                for (const ItemsLine& line : file.lines)
                    if (line.line == piece)
                        pieces += (pieces.empty() ? "" : ", ") + line.localId + " from " + line.dataFile;
            }
            out << "    outfit in slot " << outfit.slot << ", " << outfit.pieceLines.size() << " pieces: " << pieces
                << "\n";
        }
    }
    for (const std::string& name : f.itemsFolderOthers)
        out << "  " << name << " (not an items file: the plug-in never reads it)\n";
    if (!f.itemsFiles.empty())
        out << "  Whether each item still exists is known only in the game: an item whose data file is no\n"
               "  longer loaded leaves its slot empty.\n";
    bool anyOutfit = false;
    for (const ItemsFile& file : f.itemsFiles) anyOutfit = anyOutfit || !file.outfits.empty();
    if (anyOutfit)
        out << "  Outfits hold armour and clothes only: the game skips a piece of another kind, and when a slot's\n"
               "  own line names another kind the slot holds that item alone, without its outfit lines. A piece\n"
               "  the game no longer has is skipped; an outfit left with one piece is a single item. The game's\n"
               "  log names each line it did not restore.\n";

    if (!f.warnings.empty()) {
        out << "\nWarnings:\n";
        for (const Warning& w : f.warnings) {
            out << "  " << w.file;
            if (w.line > 0) out << " line " << w.line;
            if (!w.text.empty()) out << ": " << w.text;
            out << "\n" << Wrapped(w.message, "    ", 100);
        }
    }
    WriteLogText(f.log, out);
    out << "\n";
    if (f.exitCode == 2) out << "No settings found.\n";
    else if (f.warnings.empty() && !f.log.file.empty() && !f.log.nothingWrong())
        out << "No problems found in the settings; the last game's log shows what went wrong (above).\n";
    else if (f.warnings.empty()) out << "No problems found.\n";
    else out << Plural(f.warnings.size(), "warning.", "warnings.") << "\n";
}

}  // namespace

std::string ConsoleText(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    const auto escape = [&](const char* prefix, unsigned value) {
        out += prefix;
        out += digits[(value >> 4) & 15];
        out += digits[value & 15];
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            escape("\\x", c);  // not UTF-8: the byte itself, as a number
            ++i;
        } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            escape("\\u00", static_cast<unsigned char>(text[i + 1]));  // C1 controls (U+0080 to U+009F)
            i += 2;
        } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
            escape("\\x", c);
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

void WriteText(const Findings& f, std::ostream& out) {
    std::ostringstream report;
    WriteReport(f, report);
    out << ConsoleText(report.str());
}

void WriteJson(const Findings& f, std::ostream& out, const Redaction* redaction) {
    jsonRedaction = redaction;
    struct Reset {
        ~Reset() { jsonRedaction = nullptr; }
    } reset;
    out << "{\n  \"gameFolder\": " << Json(f.gameFolder) << ",\n";
    out << "  \"status\": " << Json(std::string(Status(f.exitCode))) << ",\n";
    out << "  \"exitCode\": " << f.exitCode << ",\n";
    out << "  \"settingsFiles\": {\"Velloquin.ini\": " << Json(f.mainFile)
        << ", \"VelloquinCustom.ini\": " << Json(f.customFile) << "},\n";
    out << "  \"pluginLibrary\": " << Json(f.pluginLibrary) << ",\n";
    out << "  \"slots\": [";
    for (std::size_t i = 0; i < f.slots.size(); ++i) {
        const SlotState& s = f.slots[i];
        out << (i ? ",\n" : "\n") << "    {\"quickKey\": " << s.quickKey << ", \"visible\": " << Json(s.visible)
            << ", \"visibleFrom\": " << Json(s.visibleFrom) << ", \"keyCode\": " << s.code
            << ", \"keyCodeHex\": " << Json(UpperHex(s.code)) << ", \"keyName\": " << Json(s.keyName)
            << ", \"keyFrom\": " << Json(s.codeFrom) << ", \"keyWorks\": " << Json(s.polled)
            << ", \"modifier\": " << s.modifier << ", \"modifierHex\": " << Json(UpperHex(s.modifier))
            << ", \"modifierName\": " << Json(s.modifierName) << ", \"modifierFrom\": " << Json(s.modifierFrom)
            << ", \"chordName\": " << Json(s.chordName) << "}";
    }
    out << (f.slots.empty() ? "],\n" : "\n  ],\n");
    out << "  \"gamepad\": {\"modifier\": " << f.gamepad.modifier << ", \"modifierHex\": " << Json(UpperHex(f.gamepad.modifier))
        << ", \"modifierName\": " << Json(f.gamepad.modifierName) << ", \"modifierFrom\": " << Json(f.gamepad.modifierFrom)
        << ", \"quickKeys\": [";
    for (std::size_t i = 0; i < f.gamepad.quickKeys.size(); ++i) out << (i ? ", " : "") << f.gamepad.quickKeys[i];
    out << "], \"xinput\": " << Json(std::string(!f.gamepad.xinputChecked ? "not-checked" : f.gamepad.xinputAvailable ? "found" : "missing"))
        << "},\n";
    out << "  \"saveModifier\": {\"requested\": " << f.saveModifier.requested << ", \"used\": " << f.saveModifier.used
        << ", \"name\": " << Json(f.saveModifier.name) << ", \"from\": " << Json(f.saveModifier.from) << "},\n";
    out << "  \"chords\": [";
    for (std::size_t i = 0; i < f.chords.size(); ++i) {
        const ChordState& c = f.chords[i];
        out << (i ? ",\n" : "\n") << "    {\"quickKey\": " << c.quickKey << ", \"name\": " << Json(c.name)
            << ", \"modifier\": " << c.modifier << ", \"keyCode\": " << c.code << ", \"keyAloneUses\": "
            << (c.keyAloneUses ? std::to_string(c.keyAloneUses) : std::string("null")) << "}";
    }
    out << (f.chords.empty() ? "],\n" : "\n  ],\n");
    out << "  \"itemsFolder\": " << Json(f.itemsFolder) << ",\n";
    out << "  \"itemsFiles\": [";
    for (std::size_t i = 0; i < f.itemsFiles.size(); ++i) {
        const ItemsFile& file = f.itemsFiles[i];
        out << (i ? ",\n" : "\n") << "    {\"file\": " << Json(file.name) << ", \"lines\": [";
        for (std::size_t j = 0; j < file.lines.size(); ++j) {
            const ItemsLine& line = file.lines[j];
            out << (j ? ",\n" : "\n") << "      {\"line\": " << line.line << ", \"quickKeys\": [";
            for (std::size_t k = 0; k < line.quickKeys.size(); ++k) out << (k ? ", " : "") << line.quickKeys[k];
            out << "], \"outfitLine\": " << Json(line.outfitLine) << ", \"localId\": " << Json(line.localId)
                << ", \"dataFile\": " << Json(line.dataFile)
                << ", \"status\": " << Json(line.status) << ", \"replacedBy\": " << line.replacedBy
                << ", \"movedTo\": " << line.movedTo << ", \"text\": " << Json(line.text) << "}";
        }
        out << (file.lines.empty() ? "]" : "\n    ]") << ", \"outfits\": [";
        for (std::size_t j = 0; j < file.outfits.size(); ++j) {
            out << (j ? ", " : "") << "{\"slot\": " << file.outfits[j].slot << ", \"pieceLines\": [";
            for (std::size_t k = 0; k < file.outfits[j].pieceLines.size(); ++k)
                out << (k ? ", " : "") << file.outfits[j].pieceLines[k];
            out << "]}";
        }
        out << "]}";
    }
    out << (f.itemsFiles.empty() ? "],\n" : "\n  ],\n");
    out << "  \"itemsFolderOtherFiles\": [";
    for (std::size_t i = 0; i < f.itemsFolderOthers.size(); ++i) out << (i ? ", " : "") << Json(f.itemsFolderOthers[i]);
    out << "],\n";
    out << "  \"warnings\": [";
    for (std::size_t i = 0; i < f.warnings.size(); ++i) {
        const Warning& w = f.warnings[i];
        out << (i ? ",\n" : "\n") << "    {\"file\": " << Json(w.file) << ", \"line\": " << w.line
            << ", \"code\": " << Json(std::string(CodeOf(w.kind))) << ", \"text\": " << Json(w.text) << ", \"message\": " << Json(w.message)
            << "}";
    }
    out << (f.warnings.empty() ? "],\n" : "\n  ],\n");
    WriteLogJson(f.log, out);
    out << "}\n";
}

}  // namespace Velloquin::Doctor
