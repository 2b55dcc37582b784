// The economy's promise under every fault: no gold and no item is lost or
// made. Seeded sessions of random play run in a child process each ("a
// life"): players enter and leave, kill each other, buy items into the
// inventory and use them, buy services, lend gold, staff give and take gold,
// saves by hand and by AutoSave. Faults strike at random points between or
// during events:
//   crash      the life ends without Terminate (_exit or SIGKILL), between
//              two events or at a write in the middle of one (a save killed
//              half-way leaves its temporary file behind)
//   write      writes to one file fail for a stretch of events: gold.log,
//              gold.dat, inv.dat, gold.state, or every temporary save file
//   unreadable gold.dat or inv.dat is a folder when the bot starts, and is a
//              file again before the next start
//   lock       gold.lock is removed while the bot runs and a second host
//              process takes it, plays and stops, then the first goes on
//   twobots    two bots in one arena, both seeing every player, each
//              answering some of the commands
//   savedline  the journal line that marks a save fails
// QUORVEL_INVARIANT_FAULTS=crash,write,... runs only those kinds (default
// all); QUORVEL_INVARIANT_RUNS=N runs N sessions and prints figures;
// QUORVEL_INVARIANT_SEED=S plays the one session of seed S again.
//
// The expected holdings come from the events alone: what the bot told the
// player (a purchase's reply, "N Gold given to X", "N Gold removed from X's
// account.", a kill's notice) with the prices and awards of quorvel.ini,
// never from reading the store. Each start of a bot shows what the folder
// holds; it must be exactly what the events say, under this rule of what a
// crash may lose:
//   - every change whose record reached gold.log is kept;
//   - a change whose gold.log record failed to be written is kept once a
//     save of gold.dat and one of inv.dat were confirmed after it (the reply
//     to !goldsave and !invsave, or an AutoSave or Terminate that reported
//     no failure), and may be lost at a crash before that;
//   - a change made while the bot's lock was lost (from its console's "lock
//     is lost" to its "holds the economy's lock again") is kept once the
//     lock is back, and lost at a crash before;
//   - the event in flight when the crash struck is either wholly there or
//     wholly absent: a loan is never half made, a purchase never keeps the
//     item without the price. Without its reply, its whole is what the rules
//     give (the price, the award).
// A clean Terminate loses nothing. A start with a file that cannot be read is
// not compared (the bot cannot know what the file holds); the next start is.
#include "support/faulty_file_system.h"
#include "support/test_arena.h"

#include "base/platform/machine.h"
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/store_items.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- settings

constexpr std::int64_t killAward = 3;
constexpr std::int64_t teamKillPenalty = 4;
constexpr int autoSaveSeconds = 5;
constexpr const char* settingsText = "[Settings]\nInventory=1\nAutoSave=5\n"
                                     "[Gold]\nKill=3\nTeamKill=4\n"
                                     "[Store]\nPoints=60\nBounty=40\nScoreReset=20\n"
                                     "MultiFire=15\nSuper=15\nShield=15\nMultiPrize=15\n"
                                     "Thor=10\nPortal=10\nGunUpgrade=30\nBombUpgrade=35\n";
// By item word, in the order of an inventory record's counts.
constexpr std::array<std::int64_t, itemKindCount> itemPrices = {30, 35, 15, 15, 15, 10, 15, 10};
struct Service {
    const char* word;
    std::int64_t price;
    const char* doneText;
};
constexpr std::array<Service, 3> services = {{{"points", 60, "Points Increased by 10,000"},
                                              {"bounty", 40, "Bounty Increased by 6,000"},
                                              {"reset", 20, "Score Reset"}}};

const std::array<const char*, 6> playerNames = {"Arel", "Bodo", "Cyra", "Dax", "Eno", "Fay"};
constexpr const char* staffName = "Warden";
constexpr std::uint32_t staffLevel = 2; // Mod: gives, takes and saves

// ------------------------------------------------------------- fault kinds

enum FaultKind { Crash, Write, Unreadable, Lock, TwoBots, SavedLine, faultKindCount };
constexpr std::array<const char*, faultKindCount> faultKindNames = {
    "crash", "write", "unreadable", "lock", "twobots", "savedline"};
const std::array<const char*, 5> failingFiles = {"gold.log", "gold.dat", "inv.dat", "gold.state",
                                                 "temporary"};

std::set<FaultKind> faultKindsToRun() {
    std::set<FaultKind> kinds;
    const char* filter = std::getenv("QUORVEL_INVARIANT_FAULTS");
    for (int k = 0; k < faultKindCount; ++k) {
        if (filter == nullptr) {
            kinds.insert(static_cast<FaultKind>(k));
            continue;
        }
        std::stringstream words(filter);
        for (std::string word; std::getline(words, word, ',');) {
            if (word == faultKindNames[static_cast<std::size_t>(k)]) {
                kinds.insert(static_cast<FaultKind>(k));
            }
        }
    }
    return kinds;
}

// What one life of a session does, drawn from the session's seed.
struct LifePlan {
    int events = 0;
    // crash
    bool crash = false;
    int crashAtWrite = 0;    // > 0: at that write of the life (if reached)
    int crashAfterEvent = 0; // otherwise after that many events
    bool sigkill = false;
    // write
    std::string failFile;
    int failFrom = 0, failTo = 0; // events [failFrom, failTo) of the life
    // unreadable
    std::string unreadableFile;
    // lock
    int stealLockAt = -1;
    // twobots
    bool twoBots = false;
    // savedline
    bool failSavedLines = false;

