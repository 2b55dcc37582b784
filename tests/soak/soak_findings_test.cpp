// Faults the soak found, each played again on its own.
#include "ledger_audit.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel::testing {
namespace {

// A player with more than half the largest balance lent to himself (in any
// spelling of his name): the credit came before the debit, so gold.log
// showed his balance wrapped past 4294967295 and back.
TEST(SoakFindings, ALoanToOneselfNeverShowsAWrappedBalance) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
    arena.handshake();
    LedgerAudit audit(arena.directory() + "/gold.log", AuditRules{});
    PlayerRecord& staff = arena.addPlayer({.name = "Warden", .accessLevel = 2});
    PlayerRecord& voryn = arena.addPlayer({.name = "Voryn", .ship = 1});
    arena.command(staff, "givegold", "Voryn:4294965686");
    audit.afterEvent(arena.gold(), {4294965686LL}, 1);
    for (const char* spelling : {"VORYN", "Voryn"}) {
        for (std::int64_t amount : {2147483648LL, 4294965686LL, 1LL}) {
            arena.command(voryn, "lendgold", spelling + (":" + std::to_string(amount)));
            audit.afterEvent(arena.gold(), {amount}, 2);
            EXPECT_EQ(arena.gold().balance("Voryn"), 4294965686u);
        }
    }
    for (const std::string& fault : audit.faults()) {
        ADD_FAILURE() << fault;
    }
    EXPECT_EQ(arena.gold().size(), 1u);
}

} // namespace
} // namespace quorvel::testing
