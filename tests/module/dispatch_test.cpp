#include "module/bot_spawn.h"
#include "module/service_registry.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

const std::string versionStart = "[name:Quorvel.dll] [maker:Dravimor] [version:1.10] [email:";

class DispatchByLevel : public ::testing::Test {
protected:
    void SetUp() override {
        arena.handshake();
        arena.take();
    }

    const PlayerRecord& at(std::uint32_t level) {
        return arena.addPlayer({.name = "Level" + std::to_string(level), .accessLevel = level});
    }

    // Replies to one command; every one of them must be private to the sender.
    Texts replies(const PlayerRecord& sender, const std::string& name,
                  const std::string& text = "") {
        arena.take();
        arena.command(sender, name, text);
        Texts texts;
        for (const Sent& sent : arena.take()) {
            if (sent.code == Echo) {
                continue; // the operator's console, not a reply
            }
            EXPECT_EQ(sent, privateLine(sender, sent.text)) << describe(sent);
            texts.push_back(sent.text);
        }
        return texts;
    }

    TestArena arena;
};

TEST_F(DispatchByLevel, VersionFromSmodUp) {
    for (std::uint32_t level : {0u, 1u, 2u, 13u, 255u}) {
        EXPECT_EQ(replies(at(level), "version"), Texts{}) << "level " << level;
    }
    for (std::uint32_t level = 3; level <= 12; ++level) {
        Texts texts = replies(at(level), "version");
        ASSERT_EQ(texts.size(), 1u) << "level " << level;
        EXPECT_EQ(texts[0].substr(0, versionStart.size()), versionStart);
        EXPECT_GT(texts[0].size(), versionStart.size() + 1);
        EXPECT_EQ(texts[0].back(), ']');
    }
}

TEST_F(DispatchByLevel, AboutAtEveryLevelUpToGod) {
    for (std::uint32_t level = 0; level <= 12; ++level) {
        EXPECT_EQ(replies(at(level), "about").size(), 7u) << "level " << level;
    }
    EXPECT_EQ(replies(at(13), "about"), Texts{});
}

TEST_F(DispatchByLevel, StaffCommandsFromModUp) {
    EXPECT_EQ(replies(at(0), "aradius"), Texts{});
    EXPECT_EQ(replies(at(1), "shutup"), Texts{});
    EXPECT_FALSE(arena.spawn().flagWatch.announcementsOff);
    for (std::uint32_t level = 2; level <= 12; ++level) {
        EXPECT_EQ(replies(at(level), "aradius"), Texts{"Radius is 10"}) << "level " << level;
    }
    EXPECT_EQ(replies(at(13), "aradius"), Texts{});
}

TEST_F(DispatchByLevel, SopCommandsFromSopUp) {
    arena.gold().credit("Bob", 10);
    replies(at(2), "resetgold");
    replies(at(3), "resetgold");
    EXPECT_EQ(arena.gold().size(), 1u) << "a Mod or SMod must not reset the gold";
    replies(at(4), "resetgold");
    EXPECT_EQ(arena.gold().size(), 0u);
    arena.gold().credit("Bob", 10);
    replies(at(13), "resetgold");
    EXPECT_EQ(arena.gold().size(), 1u);
}

TEST_F(DispatchByLevel, NamesMatchExactlyAndUnknownNamesAreIgnored) {
    const PlayerRecord& god = at(12);
    EXPECT_EQ(replies(god, "ARADIUS"), Texts{});
    EXPECT_EQ(replies(god, "About"), Texts{});
    EXPECT_EQ(replies(god, "aradiu"), Texts{});
    EXPECT_EQ(replies(god, "aradius2"), Texts{});
    EXPECT_EQ(replies(god, "help"), Texts{});
    EXPECT_EQ(replies(god, ""), Texts{});
    // The text after the name goes to the body as typed.
    EXPECT_EQ(replies(god, "aradius", "12"), Texts{"Radius set."});
    EXPECT_EQ(replies(god, "aradius"), Texts{"Radius is 12"});
}

TEST_F(DispatchByLevel, MissingRecordsAreIgnored) {
    const PlayerRecord& god = at(12);
    ChatCommand nullName{nullptr, nullptr};
    arena.event(CommandTyped, {reinterpret_cast<Word>(&god), reinterpret_cast<Word>(&nullName)});
    arena.event(CommandTyped, {reinterpret_cast<Word>(&god), 0});
    arena.event(CommandTyped, {0, reinterpret_cast<Word>(&nullName)});
    arena.event(HelpRequested, {reinterpret_cast<Word>(&god), 0});
    arena.event(HelpRequested, {reinterpret_cast<Word>(&god), reinterpret_cast<Word>(&nullName)});
    // A help request without a text is the plain listing.
    EXPECT_EQ(arena.takeTexts(), Texts{"Ext: Gold Store/Invintory commands: !resetgold !resetinv"});
}