    std::string describe() const {
        std::ostringstream out;
        out << events << " events";
        if (!failFile.empty()) {
            out << ", writes to " << failFile << " fail in events " << failFrom << ".."
                << failTo - 1;
        }
        if (!unreadableFile.empty()) {
            out << ", " << unreadableFile << " unreadable at start";
        }
        if (stealLockAt >= 0) {
            out << ", lock stolen after event " << stealLockAt;
        }
        if (twoBots) {
            out << ", two bots in the arena";
        }
        if (failSavedLines) {
            out << ", save lines fail";
        }
        if (crash) {
            out << ", crash (" << (sigkill ? "SIGKILL" : "_exit") << ") ";
            if (crashAtWrite > 0) {
                out << "at write " << crashAtWrite << " or at the end";
            } else {
                out << "after event " << crashAfterEvent;
            }
        } else {
            out << ", Terminate";
        }
        return out.str();
    }
};

LifePlan drawLife(std::mt19937& random, const std::set<FaultKind>& kinds) {
    const auto draw = [&random](int below) {
        return static_cast<int>(random() % static_cast<unsigned>(below));
    };
    LifePlan plan;
    plan.events = 20 + draw(25);
    std::vector<FaultKind> extras;
    for (FaultKind kind : {Write, Unreadable, Lock, TwoBots, SavedLine}) {
        if (kinds.contains(kind)) {
            extras.push_back(kind);
        }
    }
    if (!extras.empty() && draw(10) < 7) {
        switch (extras[static_cast<std::size_t>(draw(static_cast<int>(extras.size())))]) {
        case Write:
            plan.failFile = failingFiles[static_cast<std::size_t>(draw(failingFiles.size()))];
            plan.failFrom = draw(plan.events);
            plan.failTo = plan.failFrom + 1 + draw(6);
            break;
        case Unreadable:
            plan.unreadableFile = draw(2) == 0 ? "gold.dat" : "inv.dat";
            break;
        case Lock:
            plan.stealLockAt = draw(plan.events);
            break;
        case TwoBots:
            plan.twoBots = true;
            break;
        default:
            plan.failSavedLines = true;
            break;
        }
    }
    if (kinds.contains(Crash) && draw(2) == 0) {
        plan.crash = true;
        plan.sigkill = draw(2) == 0;
        if (draw(2) == 0) {
            plan.crashAtWrite = 1 + draw(plan.events * 2);
        } else {
            plan.crashAfterEvent = draw(plan.events + 1);
        }
    }
    return plan;
}

// --------------------------------------------------------------- the child
//
// The child tells the parent what happened through an outcome file, one
// line per write(2) so that a line is whole even when the child dies:
//   H <checked>              a bot started; S lines follow, then h
//   S <name> <gold> <counts> what the started bot holds for a name
//   B <event> <bot> <kind> <args...>   an event handed to a bot
//   R <event> <text>         a line the bot sent a player
//   C <event> <text>         a line the bot sent its console
//   F <event> <file>         a write the test refused during the event
//   D <event>                the event was handled whole
// The second host of a stolen lock writes Q instead of S.

class Outcomes {
public:
    explicit Outcomes(int fd) : fd_(fd) {}
    void line(std::string text) const {
        for (char& c : text) {
            if (c == '\n') {
                c = ' ';
            }
        }
        text += '\n';
        if (::write(fd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            std::_Exit(90);
        }
    }

private:
    int fd_;
};

std::string tabbed(std::initializer_list<std::string> fields) {
    std::string text;
    for (const std::string& field : fields) {
        if (!text.empty()) {
            text += '\t';
        }
        text += field;
    }
    return text;
}

// One player: a record in each arena the player is in.
struct Present {
    std::string name;
    std::uint16_t team = 0;
    std::uint8_t ship = 0;
    std::vector<PlayerRecord*> records; // one per arena
};

class Life {
public:
    Life(const LifePlan& plan, std::mt19937& random, int outcomesFd, std::int64_t firstEvent,
         char stateTag)
        : plan_(plan), random_(random), out_(outcomesFd), nextEvent_(firstEvent),
          stateTag_(stateTag) {}

    FaultyFileSystem& files() { return files_; }

    // The write check of this life: counts writes for a crash in the middle
    // of an event and refuses those the plan says fail.
    void watchWrites() {
        files_.writesCheckedBy([this](FaultyFileSystem::Write kind, const std::string& path,
                                      std::string_view bytes) {
            const std::string file = fs::path(path).filename().string();
            if (plan_.crash && plan_.crashAtWrite > 0 && ++writes_ == plan_.crashAtWrite) {
                if (kind == FaultyFileSystem::Write::replace) {
                    // Dies half-way into the temporary file.
                    std::ofstream(platform::temporaryNameFor(path), std::ios::binary)
                        << bytes.substr(0, bytes.size() / 2);
                }
                crashNow();
            }
            bool refuse = false;
            if (!plan_.failFile.empty() && eventInLife_ >= plan_.failFrom &&
                eventInLife_ < plan_.failTo) {
                refuse = plan_.failFile == "temporary" ? kind == FaultyFileSystem::Write::replace
                                                       : file == plan_.failFile;
            }
            if (plan_.failSavedLines && file == "gold.log" &&
                bytes.find("\tsaved\t") != std::string_view::npos) {
                refuse = true;
            }
            if (refuse) {
                out_.line(tabbed({"F", std::to_string(current_), file}));
            }
            return refuse;
        });
    }

    [[noreturn]] void crashNow() {
        for (TestArena* arena : arenas_) {
            logSent(*arena, arena->pending());
        }
        if (plan_.sigkill) {
            ::raise(SIGKILL);
        }
        std::_Exit(0);
    }

    void start(std::vector<TestArena*> arenas, bool checked) {
        arenas_ = std::move(arenas);
        for (TestArena* arena : arenas_) {
            arena->usePlatform(files_);
            arena->handshake();
            arena->take();
        }
        out_.line(tabbed({"H", checked ? "1" : "0"}));
        logState(*arenas_.front());
        out_.line("h");
        enter(staffName, 0, 8, staffLevel);
    }

