// A host that stops a bot and starts it again sends a second handshake to
// the same spawn: the files it loads then must replace what the spawn held,
// not pile up beside it.
#include "module/bot_spawn.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(Reconnect, GoldDatKeepsOneRecordPerAccountOverReconnects) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n");
    arena.handshake();
    PlayerRecord& bob = arena.addPlayer({.name = "Bob"});
    PlayerRecord& al = arena.addPlayer({.name = "Al", .team = 1});
    arena.enter(bob);
    arena.enter(al);
    arena.kill(al, bob);
    arena.leave(bob);
    arena.leave(al);
    arena.terminate();
    const auto firstSave = arena.readFile("gold.dat");
    ASSERT_TRUE(firstSave);
    for (int reconnect = 0; reconnect < 3; ++reconnect) {
        arena.handshake();
        arena.terminate();
        EXPECT_EQ(arena.readFile("gold.dat"), firstSave) << "after reconnect " << reconnect + 1;
    }
    arena.handshake();
    EXPECT_EQ(arena.gold().size(), firstSave->size() / 24);
}

TEST(Reconnect, HandshakeWithoutTerminateKeepsTheChangesSinceTheLastSave) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
    arena.handshake();
    PlayerRecord& bob = arena.addPlayer({.name = "Bob"});
    PlayerRecord& al = arena.addPlayer({.name = "Al", .team = 1});
    arena.enter(bob);
    arena.enter(al);
    arena.kill(al, bob);
    arena.terminate(); // gold.dat: Bob 2
    arena.handshake();
    arena.kill(al, bob); // only in memory and in gold.log
    arena.handshake();
    ASSERT_EQ(arena.gold().size(), 1u);
    EXPECT_EQ(arena.gold().balance("Bob"), 4u);
}

} // namespace
} // namespace quorvel::testing
