#include "session.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <vector>

#include "controller.h"
#include "datafiles.h"
#include "equipment.h"
#include "forms.h"
#include "game_folder.h"
#include "game_runtime.h"
#include "host.h"
#include "input_names.h"
#include "log_steps.h"
#include "menus.h"
#include "player.h"
#include "recorder.h"
#include "shell_folders.h"

namespace TestHost {

namespace {

constexpr int frameMs = 10;

struct Session {
    std::ostream& out;
    std::string scriptName;
    int lineNumber = 0;
    std::vector<LoadOrderFile> order;
    std::vector<ContentForm> content;
    // Inventory and powers by data file and local id, given again after every load.
    struct Carried {
        std::string file;
        std::uint32_t localId;
        std::uint32_t count;
        bool power;
        std::string stackName = {};  // the custom name of its first stack
    };
    std::vector<Carried> carried;
    std::map<std::string, Form*> keywords;  // editor id -> keyword
    std::vector<std::pair<std::pair<std::string, std::uint32_t>, std::string>> tags;  // form -> keyword editor id
    struct FormRef {
        std::string file;
        std::uint32_t localId;
    };
    struct Damage {
        FormRef form, type;
        float value;
    };
    std::vector<Damage> damages;
    std::vector<std::pair<FormRef, FormRef>> ammunition;  // weapon -> ammunition
    // The game's own quick slots 0-9, given again after each load.
    std::map<int, FormRef> nativeSlots;
    std::map<InputDevice, std::vector<KeyNameEntry>> keyNames;
    bool inventoryPresent = true;
    // What the next favourites movie does (and the open one, when changed).
    FavoritesMovieOptions movieOptions;
    struct MovieFailures {
        std::vector<std::string> refusedPaths;
        int refuseSetsFrom = 0;
        int failInvokesFrom = 0;
        int lengthFailsFrom = 0;  // the game stops finding the menu by name
    } movieFailures;
    std::size_t printed = 0;
    std::size_t boxesPrinted = 0;
    std::size_t tilesPrinted = 0;
    bool verbose = false;

    explicit Session(std::ostream& o, std::string name) : out(o), scriptName(std::move(name)) {}

    [[noreturn]] void Fail(const std::string& message) {
        out << scriptName << ":" << lineNumber << ": " << message << "\n";
        out.flush();
        std::exit(2);
    }

    static std::uint32_t Number(const std::string& text) { return static_cast<std::uint32_t>(std::stoul(text, nullptr, 0)); }

    std::uint8_t Type(const std::string& word) {
        static const std::map<std::string, std::uint8_t> types = {{"weapon", typeWeapon},
                                                                  {"equipment", typeEquipment},
                                                                  {"consumable", typeConsumable},
                                                                  {"power", typePower},
                                                                  {"ammunition", 42},
                                                                  {"damagetype", 1}};
        auto found = types.find(word);
        return found != types.end() ? found->second : static_cast<std::uint8_t>(Number(word));
    }

    Form* Loaded(const std::string& file, const std::string& localId) {
        Form* form = LoadedForm(file, Number(localId));
        if (!form) Fail("no loaded form " + localId + " in " + file);
        return form;
    }

    static std::string Quote(const std::string& text) { return "\"" + text + "\""; }

    // The game-visible effects recorded since the last step, in words.
    void PrintNewRecords() {
        const auto& records = Records();
        for (; printed < records.size(); ++printed) {
            const std::string& line = records[printed];
            if (line.rfind("movie invoke root1.Menu_mc.ConstructItem", 0) == 0) {
                PrintLastTile();
            } else if (line.rfind("equip ", 0) == 0 || line.rfind("power follow-up", 0) == 0 ||
                       line.rfind("menu message", 0) == 0 || line.rfind("sink registered", 0) == 0 ||
                       line.rfind("process ended", 0) == 0 || line.rfind("message box", 0) == 0 ||
                       line.rfind("used up", 0) == 0 || line.rfind("event stopped", 0) == 0 ||
                       line.find("unexpected") != std::string::npos || verbose) {
                out << "  game: " << line << "\n";
                if (line.rfind("message box", 0) == 0 && boxesPrinted < Boxes().size()) PrintBox(Boxes()[boxesPrinted++]);
            }
        }
        out.flush();
    }

