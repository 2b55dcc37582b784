// The module's own handling of the handshake, Terminate and the tick.
#pragma once

#include <quorvel/host_abi.h>

namespace quorvel {

struct BotSpawn;

// Version check; when accepted, loads quorvel.ini and starts every service
// (the first bot of a folder opens its economy; Ghoulset.ini is read).
void receiveHandshake(BotSpawn& spawn, const BotEvent& event);
// Stops every service (inv.dat, gold.dat and Ghoulset.ini are saved, the
// economy is left) and says goodbye on the console.
void terminateSpawn(BotSpawn& spawn);
// quorvel.ini read again when it changed, then every service's tick, then
// the second's line budget and waiting lines.
void runTick(BotSpawn& spawn);

} // namespace quorvel
