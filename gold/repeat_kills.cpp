#include "gold/repeat_kills.h"

#include "base/text/text_rules.h"

namespace quorvel {
namespace {

// Past this many pairs, those whose window has run out are forgotten.
constexpr std::size_t pairsKept = 4096;

} // namespace

RepeatKills::Verdict RepeatKills::judge(std::string_view killer, std::string_view killed,
                                        std::int64_t now, std::int64_t window) {
    if (pairs_.size() > pairsKept) {
        std::erase_if(pairs_, [now, window](const auto& entry) {
            return now - entry.second.paidAt >= window;
        });
    }
    std::string key = foldedCopy(killer);
    key += '\t'; // a tab is in no player name
    key += foldedCopy(killed);
    auto [entry, isNew] = pairs_.try_emplace(std::move(key));
    Pair& pair = entry->second;
    if (isNew || now - pair.paidAt >= window) {
        pair = Pair{now, false};
        return Verdict::pay;
    }
    if (pair.told) {
        return Verdict::unpaidAgain;
    }
    pair.told = true;
    return Verdict::unpaidFirst;
}

} // namespace quorvel
