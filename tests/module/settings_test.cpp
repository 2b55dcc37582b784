#include "base/platform/ini_reader.h"
#include "module/service_registry.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

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

// Every key of quorvel.ini in the order it is read and told, its default,
// and the number of the service it must land in.
struct ExpectedKey {
    const char* section;
    const char* key;
    std::int32_t fallback;
    std::int32_t (*landed)(const BotSpawn& spawn);
};
const ExpectedKey everyKey[] = {
    {"Settings", "Inventory", 0, [](const BotSpawn& b) { return b.gold.settings.inventory; }},
    {"Settings", "MaxWarpTeams", 0, [](const BotSpawn& b) { return b.autoWarper.maxWarpTeams; }},
    {"Settings", "MaxWarpAreas", 0, [](const BotSpawn& b) { return b.autoWarper.maxWarpAreas; }},
    {"Settings", "AutoSave", 300, [](const BotSpawn& b) { return b.gold.settings.autoSave; }},
    {"Settings", "CommandBudget", 0,
     [](const BotSpawn& b) { return b.own.settings.commandBudget; }},
    {"Settings", "LinesPerSecond", 0, [](const BotSpawn& b) { return b.linesPerSecond; }},
    {"Gold", "FlagVictory", 100, [](const BotSpawn& b) { return b.gold.settings.flagVictory; }},
    {"Gold", "SoccerGoal", 25, [](const BotSpawn& b) { return b.gold.settings.soccerGoal; }},
    {"Gold", "Kill", 2, [](const BotSpawn& b) { return b.gold.settings.kill; }},
    {"Gold", "TeamKill", 5, [](const BotSpawn& b) { return b.gold.settings.teamKill; }},
    {"Gold", "AntiInCenter", 5, [](const BotSpawn& b) { return b.gold.settings.antiInCenter; }},
    {"Gold", "RepeatKillWindow", 0,
     [](const BotSpawn& b) { return b.gold.settings.repeatKillWindow; }},
    {"Store", "Flags", 500, [](const BotSpawn& b) { return b.gold.settings.flags; }},
    {"Store", "Arena", 500, [](const BotSpawn& b) { return b.gold.settings.arena; }},
    {"Store", "Points", 500, [](const BotSpawn& b) { return b.gold.settings.points; }},
    {"Store", "Bounty", 400, [](const BotSpawn& b) { return b.gold.settings.bounty; }},
    {"Store", "MultiFire", 150, [](const BotSpawn& b) { return b.gold.settings.multiFire; }},
    {"Store", "Super", 150, [](const BotSpawn& b) { return b.gold.settings.super; }},
    {"Store", "Shield", 150, [](const BotSpawn& b) { return b.gold.settings.shield; }},
    {"Store", "MultiPrize", 150, [](const BotSpawn& b) { return b.gold.settings.multiPrize; }},
    {"Store", "Thor", 100, [](const BotSpawn& b) { return b.gold.settings.thor; }},
    {"Store", "Portal", 100, [](const BotSpawn& b) { return b.gold.settings.portal; }},
    {"Store", "GunUpgrade", 300, [](const BotSpawn& b) { return b.gold.settings.gunUpgrade; }},
    {"Store", "BombUpgrade", 350, [](const BotSpawn& b) { return b.gold.settings.bombUpgrade; }},
    {"Store", "ScoreReset", 50, [](const BotSpawn& b) { return b.gold.settings.scoreReset; }},
};

// A file that gives every key `valueOf(its position)`, sections in reverse.
template <class ValueOf> std::string fileGivingEveryKey(ValueOf valueOf) {
    std::string file;
    for (const char* section : {"Store", "Gold", "Settings"}) {
        file += std::string("[") + section + "]\n";
        for (std::size_t i = std::size(everyKey); i-- > 0;) {
            if (std::string_view(everyKey[i].section) == section) {
                file += std::string(everyKey[i].key) + "=" + valueOf(i) + "\n";
            }
        }
    }
    return file;
}

