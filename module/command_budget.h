// How many commands (and help requests) a player may type in any ten
// seconds, from quorvel.ini's CommandBudget. A command's answer counts too:
// while answers to a player still wait for the line budget, his next
// command is not answered, so a long listing typed again and again cannot
// pile up lines. A player held back hears one short notice and then nothing
// until his budget has room again; staff (Mod and up) are never held back.
// The budget goes with the player's name, so leaving and entering again
// does not renew it.
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
    // any window); commands not answered are not counted. With
    // `answersWaiting` the player's earlier answers have not all gone out
    // and the command is held back as one over the budget is.
    Verdict take(const PlayerRecord& player, std::int64_t now, std::int32_t budget,
                 bool answersWaiting);
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
