// The items files as text, apart from the game: listing them, reading their
// lines and taking a line apart. The plug-in's reader and the settings doctor
// both read them through these.
#include <algorithm>
#include <filesystem>
#include <istream>
#include <system_error>

#include "persistence/items_file.h"
#include "base/text.h"
#include "platform/paths.h"

namespace Velloquin {

std::vector<std::string> ListFilesWithExtension(const std::string& folder, const std::string& extension) {
    namespace fs = std::filesystem;
    // A folder that is missing or cannot be listed gives an empty listing.
    try {
        const std::string native = NativePath(folder);
        const fs::path directory(std::u8string(native.begin(), native.end()));
        std::error_code error;
        const fs::file_status status = fs::status(directory, error);
        if (error || !fs::exists(status)) return {};

        std::vector<std::string> names;
        fs::directory_iterator entry(directory, error);
        if (error) return {};
        for (; entry != fs::directory_iterator(); entry.increment(error)) {
            std::error_code entryError;
            if (!fs::is_regular_file(entry->status(entryError)) || entryError) continue;
            const std::u8string utf8 = entry->path().u8string();
            const std::string path(utf8.begin(), utf8.end());
            const std::size_t dot = path.rfind('.');
            if (dot == std::string::npos) continue;
            // Case-sensitive, and only as many bytes as the extension has.
            if (path.compare(dot, extension.size(), extension) != 0) continue;
            const std::size_t separator = path.find_last_of("/\\");
            std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
            std::erase_if(name, [](char c) { return c == '\n' || c == '\0'; });
            names.push_back(std::move(name));
        }
        if (error) return {};
        return names;
    } catch (...) {
        return {};
    }
}

bool IsItemsFileName(std::string_view name) {
    const std::string_view prefix(itemsFilePrefix), extension(".txt");
    if (name.size() <= prefix.size() + extension.size()) return false;
    if (!EqualIgnoringAsciiCase(name.substr(0, prefix.size()), prefix) ||
        !EqualIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension))
        return false;
    const std::string_view id = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    // The reader's names: the id's low 32 bits, the whole id, either with a "1" before it.
    if (id.size() > 17 || (id.size() == 17 && id[0] != '1') || (id.size() > 1 && id[0] == '0')) return false;
    for (const char c : id)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

bool ReadItemsFileLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

// The line's item is the text between its last two bars, its data file the
// text after the last bar; a key may stand anywhere in the line.
QuickItemLine ParseQuickItemLine(const std::string& line) {
    QuickItemLine parsed;
    const std::size_t lastBar = line.rfind('|');
    const std::size_t prevBar = lastBar == std::string::npos || lastBar == 0 ? std::string::npos
                                                                              : line.rfind('|', lastBar - 1);
    if (prevBar != std::string::npos) parsed.localId = line.substr(prevBar + 1, lastBar - prevBar - 1);
    if (lastBar != std::string::npos) parsed.dataFile = line.substr(lastBar + 1);
    for (std::size_t j = 0; j < quickSlotCount; ++j) {
        const std::string key = "QuickKey" + std::to_string(firstQuickKey + static_cast<int>(j)) + " |";
        parsed.namesSlot.at(j) = line.find(key) != std::string::npos;
        parsed.marksEmpty.at(j) = parsed.namesSlot.at(j) && line.find(key + "|None") != std::string::npos;
        const std::string outfitKey = "Outfit" + std::to_string(firstQuickKey + static_cast<int>(j)) + " |";
        parsed.namesOutfit.at(j) = line.find(outfitKey) != std::string::npos;
    }
    return parsed;
}

bool IsOutfitLine(const QuickItemLine& parsed) {
    const auto any = [](const std::array<bool, quickSlotCount>& keys) {
        for (bool named : keys)
            if (named) return true;
        return false;
    };
    return !any(parsed.namesSlot) && any(parsed.namesOutfit);
}

std::vector<OutfitLines> FindOutfitLines(std::istream& in) {
    std::vector<OutfitLines> groups;
    std::array<int, quickSlotCount> lastHead{};  // 0: no slot line for the slot yet
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::array<std::size_t, quickSlotCount> openGroup;
    openGroup.fill(none);
    std::string line;
    int lineNumber = 0;
    while (ReadItemsFileLine(in, line)) {
        ++lineNumber;
        QuickItemLine parsed = ParseQuickItemLine(line);
        const bool outfitLine = IsOutfitLine(parsed);
        for (std::size_t j = 0; j < quickSlotCount; ++j) {
            if (parsed.namesSlot.at(j)) {
                lastHead.at(j) = lineNumber;
                openGroup.at(j) = none;
            }
            if (!outfitLine || !parsed.namesOutfit.at(j) || lastHead.at(j) == 0) continue;
            if (openGroup.at(j) == none) {
                openGroup.at(j) = groups.size();
                groups.push_back(OutfitLines{lastHead.at(j), j, {}});
            }
            groups.at(openGroup.at(j)).pieces.emplace_back(lineNumber, parsed);
        }
    }
    std::stable_sort(groups.begin(), groups.end(), [](const OutfitLines& a, const OutfitLines& b) {
        return a.headLine != b.headLine ? a.headLine < b.headLine : a.slot < b.slot;
    });
    return groups;
}

}  // namespace Velloquin
