// Naming a form by its data file and local id, and back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "game/game.h"

namespace Velloquin {

enum DataFileKind : int { NoKind = 0, Full = 1, Small = 2, Medium = 3 };

struct FormLocator {
    std::string fileName;
    std::string localFormID;
};

inline constexpr const char* masterFileName = "Halvorine.esm";

// A FormLocator's local id as ResolveFormLocator reads it before it asks the
// game: the id is refused when it is longer than its file allows (8 characters
// for the master file named exactly "Halvorine.esm", 6 for any other) or holds
// no hexadecimal number that fits in 32 bits.
enum class LocalIdReading { Read, TooLong, NotHexadecimal };
LocalIdReading ReadLocalFormID(const std::string& localFormID, const std::string& fileName, std::uint32_t& localId);
// The bits of a runtime id that a local id fills in a data file of that kind
// (Full 24, Small 12, Medium 16; 0 for NoKind). ResolveFormLocator adds the
// local id without this mask, so a wider one names a form of another file.
std::uint32_t LocalIdMask(int kind);
// The form a locator names depends on the data file's name only up to the
// case of ASCII letters: this is the name as FindDataFile compares it.
std::string DataFileNameKey(const std::string& fileName);

std::pair<Game::DataFile*, int> FindDataFile(const std::string& fileName);
Game::Form* ResolveFormLocator(const std::string& localFormID, const std::string& fileName);
std::string GetFileModIndex(const Game::DataFile* file);
std::string GetFormModIndex(const Game::Form* form);
std::string GetLocalFormID(const Game::Form* form, int kind);
Game::DataFile* FindDefiningFile(const Game::Form* form);

const char* DataFileName(const Game::DataFile* file);
std::uint8_t DataFileIndex(const Game::DataFile* file);

}  // namespace Velloquin
