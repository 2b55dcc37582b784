// Bringing back the gold and inventory changes made after the last save,
// from gold.log, when the host died without saving.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace quorvel {

struct BotSpawn;
class GoldLedger;
class InventoryBook;

// Applies the lines of `journal` written after the last gold save to the
// ledger and those after the last inventory save to the book. A line sets
// the value it records, so applying it twice changes nothing; a reset
// empties, a reload empties and reads the file again. A last line without
// its line end (cut short by a crash) and lines that do not parse are
// skipped. Returns the number of changes applied.
std::size_t replayJournal(std::string_view journal, GoldLedger& ledger, InventoryBook& book,
                          const std::function<void()>& reloadGold,
                          const std::function<void()>& reloadInventory);

// At the handshake, after gold.dat and inv.dat are loaded: replays gold.log
// (after the rotated gold.log.1) and tells the console what was recovered.
void recoverFromJournal(BotSpawn& spawn);

} // namespace quorvel
