// Several bots of one host in one folder: one set of accounts and records,
// whichever bot a change or a save comes through.
#include "economy_arena.h"

#include <algorithm>
#include <filesystem>

namespace quorvel::testing {
namespace {

constexpr std::uint32_t modLevel = 2;
constexpr std::uint32_t sopLevel = 4;

std::string goldRecord(std::uint32_t amount, const std::string& name) {
    std::string record(24, '\0');
    for (int i = 0; i < 4; ++i) {
        record[static_cast<std::size_t>(i)] = static_cast<char>((amount >> (8 * i)) & 0xFF);
    }
    record.replace(4, name.size(), name);
    return record;
}

bool told(const std::vector<std::string>& texts, std::string_view part) {
    return std::any_of(texts.begin(), texts.end(), [part](const std::string& text) {
        return text.find(part) != std::string::npos;
    });
}

struct TwoBots {
    TwoBots() {
        one.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
        one.writeFile("gold.dat", goldRecord(100, "Bob"));
        one.handshake();
        one.take();
    }
    TestArena one;
    TestArena two{one.directory(), 7, 2};
};

TEST(SharedEconomy, NoBotsChangeIsWrittenOverOrReplayedByAnother) {
    TwoBots bots;
    auto& mod1 = bots.one.addPlayer({.name = "Mod", .accessLevel = modLevel});
    auto& mod2 = bots.two.addPlayer({.name = "Mod", .accessLevel = modLevel});
    bots.one.command(mod1, "givegold", "Bob:50");
    // gold.log holds bot 1's unsaved line now: bot 2 joins what is loaded.
    bots.two.handshake();
    EXPECT_FALSE(told(bots.two.takeTexts(), "Recovered"));
    bots.one.command(mod1, "goldsave");
    bots.two.command(mod2, "givegold", "Bob:7");
    bots.two.command(mod2, "goldsave");
    EXPECT_EQ(bots.one.readFile("gold.dat"), goldRecord(157, "Bob"));

    // Bob lends his gold through one bot; through the other it is gone.
    auto& bob1 = bots.one.addPlayer({.name = "Bob", .ship = 1});
    auto& bob2 = bots.two.addPlayer({.name = "Bob", .ship = 1});
    bots.one.command(bob1, "lendgold", "Al:157");
    bots.two.command(bob2, "lendgold", "Cy:157");
    EXPECT_EQ(bots.two.takeTexts().back(), "You can not give more than you have.");
    EXPECT_EQ(goldOf(bots.one, "Al") + goldOf(bots.two, "Bob"), 157u);

    // A reset through one bot is told on every bot's console.
    bots.one.take();
    auto& sop2 = bots.two.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    bots.two.command(sop2, "resetinv");
    EXPECT_EQ(bots.one.take(),
              std::vector<Sent>{console("The inventory records were reset by Sop through bot 2.")});
    EXPECT_TRUE(told(bots.two.takeTexts(), "reset by Sop through bot 2."));

    // The journal says which bot made each change.
    const std::string journal = bots.one.readFile("gold.log").value_or("");
    EXPECT_NE(journal.find("\tgivegold\tMod\tBob\tgold\t+50\t150\t1\t"), std::string::npos);
    EXPECT_NE(journal.find("\tgivegold\tMod\tBob\tgold\t+7\t157\t2\t"), std::string::npos);

    // One bot leaving leaves the store to the other; the last one closes it.
    bots.two.terminate();
    bots.one.command(mod1, "givegold", "Dee:3");
    EXPECT_EQ(goldOf(bots.one, "Dee"), 3u);
    bots.one.terminate();
    const std::string saved = bots.one.readFile("gold.dat").value_or("");
    EXPECT_NE(saved.find(goldRecord(3, "Dee")), std::string::npos);
    // The host reconnects: the files hold everything, and nothing is
    // applied twice.
    bots.two.handshake();
    EXPECT_FALSE(told(bots.two.takeTexts(), "Recovered"));
    EXPECT_EQ(goldOf(bots.two, "Dee"), 3u);
    EXPECT_EQ(goldOf(bots.two, "Al"), 157u);
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A host hands every bot of an arena the arena's events: both bots greet
// Bob, and each of them sells and hands out items from the one record.
TEST(SharedEconomy, BotsOfOneArenaAgreeOnItemCounts) {
    TwoBots bots;
    bots.two.handshake();
    bots.two.take();
    bots.one.gold().credit("Bob", 500);
    auto& bob1 = bots.one.addPlayer({.name = "Bob", .ship = 1});
    auto& bob2 = bots.two.addPlayer({.name = "Bob", .ship = 1});
    bots.one.enter(bob1);
    bots.two.enter(bob2);
    bots.one.take();
    bots.two.take();
    ASSERT_EQ(bots.one.inventory().size(), 1u);

    bots.one.command(bob1, "buy", "inv guns");
    EXPECT_TRUE(
        sentExactly(bots.one.take(), {privateLine(bob1, "Gun Upgrade placed in Inventory")}));
    bots.two.command(bob2, "inv");
    EXPECT_EQ(bots.two.takeTexts(),
              (std::vector<std::string>{
                  "Your Inventory", "Item Name           Number Owned        Description",
                  "---------------------------------------------------------",
                  "guns                1                   Increase Power of Guns by 1 level",
                  "Type !inv <item name> use an item in your Inventory."}));

    // The second gun lands beside the first, whichever bot sold it.
    bots.two.command(bob2, "buy", "inv guns");
    EXPECT_TRUE(
        sentExactly(bots.two.take(), {privateLine(bob2, "Gun Upgrade placed in Inventory")}));
    EXPECT_EQ(bots.one.inventory().find("Bob")->counts[0], 2);
    EXPECT_EQ(goldOf(bots.one, "Bob"), 0u);
    std::string journal = bots.one.readFile("gold.log").value_or("");
    EXPECT_EQ(occurrences(journal, "\tpurchase guns\tBob\tBob\tgold\t-300\t"), 2u) << journal;
    EXPECT_NE(journal.find("\tpurchase guns\tBob\tBob\tguns\t+1\t1\t1"), std::string::npos);
    EXPECT_NE(journal.find("\tpurchase guns\tBob\tBob\tguns\t+1\t2\t2"), std::string::npos);

    // Each bot hands out one; then neither has any left to hand out.
    bots.one.command(bob1, "inv", "guns");
    EXPECT_TRUE(sentExactly(bots.one.take(), {privateLine(bob1, "*prize#8"),
                                              privateLine(bob1, "Gun Upgrade Installed")}));
    bots.two.command(bob2, "inv", "guns");
    EXPECT_TRUE(sentExactly(bots.two.take(), {privateLine(bob2, "*prize#8"),
                                              privateLine(bob2, "Gun Upgrade Installed")}));
    bots.one.command(bob1, "inv", "guns");
    EXPECT_TRUE(sentExactly(
        bots.one.take(),
        {privateLine(bob1, "Sorry but you don't have any Gun Upgrades in your Inventory.")}));
    EXPECT_EQ(bots.one.inventory().find("Bob")->counts[0], 0);
    bots.two.command(bob2, "inv");
    EXPECT_EQ(bots.two.takeTexts().size(), 4u);
    journal = bots.one.readFile("gold.log").value_or("");
    EXPECT_NE(journal.find("\tinventory use\tBob\tBob\tguns\t-1\t1\t1"), std::string::npos);
    EXPECT_NE(journal.find("\tinventory use\tBob\tBob\tguns\t-1\t0\t2"), std::string::npos);
    EXPECT_EQ(journal.find("\tguns\t+0\t"), std::string::npos) << journal;
}

TEST(SharedEconomy, AnotherHostsLockKeepsTheStoreOffAndTheFilesUntouched) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=1\n");
    arena.writeFile("gold.dat", goldRecord(100, "Bob"));
    platform::FileLock otherHost;
    ASSERT_TRUE(otherHost.acquire(FileEconomy::lockName).ok());
    arena.handshake();
    const auto start = arena.takeTexts();
    ASSERT_EQ(start.size(), 2u);
    EXPECT_EQ(start[1].find("Another host works in this folder (cannot lock gold.lock: it is held "
                            "by "),
              0u)
        << start[1];
    EXPECT_NE(start[1].find("): this bot reads and writes none of gold.dat, inv.dat and gold.log"),
              std::string::npos)
        << start[1];
    EXPECT_FALSE(arena.spawn().gold.storeOn);

    auto& sop = arena.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    arena.command(sop, "ion");
    arena.command(sop, "resetgold");
    const std::string refusal =
        "The store stays off: this bot has no gold files open (its console says why).";
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(sop, refusal), privateLine(sop, refusal)}));
    arena.tick(5);
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"), goldRecord(100, "Bob"));
    EXPECT_FALSE(arena.fileExists("gold.log"));
    EXPECT_FALSE(arena.fileExists("inv.dat"));

    // Off for good in this process, even once the other host has gone.
    otherHost.release();
    arena.handshake();
    EXPECT_TRUE(told(arena.takeTexts(), "(gold.lock is held by another host)"));
    EXPECT_FALSE(arena.spawn().gold.storeOn);
}

} // namespace
} // namespace quorvel::testing
