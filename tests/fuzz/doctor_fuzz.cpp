// Fuzzes velloquin-doctor on arbitrary settings and items files. Properties
// checked for every input:
// - the --json report is valid UTF-8 (no overlong forms, no surrogates,
//   nothing beyond U+10FFFF) and valid JSON;
// - both reports give the same exit status, the one the JSON states;
// - both reports show each slot as the plug-in's own settings load leaves it
//   (shown or hidden, and its key code), and --json the outfit save modifier;
// - when every item the items file names exists in the game and may stand in
//   a slot (and, in a file with outfit lines, is armour or clothes), the lines
//   the doctor says take effect hold exactly the items the plug-in's own
//   reader puts into the slots, one line per filled slot; otherwise every item
//   of those lines that the game has is in a slot (in a file with outfit
//   lines, where one item may fill several slots, in one slot at least);
//   unless a master id is wider than 24 bits (the item of another data file,
//   unknown without the load order), where the doctor must warn at that line.
// Input: Velloquin.ini, then "@@@@\n" and VelloquinCustom.ini, then "@@@@\n"
// and the character's items file; a file whose part is absent is not written.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/state.h"
#include "config/settings.h"
#include "datafiles.h"
#include "doctor/doctor.h"
#include "host.h"
#include "recorder.h"
#include "persistence/form_identity.h"
#include "persistence/items_file.h"

namespace {

namespace fs = std::filesystem;

fs::path gameFolder;
const fs::path settingsFolder = fs::path("Data") / "QVEX" / "Plugins";
const fs::path itemsPath = settingsFolder / "Velloquin" / "VelloquinItems_2A.txt";

void Check(bool condition, const char* what, const std::string& report = {}) {
    if (!condition) {
        std::fprintf(stderr, "doctor: %s\n%s\n", what, report.c_str());
        std::abort();
    }
}

bool ValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const int extra = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) return false;
        for (int k = 2; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

// A JSON value, as much of it as the checks read.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // strings: ASCII kept, everything else dropped
    std::vector<Json> items;
    std::map<std::string, Json> members;

    const Json& operator[](const std::string& name) const {
        static const Json none;
        const auto it = members.find(name);
        return it == members.end() ? none : it->second;
    }
};

// A strict parser of RFC 8259 JSON; false on anything else.
class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    bool Document(Json& value) {
        Blank();
        if (!Value(value, 0)) return false;
        Blank();
        return pos_ == text_.size();
    }

private:
    void Blank() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool Take(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
        return false;
    }
    bool Word(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }
    static int HexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    // Four hexadecimal digits of a \u escape, or -1.
    int Unit() {
        int unit = 0;
        for (int k = 0; k < 4; ++k) {
            if (pos_ >= text_.size() || HexValue(text_[pos_]) < 0) return -1;
            unit = unit * 16 + HexValue(text_[pos_++]);
        }
        return unit;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (pos_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[pos_++]);
            if (c == '"') return true;
            if (c < 0x20) return false;
            if (c != '\\') {
                if (c < 0x80) out += static_cast<char>(c);
                continue;
            }
            if (pos_ >= text_.size()) return false;
            const char e = text_[pos_++];
            if (e == 'u') {
                const int unit = Unit();
                if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return false;
                // An escaped surrogate stands only in a pair.
                if (unit >= 0xD800 && unit <= 0xDBFF) {
                    if (!Word("\\u")) return false;
                    const int low = Unit();
                    if (low < 0xDC00 || low > 0xDFFF) return false;
                }
                if (unit < 0x80) out += static_cast<char>(unit);
            } else if (std::string_view("\"\\/bfnrt").find(e) != std::string_view::npos) {
                out += e;
            } else {
                return false;
            }
        }
        return false;
    }
    bool NumberValue(double& out) {
        const std::size_t start = pos_;
        Take('-');
        if (Take('0')) {
        } else if (pos_ < text_.size() && text_[pos_] >= '1' && text_[pos_] <= '9') {
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        } else {
            return false;
        }
        if (Take('.')) {
            if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return false;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        }
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return false;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        }
        out = std::strtod(std::string(text_.substr(start, pos_ - start)).c_str(), nullptr);
        return true;
    }
    bool Value(Json& value, int depth) {
        if (depth > 64 || pos_ >= text_.size()) return false;
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            value.kind = Json::Object;
            Blank();
            if (Take('}')) return true;
            do {
                Blank();
                std::string name;
                if (!String(name)) return false;
                Blank();
                if (!Take(':')) return false;
                Blank();
                if (!Value(value.members[name], depth + 1)) return false;
                Blank();
            } while (Take(','));
            return Take('}');
        }
        if (c == '[') {
            ++pos_;
            value.kind = Json::Array;
            Blank();
            if (Take(']')) return true;
            do {
                Blank();
                if (!Value(value.items.emplace_back(), depth + 1)) return false;
                Blank();
            } while (Take(','));
            return Take(']');
        }
        if (c == '"') return value.kind = Json::String, String(value.text);
        if (Word("true")) return value.kind = Json::Bool, value.boolean = true;
        if (Word("false")) return value.kind = Json::Bool, true;
        if (Word("null")) return true;
        value.kind = Json::Number;
        return NumberValue(value.number);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(gameFolder / path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(value));
    return text;
}

