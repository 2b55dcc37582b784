// The one order of every list of accounts or records by what they hold, so
// that a table of the richest and `gold --top N` agree to the last place.
#pragma once

#include "base/text/text_rules.h"

#include <cstdint>
#include <string_view>

namespace quorvel::admin {

// By name, the case of A to Z ignored; names alike so are taken by bytes.
inline bool namedBefore(std::string_view a, std::string_view b) {
    const std::string foldedA = foldedCopy(a);
    const std::string foldedB = foldedCopy(b);
    return foldedA != foldedB ? foldedA < foldedB : a < b;
}

// The most first; a tie by name.
inline bool rankedBefore(std::int64_t valueA, std::string_view nameA, std::int64_t valueB,
                         std::string_view nameB) {
    return valueA != valueB ? valueA > valueB : namedBefore(nameA, nameB);
}

} // namespace quorvel::admin
