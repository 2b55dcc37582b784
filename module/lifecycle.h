// The frame's own handling of the handshake, Terminate, the tick and a
// leaving player.
#pragma once

#include <quorvel/host_abi.h>

namespace quorvel {

struct BotSpawn;

// Version check; when accepted, loads quorvel.ini, takes a seat at the
// folder's economy (loading inv.dat and gold.dat when it is the first bot)
// and loads Ghoulset.ini.
void receiveHandshake(BotSpawn& spawn, const BotEvent& event);
// Saves inv.dat, gold.dat and Ghoulset.ini, and leaves the economy.
void terminateSpawn(BotSpawn& spawn);
// The four countdowns, then the jackpot, rabbit, zombies and autosave steps.
void runTick(BotSpawn& spawn);
// Drops the frame's own reference to a player who leaves.
void forgetLeavingPlayer(BotSpawn& spawn, const PlayerRecord& player);

} // namespace quorvel
