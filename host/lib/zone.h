// The zone server behind the host: carries out the "*" and "?" lines the
// module sends and reports their effects as the events a real host would
// pass on, with the player records already updated.
#ifndef QUORVEL_HOST_ZONE_H
#define QUORVEL_HOST_ZONE_H

#include "lib/arena.h"
#include "lib/received.h"

#include <string>
#include <vector>

namespace quorvel::host {

// An event for the module: a player event, or an arena message (ChatMessage).
struct ZoneReport {
    Word code = 0;
    PlayerSlot* player = nullptr;
    std::string text;
    // An answer meant for the bot that asked, not an event of the arena.
    bool askerOnly = false;
};

struct ZoneOutcome {
    std::vector<std::string> notes; // what the zone did, for the transcript
    std::vector<ZoneReport> reports;
};

// Carries out one record of the module. Plain chat has no effect; a command
// line the zone does not know is noted as unknown.
ZoneOutcome carryOut(const Received& line, Arena& arena);

} // namespace quorvel::host

#endif
