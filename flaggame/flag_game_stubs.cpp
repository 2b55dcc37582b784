#include "flaggame/flag_game.h"

// The flag game service lands in a following change.
namespace quorvel {
void runJackpotStep(BotSpawn&) {}
void readJackpotAnswer(BotSpawn&, std::string_view) {}
void announceFlagVictory(BotSpawn&, Word) {}
void watchAntiwarp(BotSpawn&, const PlayerRecord&) {}
void commandAradius(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandShutup(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandStart(BotSpawn&, const PlayerRecord&, std::string_view) {}
} // namespace quorvel
