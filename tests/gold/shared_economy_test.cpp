// Several bots of one host in one folder: one set of accounts and records,
// whichever bot a change or a save comes through.
#include "economy_arena.h"

#include "base/platform/machine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include <sys/wait.h>
#include <unistd.h>

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

// A second host's lock: a forked process takes the lock on `path` and holds
// it until release() or the end of the test, as a second host process would.
class LockInAnotherProcess {
public:
    explicit LockInAnotherProcess(const std::string& path) {
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) {
            return;
        }
        child_ = ::fork();
        if (child_ == 0) {
            ::alarm(60); // never outlives a test that forgot it
            ::close(toChild[1]);
            ::close(fromChild[0]);
            platform::FileLock lock;
            const char said = lock.acquire(path).ok() ? 'L' : 'R';
            if (::write(fromChild[1], &said, 1) != 1) {
                std::_Exit(2);
            }
            char ignored = 0;
            // Until the parent lets go (or dies): the lock goes with the process.
            static_cast<void>(::read(toChild[0], &ignored, 1));
            std::_Exit(0);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        release_ = toChild[1];
        if (::read(fromChild[0], &said_, 1) != 1) {
            said_ = 0;
        }
        ::close(fromChild[0]);
    }
    ~LockInAnotherProcess() { release(); }
    LockInAnotherProcess(const LockInAnotherProcess&) = delete;
    LockInAnotherProcess& operator=(const LockInAnotherProcess&) = delete;

    bool locked() const { return said_ == 'L'; }
    pid_t pid() const { return child_; }
    // The process ends, and its lock with it.
    void release() {
        if (child_ > 0) {
            ::close(release_);
            int status = 0;
            ::waitpid(child_, &status, 0);
            child_ = -1;
        }
    }

private:
    pid_t child_ = -1;
    int release_ = -1;
    char said_ = 0;
};

// What the bot told its console of all it sent since the last look (the
// flag game asks for the jackpot on ticks).
std::vector<std::string> consoleTexts(TestArena& arena) {
    std::vector<std::string> texts;
    for (const Sent& sent : arena.take()) {
        if (sent.code == Echo) {
            texts.push_back(sent.text);
        }
    }
    return texts;
}

std::optional<std::string> fileIn(TestArena& arena, const char* name) {
    return arena.readFile(name);
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

    // Both bots see the same kill and the same anti-warp: each is paid or
    // charged once, not once per bot.
    auto& al1 = bots.one.addPlayer({.name = "Al", .team = 2, .ship = 2});
    auto& al2 = bots.two.addPlayer({.name = "Al", .team = 2, .ship = 2});
    bots.one.enter(al1);
    bots.two.enter(al2);
    bots.one.kill(al1, bob1);
    bots.two.kill(al2, bob2);
    EXPECT_EQ(goldOf(bots.one, "Bob"), 2u);
    bots.one.kill(bob1, al1); // a kill the other way is another event
    bots.two.kill(bob2, al2);
    EXPECT_EQ(goldOf(bots.one, "Al"), 2u);
    journal = bots.one.readFile("gold.log").value_or("");
    EXPECT_EQ(occurrences(journal, "\tkill Al\tBob\tBob\tgold\t+2\t"), 1u) << journal;
}

// The machine, but with a millisecond clock the test moves by hand and,
// when given, another name for the working folder.
class StagedPlatform final : public platform::PlatformWrapper {
public:
    StagedPlatform() : PlatformWrapper(platform::realPlatform()) {}
    std::uint32_t tickCount() override { return ticks; }
    std::string utcTimestamp() override { return "2031-01-02T03:04:05Z"; }
    std::string currentDirectory() override {
        return folder ? *folder : target().currentDirectory();
    }

    std::uint32_t ticks = 5000;
    std::optional<std::string> folder;
};

