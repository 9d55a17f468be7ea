#include "menus.h"

#include <deque>
#include <memory>
#include <vector>

#include "image.h"
#include "game/game_index.h"
#include "recorder.h"

namespace TestHost {

namespace GI = Velloquin::GameIndex;

namespace {

struct MenuWorld {
    std::unique_ptr<UiManager> ui;
    bool present = true;
    std::vector<Menu*> open;
    std::deque<Menu> menus;
    std::deque<MovieView> views;
};

MenuWorld& World() {
    static MenuWorld world;
    return world;
}

void Publish() {
    auto& world = World();
    world.ui->openMenus = world.open.empty() ? nullptr : world.open.data();
    world.ui->openCount = static_cast<std::uint32_t>(world.open.size());
    SetGameData<UiManager*>(GI::uiObject, world.present ? world.ui.get() : nullptr);
}

const char* MenuNameSlot(const void* object) {
    auto* menu = const_cast<Menu*>(static_cast<const Menu*>(object));
    const int query = menu->nameQueries.fetch_add(1, std::memory_order_relaxed) + 1;
    const int from = menu->nullNameFrom.load(std::memory_order_relaxed);
    const bool lost = from > 0 && query >= from;
    return menu->nullName || lost ? nullptr : menu->name.c_str();
}

void* UnexpectedMenuSlot(const void*) {
    Record("unexpected virtual call on a menu");
    return nullptr;
}

void* const* MenuTable() {
    static void* table[16];
    static bool filled = false;
    if (!filled) {
        for (auto& slot : table) slot = reinterpret_cast<void*>(&UnexpectedMenuSlot);
        table[3] = reinterpret_cast<void*>(&MenuNameSlot);
        filled = true;
    }
    return table;
}

void ResetMenus() {
    auto& world = World();
    world = MenuWorld{};
    world.ui = std::make_unique<UiManager>();
    Publish();
}

const bool registered = RegisterResetHook(&ResetMenus);

}  // namespace

UiManager& Ui() {
    (void)registered;
    if (!World().ui) ResetMenus();
    return *World().ui;
}

void SetUiPresent(bool present) {
    Ui();
    World().present = present;
    Publish();
}

Menu* OpenMenu(const std::string& name, bool withView) {
    Ui();
    auto& world = World();
    Menu& menu = world.menus.emplace_back();
    menu.table = MenuTable();
    menu.name = name;
    if (withView) {
        Movie& movie = NewMovie();
        MovieView& view = world.views.emplace_back();
        view.movie = &movie;
        menu.view = &view;
    }
    world.open.push_back(&menu);
    Publish();
    return &menu;
}

void CloseMenu(Menu* menu) {
    Ui();
    auto& open = World().open;
    for (auto it = open.begin(); it != open.end(); ++it) {
        if (*it == menu) {
            open.erase(it);
            break;
        }
    }
    Publish();
}

void AddNullOpenMenu() {
    Ui();
    World().open.push_back(nullptr);
    Publish();
}

Movie* MovieOf(Menu* menu) { return menu && menu->view ? menu->view->movie : nullptr; }

void DropMovie(Menu* menu) {
    if (menu && menu->view) menu->view->movie = nullptr;
}

}  // namespace TestHost
