// The services of the module, from the one list in bot_spawn.h, and the
// order in which they take each event.
#pragma once

#include "module/bot_spawn.h"
#include "module/event_routes.h"

namespace quorvel {

#define QUORVEL_SERVICE_ENTRY(member, table, ...) , ServiceEntry<&BotSpawn::member, table>
using Services = DropStart<ServiceList<ListStart QUORVEL_SERVICES(QUORVEL_SERVICE_ENTRY)>>::type;
#undef QUORVEL_SERVICE_ENTRY

inline constexpr std::size_t serviceCount = Services::size;

// The order in which the services take an event is the order in which
// their lines reach the zone, so it is kept here and nowhere else.
//
// On every event they go as listed: the flag game, the rabbit, the ship
// checker, the warps, the zombies game, gold. A killed rabbit is handed on,
// the killed player warped back to his freq's place and a killed human
// turned into a zombie before the kill is paid in gold. On a new ship or
// freq, the ship checker's "*setship" goes out before the player is warped
// for his freq.
inline constexpr Order<serviceCount> inPlay = listOrder<serviceCount>();

// Gold goes first at the handshake, at Terminate and for an entering
// player: the folder's economy is opened before Ghoulset.ini is read and
// saved before it, and an entering player is greeted (his balance, his
// inventory) before the checker, the warps or the zombies game move him.
// The module's own service stays before it.
inline constexpr Order<serviceCount> goldFirst =
    movedTo(inPlay, Services::indexOf<&BotSpawn::gold>(), 1);

// On the tick: the jackpot, the rabbit's clock, the zombies round, the
// autosave, then the warp files are looked at again, so what they tell the
// console comes after the second's game lines.
inline constexpr Order<serviceCount> tickOrder =
    movedTo(inPlay, Services::indexOf<&BotSpawn::autoWarper>(), serviceCount - 1);

static_assert(Services::indexOf<&BotSpawn::own>() == 0, "the module's own service comes first");
static_assert(holdsEachOnce(inPlay), "every service takes an event in play once");
static_assert(holdsEachOnce(goldFirst), "every service takes an event once with gold first");
static_assert(holdsEachOnce(tickOrder), "every service takes the tick once");

// Each event: the step it calls in a table, and the order it is taken in.
namespace on {
#define QUORVEL_EVENT(Name, step_, order_)                                                         \
    struct Name {                                                                                  \
        static constexpr const auto& order = order_;                                               \
        template <class State> static constexpr auto step = &EventSteps<State>::step_;             \
    };
QUORVEL_EVENT(Started, started, goldFirst)
QUORVEL_EVENT(Stopping, stopping, goldFirst)
QUORVEL_EVENT(Stopped, stopped, goldFirst)
QUORVEL_EVENT(ArenaJoined, arenaJoined, inPlay)
QUORVEL_EVENT(ArenaLeft, arenaLeft, inPlay)
QUORVEL_EVENT(PlayerEntering, playerEntering, goldFirst)
QUORVEL_EVENT(PlayerMoved, playerMoved, inPlay)
QUORVEL_EVENT(PlayerKilled, playerKilled, inPlay)
QUORVEL_EVENT(PlayerShipChanged, playerShipChanged, inPlay)
QUORVEL_EVENT(PlayerSpectating, playerSpectating, inPlay)
QUORVEL_EVENT(PlayerTeamChanged, playerTeamChanged, inPlay)
QUORVEL_EVENT(PlayerLeaving, playerLeaving, inPlay)
QUORVEL_EVENT(ArenaMessage, arenaMessage, inPlay)
QUORVEL_EVENT(FlagGameWon, flagGameWon, inPlay)
QUORVEL_EVENT(PrizeRefresh, prizeRefresh, inPlay)
QUORVEL_EVENT(GoalScored, goalScored, inPlay)
QUORVEL_EVENT(Tick, tick, tickOrder)
#undef QUORVEL_EVENT
} // namespace on

// Every service that takes `Event`, in its order, with its own state.
template <class Event, class... Args> void route(BotSpawn& spawn, const Args&... args) {
    runEvent<Services, Event::order, Event>(spawn, args...);
}

// Visits every service in the order of the list with its table and state,
// until `visit` answers true; answers whether one did.
template <class Visit> bool anyService(BotSpawn& spawn, Visit&& visit) {
    return visitServices<Services>(spawn, visit);
}

// Calls `use(command, state)` with the command called `name` (names are
// unique across the services) and its service's state; answers whether
// there is one.
template <class Use> bool withCommand(BotSpawn& spawn, std::string_view name, Use&& use) {
    return anyService(spawn, [&](const auto& table, auto& state) {
        for (const auto& command : table.commands) {
            if (command.name == name) {
                use(command, state);
                return true;
            }
        }
        return false;
    });
}

} // namespace quorvel
