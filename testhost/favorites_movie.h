// The extended favourites movie that the game's favourites menu carries when
// the plug-in's interface file is installed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace TestHost {

struct Menu;

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

}  // namespace TestHost
