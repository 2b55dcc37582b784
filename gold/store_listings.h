// The longer answers of the store: the price list, the flag listing and the
// inventory listing.
#pragma once

#include <quorvel/host_abi.h>

namespace quorvel {

struct BotSpawn;

void sendPriceList(BotSpawn& spawn, const PlayerRecord& sender);
void sendFlagListing(BotSpawn& spawn, const PlayerRecord& sender);
void sendInventoryListing(BotSpawn& spawn, const PlayerRecord& sender);

} // namespace quorvel
