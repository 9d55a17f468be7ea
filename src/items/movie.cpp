// Typed access to the movie of an open menu: one variable or function by path.
// A setter only ever updates a variable that the movie already holds with the
// matching kind, so another movie's variables are never overwritten.
#include "items/movie.h"

#include <cmath>
#include <cstring>

#include "base/text.h"

namespace Velloquin {

namespace {

using Game::MenuValue;

constexpr std::uint32_t kindMask = 0x8F;
constexpr std::uint32_t managedBit = 0x40;
constexpr std::uint32_t typeBoolean = 2;
constexpr std::uint32_t typeInt = 3;
constexpr std::uint32_t typeUInt = 4;
constexpr std::uint32_t typeNumber = 5;
constexpr std::uint32_t typeString = 6;
constexpr std::uint32_t typeWideString = 7;
constexpr std::uint32_t setKindVariable = 1;
constexpr std::size_t maxOpenMenus = 60;

// Hands a managed value back to the host; plain values hold no reference.
void ReleaseValue(MenuValue& value) {
    if (!(value.type & managedBit)) return;
    static Game::MovieValueRelease* const release =
        Game::Function<Game::MovieValueRelease>(GameIndex::movieValueRelease);
    release(value.objectInterface, &value, value.value);
    value.objectInterface = nullptr;
}

Game::Movie* ResolveMovie(const std::string& menuName, Game::Menu* menu) {
    if (!menu) menu = FindMenuByName(menuName);
    return menu ? Game::MenuMovie(menu) : nullptr;
}

// Reads the variable at `path`; true when it exists with one of the kinds.
bool ReadVariable(Game::Movie* movie, const std::string& path, MenuValue& value, std::uint32_t kindA,
                  std::uint32_t kindB) {
    if (!Game::MovieGetVariable(movie, &value, path.c_str())) return false;
    const std::uint32_t kind = value.type & kindMask;
    if (kind != kindA && kind != kindB) {
        ReleaseValue(value);
        return false;
    }
    return true;
}

// First half of a write: the movie and the variable's current value, which
// must be of one of the two kinds. On success the old content is released and
// `kind` says which kind the variable holds.
bool BeginWrite(const std::string& menuName, const std::string& path, Game::Menu* menu, std::uint32_t kindA,
                std::uint32_t kindB, Game::Movie*& movie, MenuValue& value, std::uint32_t& kind) {
    if (path.empty()) return false;
    movie = ResolveMovie(menuName, menu);
    if (!movie) return false;
    value = MenuValue{};  // a fresh value: type 0, no reference
    if (!ReadVariable(movie, path, value, kindA, kindB)) return false;
    kind = value.type & kindMask;
    ReleaseValue(value);
    return true;
}

// Second half: store the new content and hand it to the movie.
bool FinishWrite(Game::Movie* movie, const std::string& path, MenuValue& value, std::uint32_t type,
                 std::uint64_t word) {
    value.objectInterface = nullptr;
    value.type = type;
    value.value = word;
    const bool accepted = Game::MovieSetVariable(movie, path.c_str(), &value, setKindVariable);
    ReleaseValue(value);
    return accepted;
}

}  // namespace

// Truncated toward zero, low 32 bits of the integer. Values outside the
// 64-bit range saturate; NaN gives 0.
std::uint32_t TruncateNumberToUInt(float value) {
    if (std::isnan(value)) return 0;
    constexpr float limit = 9.2233720368547758e18f;  // 2^63
    if (value >= limit) return 0xFFFFFFFFu;
    if (value <= -limit) return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(value));
}

Game::Menu* FindMenuByName(const std::string& name) {
    if (name.empty()) return nullptr;
    void* ui = Game::UiObject();
    if (!ui) return nullptr;
    const std::string wanted = LowerAscii(name);

    const std::uint32_t count = Game::OpenMenuCount(ui);
    const std::uint32_t limit = count < maxOpenMenus ? count : static_cast<std::uint32_t>(maxOpenMenus);
    for (std::uint32_t i = 0; i < limit; ++i) {
        Game::Menu* menu = Game::OpenMenuAt(ui, i);
        if (!menu) continue;
        const char* menuName = Game::MenuName(menu);
        if (!menuName) continue;
        const std::string candidate = LowerAscii(menuName);
        // Compared as zero-terminated strings: an embedded zero ends the name.
        if (std::strcmp(candidate.c_str(), wanted.c_str()) == 0) return menu;
    }
    return nullptr;
}

