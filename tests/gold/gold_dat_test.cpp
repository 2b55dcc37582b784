#include "gold_records.h"
#include "support/faulty_file_system.h"
#include "support/test_arena.h"

#include "base/platform/machine.h"
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/record_checks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

using namespace std::string_literals;

std::vector<std::pair<std::string, std::uint32_t>> accountsOf(const GoldLedger& ledger) {
    std::vector<std::pair<std::string, std::uint32_t>> accounts;
    for (const GoldAccount& account : ledger.accounts()) {
        accounts.emplace_back(account.name, account.amount);
    }
    return accounts;
}

// gold.dat and whatever lies beside it under a name that begins the same.
std::set<std::string> goldFilesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("gold.dat", 0) == 0) {
            names.insert(name);
        }
    }
    return names;
}

TEST(GoldDat, ByteExactRoundTripThroughHandshakeAndTerminate) {
    TestArena arena;
    const std::string original = goldRecord(0x01020304u, "Bob") +
                                 goldRecord(4294967295u, "NineteenCharsLong19") +
                                 goldRecord(0, "") + goldRecord(2147483648u, "x y-z[]");
    arena.writeFile("gold.dat", original);
    arena.handshake();
    using Accounts = std::vector<std::pair<std::string, std::uint32_t>>;
    EXPECT_EQ(accountsOf(arena.gold()), (Accounts{{"Bob", 16909060u},
                                                  {"NineteenCharsLong19", 4294967295u},
                                                  {"", 0u},
                                                  {"x y-z[]", 2147483648u}}));
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"), original);
    EXPECT_EQ(arena.takeTexts(),
              (std::vector<std::string>{"DLL plugin connected.", "DLL plugin disconnected."}));
}

TEST(GoldDat, EmptyMissingAndWholeFiles) {
    {
        TestArena arena; // no gold.dat: nothing loaded, nothing said
        arena.handshake();
        EXPECT_EQ(arena.gold().size(), 0u);
        EXPECT_EQ(arena.takeTexts(), std::vector<std::string>{"DLL plugin connected."});
        arena.terminate(); // an empty ledger saves an empty file
        EXPECT_EQ(arena.readFile("gold.dat"), ""s);
    }
    {
        TestArena arena;
        arena.writeFile("gold.dat", "");
        arena.handshake();
        EXPECT_EQ(arena.gold().size(), 0u);
    }
    {
        TestArena arena;
        arena.writeFile("gold.dat", goldRecord(1, "A") + goldRecord(2, "B"));
        arena.handshake();
        EXPECT_EQ(arena.gold().size(), 2u);
        EXPECT_EQ(arena.gold().balance("b"), 2u);
    }
}

TEST(GoldDat, BytesAfterTheNulAreDroppedAndAFullFieldKeeps19Characters) {
    TestArena arena;
    arena.writeFile("gold.dat",
                    goldRecord(5, "Bob\0garbage!!"s) + goldRecord(6, "TwentyCharacterName!"));
    arena.handshake();
    EXPECT_EQ(arena.gold().balance("BOB"), 5u);
    EXPECT_EQ(arena.gold().balance("TwentyCharacterName"), 6u);
    EXPECT_EQ(arena.gold().balance("TwentyCharacterName!"), 6u);
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"),
              goldRecord(5, "Bob") + goldRecord(6, "TwentyCharacterName"));
}

TEST(GoldDat, LongNamesAreStoredAsTheirFirst19Characters) {
    TestArena arena;
    arena.handshake();
    arena.gold().credit("ANameOfTwentyFiveLetters!", 40);
    arena.gold().credit("anameoftwentyfivelettersXYZ", 2); // same first 19
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"), goldRecord(42, "ANameOfTwentyFiveLe"));

    arena.handshake();
    EXPECT_EQ(arena.gold().balance("ANameOfTwentyFiveLetters!"), 42u);
    EXPECT_EQ(arena.gold().balance("anameoftwentyfivele"), 42u);
}

