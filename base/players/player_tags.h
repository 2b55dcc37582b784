// Small integers the spawn keeps per (player, key): the zombies role, the
// inventory counts, the gold-notice choice. A player's tags go when the
// player leaves, everybody's when the bot leaves the arena.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvel {

class PlayerTags {
public:
    // 0 when the player has no tag with that key.
    std::int32_t get(const PlayerRecord* player, std::int32_t key) const;
    void set(const PlayerRecord* player, std::int32_t key, std::int32_t value);
    bool has(const PlayerRecord* player, std::int32_t key) const;
    void removePlayer(const PlayerRecord* player);
    void removeAll();
    std::size_t playerCount() const { return byPlayer_.size(); }

private:
    using Tags = std::vector<std::pair<std::int32_t, std::int32_t>>;
    std::unordered_map<const PlayerRecord*, Tags> byPlayer_;
};

} // namespace quorvel