    void logState(TestArena& arena) {
        std::map<std::string, std::int64_t> gold;
        std::map<std::string, std::array<std::int64_t, itemKindCount>> items;
        try {
            for (const GoldAccount& account : arena.gold().accounts()) {
                gold.emplace(foldedCopy(fieldText(account.name, sizeof account.name)),
                             account.amount);
            }
            for (const InventoryRecord& record : arena.inventory().records()) {
                std::array<std::int64_t, itemKindCount> counts{};
                for (std::size_t i = 0; i < itemKindCount; ++i) {
                    counts[i] = record.counts[i];
                }
                items.emplace(foldedCopy(fieldText(record.name, sizeof record.name)), counts);
            }
        } catch (const std::exception& error) {
            out_.line(tabbed({"S", "!", error.what()}));
            return;
        }
        std::set<std::string> names;
        for (const auto& [name, amount] : gold) {
            names.insert(name);
        }
        for (const auto& [name, counts] : items) {
            names.insert(name);
        }
        for (const std::string& name : names) {
            std::string text = tabbed({std::string(1, stateTag_), name,
                                       std::to_string(gold.contains(name) ? gold[name] : 0)});
            for (std::int64_t count : items[name]) {
                text += "\t" + std::to_string(count);
            }
            out_.line(text);
        }
    }

    // Plays the life's events; the lock is stolen by calling `steal` with
    // the names not in the arena.
    template <typename Steal> void play(int events, Steal steal) {
        for (eventInLife_ = 0; eventInLife_ < events; ++eventInLife_) {
            if (plan_.crash && plan_.crashAtWrite == 0 && eventInLife_ == plan_.crashAfterEvent) {
                crashNow();
            }
            if (eventInLife_ == plan_.stealLockAt) {
                steal(absentNames());
            }
            playOne();
        }
        if (plan_.crash) {
            crashNow(); // a crash at a write that never came
        }
    }

    void terminate() {
        for (TestArena* arena : arenas_) {
            begin(*arena, "terminate", {});
            arena->terminate();
            done(*arena);
        }
    }

    std::vector<std::string> absentNames() const {
        std::vector<std::string> names;
        for (const char* name : playerNames) {
            if (find(name) == nullptr) {
                names.emplace_back(name);
            }
        }
        return names;
    }

    void limitNamesTo(std::vector<std::string> names) { allowed_ = std::move(names); }

private:
    int draw(int below) { return static_cast<int>(random_() % static_cast<unsigned>(below)); }

    Present* find(std::string_view name) const {
        for (const auto& present : present_) {
            if (present->name == name) {
                return present.get();
            }
        }
        return nullptr;
    }

    TestArena& anyArena() { return *arenas_[static_cast<std::size_t>(draw(arenas_.size()))]; }
    std::size_t indexOf(const TestArena& arena) const {
        for (std::size_t i = 0; i < arenas_.size(); ++i) {
            if (arenas_[i] == &arena) {
                return i;
            }
        }
        return 0;
    }

    void begin(TestArena& arena, const std::string& kind, std::vector<std::string> args) {
        current_ = nextEvent_++;
        std::string text =
            tabbed({"B", std::to_string(current_), std::to_string(arena.spawn().handle), kind});
        for (const std::string& arg : args) {
            text += "\t" + arg;
        }
        out_.line(text);
    }

    void logSent(TestArena& arena, const std::vector<Sent>& sent) {
        (void)arena;
        for (const Sent& line : sent) {
            out_.line(tabbed({line.code == Echo ? "C" : "R", std::to_string(current_), line.text}));
        }
    }

    void done(TestArena& arena) {
        logSent(arena, arena.take());
        out_.line(tabbed({"D", std::to_string(current_)}));
    }

    Present& enter(const std::string& name, std::uint16_t team, std::uint8_t ship,
                   std::uint32_t level = 0) {
        auto present = std::make_unique<Present>();
        present->name = name;
        present->team = team;
        present->ship = ship;
        for (TestArena* arena : arenas_) {
            begin(*arena, "enter", {name});
            PlayerRecord& record =
                arena->addPlayer({.name = name, .team = team, .ship = ship, .accessLevel = level});
            arena->enter(record);
            present->records.push_back(&record);
            done(*arena);
        }
        present_.push_back(std::move(present));
        return *present_.back();
    }

    // A name as a player might type it: now and then in another case.
    std::string typed(const std::string& name) {
        switch (draw(4)) {
        case 0:
            return foldedCopy(name);
        case 1: {
            std::string upper = name;
            for (char& c : upper) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            return upper;
        }
        default:
            return name;
        }
    }

    std::string someName() {
        if (draw(8) == 0) {
            return staffName;
        }
        if (!allowed_.empty()) {
            return allowed_[static_cast<std::size_t>(draw(allowed_.size()))];
        }
        return playerNames[static_cast<std::size_t>(draw(playerNames.size()))];
    }

    // An amount now and then beyond what the account holds.
    std::string someAmount(TestArena& arena, const std::string& name) {
        const std::uint32_t held = arena.economy().balance(name);
        switch (draw(5)) {
        case 0:
            return "0";
        case 1:
            return std::to_string(held + 1 + static_cast<std::uint32_t>(draw(50)));
        case 2:
            return std::to_string(held);
        default:
            return std::to_string(held == 0 ? 1
                                            : 1 + static_cast<std::uint32_t>(draw(
                                                      static_cast<int>(std::min(held, 400u)))));
        }
    }

    Present* somePlayer() {
        std::vector<Present*> players;
        for (const auto& present : present_) {
            if (present->name != staffName) {
                players.push_back(present.get());
            }
        }
        if (players.empty()) {
            return nullptr;
        }
        return players[static_cast<std::size_t>(draw(players.size()))];
    }

    void command(TestArena& arena, Present& who, const std::string& kind,
                 std::vector<std::string> args, const std::string& name, const std::string& text) {
        begin(arena, kind, std::move(args));
        arena.command(*who.records[indexOf(arena)], name, text);
        done(arena);
    }

