// Session steps: what the plug-in and the game load: the data handler and the
// key-name tables they read, the plug-in itself, and the game with the world
// the script described.
#include "equipment.h"
#include "game_runtime.h"
#include "host_parts.h"
#include "player.h"
#include "session_state.h"

namespace TestHost {

namespace {

// Loads the game with the load order, then gives the world and the player
// what the script described, and fires the load event.
void LoadTheGame(Session& session) {
    LoadGame(session.order, session.content);
    for (const auto& [key, keywordId] : session.tags) {
        Form* form = LoadedForm(key.first, key.second);
        auto keyword = session.keywords.find(keywordId);
        if (form && keyword != session.keywords.end()) AddKeyword(form, keyword->second);
    }
    std::map<Form*, std::vector<std::pair<Form*, float>>> damageLists;
    for (const Session::Damage& damage : session.damages) {
        Form* form = LoadedForm(damage.form.file, damage.form.localId);
        Form* type = LoadedForm(damage.type.file, damage.type.localId);
        if (form && type) damageLists[form].push_back({type, damage.value});
    }
    for (auto& [form, pairs] : damageLists) SetDamage(form, pairs);
    for (const auto& [weapon, ammo] : session.ammunition) {
        Form* weaponForm = LoadedForm(weapon.file, weapon.localId);
        if (weaponForm) SetAmmunition(weaponForm, LoadedForm(ammo.file, ammo.localId));
    }
    for (const Session::Carried& item : session.carried) {
        Form* form = LoadedForm(item.file, item.localId);
        if (!form) continue;  // its data file is not loaded now
        if (item.power) {
            AddPowerToGame(form);
            GivePower(form);
        } else {
            const std::size_t position = AddItem(form, item.count);
            if (!item.stackName.empty()) SetStackName(position, 0, item.stackName);
            if (item.worn) SetEquipped(form, true);
        }
    }
    for (const auto& [slot, ref] : session.nativeSlots) SetNativeSlot(slot, LoadedForm(ref.file, ref.localId));
    SetInventoryPresent(session.inventoryPresent);
    FireLoadGame();
}

void DataHandlerStep(Session& session, const StepArgs& args) {
    SetDataHandlerPresent(args[0] != "absent");
    session.out << "  host: the data handler is " << (args[0] != "absent" ? "there" : "absent") << "\n";
}

void KeyName(Session& session, const StepArgs& args) {
    static const std::map<std::string, InputDevice> devices = {
        {"keyboard", InputDevice::Keyboard}, {"mouse", InputDevice::Mouse}, {"gamepad", InputDevice::Gamepad}};
    auto device = devices.find(args[0]);
    if (device == devices.end()) session.Fail("'key-name' takes keyboard, mouse or gamepad");
    auto& entries = session.keyNames[device->second];
    entries.push_back({Session::Number(args[1]), args.size() > 2 ? args.Rest(2) : std::string()});
    SetKeyNameEntries(device->second, entries);
}

void KeyNames(Session& session, const StepArgs& args) {
    static const std::map<std::string, InputDevice> devices = {
        {"keyboard", InputDevice::Keyboard}, {"mouse", InputDevice::Mouse}, {"gamepad", InputDevice::Gamepad}};
    if (args[0] == "all") {
        RemoveInputNameObject();
    } else {
        auto device = devices.find(args[0]);
        if (device == devices.end()) session.Fail("'key-names' takes keyboard, mouse, gamepad or all");
        RemoveInputMap(device->second);
        session.keyNames.erase(device->second);
    }
    session.out << "  host: the game has no key-name table for " << args[0] << "\n";
}

void LoadPluginStep(Session& session, const StepArgs&) {
    // Loaded before: the game starts again, a new process whose hook site is
    // the game's own call again (the plug-in before redirected it).
    if (CurrentPlugin().module) {
        UnloadPlugin();
        ForgetEventSinks();
        LayHookRoutine();
    }
    LoadPlugin();
    const bool loaded = CallPluginLoad();
    session.out << "  loader: QVEXPlugin_Load answered " << (loaded ? "true" : "false") << "\n";
    SendLoaderMessage(2);
    session.PrintNewRecords();
}

void LoadGameStep(Session& session, const StepArgs&) {
    session.out << "  host: game loaded with " << session.order.size() << " data files\n";
    LoadTheGame(session);
    session.PrintNewRecords();
}

}  // namespace

const std::vector<StepRow>& LoadingSteps() {
    static const std::vector<StepRow> rows = {
        {{"data-handler", "present|absent", 1, "the game's data handler is there, or its pointer reads null"}, &DataHandlerStep},
        {{"key-name", "keyboard|mouse|gamepad CODE [NAME]", 2, "adds an entry to one of the game's key-name tables (without NAME: an empty entry)"}, &KeyName},
        {{"key-names", "keyboard|mouse|gamepad|all", 1, "the game has no key-name table for the device, or no key-name object at all"}, &KeyNames},
        {{"load-plugin", "", 0, "the loader maps the plug-in, calls `QVEXPlugin_Load` and sends message 2"}, &LoadPluginStep},
        {{"load-game", "", 0, "loads the game with the current load order (new runtime ids) and fires the load event"}, &LoadGameStep},
    };
    return rows;
}

}  // namespace TestHost
