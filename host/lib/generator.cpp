#include "lib/generator.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

namespace quorvel::host {

namespace {

using Clock = std::chrono::steady_clock;

// The example arena's values: the store on, two freq places, one warp area.
constexpr const char* quorvelIni = "[Settings]\nInventory=1\nMaxWarpTeams=2\nMaxWarpAreas=1\n"
                                   "[Gold]\nFlagVictory=100\nSoccerGoal=25\nKill=2\nTeamKill=5\n"
                                   "AntiInCenter=5\n"
                                   "[Store]\nFlags=500\nArena=500\nPoints=500\nBounty=400\n"
                                   "MultiFire=150\nSuper=150\nShield=150\nMultiPrize=150\n"
                                   "Thor=100\nPortal=100\nGunUpgrade=300\nBombUpgrade=350\n"
                                   "ScoreReset=50\n";
constexpr const char* warpTeamIni = "400 512\n624 512\n10 10 30 30\n";
constexpr const char* warpAreaIni = "100 100 120 120 512 512\n";
// Zombies on freqs of their own (humans 3 in Warbirds, zombies 4 in
// Leviathans): the ship checker keeps freqs 0 to 2 to its line-up, and a
// zombie freq among them would have the two services correct each other's
// "*setship" for ever.
constexpr const char* ghoulsetIni = "3 1\n4 4\n0 0 0 0";

// What players type, drawn evenly; NAME is another player.
constexpr std::array<const char*, 12> playerCommands = {
    "!gold",   "!buy",     "!buy use guns", "!buy inv thor", "!buy use shield", "!lendgold NAME:5",
    "!status", "!zstatus", "!inv",          "!gratio",       "!buy arena gg",   "!help"};

// The staff's switches: every service on.
constexpr std::array<const char*, 8> staffSwitches = {"!ion",     "!check", "!twarpon", "!awarpon",
                                                      "!iwarpon", "!start", "!zon",     "!newpick"};

class Generator {
public:
    Generator(Session& session, const GenerateOptions& options)
        : session_(session), options_(options), random_(options.seed) {}

    GenerateResult run() {
        auto start = Clock::now();
        for (const char* file : {"gold.dat", "inv.dat", "gold.log", "gold.log.1"}) {
            std::error_code ec;
            if (std::filesystem::exists(file, ec)) {
                result_.economyAtStart.emplace_back(file);
            }
        }
        setUp();
        for (std::int64_t second = 0; second < options_.seconds; ++second) {
            playSecond(second);
        }
        Action terminate;
        terminate.kind = ActionKind::Terminate;
        play(terminate);
        result_.wall = Clock::now() - start;
        result_.ticks = session_.ticks();
        result_.eventsSent = session_.eventsSent();
        result_.recordsReceived = session_.recordsReceived();
        result_.inTalk = session_.timeInTalk();
        return result_;
    }

private:
    Session& session_;
    GenerateOptions options_;
    std::mt19937 random_;
    GenerateResult result_;
    std::vector<std::string> roster_; // the generated players now in the arena
    std::uint64_t nextPilot_ = 1;
    std::int32_t jackpot_ = 1000;

    // Even draws from 0 to n - 1, the same on every standard library.
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(random_() % n); }
    bool chance(std::uint32_t oneIn) { return below(oneIn) == 0; }

    void play(const Action& a) {
        ++result_.actions;
        try {
            session_.run(a);
        } catch (const ScriptError& e) {
            throw ScriptError("at second " + std::to_string(session_.ticks()) + ", action " +
                              std::to_string(result_.actions) + " (" + describe(a) +
                              "): " + e.what());
        }
    }

    static std::string describe(const Action& a) {
        switch (a.kind) {
        case ActionKind::Move:
            return "move " + a.name + " " + std::to_string(*a.fields.tileX) + " " +
                   std::to_string(*a.fields.tileY) +
                   (a.fields.antiwarp.value_or(false) ? " antiwarp=on" : "");
        case ActionKind::Kill:
            return "kill " + a.name + " " + a.other;
        case ActionKind::Ship:
            return "ship " + a.name + " " + shipText(*a.fields.ship);
        case ActionKind::Freq:
            return "freq " + a.name + " " + std::to_string(*a.fields.freq);
        case ActionKind::Type:
            return a.name + " " + a.text;
        case ActionKind::Enter:
            return "enter " + a.name;
        case ActionKind::Leave:
            return "leave " + a.name;
        default:
            return "action kind " + std::to_string(static_cast<int>(a.kind));
        }
    }

    void writeFile(const std::string& name, const std::string& contents) {
        Action a;
        a.kind = ActionKind::WriteFile;
        a.name = name;
        a.text = contents;
        play(a);
    }

    void type(const std::string& name, const std::string& text) {
        Action a;
        a.kind = ActionKind::Type;
        a.name = name;
        a.text = text;
        play(a);
        ++result_.commands;
    }

