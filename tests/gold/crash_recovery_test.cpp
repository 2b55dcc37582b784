// The host dies without Terminate: a child process plays a session and
// exits on the spot; a new spawn started in the same folder must find every
// balance and item count as the child left them.
#include "gold/file_economy.h"
#include "gold/gold_journal.h"
#include "support/faulty_file_system.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvel::testing {
namespace {

// Every account and record, in order, as text.
std::string snapshot(TestArena& arena) {
    std::ostringstream out;
    for (const GoldAccount& account : arena.gold().accounts()) {
        out << "gold " << account.name << " " << account.amount << "\n";
    }
    for (const InventoryRecord& record : arena.inventory().records()) {
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
        std::ofstream(folder.path + "/expected.txt") << snapshot(arena);
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
    EXPECT_EQ(snapshot(restarted), expected);
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
        arena.journal().pause(true);
        EXPECT_TRUE(arena.economy().saveInventory().ok());
        EXPECT_TRUE(arena.economy().saveGold().ok());
        arena.journal().pause(false);
    });
    TestArena restarted(folder.path, 7);
    restarted.handshake();
    EXPECT_EQ(snapshot(restarted), expected);
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
    EXPECT_EQ(snapshot(restarted), expected);
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
    EXPECT_EQ(snapshot(restarted), expected);
}

TEST(CrashRecovery, SeveralBotsInterleavingComeBackWholeAndNothingTwice) {
    Folder folder;
    const std::string expected = dieAfter(folder, [&folder](TestArena& one) {
        TestArena two(folder.path, 7, 2);
        two.handshake();
        playAnEvening(one);
        EXPECT_TRUE(one.economy().saveGold().ok()); // covers bot 1's evening only
        // The same names in another arena, later: the same kills a moment
        // apart would be one event that both bots of an arena saw.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        playAnEvening(two);
        PlayerRecord& bob = one.addPlayer({.name = "Bob", .team = 1, .ship = 1});
        PlayerRecord& again = two.addPlayer({.name = "Bob", .team = 1, .ship = 1});
        one.command(bob, "lendgold", "Dan:" + std::to_string(one.economy().balance("Bob")));
        two.command(again, "lendgold", "Dan:1"); // nothing left to lend
        EXPECT_TRUE(two.economy().saveInventory().ok());
        two.command(again, "buy", "inv guns"); // nothing left to pay with
    });
    // Both evenings, each counted once.
    ASSERT_NE(expected.find("gold Carol 80"), std::string::npos) << expected;
    ASSERT_NE(expected.find("gold Al 34"), std::string::npos) << expected;
    ASSERT_NE(expected.find("gold Bob 0"), std::string::npos) << expected;
    TestArena restarted(folder.path, 7);
    restarted.handshake();
    EXPECT_EQ(snapshot(restarted), expected);
}

