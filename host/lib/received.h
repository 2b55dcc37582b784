// A record the module handed to the host callback, copied at once (its text
// is only valid during the callback).
#ifndef QUORVEL_HOST_RECEIVED_H
#define QUORVEL_HOST_RECEIVED_H

#include "lib/script.h"
#include "quorvel/host_abi.h"

#include <cstdint>
#include <string>

namespace quorvel::host {

struct Received {
    Word handle = 0; // as the module sent it
    Word bot = 0;    // the bot whose line it is: the handle when that is a bot of
                     // the session, otherwise the bot whose event was being handled
    Word code = 0;   // Echo, Say, or anything else the module sent
    Word chatType = 0;
    Word sound = 0;
    Word target = 0;
    std::string targetName; // the player with that ident when the line arrived
    std::string text;
    std::uint64_t tick = 0; // ticks sent before this record arrived
};

// "console \"...\"", "private \"Bob\" \"...\"": how the transcript shows it.
std::string describeReceived(const Received& r);

// The expectation line that matches exactly this record.
std::string expectationFor(const Received& r);

// True when the record is the line the expectation asks for.
bool matches(const LineExpectation& want, const Received& got);

// The expectation as the transcript shows a record, for failure reports.
std::string describeExpected(const LineExpectation& want);

} // namespace quorvel::host

#endif
