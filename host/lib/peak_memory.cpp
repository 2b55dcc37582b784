#include "lib/peak_memory.h"

#if defined(_WIN32)
// K32GetProcessMemoryInfo lives in kernel32 itself, so no psapi.dll is needed.
#define PSAPI_VERSION 2
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace quorvel::host {

PeakMemory peakMemory() {
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return {std::nullopt, "GetProcessMemoryInfo failed"};
    }
    return {static_cast<std::uint64_t>(counters.PeakWorkingSetSize),
            "GetProcessMemoryInfo PeakWorkingSetSize"};
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
