// Who is in the arena, and what the bot may say about whom. Once a player
// has left, no private line may go to his ident, and no line may name him
// unless another player of that name (ignoring case) is in the arena or the
// line answers a command that typed the name.
#pragma once

#include "support/test_arena.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quorvel::testing {

class DepartureWatch {
public:
    void entered(const PlayerRecord& player);
    void left(const PlayerRecord& player);
    // Players in the arena now with this name, ignoring case.
    int holdersOf(std::string_view name) const;

    // The records one event made the bot send; `typed` is the text of the
    // command the event carried, if any.
    void check(const std::vector<Sent>& sent, std::string_view typed, std::uint64_t event);

    const std::vector<std::string>& faults() const { return faults_; }
    std::uint64_t linesChecked() const { return linesChecked_; }

private:
    void fault(std::uint64_t event, const std::string& what);

    std::unordered_set<std::uint16_t> present_;
    std::unordered_map<std::string, int> holders_;  // folded name -> players present
    std::unordered_set<std::string> departedNames_; // folded
    std::vector<std::string> faults_;
    std::uint64_t linesChecked_ = 0;
};

} // namespace quorvel::testing
