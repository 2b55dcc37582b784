// Staff commands over gold and inventories.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct GoldService;

void commandGivegold(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandPlayergold(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandTakegold(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandGoldsave(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandGoldload(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandInvsave(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandInvload(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandIon(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandIoff(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandResetgold(GoldService& gold, const PlayerRecord& sender, std::string_view text);
void commandResetinv(GoldService& gold, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