    void PrintBox(const Box& box) {
        std::istringstream text(box.text);
        for (std::string line; std::getline(text, line);) out << "  box | " << line << "\n";
    }

    void PrintLastTile() {
        Menu* menu = FindOpenMenu("FavoritesMenu");
        Movie* movie = menu ? MovieOf(menu) : nullptr;
        if (!movie) return;
        const auto& tiles = movie->arrays["root1.Menu_mc.FavoritesInfoA"];
        if (tilesPrinted >= tiles.size()) return;
        const std::size_t index = tilesPrinted++;
        const MovieElement& tile = tiles[index];
        auto value = [&](const char* field) {
            auto found = tile.find(std::string("ConstructItem") + field);
            return found == tile.end() ? std::string() : found->second;
        };
        out << "  game: tile " << index;
        if (index >= 12) {
            out << ": (padding)\n";
            return;
        }
        out << " (quick key " << index + 12 << "):";
        if (value("Name").empty() && value("IconName").empty()) {
            out << " (empty) visible " << value("Visible") << "\n";
            return;
        }
        out << " " << Quote(value("Name")) << " count " << value("Count");
        if (!value("AmmoName").empty()) out << ", ammo " << Quote(value("AmmoName")) << " x" << value("AmmoCount");
        for (const char* damage : {"DamagePhysical", "DamageEM", "DamageEnergy"})
            if (!value(damage).empty() && value(damage) != "0") out << ", " << damage + 6 << " " << value(damage);
        if (value("IconName").empty())
            out << ", no icon";
        else
            out << ", icon " << value("IconDirectoryName") << "/" << value("IconName");
        if (!value("QuickKeyName").empty()) out << ", key " << Quote(value("QuickKeyName"));
        if (value("IsPower") == "true") out << ", power";
        if (value("IsEquipped") == "true") out << ", equipped";
        out << "\n";
    }

    void Frames(int milliseconds) {
        for (int elapsed = 0; elapsed < milliseconds; elapsed += frameMs) {
            RunFrame();
            PrintNewRecords();
            Advance(frameMs);
        }
    }

    void LoadTheGame() {
        LoadGame(order, content);
        for (const auto& [key, keywordId] : tags) {
            Form* form = LoadedForm(key.first, key.second);
            auto keyword = keywords.find(keywordId);
            if (form && keyword != keywords.end()) AddKeyword(form, keyword->second);
        }
        std::map<Form*, std::vector<std::pair<Form*, float>>> damageLists;
        for (const Damage& damage : damages) {
            Form* form = LoadedForm(damage.form.file, damage.form.localId);
            Form* type = LoadedForm(damage.type.file, damage.type.localId);
            if (form && type) damageLists[form].push_back({type, damage.value});
        }
        for (auto& [form, pairs] : damageLists) SetDamage(form, pairs);
        for (const auto& [weapon, ammo] : ammunition) {
            Form* weaponForm = LoadedForm(weapon.file, weapon.localId);
            if (weaponForm) SetAmmunition(weaponForm, LoadedForm(ammo.file, ammo.localId));
        }
        for (const Carried& item : carried) {
            Form* form = LoadedForm(item.file, item.localId);
            if (!form) continue;  // its data file is not loaded now
            if (item.power) {
                AddPowerToGame(form);
                GivePower(form);
            } else {
                const std::size_t position = AddItem(form, item.count);
                if (!item.stackName.empty()) SetStackName(position, 0, item.stackName);
            }
        }
        for (const auto& [slot, ref] : nativeSlots) SetNativeSlot(slot, LoadedForm(ref.file, ref.localId));
        SetInventoryPresent(inventoryPresent);
        FireLoadGame();
    }