    void playOne() {
        const int roll = draw(100);
        Present* player = somePlayer();
        std::vector<std::string> absent = absentNames();
        if (!allowed_.empty()) {
            std::erase_if(absent, [this](const std::string& name) {
                return std::find(allowed_.begin(), allowed_.end(), name) == allowed_.end();
            });
        }
        if (player == nullptr || (roll < 10 && !absent.empty() && present_.size() < 6)) {
            if (absent.empty()) {
                return;
            }
            const std::string name = absent[static_cast<std::size_t>(draw(absent.size()))];
            enter(name, static_cast<std::uint16_t>(draw(2)),
                  static_cast<std::uint8_t>(draw(6) == 0 ? 8 : draw(8)));
            return;
        }
        Present& staff = *find(staffName);
        TestArena& arena = anyArena();
        const std::string item = std::string(
            inventoryItems[static_cast<std::size_t>(draw(itemKindCount))].store->itemWord);
        if (roll < 15) {
            if (present_.size() > 3) {
                for (TestArena* each : arenas_) {
                    begin(*each, "leave", {player->name});
                    each->leave(*player->records[indexOf(*each)]);
                    done(*each);
                }
                std::erase_if(present_, [player](const auto& p) { return p.get() == player; });
            }
        } else if (roll < 35) {
            Present* killed = somePlayer();
            if (killed == nullptr || killed == player) {
                return;
            }
            // Every bot in the arena sees the kill.
            for (TestArena* each : arenas_) {
                begin(*each, "kill",
                      {player->name, killed->name, killed->team == player->team ? "1" : "0"});
                each->kill(*killed->records[indexOf(*each)], *player->records[indexOf(*each)]);
                done(*each);
            }
        } else if (roll < 48) {
            command(arena, *player, "buyinv", {player->name, item}, "buy", "inv " + item);
        } else if (roll < 53) {
            command(arena, *player, "buyuse", {player->name, item}, "buy", "use " + item);
        } else if (roll < 57) {
            const Service& service = services[static_cast<std::size_t>(draw(services.size()))];
            command(arena, *player, "buysvc", {player->name, service.word}, "buy", service.word);
        } else if (roll < 69) {
            command(arena, *player, "use", {player->name, item}, "inv", item);
        } else if (roll < 79) {
            const std::string target = typed(someName());
            const std::string amount = someAmount(arena, player->name);
            command(arena, *player, "lend", {player->name, target, amount}, "lendgold",
                    target + ":" + amount);
        } else if (roll < 85) {
            const std::string target = typed(someName());
            const std::string amount = std::to_string(1 + draw(300));
            command(arena, staff, "give", {staffName, target, amount}, "givegold",
                    target + ":" + amount);
        } else if (roll < 90) {
            const std::string name = someName();
            const std::string amount = someAmount(arena, name);
            const std::string target = typed(name);
            command(arena, staff, "take", {staffName, target, amount}, "takegold",
                    target + ":" + amount);
        } else if (roll < 93) {
            command(arena, staff, "goldsave", {}, "goldsave", "");
        } else if (roll < 96) {
            command(arena, staff, "invsave", {}, "invsave", "");
        } else {
            const int seconds = 1 + draw(autoSaveSeconds);
            begin(arena, "tick", {std::to_string(seconds)});
            arena.tick(seconds);
            done(arena);
        }
    }

    const LifePlan& plan_;
    std::mt19937& random_;
    Outcomes out_;
    FaultyFileSystem files_;
    std::vector<TestArena*> arenas_;
    std::vector<std::unique_ptr<Present>> present_;
    std::vector<std::string> allowed_;
    std::int64_t nextEvent_;
    std::int64_t current_ = 0;
    int eventInLife_ = -1;
    int writes_ = 0;
    char stateTag_;
};

// The second host of a stolen lock: waits for the word on `wake`, then
// starts a bot in the folder, plays a few events with the names it is given
// and stops cleanly.
[[noreturn]] void secondHost(const std::string& folder, std::uint32_t seed, int wake, int outFd) {
    std::string names;
    char chunk[256];
    for (ssize_t n; (n = ::read(wake, chunk, sizeof chunk)) > 0;) {
        names.append(chunk, static_cast<std::size_t>(n));
    }
    if (names.empty()) {
        std::_Exit(0); // the first host died before it was robbed
    }
    std::mt19937 random(seed);
    LifePlan plan;
    plan.events = 6 + static_cast<int>(random() % 6);
    Life life(plan, random, outFd, 1000000 * static_cast<std::int64_t>(seed % 1000 + 1), 'Q');
    std::vector<std::string> allowed;
    std::stringstream words(names);
    for (std::string name; std::getline(words, name, ',');) {
        if (!name.empty()) {
            allowed.push_back(name);
        }
    }
    life.limitNamesTo(allowed);
    TestArena arena(folder, 7, 3);
    life.start({&arena}, false);
    life.play(plan.events, [](const std::vector<std::string>&) {});
    life.terminate();
    std::_Exit(0);
}

[[noreturn]] void runLife(const std::string& folder, const LifePlan& plan, std::uint32_t seed,
                          int outFd, std::int64_t firstEvent) {
    ::alarm(60); // never outlives a parent that stopped waiting
    std::mt19937 random(seed);
    int wake[2] = {-1, -1};
    pid_t thief = -1;
    if (plan.stealLockAt >= 0) {
        if (::pipe(wake) != 0) {
            std::_Exit(91);
        }
        thief = ::fork();
        if (thief == 0) {
            ::close(wake[1]);
            secondHost(folder, seed ^ 0x5bd1e995u, wake[0], outFd);
        }
        ::close(wake[0]);
    }
    Life life(plan, random, outFd, firstEvent, 'S');
    life.watchWrites();
    std::vector<std::unique_ptr<TestArena>> arenas;
    arenas.push_back(std::make_unique<TestArena>(folder, 7));
    if (plan.twoBots) {
        arenas.push_back(std::make_unique<TestArena>(folder, 7, 2));
    }
    std::vector<TestArena*> pointers;
    for (auto& arena : arenas) {
        pointers.push_back(arena.get());
    }
    life.start(pointers, plan.unreadableFile.empty());
    life.play(plan.events, [&](const std::vector<std::string>& free) {
        std::error_code ignored;
        fs::remove(fs::path(folder) / "gold.lock", ignored);
        std::string names;
        for (const std::string& name : free) {
            names += name + ",";
        }
        names += ",";
        if (::write(wake[1], names.data(), names.size()) != static_cast<ssize_t>(names.size())) {
            std::_Exit(92);
        }
        ::close(wake[1]);
        wake[1] = -1;
        int status = 0;
        ::waitpid(thief, &status, 0);
    });
    life.terminate();
    std::_Exit(0);
}

// -------------------------------------------------------------- the parent

struct Holding {
    std::int64_t gold = 0;
    std::array<std::int64_t, itemKindCount> items{};
    bool operator==(const Holding&) const = default;
    bool empty() const { return *this == Holding{}; }
};
using Holdings = std::map<std::string, Holding>; // by folded name

struct Effect {
    std::string what;
    Holdings change;
};

void add(Holdings& to, const Holdings& change, int sign = 1) {
    for (const auto& [name, holding] : change) {
        Holding& held = to[name];
        held.gold += sign * holding.gold;
        for (std::size_t i = 0; i < itemKindCount; ++i) {
            held.items[i] += sign * holding.items[i];
        }
    }
}

void dropEmpty(Holdings& holdings) {
    std::erase_if(holdings, [](const auto& entry) { return entry.second.empty(); });
}

std::string show(const Holding& holding) {
    std::ostringstream out;
    out << holding.gold << " gold";
    for (std::size_t i = 0; i < itemKindCount; ++i) {
        if (holding.items[i] != 0) {
            out << ", " << holding.items[i] << " " << inventoryItems[i].store->itemWord;
        }
    }
    return out.str();
}

struct Figures {
    std::uint64_t runs = 0, lives = 0, events = 0, failedRuns = 0;
    std::array<std::uint64_t, faultKindCount> faults{};
    std::map<std::string, std::uint64_t> refusedWrites; // by file
    std::uint64_t midEventCrashes = 0;
};

struct Event {
    std::int64_t id = 0;
    std::vector<std::string> begin; // B id bot kind args...
    std::vector<std::string> replies;
    std::vector<std::string> console;
    bool journalFailed = false;
    bool done = false;

