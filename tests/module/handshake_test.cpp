#include "module/bot_spawn.h"
#include "module/spawn_registry.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

TEST(Handshake, VersionSixOneConnectsAndOthersAreRefused) {
    struct Case {
        Word major, minor;
        const char* reply;
        bool stopped;
    };
    const Case cases[] = {
        {6, 1, "DLL plugin connected.", false},
        {6, 9, "DLL plugin connected.", false},
        {6, 0, "DLL plugin cannot connect.  This plugin requires the latest version of MERVBot.",
         true},
        {5, 3, "DLL plugin cannot connect.  This plugin requires the latest version of MERVBot.",
         true},
        {7, 0, "DLL plugin cannot connect.  This plugin is out of date.", true},
        {7, 5, "DLL plugin cannot connect.  This plugin is out of date.", true},
    };
    for (const Case& c : cases) {
        TestArena arena;
        arena.handshake(hostVersion(c.major, c.minor));
        auto sent = arena.take();
        ASSERT_FALSE(sent.empty()) << c.major << "." << c.minor;
        EXPECT_EQ(sent.front(), console(c.reply)) << c.major << "." << c.minor;
        EXPECT_EQ(arena.spawn().stopped, c.stopped);
    }
    // 393217 is the word a 6.1 host sends.
    EXPECT_EQ(hostVersion(6, 1), Word{393217});
}

TEST(Handshake, RefusedSpawnIgnoresEverythingAfterwards) {
    TestArena arena;
    arena.handshake(hostVersion(6, 0));
    arena.take();
    arena.handshake(hostVersion(6, 1));
    arena.tick(10);
    EXPECT_TRUE(arena.take().empty());
    EXPECT_TRUE(arena.spawn().stopped);
}

TEST(Handshake, EventsBeforeTheHandshakeAreHandledButSayNothing) {
    TestArena arena;
    arena.tick(5); // the jackpot countdown runs from creation
    EXPECT_TRUE(arena.take().empty());
    EXPECT_EQ(arena.spawn().flagWatch.jackpotCountdown, 5);

    // A bot that never loaded anything saves nothing over the files.
    arena.writeFile("gold.dat", std::string(24, 'g'));
    arena.writeFile("inv.dat", std::string(52, 'i'));
    arena.writeFile("Ghoulset.ini", "0 1\n1 4\n");
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"), std::string(24, 'g'));
    EXPECT_EQ(arena.readFile("inv.dat"), std::string(52, 'i'));
    EXPECT_EQ(arena.readFile("Ghoulset.ini"), "0 1\n1 4\n");
    EXPECT_FALSE(arena.fileExists("gold.log"));
}

TEST(Handshake, ABotWithHandleZeroIsABotLikeAnyOther) {
    TestArena folder;
    TestArena zero(folder.directory(), 7, 0);
    zero.handshake();
    EXPECT_EQ(zero.take().front(), console("DLL plugin connected."));
}

TEST(Handshake, SecondAcceptedHandshakeLoadsAgainAndKeepsOtherCountdowns) {
    TestArena arena;
    arena.handshake();
    arena.tick(3);
    arena.writeFile("quorvel.ini", "[Settings]\nAutoSave=45\nInventory=1\n");
    arena.handshake();
    EXPECT_EQ(arena.take().back(), console("DLL plugin connected."));
    EXPECT_EQ(arena.spawn().gold.autosaveCountdown, 45);
    EXPECT_TRUE(arena.spawn().gold.storeOn);
    EXPECT_EQ(arena.spawn().flagWatch.jackpotCountdown, 7);
}

TEST(Handshake, TerminateSaysGoodbyeAndTheSpawnGoesOn) {
    TestArena arena;
    arena.handshake();
    arena.take();
    arena.terminate();
    auto sent = arena.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), console("DLL plugin disconnected."));
    EXPECT_FALSE(arena.spawn().stopped);
}

TEST(Handshake, IgnoredAndUnknownCodesDoNothing) {
    TestArena arena;
    arena.handshake();
    arena.take();
    const std::int32_t jackpotCountdown = arena.spawn().flagWatch.jackpotCountdown;
    for (Word code : {4, 6, 22, 33, 35, 37, 39, 40, 41, 1000}) {
        arena.event(code, {0, 0, 0, 0, 0});
    }
    EXPECT_TRUE(arena.take().empty());
    EXPECT_EQ(arena.spawn().flagWatch.jackpotCountdown, jackpotCountdown);
    EXPECT_EQ(arena.spawn().me, nullptr);
}

std::vector<std::string> received;
void QUORVEL_CALL collect(BotEvent& record) {
    received.push_back(std::to_string(record.handle) + ":" +
                       reinterpret_cast<const char*>(record.value[0]));
}

TEST(SpawnRegistry, EachHandleHasItsOwnIndependentSpawn) {
    TestArena folder; // a fresh working directory
    SpawnRegistry registry;
    received.clear();
    BotEvent first{};
    first.handle = 11;
    first.code = Handshake;
    first.value[0] = hostVersion(6, 1);
    first.value[1] = reinterpret_cast<Word>(&collect);
    deliverEvent(registry, first);
    BotEvent second = first;
    second.handle = 22;
    second.value[0] = hostVersion(5, 0);
    deliverEvent(registry, second);
    EXPECT_EQ(registry.size(), 2u);
    EXPECT_EQ(received, (std::vector<std::string>{
                            "11:DLL plugin connected.",
                            "22:DLL plugin cannot connect.  This plugin requires the latest "
                            "version of MERVBot."}));
    // The refused bot stays refused; the other one still works.
    EXPECT_TRUE(registry.spawnFor(22).stopped);
    EXPECT_FALSE(registry.spawnFor(11).stopped);
    EXPECT_EQ(registry.size(), 2u);
    // An event for a new handle makes a spawn that has no callback yet.
    BotEvent tick{};
    tick.handle = 33;
    tick.code = Tick;
    received.clear();
    for (int i = 0; i < 10; ++i) {
        deliverEvent(registry, tick);
    }
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(registry.size(), 3u);
}

} // namespace
} // namespace quorvel::testing
