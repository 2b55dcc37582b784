// Staff commands over gold and inventories.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

void commandGivegold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandPlayergold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandTakegold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandGoldsave(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandGoldload(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandInvsave(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandInvload(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandIon(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandIoff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandResetgold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandResetinv(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
