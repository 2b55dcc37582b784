// A long generated session for measuring the module under load: players
// entering and leaving, moving several times a second, killing, changing
// ship and freq and typing commands, with every service on and a tick once a
// second. Every action goes through Session::run like a scenario line, so the
// zone's reactions are fed back as usual; nothing is written per event.
#ifndef QUORVEL_HOST_GENERATOR_H
#define QUORVEL_HOST_GENERATOR_H

#include "lib/peak_memory.h"
#include "lib/session.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::host {

struct GenerateOptions {
    int players = 100;           // kept in the arena, near enough
    std::int64_t seconds = 3600; // one tick each
    int movesPerSecond = 4;      // position reports of each player
    std::uint32_t seed = 1;      // the same seed plays the same session
    // Added to the generated quorvel.ini (a [Database] section, for one).
    std::string extraIni;
};

struct GenerateResult {
    std::uint64_t actions = 0;
    std::uint64_t moves = 0, kills = 0, commands = 0, shipChanges = 0, freqChanges = 0;
    std::uint64_t entered = 0, left = 0;
    std::uint64_t ticks = 0;
    // The economy files the working directory held before the session (a
    // session started over an earlier one's economy plays differently from
    // one in a fresh folder, whose counts a seed fixes).
    std::vector<std::string> economyAtStart;
    std::uint64_t eventsSent = 0;      // calls of talk, the zone's reports included
    std::uint64_t recordsReceived = 0; // lines the module sent back
    std::chrono::nanoseconds wall{0};
    std::chrono::nanoseconds inTalk{0};
};

// Plays the whole session on a fresh session whose working directory is the
// current one (the configuration files are written there first). Throws
// ScriptError when the module or the zone fails the session.
GenerateResult generateSession(Session& session, const GenerateOptions& options);

// The closing report: counts, wall time, events per second, the share of
// time spent inside talk and the peak memory.
std::string describeResult(const GenerateOptions& options, const GenerateResult& result,
                           const PeakMemory& memory);

} // namespace quorvel::host

#endif
