// A million events of a busy arena with every service on, checked as it
// plays: every balance the ledger holds is accounted for by gold.log, no
// change is larger than its cause explains and none wraps; and nothing is
// sent to or about a player who has left. The zone's answers to the bot's commands
// (ship and freq changes, spectator mode for one or for all, warps, the
// anti-warp removal, the jackpot query) are fed back as a zone would. The
// session is generated from a fixed seed and plays the same way every time.
#include "departure_watch.h"
#include "ledger_audit.h"
#include "support/test_arena.h"

#include "base/messages/zone_lines.h"
#include "gold/inventory_book.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define QUORVEL_SOAK_POISON(at, size) ASAN_POISON_MEMORY_REGION(at, size)
#define QUORVEL_SOAK_UNPOISON(at, size) ASAN_UNPOISON_MEMORY_REGION(at, size)
#else
#define QUORVEL_SOAK_POISON(at, size) ((void)(at), (void)(size))
#define QUORVEL_SOAK_UNPOISON(at, size) ((void)(at), (void)(size))
#endif

namespace quorvel::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint64_t eventsWanted = 1'000'000;
constexpr std::size_t pilotsWanted = 60;
constexpr int reactionsAllowed = 200; // per action, before it counts as a loop

constexpr const char* quorvelIni = "[Settings]\nInventory=1\nMaxWarpTeams=2\nMaxWarpAreas=1\n"
                                   "AutoSave=60\n"
                                   "[Gold]\nFlagVictory=100\nSoccerGoal=25\nKill=2\nTeamKill=5\n"
                                   "AntiInCenter=5\n"
                                   "[Store]\nFlags=500\nArena=500\nPoints=500\nBounty=400\n"
                                   "MultiFire=150\nSuper=150\nShield=150\nMultiPrize=150\n"
                                   "Thor=100\nPortal=100\nGunUpgrade=300\nBombUpgrade=350\n"
                                   "ScoreReset=50\n";

AuditRules rulesOfTheIni() {
    AuditRules rules;
    rules.kill = 2;
    rules.teamKill = 5;
    rules.antiInCenter = 5;
    rules.soccerGoal = 25;
    rules.flagVictory = 100;
    rules.prices = {{"guns", 300},   {"bombs", 350}, {"multi", 150},  {"super", 150},
                    {"shield", 150}, {"thor", 100},  {"prize", 150},  {"portal", 100},
                    {"arena", 500},  {"flags", 500}, {"points", 500}, {"bounty", 400},
                    {"reset", 50}};
    return rules;
}

// Made-up names that no message of the bot contains as a word, ninety of
// them, each in three spellings that are one name to the bot.
constexpr std::array<const char*, 10> namePrefixes = {"Vex", "Quil", "Orr", "Tal", "Bris",
                                                      "Nyx", "Kes",  "Dra", "Mir", "Sab"};
constexpr std::array<const char*, 9> nameSuffixes = {"ara", "on",  "ik", "yn", "ox",
                                                     "el",  "ith", "ur", "ax"};
constexpr std::size_t baseNameCount = namePrefixes.size() * nameSuffixes.size();

std::string baseName(std::size_t i) {
    return std::string(namePrefixes[i % namePrefixes.size()]) +
           nameSuffixes[i / namePrefixes.size()];
}

std::string spelling(const std::string& base, std::uint32_t variant) {
    std::string name = base;
    if (variant == 1) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    } else if (variant == 2) {
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    }
    return name;
}

// Lines counted by how they begin, to show that every service had its say.
constexpr std::array<const char*, 10> tallied = {"*warpto ",
                                                 "*setship ",
                                                 "*setfreq ",
                                                 "*prize #-20",
                                                 "*arena New rabbit: ",
                                                 "*arena Jackpot: ",
                                                 "Welcome ",
                                                 "You have just been given ",
                                                 "Zombie",
                                                 zone::specAll.data()};

struct Counts {
    std::uint64_t events = 0;
    std::uint64_t moves = 0;
    std::uint64_t kills = 0;
    std::uint64_t commands = 0;
    std::uint64_t entered = 0;
    std::uint64_t left = 0;
    std::uint64_t reactions = 0;
    std::uint64_t ticks = 0;
    std::uint64_t records = 0;
    std::array<std::uint64_t, tallied.size()> lines{};
};

