#include "gold/admin_commands.h"
#include "gold/awards.h"
#include "gold/gold_files.h"
#include "gold/store_commands.h"

// The store, inventories, awards and staff gold commands land in following
// changes.
namespace quorvel {
void loadInventoryFile(BotSpawn&) {}
platform::FileResult saveInventoryFile(BotSpawn&) { return {}; }
void greetPlayer(BotSpawn&, const PlayerRecord&) {}
void awardKill(BotSpawn&, const PlayerRecord&, const PlayerRecord&) {}
void awardGoal(BotSpawn&, Word) {}
void commandGratio(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandGold(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandBuy(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandLendgold(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandInv(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandShow(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandHide(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandGivegold(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandPlayergold(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandTakegold(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandGoldsave(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandGoldload(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandInvsave(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandInvload(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandIon(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandIoff(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandResetgold(BotSpawn&, const PlayerRecord&, std::string_view) {}
void commandResetinv(BotSpawn&, const PlayerRecord&, std::string_view) {}
} // namespace quorvel