TEST(GoldDat, DuplicateNamesFirstMatchWinsAndSavingKeepsThemAll) {
    TestArena arena;
    arena.writeFile("gold.dat",
                    goldRecord(10, "Bob") + goldRecord(5, "Alice") + goldRecord(20, "BOB"));
    arena.handshake();
    GoldLedger& gold = arena.gold();
    ASSERT_EQ(gold.size(), 3u);
    EXPECT_EQ(gold.balance("bob"), 10u);
    EXPECT_EQ(gold.find("BOB"), &gold.accounts()[0]);
    gold.credit("bOb", 1);
    gold.debit("BOB", 3);
    EXPECT_EQ(gold.accounts()[0].amount, 8u);
    EXPECT_EQ(gold.accounts()[2].amount, 20u); // never found, never touched
    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"),
              goldRecord(8, "Bob") + goldRecord(5, "Alice") + goldRecord(20, "BOB"));

    // Loading again without clearing doubles the records; lookups still see
    // the first copy.
    arena.handshake();
    EXPECT_TRUE(arena.economy().loadGold(LoadMode::append).findings.empty());
    EXPECT_EQ(arena.gold().size(), 6u);
    EXPECT_EQ(arena.gold().balance("BOB"), 8u);
    EXPECT_EQ(arena.gold().balance("alice"), 5u);
}

TEST(GoldDat, StrayBytesLoadTheWholeRecordsAndKeepTheDamagedFile) {
    TestArena arena;
    const std::string damaged = goldRecord(7, "Bob") + "X";
    arena.writeFile("gold.dat", damaged);
    arena.handshake();
    EXPECT_EQ(arena.gold().balance("Bob"), 7u);
    EXPECT_EQ(arena.gold().size(), 1u);
    const std::string warning = "Warning: gold.dat is damaged: 1 stray byte after 1 whole "
                                "record; the whole records are loaded and the damaged file is "
                                "kept as gold.dat.damaged.";
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{"DLL plugin connected.", warning}));
    EXPECT_EQ(arena.readFile("gold.dat.damaged"), damaged);
    EXPECT_EQ(arena.readFile("gold.dat"), damaged); // untouched until a save

    // The same damaged file read again reuses its copy.
    arena.gold().clear();
    EXPECT_EQ(arena.economy().loadGold(LoadMode::append).findings,
              std::vector<std::string>{warning});
    EXPECT_TRUE(arena.takeTexts().empty()); // the caller tells the console
    EXPECT_FALSE(arena.fileExists("gold.dat.damaged.1"));

    arena.terminate();
    EXPECT_EQ(arena.readFile("gold.dat"), goldRecord(7, "Bob"));
    arena.take();

    // Another damaged file never overwrites the earlier copy.
    const std::string other = goldRecord(1, "A") + goldRecord(2, "B") + std::string(23, 'z');
    arena.writeFile("gold.dat", other);
    arena.handshake();
    EXPECT_EQ(arena.takeTexts(),
              (std::vector<std::string>{"DLL plugin connected.",
                                        "Warning: gold.dat is damaged: 23 stray bytes after 2 "
                                        "whole records; the whole records are loaded and the "
                                        "damaged file is kept as gold.dat.damaged.1."}));
    EXPECT_EQ(arena.readFile("gold.dat.damaged"), damaged);
    EXPECT_EQ(arena.readFile("gold.dat.damaged.1"), other);
    EXPECT_EQ(arena.gold().size(), 2u);
}

TEST(GoldDat, ShortFileHasNoWholeRecord) {
    TestArena arena;
    arena.writeFile("gold.dat", "short");
    arena.handshake();
    EXPECT_EQ(arena.gold().size(), 0u);
    EXPECT_EQ(arena.takeTexts().back(),
              "Warning: gold.dat is damaged: 5 stray bytes after 0 whole records; the whole "
              "records are loaded and the damaged file is kept as gold.dat.damaged.");
}

class GoldDatSave : public ::testing::Test {
protected:
    void SetUp() override {
        arena.writeFile("gold.dat", previous);
        arena.usePlatform(disk);
        arena.handshake();
        arena.take();
        arena.economy().credit("Carol", 99); // the ledger now differs from the file
    }

    // The failure is returned (whoever saved tells the console), the old
    // file stands and no temporary file stays.
    void expectFailedSave(const platform::Status& result, const std::set<std::string>& files) {
        EXPECT_TRUE(result.isFailed());
        EXPECT_FALSE(result.reason().empty());
        EXPECT_TRUE(arena.take().empty());
        EXPECT_EQ(arena.readFile("gold.dat"), previous);
        EXPECT_EQ(goldFilesIn(arena.directory()), files);
    }

    FaultyFileSystem disk;
    TestArena arena;
    const std::string previous = goldRecord(500, "Alice") + goldRecord(12, "Bob");
};

