// Session steps: the player: what the character carries and knows (given
// again after each load), the game's own quick slots, the character's id and
// inventory list.
#include "equipment.h"
#include "game_runtime.h"
#include "menus.h"
#include "player.h"
#include "session_state.h"

namespace TestHost {

namespace {

void Carry(Session& session, const StepArgs& args) {
    session.carried.push_back(
        {args[0], Session::Number(args[1]), args.size() > 2 ? Session::Number(args[2]) : 1u, false});
}

void StackName(Session& session, const StepArgs& args) {
    for (Session::Carried& item : session.carried) {
        if (item.power || item.file != args[0] || item.localId != Session::Number(args[1])) continue;
        item.stackName = args.Rest(2);
        return;
    }
    session.Fail("no carried item " + args[1] + " of " + args[0]);
}

void KnowPower(Session& session, const StepArgs& args) {
    session.carried.push_back({args[0], Session::Number(args[1]), 0, true});
}

void NativeSlot(Session& session, const StepArgs& args) {
    const auto slot = static_cast<int>(Session::Number(args[0]));
    if (slot < 0 || slot > 9) session.Fail("the game's own slots are 0 to 9");
    if (args[1] == "none") {
        session.nativeSlots.erase(slot);
        SetNativeSlot(slot, nullptr);
        return;
    }
    if (args.size() < 3) session.Fail("'native-slot' needs N FILE LOCALID or N none");
    session.nativeSlots[slot] = {args[1], Session::Number(args[2])};
    SetNativeSlot(slot, LoadedForm(args[1], Session::Number(args[2])));
}

// Items that change hands during play, without a load; later loads give the new count.
Session::Carried* CarriedItem(Session& session, const std::string& file, std::uint32_t localId) {
    for (Session::Carried& item : session.carried)
        if (!item.power && item.file == file && item.localId == localId) return &item;
    return nullptr;
}

void PickUp(Session& session, const StepArgs& args) {
    Form* form = session.Loaded(args[0], args[1]);
    const std::uint32_t count = args.size() > 2 ? Session::Number(args[2]) : 1u;
    AddItem(form, count);
    if (Session::Carried* item = CarriedItem(session, args[0], Session::Number(args[1])))
        item->count += count;
    else
        session.carried.push_back({args[0], Session::Number(args[1]), count, false});
    session.out << "  player: picks up " << count << " " << Session::Quote(form->name) << "\n";
}

void Drop(Session& session, const StepArgs& args) {
    Form* form = session.Loaded(args[0], args[1]);
    if (!DropAll(form)) session.Fail("the player carries no " + args[1] + " of " + args[0]);
    std::erase_if(session.carried, [&](const Session::Carried& item) {
        return !item.power && item.file == args[0] && item.localId == Session::Number(args[1]);
    });
    session.out << "  player: drops every " << Session::Quote(form->name) << "\n";
}

void UseUp(Session& session, const StepArgs& args) {
    Form* form = session.Loaded(args[0], args[1]);
    if (!UseUpOne(form)) session.Fail("the player carries no " + args[1] + " of " + args[0]);
    if (Session::Carried* item = CarriedItem(session, args[0], Session::Number(args[1])); item && item->count > 0)
        --item->count;
    session.out << "  player: uses up one " << Session::Quote(form->name) << "\n";
}

// The player puts on or takes off a carried item during play (as the game's
// own menus would); the state is given again after later loads.
void WearStep(Session& session, const StepArgs& args, bool wear) {
    Form* form = session.Loaded(args[0], args[1]);
    Session::Carried* item = CarriedItem(session, args[0], Session::Number(args[1]));
    if (!item) session.Fail("the player carries no " + args[1] + " of " + args[0]);
    item->worn = wear;
    SetEquipped(form, wear);
    session.out << "  player: " << (wear ? "puts on " : "takes off ") << Session::Quote(form->name) << "\n";
}

void Wear(Session& session, const StepArgs& args) { WearStep(session, args, true); }
void TakeOff(Session& session, const StepArgs& args) { WearStep(session, args, false); }

void PlayerId(Session& session, const StepArgs& args) {
    if (args[0] != "none") return SetPlayerId(std::stoull(args[0], nullptr, 0));
    RemovePlayerIdHolder();
    session.out << "  host: the player-id holder reads null\n";
}

void PlayerStep(Session& session, const StepArgs& args) {
    SetPlayerPresent(args[0] != "absent");
    session.out << "  host: the player object is " << (args[0] != "absent" ? "there" : "absent") << "\n";
}

void InterfaceManager(Session& session, const StepArgs& args) {
    SetUiPresent(args[0] != "absent");
    session.out << "  host: the interface manager is " << (args[0] != "absent" ? "there" : "absent") << "\n";
}

void FavoritesManagerStep(Session& session, const StepArgs& args) {
    SetFavoritesManagerPresent(args[0] != "absent");
    session.out << "  host: the favourites manager is " << (args[0] != "absent" ? "there" : "absent") << "\n";
}

void CloseRequests(Session& session, const StepArgs& args) {
    SetCloseOnRequest(args[0] != "ignore");
    session.out << "  host: the game "
                << (args[0] != "ignore" ? "closes a menu when asked" : "ignores close requests") << "\n";
}

void Inventory(Session& session, const StepArgs& args) {
    session.inventoryPresent = args[0] != "absent";
    SetInventoryPresent(session.inventoryPresent);
    session.out << "  host: the player's inventory list is " << (session.inventoryPresent ? "there" : "absent") << "\n";
}

}  // namespace

const std::vector<StepRow>& PlayerSteps() {
    static const std::vector<StepRow> rows = {
        {{"carry", "FILE LOCALID [COUNT]", 2, "an item in the player's inventory (given again after each load)"}, &Carry},
        {{"pick-up", "FILE LOCALID [COUNT]", 2, "the player picks up items during play, without a load (1 when COUNT is not given; carried after later loads too)"}, &PickUp},
        {{"drop", "FILE LOCALID", 2, "the player drops every item of the form during play (no longer carried after later loads)"}, &Drop},
        {{"use-up", "FILE LOCALID", 2, "the player uses one item of the form up during play"}, &UseUp},
        {{"wear", "FILE LOCALID", 2, "the player puts on a carried item during play (worn after later loads too)"}, &Wear},
        {{"take-off", "FILE LOCALID", 2, "the player takes off a worn item during play"}, &TakeOff},
        {{"stack-name", "FILE LOCALID NAME", 3, "a custom name on the first stack of a carried item"}, &StackName},
        {{"know-power", "FILE LOCALID", 2, "a power the player knows (given again after each load)"}, &KnowPower},
        {{"native-slot", "N FILE LOCALID|N none", 2, "the item in the game's own quick slot N (0-9; given again after each load)"}, &NativeSlot},
        {{"player-id", "N|none", 1, "the character's id (64 bits), or a player-id holder that reads null"}, &PlayerId},
        {{"player", "present|absent", 1, "the game's player object is there, or its pointer reads null"}, &PlayerStep},
        {{"interface-manager", "present|absent", 1, "the game's interface manager is there, or its pointer reads null"}, &InterfaceManager},
        {{"favorites-manager", "present|absent", 1, "the game's favourites manager is there, or its pointer reads null"}, &FavoritesManagerStep},
        {{"close-requests", "obey|ignore", 1, "the game closes a menu when asked, or ignores the request"}, &CloseRequests},
        {{"inventory", "present|absent", 1, "the player's inventory list is there, or the player holds none"}, &Inventory},
    };
    return rows;
}

}  // namespace TestHost
