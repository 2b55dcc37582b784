#include "rabbit/rabbit.h"
#include "rabbit_test_support.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

enum class Drop { AfterLeaving, BeforeLeaving };

void leaveArena(TestArena& arena, const PlayerRecord& player, Drop drop) {
    if (drop == Drop::AfterLeaving) {
        arena.leave(player); // still listed while PlayerLeaving is handled
    } else {
        arena.removePlayer(player);
        arena.event(PlayerLeaving, {reinterpret_cast<Word>(&player)});
    }
}

// A rabbit that leaves or spectates hands the game to one of the others in
// ships; it is never drawn itself, whenever the host takes it off its list.
TEST(RabbitSuccessor, LeavingOrSpectatingRabbitIsNeverItsOwnSuccessor) {
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        for (int way = 0; way < 3; ++way) {
            TestArena arena(seed);
            DrawMirror mirror(seed);
            arena.handshake();
            arena.take();
            PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
            std::vector<const PlayerRecord*> inShips = {
                &arena.addPlayer({.name = "Ann", .ship = 0}),
                &arena.addPlayer({.name = "Bob", .ship = 1}),
                &arena.addPlayer({.name = "Cat", .ship = 2})};
            arena.command(mod, "newpick");
            PlayerRecord& rabbit = const_cast<PlayerRecord&>(*mirror.pick(inShips));
            arena.take();
            std::erase(inShips, &rabbit);
            if (way == 2) {
                arena.spectate(rabbit);
            } else {
                leaveArena(arena, rabbit, way == 0 ? Drop::AfterLeaving : Drop::BeforeLeaving);
            }
            const PlayerRecord* next = mirror.pick(inShips);
            EXPECT_EQ(arena.take(), drawnStart(*next)) << "seed " << seed << " way " << way;
        }
    }
}

// With fewer than two players left in ships every successor draw ends the
// game without a word: after a leave (listed or not), a spectate, the ten
// minutes and an overstay.
TEST(RabbitSuccessor, FewerThanTwoInShipsEndsTheGameSilently) {
    for (int way = 0; way < 5; ++way) {
        TestArena arena(9);
        arena.handshake();
        arena.take();
        PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
        PlayerRecord& ann = arena.addPlayer({.name = "Ann", .ship = 0});
        PlayerRecord& bob = arena.addPlayer({.name = "Bob", .ship = 1});
        arena.command(mod, "newpick");
        PlayerRecord& rabbit =
            const_cast<PlayerRecord&>(isRabbit(arena.spawn().rabbitGame, ann) ? ann : bob);
        PlayerRecord& other = &rabbit == &ann ? bob : ann;
        arena.take();
        switch (way) {
        case 0:
            leaveArena(arena, rabbit, Drop::AfterLeaving);
            break;
        case 1:
            leaveArena(arena, rabbit, Drop::BeforeLeaving);
            break;
        case 2:
            arena.spectate(rabbit);
            break;
        case 3:
            arena.spectate(other); // not the rabbit: nothing yet
            EXPECT_TRUE(arena.take().empty());
            arena.tick(599);
            arena.take();
            arena.tick();
            EXPECT_EQ(arena.takeTexts().size(), 1u); // the Uberabbit line alone
            break;
        default:
            arena.spectate(other);
            arena.tick();
            rabbit.inSafetyZone = 1;
            arena.move(rabbit);
            arena.tick(19);
            arena.take();
            arena.tick();
            EXPECT_EQ(arena.takeTexts(),
                      std::vector<std::string>{"*arena " + nameOf(rabbit) +
                                               " overstayed his welcome in the safety zone."});
            break;
        }
        EXPECT_TRUE(arena.take().empty()) << "way " << way;
        arena.tick(700);
        arena.take(); // the jackpot's queries
        arena.event(PrizeRefresh);
        arena.command(other, "status");
        EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(other, notStarted)}) << way;
    }
}

// The host dropping the rabbit from its list without a PlayerLeaving: the
// game stops reading it and draws a successor among the listed players; its
// late PlayerLeaving then changes nothing. ArenaLeft forgets the rabbit
// without a word.
TEST(RabbitSuccessor, DroppedRecordsAndArenaLeft) {
    const std::uint32_t seed = 77;
    TestArena arena(seed);
    DrawMirror mirror(seed);
    arena.handshake();
    arena.take();
    PlayerRecord& mod = arena.addPlayer({.name = "Mo", .ship = 8, .accessLevel = modLevel});
    std::vector<const PlayerRecord*> inShips = {
        &arena.addPlayer({.name = "Ann", .ship = 0}), &arena.addPlayer({.name = "Bob", .ship = 1}),
        &arena.addPlayer({.name = "Cat", .ship = 2}), &arena.addPlayer({.name = "Dan", .ship = 3})};
    arena.command(mod, "newpick");
    const PlayerRecord* rabbit = mirror.pick(inShips);
    arena.take();

    arena.removePlayer(*rabbit);
    std::erase(inShips, rabbit);
    arena.tick();
    const PlayerRecord* next = mirror.pick(inShips);
    EXPECT_EQ(arena.take(), drawnStart(*next));
    arena.event(PlayerLeaving, {reinterpret_cast<Word>(rabbit)});
    EXPECT_TRUE(arena.take().empty());

    // The same on the prize refresh of code 29.
    arena.removePlayer(*next);
    std::erase(inShips, next);
    arena.event(PrizeRefresh);
    const PlayerRecord* third = mirror.pick(inShips);
    EXPECT_EQ(arena.take(), drawnStart(*third));

    // A player who is not the rabbit leaving changes nothing; the next draw
    // sees only the players still listed.
    const PlayerRecord* bystander = inShips[0] == third ? inShips[1] : inShips[0];
    arena.leave(*bystander);
    std::erase(inShips, bystander);
    EXPECT_TRUE(arena.take().empty());
    arena.spectate(const_cast<PlayerRecord&>(*third));
    std::erase(inShips, third);
    EXPECT_TRUE(arena.take().empty()); // nobody left in a ship: game over

    arena.command(mod, "newpick");
    EXPECT_EQ(arena.take(),
              std::vector<Sent>{privateLine(mod, "Not enough players to choose a new rabbit.")});
    ASSERT_TRUE(inShips.empty());
    inShips.push_back(&arena.addPlayer({.name = "Eve", .ship = 4}));
    inShips.push_back(&arena.addPlayer({.name = "Fay", .ship = 5}));
    arena.command(mod, "newpick");
    EXPECT_EQ(arena.take(), drawnStart(*mirror.pick(inShips)));
    arena.leaveArena();
    arena.tick(600);
    arena.take();
    arena.event(PrizeRefresh);
    arena.command(mod, "status");
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(mod, notStarted)});
}

} // namespace
} // namespace quorvel::testing
