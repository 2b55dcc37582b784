#include "gold/gold_journal.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"
#include "gold/journal_format.h"
#include "gold/journal_recovery.h"
#include "support/faulty_file_system.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace quorvel::testing {
namespace {

std::vector<std::vector<std::string>> journalRows(const TestArena& arena) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(arena.readFile(GoldJournal::fileName).value_or(""));
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) {
            fields.push_back(field);
        }
        // Every line the module writes now belongs to a record: the bot,
        // then the record's sequence number and the line's place in it.
        // Ten columns; seven in the old lines a test writes itself.
        EXPECT_TRUE(fields.size() == 10u || fields.size() == 7u) << line;
        EXPECT_EQ(fields[0].size(), 20u) << fields[0]; // 2026-12-08T05:57:12Z
        fields.erase(fields.begin());
        rows.push_back(fields);
    }
    return rows;
}

using Row = std::vector<std::string>;

TEST(GoldJournal, EveryChangeIsOneLineWithItsCauseTheValueAfterAndItsBot) {
    TestArena arena;
    arena.handshake();
    EconomyBackend& economy = arena.economy();
    {
        EconomyBackend::Cause cause(economy, 1, "kill", "Bob");
        economy.credit("Bob", 2);
        {
            EconomyBackend::Cause inner(economy, 7, "givegold", "Staff\tX\x1B[2K");
            economy.credit("alice", 100);
        }
        economy.debit("bob", 5);
    }
    economy.createInventory("Carol");
    economy.setItemCount("carol", ItemKind::Guns, 1);
    economy.resetGold();
    EXPECT_TRUE(economy.saveGold().ok());
    EXPECT_EQ(
        journalRows(arena),
        (std::vector<Row>{
            // One event, one record, however its causes nest.
            {"kill", "Bob", "Bob", "gold", "+2", "2", "1", "1", "1/3"},
            // No control byte reaches the file: a terminal showing it
            // runs no escape sequence.
            {"givegold", "Staff\\tX\\x1B[2K", "alice", "gold", "+100", "100", "7", "1", "2/3"},
            {"kill", "Bob", "Bob", "gold", "-5", "4294967293", "1", "1", "3/3"},
            // Outside any event each change is a record of its own.
            {"unknown", "-", "Carol", "inventory", "new", "0", "0", "2", "1/1"},
            {"unknown", "-", "carol", "guns", "+1", "1", "0", "3", "1/1"},
            {"unknown", "-", "*", "gold", "reset", "0", "0", "4", "1/1"},
            {"save", "-", "*", "gold", "saved", "0", "0", "5", "1/1"},
        }));
}

TEST(GoldJournal, ReplaySetsValuesAfterTheLastSaveOfEachTable) {
    const std::string log =
        "t\tkill\tBob\tBob\tgold\t+2\t50\n"         // before the gold save: skipped
        "t\tpurchase guns\tBob\tBob\tguns\t+1\t3\n" // after the inventory save below? no
        "t\tsave\t-\t*\tinventory\tsaved\t1\n"
        "t\tsave\t-\t*\tgold\tsaved\t1\n"
        "t\tkill\tBob\tBob\tgold\t+2\t12\n"
        "t\tloan\tBob\tNew Guy\tgold\t+5\t5\n"
        "t\tinventory use\tBob\tBob\tmulti\t-1\t0\n"
        "t\tgreeting\tDan\tDan\tinventory\tnew\t0\n"
        "t\tpurchase thor\tDan\tDan\tthor\t+1\t1\n"
        "t\tkill\tBob\tBob\tgold\t+2\t14\n"
        "t\tkill\tBob\tBob\tgold\t+2\t16"; // cut short by the crash
    GoldLedger ledger;
    InventoryBook book;
    ledger.credit("Bob", 10);
    book.appendEmpty("Bob").counts[2] = 1;
    int reloads = 0;
    auto reload = [&] { ++reloads; };
    EXPECT_EQ(replayJournal(log, ledger, book, reload, reload), 6u);
    EXPECT_EQ(ledger.balance("Bob"), 14u);
    EXPECT_EQ(ledger.balance("new guy"), 5u);
    EXPECT_EQ(book.find("bob")->counts[2], 0);
    EXPECT_EQ(book.find("bob")->counts[0], 0); // the purchase was saved before
    EXPECT_EQ(book.find("Dan")->counts[5], 1);
    EXPECT_EQ(reloads, 0);

    // Applying the same lines again changes nothing.
    EXPECT_EQ(replayJournal(log, ledger, book, reload, reload), 6u);
    EXPECT_EQ(ledger.balance("Bob"), 14u);
    EXPECT_EQ(ledger.size(), 2u);
    EXPECT_EQ(book.size(), 2u);

    // Files gold.state names hold every record numbered below 10: those
    // from 10 on apply, one gold.log took late (after a later one) among
    // them, and nothing before the first of them.
    const TableRecovery fromState{TableRecovery::Base::savedState, 10};
    const std::string numbered = "t\tkill\tBob\tBob\tgold\t+2\t12\t1\t8\t1/1\n"
                                 "t\tloan\tBob\tAl\tgold\t+5\t5\t1\t9\t1/2\n"
                                 "t\tloan\tBob\tBob\tgold\t-5\t7\t1\t9\t2/2\n"
                                 "t\tkill\tBob\tBob\tgold\t+3\t10\t1\t11\t1/1\n"
                                 "t\tkill\tAl\tAl\tgold\t+4\t9\t1\t10\t1/1\n";
    GoldLedger saved;
    InventoryBook noItems;
    saved.credit("Bob", 7);
    saved.credit("Al", 5);
    EXPECT_EQ(replayJournal(numbered, saved, noItems, reload, reload, fromState, fromState), 2u);
    EXPECT_EQ(saved.balance("Bob"), 10u);
    EXPECT_EQ(saved.balance("Al"), 9u);
}