#ifndef __SANITIZE_ADDRESS__
// Starts a bot in a child whose address space may grow by `headroom` bytes
// at most; `check` says what is wrong with the started bot, or nothing.
template <typename Check>
void startUnderMemoryLimit(const Folder& folder, std::size_t headroom, Check check) {
    pid_t child = ::fork();
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const auto used = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
        const rlimit limit{used + headroom, used + headroom};
        ::setrlimit(RLIMIT_AS, &limit);
        TestArena arena(folder.path, 7);
        arena.handshake();
        const std::string wrong = check(arena);
        if (!wrong.empty()) {
            std::fprintf(stderr, "%s\n", wrong.c_str());
        }
        std::_Exit(wrong.empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

std::string startedWhole(TestArena& arena) {
    const BotSpawn& spawn = arena.spawn();
    if (!spawn.accepted || spawn.gold.autosaveCountdown != 3 || spawn.zombieGame.humanTeam != 5) {
        return "the start-up was left half done";
    }
    return {};
}

TEST(CrashRecovery, AJournalLargerThanTheMemoryLeftIsReadInPieces) {
    constexpr std::size_t lines = 1000000; // about 45 MB
    constexpr std::size_t headroom = 32 * 1024 * 1024;
    Folder folder;
    std::ofstream(folder.path + "/quorvel.ini") << "[Settings]\nInventory=1\nAutoSave=3\n";
    std::ofstream(folder.path + "/Ghoulset.ini") << "5 1\n1 4\n0 0 0 0\n";
    {
        std::ofstream journal(folder.path + "/gold.log", std::ios::binary);
        for (std::size_t i = 1; i <= lines; ++i) {
            journal << "2026-12-08T05:57:12Z\tkill\tBob\tBob\tgold\t+2\t" << 1000 + 2 * i
                    << "\t1\n";
        }
    }
    startUnderMemoryLimit(folder, headroom, [](TestArena& arena) -> std::string {
        const auto texts = arena.takeTexts();
        if (std::find(texts.begin(), texts.end(), "Recovered 1000000 changes from gold.log.") ==
                texts.end() ||
            arena.economy().balance("Bob") != 1000 + 2 * lines) {
            return "the journal was not replayed whole";
        }
        return startedWhole(arena);
    });

    // Recovery that runs out of memory all the same (a million accounts to
    // bring back) is reported, holds the saves back, and the rest of the
    // start-up is done.
    {
        std::ofstream journal(folder.path + "/gold.log", std::ios::binary);
        for (std::size_t i = 0; i < lines; ++i) {
            journal << "2026-12-08T05:57:12Z\tkill\tP" << i << "\tP" << i << "\tgold\t+2\t2\t1\n";
        }
    }
    startUnderMemoryLimit(folder, headroom / 4, [](TestArena& arena) -> std::string {
        const auto texts = arena.takeTexts();
        const bool reported = std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
            return t.rfind("gold.log could not be replayed (", 0) == 0;
        });
        if (!reported || arena.economy().saveGold().ok()) {
            return "the failed recovery was not reported, or saves were not held back";
        }
        return startedWhole(arena);
    });
    EXPECT_EQ(std::filesystem::file_size(folder.path + "/gold.dat"), 24u); // untouched
}
#endif

} // namespace
} // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// The host dies while one command's changes reach gold.log: the disk holds
// the journal's bytes up to the start of the line named by `cutBefore`, as a
// write the machine went down in the middle of. The command is then either
// wholly there or wholly absent at the next start: a loan is never half made,
// a purchase never keeps the item without the price.
TEST(CrashRecovery, ADeathInsideOneCommandKeepsNoneOfIt) {
    struct Case {
        const char* command;
        const char* text;
        const char* cutBefore; // the second change of the command
    };
    for (const Case& c : {Case{"lendgold", "Al:400", "\tloan\tBob\tBob\tgold\t-400\t"},
                          Case{"buy", "inv guns", "\tpurchase guns\tBob\tBob\tgold\t-"}}) {
        SCOPED_TRACE(c.command);
        Folder folder;
        pid_t child = ::fork();
        if (child == 0) {
            FaultyFileSystem files;
            TestArena arena(folder.path, 7);
            arena.usePlatform(files);
            arena.handshake();
            PlayerRecord& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
            arena.enter(bob);
            files.writesCheckedBy([&](FaultyFileSystem::Write kind, const std::string& path,
                                      std::string_view bytes) {
                const std::size_t cut = bytes.find(c.cutBefore);
                if (kind == FaultyFileSystem::Write::append && path == GoldJournal::fileName &&
                    cut != std::string_view::npos) {
                    const std::size_t lineStart = bytes.rfind('\n', cut);
                    std::ofstream(folder.path + "/" + path, std::ios::app | std::ios::binary)
                        << bytes.substr(0, lineStart == std::string_view::npos ? 0 : lineStart + 1);
                    std::_Exit(0);
                }
                return false;
            });
            arena.command(bob, c.command, c.text);
            std::_Exit(3); // the command never reached its second change
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);

        TestArena restarted(folder.path, 7);
        restarted.handshake();
        EXPECT_EQ(restarted.gold().balance("Bob") + restarted.gold().balance("Al"), 1000u);
        EXPECT_EQ(restarted.gold().balance("Bob"), 1000u);
        const InventoryRecord* record = restarted.inventory().find("Bob");
        EXPECT_TRUE(record == nullptr || record->counts[0] == 0);
    }
}

} // namespace
} // namespace quorvel::testing