class Soak {
public:
    Soak()
        : arena_(20261208), random_(20261208),
          audit_(arena_.directory() + "/gold.log", rulesOfTheIni()) {
        arena_.writeFile("quorvel.ini", quorvelIni);
        arena_.writeFile("WarpTeam.ini", "400 512\n624 512\n10 10 30 30\n");
        arena_.writeFile("WarpArea.ini", "100 100 120 120 512 512\n");
        // Zombies on freqs of their own: the ship checker keeps 0 to 2.
        arena_.writeFile("Ghoulset.ini", "3 1\n4 4\n0 0 0 0");
        // A zone that has been running: half the names have gold and items.
        std::string gold;
        std::string items;
        for (std::size_t i = 0; i < baseNameCount; i += 2) {
            std::string name = baseName(i);
            name.resize(20, '\0');
            const std::uint32_t balance = static_cast<std::uint32_t>(100 * i);
            for (int shift = 0; shift < 32; shift += 8) {
                gold += static_cast<char>((balance >> shift) & 0xFFu);
            }
            gold += name;
            items += name;
            for (std::size_t k = 0; k < itemKindCount; ++k) {
                items += std::string(1, static_cast<char>((i + k) % 3)) + std::string(3, '\0');
            }
        }
        arena_.writeFile("gold.dat", gold);
        arena_.writeFile("inv.dat", items);
    }

    ~Soak() {
        for (PlayerRecord* gone : departed_) {
            QUORVEL_SOAK_UNPOISON(gone, sizeof *gone);
        }
    }

    void run() {
        arena_.handshake();
        audit_.startFrom(arena_.gold());
        watch_.check(arena_.take(), {}, ++counts_.events);
        bot_ = &arena_.addPlayer({.name = "Quorvel", .team = 9999, .ship = 8});
        watch_.entered(*bot_);
        act([&] { arena_.joinArena(*bot_); });
        staff_ = &arena_.addPlayer({.name = "Warden", .team = 9999, .ship = 8, .accessLevel = 2});
        enter(*staff_);
        for (std::uint16_t flag = 0; flag < 6; ++flag) {
            arena_.addFlag(static_cast<std::uint16_t>(300 + 80 * flag), 512);
        }
        for (std::size_t i = 0; i < pilotsWanted; ++i) {
            enterPilot();
        }
        for (const char* line :
             {"ion", "check", "twarpon", "awarpon", "iwarpon", "start", "zon", "newpick"}) {
            type(*staff_, line, "");
        }
        for (std::uint64_t second = 0; counts_.events < eventsWanted; ++second) {
            playSecond(second);
        }
        finishAndRestart();
    }

    const Counts& counts() const { return counts_; }
    const LedgerAudit& audit() const { return audit_; }
    const DepartureWatch& watch() const { return watch_; }
    const std::vector<std::string>& faults() const { return faults_; }

private:
    TestArena arena_;
    std::mt19937 random_;
    LedgerAudit audit_;
    DepartureWatch watch_;
    Counts counts_;
    PlayerRecord* bot_ = nullptr;
    PlayerRecord* staff_ = nullptr;
    std::vector<PlayerRecord*> pilots_;
    std::vector<PlayerRecord*> departed_;
    std::int32_t jackpot_ = 1000;
    std::vector<std::string> faults_;

    std::uint32_t below(std::size_t n) {
        return static_cast<std::uint32_t>(random_() % static_cast<std::uint32_t>(n));
    }
    bool chance(std::uint32_t oneIn) { return below(oneIn) == 0; }

    void fault(const std::string& what) {
        if (faults_.size() < 20) {
            faults_.push_back("event " + std::to_string(counts_.events) + ": " + what);
        }
    }

