// Bringing back the changes made after the last save, from gold.log, when
// the host died without saving.
#pragma once

#include "gold/journal_format.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace quorvel {

class FileEconomy;
class GoldLedger;
class InventoryBook;

// Where the replay of one table (the gold accounts, or the inventory
// records) starts, decided when its file is loaded.
struct TableRecovery {
    enum class Base {
        // gold.state names the file's bytes: it holds every record numbered
        // below `fromSeq`, and the records from there on are applied.
        savedState,
        // The file is not one gold.state names (a folder from before
        // gold.state, or a file put in place by hand): the lines after the
        // table's last save mark in the journal are applied.
        journalMarks,
        // The file exists but could not be read: no change is applied over
        // accounts it was never the base of.
        unreadable,
    };
    Base base = Base::journalMarks;
    std::uint64_t fromSeq = 0;
    // The file lost records (cut short, garbage, or smaller than the file
    // gold.state names): accounts or records missing from it come back with
    // the last values the journal holds of them. `inFile` holds the folded
    // names the file still has; `lost` how many records it lost, when known.
    bool damaged = false;
    std::unordered_set<std::string> inFile;
    std::optional<std::size_t> lost;
};

// What a replay did, for the console.
struct ReplayOutcome {
    std::size_t applied = 0;    // lines applied
    std::size_t cutRecords = 0; // records whose lines were not all there
    std::uint64_t lastSeq = 0;  // the highest sequence number seen
    // Accounts or records a damaged file lost that the journal brought back
    // (they existed when the file was saved), by table.
    std::vector<std::string> recoveredGold;
    std::vector<std::string> recoveredInventory;
};

// Where a line stands in the journal: gold.log.1 is file 0 and gold.log
// file 1, `byte` where the line begins in its file and `next` where the one
// after it begins. A reader that lost count of the bytes (it passed over a
// line too long to hand on) gives `known` false.
struct JournalLinePlace {
    std::size_t file = 0;
    std::uint64_t byte = 0;
    std::uint64_t next = 0;
    bool known = false;
};

// Where the apply pass begins reading: at `byte` of `file`, the files
// before it not read at all. The lines passed over are ones no table's plan
// applies.
struct JournalApplyStart {
    std::size_t file = 0;
    std::uint64_t byte = 0;
};

// Replays a journal given line by line, twice: the first pass finds the last
// save mark of each table and the highest sequence number, the second
// applies what each table's TableRecovery says. A record's lines are applied
// only when all of them are there; a record applies its changes (+N, -N), an
// old line without a sequence number the value it records; a reset empties,
// a reload empties and reads the file again. Lines that do not parse, and a
// last line without its line end (cut short by a crash), are passed over by
// the caller or here.
class JournalReplay {
public:
    JournalReplay(GoldLedger& ledger, InventoryBook& book, std::function<void()> reloadGold,
                  std::function<void()> reloadInventory, TableRecovery gold = {},
                  TableRecovery inventory = {});
    ~JournalReplay();
    JournalReplay(const JournalReplay&) = delete;
    JournalReplay& operator=(const JournalReplay&) = delete;

    // The records gold.state kept because gold.log refused them: each is
    // applied once, in its place among the journal's records by number,
    // whether or not gold.log took it later.
    void useSavedRecords(std::string_view text);
    void scan(std::string_view line, const JournalLinePlace& place = {});
    // The same for a line already split (nothing when it did not split).
    void scan(const std::optional<JournalFields>& line, const JournalLinePlace& place = {});
    // Once the scan is done: where the apply pass may begin reading, the
    // lines before it counted as read. A caller that reads from the start
    // all the same need not ask.
    JournalApplyStart applyStart();
    // How far the scan counted the bytes of a file (0 or 1), as where the
    // last line it counted ends.
    std::uint64_t bytesScanned(std::size_t file) const;
    void apply(std::string_view line);
    // After the last line: a record still open was cut short, and what a
    // damaged file lost is added back.
    void finish();
    const ReplayOutcome& outcome() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The two passes over a journal held whole in memory; returns the number of
// changes applied.
std::size_t replayJournal(std::string_view journal, GoldLedger& ledger, InventoryBook& book,
                          const std::function<void()>& reloadGold,
                          const std::function<void()>& reloadInventory, TableRecovery gold = {},
                          TableRecovery inventory = {}, std::string_view savedRecords = {});

// When the economy opens, after gold.dat and inv.dat are loaded: replays
// gold.log.1 and gold.log as the economy's TableRecovery of each table says,
// read in chunks so that memory stays bounded whatever their size, and
// tells the console what was recovered. A journal that cannot be read, or a
// replay that fails half-way, is reported, and the economy's saves are held
// back (a save would mark the records not recovered as saved); false then.
//
// A caller that reads gold.log.1 and gold.log whole anyway gives
// `firstPass`, which reads them once, in that order, and hands `scan` every
// line the replay looks at (one with its line end and not too long), split,
// with its place: recovery's own first read is then saved, and its second
// begins where the first line it may apply begins.
using JournalLineScan =
    std::function<void(const std::optional<JournalFields>& line, const JournalLinePlace& place)>;
using JournalFirstPass = std::function<void(const JournalLineScan& scan)>;
bool recoverFromJournal(FileEconomy& economy, const JournalFirstPass& firstPass = {});

} // namespace quorvel
