// gold.dat and inv.dat: loading at the handshake and by staff, saving at
// Terminate, at the autosave and by staff. A save replaces the file whole or
// not at all, and a failure is echoed to the console.
#pragma once

#include "frame/platform/platform.h"

namespace quorvel {

struct BotSpawn;

// Loading appends the file's records to what is held, or replaces it. A
// missing file loads nothing (and a replace empties). A file that exists but
// cannot be read is reported on the console, leaves what is held as it was,
// and holds back the file's saves until a later load reads it: a save would
// otherwise overwrite records that were never loaded.
enum class LoadMode { append, replace };

// The accounts of gold.dat.
platform::FileResult loadGoldFile(BotSpawn& spawn, LoadMode mode = LoadMode::append);
platform::FileResult saveGoldFile(BotSpawn& spawn);

// The records of inv.dat; sets inventoryLoaded when the file was read.
platform::FileResult loadInventoryFile(BotSpawn& spawn, LoadMode mode = LoadMode::append);
platform::FileResult saveInventoryFile(BotSpawn& spawn);

} // namespace quorvel