TEST(GoldJournal, ResetsAndReloadsReplayAsWhatTheyDid) {
    const std::string log = "t\tkill\tBob\tBob\tgold\t+2\t12\n"
                            "t\tgoldload\tStaff\t*\tgold\treload\t1\n"
                            "t\tkill\tAl\tAl\tgold\t+2\t2\n"
                            "t\tresetinv\tOwner\t*\tinventory\treset\t0\n"
                            "t\tpurchase guns\tAl\tAl\tguns\t+1\t1\n"
                            "garbage line\n"
                            "t\tkill\tAl\tAl\tgold\t+2\tnot a number\n";
    GoldLedger ledger;
    InventoryBook book;
    book.appendEmpty("Bob");
    auto reloadGold = [&] { ledger.credit("Bob", 10); }; // what gold.dat holds
    EXPECT_EQ(replayJournal(log, ledger, book, reloadGold, [] {}), 5u);
    EXPECT_EQ(ledger.balance("Bob"), 10u); // the kill before !goldload was discarded
    EXPECT_EQ(ledger.balance("Al"), 2u);
    EXPECT_EQ(book.find("Bob"), nullptr);
    ASSERT_NE(book.find("Al"), nullptr);
    EXPECT_EQ(book.find("Al")->counts[0], 1);
}

TEST(GoldJournal, RecoveryAtTheHandshakeTellsTheConsole) {
    TestArena arena;
    arena.writeFile(GoldJournal::fileName, "2026-12-08T05:57:12Z\tkill\tBob\tBob\tgold\t+2\t7\n"
                                           "2026-12-08T05:57:13Z\tkill\tBob\tBob\tgold\t+2\t9\n");
    arena.handshake();
    auto sent = arena.take();
    EXPECT_NE(std::find(sent.begin(), sent.end(), console("Recovered 2 changes from gold.log.")),
              sent.end());
    EXPECT_EQ(arena.gold().balance("bob"), 9u);
    // Recovery itself writes nothing to the journal.
    EXPECT_EQ(journalRows(arena).size(), 2u);
}

TEST(GoldJournal, AJournalThatCannotBeWrittenIsReportedOnceAndTheGameGoesOn) {
    TestArena arena;
    arena.handshake();
    arena.take();
    std::filesystem::create_directory(std::filesystem::path(arena.directory()) / "gold.log");
    EconomyBackend& economy = arena.economy();
    economy.credit("Bob", 1);
    economy.credit("Bob", 1);
    auto told = arena.takeTexts();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("gold.log cannot be written"), std::string::npos) << told[0];
    economy.credit("Bob", 1);
    EXPECT_TRUE(arena.take().empty());
    EXPECT_EQ(economy.balance("Bob"), 3u);
}

