// The player tags of the gold economy. They live only while the player is in
// the arena; the greeting sets them up again at every entry. Item counts are
// no tags: they live in the folder's economy, which every bot shares.
#pragma once

#include <cstdint>

namespace quorvel {

// 1: tell the player about kill rewards; 2: do not; absent counts as 0.
constexpr std::int32_t goldNoticeTag = 900;
constexpr std::int32_t goldNoticeOn = 1;
constexpr std::int32_t goldNoticeOff = 2;

} // namespace quorvel
