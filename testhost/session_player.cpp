// Session steps: the player: what the character carries and knows (given
// again after each load), the game's own quick slots, the character's id and
// inventory list.
#include "equipment.h"
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

void PlayerId(Session&, const StepArgs& args) { SetPlayerId(std::stoull(args[0], nullptr, 0)); }

void Inventory(Session& session, const StepArgs& args) {
    session.inventoryPresent = args[0] != "absent";
    SetInventoryPresent(session.inventoryPresent);
    session.out << "  host: the player's inventory list is " << (session.inventoryPresent ? "there" : "absent") << "\n";
}

}  // namespace

const std::vector<StepRow>& PlayerSteps() {
    static const std::vector<StepRow> rows = {
        {{"carry", "FILE LOCALID [COUNT]", 2, "an item in the player's inventory (given again after each load)"}, &Carry},
        {{"stack-name", "FILE LOCALID NAME", 3, "a custom name on the first stack of a carried item"}, &StackName},
        {{"know-power", "FILE LOCALID", 2, "a power the player knows (given again after each load)"}, &KnowPower},
        {{"native-slot", "N FILE LOCALID|N none", 2, "the item in the game's own quick slot N (0-9; given again after each load)"}, &NativeSlot},
        {{"player-id", "N", 1, "the character's id (64 bits)"}, &PlayerId},
        {{"inventory", "present|absent", 1, "the player's inventory list is there, or the player holds none"}, &Inventory},
    };
    return rows;
}

}  // namespace TestHost