// The dispatch and "!help" find a command by its name in the services'
// tables: a name two services both claim, or one that could never be typed
// (commands are matched as typed, help topics after folding to lower case),
// would silently shadow or hide a command.
TEST(CommandTables, NamesAreUniqueLowerCaseAndEachTopicExplainsItsOwnCommand) {
    TestArena arena;
    std::vector<std::string_view> names;
    anyService(arena.spawn(), [&](const auto& table, const auto&) {
        for (const auto& command : table.commands) {
            SCOPED_TRACE(std::string(table.name) + " !" + std::string(command.name));
            EXPECT_EQ(std::count(names.begin(), names.end(), command.name), 0);
            names.push_back(command.name);
            EXPECT_FALSE(command.name.empty());
            EXPECT_TRUE(
                std::ranges::all_of(command.name, [](char c) { return c >= 'a' && c <= 'z'; }));
            EXPECT_TRUE(command.name != "mod" && command.name != "sop" && command.name != "all");
            EXPECT_NE(command.run, nullptr);
            if (!command.topic[0].empty()) {
                EXPECT_TRUE(command.topic[0].starts_with("!" + std::string(command.name)));
            }
        }
        return false;
    });
    EXPECT_EQ(names.size(), 45u); // every command of the zone's help lists, and !reload
}

TEST(CommandBudget, APlayerOverItHearsOnceThenNothingUntilItHasRoomAgain) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nCommandBudget=3\n");
    arena.handshake();
    const PlayerRecord& pat = arena.addPlayer({.name = "Pat"});
    const PlayerRecord& mo = arena.addPlayer({.name = "Mo", .accessLevel = 2});
    arena.take();
    for (int i = 0; i < 3; ++i) {
        arena.command(pat, "about");
    }
    EXPECT_EQ(arena.take().size(), 21u);
    arena.command(pat, "about");
    arena.help(pat);
    arena.command(pat, "buy");
    EXPECT_EQ(arena.takeTexts(),
              Texts{"You are typing commands too fast. I will answer again in a few seconds."});
    for (int i = 0; i < 5; ++i) {
        arena.command(mo, "about"); // staff are never held back
    }
    EXPECT_EQ(arena.take().size(), 35u);
    arena.tick(9);
    arena.take();
    arena.command(pat, "about");
    EXPECT_TRUE(arena.take().empty());
    arena.tick();
    arena.take();
    arena.command(pat, "about");
    EXPECT_EQ(arena.take().size(), 7u);
}

TEST(CommandBudget, ItFollowsTheNameAcrossLeavingAndEnteringAgain) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nCommandBudget=3\n");
    arena.handshake();
    const PlayerRecord& pat = arena.addPlayer({.name = "Pat"});
    arena.take();
    for (int i = 0; i < 3; ++i) {
        arena.command(pat, "about");
    }
    EXPECT_EQ(arena.take().size(), 21u);
    // Out and in again, as another record, under the same name in other
    // letters' case: still the same budget, told once, then silence.
    arena.leave(pat);
    const PlayerRecord& again = arena.addPlayer({.name = "PAT"});
    arena.enter(again);
    arena.take();
    arena.command(again, "about");
    arena.command(again, "about");
    EXPECT_EQ(arena.takeTexts(),
              Texts{"You are typing commands too fast. I will answer again in a few seconds."});
    arena.leave(again);
    const PlayerRecord& third = arena.addPlayer({.name = "pat"});
    arena.enter(third);
    arena.take();
    arena.command(third, "about");
    EXPECT_TRUE(arena.take().empty());
    // Someone else's name has a budget of its own.
    const PlayerRecord& mel = arena.addPlayer({.name = "Mel"});
    arena.command(mel, "about");
    EXPECT_EQ(arena.take().size(), 7u);
    // Once the window has passed the name has room again.
    arena.tick(10);
    arena.take();
    arena.command(third, "about");
    EXPECT_EQ(arena.take().size(), 7u);

    // Names whose window has passed are forgotten: many names typing leave
    // nothing behind once they have been quiet for a window.
    for (int i = 0; i < 300; ++i) {
        arena.command(arena.addPlayer({.name = "Typist" + std::to_string(i)}), "about");
    }
    arena.take();
    EXPECT_GE(arena.spawn().commandBudget.remembered(), 300u);
    arena.tick(10);
    arena.command(mel, "about");
    EXPECT_EQ(arena.take().size(), 7u);
    EXPECT_EQ(arena.spawn().commandBudget.remembered(), 1u);
}

TEST(LineBudget, LinesBeyondTheBudgetWaitInOrderAndNoneIsLost) {
    TestArena plain;
    plain.handshake();
    const PlayerRecord& who = plain.addPlayer({.name = "Pat"});
    plain.take();
    plain.command(who, "about");
    const Texts about = plain.takeTexts();
    ASSERT_EQ(about.size(), 7u);

    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nLinesPerSecond=2\n");
    arena.handshake();
    const PlayerRecord& pat = arena.addPlayer({.name = "Pat"});
    arena.take();
    arena.command(pat, "about");
    Texts sent = arena.takeTexts();
    EXPECT_EQ(sent.size(), 2u);
    for (int second = 0; second < 4; ++second) {
        arena.tick();
        const Texts now = arena.takeTexts();
        EXPECT_LE(now.size(), 2u);
        sent.insert(sent.end(), now.begin(), now.end());
    }
    EXPECT_EQ(sent, about);

    // A player who leaves is sent nothing more: his ident may soon be
    // another player's.
    arena.command(pat, "about");
    EXPECT_EQ(arena.take().size(), 2u);
    arena.leave(pat);
    arena.tick(5);
    for (const Sent& line : arena.take()) {
        EXPECT_NE(line.chatType, Private) << line.text;
    }
}

