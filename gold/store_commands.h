// The players' gold commands: balance, gold table, store, inventory, loans
// and the kill-notice choice. Each is silent while the store is off.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct GoldService;

void commandGratio(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandGold(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandBuy(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandLendgold(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandInv(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandShow(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandHide(GoldService& gold, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
