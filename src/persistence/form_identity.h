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

std::pair<Game::DataFile*, int> FindDataFile(const std::string& fileName);
Game::Form* ResolveFormLocator(const std::string& localFormID, const std::string& fileName);
std::string GetFileModIndex(const Game::DataFile* file);
std::string GetFormModIndex(const Game::Form* form);
std::string GetLocalFormID(const Game::Form* form, int kind);
Game::DataFile* FindDefiningFile(const Game::Form* form);

const char* DataFileName(const Game::DataFile* file);
std::uint8_t DataFileIndex(const Game::DataFile* file);

}  // namespace Velloquin