    PlayerRecord& record(const std::string& name) { return session_.arena().find(name)->record; }

    void setUp() {
        Action env;
        env.kind = ActionKind::Environment;
        env.name = "QUORVEL_RANDOM_SEED";
        env.text = std::to_string(options_.seed);
        play(env);
        writeFile("quorvel.ini", std::string(quorvelIni) + options_.extraIni);
        writeFile("WarpTeam.ini", warpTeamIni);
        writeFile("WarpArea.ini", warpAreaIni);
        writeFile("Ghoulset.ini", ghoulsetIni);

        Action handshake;
        handshake.kind = ActionKind::Handshake;
        handshake.numbers = {(6 << 16) | 1};
        play(handshake);
        Action join;
        join.kind = ActionKind::Join;
        play(join);
        Action staff;
        staff.kind = ActionKind::Enter;
        staff.name = "Warden";
        staff.fields.access = 2; // Mod
        staff.fields.freq = 9;
        play(staff);
        Action jackpot;
        jackpot.kind = ActionKind::Jackpot;
        jackpot.numbers = {jackpot_};
        play(jackpot);

        for (int i = 0; i < options_.players; ++i) {
            enterPilot();
        }
        for (const char* line : staffSwitches) {
            type("Warden", line);
        }
        drain();
    }

    void enterPilot() {
        Action a;
        a.kind = ActionKind::Enter;
        a.name = "Pilot" + std::to_string(nextPilot_++);
        a.fields.freq = static_cast<std::uint16_t>(below(5));
        a.fields.ship = static_cast<std::uint8_t>(below(9)); // 8 is spectator mode
        a.fields.tileX = static_cast<std::int32_t>(200 + below(624));
        a.fields.tileY = static_cast<std::int32_t>(200 + below(624));
        roster_.push_back(a.name);
        play(a);
        ++result_.entered;
    }

    void leavePilot(std::size_t index) {
        Action a;
        a.kind = ActionKind::Leave;
        a.name = roster_[index];
        roster_[index] = roster_.back();
        roster_.pop_back();
        play(a);
        ++result_.left;
    }

    void move(const std::string& name) {
        const PlayerRecord& r = record(name);
        Action a;
        a.kind = ActionKind::Move;
        a.name = name;
        std::int32_t x = r.tileX;
        std::int32_t y = r.tileY;
        std::uint32_t place = below(1000);
        if (place < 3) {
            // into the centre with anti-warp on
            x = 509 + static_cast<std::int32_t>(below(7));
            y = 509 + static_cast<std::int32_t>(below(7));
            a.fields.antiwarp = true;
        } else if (place < 5) {
            x = 105 + static_cast<std::int32_t>(below(10)); // the warp area
            y = 105 + static_cast<std::int32_t>(below(10));
        } else if (place < 7) {
            x = 15 + static_cast<std::int32_t>(below(10)); // the insert rectangle
            y = 15 + static_cast<std::int32_t>(below(10));
        } else {
            x = std::clamp(x + static_cast<std::int32_t>(below(7)) - 3, 0, 1023);
            y = std::clamp(y + static_cast<std::int32_t>(below(7)) - 3, 0, 1023);
            if (place < 50) {
                a.fields.antiwarp = false;
            }
        }
        a.fields.tileX = x;
        a.fields.tileY = y;
        play(a);
        ++result_.moves;
    }

    void kill() {
        std::vector<const std::string*> inShips;
        for (const std::string& name : roster_) {
            if (record(name).ship != 8) {
                inShips.push_back(&name);
            }
        }
        if (inShips.size() < 2) {
            return;
        }
        auto killer = below(static_cast<std::uint32_t>(inShips.size()));
        auto killed = below(static_cast<std::uint32_t>(inShips.size() - 1));
        if (killed >= killer) {
            ++killed;
        }
        Action a;
        a.kind = ActionKind::Kill;
        a.name = *inShips[killer];
        a.other = *inShips[killed];
        play(a);
        ++result_.kills;
    }

    void changeShip(const std::string& name) {
        auto ship = static_cast<std::uint8_t>(below(9));
        if (record(name).ship == ship) {
            return;
        }
        Action a;
        a.kind = ActionKind::Ship;
        a.name = name;
        a.fields.ship = ship;
        play(a);
        ++result_.shipChanges;
    }

    void changeFreq(const std::string& name) {
        auto freq = static_cast<std::uint16_t>(below(5));
        if (record(name).team == freq) {
            return;
        }
        Action a;
        a.kind = ActionKind::Freq;
        a.name = name;
        a.fields.freq = freq;
        play(a);
        ++result_.freqChanges;
    }

