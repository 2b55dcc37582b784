#include "frame/spawn/bot_spawn.h"
#include "zombies/zombies.h"

// The zombies game lands in a following change.
namespace quorvel {
void loadZombieSettings(BotSpawn&) {}
void saveZombieSettingsAtExit(BotSpawn&) {}
void runZombiesTick(BotSpawn&) {}
void zombiesPlayerEntering(BotSpawn&, const PlayerRecord&) {}
void zombiesPlayerKilled(BotSpawn&, const PlayerRecord&, const PlayerRecord&) {}
void zombiesShipChanged(BotSpawn&, const PlayerRecord&) {}
void zombiesTeamChanged(BotSpawn&, const PlayerRecord&) {}
void zombiesPlayerGone(BotSpawn&, const PlayerRecord&, ZombieExit) {}
void zombiesForgetPlayer(BotSpawn& spawn, const PlayerRecord& player) {
    if (spawn.zombieGame.lastHuman == &player) {
        spawn.zombieGame.lastHuman = nullptr;
    }
}
bool zombiesOn(const BotSpawn& spawn) { return spawn.zombieGame.zombiesOn; }
bool zombieRoundRunning(const BotSpawn& spawn) { return spawn.zombieGame.gameRunning; }
void commandZon(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandZoff(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandZship(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandHship(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandZteam(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandHteam(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandZsave(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandZload(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandZstatus(BotSpawn&, const PlayerRecord&, std::string_view) {}
} // namespace quorvel
