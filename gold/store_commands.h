// The players' gold commands: balance, gold table, store, inventory, loans
// and the kill-notice choice. Each is silent while the store is off.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

void commandGratio(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandGold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandBuy(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandLendgold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandInv(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandShow(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandHide(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
