// What a service declares so that the module can run it without knowing
// its insides: its state (a Service, which keeps the bot it talks through),
// its "!" commands with their help lines, and one step per event it takes.
// Each service fills one ServiceTable in a file of its own; the module
// calls the steps in the order it keeps for each event.
#pragma once

#include <quorvel/host_abi.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace quorvel {

struct Bot;

enum OperatorLevel : std::uint32_t {
    Player = 0,
    Limited = 1,
    Mod = 2,
    SMod = 3,
    SOp = 4,
    Owner = 5,
    Duke = 6,
    Baron = 7,
    King = 8,
    Emperor = 9,
    RockStar = 10,
    Q = 11,
    God = 12
};

// The state of one service of one bot.
struct Service {
    explicit Service(Bot& ownBot) : bot(ownBot) {}
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    Bot& bot;
};

// One "!" command: its name as typed (A to Z folded), the lowest operator
// level that may use it, what it does with the text typed after the name,
// and the lines "!help NAME" answers (none: it has no topic).
struct Command {
    std::string_view name;
    std::uint32_t lowestLevel = Player;
    void (*run)(Service& service, const PlayerRecord& sender, std::string_view text) = nullptr;
    std::array<std::string_view, 3> topic{};
};

// The service's lines in the command lists of "!help"; empty: none.
struct HelpLists {
    std::string_view player;     // a player's plain "!help"
    std::string_view staff;      // a Mod's plain "!help"
    std::string_view staffTopic; // "!help mod" and "!help all"
    std::string_view sop;        // an SOp's plain "!help", "!help sop" and "!help all"
};

// What the service does on each event; a step left empty is not taken.
struct EventSteps {
    void (*started)(Service&) = nullptr;  // an accepted handshake
    void (*stopping)(Service&) = nullptr; // Terminate after an accepted handshake: save
    void (*stopped)(Service&) = nullptr;  // Terminate, after the goodbye: let go of what is shared
    void (*arenaJoined)(Service&) = nullptr;
    void (*arenaLeft)(Service&) = nullptr;
    void (*playerEntering)(Service&, const PlayerRecord& player) = nullptr;
    void (*playerMoved)(Service&, const PlayerRecord& player) = nullptr;
    void (*playerKilled)(Service&, const PlayerRecord& killed,
                         const PlayerRecord& killer) = nullptr;
    void (*playerShipChanged)(Service&, const PlayerRecord& player) = nullptr;
    void (*playerSpectating)(Service&, const PlayerRecord& player) = nullptr;
    void (*playerTeamChanged)(Service&, const PlayerRecord& player) = nullptr;
    void (*playerLeaving)(Service&, const PlayerRecord& player) = nullptr;
    void (*arenaMessage)(Service&, std::string_view text) = nullptr;
    void (*flagGameWon)(Service&, Word team) = nullptr;
    void (*prizeRefresh)(Service&) = nullptr;
    void (*goalScored)(Service&, Word team) = nullptr;
    void (*tick)(Service&) = nullptr; // once a second
};

struct ServiceTable {
    std::string_view name;
    std::span<const Command> commands;
    HelpLists help;
    EventSteps steps;
};

// A service's own function, taking its own state, in a slot of its table:
// step<rabbitMoved> is rabbitMoved called with the RabbitGame the slot is
// given.
template <auto F> struct StepOf;
template <class State, class... Args, void (*F)(State&, Args...)> struct StepOf<F> {
    static void call(Service& service, Args... args) { F(static_cast<State&>(service), args...); }
};
template <auto F> inline constexpr auto step = &StepOf<F>::call;

} // namespace quorvel
