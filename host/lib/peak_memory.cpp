#include "lib/peak_memory.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace quorvel::host {

PeakMemory peakMemory() {
#if defined(_WIN32)
    return {std::nullopt, "not measured on Windows"};
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        return {std::nullopt, "getrusage failed"};
    }
    auto maxrss = static_cast<std::uint64_t>(usage.ru_maxrss);
#if defined(__APPLE__)
    return {maxrss, "getrusage ru_maxrss"}; // bytes there
#else
    return {maxrss * 1024, "getrusage ru_maxrss"}; // kilobytes on Linux
#endif
#endif
}

} // namespace quorvel::host