    // One step's words after its name, and the script (the `file` step reads on).
    struct Args {
        std::vector<std::string> words;
        std::istream& in;
        const std::string& operator[](std::size_t i) const { return words[i]; }
        std::size_t size() const { return words.size(); }
        std::string Rest(std::size_t from) const {
            std::string text;
            for (std::size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
            return text;
        }
    };

    void Say(const Args& args) { out << "\n# " << args.Rest(0) << "\n"; }

    bool Has(const Args& args, std::size_t from, const char* word) {
        for (std::size_t i = from; i < args.size(); ++i)
            if (args[i] == word) return true;
        return false;
    }

    void File(const Args& args) {
        const std::string lineEnd = Has(args, 1, "lf") ? "\n" : "\r\n";  // CR LF as a Windows editor writes it
        std::string content, text;
        while (std::getline(args.in, text)) {
            ++lineNumber;
            if (!text.empty() && text.back() == '\r') text.pop_back();
            if (text == "end") break;
            content += text + lineEnd;
        }
        if (Has(args, 1, "unterminated") && content.size() >= lineEnd.size())
            content.resize(content.size() - lineEnd.size());
        // The path is every word before the options (a path may hold blanks: "My Games").
        std::size_t words = 1;
        while (words < args.size() && args[words] != "lf" && args[words] != "unterminated") ++words;
        std::string path = args[0];
        for (std::size_t i = 1; i < words; ++i) path += " " + args[i];
        WriteGameFile(path, content);
        out << "  host: wrote " << path << "\n";
    }

    void Delete(const Args& args) {
        out << "  host: " << (RemoveGameFile(args[0]) ? "deleted " : "nothing to delete at ") << args[0] << "\n";
    }

    // Takes every write permission away (the file's read-only attribute on
    // Windows). A process running as root on Linux may still write it.
    void ReadOnly(const Args& args) {
        std::error_code error;
        std::filesystem::permissions(GameFilePath(args[0]),
                                     std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove, error);
        if (error) Fail("cannot make " + args[0] + " read-only: " + error.message());
        out << "  host: made " << args[0] << " read-only\n";
    }

    void Folder(const Args& args) {
        WriteGameFile(args[0] + "\\.keep", "");
        RemoveGameFile(args[0] + "\\.keep");
        out << "  host: made folder " << args[0] << "\n";
    }

    void ShowLogStep(const Args& args) {
        if (args.size() > 0 && args[0] != "old") Fail("'show-log' takes nothing or old");
        ShowLog(out, args.size() > 0);
    }

    void Block(const Args& args) { BlockFolder(out, args.Rest(0)); }

    void Documents(const Args& args) {
        if (args[0] != "known" && args[0] != "unknown") Fail("'documents' takes known or unknown");
        SetDocumentsKnown(args[0] == "known");
        out << "  host: the shell " << (args[0] == "known" ? "names" : "names no") << " Documents folder\n";
    }

    void ShowFile(const Args& args) {
        if (!GameFileExists(args[0])) {
            out << "  file " << args[0] << ": (none)\n";
            return;
        }
        const std::string content = ReadGameFile(args[0]);
        out << "  file " << args[0] << ": " << content.size() << " bytes\n";
        std::istringstream lines(content);
        for (std::string text; std::getline(lines, text);) {
            const bool crlf = !text.empty() && text.back() == '\r';
            if (crlf) text.pop_back();
            out << "  | " << text << (crlf ? "  (CR LF)" : "") << "\n";
        }
    }

    void DataFile(const Args& args) {
        const FileKind kind = args[0] == "small" ? FileKind::Small : args[0] == "medium" ? FileKind::Medium : FileKind::Full;
        order.push_back({args[1], kind, args.size() > 2 ? Number(args[2]) : 1u});
    }

