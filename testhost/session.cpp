// The session runner: reads the script a line at a time, finds each step in
// the table the groups of steps make up, and prints what the game saw.
#include "session.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <istream>
#include <ostream>
#include <sstream>

#include "game_folder.h"
#include "game_runtime.h"
#include "menus.h"
#include "recorder.h"
#include "session_state.h"

namespace TestHost {

void Session::Fail(const std::string& message) {
    out << scriptName << ":" << lineNumber << ": " << message << "\n";
    out.flush();
    std::exit(2);
}

Form* Session::Loaded(const std::string& file, const std::string& localId) {
    Form* form = LoadedForm(file, Number(localId));
    if (!form) Fail("no loaded form " + localId + " in " + file);
    return form;
}

bool Session::Has(const StepArgs& args, std::size_t from, const char* word) {
    for (std::size_t i = from; i < args.size(); ++i)
        if (args[i] == word) return true;
    return false;
}

void Session::PrintNewRecords() {
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

void Session::PrintBox(const Box& box) {
    std::istringstream text(box.text);
    for (std::string line; std::getline(text, line);) out << "  box | " << line << "\n";
}

void Session::PrintLastTile() {
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

namespace {

// The session language: every step with its arguments, handler and help, the
// groups' rows in turn. `velloquin-host --help` prints it; a test checks
// README's step table against it.
const std::vector<StepRow>& StepTable() {
    static const std::vector<StepRow> table = [] {
        std::vector<StepRow> rows;
        for (const auto group : {FileSteps, LogSteps, WorldSteps, PlayerSteps, LoadingSteps, MenuSteps, InputSteps, GameEventSteps})
            rows.insert(rows.end(), group().begin(), group().end());
        return rows;
    }();
    return table;
}

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

}  // namespace

std::uint32_t Session::Number(const std::string& text) {
    // Decimal, 0x hexadecimal or 0 octal, as strtoul reads them, but the whole word and within 32 bits.
    const bool digits = !text.empty() && std::isdigit(static_cast<unsigned char>(text[0]));
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = digits ? std::strtoull(text.c_str(), &end, 0) : 0;
    if (!digits || errno != 0 || *end != '\0' || value > 0xFFFFFFFFull) throw BadNumber{text};
    return static_cast<std::uint32_t>(value);
}

std::vector<std::string> Session::Words(const std::string& text) {
    std::vector<std::string> words;
    for (std::size_t at = 0;;) {
        at = text.find_first_not_of(" \t", at);
        if (at == std::string::npos) return words;
        if (text[at] == '"') {
            const std::size_t close = text.find('"', at + 1);
            if (close == std::string::npos) Fail("a quote that is not closed: " + text.substr(at));
            words.push_back(text.substr(at + 1, close - at - 1));
            at = close + 1;
            if (at < text.size() && text[at] != ' ' && text[at] != '\t')
                Fail("a blank must follow a closing quote: " + text.substr(at));
            continue;
        }
        const std::size_t end = text.find_first_of(" \t", at);
        words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return words;
        at = end;
    }
}

void Session::Step(const std::string& line, std::istream& in) {
    const std::size_t nameEnd = line.find_first_of(" \t");
    const std::string name = line.substr(0, nameEnd);
    const std::string rest = nameEnd == std::string::npos ? std::string() : line.substr(nameEnd + 1);
    StepArgs args{Words(rest), in, rest};
    std::size_t rows = 0;
    for (const StepRow& row : StepTable()) rows += name == row.step.name;
    for (const StepRow& row : StepTable()) {
        if (name != row.step.name) continue;
        if (rows > 1 && !FirstWordFits(row.step.arguments, args.words)) continue;
        if (args.size() < row.step.minimumWords)
            Fail("'" + name + "' needs " + std::to_string(row.step.minimumWords) + " arguments");
        // A malformed number stops the script with its line, never the host with an exception.
        try {
            row.handler(*this, args);
        } catch (const BadNumber& bad) {
            Fail("'" + name + "': '" + bad.text + "' is not a number");
        } catch (const std::invalid_argument&) {
            Fail("'" + name + "': a malformed number in '" + rest + "'");
        } catch (const std::out_of_range&) {
            Fail("'" + name + "': a number out of range in '" + rest + "'");
        }
        return;
    }
    Fail("unknown step '" + name + "'");
}

std::vector<SessionStep> SessionSteps() {
    std::vector<SessionStep> steps;
    for (const StepRow& row : StepTable()) steps.push_back(row.step);
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
