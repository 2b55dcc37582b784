// gold.dat and inv.dat that exist but cannot be read (here: a folder in the
// file's place, which opens but gives an error on reading) are never taken
// for empty files: nothing a later save writes may replace them.
#include "economy_arena.h"
#include "gold_records.h"

#include <filesystem>

namespace quorvel::testing {
namespace {

constexpr std::uint32_t sopLevel = 4;

bool startsAndEnds(const std::string& text, std::string_view start, std::string_view end) {
    return text.size() >= start.size() + end.size() && text.starts_with(start) &&
           text.ends_with(end);
}

TEST(UnreadableFiles, AnUnreadableGoldDatIsNeverSavedOverAndStaffHearWhy) {
    TestArena arena;
    std::filesystem::create_directory(arena.directory() + "/gold.dat");
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n");
    arena.handshake();
    std::vector<std::string> start = arena.takeTexts();
    ASSERT_EQ(start.size(), 2u);
    EXPECT_TRUE(startsAndEnds(start[1], "Could not read gold.dat: ",
                              ". Its accounts are not loaded, and gold.dat is not saved until it "
                              "can be read."))
        << start[1];

    auto& sop = arena.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    arena.gold().credit("Bob", 50);
    arena.command(sop, "goldsave");
    std::vector<std::string> refused = arena.takeTexts();
    ASSERT_EQ(refused.size(), 2u); // the console, then the staff member
    EXPECT_TRUE(startsAndEnds(refused[0], "Could not save gold.dat: it could not be read when",
                              ". The previous gold.dat is unchanged."))
        << refused[0];
    EXPECT_TRUE(startsAndEnds(refused[1], "Gold accounts could not be saved: it could not be read",
                              ". The previous backup is unchanged."))
        << refused[1];

    // Reloading what cannot be read leaves the accounts in play alone.
    arena.command(sop, "goldload");
    std::vector<std::string> notLoaded = arena.takeTexts();
    ASSERT_EQ(notLoaded.size(), 2u); // the console, then the staff member
    EXPECT_TRUE(startsAndEnds(notLoaded[0], "Could not read gold.dat: ",
                              ". Its accounts are not loaded, and gold.dat is not saved until it "
                              "can be read."))
        << notLoaded[0];
    EXPECT_TRUE(startsAndEnds(notLoaded.back(), "Gold accounts could not be loaded: ",
                              ". The accounts in play are unchanged."))
        << notLoaded.back();
    EXPECT_EQ(goldOf(arena, "Bob"), 50u);

    // Terminate does not save over it either: the folder is still there.
    arena.terminate();
    EXPECT_TRUE(std::filesystem::is_directory(arena.directory() + "/gold.dat"));

    // Once the file can be read, a reload takes it and saves work again.
    TestArena second(arena.directory(), 7);
    std::filesystem::remove(arena.directory() + "/gold.dat");
    second.writeFile("gold.dat", std::string("\x07\0\0\0Ann", 7) + std::string(17, '\0'));
    second.handshake();
    second.take();
    auto& sop2 = second.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    second.command(sop2, "goldsave");
    EXPECT_EQ(second.takeTexts(),
              (std::vector<std::string>{"Gold accounts saved for backup purposes."}));
    EXPECT_EQ(goldOf(second, "Ann"), 7u);
}

TEST(UnreadableFiles, GoldloadAfterTheFileWasFixedReleasesTheSaves) {
    TestArena arena;
    std::filesystem::create_directory(arena.directory() + "/gold.dat");
    openStore(arena);
    auto& sop = arena.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    std::filesystem::remove(arena.directory() + "/gold.dat");
    arena.writeFile("gold.dat", std::string("\x09\0\0\0Cy", 6) + std::string(18, '\0'));
    arena.command(sop, "goldload");
    arena.command(sop, "goldsave");
    EXPECT_EQ(arena.takeTexts(),
              (std::vector<std::string>{
                  "The gold accounts were reloaded from gold.dat by Sop through bot 1.",
                  "Gold accounts loaded from saved backup.",
                  "Gold accounts saved for backup purposes."}));
    EXPECT_EQ(goldOf(arena, "Cy"), 9u);
}

TEST(UnreadableFiles, AnUnreadableInvDatIsNeverSavedOver) {
    TestArena arena;
    std::filesystem::create_directory(arena.directory() + "/inv.dat");
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n");
    arena.handshake();
    std::vector<std::string> start = arena.takeTexts();
    ASSERT_EQ(start.size(), 2u);
    EXPECT_TRUE(startsAndEnds(start[1], "Could not read inv.dat: ",
                              ". Its records are not loaded, and inv.dat is not saved until it can "
                              "be read."))
        << start[1];

    auto& sop = arena.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    arena.command(sop, "invsave");
    std::vector<std::string> refused = arena.takeTexts();
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(startsAndEnds(refused[1], "Inventory Database could not be saved: ",
                              ". The previous backup is unchanged."))
        << refused[1];
    arena.command(sop, "invload");
    std::vector<std::string> notLoaded = arena.takeTexts();
    ASSERT_FALSE(notLoaded.empty());
    EXPECT_TRUE(startsAndEnds(notLoaded.back(), "Inventory Database could not be loaded: ",
                              ". The records in play are unchanged."))
        << notLoaded.back();
    arena.terminate();
    EXPECT_TRUE(std::filesystem::is_directory(arena.directory() + "/inv.dat"));
}

TEST(UnreadableFiles, AnUnreadableJournalIsReportedAndNothingIsMarkedSavedOverIt) {
    TestArena arena;
    std::filesystem::create_directory(arena.directory() + "/gold.log");
    arena.writeFile("gold.dat", std::string("\x09\0\0\0Cy", 6) + std::string(18, '\0'));
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n");
    arena.handshake();
    std::vector<std::string> start = arena.takeTexts();
    ASSERT_EQ(start.size(), 2u);
    EXPECT_TRUE(startsAndEnds(start[1], "gold.log could not be read (",
                              "). The changes it holds are not recovered, and gold.log, gold.dat "
                              "and inv.dat are not written until it can be read: make it readable "
                              "and restart the bot."))
        << start[1];

    auto& sop = arena.addPlayer({.name = "Sop", .accessLevel = sopLevel});
    arena.command(sop, "givegold", "Cy:1");
    arena.command(sop, "goldsave");
    std::vector<std::string> refused = arena.takeTexts();
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_TRUE(startsAndEnds(refused[2],
                              "Gold accounts could not be saved: gold.log could not be "
                              "read (",
                              "), and a save would mark the changes it holds as saved. The "
                              "previous backup is unchanged."))
        << refused[2];
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat")->size(), 24u);
    EXPECT_EQ(arena.readFile("gold.dat")->front(), '\x09');
    EXPECT_TRUE(std::filesystem::is_directory(arena.directory() + "/gold.log"));
}

} // namespace
} // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// What a bot did while gold.dat and inv.dat could not be read is kept as
// changes, never as values counted from nothing: once the files can be read
// again, the next start adds those changes to what the files hold.
TEST(UnreadableFiles, ChangesMadeWhileTheFilesWereUnreadableAddToThemLater) {
    TestArena arena;
    const std::string folder = arena.directory();
    const std::string inventory = std::string("Bob") + std::string(17, '\0') +
                                  std::string("\x03\0\0\0", 4) + std::string(28, '\0');
    arena.writeFile("gold.dat", goldRecord(402, "Bob") + goldRecord(510, "Al"));
    arena.writeFile("inv.dat", inventory);
    std::filesystem::rename(folder + "/gold.dat", folder + "/gold.dat.aside");
    std::filesystem::rename(folder + "/inv.dat", folder + "/inv.dat.aside");
    std::filesystem::create_directory(folder + "/gold.dat");
    std::filesystem::create_directory(folder + "/inv.dat");
    openStore(arena, "[Gold]\nKill=2\n");
    auto& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    auto& al = arena.addPlayer({.name = "Al", .team = 2, .ship = 2});
    arena.enter(bob);
    arena.enter(al);
    arena.kill(al, bob);
    arena.kill(bob, al);
    EXPECT_EQ(goldOf(arena, "Bob"), 2u); // in play: the accounts were never loaded
    arena.terminate();

    std::filesystem::remove(folder + "/gold.dat");
    std::filesystem::remove(folder + "/inv.dat");
    std::filesystem::rename(folder + "/gold.dat.aside", folder + "/gold.dat");
    std::filesystem::rename(folder + "/inv.dat.aside", folder + "/inv.dat");
    TestArena again(folder, 7);
    again.handshake();
    EXPECT_EQ(goldOf(again, "Bob"), 404u);
    EXPECT_EQ(goldOf(again, "Al"), 512u);
    ASSERT_NE(again.inventory().find("Bob"), nullptr);
    EXPECT_EQ(again.inventory().find("Bob")->counts[0], 3);
    again.terminate();

    // And once more: the changes were applied exactly once.
    TestArena third(folder, 7);
    third.handshake();
    EXPECT_EQ(goldOf(third, "Bob"), 404u);
    EXPECT_EQ(goldOf(third, "Al"), 512u);
}

} // namespace
} // namespace quorvel::testing
