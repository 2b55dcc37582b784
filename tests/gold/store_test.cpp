#include "economy_arena.h"

namespace quorvel::testing {
namespace {

TEST(StorePurchase, ThePriceIsEnoughAndOneLessIsNotWhateverItIsSetTo) {
    struct Config {
        std::string ini;
        std::uint32_t price;
    };
    for (const Config& config : {Config{"", 300}, Config{"[Store]\nGunUpgrade=275\n", 275}}) {
        TestArena arena;
        openStore(arena, config.ini);
        auto& bob = arena.addPlayer({.name = "Bob", .ship = 1});
        const std::string mustHave = "You must have " + std::to_string(config.price) +
                                     " Gold in your account to access this command.";

        arena.gold().credit("Bob", config.price - 1);
        arena.command(bob, "buy", "use guns");
        arena.command(bob, "buy", "inv guns");
        EXPECT_TRUE(
            sentExactly(arena.take(), {privateLine(bob, mustHave), privateLine(bob, mustHave)}));
        EXPECT_EQ(goldOf(arena, "Bob"), config.price - 1);
        EXPECT_EQ(arena.inventory().find("Bob"), nullptr); // nothing bought, no record made

        arena.gold().credit("Bob", 1);
        arena.command(bob, "buy", "use guns");
        EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "*prize#8"),
                                               privateLine(bob, "Gun Upgrade Installed")}));
        EXPECT_EQ(goldOf(arena, "Bob"), 0u);

        arena.gold().credit("Bob", config.price);
        arena.command(bob, "buy", "inv guns");
        EXPECT_TRUE(
            sentExactly(arena.take(), {privateLine(bob, "Gun Upgrade placed in Inventory")}));
        EXPECT_EQ(goldOf(arena, "Bob"), 0u);
        ASSERT_NE(arena.inventory().find("Bob"), nullptr);
        EXPECT_EQ(arena.inventory().find("Bob")->counts[0], 1);
    }
}

TEST(StorePurchase, SpectatorsPayForServicesButNotForItems) {
    TestArena arena;
    openStore(arena);
    auto& watcher = arena.addPlayer({.name = "Watcher", .ship = 8});
    arena.gold().credit("Watcher", 2000);

    arena.command(watcher, "buy", "use guns");
    arena.command(watcher, "buy", "inv guns");
    arena.command(watcher, "buy", "use prize");
    arena.command(watcher, "buy", "inv prize");
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(watcher, "You must be playing to install Gun Upgrade"),
                       privateLine(watcher, "You must be playing to buy Gun Upgrade"),
                       privateLine(watcher, "You must be playing before buying Multiprize"),
                       privateLine(watcher, "You must be playing before buying Multiprize")}));
    EXPECT_EQ(goldOf(arena, "Watcher"), 2000u);

    arena.command(watcher, "buy", "points");
    arena.command(watcher, "buy", "bounty whatever follows");
    arena.command(watcher, "buy", "reset");
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(watcher, "*points 10000"), privateLine(watcher, "Points Increased by 10,000"),
         privateLine(watcher, "*prize 6000"), privateLine(watcher, "Bounty Increased by 6,000"),
         privateLine(watcher, "*scorereset"), privateLine(watcher, "Score Reset")}));
    EXPECT_EQ(goldOf(arena, "Watcher"), 2000u - 500 - 400 - 50);
}

TEST(StorePurchase, ArenaMessageChecksTheBalanceBeforeTheSyntax) {
    TestArena arena;
    openStore(arena, "[Store]\nArena=40\n");
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 8});
    arena.gold().credit("Bob", 39);
    arena.command(bob, "buy", "arena");
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(bob, "You must have 40 Gold in your account to access this command.")}));

    arena.gold().credit("Bob", 1);
    arena.command(bob, "buy", "arena");
    arena.command(bob, "buy", "arena arena");
    arena.command(bob, "buy", "arena ");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "Syntax: !buy arena msg"),
                                           privateLine(bob, "Syntax: !buy arena msg"),
                                           privateLine(bob, "Syntax: !buy arena msg")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 40u);

    arena.command(bob, "buy", "ARENA  meet me at K11 ");
    EXPECT_TRUE(sentExactly(arena.take(), {publicLine("*arena meet me at K11 -Bob", 2)}));
    EXPECT_EQ(goldOf(arena, "Bob"), 0u);
}

