// The slot table's rules over the globals of core/state.cpp.
#include "core/slots.h"

#include <algorithm>

namespace Velloquin {

bool IsOutfitSlot(std::size_t i) { return quickOutfitSize.at(i) > 0; }

std::size_t SetOutfit(std::size_t i, Game::Form* const* pieces, std::size_t count) {
    std::array<Game::Form*, outfitPieceLimit> kept{};
    std::size_t size = 0;
    for (std::size_t p = 0; p < count && size < outfitPieceLimit; ++p) {
        Game::Form* piece = pieces[p];
        if (!piece || std::find(kept.begin(), kept.begin() + size, piece) != kept.begin() + size) continue;
        kept.at(size++) = piece;
    }
    if (size < 2) {
        MakeSingleItemSlot(i, size == 1 ? kept.front() : nullptr);
        return size;
    }
    quickOutfitPieces.at(i) = kept;
    quickOutfitSize.at(i) = static_cast<std::uint8_t>(size);
    quickItems.at(i) = kept.front();
    return size;
}

void MakeSingleItemSlot(std::size_t i, Game::Form* form) {
    quickItems.at(i) = form;
    quickOutfitPieces.at(i).fill(nullptr);
    quickOutfitSize.at(i) = 0;
}

std::uint16_t ClearSingleSlotsHolding(const Game::Form* form, std::size_t keep) {
    std::uint16_t emptied = 0;
    if (!form) return emptied;
    for (std::size_t i = 0; i < quickSlotCount; ++i) {
        if (i == keep || IsOutfitSlot(i) || quickItems.at(i) != form) continue;
        quickItems.at(i) = nullptr;
        emptied = static_cast<std::uint16_t>(emptied | (1u << i));
    }
    return emptied;
}

Game::Form* const* SlotPieces(std::size_t i, std::size_t& count) {
    if (IsOutfitSlot(i)) {
        count = quickOutfitSize.at(i);
        return quickOutfitPieces.at(i).data();
    }
    count = quickItems.at(i) ? 1 : 0;
    return &quickItems.at(i);
}

}  // namespace Velloquin