    const std::string& kind() const { return begin[3]; }
    const std::string& arg(std::size_t i) const { return begin[4 + i]; }
    bool said(std::string_view text) const {
        return std::find(replies.begin(), replies.end(), text) != replies.end();
    }
    bool consoleStarts(std::string_view text) const {
        return std::any_of(console.begin(), console.end(),
                           [text](const std::string& line) { return line.rfind(text, 0) == 0; });
    }
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

std::optional<std::size_t> itemIndex(const std::string& word) {
    for (std::size_t i = 0; i < itemKindCount; ++i) {
        if (inventoryItems[i].store->itemWord == word) {
            return i;
        }
    }
    return std::nullopt;
}

// What one session expects, and its checks.
class Expectation {
public:
    explicit Expectation(Holdings start) : committed_(std::move(start)) {}

    // An event's effect: from the bot's replies; for the event in flight at
    // a crash (`whole` false) from the rules when the reply never came.
    Effect effectOf(const Event& event) const {
        Effect effect;
        effect.what =
            "event " + std::to_string(event.id) + " (bot " + event.begin[2] + " " + event.kind();
        for (std::size_t i = 4; i < event.begin.size(); ++i) {
            effect.what += " " + event.begin[i];
        }
        effect.what += ")";
        Holdings& change = effect.change;
        const std::string& kind = event.kind();
        const bool byRule = !event.done;
        if (kind == "kill") {
            const std::string killer = foldedCopy(event.arg(0));
            bool told = false;
            for (const std::string& reply : event.replies) {
                const std::string given = "You have just been given ";
                const std::string lost = "No Team Killing Allowed Here. You lose ";
                if (reply.rfind(given, 0) == 0) {
                    change[killer].gold += std::stoll(reply.substr(given.size()));
                    told = true;
                } else if (reply.rfind(lost, 0) == 0) {
                    change[killer].gold -= std::stoll(reply.substr(lost.size()));
                    told = true;
                }
            }
            if (!told && byRule) {
                change[killer].gold += event.arg(2) == "1" ? -teamKillPenalty : killAward;
            }
        } else if (kind == "buyinv" || kind == "buyuse" || kind == "use") {
            const std::size_t item = *itemIndex(event.arg(1));
            const ItemTexts& texts = inventoryItems[item];
            const std::string_view doneText = kind == "buyinv"   ? texts.storedDone
                                              : kind == "buyuse" ? texts.useNowDone
                                                                 : texts.usedDone;
            if (event.said(doneText) || byRule) {
                Holding& holding = change[foldedCopy(event.arg(0))];
                if (kind != "use") {
                    holding.gold -= itemPrices[item];
                }
                if (kind != "buyuse") {
                    holding.items[item] += kind == "use" ? -1 : 1;
                }
            }
        } else if (kind == "buysvc") {
            for (const Service& service : services) {
                if (event.arg(1) == service.word && (event.said(service.doneText) || byRule)) {
                    change[foldedCopy(event.arg(0))].gold -= service.price;
                }
            }
        } else if (kind == "lend" || kind == "give" || kind == "take") {
            const std::string& target = event.arg(1);
            const std::int64_t amount = std::stoll(event.arg(2));
            const std::string reply =
                kind == "take" ? event.arg(2) + " Gold removed from " + target + "'s account."
                               : event.arg(2) + " Gold given to " + target;
            if (event.said(reply) || byRule) {
                if (kind == "give") {
                    change[foldedCopy(target)].gold += amount;
                } else if (kind == "take") {
                    change[foldedCopy(target)].gold -= amount;
                } else if (foldedCopy(target) != foldedCopy(event.arg(0))) {
                    change[foldedCopy(target)].gold += amount;
                    change[foldedCopy(event.arg(0))].gold -= amount;
                }
            }
        }
        dropEmpty(change);
        return effect;
    }

