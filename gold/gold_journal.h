// gold.log: one record for every change of the economy (a kill's award, a
// loan, a purchase with its item, a staff gift, an import), each a line per
// account and field it changed, with its cause, who caused it, whose account
// it was, the change, the value after it, the bot it came through, the
// record's sequence number and the line's place in the record. It is the
// operators' audit trail, and it brings back every change made since the
// last save when the host dies:
//
//   2026-12-08T05:57:12Z<TAB>loan<TAB>Al<TAB>Bob<TAB>gold<TAB>+100<TAB>130<TAB>2<TAB>57<TAB>1/2
//   2026-12-08T05:57:12Z<TAB>loan<TAB>Al<TAB>Al<TAB>gold<TAB>-100<TAB>900<TAB>2<TAB>57<TAB>2/2
//
// Columns: time (UTC), cause, by, account, field (gold, an item word, or
// inventory for a whole record), change (+N, -N, new, reset, reload, saved),
// value after, the handle of the bot in decimal, the sequence number and
// "i/n" (gold/journal_format.h). Recovery applies the changes, never the
// values after: those are for operators. Each record reaches the operating
// system as it is written; the file is flushed to disk once a second by the
// tick.
#pragma once

#include "base/platform/platform.h"
#include "gold/economy_backend.h"
#include "gold/journal_format.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// One line of a record: whose account, which field, the change and the
// value after it, under the cause in force when it was made.
struct JournalEntry {
    ChangeCause cause;
    std::string account;
    std::string field;  // gold, an item word, or inventory for a whole record
    std::string change; // +N, -N, new, reset, reload, saved
    std::string after;
    std::string time; // when it was made: the economy stamps it by its platform's clock
};

class GoldJournal {
public:
    static constexpr const char* fileName = "gold.log";
    static constexpr const char* rotatedName = "gold.log.1";
    static constexpr std::uint64_t rotateAbove = 16u * 1024u * 1024u;

    // A folder whose quorvel.ini sets [Gold] KeepJournals=1 keeps every
    // gold.log.1 a rotation replaces, renamed to gold.log.TIME (the UTC
    // minute it went aside, 2026-12-08T0513Z, and .1, .2 ... after it when
    // that name is taken); nothing removes them. Read at each rotation, so
    // an edit takes effect at the next one.
    static constexpr const char* keepSection = "Gold";
    static constexpr const char* keepKey = "KeepJournals";

    explicit GoldJournal(platform::Platform& system) : files_(system) {}

    // The lines of one record.
    static JournalEntry goldChanged(const ChangeCause& cause, std::string_view account,
                                    std::int64_t change, std::uint32_t after);
    static JournalEntry itemChanged(const ChangeCause& cause, std::string_view account,
                                    std::string_view item, std::int64_t change, std::int32_t after);
    static JournalEntry inventoryCreated(const ChangeCause& cause, std::string_view account);
    // A whole table emptied (reset) or read again from its file (reload).
    static JournalEntry goldWiped(const ChangeCause& cause, bool reloaded,
                                  std::size_t accountsAfter);
    static JournalEntry inventoryWiped(const ChangeCause& cause, bool reloaded,
                                       std::size_t recordsAfter);
    // A completed save of gold.dat or inv.dat: it holds every record
    // numbered below the mark's own number.
    static JournalEntry goldSaved(Word bot, std::size_t accounts);
    static JournalEntry inventorySaved(Word bot, std::size_t records);

    // Writes a record whole, in one append, each line numbered `seq` and
    // "i/n"; says whether it is in gold.log (ok too when nothing is written,
    // while paused or held). A record that failed leaves the file closed, to
    // be opened again by the next one. A save's mark counts towards rotation.
    [[nodiscard]] platform::Status writeRecord(std::uint64_t seq,
                                               const std::vector<JournalEntry>& lines);
    // A record's lines as gold.log holds them, each with its line end.
    static void recordText(std::string& out, std::uint64_t seq,
                           const std::vector<JournalEntry>& lines);

    // After a save's mark was written: a large journal is rotated aside once
    // both tables have been saved since the last rotation, so gold.log.1,
    // which the rotation replaces, never holds a record no save has covered.
    // Ok when no rotation is due.
    [[nodiscard]] platform::Status rotateWhenDue();
    // A large journal rotated aside now, whatever was saved: for an economy
    // whose records all reached a database.
    [[nodiscard]] platform::Status rotateWhenLarge();
    // Why the last rotation that was due did not happen: gold.log.1 was to
    // be kept and could not be renamed (it is not replaced then, and gold.log
    // goes on growing until the next rotation keeps it). Nothing after it.
    std::optional<std::string> takeNotKept() { return std::exchange(notKept_, std::nullopt); }

    // The tick: takes what was written since the last sync to the disk.
    [[nodiscard]] platform::Status syncToDisk();

    // While paused (during recovery) nothing is written.
    void pause(bool paused) { paused_ = paused; }
    // Nothing is ever written again by this journal (gold.log could not be
    // read, and writing to it would bury the lines it holds).
    void hold() { held_ = true; }
    bool heldForGood() const { return held_; }
    // While refused, every line fails with `reason` and nothing is written;
    // the file is closed, so the first line allowed again opens gold.log by
    // its name (the folder's lock was lost, and the name may hold another
    // file by then).
    void refuseWrites(std::string reason) {
        refusedBecause_ = std::move(reason);
        file_.reset();
        unsynced_ = false;
    }
    void allowWrites() { refusedBecause_.clear(); }

    // The file may end in a line cut short (a full disk stopped a write
    // part-way, or the machine went down during one): the next record first
    // closes it off with two tabs and a line end, which no reader takes for a
    // change, so the cut line is never read and never swallows the next one.
    void lineCutShort() { cutShort_ = true; }

private:
    platform::Status failed(platform::Status why);

    // gold.log.1 renamed aside when quorvel.ini asks for it; false when it
    // was to be kept and could not be.
    bool keepRotated();

    platform::Platform& files_;
    std::unique_ptr<platform::AppendFile> file_;
    std::optional<std::string> notKept_;
    bool notKeptTold_ = false;
    std::string line_; // kept between records, so a record costs no allocation
    bool paused_ = false;
    bool held_ = false;
    std::string refusedBecause_;
    bool unsynced_ = false;
    bool cutShort_ = false;
    bool goldSavedSinceRotation_ = false;
    bool inventorySavedSinceRotation_ = false;
};

// A change made to the accounts or records an economy holds in memory, and
// the journal line that records it under `cause`: one place for every
// economy, whatever keeps its tables. setItemCountWithLine changes nothing
// and gives no line when `name` has no record.
JournalEntry creditWithLine(GoldLedger& ledger, const ChangeCause& cause, std::string_view name,
                            std::uint32_t amount);
JournalEntry debitWithLine(GoldLedger& ledger, const ChangeCause& cause, std::string_view name,
                           std::uint32_t amount);
std::optional<JournalEntry> setItemCountWithLine(InventoryBook& book, const ChangeCause& cause,
                                                 std::string_view name, ItemKind kind,
                                                 std::int32_t count);
JournalEntry createInventoryWithLine(InventoryBook& book, const ChangeCause& cause,
                                     std::string_view name);

} // namespace quorvel