TEST(GoldJournal, AFullDiskIsToldOnceUntilALineIsWrittenAgain) {
    FaultyFileSystem disk;
    TestArena arena;
    arena.usePlatform(disk);
    arena.handshake();
    EconomyBackend& economy = arena.economy();
    economy.credit("Bob", 1);
    arena.take();
    const std::vector<std::string> told = {
        "gold.log cannot be written (" + FaultyFileSystem::noRoomIn(GoldJournal::fileName) +
        "); gold changes are kept in memory until the next save."};

    disk.fillDisk();
    economy.credit("Bob", 1);
    economy.credit("Bob", 1);
    arena.tick(); // a sync with nothing to flush ends nothing
    economy.credit("Bob", 1);
    EXPECT_EQ(arena.takeTexts(), told);

    disk.makeRoom();
    economy.credit("Bob", 1);
    EXPECT_TRUE(arena.take().empty());
    disk.fillDisk();
    economy.credit("Bob", 1);
    EXPECT_EQ(arena.takeTexts(), told);
    EXPECT_EQ(economy.balance("Bob"), 6u);
}

TEST(GoldJournal, ALargeJournalIsRotatedOnceBothTablesAreSaved) {
    TestArena arena;
    arena.handshake();
    FileEconomy& economy = arena.economy();
    const std::string filler(GoldJournal::rotateAbove, 'x');
    arena.writeFile(GoldJournal::fileName, filler + "\n");
    arena.writeFile(GoldJournal::rotatedName, "older\n");
    economy.credit("Bob", 1);
    economy.sync();
    EXPECT_FALSE(arena.fileExists(GoldJournal::rotatedName) &&
                 arena.readFile(GoldJournal::rotatedName)->size() > filler.size());
    // gold.log.1 may hold inventory lines no save has covered yet: saving
    // the gold alone (or again and again) must not replace it.
    EXPECT_TRUE(economy.saveGold().ok());
    EXPECT_TRUE(economy.saveGold().ok());
    EXPECT_EQ(arena.readFile(GoldJournal::rotatedName), "older\n");
    EXPECT_TRUE(economy.saveInventory().ok());
    ASSERT_TRUE(arena.fileExists(GoldJournal::rotatedName));
    EXPECT_GT(arena.readFile(GoldJournal::rotatedName)->size(), filler.size());
    EXPECT_FALSE(arena.fileExists(GoldJournal::fileName));
    economy.credit("Bob", 1);
    EXPECT_EQ(journalRows(arena).size(), 1u);
}

// The machine with a disk a test can refuse writes on, and a clock that
// stands still at `now`.
class StoppedClock final : public platform::PlatformWrapper {
public:
    explicit StoppedClock(platform::Platform& disk) : PlatformWrapper(disk) {}
    std::string utcTimestamp() override { return now; }
    std::string now = "2026-12-08T05:13:27Z";
};

