// Texts of forms and ids: owned copies of host texts and hexadecimal forms of
// ids and addresses. None of them fails; missing data gives empty text or a
// fixed fallback.
#include "items/form_text.h"

#include "base/text.h"

namespace Velloquin {

namespace {

std::string CopyHostText(const char* text) { return text ? std::string(text) : std::string(); }

}  // namespace

std::uint32_t GetFormID(const Game::Form* form) { return form ? Game::FormId(form) : 0; }

std::string GetFormName(const Game::Form* form) { return form ? CopyHostText(Game::FormDisplayName(form)) : std::string(); }

std::string GetFormEditorID(const Game::Form* form) { return form ? CopyHostText(Game::FormEditorId(form)) : std::string(); }

std::string GetHexID(std::uint32_t value) { return value == 0 ? std::string() : UpperHex8(value); }

std::string GetFormHexID(const Game::Form* form) { return form ? UpperHex8(Game::FormId(form)) : std::string(); }

std::string GetAddressText(std::uintptr_t address) { return address == 0 ? std::string() : UpperHex(address); }

std::string DescribeForm(const Game::Form* form) {
    if (!form) return "!!! ERROR: nullptr form !!!";

    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "[" + std::string.
    std::string text = "[";
    text += GetHexID(Game::FormId(form));
    text += " | ";
    text += GetAddressText(reinterpret_cast<std::uintptr_t>(form));

    // The type and data-file index texts are built separately; a failure in
    // either one is shown in its place and cuts the description short there.
    bool failed = false;
    std::string typeText;
    try {
        typeText = std::to_string(Game::StoredFormType(form));
    } catch (...) {
        typeText = "{exception}";
        failed = true;
    }
    text += typeText.empty() ? std::string(" | {unknown_type}") : " | " + typeText;

    std::string indexText;
    try {
        const std::uint16_t index = Game::FormFileIndex(form);
        indexText = std::to_string(index) + "|0x" + UpperHex(index);
    } catch (...) {
        indexText = "{exception}";
        failed = true;
    }
    text += indexText.size() < 3 ? std::string(" | {unknown_modindex}") : " | " + indexText;

    if (failed) return text + "]";

    const std::string name = GetFormName(form);
    text += name.empty() ? std::string(" | {unnamed}") : " | " + name;
    const std::string editorId = GetFormEditorID(form);
    text += editorId.empty() ? std::string(" | {no_edid}") : " | " + editorId;
    return text + "]";
}

std::string LogFormText(const Game::Form* form) {
    if (!form) return "(none)";
    std::string text = "\"";
    text += GetFormName(form);
    text += "\" (";
    text += GetFormHexID(form);
    text += ")";
    return text;
}

}  // namespace Velloquin