    // One event and everything the zone does in answer to it, each checked.
    template <typename Event>
    void act(Event&& event, std::string_view typed = {}, std::vector<std::int64_t> amounts = {}) {
        event();
        int reactions = 0;
        settle(typed, amounts);
        while (!queued_.empty()) {
            Reaction next = queued_.front();
            queued_.pop_front();
            if (++reactions > reactionsAllowed) {
                fault("the zone and the bot answer each other without end");
                queued_.clear();
                break;
            }
            if (next.player != bot_ &&
                std::find(pilots_.begin(), pilots_.end(), next.player) == pilots_.end()) {
                continue; // gone since the bot asked
            }
            ++counts_.reactions;
            switch (next.kind) {
            case ReactionKind::Ship:
                arena_.shipChange(*next.player, static_cast<std::uint8_t>(next.value));
                break;
            case ReactionKind::Freq:
                arena_.teamChange(*next.player, static_cast<std::uint16_t>(next.value));
                break;
            case ReactionKind::Spectate:
                arena_.spectate(*next.player);
                break;
            case ReactionKind::Warp:
                arena_.setPosition(*next.player, next.value, next.other);
                arena_.move(*next.player);
                break;
            case ReactionKind::Jackpot:
                arena_.arenaMessage("Current Jackpot: " + std::to_string(jackpot_));
                break;
            }
            settle({}, {});
        }
    }

    enum class ReactionKind { Ship, Freq, Spectate, Warp, Jackpot };
    struct Reaction {
        ReactionKind kind;
        PlayerRecord* player;
        std::int32_t value = 0;
        std::int32_t other = 0;
    };
    std::deque<Reaction> queued_;

    PlayerRecord* presentIdent(Word ident) {
        for (PlayerRecord* pilot : pilots_) {
            if (pilot->ident == ident) {
                return pilot;
            }
        }
        return nullptr;
    }

    void settle(std::string_view typed, const std::vector<std::int64_t>& amounts) {
        ++counts_.events;
        std::vector<Sent> sent = arena_.take();
        counts_.records += sent.size();
        for (const Sent& line : sent) {
            for (std::size_t i = 0; i < tallied.size(); ++i) {
                counts_.lines[i] += line.text.rfind(tallied[i], 0) == 0 ? 1 : 0;
            }
        }
        watch_.check(sent, typed, counts_.events);
        if (arena_.spawn().gold.economy) { // Terminate leaves it
            audit_.afterEvent(arena_.gold(), amounts, counts_.events);
        }
        for (const Sent& line : sent) {
            if (line.code != Say) {
                continue;
            }
            const std::string& text = line.text;
            if (line.chatType == Public) {
                if (text == zone::jackpotQuery) {
                    queued_.push_back({ReactionKind::Jackpot, bot_});
                } else if (text == zone::specAll) {
                    for (PlayerRecord* pilot : pilots_) {
                        if (pilot->ship != 8) {
                            queued_.push_back({ReactionKind::Spectate, pilot});
                        }
                    }
                }
                continue;
            }
            PlayerRecord* player = presentIdent(line.target);
            if (player == nullptr) {
                continue; // the bot, the staff member, or a fault already reported
            }
            int a = 0;
            int b = 0;
            if (std::sscanf(text.c_str(), "*setship %d", &a) == 1 && a >= 1 && a <= 8) {
                if (player->ship != a - 1) {
                    queued_.push_back({ReactionKind::Ship, player, a - 1});
                }
            } else if (std::sscanf(text.c_str(), "*setfreq %d", &a) == 1 && a >= 0 && a < 10000) {
                if (player->team != a) {
                    queued_.push_back({ReactionKind::Freq, player, a});
                }
            } else if (text == zone::spec) {
                if (player->ship != 8) {
                    queued_.push_back({ReactionKind::Spectate, player});
                }
            } else if (std::sscanf(text.c_str(), "*warpto %d %d", &a, &b) == 2) {
                queued_.push_back({ReactionKind::Warp, player, a, b});
            } else if (text == zone::removeAntiwarp) {
                player->antiwarpOn = 0;
            }
        }
    }

    void enter(PlayerRecord& player) {
        watch_.entered(player);
        act([&] { arena_.enter(player); });
        ++counts_.entered;
    }

    void enterPilot() {
        PlayerSetup setup;
        setup.name = spelling(baseName(below(baseNameCount)), below(3));
        setup.team = static_cast<std::uint16_t>(below(5));
        setup.ship = static_cast<std::uint8_t>(below(9));
        setup.tileX = static_cast<std::int32_t>(200 + below(624));
        setup.tileY = static_cast<std::int32_t>(200 + below(624));
        PlayerRecord& player = arena_.addPlayer(setup);
        player.flagsCarried = static_cast<std::uint16_t>(below(8) == 0 ? below(4) : 0);
        pilots_.push_back(&player);
        enter(player);
    }

