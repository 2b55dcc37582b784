#include "economy_arena.h"

#include "base/platform/machine.h"

#include <filesystem>

namespace quorvel::testing {
namespace {

constexpr std::uint32_t modLevel = 2;
constexpr std::uint32_t sopLevel = 4;
const std::string abuse = "Lets try not to abuse your powers here...";

TEST(StaffGold, GivegoldRefusalsAndBounds) {
    TestArena arena;
    openStore(arena);
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    for (const char* text : {"", "Bob", "7:7", "Bob:ten", "Bob:4294967306", "Bob:-1", "Nobody:0",
                             "Bob:100", "bob:-30", "Bob:-71", "Bob:-70"}) {
        arena.command(mod, "givegold", text);
    }
    EXPECT_TRUE(sentExactly(
        arena.take(),
        {privateLine(mod, "More parameters required"), privateLine(mod, "Syntax: Player:Ammount"),
         privateLine(mod, "Syntax: Player:Ammount"),
         privateLine(mod, "Ammount should be in NUMBERS!"),
         privateLine(mod, "Ammount should be in NUMBERS!"), privateLine(mod, abuse),
         privateLine(mod, "0 Gold given to Nobody"), privateLine(mod, "100 Gold given to Bob"),
         privateLine(mod, "-30 Gold given to bob"), privateLine(mod, abuse),
         privateLine(mod, "-70 Gold given to Bob")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 0u);
    ASSERT_EQ(arena.gold().size(), 1u); // neither Nobody nor a wrap
    EXPECT_STREQ(arena.gold().accounts()[0].name, "Bob");

    arena.command(mod, "givegold", "Bob:4294967295");
    arena.command(mod, "givegold", "Bob:1");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(mod, "-1 Gold given to Bob"), privateLine(mod, abuse)}));
    EXPECT_EQ(goldOf(arena, "Bob"), 4294967295u);
}

TEST(StaffGold, TakegoldNeverTakesMoreThanTheAccountHolds) {
    TestArena arena;
    openStore(arena);
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    arena.gold().credit("Bob", 30);
    arena.gold().credit("Mod", 1000);
    for (const char* text : {"", "Bob", "Bob:ten", "Bob:99999999999", "Bob:31", "Bob:-1",
                             "Nobody:5", "Nobody:0", "BOB:30"}) {
        arena.command(mod, "takegold", text);
    }
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(mod, "More parameters required"),
                             privateLine(mod, "Syntax: Player:Ammount"),
                             privateLine(mod, "Numers should be NUMBERS!"),
                             privateLine(mod, "Numers should be NUMBERS!"), privateLine(mod, abuse),
                             privateLine(mod, abuse), privateLine(mod, abuse),
                             privateLine(mod, "0 Gold removed from Nobody's account."),
                             privateLine(mod, "30 Gold removed from BOB's account.")}));
    EXPECT_EQ(goldOf(arena, "Bob"), 0u);
    EXPECT_EQ(arena.gold().size(), 2u);
}

// "*" marks a whole table in gold.log: no command may open or move an
// account of that name, or the journal would read it as every account.
TEST(StaffGold, ReservedNamesAreNoAccount) {
    TestArena arena;
    openStore(arena);
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    auto& pat = arena.addPlayer({.name = "Pat"});
    arena.gold().credit("Pat", 100);
    const std::string refusal = "\"*\" stands for every account and cannot be a name.";
    arena.command(mod, "givegold", "*:1000000");
    arena.command(mod, "givegold", " * :5");
    arena.command(mod, "takegold", "*:0");
    arena.command(pat, "lendgold", "*:10");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(mod, refusal), privateLine(mod, refusal),
                                           privateLine(mod, refusal), privateLine(pat, refusal)}));
    EXPECT_EQ(arena.gold().size(), 1u); // Pat alone
    EXPECT_EQ(goldOf(arena, "Pat"), 100u);
    // A name that only holds the star is still a name.
    arena.command(mod, "givegold", "*Star*:7");
    EXPECT_TRUE(sentExactly(arena.take(), {privateLine(mod, "7 Gold given to *Star*")}));
    EXPECT_EQ(goldOf(arena, "*Star*"), 7u);
}

TEST(StaffGold, PlayergoldLooksUpWithoutOpeningAnAccount) {
    TestArena arena;
    openStore(arena);
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    arena.gold().credit("Bob", 42);
    arena.command(mod, "playergold");
    arena.command(mod, "playergold", "bOB");
    arena.command(mod, "playergold", "Nobody");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(mod, "State a name"), privateLine(mod, "bOB has 42 Gold."),
                             privateLine(mod, "Nobody has 0 Gold.")}));
    EXPECT_EQ(arena.gold().size(), 1u);
}