TEST_F(GoldDatSave, AFullDiskLeavesTheOldFile) {
    disk.fillDisk();
    expectFailedSave(arena.economy().saveGold(), {"gold.dat"});

    disk.makeRoom();
    platform::Status saved = arena.economy().saveGold();
    EXPECT_TRUE(saved.ok()) << saved.reason();
    EXPECT_TRUE(arena.take().empty());
    EXPECT_EQ(arena.readFile("gold.dat"), previous + goldRecord(99, "Carol"));
    EXPECT_EQ(goldFilesIn(arena.directory()), std::set<std::string>{"gold.dat"});
}

TEST_F(GoldDatSave, AnImpossibleSaveLeavesTheOldFile) {
    const std::string temporary = platform::temporaryNameFor("gold.dat");
    std::filesystem::create_directory(temporary);
    const platform::Status failed = arena.economy().saveGold();
    expectFailedSave(failed, {"gold.dat", temporary});

    // Terminate tells the failure on the console, then disconnects as usual.
    arena.terminate();
    std::vector<std::string> texts = arena.takeTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "Could not save gold.dat: " + failed.reason() +
                             ". The previous gold.dat is unchanged."),
              1);
    EXPECT_EQ(texts.back(), "DLL plugin disconnected.");
    EXPECT_EQ(arena.readFile("gold.dat"), previous);

    // The host reconnects: gold.log brings back what the failed save lost.
    std::filesystem::remove(temporary);
    arena.handshake();
    EXPECT_TRUE(arena.economy().saveGold().ok());
    EXPECT_EQ(arena.readFile("gold.dat"), previous + goldRecord(99, "Carol"));
}

TEST(GoldDatAutosave, TheAutosaveWritesGoldWhileTheStoreIsOn) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=3\n");
    arena.handshake();
    arena.gold().credit("Dave", 9);
    arena.tick(2);
    EXPECT_FALSE(arena.fileExists("gold.dat"));
    arena.take();
    arena.tick();
    EXPECT_EQ(arena.takeTexts().front(), "AutoSave...");
    EXPECT_EQ(arena.readFile("gold.dat"), goldRecord(9, "Dave"));
}

} // namespace
} // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// A gold.dat cut short after it was saved: the accounts it lost come back
// with the last values gold.log holds of them, the console says how many
// were lost and recovered, and the next save writes them all again. A
// garbage inv.dat gives up no record with control bytes or negative counts.
TEST(GoldDat, ACutOrGarbageFileComesBackAsFarAsTheJournalKnows) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n");
    arena.handshake();
    EconomyBackend& economy = arena.economy();
    for (int i = 0; i < 12; ++i) {
        economy.credit("Player" + std::to_string(i), static_cast<std::uint32_t>(100 + i));
    }
    EXPECT_TRUE(economy.saveGold().ok());
    economy.credit("Player3", 7); // after the save: 110
    arena.terminate();            // saves again: gold.dat holds 110
    const std::string whole = *arena.readFile("gold.dat");
    arena.writeFile("gold.dat", whole.substr(0, 10));
    std::string garbage(300, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 7919 + 13) % 256);
    }
    arena.writeFile("inv.dat", garbage);

    TestArena again(arena.directory(), 7);
    again.handshake();
    const std::vector<std::string> told = again.takeTexts();
    EXPECT_EQ(again.gold().size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(again.gold().balance("Player" + std::to_string(i)),
                  static_cast<std::uint32_t>(100 + i + (i == 3 ? 7 : 0)))
            << i;
    }
    bool toldOfRecovery = false;
    for (const std::string& line : told) {
        toldOfRecovery = toldOfRecovery ||
                         line.starts_with("gold.dat was damaged: 12 accounts lost, 12 accounts "
                                          "recovered from gold.log (Player0, Player1");
    }
    EXPECT_TRUE(toldOfRecovery) << ::testing::PrintToString(told);
    for (const InventoryRecord& record : again.inventory().records()) {
        EXPECT_TRUE(plausibleInventory(record)) << fieldText(record.name, sizeof record.name);
    }
    again.terminate();
    TestArena third(arena.directory(), 7);
    third.handshake();
    EXPECT_EQ(third.gold().size(), 12u);
    EXPECT_EQ(third.gold().balance("Player3"), 110u);
}

} // namespace
} // namespace quorvel::testing