    void leavePilot(std::size_t index) {
        PlayerRecord* player = pilots_[index];
        pilots_[index] = pilots_.back();
        pilots_.pop_back();
        act([&] { arena_.leave(*player); });
        watch_.left(*player);
        ++counts_.left;
        // The host may reuse the record at once: anything read from it from
        // now on is a fault (and, under AddressSanitizer, stops the test).
        std::snprintf(player->name, sizeof player->name, "ZzGone%u", player->ident);
        player->ship = 8;
        departed_.push_back(player);
        QUORVEL_SOAK_POISON(player, sizeof *player);
    }

    void type(PlayerRecord& player, const std::string& name, const std::string& text,
              std::vector<std::int64_t> amounts = {}) {
        ++counts_.commands;
        act([&] { arena_.command(player, name, text); }, text, std::move(amounts));
    }

    // A player's name, usually one in the arena; now and then one longer
    // than an account holds, or with a tab or a backslash in it.
    std::string someName() {
        if (!pilots_.empty() && !chance(4)) {
            return pilots_[below(pilots_.size())]->name;
        }
        std::string name = spelling(baseName(below(baseNameCount)), below(3));
        switch (below(20)) {
        case 0:
            return name + "WithAVeryLongSurname";
        case 1:
            return name + "\tTab";
        case 2:
            return name + "\\Slash";
        default:
            return name;
        }
    }

    std::int64_t someAmount() {
        switch (below(10)) {
        case 0:
            return 4294967295LL;
        case 1:
            return -static_cast<std::int64_t>(below(100));
        case 2:
            return 2147483648LL;
        default:
            return below(2000);
        }
    }

    void playerCommand(PlayerRecord& player) {
        switch (below(18)) {
        case 0:
            type(player, "gold", "");
            break;
        case 1:
            type(player, "buy", "");
            break;
        case 2:
            type(player, "buy", "use guns");
            break;
        case 3:
            type(player, "buy", "inv thor");
            break;
        case 4:
            type(player, "buy", "inv shield");
            break;
        case 5:
            type(player, "buy", "use portal");
            break;
        case 6:
            type(player, "inv", "");
            break;
        case 7:
            type(player, "inv", "thor");
            break;
        case 8:
            type(player, "inv", "shield");
            break;
        case 9:
            type(player, "status", "");
            break;
        case 10:
            type(player, "zstatus", "");
            break;
        case 11:
            type(player, "buy", "arena gg");
            break;
        case 12:
            type(player, "buy", "points");
            break;
        case 13:
            type(player, "show", "");
            break;
        case 14:
            type(player, "hide", "");
            break;
        case 15:
            type(player, "gratio", "");
            break;
        default: {
            const std::int64_t amount = below(4) == 0 ? someAmount() : below(60);
            type(player, "lendgold", someName() + ":" + std::to_string(amount), {amount});
        }
        }
    }

    void staffCommand() {
        switch (below(40)) {
        case 0:
            type(*staff_, "goldsave", "");
            break;
        case 1:
            type(*staff_, "invsave", "");
            break;
        case 2:
            type(*staff_, "zsave", "");
            break;
        case 3:
            type(*staff_, "newpick", "");
            break;
        case 4:
            type(*staff_, "playergold", someName());
            break;
        case 5:
            if (chance(20)) {
                type(*staff_, "goldload", "");
            }
            break;
        case 6:
            if (chance(20)) {
                type(*staff_, "invload", "");
            }
            break;
        case 7: {
            const std::int64_t amount = someAmount();
            type(*staff_, "takegold", someName() + ":" + std::to_string(amount), {amount});
            break;
        }
        default: {
            const std::int64_t amount = someAmount();
            type(*staff_, "givegold", someName() + ":" + std::to_string(amount), {amount});
        }
        }
    }

    void move(PlayerRecord& player) {
        std::int32_t x = player.tileX;
        std::int32_t y = player.tileY;
        const std::uint32_t place = below(1000);
        if (place < 4) {
            x = 509 + static_cast<std::int32_t>(below(7)); // the centre, anti-warp on
            y = 509 + static_cast<std::int32_t>(below(7));
            player.antiwarpOn = 1;
        } else if (place < 6) {
            x = 105 + static_cast<std::int32_t>(below(10)); // the warp area
            y = 105 + static_cast<std::int32_t>(below(10));
        } else if (place < 8) {
            x = 15 + static_cast<std::int32_t>(below(10)); // the insert rectangle
            y = 15 + static_cast<std::int32_t>(below(10));
        } else {
            x = std::clamp(x + static_cast<std::int32_t>(below(7)) - 3, 0, 1023);
            y = std::clamp(y + static_cast<std::int32_t>(below(7)) - 3, 0, 1023);
            if (place < 60) {
                player.antiwarpOn = 0;
            }
        }
        player.inSafetyZone = place >= 990 ? 1 : 0;
        arena_.setPosition(player, x, y);
        act([&] { arena_.move(player); });
        ++counts_.moves;
    }