    void handled(const Event& event) {
        notCollected(event);
        // From the moment the bot says its lock is lost, its changes wait
        // aside, in memory only, until it holds the lock again: then they
        // are applied over the folder and journaled. A crash before that
        // loses every one of them.
        lockLostIn(event);
        Effect effect = effectOf(event);
        if (!effect.change.empty()) {
            if (lockLost_) {
                waitingForLock_.push_back(std::move(effect));
            } else if (event.journalFailed) {
                unsaved_.push_back({std::move(effect), false, false});
            } else {
                add(committed_, effect.change);
            }
        }
        lockBackIn(event);
        // Saves confirmed by this event.
        const std::string& kind = event.kind();
        const bool tried =
            kind == "terminate" || (kind == "tick" && event.consoleStarts("AutoSave..."));
        const bool goldSaved = event.said("Gold accounts saved for backup purposes.") ||
                               (tried && !event.consoleStarts("Could not save gold.dat"));
        const bool inventorySaved = event.said("Inventory Database saved for backup purposes.") ||
                                    (tried && !event.consoleStarts("Could not save inv.dat"));
        for (Unsaved& each : unsaved_) {
            each.gold = each.gold || goldSaved;
            each.inventory = each.inventory || inventorySaved;
        }
        std::erase_if(unsaved_, [this](const Unsaved& each) {
            if (each.gold && each.inventory) {
                add(committed_, each.effect.change);
                return true;
            }
            return false;
        });
    }

    // A new bot process starts: the lock lost by the last one, and the
    // changes that waited for it, are gone with it.
    void newProcess() {
        waitingForLock_.clear();
        lockLost_ = false;
    }

    void lockLostIn(const Event& event) {
        if (event.consoleStarts("The economy's lock is lost")) {
            lockLost_ = true;
        }
    }
    // The changes that waited are journaled before the bot says so, even in
    // an event a crash cut short.
    void lockBackIn(const Event& event) {
        if (event.consoleStarts("This host holds the economy's lock (gold.lock) again")) {
            lockLost_ = false;
            for (const Effect& waited : waitingForLock_) {
                add(committed_, waited.change);
            }
            waitingForLock_.clear();
        }
    }

    void inFlight(const Event& event) {
        lockLostIn(event);
        lockBackIn(event);
        Effect effect = effectOf(event);
        if (!effect.change.empty()) {
            inFlight_.push_back(std::move(effect));
        }
    }

    // What a started bot holds: exactly what is committed, plus some of the
    // changes that may be lost, each whole or not at all. Empty when it is.
    std::string check(Holdings actual) {
        dropEmpty(actual);
        std::vector<const Effect*> optional;
        for (const Effect& effect : inFlight_) {
            optional.push_back(&effect);
        }
        for (const Unsaved& each : unsaved_) {
            optional.push_back(&each.effect);
        }
        if (optional.size() > 16) {
            return "more than 16 changes may have been lost: the plan is too wide to check";
        }
        bool matched = false;
        for (std::uint32_t subset = 0; subset < (1u << optional.size()) && !matched; ++subset) {
            Holdings expected = committed_;
            for (std::size_t i = 0; i < optional.size(); ++i) {
                if (subset & (1u << i)) {
                    add(expected, optional[i]->change);
                }
            }
            dropEmpty(expected);
            matched = expected == actual;
        }
        std::string report;
        if (!matched) {
            std::ostringstream out;
            Holdings expected = committed_;
            dropEmpty(expected);
            std::set<std::string> names;
            for (const auto& [name, holding] : expected) {
                names.insert(name);
            }
            for (const auto& [name, holding] : actual) {
                names.insert(name);
            }
            for (const std::string& name : names) {
                const Holding want = expected.contains(name) ? expected[name] : Holding{};
                const Holding have = actual.contains(name) ? actual[name] : Holding{};
                if (want != have) {
                    out << "\n    " << name << ": the events say " << show(want)
                        << ", the bot holds " << show(have);
                }
            }
            for (const Effect* effect : optional) {
                out << "\n    (may be absent, whole: " << effect->what << ")";
            }
            report = out.str();
        }
        // From here on the folder holds what the bot started with.
        committed_ = std::move(actual);
        inFlight_.clear();
        unsaved_.clear();
        waitingForLock_.clear();
        lockLost_ = false;
        return report;
    }

private:
    // Two hosts that both sold from one purse while the lock was lost: the
    // later charge, applied again once the lock is back, finds less than it
    // takes; the module takes what is there and tells the console what it
    // did not collect ("Eno was charged 318 gold (...) while the lock was
    // lost, but holds only 0 now: 318 gold was not collected."; for items
    // "... 1 were not taken."). What was not collected stays where it was.
    void notCollected(const Event& event) {
        for (const std::string& line : event.console) {
            const std::size_t charged = line.find(" was charged ");
            const std::size_t used = line.find(" used ");
            const std::size_t lost = line.find(" while the lock was lost, but holds only ");
            const std::size_t colon = line.rfind(": ");
            if (lost == std::string::npos || colon == std::string::npos || colon < lost) {
                continue;
            }
            const std::size_t nameEnd = charged != std::string::npos ? charged : used;
            if (nameEnd == std::string::npos || nameEnd > lost) {
                continue;
            }
            Holding& held = committed_[foldedCopy(line.substr(0, nameEnd))];
            const std::int64_t missing = std::stoll(line.substr(colon + 2));
            if (charged != std::string::npos) {
                held.gold += missing;
                continue;
            }
            // "NAME used N ITEM (...": the item's word follows the count.
            std::istringstream words(line.substr(used + 6));
            std::string count;
            std::string item;
            words >> count >> item;
            if (auto kind = itemKindOfWord(item)) {
                held.items[static_cast<std::size_t>(*kind)] += missing;
            }
        }
    }