    void Override(const Args& args) {
        for (ContentForm& form : content) {
            if (form.file != args[0] || form.localId != Number(args[1])) continue;
            form.overriddenBy.push_back(args[2]);
            return;
        }
        Fail("no form " + args[1] + " of " + args[0] + " to override");
    }

    void ClearLoadOrder(const Args&) { order.clear(); }

    void FormStep(const Args& args) { content.push_back({args[0], Number(args[1]), Type(args[2]), {}, args.Rest(3)}); }

    void Keyword(const Args& args) {
        keywords[args[0]] = MakeKeyword(0x7F0000 + static_cast<std::uint32_t>(keywords.size()), args[0], "", args.Rest(1));
        AddKeywordToGame(keywords[args[0]]);
    }

    // The four keywords the game knows by fixed form ids.
    void SpecialKeyword(const Args& args) {
        static const std::map<std::string, std::uint32_t> ids = {
            {"grenade", 0x12345}, {"mine", 0xE56C4}, {"medical", 0x2C1C7A}, {"medical2", 0xF4AE7}};
        auto id = ids.find(args[0]);
        if (id == ids.end()) Fail("no keyword '" + args[0] + "' (grenade, mine, medical or medical2)");
        keywords[args[1]] = MakeKeyword(id->second, args[1]);
        AddKeywordToGame(keywords[args[1]]);
    }

    void CategoryKeyword(const Args& args) {
        keywords[args[0]] =
            MakeKeyword(0x7F0000 + static_cast<std::uint32_t>(keywords.size()), args[0], args.Rest(1), "");
        AddKeywordToGame(keywords[args[0]]);
    }

    void Tag(const Args& args) { tags.push_back({{args[0], Number(args[1])}, args[2]}); }

    void Carry(const Args& args) {
        carried.push_back({args[0], Number(args[1]), args.size() > 2 ? Number(args[2]) : 1u, false});
    }

    void StackName(const Args& args) {
        for (Carried& item : carried) {
            if (item.power || item.file != args[0] || item.localId != Number(args[1])) continue;
            item.stackName = args.Rest(2);
            return;
        }
        Fail("no carried item " + args[1] + " of " + args[0]);
    }

    void KnowPower(const Args& args) { carried.push_back({args[0], Number(args[1]), 0, true}); }

    void DamageStep(const Args& args) {
        damages.push_back({{args[0], Number(args[1])}, {args[2], Number(args[3])}, std::stof(args[4])});
    }

    void Ammunition(const Args& args) { ammunition.push_back({{args[0], Number(args[1])}, {args[2], Number(args[3])}}); }

    void LoadPluginStep(const Args&) {
        LoadPlugin();
        const bool loaded = CallPluginLoad();
        out << "  loader: QVEXPlugin_Load answered " << (loaded ? "true" : "false") << "\n";
        SendLoaderMessage(2);
        PrintNewRecords();
    }

    void LoadGameStep(const Args&) {
        out << "  host: game loaded with " << order.size() << " data files\n";
        LoadTheGame();
        PrintNewRecords();
    }

    void ApplyMovieFailures(Menu* menu) {
        Movie* movie = MovieOf(menu);
        if (!movie) return;
        for (auto& [path, variable] : movie->variables) variable.refuseWrites = false;
        for (const std::string& path : movieFailures.refusedPaths)
            if (MovieVariable* variable = movie->Variable(path)) variable->refuseWrites = true;
        movie->refuseSetsFrom = movieFailures.refuseSetsFrom ? movie->sets + movieFailures.refuseSetsFrom : 0;
        movie->failInvokesFrom = movieFailures.failInvokesFrom ? movie->invokes + movieFailures.failInvokesFrom : 0;
        menu->nullNameFrom = movieFailures.lengthFailsFrom ? menu->nameQueries + movieFailures.lengthFailsFrom : 0;
    }

