// The arenas the event benchmarks play in: each one builds its folder and
// files, shakes hands and switches on what its event needs, then hands back
// the records to send events about.
#pragma once

#include "bench_host.h"
#include "generated_files.h"

#include <memory>
#include <string>

namespace quorvel::bench {

struct Scene {
    std::unique_ptr<BenchHost> host = std::make_unique<BenchHost>();
    PlayerRecord* staff = nullptr; // a Mod in spectator mode
    PlayerRecord* actor = nullptr; // the killer, the player entering, the mover
    PlayerRecord* other = nullptr; // the player killed
};

// Gold and inventory books of `accounts` records; warping off so the event
// costs only what the store does. The killer and the player entering own
// the last account of the files, the player killed one in the middle.
Scene storeScene(std::size_t accounts);
// The same arena with the economy kept in the database `connection` names,
// under the host name `hostId`; the folder's gold.dat and inv.dat are there
// as in storeScene but the economy reads the database, not them. The link's
// thread is given no time to send at a stop: what it has not sent is left.
Scene databaseStoreScene(std::size_t accounts, const std::string& connection,
                         const std::string& hostId);
// Anti-warp on away from the centre, the mover is the rabbit, area warping
// over 20 areas.
Scene moveScene(bool areaWarp);
// 100 players, the store, the rabbit, the zombies game, the ship checker and
// team and area warping on.
Scene tickScene();

// Events between two empty-journal points: a kill writes one gold.log line.
constexpr int journalBatch = 4096;

} // namespace quorvel::bench
