// One bot of the host as every service sees it: the link to the host (its
// callback and its player and flag lists), the bot's own player, the lines
// waiting to go out, the per-player tags, the random generator and the file
// platform it reaches the operating system through. Nothing here knows a service; each service
// keeps a reference to its bot and talks through the senders and views that
// take one.
#pragma once

#include <quorvel/host_abi.h>

#include "base/bot/spawn_random.h"
#include "base/messages/senders.h"
#include "base/platform/platform.h"
#include "base/players/player_tags.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace quorvel {

struct Bot {
    // The random generator is seeded through `system` (spawnSeed).
    Bot(Word botHandle, platform::Platform& system);
    Bot(const Bot&) = delete;
    Bot& operator=(const Bot&) = delete;

    Word handle = 0;
    HostCallback hostCallback = nullptr;
    const HostList* players = nullptr;
    const HostList* flags = nullptr;
    const PlayerRecord* me = nullptr; // the bot's own player while in an arena

    PlayerTags playerTags;
    SpawnRandom random;
    // The texts of the bot's own latest "*arena" lines: the zone shows them
    // to the bot too, and they are never the zone's answer to anything. The
    // latest 16 are kept; while an arena query is open none is forgotten.
    std::deque<std::string> ownArenaTexts;
    // A query the zone answers with an arena message ("?jackpot"). It is
    // asked only once handed to the host, not while it waits for the line
    // budget; from when it is put out until its owner closes it, every
    // "*arena" text the bot hands out is kept, however many.
    struct ArenaQuery {
        std::string text;
        bool handed = false;
    };
    std::optional<ArenaQuery> arenaQuery;
    OutgoingLines outgoing;          // chat lines waiting for [Settings] LinesPerSecond
    std::int32_t linesPerSecond = 0; // lines sent in a second; 0 or less: no limit
    // Seconds since the bot was made, counted by the tick.
    std::int64_t secondsRun = 0;
    // Where the bot reaches the operating system: its files (Ghoulset.ini,
    // the warp tables, quorvel.ini, and the economy's files when it is the
    // first bot of its folder), the working directory, the clocks and the
    // folder lock.
    platform::Platform* os = nullptr;
};

} // namespace quorvel
