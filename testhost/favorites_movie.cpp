#include "favorites_movie.h"

#include <string>
#include <utility>

#include "menus.h"

namespace TestHost {

void MakeFavoritesMovie(Menu* menu, const FavoritesMovieOptions& options) {
    Movie* movie = MovieOf(menu);
    if (!movie) return;
    const std::string prefix = "root1.Menu_mc.";
    const ValueKind text = options.wideStrings ? ValueKind::WideString : ValueKind::String;
    const std::pair<const char*, ValueKind> variables[] = {
        {"ConstructItemName", text},
        {"ConstructItemCount", ValueKind::UInt},
        {"ConstructItemIsPower", ValueKind::Boolean},
        {"ConstructItemAmmoName", text},
        {"ConstructItemAmmoCount", ValueKind::UInt},
        {"ConstructItemIsEquippable", ValueKind::Boolean},
        {"ConstructItemIsEquipped", ValueKind::Boolean},
        {"ConstructItemDamagePhysical", ValueKind::Number},
        {"ConstructItemDamageEM", ValueKind::Number},
        {"ConstructItemDamageEnergy", ValueKind::Number},
        {"ConstructItemQuickKeyName", text},
        {"ConstructItemIconName", text},
        {"ConstructItemIconDirectoryName", text},
        {"ConstructItemArrayIndex", ValueKind::Int},
        {"ConstructItemVisible", ValueKind::Boolean},
        {"iLastSelectedQuickKey", ValueKind::Int},
    };
    for (const auto& [name, kind] : variables) movie->AddVariable(prefix + name, kind, options.managedValues);
    movie->Variable(prefix + "iLastSelectedQuickKey")->intValue = -1;
    if (options.installFlag)
        movie->AddVariable(prefix + "bVelloquinInstalled", ValueKind::Boolean, options.managedValues).boolean =
            options.installed;
    movie->arrays[prefix + "FavoritesInfoA"].resize(options.initialEntries);
    const bool grows = options.arrayGrows;
    movie->functions[prefix + "ConstructItem"] = [prefix, grows](Movie& m) {
        if (!grows) return true;
        MovieElement element;
        for (auto& [path, variable] : m.variables) {
            if (path.rfind(prefix + "ConstructItem", 0) != 0) continue;
            element[path.substr(prefix.size())] = VariableText(variable);
        }
        m.arrays[prefix + "FavoritesInfoA"].push_back(std::move(element));
        // The movie starts every entry from blank values: an entry shows only what was pushed for it.
        for (auto& [path, variable] : m.variables) {
            if (path.rfind(prefix + "ConstructItem", 0) != 0) continue;
            variable.boolean = false;
            variable.intValue = 0;
            variable.uintValue = 0;
            variable.number = 0.0;
            variable.text.clear();
            variable.wide.clear();
        }
        return true;
    };
}

void SelectQuickKey(Menu* menu, std::int32_t quickKey) {
    Movie* movie = MovieOf(menu);
    if (!movie) return;
    if (MovieVariable* selected = movie->Variable("root1.Menu_mc.iLastSelectedQuickKey")) selected->intValue = quickKey;
}

}  // namespace TestHost
