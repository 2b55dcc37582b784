#include "gold/repeat_kills.h"

#include "base/text/text_rules.h"

namespace quorvel {

void RepeatKills::forgetExpired(std::int64_t now, std::int64_t window) {
    while (!paidOrder_.empty() && now - paidOrder_.front().at >= window) {
        const auto found = pairs_.find(paidOrder_.front().key);
        // A pair paid again since is remembered by its later payment.
        if (found != pairs_.end() && found->second.paidAt == paidOrder_.front().at) {
            pairs_.erase(found);
        }
        paidOrder_.pop_front();
    }
}

RepeatKills::Verdict RepeatKills::judge(std::string_view killer, std::string_view killed,
                                        std::int64_t now, std::int64_t window) {
    forgetExpired(now, window);
    std::string key = foldedCopy(killer);
    key += '\t'; // a tab is in no player name
    key += foldedCopy(killed);
    auto [entry, isNew] = pairs_.try_emplace(key);
    Pair& pair = entry->second;
    if (isNew || now - pair.paidAt >= window) {
        pair = Pair{now, false};
        paidOrder_.push_back(Paid{now, std::move(key)});
        return Verdict::pay;
    }
    if (pair.told) {
        return Verdict::unpaidAgain;
    }
    pair.told = true;
    return Verdict::unpaidFirst;
}

} // namespace quorvel