// The tables name every key once, each value lands in its own service's
// number, and a value refused or missing leaves that number at its default,
// told in the order the file has always been read.
TEST(Settings, EveryKeyOfEveryTableLandsInItsServiceOrKeepsItsDefault) {
    TestArena counting;
    std::vector<std::string> named;
    anyService(counting.spawn(), [&](const auto& table, const auto&) {
        for (const auto& key : table.settings) {
            named.push_back(std::string(key.section) + ":" + std::string(key.key));
        }
        return false;
    });
    std::vector<std::string> expectedNames;
    for (const ExpectedKey& key : everyKey) {
        expectedNames.push_back(std::string(key.section) + ":" + key.key);
    }
    std::ranges::sort(named);
    std::ranges::sort(expectedNames);
    EXPECT_EQ(named, expectedNames);

    TestArena missing;
    EXPECT_TRUE(consoleAfterHandshake(missing).empty());
    TestArena distinct;
    distinct.writeFile("quorvel.ini",
                       fileGivingEveryKey([](std::size_t i) { return std::to_string(1001 + i); }));
    EXPECT_TRUE(consoleAfterHandshake(distinct).empty());
    TestArena refused;
    refused.writeFile("quorvel.ini", fileGivingEveryKey([](std::size_t) { return "many"; }));
    std::vector<std::string> told;
    for (std::size_t i = 0; i < std::size(everyKey); ++i) {
        const ExpectedKey& key = everyKey[i];
        SCOPED_TRACE(std::string(key.section) + ":" + key.key);
        EXPECT_EQ(key.landed(missing.spawn()), key.fallback);
        EXPECT_EQ(key.landed(distinct.spawn()), static_cast<std::int32_t>(1001 + i));
        told.push_back(std::string("quorvel.ini error: ") + key.section + ":" + key.key +
                       " must be numeric");
    }
    EXPECT_EQ(consoleAfterHandshake(refused), told);
    for (const ExpectedKey& key : everyKey) {
        EXPECT_EQ(key.landed(refused.spawn()), key.fallback) << key.section << ":" << key.key;
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

// The console lines of the bot since the last take.
std::vector<std::string> consoleOf(TestArena& arena) {
    std::vector<std::string> lines;
    for (const Sent& sent : arena.take()) {
        if (sent.code == Echo) {
            lines.push_back(sent.text);
        }
    }
    return lines;
}

using Lines = std::vector<std::string>;

// An edit of the running bot's file: each changed value that is valid lands
// at the next second and is listed once; a value that is not valid keeps
// the one in force and is told once, not again while its text stays; the
// same bytes written again say nothing.
TEST(Settings, AnEditAppliesEachChangedValueOnceAndKeepsWhatIsRefused) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Gold]\nKill=2\nFlagVictory=100\n[Store]\nThor=120\n");
    EXPECT_TRUE(consoleAfterHandshake(arena).empty());
    arena.tick(3);
    EXPECT_TRUE(consoleOf(arena).empty());

    arena.writeFile("quorvel.ini", "[Gold]\nKill=3\nFlagVictory=lots\n[Store]\nThor=-5\n");
    EXPECT_TRUE(consoleOf(arena).empty()); // nothing before the next second
    EXPECT_EQ(arena.spawn().gold.settings.kill, 2);
    arena.tick();
    EXPECT_EQ(consoleOf(arena),
              (Lines{"quorvel.ini error: Gold:FlagVictory must be numeric",
                     "quorvel.ini: Gold:Kill 2 -> 3",
                     "quorvel.ini error: Store:Thor must not be negative; 120 stays in force"}));
    const GoldSettings& g = arena.spawn().gold.settings;
    EXPECT_EQ(g.kill, 3);
    EXPECT_EQ(g.flagVictory, 100);
    EXPECT_EQ(g.thor, 120);
    arena.tick(2);
    EXPECT_TRUE(consoleOf(arena).empty());

    // Another key edited: the refused ones are not told again.
    arena.writeFile("quorvel.ini",
                    "[Gold]\nKill=3\nFlagVictory=lots\nAntiInCenter=7\n[Store]\nThor=-5\n");
    arena.tick();
    EXPECT_EQ(consoleOf(arena), Lines{"quorvel.ini: Gold:AntiInCenter 5 -> 7"});
    // The same bytes again, and a text that gives the number in force.
    arena.writeFile("quorvel.ini",
                    "[Gold]\nKill=3\nFlagVictory=lots\nAntiInCenter=7\n[Store]\nThor=-5\n");
    arena.tick();
    arena.writeFile("quorvel.ini",
                    "[Gold]\nKill=03\nFlagVictory=lots\nAntiInCenter=7\n[Store]\nThor=-5\n");
    arena.tick();
    EXPECT_TRUE(consoleOf(arena).empty());
    // A refused value mended, and a key taken out: back to its default.
    arena.writeFile("quorvel.ini", "[Gold]\nKill=03\nFlagVictory=150\n[Store]\nThor=-5\n");
    arena.tick();
    EXPECT_EQ(consoleOf(arena), (Lines{"quorvel.ini: Gold:FlagVictory 100 -> 150",
                                       "quorvel.ini: Gold:AntiInCenter 7 -> 5"}));
    EXPECT_EQ(g.flagVictory, 150);
    EXPECT_EQ(g.antiInCenter, 5);

    // A file gone keeps every value, told once; back with its keys as they
    // were, it changes nothing.
    std::filesystem::remove(arena.directory() + "/quorvel.ini");
    arena.tick(3);
    EXPECT_EQ(consoleOf(arena), Lines{"quorvel.ini is not there: the values in force are kept."});
    EXPECT_EQ(g.kill, 3);
    EXPECT_EQ(g.flagVictory, 150);
    arena.writeFile("quorvel.ini", "[Gold]\nFlagVictory=150\nKill=3\n[Store]\nThor=-5\n");
    arena.tick();
    EXPECT_TRUE(consoleOf(arena).empty());
}

