// The interface of the stand-in game: the interface manager with its list of
// open menus, menus (virtual slot 3 gives the name), their movie views and a
// movie model. The movie holds typed variables, arrays and functions, and
// records every get, set, array-size read, invoke and value release.
//
// Records (TestHost::Record):
//   "movie get PATH -> KIND VALUE" / "movie get PATH -> missing"
//   "movie set PATH = KIND VALUE" (refused writes end with " (refused)")
//   "movie arraysize PATH -> N"
//   "movie invoke PATH" (" -> missing" when the movie has no such function)
//   "movie release PATH"
// KIND is Boolean, Int, UInt, Number, String or WideString; texts are quoted
// (wide texts shown as UTF-8).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace TestHost {

enum class ValueKind : std::uint32_t {
    Undefined = 0,
    Boolean = 2,
    Int = 3,
    UInt = 4,
    Number = 5,
    String = 6,
    WideString = 7,
};
inline constexpr std::uint32_t managedValueBit = 0x40;

// The game's movie value record.
struct MenuValue {
    void* objectInterface = nullptr;
    std::uint32_t type = 0;
    std::uint32_t reserved = 0;
    std::uint64_t value = 0;
};
static_assert(sizeof(MenuValue) == 0x18 && offsetof(MenuValue, type) == 8 && offsetof(MenuValue, value) == 0x10);

struct Movie;

// A movie variable. Its kind is the declared one: a write of another kind is
// converted into it (the record shows what the plug-in sent).
struct MovieVariable {
    std::string path;
    ValueKind kind = ValueKind::Undefined;
    bool managed = false;       // gets hand out managed values (bit 0x40)
    bool refuseWrites = false;  // the movie answers false to every set
    bool boolean = false;
    std::int32_t intValue = 0;
    std::uint32_t uintValue = 0;
    double number = 0.0;
    std::string text;           // String, and the UTF-8 form of a WideString
    std::u16string wide;        // WideString
    // The kind and value word of the last write as the plug-in sent them.
    std::uint32_t lastWrittenType = 0;
    std::uint64_t lastWrittenWord = 0;
    int writes = 0;
    // Managed references handed out and not yet released, and releases seen.
    int outstanding = 0;
    int releases = 0;
    struct Interface {
        Movie* movie = nullptr;
        MovieVariable* variable = nullptr;
    } objectInterface;
};

// One element of a movie array: the values it was built from, as text.
using MovieElement = std::map<std::string, std::string>;

struct Movie {
    void* const* table = nullptr;  // slots 49 set, 50 get, 53 array size, 56 invoke

    // Host side.
    std::map<std::string, MovieVariable> variables;
    std::map<std::string, std::vector<MovieElement>> arrays;
    std::map<std::string, std::function<bool(Movie&)>> functions;

    MovieVariable& AddVariable(const std::string& path, ValueKind kind, bool managed = false);
    MovieVariable* Variable(const std::string& path);
    // The variable's value as the records show it ("Int 3", "String \"x\"").
    std::string Describe(const std::string& path);
};

struct MovieView {
    std::uint8_t unused[0x18] = {};
    Movie* movie = nullptr;  // 0x18
};
static_assert(offsetof(MovieView, movie) == 0x18);

struct Menu {
    void* const* table = nullptr;
    std::uint64_t unused = 0;
    MovieView* view = nullptr;  // 0x10

    // Host side.
    std::string name;
    bool nullName = false;  // slot 3 answers null
};
static_assert(offsetof(Menu, view) == 0x10);

struct UiManager {
    std::uint8_t unused[0x80] = {};
    Menu** openMenus = nullptr;   // 0x80
    std::uint64_t unused2 = 0;
    std::uint32_t openCount = 0;  // 0x90
};
static_assert(offsetof(UiManager, openMenus) == 0x80 && offsetof(UiManager, openCount) == 0x90);

// The interface manager published at the game's pointer (fresh at every reset).
UiManager& Ui();
// Publishes no interface manager (the pointer reads null) or the manager again.
void SetUiPresent(bool present);

// Opens a menu (appended to the open-menu list) with a movie view and an empty
// movie; `withView` false gives a menu without movie view. Owned until reset.
Menu* OpenMenu(const std::string& name, bool withView = true);
void CloseMenu(Menu* menu);
// Appends a null entry to the open-menu list.
void AddNullOpenMenu();
Movie* MovieOf(Menu* menu);
// The menu's movie view keeps no movie (the view's pointer reads null).
void DropMovie(Menu* menu);

// The extended favourites movie: every root1.Menu_mc variable the plug-in
// uses, with its kind, and root1.Menu_mc.ConstructItem appending one element
// (the current ConstructItem* values) to root1.Menu_mc.FavoritesInfoA.
struct FavoritesMovieOptions {
    bool installFlag = true;         // root1.Menu_mc.bVelloquinInstalled exists
    bool installed = true;           // ... and holds this value
    bool wideStrings = false;        // the text variables are wide Strings
    bool managedValues = false;      // every variable hands out managed values
    bool arrayGrows = true;          // ConstructItem appends to the array
    std::size_t initialEntries = 0;  // elements FavoritesInfoA starts with
};
void MakeFavoritesMovie(Menu* menu, const FavoritesMovieOptions& options = {});
// The player clicks the tile of quick key `quickKey`.
void SelectQuickKey(Menu* menu, std::int32_t quickKey);

// Managed references handed out by all movies and not yet released.
int OutstandingMovieValues();
// Every release the host saw that matched no reference handed out.
const std::vector<std::string>& MovieValueReleaseErrors();

}  // namespace TestHost
