// How many commands (and help requests) a player may type in any ten
// seconds, from quorvel.ini's CommandBudget. A player over it hears one
// short notice and then nothing until his budget has room again; staff
// (Mod and up) are never held back. The budget goes with the player's name,
// so leaving and entering again does not renew it.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

namespace quorvel {

struct BotSpawn;

class CommandBudget {
public:
    static constexpr std::int64_t windowSeconds = 10;

    enum class Verdict { answer, notice, silence };
    // Counts a command typed at second `now` against `budget` (commands in
    // any window); commands not answered are not counted.
    Verdict take(const PlayerRecord& player, std::int64_t now, std::int32_t budget);
    // How many typists are held now.
    std::size_t remembered() const { return typists_.size(); }

private:
    struct Typist {
        std::deque<std::int64_t> answered; // seconds, oldest first
        bool told = false;
    };
    // Players who typed within a window, by name with A to Z folded: a
    // player who leaves and comes back, as another record or with his name
    // in other letters' case, is still the one who typed. A name is
    // forgotten once its window has passed.
    std::unordered_map<std::string, Typist> typists_;
};

// True when the command may be answered; tells the sender once when it may
// not. Always true while CommandBudget is 0.
bool withinCommandBudget(BotSpawn& spawn, const PlayerRecord& sender);

} // namespace quorvel
