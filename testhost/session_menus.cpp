// Session steps: the game's menus and the favourites movie: assignment mode,
// opening and closing menus, the movie's failures, the item being assigned,
// the player's choice in the favourites menu.

#include "base/text.h"
#include "equipment.h"
#include "game_runtime.h"
#include "menus.h"
#include "session_state.h"

namespace TestHost {

namespace {

// Puts the failures the script asked for on the open favourites menu's movie,
// counted from its accesses so far.
void ApplyMovieFailures(Session& session, Menu* menu) {
    Movie* movie = MovieOf(menu);
    if (!movie) return;
    const Session::MovieFailures& failures = session.movieFailures;
    for (auto& [path, variable] : movie->variables) variable.refuseWrites = false;
    for (const std::string& path : failures.refusedPaths)
        if (MovieVariable* variable = movie->Variable(path)) variable->refuseWrites = true;
    movie->refuseSetsFrom = failures.refuseSetsFrom ? movie->sets + failures.refuseSetsFrom : 0;
    movie->failInvokesFrom = failures.failInvokesFrom ? movie->invokes + failures.failInvokesFrom : 0;
    menu->nullNameFrom = failures.lengthFailsFrom ? menu->nameQueries + failures.lengthFailsFrom : 0;
}

void Mode(Session&, const StepArgs& args) { SetAssignmentMode(args[0] == "assign"); }

void MenuStep(Session& session, const StepArgs& args) {
    if (args[0] == "open") {
        Menu* menu = OpenMenu(args[1], true);
        if (args[1] == "FavoritesMenu") {
            session.tilesPrinted = 0;
            FavoritesMovieOptions options = session.movieOptions;
            options.installFlag = !(args.size() > 2 && args[2] == "other-mod");
            MakeFavoritesMovie(menu, options);
        }
        session.out << "  host: " << args[1] << " opens\n";
        if (Loader().menuCallback) Loader().menuCallback(menu);
        // The failures count from here: the plug-in was told of the menu by its name.
        if (args[1] == "FavoritesMenu") ApplyMovieFailures(session, menu);
    } else {
        SetMenuOpen(args[1], false);
        session.out << "  host: " << args[1] << " closes\n";
    }
    session.PrintNewRecords();
}

void MovieStep(Session& session, const StepArgs& args) {
    Session::MovieFailures& failures = session.movieFailures;
    const std::string& what = args[0];
    const int n = args.size() > 1 && what != "refuse" ? static_cast<int>(Session::Number(args[1])) : 0;
    if (what == "refuse" && args.size() > 1) {
        failures.refusedPaths.push_back(args[1]);
    } else if (what == "refuse-from" && n > 0) {
        failures.refuseSetsFrom = n;
    } else if (what == "fail-construct-from" && n > 0) {
        failures.failInvokesFrom = n;
    } else if (what == "fail-length-from" && n > 0) {
        failures.lengthFailsFrom = n;
    } else if (what == "no-growth") {
        session.movieOptions.arrayGrows = false;
    } else if (what == "normal") {
        session.movieOptions = {};
        failures = {};
    } else {
        session.Fail("'movie' takes refuse PATH, refuse-from N, fail-construct-from N, fail-length-from N, no-growth or normal");
    }
    session.out << "  host: the favourites movie: " << args.Rest(0) << "\n";
    if (Menu* open = FindOpenMenu("FavoritesMenu")) ApplyMovieFailures(session, open);
}

void Assign(Session& session, const StepArgs& args) {
    if (args[0] == "none") {
        SetItemBeingAssigned(nullptr);
        session.out << "  host: the item menu assigns nothing\n";
        return;
    }
    if (args.size() < 2) session.Fail("'assign' needs FILE LOCALID or none");
    Form* item = session.Loaded(args[0], args[1]);
    SetItemBeingAssigned(item);
    session.out << "  host: the item menu assigns " << Session::Quote(item->name) << " (runtime id "
                << Velloquin::UpperHex8(item->formId) << ")\n";
}

void Click(Session& session, const StepArgs& args) {
    Menu* menu = FindOpenMenu("FavoritesMenu");
    if (!menu) session.Fail("no favourites menu is open");
    SelectQuickKey(menu, static_cast<std::int32_t>(std::stol(args[0])));
    session.out << "  player: chooses quick key " << args[0] << "\n";
}

}  // namespace

const std::vector<StepRow>& MenuSteps() {
    static const std::vector<StepRow> rows = {
        {{"mode", "assign|free", 1, "the item menus' assignment mode, or free play"}, &Mode},
        {{"menu", "open|close NAME [other-mod]", 2, "opens a menu (the favourites menu gets the extended movie, or another mod's) and tells the plug-in; closes it"}, &MenuStep},
        {{"movie", "refuse PATH|refuse-from N|fail-construct-from N|fail-length-from N|no-growth|normal", 1, "the favourites movie (open now or next) refuses sets of a variable, or every set from the n-th on; fails `ConstructItem` from the n-th call on; fails the array-length reads from the n-th on; never grows its array (the next one); or works again"}, &MovieStep},
        {{"assign", "FILE LOCALID|none", 1, "the item the inventory menu is assigning, or none (the game clears it)"}, &Assign},
        {{"click", "N", 1, "the player chooses quick key N in the favourites menu"}, &Click},
    };
    return rows;
}

}  // namespace TestHost
