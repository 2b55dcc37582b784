// Shared set-up of the economy tests: an arena whose quorvel.ini switches the
// store on, and a comparison of sent records that prints them readably.
#pragma once

#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing {

// Writes quorvel.ini with the store on plus `extraIni` (whole sections),
// shakes hands and drops the start-up console lines.
inline void openStore(TestArena& arena, const std::string& extraIni = "") {
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n" + extraIni);
    arena.handshake();
    arena.take();
}

inline std::string describeAll(const std::vector<Sent>& records) {
    std::string text;
    for (const Sent& sent : records) {
        text += "  " + describe(sent) + "\n";
    }
    return text;
}

inline ::testing::AssertionResult sentExactly(const std::vector<Sent>& got,
                                              const std::vector<Sent>& want) {
    if (got == want) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "sent:\n"
                                         << describeAll(got) << "expected:\n"
                                         << describeAll(want);
}

// A balance as the ledger holds it.
inline std::uint32_t goldOf(TestArena& arena, const std::string& name) {
    return arena.gold().balance(name);
}

// A line of a record as another host sends it to a database economy.
inline JournalEntry ledgerLine(std::string_view account, std::string_view field,
                               std::string_view change) {
    JournalEntry entry;
    entry.cause = {"test", "-", 1};
    entry.account = account;
    entry.field = field;
    entry.change = change;
    entry.after = "0";
    entry.time = "2026-12-09T05:00:00Z";
    return entry;
}

} // namespace quorvel::testing