TEST(StorePurchase, ArenaMessageAlwaysEndsWithTheBuyersName) {
    TestArena arena;
    openStore(arena, "[Store]\nArena=40\n");
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 8});
    arena.gold().credit("Bob", 6 * 40);
    const std::string nbsp = "\xA0";
    auto repeated = [](const std::string& piece, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += piece;
        }
        return text;
    };
    // The line is "*arena " (7 bytes), the text, " -Bob" (5 bytes), 240 in
    // all: a text that fills it is cut, never the name.
    const std::size_t room = 240 - 7 - 5;
    arena.command(bob, "buy", "arena " + std::string(room + 1, 'x'));
    arena.command(bob, "buy", "arena " + std::string(room, 'y'));
    // Padding that shows as nothing cannot push the name out and leave
    // another name at the end.
    arena.command(bob, "buy", "arena meet me -Mel" + repeated(nbsp, 300));
    arena.command(bob, "buy", "arena meet me -Mel" + repeated("\t", 300));
    arena.command(bob, "buy", "arena hi \t" + nbsp + " " + nbsp);
    // The cut lands in blanks: they go as well.
    arena.command(bob, "buy", "arena " + std::string(200, 'z') + std::string(60, ' ') + "tail");
    EXPECT_TRUE(sentExactly(
        arena.take(), {publicLine("*arena " + std::string(room, 'x') + " -Bob", 2),
                       publicLine("*arena " + std::string(room, 'y') + " -Bob", 2),
                       publicLine("*arena meet me -Mel -Bob", 2),
                       publicLine("*arena meet me -Mel -Bob", 2), publicLine("*arena hi -Bob", 2),
                       publicLine("*arena " + std::string(200, 'z') + " -Bob", 2)}));
    EXPECT_EQ(goldOf(arena, "Bob"), 0u);

    // A message of nothing but padding is no message: not sent, not paid.
    arena.gold().credit("Bob", 40);
    arena.command(bob, "buy", "arena " + nbsp + "\t" + nbsp);
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "Syntax: !buy arena msg")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 40u);
}

TEST(StorePurchase, WordsIgnoreCaseAndAnythingElseGetsNoReply) {
    TestArena arena;
    openStore(arena);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 2});
    arena.gold().credit("Bob", 5000);
    for (const char* text :
         {"GUNS", "use", "inv", "use lasers", "use guns now", "sell guns", "inv  "}) {
        arena.command(bob, "buy", text);
    }
    EXPECT_TRUE(sentExactly(arena.take(), {}));
    EXPECT_EQ(goldOf(arena, "Bob"), 5000u);

    arena.command(bob, "buy", "USE GUNS");
    arena.command(bob, "buy", "Inv Thor");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "*prize#8"),
                                           privateLine(bob, "Gun Upgrade Installed"),
                                           privateLine(bob, "Thor's Hammer placed in Inventory")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 5000u - 300 - 100);
}

TEST(StorePurchase, PriceListCarriesTheConfiguredPricesInColumns) {
    TestArena arena;
    arena.writeFile("quorvel.ini",
                    "[Settings]\nInventory=1\n[Store]\nGunUpgrade=275\nScoreReset=-1\n");
    arena.handshake();
    // A negative price would be compared as about four thousand million: it
    // is refused like a value that is not a number.
    EXPECT_EQ(arena.takeTexts(),
              (std::vector<std::string>{"DLL plugin connected.",
                                        "quorvel.ini error: Store:ScoreReset must not be negative; "
                                        "the default 50 is used"}));
    auto& bob = arena.addPlayer({.name = "Bob"});
    arena.command(bob, "buy");
    auto texts = arena.takeTexts();
    ASSERT_EQ(texts.size(), 17u);
    EXPECT_EQ(texts[0], "Item Name           Price               Description");
    EXPECT_EQ(texts[1], std::string(57, '-'));
    EXPECT_EQ(texts[12],
              "guns                275                 Increase Power of Guns by 1 level");
    EXPECT_EQ(texts[14], "reset               50                  Reset your score");
    EXPECT_EQ(texts[15], "Type !buy use <item name> to buy item for instant use, type !buy inv "
                         "<item name> to buy and put in your Inventory.");
    EXPECT_EQ(texts[16],
              "For arena, flags, points, bounty, and reset just Type !buy <item name> instead.");

    arena.gold().credit("Bob", 1000);
    arena.command(bob, "buy", "reset");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(bob, "*scorereset"), privateLine(bob, "Score Reset")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 950u);
}

TEST(StoreInventory, ItemsBoughtIntoTheInventoryAreListedUsedAndKeptInTheRecord) {
    TestArena arena;
    arena.writeFile("inv.dat", "");
    openStore(arena);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 0});
    arena.enter(bob);
    arena.take();
    arena.gold().credit("Bob", 1000);

    arena.command(bob, "inv");
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(bob, "Your Inventory"),
                       privateLine(bob, "Item Name           Number Owned        Description"),
                       privateLine(bob, std::string(57, '-')),
                       privateLine(bob, "Type !inv <item name> use an item in your Inventory.")}));

    arena.command(bob, "buy", "inv multi");
    arena.command(bob, "buy", "inv portal");
    arena.command(bob, "buy", "inv portal");
    arena.take();
    const InventoryRecord* record = arena.inventory().find("bob");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->counts[2], 1); // multi
    EXPECT_EQ(record->counts[7], 2); // portal
    EXPECT_EQ(goldOf(arena, "Bob"), 1000u - 150 - 200);

    arena.command(bob, "inv");
    auto texts = arena.takeTexts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[3], "multi               1                   Receive  MultiFire");
    EXPECT_EQ(texts[4], "portal              2                   Increase Portal count");

    arena.command(bob, "inv", "MULTI please");
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(bob, "*prize#15"), privateLine(bob, "MultiFire Installed")}));
    EXPECT_EQ(record->counts[2], 0);
    arena.command(bob, "inv", "multi");
    arena.command(bob, "inv", "super");
    arena.command(bob, "inv", "wand");
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(bob, "Sorry but you don't have any MultiFire Upgrades in your Inventory."),
         privateLine(bob, "Sorry but you don't have even a single Super! in your Inventory.")}));

    arena.command(bob, "inv");
    EXPECT_EQ(arena.takeTexts().size(), 5u); // only portal is left

    bob.ship = 8;
    arena.command(bob, "inv", "portal");
    EXPECT_TRUE(
        sentExactly(arena.take(), {privateLine(bob, "You must be playing before using Portal")}));
    EXPECT_EQ(record->counts[7], 2);
    EXPECT_EQ(goldOf(arena, "Bob"), 1000u - 150 - 200);
}