// The items file's lines as the plug-in reads them, by number from 1.
std::vector<std::string> ItemLines() {
    std::ifstream in(gameFolder / itemsPath, std::ios::binary);
    std::vector<std::string> lines{""};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The item a line names, when it exists in the game and may stand in a slot.
const Velloquin::Game::Form* UsableItem(const std::string& line) {
    const Velloquin::QuickItemLine parsed = Velloquin::ParseQuickItemLine(line);
    if (parsed.localId.empty() || parsed.dataFile.empty()) return nullptr;
    Velloquin::Game::Form* form = Velloquin::ResolveFormLocator(parsed.localId, parsed.dataFile);
    const bool usable = form && Velloquin::VerifyQuickItem(form, Velloquin::firstQuickKey);
    TestHost::ClearBoxes();
    return usable ? form : nullptr;
}

bool IsEquipment(const Velloquin::Game::Form* form) {
    return form && Velloquin::Game::StoredFormType(form) == Velloquin::outfitPieceType;
}

void CheckItems(const Json& report, const std::string& json) {
    const std::vector<std::string> lines = ItemLines();
    bool outfits = false;
    for (std::size_t n = 1; n < lines.size(); ++n)
        outfits = outfits || Velloquin::IsOutfitLine(Velloquin::ParseQuickItemLine(lines[n]));
    // Whether every item line names an item the game has and that may stand in a slot (and, with outfits, in
    // an outfit).
    bool allUsable = true;
    for (std::size_t n = 1; n < lines.size(); ++n) {
        const Velloquin::QuickItemLine parsed = Velloquin::ParseQuickItemLine(lines[n]);
        if (Velloquin::IsOutfitLine(parsed)) {
            if (!parsed.localId.empty() && !parsed.dataFile.empty() && !IsEquipment(UsableItem(lines[n])))
                allUsable = false;
            continue;
        }
        if (outfits && !parsed.localId.empty() && !parsed.dataFile.empty() && !IsEquipment(UsableItem(lines[n])))
            allUsable = false;
        bool namesItem = false;
        for (std::size_t j = 0; j < Velloquin::quickSlotCount; ++j)
            namesItem = namesItem || (parsed.namesSlot[j] && !parsed.marksEmpty[j]);
        if (namesItem && !parsed.localId.empty() && !parsed.dataFile.empty() && !UsableItem(lines[n])) allUsable = false;
    }

    // A line with a master id wider than 24 bits, whatever becomes of it later in the file, names another
    // file's item when it is read: the one-slot rule may then empty the slot that item had.
    const auto widensMaster = [](const std::string& text) {
        const Velloquin::QuickItemLine parsed = Velloquin::ParseQuickItemLine(text);
        std::uint32_t localId = 0;
        return Velloquin::DataFileNameKey(parsed.dataFile) == Velloquin::DataFileNameKey(Velloquin::masterFileName) &&
               Velloquin::ReadLocalFormID(parsed.localId, parsed.dataFile, localId) == Velloquin::LocalIdReading::Read &&
               localId > 0xFFFFFFu;
    };
    std::multiset<const void*> claimed;
    bool spills = false;
    for (std::size_t n = 1; n < lines.size(); ++n) spills = spills || widensMaster(lines[n]);
    for (const Json& file : report["itemsFiles"].items)
        for (const Json& line : file["lines"].items) {
            if (line["status"].text != "item") continue;
            const auto number = static_cast<std::size_t>(line["line"].number);
            Check(number >= 1 && number < lines.size(), "an items line that is not in the file", json);
            if (const auto* item = UsableItem(lines[number])) claimed.insert(item);
            // A master id wider than 24 bits names another file's item, which the doctor cannot know without
            // the load order: it must say so at that line, and its slot model is then no more than a guess.
            if (!widensMaster(lines[number])) continue;
            bool warned = false;
            for (const Json& w : report["warnings"].items)
                warned = warned || (w["code"].text == "items-id-spills" && w["line"].number == static_cast<double>(number));
            Check(warned, "a master id wider than 24 bits without its warning", json);
        }
    if (spills) return;

    fs::current_path(gameFolder);
    Velloquin::ReloadFavoriteItems();
    fs::current_path("/");
    TestHost::ClearBoxes();
    std::multiset<const void*> held;
    for (const auto* form : Velloquin::quickItems)
        if (form) held.insert(form);
    if (allUsable) {
        Check(claimed == held, "the items the doctor says take effect are not the ones the plug-in puts in the slots", json);
    } else if (outfits) {
        const std::set<const void*> claimedOnce(claimed.begin(), claimed.end()), heldOnce(held.begin(), held.end());
        Check(std::includes(heldOnce.begin(), heldOnce.end(), claimedOnce.begin(), claimedOnce.end()),
              "the doctor says an item takes effect that the plug-in does not put in a slot", json);
    } else {
        // Items the game does not have only ever take slots in the doctor's model: whatever it says takes
        // effect and the game has, the plug-in holds.
        Check(std::includes(held.begin(), held.end(), claimed.begin(), claimed.end()),
              "the doctor says an item takes effect that the plug-in does not put in a slot", json);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char folder[] = "/tmp/velloquin-doctor-fuzz-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    gameFolder = folder;
    fs::current_path("/");

    TestHost::ResetWorld();
    Velloquin::ResetRuntimeState();
    using TestHost::FileKind;
    TestHost::LoadGame(
        {{"Halvorine.esm", FileKind::Full}, {"Armory.esp", FileKind::Full}, {"Tiny.esl", FileKind::Small}},
        {{"Halvorine.esm", 0x01A2B3, TestHost::typeWeapon, {}, "Rifle"},
         {"Halvorine.esm", 0x001A2B, TestHost::typeEquipment, {}, "Helmet"},
         {"Armory.esp", 0x000800, TestHost::typeWeapon, {}, "Blade"},
         {"Armory.esp", 0x000900, TestHost::typeEquipment, {}, "Coat"},
         {"Armory.esp", 0x000901, TestHost::typeEquipment, {}, "Gloves"},
         {"Tiny.esl", 0xABC, TestHost::typePower, {}, "Shout"},
         {"Tiny.esl", 0x801, TestHost::typeConsumable, {}, "Tonic"},
         {"Halvorine.esm", 0x000100, TestHost::typeKeyword, {}, "A keyword"}});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t length) {
    std::string_view input(reinterpret_cast<const char*>(data), length);
    std::error_code error;
    fs::remove_all(gameFolder / "Data", error);
    fs::create_directories(gameFolder / itemsPath.parent_path());
    const fs::path files[] = {settingsFolder / "Velloquin.ini", settingsFolder / "VelloquinCustom.ini", itemsPath};
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t end = input.find("@@@@\n");
        WriteFile(files[i], input.substr(0, end));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 5);
    }

    TestHost::ClearRecords();  // the host records every call; a long run must not pile them up
    std::ostringstream text, json;
    const int textStatus = Velloquin::RunDoctor(gameFolder.string(), false, text);
    const int jsonStatus = Velloquin::RunDoctor(gameFolder.string(), true, json);
    const std::string report = json.str();
    Check(ValidUtf8(report), "--json is not valid UTF-8", report);
    Json root;
    Check(JsonParser(report).Document(root), "--json is not valid JSON", report);
    Check(textStatus == jsonStatus && root["exitCode"].number == jsonStatus, "the reports disagree on the status", report);

    // The plug-in's own settings load, from the game folder as the game runs it.
    fs::current_path(gameFolder);
    Velloquin::LoadSettings();
    fs::current_path("/");
    const std::vector<Json>& slots = root["slots"].items;
    if (!slots.empty()) {
        Check(slots.size() == Velloquin::quickSlotCount, "the JSON does not list every slot", report);
        for (std::size_t k = 0; k < slots.size(); ++k) {
            const bool visible = Velloquin::quickKeyVisible[k];
            const std::uint32_t code = Velloquin::quickKeyCodes[k];
            Check(slots[k]["visible"].boolean == visible && slots[k]["keyCode"].number == code &&
                      slots[k]["modifier"].number == Velloquin::quickKeyModifiers[k],
                  "a slot in --json unlike the plug-in's", report);
            // The text report's row: number, "shown" or "hidden", then "none" or the code.
            const std::string row = "\n  " + std::to_string(Velloquin::firstQuickKey + static_cast<int>(k));
            const std::size_t at = text.str().find(row + " ");
            Check(at != std::string::npos, "the text report has no row for a slot", text.str());
            const std::string shown = visible ? "shown" : "hidden";
            const std::string expected = "    " + shown + std::string(8 - shown.size(), ' ') + (code ? "0x" + Hex(code) + " " : "none ");
            Check(text.str().compare(at + row.size(), expected.size(), expected) == 0,
                  "a slot in the text report unlike the plug-in's", text.str());
        }
    }
    if (!slots.empty()) {
        Check(root["saveModifier"]["used"].number == Velloquin::outfitSaveModifier,
              "the outfit save modifier in --json unlike the plug-in's", report);
    }
    CheckItems(root, report);
    return 0;
}