    void MovieStep(const Args& args) {
        const std::string& what = args[0];
        const int n = args.size() > 1 && what != "refuse" ? static_cast<int>(Number(args[1])) : 0;
        if (what == "refuse" && args.size() > 1) {
            movieFailures.refusedPaths.push_back(args[1]);
        } else if (what == "refuse-from" && n > 0) {
            movieFailures.refuseSetsFrom = n;
        } else if (what == "fail-construct-from" && n > 0) {
            movieFailures.failInvokesFrom = n;
        } else if (what == "fail-length-from" && n > 0) {
            movieFailures.lengthFailsFrom = n;
        } else if (what == "no-growth") {
            movieOptions.arrayGrows = false;
        } else if (what == "normal") {
            movieOptions = {};
            movieFailures = {};
        } else {
            Fail("'movie' takes refuse PATH, refuse-from N, fail-construct-from N, fail-length-from N, no-growth or normal");
        }
        out << "  host: the favourites movie: " << args.Rest(0) << "\n";
        if (Menu* open = FindOpenMenu("FavoritesMenu")) ApplyMovieFailures(open);
    }

    void MenuStep(const Args& args) {
        if (args[0] == "open") {
            Menu* menu = OpenMenu(args[1], true);
            if (args[1] == "FavoritesMenu") {
                tilesPrinted = 0;
                FavoritesMovieOptions options = movieOptions;
                options.installFlag = !(args.size() > 2 && args[2] == "other-mod");
                MakeFavoritesMovie(menu, options);
            }
            out << "  host: " << args[1] << " opens\n";
            if (Loader().menuCallback) Loader().menuCallback(menu);
            // The failures count from here: the plug-in was told of the menu by its name.
            if (args[1] == "FavoritesMenu") ApplyMovieFailures(menu);
        } else {
            SetMenuOpen(args[1], false);
            out << "  host: " << args[1] << " closes\n";
        }
        PrintNewRecords();
    }

    void Mode(const Args& args) { SetAssignmentMode(args[0] == "assign"); }

    void Assign(const Args& args) {
        Form* item = Loaded(args[0], args[1]);
        SetItemBeingAssigned(item);
        char id[16];
        std::snprintf(id, sizeof id, "%08X", item->formId);
        out << "  host: the item menu assigns " << Quote(item->name) << " (runtime id " << id << ")\n";
    }

    void Click(const Args& args) {
        Menu* menu = FindOpenMenu("FavoritesMenu");
        if (!menu) Fail("no favourites menu is open");
        SelectQuickKey(menu, static_cast<std::int32_t>(std::stol(args[0])));
        out << "  player: chooses quick key " << args[0] << "\n";
    }

    void Key(const Args& args) {
        SetKeyDown(static_cast<int>(Number(args[1])), args[0] == "down");
        out << "  player: key " << args[1] << " " << args[0] << "\n";
    }

    // The controller: one step name, told apart by its first word.
    void Pad(const Args& args) {
        const std::string& what = args[0];
        if (what == "connect" || what == "disconnect") {
            ConnectController(what == "connect");
            out << "  player: controller " << what << "s\n";
        } else if ((what == "down" || what == "up") && args.size() > 1) {
            SetPadButton(Number(args[1]), what == "down");
            out << "  player: pad " << args[1] << " " << what << "\n";
        } else if (what == "trigger" && args.size() > 2 && (args[1] == "left" || args[1] == "right")) {
            const std::uint32_t value = Number(args[2]);
            if (value > 255) Fail("a trigger reads 0 to 255");
            SetPadTrigger(args[1] == "left", static_cast<std::uint8_t>(value));
            out << "  player: " << args[1] << " trigger at " << value << "\n";
        } else if (what == "libraries") {
            std::vector<std::string> names(args.words.begin() + 1, args.words.end());
            if (names.size() == 1 && names[0] == "none") names.clear();
            SetXInputLibraries(names);
            out << "  host: XInput libraries that load: " << (names.empty() ? "none" : args.Rest(1)) << "\n";
        } else if (what == "reads") {
            out << "  host: XInput reads so far: " << XInputReads() << "\n";
        } else {
            Fail("unknown pad step '" + args.Rest(0) + "'");
        }
    }