    void kill() {
        std::vector<PlayerRecord*> inShips;
        for (PlayerRecord* pilot : pilots_) {
            if (pilot->ship != 8) {
                inShips.push_back(pilot);
            }
        }
        if (inShips.size() < 2) {
            return;
        }
        const std::uint32_t killer = below(inShips.size());
        std::uint32_t killed = below(inShips.size() - 1);
        killed += killed >= killer ? 1 : 0;
        act([&] { arena_.kill(*inShips[killed], *inShips[killer]); });
        ++counts_.kills;
    }

    // The host stops the bot; a bot started again in the folder holds every
    // balance and every inventory record as they were.
    void finishAndRestart() {
        const std::vector<GoldAccount> accounts = arena_.gold().accounts();
        const std::vector<InventoryRecord> records = arena_.inventory().records();
        act([&] { arena_.terminate(); });
        TestArena restarted(arena_.directory(), 20261208);
        restarted.handshake();
        const auto& reloaded = restarted.gold().accounts();
        const auto& reloadedRecords = restarted.inventory().records();
        const bool sameGold =
            reloaded.size() == accounts.size() &&
            std::equal(accounts.begin(), accounts.end(), reloaded.begin(),
                       [](const GoldAccount& a, const GoldAccount& b) {
                           return a.amount == b.amount && std::strcmp(a.name, b.name) == 0;
                       });
        const bool sameItems =
            reloadedRecords.size() == records.size() &&
            std::equal(records.begin(), records.end(), reloadedRecords.begin(),
                       [](const InventoryRecord& a, const InventoryRecord& b) {
                           return a.counts == b.counts &&
                                  std::memcmp(a.name, b.name, sizeof a.name) == 0;
                       });
        if (!sameGold || !sameItems) {
            fault("a bot started after Terminate does not hold what the last one held");
        }
    }

    void playSecond(std::uint64_t second) {
        for (int m = 0; m < 4; ++m) {
            for (std::size_t i = 0; i < pilots_.size(); ++i) {
                move(*pilots_[i]);
            }
        }
        for (std::size_t k = 0; k < std::max<std::size_t>(1, pilots_.size() / 20); ++k) {
            kill();
        }
        for (std::size_t i = 0; i < pilots_.size(); ++i) {
            PlayerRecord& pilot = *pilots_[i];
            if (chance(100)) {
                const auto ship = static_cast<std::uint8_t>(below(9));
                if (ship != pilot.ship) {
                    act([&] {
                        if (ship == 8) {
                            arena_.spectate(pilot);
                        } else {
                            arena_.shipChange(pilot, ship);
                        }
                    });
                }
            }
            if (chance(200)) {
                const auto freq = static_cast<std::uint16_t>(below(5));
                if (freq != pilot.team) {
                    act([&] { arena_.teamChange(pilot, freq); });
                }
            }
            if (chance(40)) {
                playerCommand(pilot);
            }
        }
        if (chance(2)) {
            staffCommand();
        }
        if (!pilots_.empty() && chance(8)) {
            leavePilot(below(pilots_.size()));
        }
        if (pilots_.size() < pilotsWanted && chance(4)) {
            enterPilot();
        }
        if (second % 60 == 59) {
            jackpot_ += static_cast<std::int32_t>(below(500));
        }
        if (second % 97 == 13) {
            // Arena messages the bot must read, or leave alone, safely.
            static constexpr std::array<const char*, 6> heard = {"Current Jackpot: 99999999999",
                                                                 "Current Jackpot: -5",
                                                                 "Current Jackpot: 1500 points",
                                                                 "Current Jackpot: ",
                                                                 "Current Jackpot",
                                                                 "Jackpot: 1,500"};
            act([&] { arena_.arenaMessage(heard[below(heard.size())]); });
        }
        if (second % 120 == 90) {
            act([&] { arena_.goal(below(5)); });
        }
        if (second % 600 == 300) {
            act([&] { arena_.flagWin(below(5)); });
        }
        if (second % 900 == 899) {
            // The bot leaves the arena and comes back: everybody is greeted
            // again and carries his counts again.
            act([&] { arena_.leaveArena(); });
            act([&] { arena_.joinArena(*bot_); });
        }
        if (second % 45 == 10) {
            act([&] { arena_.event(PrizeRefresh); });
        }
        if (second % 300 == 150 && !pilots_.empty()) {
            act([&] { arena_.help(*pilots_[below(pilots_.size())], ""); });
        }
        act([&] { arena_.tick(); });
        ++counts_.ticks;
    }
};

