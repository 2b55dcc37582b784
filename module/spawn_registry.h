// The module's only process-wide state: one spawn per bot handle, in the
// order the handles first arrived. Spawns live until the module is unloaded.
#pragma once

#include <quorvel/host_abi.h>

#include <memory>
#include <vector>

namespace quorvel {

struct BotSpawn;

class SpawnRegistry {
public:
    SpawnRegistry();
    ~SpawnRegistry();
    SpawnRegistry(const SpawnRegistry&) = delete;
    SpawnRegistry& operator=(const SpawnRegistry&) = delete;

    // The spawn of `handle`, created and appended when there is none yet.
    BotSpawn& spawnFor(Word handle);
    std::size_t size() const { return spawns_.size(); }

private:
    std::vector<std::unique_ptr<BotSpawn>> spawns_;
};

// Finds the spawn of the event's handle and lets it handle the event. No
// exception ever leaves: a failure inside is echoed to the host's console.
void deliverEvent(SpawnRegistry& registry, BotEvent& event);

} // namespace quorvel
