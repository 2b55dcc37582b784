#pragma once

#include <quorvel/host_abi.h>

namespace quorvel {

struct BotSpawn;

// Hands one host event to the services, in the order fixed per event.
void handleEvent(BotSpawn& spawn, const BotEvent& event);

} // namespace quorvel
