// What a player may have meant: the nearest key or section name, a slot
// number out of range, a key's name written where its code belongs.
#include <algorithm>
#include <cctype>
#include <map>

#include "base/text.h"
#include "config/key_names.h"
#include "core/constants.h"
#include "doctor/settings_check.h"

namespace Velloquin::Doctor {

namespace {

// Edit distance without case.
std::size_t Distance(const std::string& a, const std::string& b) {
    const std::string x = LowerAscii(a), y = LowerAscii(b);
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

}  // namespace

std::string Closest(const std::string& name, const std::vector<std::string>& candidates, std::size_t limit) {
    std::string best;
    std::size_t bestDistance = limit + 1;
    for (const std::string& candidate : candidates) {
        const std::size_t d = Distance(name, candidate);
        if (d < bestDistance) {
            best = candidate;
            bestDistance = d;
        }
    }
    return best;
}

bool NamesMissingSlot(const std::string& name, int& number) {
    std::string lower = LowerAscii(name);
    std::string prefix, suffix;
    if (lower.rfind("iquickkey", 0) == 0) {
        prefix = "iquickkey";
    } else if (lower.rfind("bquickkey", 0) == 0 && lower.size() > 16 &&
               lower.compare(lower.size() - 7, 7, "visible") == 0) {
        prefix = "bquickkey";
        suffix = "visible";
    } else {
        return false;
    }
    const std::string digits = lower.substr(prefix.size(), lower.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) return false;
    number = std::stoi(digits);
    return number < firstQuickKey || number >= firstQuickKey + static_cast<int>(quickSlotCount);
}

bool CodeOfName(const std::string& value, std::uint32_t& code) {
    static const std::map<std::string, std::uint32_t> byName = [] {
        std::map<std::string, std::uint32_t> names;
        for (std::uint32_t c = 1; c <= 0xFF; ++c)
            if (const std::string n = GetBuiltInKeyName(c); !n.empty()) names.emplace(LowerAscii(n), c);
        for (std::uint32_t c = 0x10000; c <= 0x1FFFF; ++c)
            if (const std::string n = GetBuiltInKeyName(c); !n.empty()) names.emplace(LowerAscii(n), c);
        return names;
    }();
    const auto found = byName.find(LowerAscii(value));
    if (found == byName.end()) return false;
    code = found->second;
    return true;
}

bool AllHexadecimal(const std::string& value) {
    std::size_t i = 0;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
    if (value.compare(i, 2, "0x") == 0 || value.compare(i, 2, "0X") == 0) i += 2;
    if (i == value.size()) return false;
    return std::all_of(value.begin() + static_cast<std::ptrdiff_t>(i), value.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace Velloquin::Doctor
