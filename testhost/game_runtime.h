// The running game: its event sources, the mode it is in, its two state
// flags, its host strings, and its interface manager's message queue.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TestHost {

// ---- events (the game calls slot 1 of each registered sink; an answer other
// than 0 stops the event there, recorded as "event stopped: ...")
enum class EventKind { PlayerUpdate, LoadGame, GameReset };
struct Registration {
    EventKind kind;
    void* sink;
};
const std::vector<Registration>& Registrations();
// The sinks the plug-in registered are forgotten: the game starts again (a new process).
void ForgetEventSinks();
void FirePlayerUpdate();
void FireLoadGame();
void FireGameReset(std::uint8_t firstByte = 1);

// ---- mode and flags
// Assignment mode: the item menus hold the game and the mode query answers non-null.
void SetAssignmentMode(bool on);
bool AssignmentMode();
void SetHostReady(bool ready);
void SetHostBlocked(bool blocked);

// ---- menus as IsMenuOpen and PostMenuMessage see them (the interface
// manager's open-menu list of menus.h)
struct Menu;
void SetMenuOpen(const std::string& name, bool open);
bool MenuOpen(const std::string& name);
Menu* FindOpenMenu(const std::string& name);
Menu* FindOpenMenuByText(const char* name);
// Opens a menu with a movie view and tells the loader, which calls the
// plug-in's menu callback with it, as the game does.
Menu* ShowMenu(const std::string& name);
// Whether the game closes a menu when asked to (message kind 2); default: yes.
void SetCloseOnRequest(bool close);
const std::vector<std::string>& CloseRequests();

// ---- host strings: handles made and not yet released
int LiveHostStrings();
int HostStringsMade();

// One frame of the game: in free play the player-update event, in
// assignment mode the hooked call.
void RunFrame();

}  // namespace TestHost
