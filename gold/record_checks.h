// Whether a record read from gold.dat or inv.dat is one the module could
// have written: a damaged or foreign file read as records gives names with
// control bytes in them, empty names and negative counts, which no player's
// account or purchase makes. Pure functions of one record, so a loader and
// quorvel-admin check judge a record the same way.
#pragma once

#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

namespace quorvel {

// The name is not empty, ends in a NUL within its 20 bytes (at most 19
// characters, as the ledger stores names), and holds no byte below 0x20
// and no 0x7F before the NUL. The balance can be any value.
bool plausibleAccount(const GoldAccount& account);

// The name is not empty and holds no byte below 0x20 and no 0x7F before
// its first NUL (a name of 20 characters fills the field without one); no
// count is below zero.
bool plausibleInventory(const InventoryRecord& record);

} // namespace quorvel
