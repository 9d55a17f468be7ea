// The interface of the stand-in game: the interface manager with its list of
// open menus, menus (virtual slot 3 gives the name) and their movie views.
// The movie model and the favourites movie have headers of their own,
// included here because every user of a menu needs them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "favorites_movie.h"
#include "movie_model.h"

namespace TestHost {

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
    // From the n-th name query on (counted from 1), slot 3 answers null: the
    // game can no longer find the menu by name (0: never). Counted without a
    // lock: the game's threads ask for a menu's name at the same time.
    std::atomic<int> nullNameFrom{0};
    std::atomic<int> nameQueries{0};
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

}  // namespace TestHost
