#include "rabbit/rabbit.h"
#include "rabbit_test_support.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

// "!newpick" needs two players in ships; the bot itself in spectator mode
// is never drawn, and a player below Mod cannot start a game.
TEST(RabbitCommands, NewpickDrawsAmongPlayersInShips) {
    {
        TestArena arena(7);
        arena.handshake();
        arena.take();
        PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
        arena.addPlayer({.name = "Ann", .ship = 0});
        arena.command(mod, "newpick");
        EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(
                                    mod, "Not enough players to choose a new rabbit.")});
        EXPECT_FALSE(hasRabbit(arena.spawn().rabbitGame));
    }
    for (std::uint32_t seed = 1; seed <= 16; ++seed) {
        TestArena arena(seed);
        DrawMirror mirror(seed);
        arena.handshake();
        arena.take();
        PlayerRecord& bot = arena.addPlayer({.name = "Quorvel", .ship = 8});
        arena.joinArena(bot);
        PlayerRecord& ann = arena.addPlayer({.name = "Ann", .ship = 0});
        PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
        PlayerRecord& bob = arena.addPlayer({.name = "Bob", .ship = 6});
        arena.take();
        arena.command(ann, "newpick");
        EXPECT_TRUE(arena.take().empty());
        arena.command(mod, "newpick");
        const PlayerRecord* first = mirror.pick({&ann, &bob});
        EXPECT_EQ(arena.take(), drawnStart(*first)) << "seed " << seed;

        // A second pick takes the game over, maybe by the same player, and
        // restarts the ten minutes.
        arena.tick(200);
        arena.take();
        arena.command(mod, "newpick");
        const PlayerRecord* second = mirror.pick({&ann, &bob});
        EXPECT_EQ(arena.take(), drawnStart(*second));
        arena.tick(299);
        arena.take();
        arena.tick();
        EXPECT_EQ(arena.takeTexts(),
                  std::vector<std::string>{"*arena " + nameOf(*second) +
                                           " has survived for 5 minutes as Bounty Rabbit!  "
                                           "Last seen at K11"});
    }
}

// "!status" before, during and after a game; ship and freq changes of the
// rabbit and event code 29 give the bounty again without touching the
// clock; "!stop" leaves the zone's timer alone and nothing more is heard of
// the rabbit.
TEST(RabbitCommands, StatusAndStop) {
    const std::uint32_t seed = 11;
    TestArena arena(seed);
    DrawMirror mirror(seed);
    arena.handshake();
    arena.take();
    PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
    PlayerRecord& ann = arena.addPlayer({.name = "Ann", .ship = 0, .tileX = 0, .tileY = 1023});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob", .ship = 1, .tileX = 600, .tileY = 300});
    arena.command(ann, "status");
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(ann, notStarted)});

    arena.command(mod, "newpick");
    const PlayerRecord* rabbit = mirror.pick({&ann, &bob});
    arena.take();
    arena.command(ann, "status");
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(
                                ann, statusOf(*rabbit, rabbit == &ann ? "A20" : "L6"))});

    arena.tick(30);
    arena.take();
    const std::int32_t rabbitCountdown = arena.spawn().rabbitGame.rabbitCountdown;
    const std::int32_t safetyCountdown = arena.spawn().rabbitGame.safetyCountdown;
    PlayerRecord& other = rabbit == &ann ? bob : ann;
    arena.shipChange(const_cast<PlayerRecord&>(*rabbit), 4);
    arena.teamChange(const_cast<PlayerRecord&>(*rabbit), 7);
    arena.event(PrizeRefresh);
    arena.shipChange(other, 3);
    arena.teamChange(other, 2);
    const Sent prize = privateLine(*rabbit, "*prize 5000");
    EXPECT_EQ(arena.take(), (std::vector<Sent>{prize, prize, prize}));
    EXPECT_EQ(arena.spawn().rabbitGame.rabbitCountdown, rabbitCountdown);
    EXPECT_EQ(arena.spawn().rabbitGame.safetyCountdown, safetyCountdown);

    arena.command(ann, "stop");
    EXPECT_TRUE(arena.take().empty());
    arena.command(mod, "stop");
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(mod, "Game stopped.")});
    arena.tick(700);
    arena.take(); // the jackpot's queries
    arena.event(PrizeRefresh);
    arena.command(bob, "status");
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(bob, notStarted)});
}

} // namespace
} // namespace quorvel::testing
