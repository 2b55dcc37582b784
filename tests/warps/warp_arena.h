// An arena whose quorvel.ini sets the warp table sizes before the handshake.
#pragma once

#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel::testing {

inline void handshakeWithWarpSizes(TestArena& arena, const std::string& teams,
                                   const std::string& areas) {
    arena.writeFile("quorvel.ini",
                    "[Settings]\nMaxWarpTeams=" + teams + "\nMaxWarpAreas=" + areas + "\n");
    arena.handshake();
    arena.take();
}

// A second passes: the tick reads the warp files again, and says nothing
// about them. Only the flag game speaks on a tick (its jackpot query), in
// public; that is dropped.
inline void nextSecond(TestArena& arena) {
    EXPECT_TRUE(arena.pending().empty());
    arena.tick();
    for (const Sent& sent : arena.take()) {
        EXPECT_EQ(sent.chatType, Public) << describe(sent);
    }
}

inline PlayerRecord& addMod(TestArena& arena) {
    return arena.addPlayer({.name = "Mod", .team = 9, .ship = 8, .accessLevel = 2});
}

} // namespace quorvel::testing
