// "!" commands and "!help", gated by the sender's operator level. Every
// command and help line comes from the services' tables (withCommand and
// anyService, service_registry.h).
#pragma once

#include <quorvel/host_abi.h>

#include "base/service/service.h"

namespace quorvel {

struct BotSpawn;

// Whether the sender is answered at all: a level the host knows, within his
// command budget. Every command and help request passes here first.
bool answersTo(BotSpawn& spawn, const PlayerRecord& sender);
// A host's text, or empty where it gave none.
std::string_view textOrEmpty(const char* text);

void handleCommand(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command);
void handleHelp(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command);

} // namespace quorvel
