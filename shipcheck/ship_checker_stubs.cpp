#include "shipcheck/ship_checker.h"

// The ship checker lands in a following change.
namespace quorvel {
void checkShip(BotSpawn&, const PlayerRecord&) {}
void commandCheck(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandNotcheck(BotSpawn&, const PlayerRecord&, std::string_view) {}
} // namespace quorvel
