#include "module/lifecycle.h"

#include "base/messages/senders.h"
#include "flaggame/flag_game.h"
#include "gold/file_economy.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"
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
    // The first bot of the folder opens its economy (gold.dat, inv.dat and
    // what gold.log adds); every later one joins what is loaded. A bot that
    // shakes hands again keeps its seat: what is in play is newer than the
    // files.
    if (!spawn.economy) {
        openFileEconomy(spawn.economy, spawn.handle, *spawn.files,
                        [&spawn](std::string_view text) { sendConsole(spawn, text); });
    }
    spawn.storeOn = spawn.storeOn && spawn.economy;
    loadZombieSettings(spawn);
    spawn.accepted = true;
    spawn.autosaveCountdown = spawn.autosaveInterval;
}

// gold.dat and inv.dat, saved by this bot: the shared accounts and records,
// so no other bot's change is written over.
void saveEconomy(BotSpawn& spawn, std::string_view why) {
    EconomyStore::Cause saving(*spawn.economy, spawn.handle, why, "-");
    spawn.economy->saveGold();
    spawn.economy->saveInventory();
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
    // A bot whose handshake never came, or was refused, loaded nothing and
    // saves nothing.
    if (spawn.economy) {
        EconomyStore::Cause saving(*spawn.economy, spawn.handle, "terminate", "-");
        spawn.economy->saveInventory();
        spawn.economy->saveGold();
    }
    if (spawn.accepted) {
        saveZombieSettingsAtExit(spawn);
    }
    sendConsole(spawn, disconnectedText);
    // The bot leaves its folder's economy; the last one to leave closes it
    // (and frees the folder's lock), so a new handshake reads the files
    // again, which hold everything by now.
    spawn.economy.leave();
    spawn.storeOn = false;
}

void runTick(BotSpawn& spawn) {
    ++spawn.secondsRun;
    sendQueuedLines(spawn);
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
    // The countdown starts again whether or not the store is on, so
    // autosaving goes on once it is switched back on.
    if (spawn.autosaveCountdown == 0) {
        if (spawn.storeOn) {
            sendConsole(spawn, autosaveText);
            saveEconomy(spawn, "autosave");
        }
        spawn.autosaveCountdown = spawn.autosaveInterval;
    }
    if (spawn.economy) {
        spawn.economy->sync();
    }
    runWarpFilesTick(spawn);
}

void forgetLeavingPlayer(BotSpawn& spawn, const PlayerRecord& player) {
    if (spawn.me == &player) {
        spawn.me = nullptr;
    }
}

} // namespace quorvel
