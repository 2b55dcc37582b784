// State of the gold economy of one bot: the store switch, its seat at the
// folder's shared economy, the autosave countdown, the kills paid lately
// and its settings.
#pragma once

#include "base/service/service.h"
#include "gold/economy_store.h"
#include "gold/gold_settings.h"
#include "gold/repeat_kills.h"

#include <cstdint>

namespace quorvel {

struct GoldService : Service {
    using Service::Service;

    // The store and every gold feature: on only while the bot has a seat at
    // its folder's economy.
    bool storeOn = false;
    EconomySeat economy;
    RepeatKills repeatKills; // kills paid lately, for [Gold] RepeatKillWindow

    // Seconds to the next autosave of gold.dat and inv.dat; it starts again
    // from settings.autoSave.
    std::int32_t autosaveCountdown = 0;

    GoldSettings settings;
};

// The economy's commands, help lines and event steps.
extern const ServiceTable goldTable;

} // namespace quorvel
