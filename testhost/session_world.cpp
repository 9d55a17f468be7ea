// Session steps: the game's world as the data files describe it: the load
// order, forms and their overrides, keywords, damage and ammunition.
#include "session_state.h"

namespace TestHost {

namespace {

std::uint8_t Type(const std::string& word) {
    static const std::map<std::string, std::uint8_t> types = {{"weapon", typeWeapon},
                                                              {"equipment", typeEquipment},
                                                              {"consumable", typeConsumable},
                                                              {"power", typePower},
                                                              {"ammunition", 42},
                                                              {"damagetype", 1}};
    auto found = types.find(word);
    return found != types.end() ? found->second : static_cast<std::uint8_t>(Session::Number(word));
}

void DataFileStep(Session& session, const StepArgs& args) {
    const FileKind kind = args[0] == "small" ? FileKind::Small : args[0] == "medium" ? FileKind::Medium : FileKind::Full;
    session.order.push_back({args[1], kind, args.size() > 2 ? Session::Number(args[2]) : 1u});
}

void ClearLoadOrder(Session& session, const StepArgs&) { session.order.clear(); }

void FormStep(Session& session, const StepArgs& args) {
    session.content.push_back({args[0], Session::Number(args[1]), Type(args[2]), {}, args.Rest(3)});
}

void Override(Session& session, const StepArgs& args) {
    for (ContentForm& form : session.content) {
        if (form.file != args[0] || form.localId != Session::Number(args[1])) continue;
        form.overriddenBy.push_back(args[2]);
        return;
    }
    session.Fail("no form " + args[1] + " of " + args[0] + " to override");
}

void Keyword(Session& session, const StepArgs& args) {
    auto& keywords = session.keywords;
    keywords[args[0]] = MakeKeyword(0x7F0000 + static_cast<std::uint32_t>(keywords.size()), args[0], "", args.Rest(1));
    AddKeywordToGame(keywords[args[0]]);
}

// The four keywords the game knows by fixed form ids.
void SpecialKeyword(Session& session, const StepArgs& args) {
    static const std::map<std::string, std::uint32_t> ids = {
        {"grenade", 0x12345}, {"mine", 0xE56C4}, {"medical", 0x2C1C7A}, {"medical2", 0xF4AE7}};
    auto id = ids.find(args[0]);
    if (id == ids.end()) session.Fail("no keyword '" + args[0] + "' (grenade, mine, medical or medical2)");
    session.keywords[args[1]] = MakeKeyword(id->second, args[1]);
    AddKeywordToGame(session.keywords[args[1]]);
}

void CategoryKeyword(Session& session, const StepArgs& args) {
    auto& keywords = session.keywords;
    keywords[args[0]] =
        MakeKeyword(0x7F0000 + static_cast<std::uint32_t>(keywords.size()), args[0], args.Rest(1), "");
    AddKeywordToGame(keywords[args[0]]);
}

void Tag(Session& session, const StepArgs& args) { session.tags.push_back({{args[0], Session::Number(args[1])}, args[2]}); }

void DamageStep(Session& session, const StepArgs& args) {
    session.damages.push_back(
        {{args[0], Session::Number(args[1])}, {args[2], Session::Number(args[3])}, std::stof(args[4])});
}

void Ammunition(Session& session, const StepArgs& args) {
    session.ammunition.push_back({{args[0], Session::Number(args[1])}, {args[2], Session::Number(args[3])}});
}

}  // namespace

const std::vector<StepRow>& WorldSteps() {
    static const std::vector<StepRow> rows = {
        {{"datafile", "full|small|medium NAME [FLAGS]", 2, "appends a data file to the load order of the next `load-game` (FLAGS: its header flags, 1 when not given)"}, &DataFileStep},
        {{"clear-load-order", "", 0, "starts a new load order"}, &ClearLoadOrder},
        {{"form", "FILE LOCALID TYPE NAME", 4, "a form of that data file (`weapon`, `equipment`, `consumable`, `power`, `ammunition`, `damagetype` or a number)"}, &FormStep},
        {{"override", "FILE LOCALID BYFILE", 3, "another data file overrides the form (in the order given, when both are loaded)"}, &Override},
        {{"keyword", "EDITORID TEXT", 2, "an icon keyword (`ui_icon…`) with its icon name"}, &Keyword},
        {{"special-keyword", "grenade|mine|medical|medical2 EDITORID", 2, "one of the four keywords the game knows by form id (0x12345, 0xE56C4, 0x2C1C7A, 0xF4AE7)"}, &SpecialKeyword},
        {{"category-keyword", "EDITORID NAME", 2, "an inventory-category keyword (`…inventorycategory…`) with its display name"}, &CategoryKeyword},
        {{"tag", "FILE LOCALID EDITORID", 3, "gives the form the keyword"}, &Tag},
        {{"damage", "FILE LOCALID TYPEFILE TYPELOCALID VALUE", 5, "a damage figure of a carried item"}, &DamageStep},
        {{"ammunition", "FILE LOCALID AMMOFILE AMMOLOCALID", 4, "a weapon's ammunition"}, &Ammunition},
    };
    return rows;
}

}  // namespace TestHost
