// gold.dat and inv.dat: loading at the handshake and by staff, saving at
// Terminate, at the autosave and by staff. A save replaces the file whole or
// not at all, and a failure is echoed to the console.
#pragma once

#include "frame/platform/platform.h"

namespace quorvel {

struct BotSpawn;

// Appends the accounts of gold.dat to the ledger.
void loadGoldFile(BotSpawn& spawn);
platform::FileResult saveGoldFile(BotSpawn& spawn);

// Appends the records of inv.dat to the book and sets inventoryLoaded.
void loadInventoryFile(BotSpawn& spawn);
platform::FileResult saveInventoryFile(BotSpawn& spawn);

} // namespace quorvel