    void Wait(const Args& args) { Frames(static_cast<int>(Number(args[0]))); }

    void Answer(const Args& args) { QueueBoxAnswer(args[0] == "yes" ? 6 : args[0] == "no" ? 7 : 1); }

    void PlayerId(const Args& args) { SetPlayerId(std::stoull(args[0], nullptr, 0)); }

    void Inventory(const Args& args) {
        inventoryPresent = args[0] != "absent";
        SetInventoryPresent(inventoryPresent);
        out << "  host: the player's inventory list is " << (inventoryPresent ? "there" : "absent") << "\n";
    }

    void HostFlags(const Args& args) {
        const std::string& what = args[0];
        if (what == "ready" || what == "not-ready")
            SetHostReady(what == "ready");
        else if (what == "blocked" || what == "unblocked")
            SetHostBlocked(what == "blocked");
        else
            Fail("'host' takes ready, not-ready, blocked or unblocked");
        out << "  host: " << what << "\n";
    }

    void DataHandlerStep(const Args& args) {
        SetDataHandlerPresent(args[0] != "absent");
        out << "  host: the data handler is " << (args[0] != "absent" ? "there" : "absent") << "\n";
    }

    void GameReset(const Args& args) {
        const auto firstByte = static_cast<std::uint8_t>(args.size() > 0 ? Number(args[0]) : 1u);
        out << "  host: game reset (first byte " << int{firstByte} << ")\n";
        FireGameReset(firstByte);
        PrintNewRecords();
    }

    void NativeSlot(const Args& args) {
        const auto slot = static_cast<int>(Number(args[0]));
        if (slot < 0 || slot > 9) Fail("the game's own slots are 0 to 9");
        if (args[1] == "none") {
            nativeSlots.erase(slot);
            SetNativeSlot(slot, nullptr);
            return;
        }
        if (args.size() < 3) Fail("'native-slot' needs N FILE LOCALID or N none");
        nativeSlots[slot] = {args[1], Number(args[2])};
        SetNativeSlot(slot, LoadedForm(args[1], Number(args[2])));
    }

    void KeyName(const Args& args) {
        static const std::map<std::string, InputDevice> devices = {
            {"keyboard", InputDevice::Keyboard}, {"mouse", InputDevice::Mouse}, {"gamepad", InputDevice::Gamepad}};
        auto device = devices.find(args[0]);
        if (device == devices.end()) Fail("'key-name' takes keyboard, mouse or gamepad");
        auto& entries = keyNames[device->second];
        entries.push_back({Number(args[1]), args.Rest(2)});
        SetKeyNameEntries(device->second, entries);
    }

    void Verbose(const Args& args) { verbose = !args.words.empty() && args[0] == "on"; }

    void Step(const std::string& line, std::istream& in);

