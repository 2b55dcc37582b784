#include "frame/commands/commands.h"

// The help listing lands in a following change.
namespace quorvel {
void handleHelp(BotSpawn&, const PlayerRecord&, const ChatCommand&) {}
} // namespace quorvel
