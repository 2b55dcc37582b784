#include "support/faulty_file_system.h"
#include "zombie_table.h"

#include "base/platform/machine.h"
#include "base/platform/platform.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

std::string lines(const std::string& a, const std::string& b, const std::string& c) {
    const std::string end(platform::textLineEnd());
    return a + end + b + end + c;
}

TEST(ZombieCommands, ShipCommandsCheckInOrder) {
    // Both ships 3 in the file: the "same as" check comes before "already".
    ZombieTable table(7, "0 3 1 3");
    EXPECT_EQ(table.repliesTo("zship", "3"),
              Texts{"Zombie Ship can not be the same as Human Ship."});
    EXPECT_EQ(table.repliesTo("hship", "3"),
              Texts{"Human Ship can not be the same as Zombie Ship."});

    table.arena.writeFile("Ghoulset.ini", "0 1 1 3");
    EXPECT_EQ(table.repliesTo("zload"), Texts{"Zombies game settings have ben reloaded into bot."});
    for (const char* bad : {"", "x", "2a", " 2", "+2", "-"}) {
        EXPECT_EQ(table.repliesTo("zship", bad), Texts{"Invalid syntax"}) << bad;
        EXPECT_EQ(table.repliesTo("hship", bad), Texts{"Invalid syntax"}) << bad;
    }
    // 4294967298 would wrap to 2 on 32 bits; it is out of range instead.
    for (const char* wild : {"0", "9", "-1", "4294967298", "4294967297", "99999999999999999999"}) {
        EXPECT_EQ(table.repliesTo("zship", wild),
                  Texts{"Invalid ship number, valid numbers are 1 - 8"})
            << wild;
        EXPECT_EQ(table.repliesTo("hship", wild),
                  Texts{"Invalid ship number, valid numbers are 1 - 8"})
            << wild;
    }
    EXPECT_EQ(table.repliesTo("zship", "1"),
              Texts{"Zombie Ship can not be the same as Human Ship."});
    EXPECT_EQ(table.repliesTo("zship", "3"), Texts{"Zombie Ship already set to that ship number."});
    EXPECT_EQ(table.repliesTo("zship", "2"),
              Texts{"Zombie Ship set to ship number 2 making the Zombie Ship the Javelin."});
    EXPECT_EQ(table.repliesTo("hship", "2"),
              Texts{"Human Ship can not be the same as Zombie Ship."});
    EXPECT_EQ(table.repliesTo("hship", "1"), Texts{"Human Ship already set to that ship number."});
    EXPECT_EQ(table.repliesTo("hship", "8"),
              Texts{"Human Ship set to ship number 8 making the Human Ship the Shark."});
    EXPECT_EQ(table.repliesTo("zship", "-0004"),
              Texts{"Invalid ship number, valid numbers are 1 - 8"});
    EXPECT_EQ(table.repliesTo("zship", "04"),
              Texts{"Zombie Ship set to ship number 4 making the Zombie Ship the Leviathan."});

    // While the game is on nothing else is looked at.
    table.staffSays("zon");
    EXPECT_EQ(table.repliesTo("zship", "x"),
              Texts{"Sorry but I cannot allow you to change Zombie Ship since Zombies functions "
                    "have been started."});
    EXPECT_EQ(table.repliesTo("hship", ""),
              Texts{"Sorry but I cannot allow you to change Human Ship since Zombies functions "
                    "have been started."});

    // A player below Mod gets no answer at all.
    PlayerRecord& plain = table.arena.addPlayer({.name = "Plain", .ship = spectator});
    table.arena.take();
    table.arena.command(plain, "zship", "2");
    table.arena.command(plain, "zoff");
    EXPECT_TRUE(table.arena.take().empty());
}

