#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"
#include "gold/name_index.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quorvel {
namespace {

GoldAccount account(const std::string& name, std::uint32_t amount) {
    GoldAccount made;
    made.amount = amount;
    std::memcpy(made.name, name.data(), std::min(name.size(), sizeof made.name - 1));
    return made;
}

// Only A to Z fold: the neighbours of the letters and bytes of 128 and up
// are themselves, on every byte of an eight-byte word.
TEST(NameIndex, OnlyAsciiLettersFoldInTheHashAndTheMatch) {
    EXPECT_EQ(foldedNameHash("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
              foldedNameHash("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(foldedNameHash("MiXeD NaMe 19 chars"), foldedNameHash("mixed name 19 CHARS"));
    GoldLedger ledger;
    const std::vector<std::string> distinct = {"@", "`", "[", "{", "\xC1", "\xE1", "Z", "Zz"};
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        ledger.credit(distinct[i], static_cast<std::uint32_t>(i + 1));
    }
    EXPECT_EQ(ledger.size(), distinct.size()); // none of them found another
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        EXPECT_EQ(ledger.balance(distinct[i]), i + 1) << distinct[i];
    }
    EXPECT_EQ(ledger.balance("z"), 7u);
    EXPECT_EQ(ledger.balance("zZ"), 8u);
}

// A whole file appended at once and accounts created one by one keep the
// same rule: the first account of a name is the one found, however many
// accounts there are and however often the index has grown.
TEST(NameIndex, BulkAndSingleAppendsFindTheFirstOfEachName) {
    std::vector<GoldAccount> file;
    for (std::uint32_t i = 0; i < 20000; ++i) {
        file.push_back(account("Pilot " + std::to_string(i), i));
    }
    file.push_back(account("PILOT 17", 999999)); // a later duplicate
    GoldLedger ledger;
    ledger.credit("pilot 5", 1); // before the file: this one wins
    ledger.append(file);
    ASSERT_EQ(ledger.size(), 20002u);
    EXPECT_EQ(ledger.balance("Pilot 5"), 1u);
    EXPECT_EQ(ledger.balance("pilot 17"), 17u);
    EXPECT_EQ(ledger.balance("PILOT 19999"), 19999u);
    EXPECT_EQ(ledger.balance("Pilot 20000"), 0u);
    for (std::uint32_t i = 20000; i < 40000; ++i) {
        ledger.credit("New " + std::to_string(i), i);
    }
    EXPECT_EQ(ledger.balance("new 39999"), 39999u);
    EXPECT_EQ(ledger.balance("Pilot 12345"), 12345u);
    ledger.clear();
    EXPECT_EQ(ledger.find("Pilot 1"), nullptr);
    ledger.append(file);
    EXPECT_EQ(ledger.balance("pilot 5"), 5u);
}

// Inventory names fill all 20 bytes when they are that long.
TEST(NameIndex, InventoryNamesOfTwentyBytesAreFoundByTheirFirstTwenty) {
    std::vector<InventoryRecord> file(3);
    std::memcpy(file[0].name, "ABCDEFGHIJKLMNOPQRST", 20); // no terminator
    std::memcpy(file[1].name, "abcdefghijklmnopqrst", 20);
    std::memcpy(file[2].name, "Short", 5);
    file[0].counts[0] = 1;
    file[1].counts[0] = 2;
    InventoryBook book;
    book.append(file);
    ASSERT_NE(book.find("abcdefghijklmnopqrstUVW"), nullptr);
    EXPECT_EQ(book.find("abcdefghijklmnopqrstUVW")->counts[0], 1);
    EXPECT_EQ(book.find("SHORT"), &book.records()[2]);
    EXPECT_EQ(book.find("Shor"), nullptr);
}

// The index takes in records appended since the last lookup, in order, at
// the next lookup: in one pass or in many, the answers are the same.
TEST(NameIndex, RecordsAppendedBetweenLookupsAreTakenInAtTheNextOne) {
    std::vector<std::string> names;
    const auto nameAt = [&names](std::size_t at) { return std::string_view(names[at]); };
    NameIndex index;
    EXPECT_FALSE(index.find("Ann", nameAt));
    names = {"Ann", "Bob"};
    index.cover(names.size(), nameAt);
    EXPECT_EQ(index.find("ANN", nameAt), 0u);
    names.push_back("ann"); // a later duplicate
    names.push_back("Cid");
    index.cover(names.size(), nameAt);
    EXPECT_EQ(index.find("ann", nameAt), 0u);
    EXPECT_EQ(index.find("cid", nameAt), 3u);
    index.cover(2, nameAt); // fewer than taken in: nothing is forgotten
    EXPECT_EQ(index.covered(), 4u);
    EXPECT_EQ(index.find("CID", nameAt), 3u);

    // Many small steps and one big one agree, duplicates included.
    names.clear();
    for (int i = 0; i < 5000; ++i) {
        names.push_back("Pilot " + std::to_string(i % 3700));
    }
    NameIndex stepped;
    stepped.cover(0, nameAt);
    for (std::size_t upTo = 1; upTo <= names.size(); upTo += upTo % 7 + 1) {
        stepped.cover(upTo, nameAt);
    }
    stepped.cover(names.size(), nameAt);
    index.clear();
    EXPECT_EQ(index.covered(), 0u);
    index.cover(names.size(), nameAt);
    for (int i = 0; i < 3700; i += 37) {
        const std::string name = "PILOT " + std::to_string(i);
        EXPECT_EQ(stepped.find(name, nameAt), static_cast<std::size_t>(i)) << name;
        EXPECT_EQ(index.find(name, nameAt), static_cast<std::size_t>(i)) << name;
    }
    EXPECT_FALSE(stepped.find("Pilot 3700", nameAt));
}

// A file read into the ledger is found by the next lookup, behind the
// accounts held before it (appending) or in their place (replacing); a read
// that fails before it asks for room leaves every account held.
TEST(NameIndex, FilesReadIntoTheLedgerAreFoundAfterLookupsBeforeThem) {
    const auto read = [](GoldLedger& ledger, const std::vector<GoldAccount>& file, bool replacing) {
        const std::size_t bytes = file.size() * sizeof(GoldAccount);
        std::memcpy(ledger.rawSpaceFor(bytes), file.data(), bytes);
        ledger.adoptRaw(bytes, replacing);
    };
    GoldLedger ledger;
    ledger.credit("Zed", 5);
    EXPECT_EQ(ledger.balance("zed"), 5u);
    read(ledger, {account("ZED", 70), account("Amy", 8)}, false);
    EXPECT_EQ(ledger.balance("zed"), 5u); // the account held first wins
    EXPECT_EQ(ledger.balance("AMY"), 8u);
    read(ledger, {account("Amy", 9)}, true);
    EXPECT_EQ(ledger.size(), 1u);
    EXPECT_EQ(ledger.find("Zed"), nullptr);
    EXPECT_EQ(ledger.balance("amy"), 9u);

    ledger.credit("Bo", 3);
    ledger.dropRaw(); // the read could not even open the file
    EXPECT_EQ(ledger.size(), 2u);
    EXPECT_EQ(ledger.balance("bo"), 3u);
    ledger.rawSpaceFor(10 * sizeof(GoldAccount));
    ledger.dropRaw(); // it failed halfway: only the room is given back
    EXPECT_EQ(ledger.size(), 2u);
    EXPECT_EQ(ledger.balance("Amy"), 9u);
}

} // namespace
} // namespace quorvel
