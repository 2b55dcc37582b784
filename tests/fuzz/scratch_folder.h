// A private, empty working folder for one fuzz input: made and entered on
// construction, left and removed with everything in it on destruction. It
// lives in /dev/shm when that exists, so the module's flushes to disk cost
// nothing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::fuzz {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string previous_;
    std::string path_;
};

// Writes a file of the current folder whole.
void writeFile(const std::string& name, std::string_view bytes);
// The bytes of a file of the current folder; `found` tells whether it could
// be opened at all.
std::string readFile(const std::string& name, bool* found = nullptr);

// Ends the process at once with `what` on stderr: the fuzzer records the
// input as a crash, the replay test fails.
[[noreturn]] void fail(const std::string& what);

// Which whole records of a gold.dat or inv.dat a load keeps, by index: all
// of them, except in a file with stray bytes or whose every record is
// garbage, where only those `plausible(i)` passes.
template <typename Plausible>
std::vector<std::size_t> keptRecords(std::size_t size, std::size_t recordSize,
                                     Plausible plausible) {
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < size / recordSize; ++i) {
        if (plausible(i)) {
            kept.push_back(i);
        }
    }
    if (size % recordSize == 0 && !kept.empty()) {
        kept.resize(size / recordSize);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            kept[i] = i;
        }
    }
    return kept;
}

} // namespace quorvel::fuzz
