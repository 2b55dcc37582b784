// The host dies without Terminate: a child process plays a session and
// exits on the spot; a new spawn started in the same folder must find every
// balance and item count as the child left them.
#include "gold/gold_files.h"
#include "gold/gold_journal.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

// Every account and record, in order, as text.
std::string snapshot(const BotSpawn& spawn) {
    std::ostringstream out;
    for (const GoldAccount& account : spawn.gold.accounts()) {
        out << "gold " << account.name << " " << account.amount << "\n";
    }
    for (const InventoryRecord& record : spawn.inventory.records()) {
        out << "inv " << std::string(record.name, strnlen(record.name, sizeof record.name));
        for (std::int32_t count : record.counts) {
            out << " " << count;
        }
        out << "\n";
    }
    return out.str();
}

struct Folder {
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-crash-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        std::ofstream(path + "/quorvel.ini") << "[Settings]\nInventory=1\nAutoSave=0\n";
        std::string gold(24, '\0');
        gold[0] = static_cast<char>(0xE8); // 1000
        gold[1] = 0x03;
        gold.replace(4, 3, "Bob");
        std::ofstream(path + "/gold.dat", std::ios::binary) << gold;
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
};

// Runs `session` in a child that dies without Terminate; the child leaves
// what it held in memory in expected.txt. Returns that text.
template <typename Session> std::string dieAfter(const Folder& folder, Session session) {
    pid_t child = ::fork();
    if (child == 0) {
        TestArena arena(folder.path, 7);
        arena.handshake();
        session(arena);
        std::ofstream(folder.path + "/expected.txt") << snapshot(arena.spawn());
        std::_Exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    std::ifstream in(folder.path + "/expected.txt");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void playAnEvening(TestArena& arena) {
    PlayerRecord& staff = arena.addPlayer({.name = "Staffer", .team = 0, .accessLevel = 2});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    PlayerRecord& al = arena.addPlayer({.name = "Al", .team = 2, .ship = 2});
    arena.enter(staff);
    arena.enter(bob);
    arena.enter(al);
    arena.kill(al, bob); // award
    arena.kill(bob, al);
    arena.command(bob, "buy", "inv guns"); // purchase into the inventory
    arena.command(bob, "buy", "inv thor");
    arena.command(bob, "inv", "thor");            // inventory use
    arena.command(bob, "buy", "use portal");      // instant purchase
    arena.command(bob, "lendgold", "Al:15");      // loan
    arena.command(staff, "givegold", "Carol:40"); // staff
    arena.command(staff, "takegold", "Bob:3");
    arena.take();
}

TEST(CrashRecovery, EveryChangeSinceTheLastSaveComesBack) {
    Folder folder;
    const std::string expected = dieAfter(folder, playAnEvening);
    ASSERT_NE(expected.find("gold Carol 40"), std::string::npos) << expected;
    ASSERT_NE(expected.find("gold Al 17"), std::string::npos) << expected; // the loan
    ASSERT_NE(expected.find("inv Bob 1 0 0 0 0 0 0 0"), std::string::npos) << expected;

    TestArena restarted(folder.path, 7);
    restarted.handshake();
    EXPECT_EQ(snapshot(restarted.spawn()), expected);
    auto sent = restarted.take();
    bool told = false;
    for (const Sent& line : sent) {
        told = told || (line.code == Echo &&
                        line.text.find(" changes from gold.log.") != std::string::npos);
    }
    EXPECT_TRUE(told);
}

TEST(CrashRecovery, ADeathBetweenASaveAndItsMarkerAppliesNothingTwice) {
    Folder folder;
    const std::string expected = dieAfter(folder, [](TestArena& arena) {
        playAnEvening(arena);
        // The files are replaced, then the host dies before the journal
        // notes the saves.
        arena.spawn().journal.pause(true);
        saveInventoryFile(arena.spawn());
        saveGoldFile(arena.spawn());
        arena.spawn().journal.pause(false);
    });
    TestArena restarted(folder.path, 7);
    restarted.handshake();
    EXPECT_EQ(snapshot(restarted.spawn()), expected);
}

TEST(CrashRecovery, ReloadsAndResetsBeforeTheDeathStayDone) {
    Folder folder;
    const std::string expected = dieAfter(folder, [](TestArena& arena) {
        playAnEvening(arena);
        PlayerRecord& owner = arena.addPlayer({.name = "Owner", .accessLevel = 5});
        arena.command(owner, "goldload"); // discards the evening's gold
        arena.command(owner, "givegold", "Dan:7");
        arena.command(owner, "resetinv");        // empties the inventories
        arena.command(owner, "buy", "inv guns"); // Owner is a spectator: refused
    });
    ASSERT_NE(expected.find("gold Bob 1000"), std::string::npos) << expected;
    ASSERT_EQ(expected.find("inv "), std::string::npos) << expected;
    TestArena restarted(folder.path, 7);
    restarted.handshake();
    EXPECT_EQ(snapshot(restarted.spawn()), expected);
}

TEST(CrashRecovery, AResetGoldBeforeTheDeathStaysDone) {
    Folder folder;
    const std::string expected = dieAfter(folder, [](TestArena& arena) {
        playAnEvening(arena);
        PlayerRecord& owner = arena.addPlayer({.name = "Owner", .accessLevel = 4});
        arena.command(owner, "resetgold");
        arena.command(owner, "givegold", "Eve:9");
    });
    ASSERT_EQ(expected.find("gold Bob"), std::string::npos) << expected;
    ASSERT_NE(expected.find("gold Eve 9"), std::string::npos) << expected;
    TestArena restarted(folder.path, 7);
    restarted.handshake();
    EXPECT_EQ(snapshot(restarted.spawn()), expected);
}

} // namespace
} // namespace quorvel::testing
