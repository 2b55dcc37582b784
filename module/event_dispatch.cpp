#include "module/event_dispatch.h"

#include "base/messages/senders.h"
#include "module/bot_spawn.h"
#include "module/commands.h"
#include "module/lifecycle.h"
#include "module/service_registry.h"

namespace quorvel {
namespace {

const PlayerRecord& playerAt(const BotEvent& event, int slot) {
    return *reinterpret_cast<const PlayerRecord*>(event.value[slot]);
}

const ChatCommand& commandAt(const BotEvent& event, int slot) {
    return *reinterpret_cast<const ChatCommand*>(event.value[slot]);
}

void arenaJoined(BotSpawn& spawn, const PlayerRecord& me) {
    spawn.me = &me;
    route<on::ArenaJoined>(spawn);
}

// Nothing waiting can reach anyone now, and no player of the arena is
// known any more.
void arenaLeft(BotSpawn& spawn) {
    spawn.me = nullptr;
    dropQueuedLines(spawn);
    route<on::ArenaLeft>(spawn);
    spawn.playerTags.removeAll();
}

// The player's tags and waiting lines go before the services hear of it;
// the bot's own record last.
void playerLeaving(BotSpawn& spawn, const PlayerRecord& player) {
    spawn.playerTags.removePlayer(&player);
    dropQueuedLinesTo(spawn, player);
    route<on::PlayerLeaving>(spawn, player);
    if (spawn.me == &player) {
        spawn.me = nullptr;
    }
}

void chatMessage(BotSpawn& spawn, const BotEvent& event) {
    if (event.value[0] == ArenaMessage && event.value[3] != 0) {
        const std::string_view text = reinterpret_cast<const char*>(event.value[3]);
        route<on::ArenaMessage>(spawn, text);
    }
}

bool carriesCommand(const BotEvent& event) {
    return event.value[0] != 0 && event.value[1] != 0;
}

} // namespace

void handleEvent(BotSpawn& spawn, const BotEvent& event) {
    if (spawn.stopped || event.code > LastEventCode) {
        return;
    }
    switch (event.code) {
    case Handshake:
        receiveHandshake(spawn, event);
        break;
    case Terminate:
        terminateSpawn(spawn);
        break;
    case Tick:
        runTick(spawn);
        break;
    case ArenaJoined:
        arenaJoined(spawn, playerAt(event, 1));
        break;
    case ArenaLeft:
        arenaLeft(spawn);
        break;
    case PlayerEntering:
        route<on::PlayerEntering>(spawn, playerAt(event, 0));
        break;
    case PlayerMoved:
        route<on::PlayerMoved>(spawn, playerAt(event, 0));
        break;
    case PlayerKilled:
        route<on::PlayerKilled>(spawn, playerAt(event, 0), playerAt(event, 1));
        break;
    case PlayerShipChanged:
        route<on::PlayerShipChanged>(spawn, playerAt(event, 0));
        break;
    case PlayerSpectating:
        route<on::PlayerSpectating>(spawn, playerAt(event, 0));
        break;
    case PlayerTeamChanged:
        route<on::PlayerTeamChanged>(spawn, playerAt(event, 0));
        break;
    case PlayerLeaving:
        playerLeaving(spawn, playerAt(event, 0));
        break;
    case ChatMessage:
        chatMessage(spawn, event);
        break;
    case CommandTyped:
        if (carriesCommand(event)) {
            handleCommand(spawn, playerAt(event, 0), commandAt(event, 1));
        }
        break;
    case HelpRequested:
        if (carriesCommand(event)) {
            handleHelp(spawn, playerAt(event, 0), commandAt(event, 1));
        }
        break;
    case FlagGameWon:
        route<on::FlagGameWon>(spawn, event.value[0]);
        break;
    case PrizeRefresh:
        route<on::PrizeRefresh>(spawn);
        break;
    case GoalScored:
        route<on::GoalScored>(spawn, event.value[0]);
        break;
    default:
        break;
    }
}

} // namespace quorvel
