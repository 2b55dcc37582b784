// The longer answers of the store: the price list, the flag listing and the
// inventory listing.
#pragma once

#include <quorvel/host_abi.h>

namespace quorvel {

struct GoldService;

void sendPriceList(GoldService& gold, const PlayerRecord& sender);
void sendFlagListing(GoldService& gold, const PlayerRecord& sender);
void sendInventoryListing(GoldService& gold, const PlayerRecord& sender);

} // namespace quorvel