    struct Unsaved {
        Effect effect;
        bool gold;
        bool inventory;
    };
    Holdings committed_;
    bool lockLost_ = false;
    std::vector<Effect> waitingForLock_;
    std::vector<Effect> inFlight_;
    std::vector<Unsaved> unsaved_;
};

// ------------------------------------------------------------- the session

void writeRecordFiles(const std::string& folder, const Holdings& start) {
    std::string gold;
    std::string inventory;
    for (const auto& [name, holding] : start) {
        std::string field = name;
        field[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(field[0])));
        field.resize(20, '\0');
        for (int shift = 0; shift < 32; shift += 8) {
            gold += static_cast<char>((holding.gold >> shift) & 0xFF);
        }
        gold += field;
        inventory += field;
        for (std::int64_t count : holding.items) {
            for (int shift = 0; shift < 32; shift += 8) {
                inventory += static_cast<char>((count >> shift) & 0xFF);
            }
        }
    }
    std::ofstream(folder + "/gold.dat", std::ios::binary) << gold;
    std::ofstream(folder + "/inv.dat", std::ios::binary) << inventory;
}

struct Folder {
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "quorvel-invariant-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    // QUORVEL_INVARIANT_KEEP=1 keeps the folder and what each life did
    // (beside it, .outcomes.N) for a look after a failure.
    ~Folder() {
        if (std::getenv("QUORVEL_INVARIANT_KEEP") == nullptr) {
            std::error_code ignored;
            fs::remove_all(path, ignored);
            for (int life = 1; life <= maxLives; ++life) {
                fs::remove(path + ".outcomes." + std::to_string(life), ignored);
            }
        }
    }
    static constexpr int maxLives = 8;
    std::string path;
};

// Plays one session; empty when every start held what the events say.
std::string playSession(std::uint32_t seed, const std::set<FaultKind>& kinds, Figures& figures) {
    std::mt19937 random(seed);
    Folder folder;
    std::ofstream(folder.path + "/quorvel.ini") << settingsText;
    Holdings start;
    for (const char* name : playerNames) {
        Holding& holding = start[foldedCopy(name)];
        holding.gold = 100 + random() % 900;
        for (std::int64_t& count : holding.items) {
            count = random() % 3;
        }
    }
    writeRecordFiles(folder.path, start);
    Expectation expected(start);
    std::string history;
    if (std::getenv("QUORVEL_INVARIANT_KEEP") != nullptr) {
        history = "\n  folder " + folder.path;
    }
    const int lives = 3 + static_cast<int>(random() % 4); // and one to look
    static_assert(3 + 3 + 1 <= Folder::maxLives);
    std::int64_t firstEvent = 1;
    for (int life = 0; life <= lives; ++life) {
        // The last life only starts: it shows what the session left.
        LifePlan plan = life < lives ? drawLife(random, kinds) : LifePlan{};
        const std::uint32_t lifeSeed = static_cast<std::uint32_t>(random());
        history += "\n  life " + std::to_string(life + 1) + ": " + plan.describe();
        const std::string outcomesPath = folder.path + ".outcomes." + std::to_string(life + 1);
        const fs::path aside = fs::path(folder.path) / "unreadable.aside";
        if (!plan.unreadableFile.empty()) {
            const fs::path file = fs::path(folder.path) / plan.unreadableFile;
            if (fs::exists(file)) {
                fs::rename(file, aside);
            }
            fs::create_directory(file);
        }
        const int outFd =
            ::open(outcomesPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
        pid_t child = ::fork();
        if (child == 0) {
            runLife(folder.path, plan, lifeSeed, outFd, firstEvent);
        }
        ::close(outFd);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!(WIFEXITED(status) && WEXITSTATUS(status) == 0) &&
            !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL && plan.sigkill)) {
            return "seed " + std::to_string(seed) + ": life " + std::to_string(life + 1) +
                   " ended with status " + std::to_string(status) + history;
        }
        if (!plan.unreadableFile.empty()) {
            const fs::path file = fs::path(folder.path) / plan.unreadableFile;
            fs::remove_all(file);
            if (fs::exists(aside)) {
                fs::rename(aside, file);
            }
        }
        ++figures.lives;
        if (plan.crash) {
            ++figures.faults[Crash];
        }
        if (!plan.failFile.empty()) {
            ++figures.faults[Write];
        }
        if (!plan.unreadableFile.empty()) {
            ++figures.faults[Unreadable];
        }
        if (plan.stealLockAt >= 0) {
            ++figures.faults[Lock];
        }
        if (plan.twoBots) {
            ++figures.faults[TwoBots];
        }
        if (plan.failSavedLines) {
            ++figures.faults[SavedLine];
        }

        // What the life did, in order.
        std::ifstream in(outcomesPath);
        std::optional<Event> open;
        bool checked = false;
        Holdings state;
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> fields = splitTabs(line);
            const std::string& tag = fields[0];
            if (tag == "H") {
                checked = fields[1] == "1";
                state.clear();
            } else if (tag == "S") {
                if (fields[1] == "!") {
                    return "seed " + std::to_string(seed) + ": life " + std::to_string(life + 1) +
                           " started without an economy: " + fields[2] + history;
                }
                Holding& holding = state[fields[1]];
                holding.gold = std::stoll(fields[2]);
                for (std::size_t i = 0; i < itemKindCount; ++i) {
                    holding.items[i] = std::stoll(fields[3 + i]);
                }
            } else if (tag == "h") {
                // What waited for a lock died with the process that held it.
                expected.newProcess();
                if (checked) {
                    const std::string wrong = expected.check(state);
                    if (!wrong.empty()) {
                        return "seed " + std::to_string(seed) + ": at the start of life " +
                               std::to_string(life + 1) +
                               " the economy is not what the events "
                               "say:" +
                               wrong + "\n  the session:" + history;
                    }
                }
            } else if (tag == "B") {
                open = Event{};
                open->id = std::stoll(fields[1]);
                open->begin = fields;
                ++figures.events;
            } else if (open && (tag == "R" || tag == "C") && fields.size() >= 2) {
                (tag == "R" ? open->replies : open->console)
                    .push_back(fields.size() > 2 ? fields[2] : "");
            } else if (tag == "F") {
                ++figures.refusedWrites[fields[2]];
                if (open && fields[2] == "gold.log") {
                    open->journalFailed = true;
                }
            } else if (tag == "D" && open) {
                open->done = true;
                expected.handled(*open);
                open.reset();
            }
        }
        if (open) {
            ++figures.midEventCrashes;
            expected.inFlight(*open);
        }

