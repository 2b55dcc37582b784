// A connected arena for the flag game tests, with quorvel.ini written first
// when a test needs the store or other gold amounts.
#pragma once

#include "support/test_arena.h"

#include <string>

namespace quorvel::testing {

inline void connectWithIni(TestArena& arena, const std::string& ini) {
    if (!ini.empty()) {
        arena.writeFile("quorvel.ini", ini);
    }
    arena.handshake();
    arena.take();
}

inline std::string storeIni(const std::string& goldLines) {
    return "[Settings]\nInventory=1\n[Gold]\n" + goldLines;
}

} // namespace quorvel::testing
