#include "base/platform/ini_reader.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

std::vector<std::string> consoleAfterHandshake(TestArena& arena) {
    arena.handshake();
    std::vector<std::string> lines;
    for (const Sent& sent : arena.take()) {
        if (sent.code == Echo && sent.text != "DLL plugin connected.") {
            lines.push_back(sent.text);
        }
    }
    return lines;
}

TEST(Settings, NoFileGivesTheDefaultsWithoutAWord) {
    TestArena arena;
    EXPECT_TRUE(consoleAfterHandshake(arena).empty());
    const AutoWarper& w = arena.spawn().autoWarper;
    const GoldSettings& g = arena.spawn().gold.settings;
    EXPECT_FALSE(arena.spawn().gold.storeOn);
    EXPECT_EQ(w.maxWarpTeams, 0);
    EXPECT_EQ(w.maxWarpAreas, 0);
    EXPECT_EQ(g.autoSave, 300);
    EXPECT_EQ(arena.spawn().gold.settings.autoSave, 300);
    EXPECT_EQ(g.flagVictory, 100);
    EXPECT_EQ(g.soccerGoal, 25);
    EXPECT_EQ(g.kill, 2);
    EXPECT_EQ(g.teamKill, 5);
    EXPECT_EQ(g.antiInCenter, 5);
    const std::int32_t prices[] = {g.flags,      g.arena,       g.points,     g.bounty, g.multiFire,
                                   g.super,      g.shield,      g.multiPrize, g.thor,   g.portal,
                                   g.gunUpgrade, g.bombUpgrade, g.scoreReset};
    const std::int32_t expected[] = {500, 500, 500, 400, 150, 150, 150,
                                     150, 100, 100, 300, 350, 50};
    for (std::size_t i = 0; i < std::size(prices); ++i) {
        EXPECT_EQ(prices[i], expected[i]) << "price " << i;
    }
}

TEST(Settings, StoreSwitchIsOnOnlyForExactlyOne) {
    const std::pair<const char*, bool> cases[] = {
        {"1", true}, {"01", true}, {"2", false}, {"0", false}, {"-1", false}};
    for (auto [value, on] : cases) {
        TestArena arena;
        arena.writeFile("quorvel.ini", std::string("[Settings]\nInventory=") + value + "\n");
        EXPECT_TRUE(consoleAfterHandshake(arena).empty()) << value;
        EXPECT_EQ(arena.spawn().gold.storeOn, on) << value;
    }
    TestArena yes;
    yes.writeFile("quorvel.ini", "[Settings]\nInventory=yes\n");
    EXPECT_EQ(consoleAfterHandshake(yes),
              std::vector<std::string>{"quorvel.ini error: Settings:Inventory must be numeric"});
    EXPECT_FALSE(yes.spawn().gold.storeOn);
}

TEST(Settings, BadValuesGiveOneMessageEachInTableOrderAndTheFallback) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Store]\n"
                                   "ScoreReset=cheap\n"
                                   "Thor=4 0\n"
                                   "[Gold]\n"
                                   "Kill=-3\n"
                                   "TeamKill=\n"
                                   "FlagVictory=40 gold\n"
                                   "[Settings]\n"
                                   "MaxWarpAreas=+5\n"
                                   "AutoSave=soon\n");
    EXPECT_EQ(consoleAfterHandshake(arena),
              (std::vector<std::string>{
                  "quorvel.ini error: Settings:MaxWarpAreas must be numeric",
                  "quorvel.ini error: Settings:AutoSave must be numeric",
                  "quorvel.ini error: Gold:FlagVictory must be numeric",
                  "quorvel.ini error: Gold:TeamKill must be numeric",
                  "quorvel.ini error: Store:Thor must be numeric",
                  "quorvel.ini error: Store:ScoreReset must be numeric",
              }));
    const AutoWarper& w = arena.spawn().autoWarper;
    const GoldSettings& g = arena.spawn().gold.settings;
    EXPECT_EQ(g.kill, -3);
    EXPECT_EQ(g.teamKill, 5);
    EXPECT_EQ(g.flagVictory, 100);
    EXPECT_EQ(g.thor, 100);
    EXPECT_EQ(g.scoreReset, 50);
    EXPECT_EQ(w.maxWarpAreas, 0);
    EXPECT_EQ(g.autoSave, 300);
}

TEST(Settings, OnlyTheFirstFifteenCharactersCountAndNumbersMustFit32Bits) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Gold]\n"
                                   "Kill=000000000000007xyz\n"        // 15 digits, then junk: 7
                                   "SoccerGoal=0000000000000000009\n" // cut to 15 zeros: 0
                                   "FlagVictory=2147483647\n"
                                   "TeamKill=2147483648\n"
                                   "AntiInCenter=-99999999999\n");
    EXPECT_EQ(consoleAfterHandshake(arena),
              (std::vector<std::string>{"quorvel.ini error: Gold:TeamKill must be numeric",
                                        "quorvel.ini error: Gold:AntiInCenter must be numeric"}));
    const GoldSettings& g = arena.spawn().gold.settings;
    EXPECT_EQ(g.kill, 7);
    EXPECT_EQ(g.soccerGoal, 0);
    EXPECT_EQ(g.flagVictory, 2147483647);
    EXPECT_EQ(g.teamKill, 5);
    EXPECT_EQ(g.antiInCenter, 5);
}

TEST(IniReader, BehavesLikeTheWindowsProfileReader) {
    const std::string ini = "; a comment line\n"
                            "[other]\n"
                            "Kill=1\n"
                            "  [ gold ]  \n"
                            "  kILL  =  \t 12 \t\n"
                            "Kill=13\n"
                            ";Thor=9\n"
                            "Quoted=\"  spaced  \"\n"
                            "Single='x'\n"
                            "Mismatched=\"x'\n"
                            "Empty=\n"
                            "NoEquals\n"
                            "[Gold]\n"
                            "Thor=7\n"
                            "[Store]\r\n"
                            "Portal=5\r\n";
    using platform::findIniValue;
    EXPECT_EQ(findIniValue(ini, "Gold", "Kill"), "12");
    EXPECT_EQ(findIniValue(ini, "GOLD", "kill"), "12");
    EXPECT_EQ(findIniValue(ini, "Gold", "Quoted"), "  spaced  ");
    EXPECT_EQ(findIniValue(ini, "Gold", "Single"), "x");
    EXPECT_EQ(findIniValue(ini, "Gold", "Mismatched"), "\"x'");
    EXPECT_EQ(findIniValue(ini, "Gold", "Empty"), "");
    // Commented out, and only the first [Gold] section is read.
    EXPECT_EQ(findIniValue(ini, "Gold", "Thor"), std::nullopt);
    EXPECT_EQ(findIniValue(ini, "Gold", "NoEquals"), std::nullopt);
    EXPECT_EQ(findIniValue(ini, "Store", "Portal"), "5");
    EXPECT_EQ(findIniValue(ini, "Missing", "Kill"), std::nullopt);
    EXPECT_EQ(findIniValue("", "Gold", "Kill"), std::nullopt);
    EXPECT_EQ(platform::iniValueOrDefault(ini, "Gold", "Nope", "100", 15), "100");
    EXPECT_EQ(platform::iniValueOrDefault("[a]\nk=12345678901234567890\n", "a", "k", "", 15),
              "123456789012345");
}

} // namespace
} // namespace quorvel::testing
