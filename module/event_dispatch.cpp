#include "module/event_dispatch.h"

#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "flaggame/flag_game.h"
#include "gold/awards.h"
#include "module/bot_spawn.h"
#include "module/commands.h"
#include "module/lifecycle.h"
#include "rabbit/rabbit.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombies.h"

namespace quorvel {
namespace {

const PlayerRecord& playerAt(const BotEvent& event, int slot) {
    return *reinterpret_cast<const PlayerRecord*>(event.value[slot]);
}

const ChatCommand& commandAt(const BotEvent& event, int slot) {
    return *reinterpret_cast<const ChatCommand*>(event.value[slot]);
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
        spawn.me = &playerAt(event, 1);
        if (spawn.storeOn) {
            for (const PlayerRecord& player : playersOf(spawn)) {
                greetPlayer(spawn, player);
            }
        }
        break;
    case ArenaLeft:
        spawn.me = nullptr;
        dropQueuedLines(spawn);
        forgetRabbit(spawn);
        zombiesBotLeaving(spawn);
        spawn.playerTags.removeAll();
        break;
    case PlayerEntering: {
        const PlayerRecord& player = playerAt(event, 0);
        if (spawn.storeOn) {
            greetPlayer(spawn, player);
        }
        if (spawn.shipChecker.shipCheckOn) {
            checkShip(spawn, player);
        }
        if (spawn.autoWarper.teamWarpOn) {
            warpTeam(spawn, player);
        }
        if (zombiesOn(spawn)) {
            zombiesPlayerEntering(spawn, player);
        }
        break;
    }
    case PlayerMoved: {
        const PlayerRecord& player = playerAt(event, 0);
        watchAntiwarp(spawn, player);
        if (isRabbit(spawn, player)) {
            rabbitMoved(spawn, player);
        }
        if (spawn.autoWarper.areaWarpOn) {
            warpArea(spawn, player);
        }
        if (spawn.autoWarper.insertWarpOn) {
            checkInsertWarp(spawn, player);
        }
        break;
    }
    case PlayerKilled: {
        const PlayerRecord& killed = playerAt(event, 0);
        const PlayerRecord& killer = playerAt(event, 1);
        if (isRabbit(spawn, killed)) {
            rabbitKilled(spawn, killed, killer);
        }
        if (spawn.autoWarper.teamWarpOn) {
            warpTeam(spawn, killed);
        }
        if (zombiesOn(spawn) && zombieRoundRunning(spawn)) {
            zombiesPlayerKilled(spawn, killed, killer);
        }
        if (spawn.storeOn) {
            awardKill(spawn, killed, killer);
        }
        break;
    }
    case PlayerShipChanged: {
        const PlayerRecord& player = playerAt(event, 0);
        if (isRabbit(spawn, player)) {
            refreshRabbitBounty(spawn);
        }
        if (spawn.shipChecker.shipCheckOn) {
            checkShip(spawn, player);
        }
        if (spawn.autoWarper.teamWarpOn) {
            warpTeam(spawn, player);
        }
        if (zombiesOn(spawn)) {
            zombiesShipChanged(spawn, player);
        }
        break;
    }
    case PlayerSpectating: {
        const PlayerRecord& player = playerAt(event, 0);
        if (isRabbit(spawn, player)) {
            replaceRabbit(spawn, player);
        }
        if (zombiesOn(spawn) && zombieRoundRunning(spawn)) {
            zombiesPlayerGone(spawn, player, ZombieExit::Spectating);
        }
        break;
    }
    case PlayerTeamChanged: {
        const PlayerRecord& player = playerAt(event, 0);
        if (isRabbit(spawn, player)) {
            refreshRabbitBounty(spawn);
        }
        if (spawn.shipChecker.shipCheckOn) {
            checkShip(spawn, player);
        }
        if (spawn.autoWarper.teamWarpOn) {
            warpTeam(spawn, player);
        }
        if (zombiesOn(spawn)) {
            zombiesTeamChanged(spawn, player);
        }
        break;
    }
    case PlayerLeaving: {
        const PlayerRecord& player = playerAt(event, 0);
        spawn.playerTags.removePlayer(&player);
        dropQueuedLinesTo(spawn, player);
        if (isRabbit(spawn, player)) {
            replaceRabbit(spawn, player);
        }
        if (zombiesOn(spawn) && zombieRoundRunning(spawn)) {
            zombiesPlayerGone(spawn, player, ZombieExit::Leaving);
        }
        zombiesForgetPlayer(spawn, player);
        forgetLeavingPlayer(spawn, player);
        break;
    }
    case ChatMessage:
        if (event.value[0] == ArenaMessage && event.value[3] != 0) {
            readJackpotAnswer(spawn, reinterpret_cast<const char*>(event.value[3]));
        }
        break;
    case CommandTyped:
        if (event.value[0] != 0 && event.value[1] != 0) {
            handleCommand(spawn, playerAt(event, 0), commandAt(event, 1));
        }
        break;
    case HelpRequested:
        if (event.value[0] != 0 && event.value[1] != 0) {
            handleHelp(spawn, playerAt(event, 0), commandAt(event, 1));
        }
        break;
    case FlagGameWon:
        announceFlagVictory(spawn, event.value[0]);
        break;
    case PrizeRefresh:
        if (hasRabbit(spawn)) {
            refreshRabbitBounty(spawn);
        }
        break;
    case GoalScored:
        if (spawn.storeOn) {
            awardGoal(spawn, event.value[0]);
        }
        break;
    default:
        break;
    }
}

} // namespace quorvel
