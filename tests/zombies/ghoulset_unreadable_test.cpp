// A Ghoulset.ini that exists but cannot be read (a folder in its place)
// gives the default settings for play but is never saved over.
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvel::testing {
namespace {

TEST(GhoulsetFile, AnUnreadableFileIsReportedAndNeverSavedOver) {
    TestArena arena;
    std::filesystem::create_directory(arena.directory() + "/Ghoulset.ini");
    arena.handshake();
    const std::vector<std::string> start = arena.takeTexts();
    ASSERT_EQ(start.size(), 2u);
    EXPECT_TRUE(start[1].starts_with("Could not read Ghoulset.ini: ")) << start[1];
    EXPECT_TRUE(start[1].ends_with(". The zombies game plays with the default settings, and "
                                   "Ghoulset.ini is not saved until it can be read."))
        << start[1];
    EXPECT_EQ(arena.spawn().zombieGame.zombieShip, 3);

    PlayerRecord& staff = arena.addPlayer({.name = "Warden", .ship = 8, .accessLevel = 2});
    arena.command(staff, "zsave");
    const std::vector<std::string> refused = arena.takeTexts();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_TRUE(refused[0].starts_with("Zombies game settings could not be saved to file: it could "
                                       "not be read"))
        << refused[0];
    arena.terminate();
    const std::vector<std::string> end = arena.takeTexts();
    ASSERT_FALSE(end.empty());
    EXPECT_TRUE(end[0].starts_with("Ghoulset.ini could not be saved: ")) << end[0];
    EXPECT_TRUE(std::filesystem::is_directory(arena.directory() + "/Ghoulset.ini"));

    // Once it can be read, !zload takes it and !zsave works again.
    TestArena second(arena.directory(), 7);
    std::filesystem::remove(arena.directory() + "/Ghoulset.ini");
    second.handshake();
    second.take();
    PlayerRecord& warden = second.addPlayer({.name = "Warden", .ship = 8, .accessLevel = 2});
    second.writeFile("Ghoulset.ini", "2 3\n4 5\n0 0 0 0");
    second.command(warden, "zload");
    second.command(warden, "zsave");
    const std::vector<std::string> replies = second.takeTexts();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1], "Zombies game settings have been saved to file.");
    EXPECT_EQ(second.spawn().zombieGame.zombieShip, 5);
}

} // namespace
} // namespace quorvel::testing
