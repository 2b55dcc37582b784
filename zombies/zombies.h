// The zombies game: settings and staff commands, and the rounds.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

// Ghoulset.ini, read at the handshake and written at Terminate.
void loadZombieSettings(BotSpawn& spawn);
void saveZombieSettingsAtExit(BotSpawn& spawn);

// Round rules, called only while the zombies functions are on.
void runZombiesTick(BotSpawn& spawn);
void zombiesPlayerEntering(BotSpawn& spawn, const PlayerRecord& player);
void zombiesPlayerKilled(BotSpawn& spawn, const PlayerRecord& killed, const PlayerRecord& killer);
void zombiesShipChanged(BotSpawn& spawn, const PlayerRecord& player);
void zombiesTeamChanged(BotSpawn& spawn, const PlayerRecord& player);
// A player went into spectator mode or is leaving during a round.
enum class ZombieExit { Spectating, Leaving };
void zombiesPlayerGone(BotSpawn& spawn, const PlayerRecord& player, ZombieExit how);
// Forget every reference to a player who leaves.
void zombiesForgetPlayer(BotSpawn& spawn, const PlayerRecord& player);
// The bot is leaving the arena: a running round is called off and the
// arena unlocked, and a countdown starts again from 0 after the next join.
void zombiesBotLeaving(BotSpawn& spawn);

bool zombiesOn(const BotSpawn& spawn);
bool zombieRoundRunning(const BotSpawn& spawn);

void commandZon(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandZoff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandZship(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandHship(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandZteam(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandHteam(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandZsave(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandZload(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandZstatus(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
