// State of the gold economy of one bot: the store switch, its seat at the
// folder's shared economy, the autosave countdown, the kills paid lately
// and its settings.
#pragma once

#include "base/service/service.h"
#include "gold/database_settings.h"
#include "gold/economy_backend.h"
#include "gold/gold_settings.h"
#include "gold/repeat_kills.h"

#include <cstdint>

namespace quorvel {

class EconomyFolders;

struct GoldService : Service {
    // `openEconomies` holds the economy of each folder its host process has
    // open: the bot joins its folder's, or opens it there.
    GoldService(Bot& ownBot, EconomyFolders& openEconomies)
        : Service(ownBot), folders(openEconomies) {}

    EconomyFolders& folders;

    // The store and every gold feature: on only while the bot has a seat at
    // its folder's economy.
    bool storeOn = false;
    EconomySeat economy;
    // The store as quorvel.ini or staff (!ion, !ioff) last asked for it: a
    // bot that gets its seat late switches it on from this.
    bool storeWanted = false;
    // Its folder's lock was held by another process at the handshake: it
    // tries again at a handshake, at !ion and once a minute.
    bool lockedOut = false;
    // quorvel.ini's [Database] section as read at the last handshake: which
    // economy the bot opens.
    DatabaseSettings database;
    std::int32_t lockRetryCountdown = 0; // seconds to the next try
    RepeatKills repeatKills;             // kills paid lately, for [Gold] RepeatKillWindow

    // Seconds to the next autosave of gold.dat and inv.dat; it starts again
    // from settings.autoSave.
    std::int32_t autosaveCountdown = 0;

    GoldSettings settings;
};

// The economy's commands, help lines and event steps.
extern const ServiceTable<GoldService> goldTable;

// A bot locked out of its folder's economy, or whose economy lost the
// folder's lock, tries to take it again; a bot seated now switches the store
// on when storeWanted says so. A refusal is told to the console when
// `tellRefusal`.
void retryEconomyLock(GoldService& gold, bool tellRefusal);

// Ends the cause of this bot's changes; a record of them that could not be
// written is told on this bot's console (Cause::end says when).
void endCause(GoldService& gold, EconomyBackend::Cause& cause);

} // namespace quorvel
