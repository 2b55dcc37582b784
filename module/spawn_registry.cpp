#include "module/spawn_registry.h"

#include "base/messages/senders.h"
#include "module/bot_spawn.h"
#include "module/event_dispatch.h"

#include <exception>
#include <new>
#include <string>

namespace quorvel {

SpawnRegistry::SpawnRegistry(platform::Platform& system) : system_(system) {}
SpawnRegistry::~SpawnRegistry() = default;

BotSpawn& SpawnRegistry::spawnFor(Word handle) {
    for (const auto& spawn : spawns_) {
        if (spawn->handle == handle) {
            return *spawn;
        }
    }
    spawns_.push_back(std::make_unique<BotSpawn>(handle, system_, economyFolders_));
    return *spawns_.back();
}

void deliverEvent(SpawnRegistry& registry, BotEvent& event) {
    BotSpawn* spawn = nullptr;
    try {
        spawn = &registry.spawnFor(event.handle);
    } catch (...) {
        return; // out of memory: the next event for this handle tries again
    }
    try {
        handleEvent(*spawn, event);
    } catch (const std::exception& failure) {
        try {
            sendConsole(*spawn, std::string("Quorvel internal error: ") + failure.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            sendConsole(*spawn, "Quorvel internal error: unknown failure");
        } catch (...) {
        }
    }
}

} // namespace quorvel