TEST(StoreInventory, ABuyerWithoutARecordGetsOneAndNobodyPaysForNothing) {
    TestArena arena;
    arena.writeFile("inv.dat", "");
    openStore(arena);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 0});
    auto& sop = arena.addPlayer({.name = "Boss", .accessLevel = 4});
    arena.enter(bob);
    arena.gold().credit("Bob", 500);
    arena.command(sop, "resetinv");
    arena.command(bob, "buy", "inv thor");
    arena.take();
    // The record is made as on entry, so the item is still there when he
    // comes back.
    ASSERT_EQ(arena.inventory().size(), 1u);
    EXPECT_EQ(arena.inventory().find("bob")->counts[5], 1);
    arena.leave(bob);
    auto& back = arena.addPlayer({.name = "Bob", .ship = 0});
    arena.enter(back);
    arena.take();
    arena.command(back, "inv");
    const std::vector<std::string> listing = arena.takeTexts();
    ASSERT_EQ(listing.size(), 5u);
    EXPECT_EQ(listing[3], "thor                1                   Increase Thor's Hammer count");

    // A count at its largest takes no more, and no gold for it.
    arena.inventory().find("bob")->counts[5] = 2147483647;
    const std::uint32_t before = goldOf(arena, "Bob");
    arena.command(back, "buy", "inv thor");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(back, "Your Inventory can not hold any "
                                                             "more of that item.")}));
    EXPECT_EQ(goldOf(arena, "Bob"), before);
    EXPECT_EQ(arena.inventory().find("bob")->counts[5], 2147483647);
    EXPECT_EQ(arena.inventory().size(), 1u);
}

TEST(StoreFlags, ListsFlagsAndCarriersAfterCharging) {
    TestArena arena;
    openStore(arena);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 8});
    arena.gold().credit("Bob", 1000);
    arena.command(bob, "buy", "flags");
    EXPECT_TRUE(
        sentExactly(arena.take(), {privateLine(bob, ""), privateLine(bob, "<No uncarried flags>"),
                                   privateLine(bob, " *** Carried flags ***"),
                                   privateLine(bob, "<No carried flags>")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 500u);

    arena.addFlag(512, 512);
    arena.addFlag(0, 1023);
    auto& ann = arena.addPlayer({.name = "Ann", .ship = 1, .tileX = 0, .tileY = 1023});
    ann.flagsCarried = 3;
    arena.command(bob, "buy", "flags");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(bob, "K11 A20 "),
                                           privateLine(bob, " *** Carried flags ***"),
                                           privateLine(bob, "Ann @ A20 is carrying 3 flags")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 0u);
    arena.command(bob, "buy", "flags");
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(bob, "You must have 500 Gold in your account to access this command.")}));
}

TEST(StoreSwitch, EveryPlayerCommandIsSilentWhileTheStoreIsOff) {
    TestArena arena;
    arena.handshake();
    arena.take();
    ASSERT_FALSE(arena.spawn().gold.storeOn);
    auto& bob = arena.addPlayer({.name = "Bob", .ship = 1});
    arena.gold().credit("Bob", 5000);
    const char* commands[][2] = {{"gold", ""},        {"gratio", ""},        {"buy", ""},
                                 {"buy", "use guns"}, {"buy", "points"},     {"inv", ""},
                                 {"inv", "guns"},     {"lendgold", "Ann:5"}, {"show", ""},
                                 {"hide", ""}};
    for (auto& command : commands) {
        arena.command(bob, command[0], command[1]);
    }
    EXPECT_TRUE(sentExactly(arena.take(), {}));
    EXPECT_EQ(goldOf(arena, "Bob"), 5000u);
    EXPECT_EQ(arena.gold().size(), 1u);
}

TEST(StoreBalance, GoldAnswersWithoutOpeningAnAccountAndPrintsSigned) {
    TestArena arena;
    openStore(arena);
    auto& bob = arena.addPlayer({.name = "Bob"});
    arena.command(bob, "gold");
    EXPECT_TRUE(
        sentExactly(arena.take(), {privateLine(bob, "Ammount of Gold left in your account: 0")}));
    EXPECT_EQ(arena.gold().size(), 0u);
    arena.gold().credit("bob", 3000000000u);
    arena.command(bob, "gold");
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(bob, "Ammount of Gold left in your account: -1294967296")}));
}

} // namespace
} // namespace quorvel::testing
