// The player tags of the gold economy. They live only while the player is in
// the arena; the greeting sets them up again at every entry.
#pragma once

#include <cstdint>

namespace quorvel {

// 1: tell the player about kill rewards; 2: do not; absent counts as 0.
constexpr std::int32_t goldNoticeTag = 900;
constexpr std::int32_t goldNoticeOn = 1;
constexpr std::int32_t goldNoticeOff = 2;

// Holds inventoryMarkSet once this visit's item-count tags are set up.
constexpr std::int32_t inventoryMarkTag = 100;
constexpr std::int32_t inventoryMarkSet = 15;

// The item counts use the prize number of each kind as their key
// (itemPrizeNumbers in inventory_book.h).

} // namespace quorvel