std::size_t says(const std::vector<Sent>& sent) {
    return static_cast<std::size_t>(
        std::count_if(sent.begin(), sent.end(), [](const Sent& line) { return line.code == Say; }));
}

TEST(LineBudget, NoFloodOfAnswersPassesTheBoundOrHoldsUpTheGame) {
    // When the first "?jackpot" goes out with nothing else to send.
    TestArena quiet;
    quiet.handshake();
    int jackpotTick = 0;
    while (jackpotTick < 120 && quiet.takeTexts() != Texts{"?jackpot"}) {
        quiet.tick();
        ++jackpotTick;
    }
    ASSERT_LT(jackpotTick, 120);

    // Eleven players within their CommandBudget type the 17-line store
    // listing six times in one second: a command's answer still waiting
    // holds back the next, so what waits stays near one answer each.
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nCommandBudget=6\nLinesPerSecond=40\n");
    arena.handshake();
    std::vector<const PlayerRecord*> players;
    for (int i = 0; i < 11; ++i) {
        players.push_back(&arena.addPlayer({.name = "Buyer" + std::to_string(i)}));
    }
    arena.take();
    arena.command(*players[0], "buy");
    const std::size_t listing = arena.take().size();
    ASSERT_GE(listing, 10u);
    arena.tick();
    arena.take();
    std::size_t handed = 0;
    for (int round = 0; round < 6; ++round) {
        for (const PlayerRecord* player : players) {
            arena.command(*player, "buy");
        }
    }
    const std::vector<Sent> first = arena.take();
    EXPECT_LE(says(first), 40u);
    handed += says(first);
    for (int second = 0; second < 30; ++second) {
        arena.tick();
        const std::size_t now = says(arena.take());
        EXPECT_LE(now, 40u) << "second " << second;
        handed += now;
    }
    EXPECT_EQ(linesWaiting(arena.spawn()), 0u);
    // At most two listings each (the first player's went out at once and
    // left nothing waiting) and a notice; 66 were typed.
    EXPECT_LE(handed, 11 * (2 * listing + 1)) << "lines the flood made";

    // A Mod is never held back by CommandBudget, but the answers waiting
    // for him are bounded: past ten seconds of the budget the newest are
    // dropped and he and the console are told once. Another player's
    // answer is not held up behind his, nor is "?jackpot", nor the zone
    // line of his purchase.
    TestArena flood;
    flood.writeFile("quorvel.ini", "[Settings]\nInventory=1\nLinesPerSecond=40\n");
    flood.handshake();
    const PlayerRecord& mod = flood.addPlayer({.name = "Moderator", .accessLevel = Mod});
    const PlayerRecord& pat = flood.addPlayer({.name = "Pat"});
    flood.take();
    for (int i = 0; i < 174; ++i) {
        flood.help(mod, "all");
    }
    flood.command(pat, "about");
    flood.gold().credit("Moderator", 300);
    flood.command(mod, "buy", "use guns");
    std::vector<Sent> all = flood.take();
    EXPECT_LE(says(all), 40u);
    EXPECT_EQ(
        std::count(all.begin(), all.end(),
                   console("Answers to Moderator were dropped: more than 400 waited to go out.")),
        1);
    flood.tick();
    std::vector<Sent> next = flood.take();
    EXPECT_LE(says(next), 40u);
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next.front(), privateLine(mod, "*prize#8"));
    EXPECT_EQ(std::count_if(next.begin(), next.end(),
                            [&pat](const Sent& line) { return line.target == pat.ident; }),
              7);
    all.insert(all.end(), next.begin(), next.end());
    bool jackpotSeen = false;
    for (int second = 1; second < 30; ++second) {
        flood.tick();
        next = flood.take();
        EXPECT_LE(says(next), 40u) << "second " << second;
        if (second + 1 == jackpotTick) {
            ASSERT_FALSE(next.empty());
            EXPECT_EQ(next.front(), publicLine("?jackpot"));
            jackpotSeen = true;
        }
        all.insert(all.end(), next.begin(), next.end());
    }
    EXPECT_TRUE(jackpotSeen);
    const auto toMod = std::count_if(all.begin(), all.end(), [&mod](const Sent& line) {
        return line.code == Say && line.target == mod.ident;
    });
    EXPECT_LE(toMod, 40 + 400 + 2); // the first second, the bound, the notice, "*prize#8"
    EXPECT_GE(toMod, 400);
    EXPECT_EQ(std::count(all.begin(), all.end(),
                         privateLine(mod, "Too many answers are waiting for you: I dropped the "
                                          "newest. Ask again in a few seconds.")),
              1);
    EXPECT_EQ(std::count(all.begin(), all.end(), privateLine(mod, "Gun Upgrade Installed")), 0);
}

} // namespace
} // namespace quorvel::testing
