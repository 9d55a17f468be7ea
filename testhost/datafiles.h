// The game's load order as the plug-in sees it: the data handler's three
// lists of data files, the form file lists table (which data files define or
// override each form), runtime form ids made from a file's place in the load
// order, and the player id that names the character's items file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "forms.h"

namespace TestHost {

enum class FileKind : std::uint8_t { Full, Small, Medium };

// ---- Single data files, appended to the data handler's list of their kind.
// Small files carry the index byte 0xFE, medium files 0xFD. `flags` bit 0
// makes a file count as a form's defining file.
DataFile* AddFullFile(const std::string& name, std::uint8_t index, std::uint32_t flags = 1);
DataFile* AddSmallFile(const std::string& name, std::uint16_t smallIndex, std::uint32_t flags = 1);
DataFile* AddMediumFile(const std::string& name, std::uint8_t mediumIndex, std::uint32_t flags = 1);

// The runtime id the game gives local id `localId` of `file` (32-bit, wrapping):
// (index << 24) + (small index << 12) + local, or for medium files
// (index << 24) + (medium index << 16) + local.
std::uint32_t RuntimeFormId(const DataFile* file, std::uint32_t localId);

// ---- The form file lists table at formFileLists (count, array pointer 8 bytes on).
// Adds a list record holding these data file pointers (nulls and pointers that
// are no data files are allowed) and returns its index.
std::uint16_t AddFormFileList(const std::vector<DataFile*>& files);
// Points a form at a list record (0xFFFF: none).
void SetFormFileList(Form* form, std::uint16_t index);

// Makes a form introduced by `file` with its local id: the runtime id comes
// from the file's place, its file list holds the file and then the files that
// override it, in that order.
Form* DefineForm(DataFile* file, std::uint32_t localId, std::uint8_t type,
                 const std::vector<DataFile*>& overriders = {}, const std::string& name = "");

// ---- Whole game loads.
struct LoadOrderFile {
    std::string name;
    FileKind kind = FileKind::Full;
    std::uint32_t flags = 1;
};
struct ContentForm {
    std::string file;  // the introducing data file
    std::uint32_t localId = 0;
    std::uint8_t type = typeWeapon;
    std::vector<std::string> overriddenBy = {};
    std::string name = "";
};

// Loads a game whose data files come in `order`, as the game numbers them:
// Full files get the load indices 0, 1, 2, ... in their order, Small files the
// index byte 0xFE and the small indices 0, 1, ..., Medium files 0xFD and the
// medium indices 0, 1, .... Forms of files that are not in the order are not
// loaded; overriding files that are not loaded are left out of the lists.
// A later call is a new game load with another load order: the data handler's
// file lists are replaced, every form of the earlier load loses its runtime id
// (LookupFormByID no longer finds it, its id reads 0) and the content's forms
// are made afresh with ids from the new order.
void LoadGame(const std::vector<LoadOrderFile>& order, const std::vector<ContentForm>& forms);
// The data file of that name in the current load, or null.
DataFile* LoadedFile(const std::string& name);
// The form of the current load that the file's local id names, or null.
Form* LoadedForm(const std::string& fileName, std::uint32_t localId);
// Where a form made by LoadGame (in any load) comes from; an empty file name
// for other forms.
struct FormOrigin {
    std::string file;
    std::uint32_t localId = 0;
    bool operator==(const FormOrigin&) const = default;
};
FormOrigin OriginOf(const Form* form);

// ---- The player id at byte 0x108 of the object behind playerIdHolder.
// Every reset publishes a holder with the id defaultPlayerId.
inline constexpr std::uint64_t defaultPlayerId = 0x2A;
void SetPlayerId(std::uint64_t id);
// The holder pointer reads null.
void RemovePlayerIdHolder();

}  // namespace TestHost