// The counts the reliability page quotes for the soak, in the order it
// prints them, digits only; empty when the page quotes none.
std::vector<std::uint64_t> countsThePageQuotes() {
    std::ifstream in(QUORVEL_SOURCE_DIR "/docs/reliability.md");
    std::string page(std::istreambuf_iterator<char>(in), {});
    std::replace(page.begin(), page.end(), '\n', ' ');
    static const std::regex quoted(
        "([0-9,]+) events \\(([0-9,]+) moves, ([0-9,]+) kills, ([0-9,]+) commands, ([0-9,]+) "
        "entries, ([0-9,]+) departures, ([0-9,]+) zone answers, ([0-9,]+) ticks; ([0-9,]+) "
        "lines sent and checked, ([0-9,]+) gold.log changes audited\\)");
    std::smatch found;
    std::vector<std::uint64_t> counts;
    if (std::regex_search(page, found, quoted)) {
        for (std::size_t i = 1; i < found.size(); ++i) {
            std::string digits = found[i];
            std::erase(digits, ',');
            counts.push_back(std::stoull(digits));
        }
    }
    return counts;
}

TEST(Soak, AMillionEventsWithEveryServiceOnKeepEveryInvariant) {
    const Clock::time_point started = Clock::now();
    Soak soak;
    soak.run();
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const Counts& c = soak.counts();
    std::printf("soak: %llu events in %.1f s (%llu moves, %llu kills, %llu commands, %llu entered, "
                "%llu left, %llu zone answers, %llu ticks); %llu records sent and checked, "
                "%llu gold.log changes audited; lines sent:",
                static_cast<unsigned long long>(c.events), seconds,
                static_cast<unsigned long long>(c.moves), static_cast<unsigned long long>(c.kills),
                static_cast<unsigned long long>(c.commands),
                static_cast<unsigned long long>(c.entered), static_cast<unsigned long long>(c.left),
                static_cast<unsigned long long>(c.reactions),
                static_cast<unsigned long long>(c.ticks),
                static_cast<unsigned long long>(soak.watch().linesChecked()),
                static_cast<unsigned long long>(soak.audit().goldLines()));
    for (std::size_t i = 0; i < tallied.size(); ++i) {
        std::printf(" \"%s\" %llu", tallied[i], static_cast<unsigned long long>(c.lines[i]));
        EXPECT_GT(c.lines[i], 0u) << "no line begins with " << tallied[i];
    }
    std::printf("\n");
    EXPECT_GE(c.events, eventsWanted);
    // The session is the same at every run: the page quotes its counts.
    const std::vector<std::uint64_t> played = {c.events,
                                               c.moves,
                                               c.kills,
                                               c.commands,
                                               c.entered,
                                               c.left,
                                               c.reactions,
                                               c.ticks,
                                               soak.watch().linesChecked(),
                                               soak.audit().goldLines()};
    EXPECT_EQ(countsThePageQuotes(), played) << "docs/reliability.md quotes other counts";
    // The session must have exercised what the invariants watch.
    EXPECT_GT(soak.audit().goldLines(), 10000u);
    EXPECT_GT(c.left, 100u);
    for (const std::string& fault : soak.faults()) {
        ADD_FAILURE() << fault;
    }
    for (const std::string& fault : soak.audit().faults()) {
        ADD_FAILURE() << "gold: " << fault;
    }
    for (const std::string& fault : soak.watch().faults()) {
        ADD_FAILURE() << "departed: " << fault;
    }
}

} // namespace
} // namespace quorvel::testing
