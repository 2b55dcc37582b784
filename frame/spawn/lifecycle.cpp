#include "frame/spawn/lifecycle.h"

#include "flaggame/flag_game.h"
#include "frame/messages/senders.h"
#include "frame/settings/plugin_settings.h"
#include "frame/spawn/bot_spawn.h"
#include "gold/gold_files.h"
#include "gold/journal_recovery.h"
#include "rabbit/rabbit.h"
#include "zombies/zombies.h"

namespace quorvel {
namespace {

constexpr Word supportedMajor = 6;
constexpr Word lowestMinor = 1;

constexpr const char* connectedText = "DLL plugin connected.";
constexpr const char* outOfDateText = "DLL plugin cannot connect.  This plugin is out of date.";
constexpr const char* needsLatestText =
    "DLL plugin cannot connect.  This plugin requires the latest version of MERVBot.";
constexpr const char* disconnectedText = "DLL plugin disconnected.";
constexpr const char* autosaveText = "AutoSave...";

void startSpawn(BotSpawn& spawn) {
    sendConsole(spawn, connectedText);
    loadSettings(spawn);
    spawn.inventory.clear();
    loadInventoryFile(spawn);
    // gold.dat replaces the accounts held, as inv.dat replaces the records:
    // a host that reconnects the bot would otherwise double the ledger, and
    // gold.dat with it, at every reconnect. Changes since the last save come
    // back from gold.log below.
    loadGoldFile(spawn, LoadMode::replace);
    recoverFromJournal(spawn);
    loadZombieSettings(spawn);
    spawn.autosaveCountdown = spawn.autosaveInterval;
}

} // namespace

void receiveHandshake(BotSpawn& spawn, const BotEvent& event) {
    const auto version = static_cast<std::uint32_t>(event.value[0]);
    const Word major = version >> 16;
    const Word minor = version & 0xFFFFu;
    spawn.hostCallback = reinterpret_cast<HostCallback>(event.value[1]);
    spawn.players = reinterpret_cast<const HostList*>(event.value[2]);
    spawn.flags = reinterpret_cast<const HostList*>(event.value[3]);
    if (major > supportedMajor) {
        sendConsole(spawn, outOfDateText);
        spawn.stopped = true;
    } else if (major < supportedMajor || minor < lowestMinor) {
        sendConsole(spawn, needsLatestText);
        spawn.stopped = true;
    } else {
        startSpawn(spawn);
    }
}

void terminateSpawn(BotSpawn& spawn) {
    saveInventoryFile(spawn);
    saveGoldFile(spawn);
    saveZombieSettingsAtExit(spawn);
    sendConsole(spawn, disconnectedText);
}

void runTick(BotSpawn& spawn) {
    --spawn.flagWatch.jackpotCountdown;
    --spawn.autosaveCountdown;
    --spawn.rabbitGame.rabbitCountdown;
    --spawn.rabbitGame.safetyCountdown;
    // Taken before the rabbit clock runs: a rabbit started by this tick's
    // clock also has a safety countdown of 0 and has not overstayed.
    const bool safetyRanOut = spawn.rabbitGame.safetyCountdown == 0;

    runJackpotStep(spawn);
    if (hasRabbit(spawn)) {
        runRabbitClock(spawn);
    }
    runRabbitSafetyZone(spawn, safetyRanOut);
    if (zombiesOn(spawn)) {
        runZombiesTick(spawn);
    }
    if (spawn.autosaveCountdown == 0 && spawn.storeOn) {
        sendConsole(spawn, autosaveText);
        saveGoldFile(spawn);
        saveInventoryFile(spawn);
        spawn.autosaveCountdown = spawn.autosaveInterval;
    }
    spawn.journal.syncToDisk();
}

void reportJournalProblem(BotSpawn& spawn) {
    if (auto problem = spawn.journal.takeProblem()) {
        sendConsole(spawn, *problem);
    }
}

void forgetLeavingPlayer(BotSpawn& spawn, const PlayerRecord& player) {
    if (spawn.me == &player) {
        spawn.me = nullptr;
    }
}

} // namespace quorvel