    using Handler = void (Session::*)(const Args&);
    struct Row {
        SessionStep step;
        Handler handler;
    };
    static const Row table[];
};

// The session language: every step with its arguments, handler and help.
// `velloquin-host --help` prints it; a test checks README's step table against it.
const Session::Row Session::table[] = {
    {{"say", "TEXT", 0, "prints a heading"}, &Session::Say},
    {{"file", "PATH [lf] [unterminated] … end", 1, "writes the lines up to `end` into a file below the game folder (CR LF line ends; `lf`: LF only; `unterminated`: none after the last line)"}, &Session::File},
    {{"delete", "PATH", 1, "deletes a file or folder below the game folder"}, &Session::Delete},
    {{"read-only", "PATH", 1, "takes the write permission from a file (on Linux a process running as root may still write it)"}, &Session::ReadOnly},
    {{"folder", "PATH", 1, "makes a folder below the game folder"}, &Session::Folder},
    {{"show-file", "PATH", 1, "prints a file's lines"}, &Session::ShowFile},
    {{"show-log", "[old]", 0, "prints the plug-in's log (or the one kept from the start before), from `Users\\Player\\Documents\\My Games\\Halvorine\\QVEX\\` or else beside the items files, with `[time]` for its time column and `<address>` for each 16-digit address"}, &Session::ShowLogStep},
    {{"block", "PATH", 1, "puts an empty file in the place of a folder below the game folder, so that nothing can be made in it (for every user, on every platform)"}, &Session::Block},
    {{"documents", "known|unknown", 1, "whether the shell names a Documents folder (`Users\\Player\\Documents` below the game folder, in the profile `Users\\Player`)"}, &Session::Documents},
    {{"datafile", "full|small|medium NAME [FLAGS]", 2, "appends a data file to the load order of the next `load-game` (FLAGS: its header flags, 1 when not given)"}, &Session::DataFile},
    {{"clear-load-order", "", 0, "starts a new load order"}, &Session::ClearLoadOrder},
    {{"form", "FILE LOCALID TYPE NAME", 4, "a form of that data file (`weapon`, `equipment`, `consumable`, `power`, `ammunition`, `damagetype` or a number)"}, &Session::FormStep},
    {{"override", "FILE LOCALID BYFILE", 3, "another data file overrides the form (in the order given, when both are loaded)"}, &Session::Override},
    {{"keyword", "EDITORID TEXT", 2, "an icon keyword (`ui_icon…`) with its icon name"}, &Session::Keyword},
    {{"special-keyword", "grenade|mine|medical|medical2 EDITORID", 2, "one of the four keywords the game knows by form id (0x12345, 0xE56C4, 0x2C1C7A, 0xF4AE7)"}, &Session::SpecialKeyword},
    {{"category-keyword", "EDITORID NAME", 2, "an inventory-category keyword (`…inventorycategory…`) with its display name"}, &Session::CategoryKeyword},
    {{"tag", "FILE LOCALID EDITORID", 3, "gives the form the keyword"}, &Session::Tag},
    {{"damage", "FILE LOCALID TYPEFILE TYPELOCALID VALUE", 5, "a damage figure of a carried item"}, &Session::DamageStep},
    {{"ammunition", "FILE LOCALID AMMOFILE AMMOLOCALID", 4, "a weapon's ammunition"}, &Session::Ammunition},
    {{"carry", "FILE LOCALID [COUNT]", 2, "an item in the player's inventory (given again after each load)"}, &Session::Carry},
    {{"stack-name", "FILE LOCALID NAME", 3, "a custom name on the first stack of a carried item"}, &Session::StackName},
    {{"know-power", "FILE LOCALID", 2, "a power the player knows (given again after each load)"}, &Session::KnowPower},
    {{"native-slot", "N FILE LOCALID|N none", 2, "the item in the game's own quick slot N (0-9; given again after each load)"}, &Session::NativeSlot},
    {{"player-id", "N", 1, "the character's id (64 bits)"}, &Session::PlayerId},
    {{"inventory", "present|absent", 1, "the player's inventory list is there, or the player holds none"}, &Session::Inventory},
    {{"data-handler", "present|absent", 1, "the game's data handler is there, or its pointer reads null"}, &Session::DataHandlerStep},
    {{"key-name", "keyboard|mouse|gamepad CODE NAME", 3, "adds an entry to one of the game's key-name tables"}, &Session::KeyName},
    {{"load-plugin", "", 0, "the loader maps the plug-in, calls `QVEXPlugin_Load` and sends message 2"}, &Session::LoadPluginStep},
    {{"load-game", "", 0, "loads the game with the current load order (new runtime ids) and fires the load event"}, &Session::LoadGameStep},
    {{"mode", "assign|free", 1, "the item menus' assignment mode, or free play"}, &Session::Mode},
    {{"menu", "open|close NAME [other-mod]", 2, "opens a menu (the favourites menu gets the extended movie, or another mod's) and tells the plug-in; closes it"}, &Session::MenuStep},
    {{"movie", "refuse PATH|refuse-from N|fail-construct-from N|fail-length-from N|no-growth|normal", 1, "the favourites movie (open now or next) refuses sets of a variable, or every set from the n-th on; fails `ConstructItem` from the n-th call on; fails the array-length reads from the n-th on; never grows its array (the next one); or works again"}, &Session::MovieStep},
    {{"assign", "FILE LOCALID", 2, "the item the inventory menu is assigning"}, &Session::Assign},
    {{"click", "N", 1, "the player chooses quick key N in the favourites menu"}, &Session::Click},
    {{"key", "down|up CODE", 2, "a key goes down or up"}, &Session::Key},
    {{"pad", "connect|disconnect", 1, "the controller (at port 0 of XInput) is plugged in or out"}, &Session::Pad},
    {{"pad", "down|up CODE", 2, "a controller button goes down or up (a gamepad code; the trigger codes pull a trigger fully)"}, &Session::Pad},
    {{"pad", "trigger left|right VALUE", 3, "a trigger is pulled to VALUE (0 to 255; pressed above 30)"}, &Session::Pad},
    {{"pad", "libraries none|NAME…", 2, "the XInput libraries that load (all three at first)"}, &Session::Pad},
    {{"pad", "reads", 1, "prints how many times XInput was read so far"}, &Session::Pad},
    {{"wait", "MS", 1, "the game runs frames of 10 ms (player updates in free play, the hooked call in assignment mode)"}, &Session::Wait},
    {{"answer", "yes|no|ok", 1, "the answer to the next message box"}, &Session::Answer},
    {{"host", "ready|not-ready|blocked|unblocked", 1, "the game's ready and blocked flags"}, &Session::HostFlags},
    {{"game-reset", "[BYTE]", 0, "the game fires its reset event (first byte of the event: 1 when not given)"}, &Session::GameReset},
    {{"verbose", "on|off", 1, "also print every movie access"}, &Session::Verbose},
};

// Whether the first word of a row's arguments ("reads") or one of its
// alternatives ("down|up CODE") is the given first word: rows of one step
// name are told apart so.
bool FirstWordFits(const char* arguments, const std::vector<std::string>& words) {
    std::string first = arguments;
    first = first.substr(0, first.find(' '));
    if (words.empty()) return false;
    std::istringstream alternatives(first);
    for (std::string word; std::getline(alternatives, word, '|');)
        if (word == words[0]) return true;
    return false;
}

void Session::Step(const std::string& line, std::istream& in) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    Args args{{}, in};
    for (std::string word; words >> word;) args.words.push_back(word);
    std::size_t rows = 0;
    for (const Row& row : table) rows += name == row.step.name;
    for (const Row& row : table) {
        if (name != row.step.name) continue;
        if (rows > 1 && !FirstWordFits(row.step.arguments, args.words)) continue;
        if (args.size() < row.step.minimumWords)
            Fail("'" + name + "' needs " + std::to_string(row.step.minimumWords) + " arguments");
        (this->*row.handler)(args);
        return;
    }
    Fail("unknown step '" + name + "'");
}


}  // namespace

std::vector<SessionStep> SessionSteps() {
    std::vector<SessionStep> steps;
    for (const auto& row : Session::table) steps.push_back(row.step);
    return steps;
}

int RunSession(std::istream& in, std::ostream& out, const std::string& scriptName) {
    GameFolder();  // the game's working folder becomes the current folder
    ResetWorld();
    SetNow(30'000'000'000);  // the game has been running for half a minute
    Session session(out, scriptName);
    for (std::string line; std::getline(in, line);) {
        ++session.lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        session.Step(line.substr(first), in);
    }
    session.PrintNewRecords();
    out << "\n(end of session)\n";
    out.flush();
    UnloadPlugin();
    return 0;
}

}  // namespace TestHost