    void typeCommand(const std::string& name) {
        std::string line = playerCommands[below(playerCommands.size())];
        if (auto at = line.find("NAME"); at != std::string::npos) {
            line.replace(at, 4, roster_[below(static_cast<std::uint32_t>(roster_.size()))]);
        }
        type(name, line);
    }

    // The lines already checked by nobody: a long session keeps none.
    void drain() {
        Action a;
        a.kind = ActionKind::Skip;
        a.numbers = {-1};
        play(a);
    }

    void playSecond(std::int64_t second) {
        for (int m = 0; m < options_.movesPerSecond; ++m) {
            for (std::size_t i = 0; i < roster_.size(); ++i) {
                move(roster_[i]);
            }
        }
        // About one kill a second for every twenty players.
        for (int k = 0; k < std::max(1, options_.players / 20); ++k) {
            kill();
        }
        for (std::size_t i = 0; i < roster_.size(); ++i) {
            std::string name = roster_[i];
            if (chance(100)) {
                changeShip(name);
            }
            if (chance(200)) {
                changeFreq(name);
            }
            if (chance(50)) {
                typeCommand(name);
            }
        }
        if (!roster_.empty() && chance(10)) {
            leavePilot(below(static_cast<std::uint32_t>(roster_.size())));
        }
        if (static_cast<int>(roster_.size()) < options_.players && chance(5)) {
            enterPilot();
        }
        if (second % 60 == 59) {
            jackpot_ += static_cast<std::int32_t>(below(500));
            Action a;
            a.kind = ActionKind::Jackpot;
            a.numbers = {jackpot_};
            play(a);
        }
        if (second % 120 == 90) {
            Action a;
            a.kind = ActionKind::Goal;
            a.numbers = {static_cast<std::int64_t>(below(2))};
            play(a);
        }
        if (second % 600 == 300) {
            Action a;
            a.kind = ActionKind::FlagWin;
            a.numbers = {static_cast<std::int64_t>(below(2))};
            play(a);
        }
        if (second % 900 == 450) {
            type("Warden", "!newpick");
        }
        Action tick;
        tick.kind = ActionKind::Tick;
        tick.numbers = {1};
        play(tick);
        drain();
    }
};

std::string seconds(std::chrono::nanoseconds span) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", std::chrono::duration<double>(span).count());
    return text;
}

} // namespace

GenerateResult generateSession(Session& session, const GenerateOptions& options) {
    return Generator(session, options).run();
}

std::string describeResult(const GenerateOptions& options, const GenerateResult& r,
                           const PeakMemory& memory) {
    double wall = std::chrono::duration<double>(r.wall).count();
    double inTalk = std::chrono::duration<double>(r.inTalk).count();
    char line[160];
    std::string out;
    auto add = [&out](const std::string& label, const std::string& value) {
        out += label + std::string(label.size() < 22 ? 22 - label.size() : 1, ' ') + value + '\n';
    };
    out += "generated session: " + std::to_string(options.players) + " players, " +
           std::to_string(options.seconds) + " s, " + std::to_string(options.movesPerSecond) +
           (options.movesPerSecond == 1 ? " move" : " moves") + " a second each, seed " +
           std::to_string(options.seed) + '\n';
    add("actions played:", std::to_string(r.actions) + " (" + std::to_string(r.moves) + " moves, " +
                               std::to_string(r.kills) + " kills, " + std::to_string(r.commands) +
                               " commands, " + std::to_string(r.shipChanges) + " ship and " +
                               std::to_string(r.freqChanges) + " freq changes, " +
                               std::to_string(r.entered) + " entered, " + std::to_string(r.left) +
                               " left, " + std::to_string(r.ticks) + " ticks)");
    std::string economy;
    for (const std::string& file : r.economyAtStart) {
        economy += (economy.empty() ? "" : ", ") + file;
    }
    add("economy at start:", economy.empty() ? "none (the counts a seed fixes)"
                                             : economy + " of an earlier session (counts "
                                                         "other than a fresh folder's)");
    add("events sent to talk:", std::to_string(r.eventsSent));
    add("records received:", std::to_string(r.recordsReceived));
    add("wall time:", seconds(r.wall));
    std::snprintf(line, sizeof line, "%.0f",
                  wall > 0 ? static_cast<double>(r.eventsSent) / wall : 0.0);
    add("events per second:", line);
    std::snprintf(line, sizeof line, " (%.1f %% of the wall time)",
                  wall > 0 ? 100.0 * inTalk / wall : 0.0);
    add("time inside talk:", seconds(r.inTalk) + line);
    if (memory.bytes) {
        std::snprintf(line, sizeof line, "%.1f MiB (%s)",
                      static_cast<double>(*memory.bytes) / (1024.0 * 1024.0), memory.how.c_str());
        add("peak memory:", line);
    } else {
        add("peak memory:", memory.how);
    }
    return out;
}

} // namespace quorvel::host
