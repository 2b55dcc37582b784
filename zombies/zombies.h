// The zombies game: settings and staff commands, and the rounds.
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

#include <cstdint>
#include <string_view>

namespace quorvel {

struct ZombieGame;

// Ghoulset.ini, read at the handshake (what is wrong with it told on the
// console) and written at Terminate.
void loadZombieSettings(ZombieGame& game);
void saveZombieSettingsAtExit(ZombieGame& game);

// Round rules, called only while the zombies functions are on.
void runZombiesTick(ZombieGame& game);
void zombiesPlayerEntering(ZombieGame& game, const PlayerRecord& player);
void zombiesPlayerKilled(ZombieGame& game, const PlayerRecord& killed, const PlayerRecord& killer);
void zombiesShipChanged(ZombieGame& game, const PlayerRecord& player);
void zombiesTeamChanged(ZombieGame& game, const PlayerRecord& player);
// A player went into spectator mode or is leaving during a round.
enum class ZombieExit { Spectating, Leaving };
void zombiesPlayerGone(ZombieGame& game, const PlayerRecord& player, ZombieExit how);
// Forget every reference to a player who leaves.
void zombiesForgetPlayer(ZombieGame& game, const PlayerRecord& player);
// The bot is leaving the arena: a running round is called off and the
// arena unlocked, and a countdown starts again from 0 after the next join.
void zombiesBotLeaving(ZombieGame& game);

bool zombiesOn(const ZombieGame& game);
// While the game is on it keeps the ships of its human and zombie freqs
// itself: nobody else should set a ship on them.
bool zombiesKeepShipsOf(const ZombieGame& game, std::int32_t team);
bool zombieRoundRunning(const ZombieGame& game);

void commandZon(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandZoff(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandZship(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandHship(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandZteam(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandHteam(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandZsave(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandZload(ZombieGame& game, const PlayerRecord& sender, std::string_view text);
void commandZstatus(ZombieGame& game, const PlayerRecord& sender, std::string_view text);

// The game's commands, help lines and event steps.
extern const ServiceTable<ZombieGame> zombiesTable;

} // namespace quorvel