// Kept journals: the gold.log.1 a rotation replaces goes aside under the
// time it went, never over an earlier one and never by a copy; a folder
// that does not ask for it keeps none; a journal that cannot be kept is not
// replaced, and goes aside at the next rotation.
TEST(GoldJournal, RotationKeepsTheJournalItReplacesUnderItsTimeWhenAsked) {
    const std::string filler(GoldJournal::rotateAbove, 'x');
    const auto rotate = [&filler](TestArena& arena, const std::string& older) {
        arena.writeFile(GoldJournal::fileName, filler + "\n");
        if (!older.empty()) {
            arena.writeFile(GoldJournal::rotatedName, older);
        }
        FileEconomy& economy = arena.economy();
        economy.credit("Bob", 1);
        EXPECT_TRUE(economy.saveGold().ok());
        EXPECT_TRUE(economy.saveInventory().ok());
    };
    const auto names = [](const TestArena& arena) {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(arena.directory())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(GoldJournal::fileName)) {
                found.push_back(name);
            }
        }
        std::ranges::sort(found);
        return found;
    };
    {
        FaultyFileSystem disk;
        StoppedClock clock(disk);
        TestArena arena;
        arena.usePlatform(clock);
        arena.writeFile("quorvel.ini", "[Gold]\nKeepJournals=0\n");
        arena.handshake();
        rotate(arena, "older\n");
        EXPECT_EQ(names(arena), (std::vector<std::string>{"gold.log.1"}));
        EXPECT_GT(arena.readFile(GoldJournal::rotatedName)->size(), filler.size());
    }
    FaultyFileSystem disk;
    StoppedClock clock(disk);
    TestArena arena;
    arena.usePlatform(clock);
    arena.writeFile("quorvel.ini", "[Gold]\nKeepJournals=1\n");
    arena.handshake();
    arena.take();
    // No gold.log.1 yet: nothing to keep.
    rotate(arena, "");
    EXPECT_EQ(names(arena), (std::vector<std::string>{"gold.log.1"}));
    const std::string first = *arena.readFile(GoldJournal::rotatedName);
    rotate(arena, "");
    EXPECT_EQ(names(arena), (std::vector<std::string>{"gold.log.1", "gold.log.2026-12-08T0513Z"}));
    EXPECT_TRUE(arena.readFile("gold.log.2026-12-08T0513Z") == first);
    // A second rotation within the minute keeps the first kept journal.
    rotate(arena, "second\n");
    EXPECT_TRUE(arena.readFile("gold.log.2026-12-08T0513Z") == first);
    EXPECT_EQ(arena.readFile("gold.log.2026-12-08T0513Z.1"), "second\n");
    // gold.log.1 goes aside by a rename: a journal that cannot be renamed
    // is not replaced (and not copied), and the console says so.
    std::vector<std::string> renamedOver;
    disk.writesCheckedBy(
        [&renamedOver](FaultyFileSystem::Write kind, const std::string& path, std::string_view) {
            if (kind != FaultyFileSystem::Write::rename) {
                return false;
            }
            renamedOver.push_back(path);
            return path.find("2026-12-09") != std::string::npos;
        });
    clock.now = "2026-12-09T00:00:00Z";
    arena.take();
    rotate(arena, "third\n");
    EXPECT_EQ(arena.readFile(GoldJournal::rotatedName), "third\n");
    EXPECT_EQ(names(arena).size(), 4u);
    EXPECT_TRUE(arena.fileExists(GoldJournal::fileName));
    const std::vector<std::string> told = arena.takeTexts();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("gold.log.1 could not be kept as gold.log.2026-12-09T0000Z"),
              std::string::npos)
        << told[0];
    // Saves while it goes on failing say nothing more.
    rotate(arena, "");
    EXPECT_TRUE(arena.takeTexts().empty());
    EXPECT_EQ(arena.readFile(GoldJournal::rotatedName), "third\n");
    // Once it can be, the next rotation keeps it.
    disk.writesCheckedBy({});
    clock.now = "2026-12-09T00:01:00Z";
    rotate(arena, "");
    EXPECT_EQ(arena.readFile("gold.log.2026-12-09T0001Z"), "third\n");
    EXPECT_EQ(names(arena).size(), 5u); // the inventory's mark began a gold.log
    EXPECT_EQ(renamedOver.size(), 3u);  // the refused ones (one a save): no copy was tried
}