TEST(ZombieCommands, TeamCommandsCheckInOrder) {
    ZombieTable table(7, "4 1 4 3");
    EXPECT_EQ(table.repliesTo("zteam", "4"),
              Texts{"Zombie Team can not be the same as Human Team."});
    EXPECT_EQ(table.repliesTo("hteam", "4"),
              Texts{"Human Team can not be the same as Zombie Team."});

    table.arena.writeFile("Ghoulset.ini", "0 1 1 3");
    table.staffSays("zload");
    for (const char* bad : {"", "freq", "1-2", "5 "}) {
        EXPECT_EQ(table.repliesTo("zteam", bad), Texts{"Invalid syntax"}) << bad;
        EXPECT_EQ(table.repliesTo("hteam", bad), Texts{"Invalid syntax"}) << bad;
    }
    // 4294967296 would wrap to 0, the human freq.
    for (const char* wild : {"-1", "10000", "4294967296", "4294967297", "-4294967295"}) {
        EXPECT_EQ(table.repliesTo("zteam", wild),
                  Texts{"Invalid freq number, valid numbers are 0 - 9999"})
            << wild;
        EXPECT_EQ(table.repliesTo("hteam", wild),
                  Texts{"Invalid freq number, valid numbers are 0 - 9999"})
            << wild;
    }
    EXPECT_EQ(table.repliesTo("zteam", "0"),
              Texts{"Zombie Team can not be the same as Human Team."});
    EXPECT_EQ(table.repliesTo("zteam", "1"), Texts{"Zombie Team already set to that freq number."});
    EXPECT_EQ(table.repliesTo("hteam", "0"), Texts{"Human Team already set to that freq number."});
    EXPECT_EQ(table.repliesTo("hteam", "1"),
              Texts{"Human Team can not be the same as Zombie Team."});
    EXPECT_EQ(table.repliesTo("zteam", "9999"), Texts{"Zombie Team set to freq 9999."});
    EXPECT_EQ(table.repliesTo("hteam", "5"), Texts{"Human Team set to freq number 5."});

    table.staffSays("zon");
    EXPECT_EQ(table.repliesTo("zteam", "7"),
              Texts{"Sorry but Zombie Team cannot be changed do to the fact that the Zombies "
                    "functions are running."});
    EXPECT_EQ(table.repliesTo("hteam", "7"),
              Texts{"Sorry but Human Team cannot be changed do to the fact that the Zombies "
                    "functions are running."});
    // "!zon" read the file again: the unsaved freqs are gone.
    PlayerRecord& late = table.arena.addPlayer({.name = "Late", .ship = warbird});
    table.arena.take();
    table.arena.enter(late);
    EXPECT_EQ(table.arena.take(), (std::vector<Sent>{privateLine(late, "*setship 1"),
                                                     privateLine(late, "*setfreq 0")}));
}

TEST(GhoulsetFile, SanctuaryFollowsTheRectangleAtEveryLoad) {
    struct Case {
        const char* file;
        bool sanctuary;
    };
    const Case cases[] = {
        {"0 1 1 3 10 10 20 20", true},         {"0 1 1 3 10 10 0 20", false},
        {"0 1 1 3 10 10 20 1025", false},      {"0 1 1 3 10 10 1024 1024", true},
        {"0 1 1 3 10 10 -5 20", true},   // compared as signed numbers
        {"0 1 1 3 900 900 20 20", true}, // the minimum corner takes no part
        {"0\t1\r\n1 3\n\n 10 10 20 20", true},
    };
    for (const Case& c : cases) {
        ZombieTable table(7, c.file);
        EXPECT_EQ(table.arena.spawn().zombieGame.sanctuaryOn, c.sanctuary) << c.file;
    }
    // "!zload" derives it again, from a file that lost its rectangle.
    ZombieTable table(7, "0 1 1 3 10 10 20 20");
    table.arena.writeFile("Ghoulset.ini", "0 1 1 3 10 10 0 0");
    table.staffSays("zload");
    EXPECT_FALSE(table.arena.spawn().zombieGame.sanctuaryOn);
}

TEST(GhoulsetFile, SavedLayoutAndWhatLoadsBack) {
    // No file: the defaults, and none is created by reading.
    ZombieTable table;
    EXPECT_FALSE(table.arena.fileExists("Ghoulset.ini"));
    EXPECT_EQ(table.repliesTo("zsave"), Texts{"Zombies game settings have been saved to file."});
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), lines("0 1", "1 3", "0 0 0 0"));

    table.arena.writeFile("Ghoulset.ini", "-5 2 12 7 -1 -2 30 40\n");
    table.staffSays("zload");
    table.staffSays("zsave");
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), lines("-5 2", "12 7", "-1 -2 30 40"));

    // A short or damaged file keeps the fields it lacks.
    table.arena.writeFile("Ghoulset.ini", "6 4 x 9");
    table.staffSays("zload");
    table.staffSays("zsave");
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), lines("6 4", "12 7", "-1 -2 30 40"));
    table.arena.writeFile("Ghoulset.ini", "");
    table.staffSays("zload");
    table.staffSays("zsave");
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), lines("6 4", "12 7", "-1 -2 30 40"));

    // A number past 32 bits is held at the end of the range, not wrapped.
    table.arena.writeFile("Ghoulset.ini", "99999999999 -99999999999 1 3");
    table.staffSays("zload");
    table.staffSays("zsave");
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"),
              lines("2147483647 -2147483648", "1 3", "-1 -2 30 40"));

    // A missing file brings the defaults back, zombie ship 3 included.
    std::remove("Ghoulset.ini");
    table.staffSays("zload");
    table.arena.terminate();
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), lines("0 1", "1 3", "0 0 0 0"));

    // What a short file lacks at the first load is what a missing file gives.
    ZombieTable shortFile(7, "2 5");
    shortFile.arena.terminate();
    EXPECT_EQ(shortFile.arena.readFile("Ghoulset.ini"), lines("2 5", "1 3", "0 0 0 0"));
}

