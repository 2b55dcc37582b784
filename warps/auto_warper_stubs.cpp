#include "warps/auto_warper.h"

// Automatic warping lands in a following change.
namespace quorvel {
void warpTeam(BotSpawn&, const PlayerRecord&) {}
void warpArea(BotSpawn&, const PlayerRecord&) {}
void checkInsertWarp(BotSpawn&, const PlayerRecord&) {}
void commandTwarpon(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandTwarpoff(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandAwarpon(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandAwarpoff(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandIwarpon(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandIwarpoff(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandAlloff(BotSpawn&, const PlayerRecord&, std::string_view) {}
} // namespace quorvel
