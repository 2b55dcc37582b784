// What the round rules share: roles, counts over the host's list, the
// Zombie Master draw, turning a player and closing a round.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <string_view>

namespace quorvel {

struct ZombieGame;
struct ZombieGame;

// The zombies role kept as a player tag: 1 = zombie, 0 or none = human.
constexpr std::int32_t zombieRoleTag = 0;
constexpr std::int32_t humanRole = 0;
constexpr std::int32_t zombieRole = 1;

bool isZombie(const ZombieGame& game, const PlayerRecord& player);
void setRole(ZombieGame& game, const PlayerRecord& player, std::int32_t role);

// A ship number of the settings (1 to 8) compared with a record's ship
// (0 to 7); wild settings never overflow.
bool sitsInShip(const PlayerRecord& player, std::int32_t settingsShip);
bool onFreq(const PlayerRecord& player, std::int32_t freq);

// "Warbird." ... "Shark." for ships 1 to 8, empty for anything else.
std::string_view shipName(std::int32_t ship);

// Counts over the players in ships; `leaving` (when given) is a player on
// the way out who is not counted, whether or not the host still lists it.
std::uint32_t countInShips(const ZombieGame& game, const PlayerRecord* leaving = nullptr);
std::int32_t countHumans(const ZombieGame& game, const PlayerRecord* leaving = nullptr);
std::int32_t countZombies(const ZombieGame& game, const PlayerRecord* leaving = nullptr);

// Draws one player in a ship (never `leaving`) and announces the choice;
// none with fewer than three candidates.
const PlayerRecord* pickZombieMaster(ZombieGame& game, const PlayerRecord* leaving = nullptr);
void turnIntoZombie(ZombieGame& game, const PlayerRecord& player);

// The end test of a round: the sanctuary or the last human.
void runEndTest(ZombieGame& game);
void checkSanctuaryEnd(ZombieGame& game);
void checkLastHumanEnd(ZombieGame& game);
void finishRound(ZombieGame& game);
// Forgets the last human and the last turned human of a round.
void clearRoundMemory(ZombieGame& game);

} // namespace quorvel