TEST(GhoulsetFile, FailedSaveKeepsTheOldFileAndSaysWhy) {
    FaultyFileSystem disk;
    ZombieTable table(7, "3 2 4 5 10 10 20 20");
    table.arena.usePlatform(disk);
    table.staffSays("zship", "6");
    const std::string before = *table.arena.readFile("Ghoulset.ini");

    disk.fillDisk();
    EXPECT_EQ(table.repliesTo("zsave"),
              Texts{"Zombies game settings could not be saved to file: " +
                    FaultyFileSystem::noRoomIn(platform::temporaryNameFor("Ghoulset.ini"))});
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), before);

    // The save at Terminate echoes the failure.
    table.arena.terminate();
    disk.makeRoom();
    bool echoed = false;
    for (const Sent& sent : table.arena.take()) {
        if (sent.code == Echo && sent.text.rfind("Ghoulset.ini could not be saved: ", 0) == 0) {
            echoed = true;
        }
    }
    EXPECT_TRUE(echoed);
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), before);

    // The next save goes through and holds the change.
    EXPECT_EQ(table.repliesTo("zsave"), Texts{"Zombies game settings have been saved to file."});
    EXPECT_EQ(table.arena.readFile("Ghoulset.ini"), lines("3 2", "4 6", "10 10 20 20"));
}

TEST(ZombieCommands, SwitchingReloadingAndStatus) {
    ZombieTable table(7, "0 1 1 3");
    PlayerRecord& plain = table.arena.addPlayer({.name = "Plain", .ship = spectator});
    table.arena.take();
    table.arena.command(plain, "zstatus");
    EXPECT_EQ(table.arena.take(),
              std::vector<Sent>{privateLine(plain, "Zombie game functions not enabled at the "
                                                   "moment, please ask a staff member to start "
                                                   "the game.")});
    EXPECT_EQ(table.repliesTo("zoff"), Texts{"Zombies game functions are already disabled."});

    table.arena.take();
    table.staffSays("zon");
    EXPECT_EQ(table.arena.take(),
              (std::vector<Sent>{
                  publicLine("*specall"),
                  privateLine(*table.staff,
                              "Zombies game functions are now enabled. All players speced to "
                              "ensure the functionality of bot.  Please enter game at anytime "
                              "before Zombies game starts."),
              }));
    EXPECT_EQ(table.repliesTo("zon"), Texts{"Zombies game functions are already enabled."});
    EXPECT_EQ(table.repliesTo("zload"),
              Texts{"Sorry but Zombies game settings cannot be reloaded do to the fact that the "
                    "Zombies functions are running."});
    // "!zsave" works while the game is on.
    EXPECT_EQ(table.repliesTo("zsave"), Texts{"Zombies game settings have been saved to file."});

    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has not started yet due to not enough players being in the game "
                    "(min=3)."});
    PlayerRecord& ann = table.human("Ann");
    PlayerRecord& ben = table.human("Ben");
    PlayerRecord& cy = table.human("Cy");
    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has not started yet, new game will start in 60 seconds."});
    table.arena.tick(10);
    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has not started yet, new game will start in 50 seconds."});

    // Off during the countdown: no "*lock".
    EXPECT_EQ(table.repliesTo("zoff"), Texts{"Zombies game functions are now disabled."});
    table.arena.tick(60);
    EXPECT_TRUE(table.arena.take().empty());

    // On again: the countdown starts over from 0 on the first full tick.
    table.staffSays("zon");
    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has not started yet, new game will start in 60 seconds."});
    table.arena.tick(60);
    EXPECT_FALSE(table.arena.take().empty());
    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has started and there are 3 humans left for the zombies to kill."});
    table.zoneMoves(*table.drawnFrom({&ann, &ben, &cy}), 1, spider);
    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has started and there are 2 humans left for the zombies to kill."});

    // Off during a round: one "*lock"; off and on and off again: no second.
    table.arena.take();
    table.staffSays("zoff");
    EXPECT_EQ(
        table.arena.take(),
        (std::vector<Sent>{publicLine("*lock"),
                           privateLine(*table.staff, "Zombies game functions are now disabled.")}));
    table.staffSays("zon");
    EXPECT_EQ(table.repliesTo("zstatus"),
              Texts{"Game has not started yet, new game will start in 60 seconds."});
    table.arena.take();
    table.staffSays("zoff");
    EXPECT_EQ(table.arena.take(), std::vector<Sent>{privateLine(
                                      *table.staff, "Zombies game functions are now disabled.")});
}

} // namespace
} // namespace quorvel::testing
