// The services of the module, and the order in which they take each event.
#pragma once

#include "base/service/service.h"
#include "module/bot_spawn.h"

#include <span>

namespace quorvel {

// The module's own commands, !about and !version.
extern const ServiceTable moduleTable;

// Fills the spawn's two orders of services.
void registerServices(BotSpawn& spawn);

// Calls the `Step` of every service that has one, in `order`.
template <auto Step, class... Args>
void runSteps(std::span<const ServiceSlot> order, const Args&... args) {
    for (const ServiceSlot& slot : order) {
        if (const auto step = slot.table->steps.*Step; step != nullptr) {
            step(*slot.state, args...);
        }
    }
}

} // namespace quorvel
