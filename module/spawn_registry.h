// The module's only process-wide state: one spawn per bot handle, in the
// order the handles first arrived, and the economy each working folder has
// open, which the bots of the process working there share. Spawns live until
// the module is unloaded.
#pragma once

#include <quorvel/host_abi.h>

#include "base/platform/platform.h"
#include "gold/file_economy.h"

#include <memory>
#include <vector>

namespace quorvel {

struct BotSpawn;

class SpawnRegistry {
public:
    // Every spawn reaches the operating system through `system`.
    explicit SpawnRegistry(platform::Platform& system = platform::realPlatform());
    ~SpawnRegistry();
    SpawnRegistry(const SpawnRegistry&) = delete;
    SpawnRegistry& operator=(const SpawnRegistry&) = delete;

    // The spawn of `handle`, created and appended when there is none yet.
    BotSpawn& spawnFor(Word handle);
    std::size_t size() const { return spawns_.size(); }

private:
    platform::Platform& system_;
    EconomyFolders economyFolders_; // the economy open in each folder the spawns work in
    std::vector<std::unique_ptr<BotSpawn>> spawns_;
};

// Finds the spawn of the event's handle and lets it handle the event. No
// exception ever leaves: a failure inside is echoed to the host's console.
void deliverEvent(SpawnRegistry& registry, BotEvent& event);

} // namespace quorvel