TEST(GoldJournal, ALineSplitsIntoSevenEightOrTenFieldsAndNothingElse) {
    const std::string old = "2026-12-08T09:10:02Z\tloan\tBob\tAl\tgold\t+50\t52";
    const auto seven = splitJournalLine(old);
    ASSERT_TRUE(seven);
    EXPECT_EQ(seven->time, "2026-12-08T09:10:02Z");
    EXPECT_EQ(seven->cause, "loan");
    EXPECT_EQ(seven->by, "Bob");
    EXPECT_EQ(seven->account, "Al");
    EXPECT_EQ(seven->field, "gold");
    EXPECT_EQ(seven->change, "+50");
    EXPECT_EQ(seven->after, "52");
    EXPECT_EQ(seven->bot, "");
    EXPECT_FALSE(seven->inRecord());
    // The fields are views of the line: it lives as long as they are read.
    const std::string eightFields = old + "\t17";
    const auto eight = splitJournalLine(eightFields);
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->after, "52");
    EXPECT_EQ(eight->bot, "17");
    EXPECT_FALSE(eight->inRecord());
    const std::string tenFields = old + "\t17\t1796792905156325\t2/3";
    const auto ten = splitJournalLine(tenFields);
    ASSERT_TRUE(ten);
    EXPECT_EQ(ten->bot, "17");
    EXPECT_EQ(ten->seq, 1796792905156325u);
    EXPECT_EQ(ten->part, 2u);
    EXPECT_EQ(ten->parts, 3u);
    // Empty fields are fields: a journal line may have an empty cause.
    const auto empty = splitJournalLine("\t\t\t\tgold\t+1\t1");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->time, "");
    EXPECT_EQ(empty->field, "gold");
    for (const std::string& line :
         {std::string(), std::string("no tab at all"), old.substr(0, old.rfind('\t')), // six
          old + "\t17\t1796792905156325",                                              // nine
          old + "\t17\t1796792905156325\t2/3\t",                                       // eleven
          old + "\t17\t1796792905156325\t2/3\tx\ty",                                   // twelve
          old + "\t17\t\t",      // a line cut short and closed off
          old + "\tbot\t1\t1/1", // a bot that is not a number
          old + "\t17\t0\t1/1",  // no record is numbered 0
          old + "\t17\t5\t3/2", old + "\t17\t5\t0/2", old + "\t17\t5\t1-2", old + "\t17\t+5\t1/1",
          old + "\t17\t 5\t1/1", old + "\t17\t5\t+1/1", old + "\t17\t5\t1/-1",
          old + "\t17\t0x5\t1/1"}) {
        EXPECT_FALSE(splitJournalLine(line)) << line;
    }
}

TEST(GoldJournal, EscapedFieldsComeBackWhole) {
    for (std::string name : {"plain", "tab\there", "back\\slash", "new\nline", "end\\",
                             "esc\x1B[2Kbell\x07"
                             "del\x7F",
                             "\\x41 typed",
                             // C2 9B is a control to a UTF-8 terminal.
                             "c1 \xC2\x9B"
                             "2J\x80\x9F\xA0\xE9\xFF"}) {
        EXPECT_EQ(journalUnescape(journalEscape(name)), name);
        for (char c : journalEscape(name)) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_FALSE(byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F)) << name;
        }
    }
    // Recovery reads such a name back to its own account.
    const std::string hostile = "c1 \xC2\x9B"
                                "2J";
    const std::string goldDat =
        std::string("\xE8\x03\0\0", 4) + hostile + std::string(20 - hostile.size(), '\0');
    std::string log;
    {
        TestArena arena;
        arena.writeFile("gold.dat", goldDat);
        arena.handshake();
        arena.economy().credit(hostile, 2);
        log = *arena.readFile(GoldJournal::fileName);
    }
    EXPECT_EQ(log.find("\xC2\x9B"), std::string::npos) << log;
    TestArena again;
    again.writeFile("gold.dat", goldDat);
    again.writeFile(GoldJournal::fileName, log);
    again.handshake();
    EXPECT_EQ(again.gold().balance(hostile), 1002u);
}

} // namespace
} // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// gold.log refuses every line (full, or at its size limit) while a save of
// gold.dat succeeds: the save's mark is not in the journal, yet no later
// start may apply the lines from before it over the file saved.
TEST(GoldJournal, ASaveWhoseMarkCannotBeJournaledStillHoldsItsChanges) {
    FaultyFileSystem files;
    TestArena arena;
    arena.usePlatform(files);
    arena.writeFile("gold.dat", std::string("\xE8\x03\0\0Bob", 7) + std::string(17, '\0'));
    arena.handshake();
    EconomyBackend& economy = arena.economy();
    economy.credit("Bob", 4); // journaled: 1004
    bool journalRefused = false;
    files.writesCheckedBy(
        [&](FaultyFileSystem::Write kind, const std::string& path, std::string_view) {
            return journalRefused && kind == FaultyFileSystem::Write::append &&
                   path == GoldJournal::fileName;
        });
    journalRefused = true;
    economy.credit("Bob", 16);
    EXPECT_TRUE(economy.saveGold().ok());
    arena.terminate();

    for (int start = 0; start < 2; ++start) {
        TestArena again(arena.directory(), 7);
        again.handshake();
        EXPECT_EQ(again.gold().balance("Bob"), 1020u) << "start " << start;
        again.terminate();
    }
}

} // namespace
} // namespace quorvel::testing
