// What a service declares so that the module can run it without knowing
// its insides: its state (a Service, which keeps the bot it talks through),
// its "!" commands with their help lines, one step per event it takes, and
// the keys of quorvel.ini it reads. Each service fills one ServiceTable, made
// for its own state, in a file of its own; the module calls the steps in the
// order it keeps for each event.
#pragma once

#include <quorvel/host_abi.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

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
template <class State> struct Command {
    std::string_view name;
    std::uint32_t lowestLevel = Player;
    void (*run)(State& service, const PlayerRecord& sender, std::string_view text) = nullptr;
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
template <class State> struct EventSteps {
    void (*started)(State&) = nullptr;  // an accepted handshake
    void (*stopping)(State&) = nullptr; // Terminate after an accepted handshake: save
    void (*stopped)(State&) = nullptr;  // Terminate, after the goodbye: let go of what is shared
    void (*arenaJoined)(State&) = nullptr;
    void (*arenaLeft)(State&) = nullptr;
    void (*playerEntering)(State&, const PlayerRecord& player) = nullptr;
    void (*playerMoved)(State&, const PlayerRecord& player) = nullptr;
    void (*playerKilled)(State&, const PlayerRecord& killed, const PlayerRecord& killer) = nullptr;
    void (*playerShipChanged)(State&, const PlayerRecord& player) = nullptr;
    void (*playerSpectating)(State&, const PlayerRecord& player) = nullptr;
    void (*playerTeamChanged)(State&, const PlayerRecord& player) = nullptr;
    void (*playerLeaving)(State&, const PlayerRecord& player) = nullptr;
    void (*arenaMessage)(State&, std::string_view text) = nullptr;
    void (*flagGameWon)(State&, Word team) = nullptr;
    void (*prizeRefresh)(State&) = nullptr;
    void (*goalScored)(State&, Word team) = nullptr;
    void (*tick)(State&) = nullptr; // once a second
};

// What a value of quorvel.ini may be; outside that, its default is used.
enum class SettingLimit {
    anyNumber,
    // A price: compared with balances as an unsigned amount, a negative one
    // would be a price of about four thousand million.
    notNegative,
};

// One number of quorvel.ini that a service reads: where it is in the file,
// what a missing or refused value gives, what it may be, the number of the
// service's state it lands in, and what the service does when an edit of
// the file changes that number while the bot runs (nothing: the number is
// read where it is used). Made with settingKey<>.
template <class State> struct SettingKey {
    std::string_view section;
    std::string_view key;
    std::int32_t fallback = 0;
    SettingLimit limit = SettingLimit::anyNumber;
    std::int32_t& (*field)(State&) = nullptr;
    void (*changed)(State&) = nullptr;
};

namespace detail {
template <class Member> struct MemberOf;
template <class Type, class Holding> struct MemberOf<Type Holding::*> { using Holder = Holding; };
// The number at the end of `Path`: state.*first.*second...
template <class State, auto... Path> std::int32_t& reach(State& state) {
    return (state.*....*Path);
}
template <auto First, auto... Rest> constexpr auto lastOf() {
    if constexpr (sizeof...(Rest) == 0) {
        return First;
    } else {
        return lastOf<Rest...>();
    }
}
} // namespace detail

// The key [section] key of quorvel.ini, whose value lands at the end of
// `Path` in the state: a member of the state (or of one of its bases), or a
// member of one of its members. Its default is that number's initial value
// in its own struct, so the default is written once, where the number is
// declared; that struct must be made without arguments.
template <class State, auto... Path>
constexpr SettingKey<State> settingKey(std::string_view section, std::string_view key,
                                       SettingLimit limit = SettingLimit::anyNumber,
                                       void (*changed)(State&) = nullptr) {
    static_assert(sizeof...(Path) > 0, "a key lands in a number of the state");
    constexpr auto last = detail::lastOf<Path...>();
    using Holder = typename detail::MemberOf<std::remove_cv_t<decltype(last)>>::Holder;
    return {section, key, Holder{}.*last, limit, &detail::reach<State, Path...>, changed};
}

// A service's table, made for its state: every command, step and key in it
// takes that state, and the module can only pair it with that state.
template <class State> struct ServiceTable {
    using StateType = State;

    std::string_view name;
    std::span<const Command<State>> commands;
    HelpLists help;
    EventSteps<State> steps;
    std::span<const SettingKey<State>> settings;
};

} // namespace quorvel
