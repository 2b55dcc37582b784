// The last paid kill of each (killer, killed) pair, so that two friends on
// opposite freqs cannot print gold by killing each other over and over:
// with [Gold] RepeatKillWindow, a kill of the same player within that many
// seconds of the last paid one earns nothing.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorvel {

class RepeatKills {
public:
    enum class Verdict { pay, unpaidFirst, unpaidAgain };
    // A kill at second `now`: paid when the last paid kill of the same pair
    // is `window` or more seconds back (or there is none). The first unpaid
    // kill after a paid one is told apart, so the killer hears it once.
    Verdict judge(std::string_view killer, std::string_view killed, std::int64_t now,
                  std::int64_t window);

private:
    struct Pair {
        std::int64_t paidAt = 0;
        bool told = false;
    };
    struct Paid {
        std::int64_t at = 0;
        std::string key;
    };
    void forgetExpired(std::int64_t now, std::int64_t window);

    // Names folded to lower case, so a change of letter case is no way out.
    std::unordered_map<std::string, Pair> pairs_;
    // Every paid kill in the order paid: the oldest are looked at first and
    // forgotten once their window has run out, so a kill costs the same
    // however many pairs are remembered.
    std::deque<Paid> paidOrder_;
};

} // namespace quorvel
