// An arena whose quorvel.ini sets the warp table sizes before the handshake.
#pragma once

#include "support/test_arena.h"

#include <string>

namespace quorvel::testing {

inline void handshakeWithWarpSizes(TestArena& arena, const std::string& teams,
                                   const std::string& areas) {
    arena.writeFile("quorvel.ini",
                    "[Settings]\nMaxWarpTeams=" + teams + "\nMaxWarpAreas=" + areas + "\n");
    arena.handshake();
    arena.take();
}

inline PlayerRecord& addMod(TestArena& arena) {
    return arena.addPlayer({.name = "Mod", .team = 9, .ship = 8, .accessLevel = 2});
}

} // namespace quorvel::testing