TEST(SharedEconomy, TheEconomyTellsTimeAndItsFolderByTheBotsPlatform) {
    StagedPlatform staged;
    TestArena one;
    one.usePlatform(staged);
    one.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
    one.handshake();
    one.take();
    TestArena two{one.directory(), 7, 2};
    two.usePlatform(staged);
    two.handshake();
    two.take();
    ASSERT_EQ(&one.economy(), &two.economy());
    auto& bob1 = one.addPlayer({.name = "Bob", .ship = 1});
    auto& bob2 = two.addPlayer({.name = "Bob", .ship = 1});
    auto& al1 = one.addPlayer({.name = "Al", .team = 2, .ship = 2});
    auto& al2 = two.addPlayer({.name = "Al", .team = 2, .ship = 2});
    one.enter(bob1);
    two.enter(bob2);
    one.enter(al1);
    two.enter(al2);

    // A kill the other bot saw up to a second ago on the platform's clock is
    // that kill; a moment later it is a kill of its own.
    one.kill(al1, bob1);
    EXPECT_EQ(goldOf(one, "Bob"), 2u);
    staged.ticks += 1000;
    two.kill(al2, bob2);
    EXPECT_EQ(goldOf(one, "Bob"), 2u);
    one.kill(al1, bob1); // bot one's second sight of it: a new kill
    EXPECT_EQ(goldOf(one, "Bob"), 4u);
    staged.ticks += 1001;
    two.kill(al2, bob2);
    EXPECT_EQ(goldOf(one, "Bob"), 6u);
    const std::string journal = one.readFile("gold.log").value_or("");
    // Its lines carry the time of the platform's clock too.
    EXPECT_EQ(occurrences(journal, "2031-01-02T03:04:05Z\tkill Al\tBob\tBob\tgold\t+2\t"), 3u)
        << journal;

    // A bot whose platform names another working folder does not join the
    // economy open here: it opens that folder's own, and the lock the
    // economy here holds on this very folder keeps it out.
    StagedPlatform elsewhere;
    elsewhere.folder = one.directory() + "/elsewhere";
    TestArena three{one.directory(), 7, 3};
    three.usePlatform(elsewhere);
    three.handshake();
    const auto started = three.takeTexts();
    EXPECT_TRUE(told(started, "Another host works in this folder (cannot lock gold.lock"))
        << ::testing::PrintToString(started);
    EXPECT_FALSE(three.spawn().gold.economy);
    EXPECT_FALSE(three.spawn().gold.storeOn);
}

TEST(SharedEconomy, AnotherHostsLockKeepsTheStoreOffUntilTheBotGetsTheLock) {
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
    const auto refused = arena.take();
    ASSERT_EQ(refused.size(), 3u) << describeAll(refused);
    EXPECT_TRUE(told({describe(refused[0])}, "Another host works in this folder (cannot lock"))
        << describe(refused[0]);
    EXPECT_TRUE(sentExactly({refused[1], refused[2]},
                            {privateLine(sop, refusal), privateLine(sop, refusal)}));
    arena.tick(5);
    EXPECT_TRUE(consoleTexts(arena).empty());
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"), goldRecord(100, "Bob"));
    EXPECT_FALSE(arena.fileExists("gold.log"));
    EXPECT_FALSE(arena.fileExists("inv.dat"));

    const std::string gotIt = "This bot has its folder's economy now (gold.lock is this host's): "
                              "gold.dat, inv.dat and gold.log are read and written.";
    // Once the other host has gone: at the next handshake.
    otherHost.release();
    arena.handshake();
    EXPECT_FALSE(told(arena.takeTexts(), "Another host"));
    EXPECT_TRUE(arena.spawn().gold.storeOn);
    EXPECT_EQ(goldOf(arena, "Bob"), 100u);
    arena.terminate();
    arena.take();

    // At !ion.
    ASSERT_TRUE(otherHost.acquire(FileEconomy::lockName).ok());
    arena.handshake();
    EXPECT_TRUE(told(arena.takeTexts(), "Another host works in this folder"));
    otherHost.release();
    arena.command(sop, "ion");
    EXPECT_TRUE(
        sentExactly(arena.take(), {console(gotIt), privateLine(sop, "Store/Inventory "
                                                                    "functions enabled.")}));
    EXPECT_TRUE(arena.spawn().gold.storeOn);
    arena.command(sop, "givegold", "Bob:5");
    arena.terminate();
    arena.take();
    EXPECT_EQ(arena.readFile("gold.dat"), goldRecord(105, "Bob"));

    // After a minute of ticks, with the store on as quorvel.ini asks.
    ASSERT_TRUE(otherHost.acquire(FileEconomy::lockName).ok());
    arena.handshake();
    arena.take();
    otherHost.release();
    arena.tick(59);
    EXPECT_TRUE(consoleTexts(arena).empty());
    EXPECT_FALSE(arena.spawn().gold.storeOn);
    arena.tick();
    EXPECT_EQ(consoleTexts(arena), std::vector<std::string>{gotIt});
    EXPECT_TRUE(arena.spawn().gold.storeOn);
    EXPECT_EQ(goldOf(arena, "Bob"), 105u);
    // It holds the lock now.
    EXPECT_FALSE(otherHost.acquire(FileEconomy::lockName).ok());
}