TEST(StaffGold, SavesReloadsAndResets) {
    TestArena arena;
    openStore(arena);
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    auto& sop = arena.addPlayer({.name = "Boss", .accessLevel = sopLevel});
    arena.gold().credit("Bob", 42);
    arena.inventory().appendEmpty("Bob");
    arena.command(mod, "goldsave");
    arena.command(mod, "invsave");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(mod, "Gold accounts saved for backup purposes."),
                             privateLine(mod, "Inventory Database saved for backup purposes.")}));
    EXPECT_EQ(arena.readFile("gold.dat")->size(), 24u);
    EXPECT_EQ(arena.readFile("inv.dat")->size(), 52u);

    arena.command(mod, "givegold", "Newbie:5");
    arena.inventory().appendEmpty("Newbie");
    arena.command(mod, "goldload");
    arena.command(mod, "invload");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(mod, "5 Gold given to Newbie"),
                             console("The gold accounts were reloaded from gold.dat by Mod "
                                     "through bot 1."),
                             privateLine(mod, "Gold accounts loaded from saved backup."),
                             console("The inventory records were reloaded from inv.dat by Mod "
                                     "through bot 1."),
                             privateLine(mod, "Inventory Database loaded from saved backup.")}));
    EXPECT_EQ(arena.gold().find("Newbie"), nullptr);
    EXPECT_EQ(goldOf(arena, "Bob"), 42u);
    EXPECT_EQ(arena.inventory().size(), 1u);

    // A save that cannot be made is not reported as made.
    std::filesystem::create_directory(platform::temporaryNameFor("gold.dat"));
    arena.command(mod, "goldsave");
    auto sent = arena.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().target, mod.ident);
    EXPECT_EQ(sent.back().text.find("Gold accounts could not be saved: "), 0u) << sent.back().text;
    EXPECT_EQ(arena.readFile("gold.dat")->size(), 24u);

    // Resets are for SOps only, and work with the store off.
    arena.command(mod, "resetgold");
    arena.command(mod, "resetinv");
    EXPECT_TRUE(sentExactly(arena.take(), {}));
    arena.command(mod, "ioff");
    arena.command(sop, "resetgold");
    arena.command(sop, "resetinv");
    EXPECT_TRUE(sentExactly(
        arena.take(), {privateLine(mod, "Store/Inventory functions disabled."),
                       console("The gold accounts were reset by Boss through bot 1."),
                       privateLine(sop, "You have just reset the entire Gold Database"),
                       console("The inventory records were reset by Boss through bot 1."),
                       privateLine(sop, "You have just reset the entire Inventory Database")}));
    EXPECT_EQ(arena.gold().size(), 0u);
    EXPECT_EQ(arena.inventory().size(), 0u);
    EXPECT_TRUE(arena.economy().inventoryLoaded());
    EXPECT_EQ(arena.readFile("inv.dat")->size(), 52u); // untouched until the next save

    // A staff name's control bytes, C0, DEL and C1 alike, reach the console
    // as blanks: no name can rewrite the operator's screen.
    auto& rogue = arena.addPlayer({.name = "\r\x1B[2K\x7F\x9B"
                                           "1A",
                                   .accessLevel = sopLevel});
    arena.command(rogue, "resetgold");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {console("The gold accounts were reset by   [2K  1A through bot 1."),
                             privateLine(rogue, "You have just reset the entire Gold Database")}));
}

TEST(StaffGold, StoreSwitchAndWhatItSilences) {
    TestArena arena;
    arena.handshake();
    arena.take();
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    auto& player = arena.addPlayer({.name = "Pat"});
    for (const char* name :
         {"givegold", "takegold", "playergold", "goldsave", "goldload", "invsave", "invload"}) {
        arena.command(mod, name, "Bob:5");
    }
    EXPECT_TRUE(sentExactly(arena.take(), {}));
    EXPECT_FALSE(arena.fileExists("gold.dat"));
    EXPECT_FALSE(arena.fileExists("inv.dat"));

    arena.command(mod, "ioff");
    arena.command(mod, "ion");
    arena.command(mod, "ion");
    arena.command(player, "ioff");
    arena.command(player, "givegold", "Pat:500");
    arena.command(mod, "ioff");
    arena.command(mod, "ioff");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(mod, "Store/Inventory functions already deactivated."),
                             privateLine(mod, "Store/Inventory functions enabled."),
                             privateLine(mod, "Store/Inventory functions already activated."),
                             privateLine(mod, "Store/Inventory functions disabled."),
                             privateLine(mod, "Store/Inventory functions already deactivated.")}));
    EXPECT_EQ(goldOf(arena, "Pat"), 0u);
}

} // namespace
} // namespace quorvel::testing