bool GetMenuArraySize(const std::string& menuName, const std::string& path, std::uint32_t* count) {
    if (path.empty() || !count) return false;
    Game::Movie* movie = ResolveMovie(menuName, nullptr);
    if (!movie) return false;
    *count = Game::MovieArraySize(movie, path.c_str());
    return true;
}

bool GetMenuInt(const std::string& menuName, const std::string& path, std::int32_t* value, Game::Menu* menu) {
    if (path.empty() || !value) return false;
    Game::Movie* movie = ResolveMovie(menuName, menu);
    if (!movie) return false;
    MenuValue read;
    if (!ReadVariable(movie, path, read, typeInt, typeInt)) return false;
    std::uint32_t bits = static_cast<std::uint32_t>(read.value);
    std::memcpy(value, &bits, sizeof bits);
    ReleaseValue(read);
    return true;
}

bool GetMenuBool(const std::string& menuName, const std::string& path, bool* value, Game::Menu* menu) {
    if (path.empty() || !value) return false;
    Game::Movie* movie = ResolveMovie(menuName, menu);
    if (!movie) return false;
    MenuValue read;
    if (!ReadVariable(movie, path, read, typeBoolean, typeBoolean)) return false;
    *value = static_cast<std::uint8_t>(read.value) != 0;
    ReleaseValue(read);
    return true;
}

bool SetMenuString(const std::string& menuName, const std::string& path, const std::string& text, Game::Menu* menu) {
    Game::Movie* movie = nullptr;
    MenuValue value;
    std::uint32_t kind = 0;
    if (!BeginWrite(menuName, path, menu, typeString, typeWideString, movie, value, kind)) return false;
    if (kind == typeWideString) {
        // Lives until the host has answered the write.
        const std::u16string wide = Utf8ToUtf16(text);
        return FinishWrite(movie, path, value, typeWideString, reinterpret_cast<std::uintptr_t>(wide.c_str()));
    }
    return FinishWrite(movie, path, value, typeString, reinterpret_cast<std::uintptr_t>(text.c_str()));
}

bool SetMenuInt(const std::string& menuName, const std::string& path, std::int32_t value, Game::Menu* menu) {
    Game::Movie* movie = nullptr;
    MenuValue current;
    std::uint32_t kind = 0;
    if (!BeginWrite(menuName, path, menu, typeInt, typeInt, movie, current, kind)) return false;
    return FinishWrite(movie, path, current, typeInt, static_cast<std::uint32_t>(value));
}

bool SetMenuUInt(const std::string& menuName, const std::string& path, std::uint32_t value, Game::Menu* menu) {
    Game::Movie* movie = nullptr;
    MenuValue current;
    std::uint32_t kind = 0;
    if (!BeginWrite(menuName, path, menu, typeUInt, typeUInt, movie, current, kind)) return false;
    return FinishWrite(movie, path, current, typeUInt, value);
}

bool SetMenuNumber(const std::string& menuName, const std::string& path, float value, Game::Menu* menu) {
    Game::Movie* movie = nullptr;
    MenuValue current;
    std::uint32_t kind = 0;
    if (!BeginWrite(menuName, path, menu, typeNumber, typeNumber, movie, current, kind)) return false;
    // The movie's Number variables receive whole unsigned numbers.
    return FinishWrite(movie, path, current, typeUInt, TruncateNumberToUInt(value));
}

bool SetMenuBool(const std::string& menuName, const std::string& path, bool value, Game::Menu* menu) {
    Game::Movie* movie = nullptr;
    MenuValue current;
    std::uint32_t kind = 0;
    if (!BeginWrite(menuName, path, menu, typeBoolean, typeBoolean, movie, current, kind)) return false;
    return FinishWrite(movie, path, current, typeBoolean, value ? 1 : 0);
}

bool InvokeMenuFunction(const std::string& menuName, const std::string& path, Game::Menu* menu) {
    if (path.empty()) return false;
    Game::Movie* movie = ResolveMovie(menuName, menu);
    if (!movie) return false;
    return Game::MovieInvoke(movie, path.c_str(), nullptr, nullptr, 0);
}

}  // namespace Velloquin
