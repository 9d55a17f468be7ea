// Unit tests share one copy of the plug-in's globals: each test starts from
// the state the plug-in has right after start-up.
#pragma once

#include "plugin/state.h"

inline void ResetPluginState() {
    using namespace Velloquin;
    pluginInactive = 0;
    reloadPending = 0;
    creditsMenuTime = 0;
    favoritesMenuOpened = false;
    favoritesMenuPopulated = false;
    populateFailed = false;
    openFavoritesMenu = nullptr;
    favoritesMenuOpenTime = 0;
    lastUpdateTime = 0;
    populateFailTime = 0;
    quickItems.fill(nullptr);
    quickKeyCodes.fill(0);
    quickKeyVisible.fill(true);
}
