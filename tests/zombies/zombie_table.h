// A table for zombies tests: a test arena with a handshake done, a staff
// member watching from spectator mode, and the zone's answers to the lines
// the bot sends played back by hand.
#pragma once

#include "base/bot/spawn_random.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quorvel::testing {

inline constexpr std::uint8_t warbird = 0; // ship 1 of the settings
inline constexpr std::uint8_t spider = 2;  // ship 3
inline constexpr std::uint8_t spectator = 8;

struct ZombieTable {
    explicit ZombieTable(std::uint32_t drawSeed = 7, std::optional<std::string> ghoulset = {})
        : arena(drawSeed), seed(drawSeed) {
        if (ghoulset) {
            arena.writeFile("Ghoulset.ini", *ghoulset);
        }
        arena.handshake();
        staff = &arena.addPlayer({.name = "Warden", .ship = spectator, .accessLevel = 2});
        arena.take();
    }

    // A player already in the human ship on the human freq, as the zone
    // leaves them after the entry commands.
    PlayerRecord& human(const std::string& name, std::int32_t tileX = 512,
                        std::int32_t tileY = 512) {
        PlayerRecord& player = arena.addPlayer(
            {.name = name, .team = 0, .ship = warbird, .tileX = tileX, .tileY = tileY});
        arena.enter(player);
        return player;
    }

    void staffSays(const std::string& name, const std::string& text = "") {
        arena.command(*staff, name, text);
    }

    // What the staff member was told, in order.
    std::vector<std::string> repliesTo(const std::string& name, const std::string& text = "") {
        arena.take();
        staffSays(name, text);
        std::vector<std::string> replies;
        for (const Sent& sent : arena.take()) {
            EXPECT_EQ(sent, privateLine(*staff, sent.text));
            replies.push_back(sent.text);
        }
        return replies;
    }

    // The zone carries out "*setfreq" and "*setship" for a player.
    void zoneMoves(PlayerRecord& player, std::uint16_t team, std::uint8_t ship) {
        arena.teamChange(player, team);
        arena.shipChange(player, ship);
    }

    // The player the generator picks among `inShips` (host list order) for
    // a spawn that has drawn nothing yet.
    PlayerRecord* drawnFrom(const std::vector<PlayerRecord*>& inShips) const {
        SpawnRandom fresh(seed);
        const std::uint32_t r = fresh.draw() % static_cast<std::uint32_t>(inShips.size());
        return inShips[r];
    }

    TestArena arena;
    std::uint32_t seed;
    PlayerRecord* staff = nullptr;
};

} // namespace quorvel::testing