// What a value does in play follows the edit: the store as !ion and !ioff
// switch it (balances kept), the autosave from a new interval, the line
// budget at once (lines waiting for the old one go out).
TEST(Settings, AnEditOfASwitchOrCountTakesHoldInPlay) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\nLinesPerSecond=2\n");
    arena.handshake();
    const PlayerRecord& pat = arena.addPlayer({.name = "Pat"});
    arena.take();
    arena.command(pat, "gold");
    arena.command(pat, "gold");
    arena.command(pat, "gold");
    EXPECT_EQ(arena.take().size(), 2u); // the third waits for the next second
    arena.gold().credit("Pat", 40);

    arena.writeFile("quorvel.ini", "[Settings]\nInventory=0\nAutoSave=3\nLinesPerSecond=0\n");
    arena.tick();
    EXPECT_EQ(arena.takeTexts(), (Lines{"Ammount of Gold left in your account: 0",
                                        "quorvel.ini: Settings:Inventory 1 -> 0",
                                        "quorvel.ini: Settings:AutoSave 0 -> 3",
                                        "quorvel.ini: Settings:LinesPerSecond 2 -> 0"}));
    EXPECT_FALSE(arena.spawn().gold.storeOn);
    EXPECT_EQ(arena.spawn().linesPerSecond, 0);
    arena.command(pat, "gold");
    EXPECT_TRUE(arena.take().empty()); // the store is off

    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=3\nLinesPerSecond=0\n");
    arena.tick();
    EXPECT_EQ(arena.takeTexts(), Lines{"quorvel.ini: Settings:Inventory 0 -> 1"});
    EXPECT_TRUE(arena.spawn().gold.storeOn);
    arena.command(pat, "gold");
    EXPECT_EQ(arena.takeTexts(), Lines{"Ammount of Gold left in your account: 40"});
    arena.tick(); // the third second from the one that read AutoSave=3
    EXPECT_EQ(consoleOf(arena), Lines{"AutoSave..."});
    arena.tick(2);
    EXPECT_EQ(consoleOf(arena), Lines{});
    arena.tick();
    EXPECT_EQ(consoleOf(arena), Lines{"AutoSave..."});
}

