// The most memory the process has held so far, for the reports of long
// generated sessions.
#ifndef QUORVEL_HOST_PEAK_MEMORY_H
#define QUORVEL_HOST_PEAK_MEMORY_H

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel::host {

struct PeakMemory {
    std::optional<std::uint64_t> bytes; // nothing where it is not measured
    std::string how;                    // the system call that gave it
};

PeakMemory peakMemory();

} // namespace quorvel::host

#endif