TEST(SharedEconomy, ALockFileRemovedOrReplacedUnderTheHostStopsItsWritesUntilItLocksAgain) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
    arena.writeFile("gold.dat", goldRecord(1602, "Bob"));
    arena.handshake();
    arena.take();
    auto& mod = arena.addPlayer({.name = "Mod", .accessLevel = modLevel});
    arena.command(mod, "givegold", "Cy:1");
    arena.command(mod, "invsave");
    arena.take();
    const std::string lockPath = arena.directory() + "/" + FileEconomy::lockName;

    // Removed: noticed within a tick. A second host then locks the gold.lock
    // it makes anew.
    ASSERT_TRUE(std::filesystem::remove(lockPath));
    const auto dat = fileIn(arena, "gold.dat");
    const auto log = fileIn(arena, "gold.log");
    const auto inv = fileIn(arena, "inv.dat");
    ASSERT_TRUE(log && inv);
    arena.tick();
    LockInAnotherProcess secondHost(lockPath);
    ASSERT_TRUE(secondHost.locked());
    const auto lost = arena.takeTexts();
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].find("The economy's lock is lost: gold.lock was removed or renamed, so "
                           "another host may work in this folder. This host writes none of "
                           "gold.log, gold.dat and inv.dat until it holds the lock again"),
              0u)
        << lost[0];

    // Play goes on in memory; nothing reaches the files, and saves fail.
    arena.command(mod, "givegold", "Bob:50");
    EXPECT_EQ(goldOf(arena, "Bob"), 1652u);
    // The change waits aside, not in gold.log, where its number could cross
    // the other host's.
    EXPECT_FALSE(told(arena.takeTexts(), "gold.log cannot be written"));
    arena.command(mod, "goldsave");
    arena.command(mod, "invsave");
    const auto saves = arena.takeTexts();
    ASSERT_EQ(saves.size(), 4u);
    EXPECT_EQ(saves[0].find("Could not save gold.dat: this host no longer holds the folder's lock "
                            "(gold.lock was removed or renamed)"),
              0u)
        << saves[0];
    EXPECT_EQ(saves[1].find("Gold accounts could not be saved: this host no longer holds"), 0u)
        << saves[1];
    EXPECT_EQ(saves[2].find("Could not save inv.dat: this host no longer holds"), 0u) << saves[2];
    EXPECT_EQ(saves[3].find("Inventory Database could not be saved: this host no longer holds"), 0u)
        << saves[3];
    arena.tick(3);
    EXPECT_EQ(fileIn(arena, "gold.dat"), dat);
    EXPECT_EQ(fileIn(arena, "gold.log"), log);
    EXPECT_EQ(fileIn(arena, "inv.dat"), inv);

    // !ion while the second host holds it says why the lock is still lost.
    arena.command(mod, "ion");
    const auto stillLost = arena.takeTexts();
    ASSERT_EQ(stillLost.size(), 2u);
    EXPECT_EQ(stillLost[0],
              "The economy's lock is still lost (cannot lock gold.lock: it is held by another "
              "process (process id " +
                  std::to_string(secondHost.pid()) +
                  ")): gold.log, gold.dat and inv.dat stay unwritten.");
    EXPECT_EQ(stillLost[1], "Store/Inventory functions already activated.");

    // The second host goes: at !ion this host locks gold.lock again and writes.
    // The folder is read again as the other host left it, and the gift made
    // meanwhile is applied over it once.
    secondHost.release();
    arena.command(mod, "ion");
    const auto retaken = arena.takeTexts();
    EXPECT_TRUE(told(retaken, "This host holds the economy's lock (gold.lock) again: "
                              "gold.log, gold.dat and inv.dat are written again."));
    EXPECT_TRUE(told(retaken, "The 1 changes made while the lock was lost are applied again"));
    arena.command(mod, "goldsave");
    EXPECT_EQ(arena.takeTexts(),
              std::vector<std::string>{"Gold accounts saved for backup purposes."});
    EXPECT_EQ(fileIn(arena, "gold.dat"), goldRecord(1652, "Bob") + goldRecord(1, "Cy"));
    EXPECT_NE(fileIn(arena, "gold.log").value_or("").find("\tsave\t-\t*\tgold\tsaved\t2\t1\t"),
              std::string::npos);
    platform::FileLock third;
    EXPECT_FALSE(third.acquire(lockPath).ok());

    // Replaced: another file renamed over gold.lock. Noticed within a tick,
    // and the next handshake takes the lock again.
    arena.writeFile("gold.lock.new", "");
    std::filesystem::rename(arena.directory() + "/gold.lock.new", lockPath);
    arena.tick();
    EXPECT_TRUE(told(arena.takeTexts(), "The economy's lock is lost: gold.lock was replaced by "
                                        "another file, so another host may work in this folder."));
    // Nobody holds the file put in its place: a save takes the lock again
    // before it writes.
    arena.command(mod, "goldsave");
    const auto saved = arena.takeTexts();
    EXPECT_TRUE(told(saved, "This host holds the economy's lock (gold.lock) again"));
    EXPECT_TRUE(told(saved, "Gold accounts saved for backup purposes."));
    EXPECT_FALSE(third.acquire(lockPath).ok());
    arena.tick();
    EXPECT_TRUE(consoleTexts(arena).empty());
}

} // namespace
} // namespace quorvel::testing
