// Icon keywords: the table from the game's keywords to icon names, rebuilt on
// every game load, the four fixed keywords, and the icon of a form.
#include "items/icons.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "items/form_text.h"
#include "core/error_report.h"

namespace Velloquin {

// The four keywords the icon choice tests by identity. Looked up again by
// PrecacheIconKeywords on every reload (game-load sink, deferred reload),
// under stateMutex; read by the menu fill under stateMutex. Null until the
// first load, and when the game has no such form.
const Game::Form* grenadeKeyword = nullptr;
const Game::Form* mineKeyword = nullptr;
const Game::Form* medicalKeyword1 = nullptr;
const Game::Form* medicalKeyword2 = nullptr;

namespace {

constexpr std::uint32_t grenadeKeywordId = 0x12345;
constexpr std::uint32_t mineKeywordId = 0xE56C4;
constexpr std::uint32_t medicalKeyword1Id = 0x2C1C7A;
constexpr std::uint32_t medicalKeyword2Id = 0xF4AE7;

// Replaces every occurrence, scanning left to right past each replacement.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string KeywordText(const Game::Form* keyword) {
    // A reference entry has no inline text and reads as empty.
    const char* text = Game::PooledText(Game::KeywordTextEntry(keyword));
    return text ? std::string(text) : std::string();
}

}  // namespace

// The inventory-category display names as the favourites menu's icon library names them.
std::string MakeCategoryIconName(std::string name) {
    ReplaceAll(name, "Aid: ", "");
    ReplaceAll(name, "Equipment: Suit", "Spacesuit");
    ReplaceAll(name, "Equipment: Backpack", "Pack");
    ReplaceAll(name, "Equipment: ", "");
    return name;
}

void PrecacheIconKeywords() {
    iconKeywords.clear();

    std::vector<const Game::Form*> keywords;
    if (const void* handler = Game::DataHandler()) {
        const std::uint32_t count = Game::HandlerKeywordCount(handler);
        keywords.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) keywords.push_back(Game::HandlerKeyword(handler, i));
    }
    if (keywords.empty()) {
        ReportError("Velloquin::PrecacheIconKeywords", 635, "no Keyword could be found");
        return;
    }

    for (const Game::Form* keyword : keywords) {
        if (!keyword) continue;
        const std::string editorId = LowerAscii(GetFormEditorID(keyword));
        if (editorId.empty()) continue;
        if (editorId.find("ui_icon") != std::string::npos || editorId.find("ui_anim") != std::string::npos) {
            std::string text = KeywordText(keyword);
            if (!text.empty()) iconKeywords.emplace(keyword, std::move(text));
        } else if (editorId.find("inventorycategory") != std::string::npos) {
            const std::string name = GetFormName(keyword);
            if (name.empty()) continue;
            iconKeywords.emplace(keyword, MakeCategoryIconName(name));
        }
    }

    grenadeKeyword = Game::LookupFormByID(grenadeKeywordId);
    mineKeyword = Game::LookupFormByID(mineKeywordId);
    medicalKeyword1 = Game::LookupFormByID(medicalKeyword1Id);
    medicalKeyword2 = Game::LookupFormByID(medicalKeyword2Id);
}

bool GetIconCategory(const Game::Form* form, IconCategory* out) {
    if (!form || !out) return false;
    const std::uint8_t type = Game::FormType(form);

    if (type == formTypeWeapon) {
        if (HasKeyword(form, grenadeKeyword)) {
            *out = {"Grenade", "FavoritesMenu"};
            return true;
        }
        if (HasKeyword(form, mineKeyword)) {
            *out = {"Mine", "FavoritesMenu"};
            return true;
        }
    } else if (type == formTypeConsumable) {
        if (HasKeyword(form, medicalKeyword1) || HasKeyword(form, medicalKeyword2)) {
            *out = {"Meds", "FavoritesMenu"};
            return true;
        }
    }

    for (const auto& [keyword, iconName] : iconKeywords) {
        if (!HasKeyword(form, keyword)) continue;
        const char* directory = type == formTypeWeapon  ? "WeaponIcons"
                                : type == formTypePower ? "PowersLibrary"
                                                        : "FavoritesMenu";
        *out = {iconName, directory};
        return true;
    }

    if (type == formTypeWeapon) {
        *out = {"Weapon_Generic", "FavoritesMenu"};
        return true;
    }
    return false;
}

bool HasKeyword(const Game::Form* form, const Game::Form* keyword) {
    if (!form || !keyword) return false;
    const void* holder = Game::KeywordHolder(form);
    if (!holder) return false;
    const std::uint32_t wanted = Game::FormId(keyword);
    const std::uint32_t count = Game::HolderKeywordCount(holder);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Game::Form* carried = Game::HolderKeyword(holder, i);
        if (carried && Game::FormId(carried) == wanted) return true;
    }
    return false;
}

}  // namespace Velloquin