// !reload reads the file at once, for SMod and up; the console lists what
// changed, the staff member gets the count.
TEST(Settings, ReloadReadsTheFileAtOnceForSModAndUp) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Gold]\nKill=2\n");
    arena.handshake();
    const PlayerRecord& mo = arena.addPlayer({.name = "Mo", .accessLevel = Mod});
    const PlayerRecord& sam = arena.addPlayer({.name = "Sam", .accessLevel = SMod});
    arena.take();
    arena.command(sam, "reload");
    EXPECT_EQ(arena.take(), std::vector<Sent>{privateLine(sam, "quorvel.ini: nothing changed.")});

    arena.writeFile("quorvel.ini", "[Gold]\nKill=4\nTeamKill=9\nSoccerGoal=x\n");
    arena.command(mo, "reload");
    EXPECT_TRUE(arena.take().empty());
    arena.command(sam, "reload");
    EXPECT_EQ(arena.take(), (std::vector<Sent>{
                                console("quorvel.ini error: Gold:SoccerGoal must be numeric"),
                                console("quorvel.ini: Gold:Kill 2 -> 4"),
                                console("quorvel.ini: Gold:TeamKill 5 -> 9"),
                                privateLine(sam, "quorvel.ini: 2 values applied, 1 refused."),
                            }));
    arena.tick();
    EXPECT_TRUE(arena.take().empty()); // the tick finds nothing new
    arena.help(sam, "reload");
    EXPECT_EQ(arena.takeTexts(),
              Lines{"!reload (Reads quorvel.ini again now and applies what changed.)"});
}

// [Database] is read when the economy opens: an edit is listed as waiting
// for the next start (passwords hidden), and what is wrong with it is told
// once in a start's words instead.
TEST(Settings, DatabaseKeysTakeEffectAtTheNextStart) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Database]\nPollSeconds=5\nConnection=Dsn=a;Pwd=old\n");
    arena.handshake();
    arena.take();
    arena.writeFile("quorvel.ini", "[Database]\nPollSeconds=10\nConnection=Dsn=b;Pwd=new\n"
                                   "LoginTimeout=0\n[Gold]\nKill=6\n");
    arena.tick();
    EXPECT_EQ(consoleOf(arena),
              (Lines{"quorvel.ini: Gold:Kill 2 -> 6",
                     "quorvel.ini: Database:Connection Dsn=a;Pwd=*** -> Dsn=b;Pwd=*** takes "
                     "effect at the next start.",
                     "quorvel.ini: Database:PollSeconds 5 -> 10 takes effect at the next start.",
                     "quorvel.ini error: Database:LoginTimeout must be a number from 1 to 300; "
                     "the default 5 is used"}));
    EXPECT_EQ(arena.spawn().gold.database.pollSeconds, 5);
    const PlayerRecord& sam = arena.addPlayer({.name = "Sam", .accessLevel = SMod});
    arena.writeFile("quorvel.ini", "[Database]\nPollSeconds=10\nConnection=Dsn=b;Pwd=new\n"
                                   "LoginTimeout=0\nHostId=east\n[Gold]\nKill=6\n");
    arena.command(sam, "reload");
    EXPECT_EQ(arena.takeTexts(),
              (Lines{"quorvel.ini: Database:HostId none -> east takes effect at the next start.",
                     "quorvel.ini: 0 values applied, 1 takes effect at the next start."}));
}

// Bots sharing a folder each read the file: each console lists the change
// once.
TEST(Settings, EveryBotOfTheFolderAppliesAnEdit) {
    TestArena one;
    TestArena two(one.directory(), 7, 2);
    one.writeFile("quorvel.ini", "[Gold]\nKill=2\n");
    one.handshake();
    two.handshake();
    one.take();
    two.take();
    one.writeFile("quorvel.ini", "[Gold]\nKill=8\n");
    one.tick();
    two.tick();
    one.tick();
    two.tick();
    EXPECT_EQ(consoleOf(one), Lines{"quorvel.ini: Gold:Kill 2 -> 8"});
    EXPECT_EQ(consoleOf(two), Lines{"quorvel.ini: Gold:Kill 2 -> 8"});
    EXPECT_EQ(one.spawn().gold.settings.kill, 8);
    EXPECT_EQ(two.spawn().gold.settings.kill, 8);
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
