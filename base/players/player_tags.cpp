#include "base/players/player_tags.h"

namespace quorvel {

std::int32_t PlayerTags::get(const PlayerRecord* player, std::int32_t key) const {
    auto found = byPlayer_.find(player);
    if (found == byPlayer_.end()) {
        return 0;
    }
    for (const auto& [tagKey, value] : found->second) {
        if (tagKey == key) {
            return value;
        }
    }
    return 0;
}

bool PlayerTags::has(const PlayerRecord* player, std::int32_t key) const {
    auto found = byPlayer_.find(player);
    if (found == byPlayer_.end()) {
        return false;
    }
    for (const auto& tag : found->second) {
        if (tag.first == key) {
            return true;
        }
    }
    return false;
}

void PlayerTags::set(const PlayerRecord* player, std::int32_t key, std::int32_t value) {
    Tags& tags = byPlayer_[player];
    for (auto& tag : tags) {
        if (tag.first == key) {
            tag.second = value;
            return;
        }
    }
    tags.emplace_back(key, value);
}

void PlayerTags::removePlayer(const PlayerRecord* player) {
    byPlayer_.erase(player);
}

void PlayerTags::removeAll() {
    byPlayer_.clear();
}

} // namespace quorvel
