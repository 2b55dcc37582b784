#include "gold/gold_ledger.h"

#include "base/text/text_rules.h"

#include "support/test_arena.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(GoldLedger, NamesMatchIgnoringAsciiCaseAndKeepTheirFirstSpelling) {
    GoldLedger ledger;
    EXPECT_EQ(ledger.balance("Nobody"), 0u);
    EXPECT_EQ(ledger.size(), 0u); // asking creates nothing
    ledger.credit("Bob", 7);
    EXPECT_EQ(ledger.balance("BOB"), 7u);
    ledger.credit("bOB", 1);
    ASSERT_EQ(ledger.size(), 1u);
    EXPECT_STREQ(ledger.accounts()[0].name, "Bob");
    EXPECT_EQ(ledger.balance("bob"), 8u);
    EXPECT_EQ(ledger.balance("bob "), 0u);
    // Only A to Z fold: É and é are different names.
    ledger.credit("\xC9mile", 1);
    ledger.credit("\xE9mile", 2);
    EXPECT_EQ(ledger.size(), 3u);
    EXPECT_EQ(ledger.balance("\xC9MILE"), 1u);
}

TEST(GoldLedger, CreditAndDebitWrapButAwardsNeverDo) {
    GoldLedger ledger;
    ledger.credit("Ann", 3);
    ledger.debit("Ann", 5);
    EXPECT_EQ(ledger.balance("Ann"), 4294967294u);
    EXPECT_EQ(decimal(ledger.balance("Ann")), "-2");
    ledger.debit("New", 0); // debit creates the account
    EXPECT_NE(ledger.find("new"), nullptr);

    testing::TestArena arena;
    arena.handshake();
    EconomyBackend& economy = arena.economy();
    economy.credit("Ann", 4294967294u);
    economy.award("Ann", 100); // capped at the top
    EXPECT_EQ(economy.balance("Ann"), 4294967295u);
    economy.award("Cat", 5);
    economy.award("Cat", -9); // taken, but not below 0
    EXPECT_EQ(economy.balance("Cat"), 0u);
    economy.award("Cat", 2147483647);
    economy.award("Cat", -2147483647 - 1);
    EXPECT_EQ(economy.balance("Cat"), 0u);
}

TEST(GoldLedger, ClearForgetsEveryAccountAndItsIndex) {
    GoldLedger ledger;
    ledger.credit("Bob", 4);
    ledger.clear();
    EXPECT_EQ(ledger.size(), 0u);
    EXPECT_EQ(ledger.find("Bob"), nullptr);
    ledger.credit("BOB", 1);
    ASSERT_EQ(ledger.size(), 1u);
    EXPECT_STREQ(ledger.accounts()[0].name, "BOB");
    EXPECT_EQ(ledger.balance("bob"), 1u);
}

} // namespace
} // namespace quorvel