        firstEvent += 100000;
    }
    return {};
}

// The checker must fail what breaks the rule and pass only what keeps it.
TEST(EconomyInvariantCheck, AcceptsEachLosableEventWholeOrAbsentAndNothingElse) {
    const auto event = [](std::int64_t id, std::vector<std::string> begin,
                          std::vector<std::string> replies, bool done) {
        Event made;
        made.id = id;
        made.begin = {"B", std::to_string(id), "1"};
        made.begin.insert(made.begin.end(), begin.begin(), begin.end());
        made.replies = std::move(replies);
        made.done = done;
        return made;
    };
    const Holdings start = {{"al", {100, {}}}, {"bo", {50, {}}}};
    const auto holding = [](std::int64_t gold, std::int64_t guns = 0) {
        Holding made{gold, {}};
        made.items[0] = guns;
        return made;
    };
    const Event loan = event(1, {"lend", "Al", "BO", "30"}, {"30 Gold given to BO"}, true);
    const Event purchase =
        event(2, {"buyinv", "Bo", "guns"}, {std::string(inventoryItems[0].storedDone)}, true);

    // Handled whole: both sides of the loan, the price with the item.
    Expectation whole(start);
    whole.handled(loan);
    whole.handled(purchase);
    EXPECT_EQ(whole.check({{"al", holding(70)}, {"bo", holding(50, 1)}}), "");
    Expectation halfLoan(start);
    halfLoan.handled(loan);
    EXPECT_NE(halfLoan.check({{"al", holding(100)}, {"bo", holding(80)}}), "");

    // In flight at a crash: wholly there or wholly absent, never half.
    for (const bool there : {false, true}) {
        Expectation crashed(start);
        crashed.inFlight(event(3, {"buyinv", "Al", "guns"}, {}, false));
        EXPECT_EQ(
            crashed.check({{"al", there ? holding(70, 1) : holding(100)}, {"bo", holding(50)}}),
            "");
    }
    Expectation itemWithoutPrice(start);
    itemWithoutPrice.inFlight(event(3, {"buyinv", "Al", "guns"}, {}, false));
    EXPECT_NE(itemWithoutPrice.check({{"al", holding(100, 1)}, {"bo", holding(50)}}), "");

    // A refused loan moves nothing; one not yet in gold.log may be lost
    // until both files were saved after it, and not after.
    Expectation refused(start);
    refused.handled(
        event(4, {"lend", "Al", "Bo", "500"}, {"You can not give more than you have."}, true));
    EXPECT_NE(refused.check({{"al", holding(-400)}, {"bo", holding(550)}}), "");
    Event unjournaled = loan;
    unjournaled.journalFailed = true;
    Expectation lost(start);
    lost.handled(unjournaled);
    EXPECT_EQ(lost.check(start), "");
    Expectation savedThenLost(start);
    savedThenLost.handled(unjournaled);
    savedThenLost.handled(
        event(5, {"goldsave"}, {"Gold accounts saved for backup purposes."}, true));
    savedThenLost.handled(
        event(6, {"invsave"}, {"Inventory Database saved for backup purposes."}, true));
    EXPECT_NE(savedThenLost.check(start), "");
}

TEST(EconomyInvariant, EveryGoldAndItemIsWhatTheEventsSayUnderEveryFault) {
    const std::set<FaultKind> kinds = faultKindsToRun();
    const char* runsText = std::getenv("QUORVEL_INVARIANT_RUNS");
    const char* seedText = std::getenv("QUORVEL_INVARIANT_SEED");
    const bool longForm = runsText != nullptr;
    std::vector<std::uint32_t> seeds;
    if (seedText != nullptr) {
        seeds.push_back(static_cast<std::uint32_t>(std::stoul(seedText)));
    } else {
        const int runs = longForm ? std::max(1, std::atoi(runsText)) : 16;
        for (int run = 0; run < runs; ++run) {
            seeds.push_back(20261208u + static_cast<std::uint32_t>(run));
        }
    }
    Figures figures;
    for (std::uint32_t seed : seeds) {
        ++figures.runs;
        const std::string failure = playSession(seed, kinds, figures);
        if (!failure.empty()) {
            ++figures.failedRuns;
            ADD_FAILURE() << failure << "\n  play it again: QUORVEL_INVARIANT_SEED=" << seed
                          << " tests_soak --gtest_filter=EconomyInvariant.*";
        }
    }
    std::ostringstream out;
    out << "economy invariant: " << figures.runs << " runs, " << figures.lives << " lives, "
        << figures.events << " events, " << figures.failedRuns << " runs failed; faults:";
    for (int k = 0; k < faultKindCount; ++k) {
        out << " " << faultKindNames[static_cast<std::size_t>(k)] << " "
            << figures.faults[static_cast<std::size_t>(k)];
    }
    out << " (" << figures.midEventCrashes << " crashes in the middle of an event); writes "
        << "refused:";
    for (const auto& [file, count] : figures.refusedWrites) {
        out << " " << file << " " << count;
    }
    std::printf("%s\n", out.str().c_str());
}

} // namespace
} // namespace quorvel::testing
