// What the steps of a session share: the world the script has described so
// far, the transcript, and the table rows each group of steps contributes.
// A new step is a row in its group's table (session_*.cpp, in the order of
// README's step table) and a handler in the same file.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "datafiles.h"
#include "favorites_movie.h"
#include "forms.h"
#include "host.h"
#include "input_names.h"
#include "session.h"

namespace TestHost {

// One step's words after its name, and the script (the `file` step reads on).
// Words are parted by blanks; a word in double quotes keeps its blanks
// ("Users\Player\Documents\My Games"), without its quotes.
struct StepArgs {
    std::vector<std::string> words;
    std::istream& in;
    std::string text;  // the line after the step's name, as written
    const std::string& operator[](std::size_t i) const { return words[i]; }
    std::size_t size() const { return words.size(); }
    std::string Rest(std::size_t from) const {
        std::string text;
        for (std::size_t i = from; i < words.size(); ++i) text += (i > from ? " " : "") + words[i];
        return text;
    }
};

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
        bool worn = false;           // the player wears it (given again after each load)
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

    // Stops the script: the message with the script's name and line, exit status 2.
    [[noreturn]] void Fail(const std::string& message);
    // A number word (decimal, 0x hexadecimal), at most 32 bits; anything else
    // throws BadNumber, which stops the script with its line.
    struct BadNumber {
        std::string text;
    };
    static std::uint32_t Number(const std::string& text);
    // A step's words (see StepArgs); an unclosed quote stops the script.
    std::vector<std::string> Words(const std::string& text);
    static std::string Quote(const std::string& text) { return "\"" + text + "\""; }
    Form* Loaded(const std::string& file, const std::string& localId);
    static bool Has(const StepArgs& args, std::size_t from, const char* word);

    // The game-visible effects recorded since the last step, in words.
    void PrintNewRecords();
    void PrintBox(const Box& box);
    void PrintLastTile();

    void Step(const std::string& line, std::istream& in);
};

using StepHandler = void (*)(Session& session, const StepArgs& args);
struct StepRow {
    SessionStep step;
    StepHandler handler;
};

// Each group's rows; the step table is these in this order.
const std::vector<StepRow>& FileSteps();       // session_files.cpp: the script's headings, files and folders
const std::vector<StepRow>& LogSteps();        // session_log.cpp: the plug-in's log, and the places it cannot use
const std::vector<StepRow>& WorldSteps();      // session_world.cpp: data files, forms, keywords, damage
const std::vector<StepRow>& PlayerSteps();     // session_player.cpp: inventory, powers, quick slots, the character
const std::vector<StepRow>& LoadingSteps();    // session_loading.cpp: what is loaded, the plug-in and the game
const std::vector<StepRow>& MenuSteps();       // session_menus.cpp: menus and the favourites movie
const std::vector<StepRow>& InputSteps();      // session_input.cpp: keys, the controller, time
const std::vector<StepRow>& GameEventSteps();  // session_events.cpp: boxes, the game's flags and events, the transcript

}  // namespace TestHost
