#include "base/bot/spawn_random.h"
#include "base/players/player_tags.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(SpawnRandom, DrawsFollowTheGenerator) {
    // Expected values worked out separately from the generator's definition
    // (xorshift fill, nine draws thrown away, lagged sum rotated by 13).
    SpawnRandom fixed(55555);
    EXPECT_EQ(fixed.draw(), 2084737635u);
    EXPECT_EQ(fixed.draw(), 3544326565u);
    EXPECT_EQ(fixed.draw(), 638723543u);
    EXPECT_EQ(fixed.draw(), 2520309299u);
    EXPECT_EQ(fixed.draw(), 1106569264u);

    SpawnRandom zero(0); // 0 seeds as 4294967295
    EXPECT_EQ(zero.draw(), 1131062492u);
    EXPECT_EQ(zero.draw(), 727023883u);

    SpawnRandom reseeded(55555);
    reseeded.reseed(7);
    EXPECT_EQ(reseeded.draw(), 1907565266u);
    EXPECT_EQ(reseeded.draw(), 2726071246u);
    EXPECT_EQ(reseeded.draw(), 1948415685u);
}

TEST(SpawnRandom, TheEnvironmentSeedMakesRunsRepeatable) {
    TestArena arena(7);
    EXPECT_EQ(arena.spawn().random.draw(), 1907565266u);
    TestArena other(1);
    EXPECT_EQ(other.spawn().random.draw(), 3590635419u);
}

TEST(PlayerTags, OneValuePerPlayerAndKey) {
    PlayerRecord a{}, b{};
    PlayerTags tags;
    EXPECT_EQ(tags.get(&a, 900), 0);
    EXPECT_FALSE(tags.has(&a, 900));
    tags.set(&a, 900, 1);
    tags.set(&a, 900, 2);
    tags.set(&a, 8, 3);
    tags.set(&b, 8, 4);
    EXPECT_EQ(tags.get(&a, 900), 2);
    EXPECT_EQ(tags.get(&a, 8), 3);
    EXPECT_EQ(tags.get(&b, 8), 4);
    tags.removePlayer(&a);
    EXPECT_EQ(tags.get(&a, 8), 0);
    EXPECT_EQ(tags.get(&b, 8), 4);
    tags.removeAll();
    EXPECT_EQ(tags.get(&b, 8), 0);
}

std::vector<Sent> consoleLines(TestArena& arena) {
    std::vector<Sent> lines;
    for (Sent& sent : arena.take()) {
        if (sent.code == Echo) {
            lines.push_back(std::move(sent));
        }
    }
    return lines;
}

TEST(Tick, CountdownsRunFromCreationAndAutosaveFollowsItsInterval) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=3\n");
    arena.handshake();
    arena.take();
    EXPECT_EQ(arena.spawn().gold.autosaveCountdown, 3);
    arena.tick(2);
    EXPECT_TRUE(consoleLines(arena).empty());
    arena.tick();
    EXPECT_EQ(consoleLines(arena), std::vector<Sent>{console("AutoSave...")});
    EXPECT_EQ(arena.spawn().gold.autosaveCountdown, 3);
    arena.tick(3);
    EXPECT_EQ(consoleLines(arena), std::vector<Sent>{console("AutoSave...")});
    // Rabbit countdowns keep counting below 0 with no rabbit.
    EXPECT_EQ(arena.spawn().rabbitGame.rabbitCountdown, -6);
    EXPECT_EQ(arena.spawn().rabbitGame.safetyCountdown, -6);
}

TEST(Tick, AutosaveIsOffWithIntervalZeroOrStoreOff) {
    TestArena zero;
    zero.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
    zero.handshake();
    zero.take();
    zero.tick(400);
    for (const Sent& sent : zero.take()) {
        EXPECT_NE(sent.text, "AutoSave...");
    }

    TestArena storeOff;
    storeOff.writeFile("quorvel.ini", "[Settings]\nInventory=0\nAutoSave=2\n");
    storeOff.handshake();
    storeOff.take();
    storeOff.tick(2);
    EXPECT_TRUE(consoleLines(storeOff).empty());
    // The countdown starts again all the same, so autosaving goes on once
    // the store is switched back on.
    EXPECT_EQ(storeOff.spawn().gold.autosaveCountdown, 2);
    storeOff.command(storeOff.addPlayer({.name = "Mod", .accessLevel = 2}), "ion");
    storeOff.take();
    storeOff.tick(2);
    EXPECT_EQ(consoleLines(storeOff), std::vector<Sent>{console("AutoSave...")});
}

TEST(ArenaEvents, LeavingForgetsTagsAndTheBotsOwnRecord) {
    TestArena arena;
    arena.handshake();
    arena.take();
    PlayerRecord& bot = arena.addPlayer({.name = "Bot", .ship = 8});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob"});
    arena.joinArena(bot);
    EXPECT_EQ(arena.spawn().me, &bot);
    arena.spawn().playerTags.set(&bob, 0, 1);
    arena.spawn().playerTags.set(&bot, 0, 1);
    arena.leave(bob);
    EXPECT_EQ(arena.spawn().playerTags.get(&bob, 0), 0);
    EXPECT_EQ(arena.spawn().playerTags.get(&bot, 0), 1);
    arena.spawn().rabbitGame.rabbit = &bot;
    arena.leaveArena();
    EXPECT_EQ(arena.spawn().me, nullptr);
    EXPECT_EQ(arena.spawn().rabbitGame.rabbit, nullptr);
    EXPECT_EQ(arena.spawn().playerTags.get(&bot, 0), 0);
    EXPECT_TRUE(arena.take().empty());
}

} // namespace
} // namespace quorvel::testing
