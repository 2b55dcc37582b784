// gold.log.1 then gold.log (and the older journals an operator gives),
// read line by line with the module's reader and
// split with its line parser, oldest line first, and put back together into
// the changes they record: every line of one record (a loan's credit and
// debit, an import's every account) together, a line written before records
// alone. A record cut short by a crash or a full disk never happened.
#pragma once

#include "gold/journal_format.h"
#include "gold/journal_recovery.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace quorvel::admin {

// One journal line. Its texts are views of the entry's own copy of the
// line (and of the unescaped texts, where a line escaped any): one copy a
// line, however many fields. A copy of an entry views its own copy.
struct JournalEntry {
    const char* file = "";  // gold.log.1 or gold.log
    std::size_t line = 0;   // counted from 1 in its file
    std::string_view time;  // 2026-12-08T05:57:12Z
    std::string_view cause; // unescaped, as are `by` and `account`
    std::string_view by;
    std::string_view account;
    std::string_view field;  // gold, an item word, inventory
    std::string_view change; // +N, -N, new, reset, reload, saved
    std::string_view after;
    std::string_view bot;
    std::uint64_t seq = 0;   // 0 for a line written before records
    std::uint32_t part = 0;  // 1 to parts
    std::uint32_t parts = 0; // the lines of its record

    JournalEntry() = default;
    JournalEntry(const JournalEntry& other) { *this = other; }
    JournalEntry& operator=(const JournalEntry& other);

    // The texts of a line as split (`line` is what the fields view): cause,
    // by and account unescaped; seq and parts too.
    void setTexts(std::string_view line, const JournalFields& fields);
    // Texts already plain, in the order of the fields above.
    void setTexts(const std::array<std::string_view, 8>& plain);
    // The texts viewed where `fields` views them, none of them escaped: the
    // entry is then valid only while they are; a copy holds them itself.
    void viewTexts(const JournalFields& fields);

    bool isGold() const {
        // Compared in place: every command asks it of millions of lines.
        return field.size() == journalGoldField.size() &&
               std::memcmp(field.data(), journalGoldField.data(), journalGoldField.size()) == 0;
    }
    bool isInventory() const { return field == journalInventoryField; }
    bool isSave() const { return change == journalSaved; }
    // A line about a whole table (a reset, a reload, a save's mark).
    bool isEveryAccount() const { return account == journalEveryAccount; }
    // A whole table emptied or read again.
    bool isWipe() const {
        return isEveryAccount() && (change == journalReset || change == journalReload);
    }
    // The signed amount of a +N or -N change, and the value after, as read
    // with the line.
    std::optional<std::int64_t> amount() const { return amount_; }
    std::optional<std::int64_t> afterValue() const { return after_; }
    void setNumbers(const JournalNumbers& numbers) {
        amount_ = numbers.amount;
        after_ = numbers.after;
    }

private:
    std::array<std::string_view*, 8> texts() {
        return {&time, &cause, &by, &account, &field, &change, &after, &bot};
    }
    std::string storage_;
    std::optional<std::int64_t> amount_;
    std::optional<std::int64_t> after_;
};

// One change as the journal holds it: the lines of one record, or one line
// written before records.
struct JournalRecord {
    std::span<const JournalEntry> lines; // never empty; valid during the call only
    // False for a record cut short: fewer than its n lines are there (a
    // crash or a full disk stopped its write). It never happened: the module
    // does not apply it, and no figure counts it.
    bool whole = true;

    const JournalEntry& first() const { return lines.front(); }
    // The record's own count of lines (1 for a line written before records).
    std::size_t linesWritten() const {
        return first().parts == 0 ? 1 : static_cast<std::size_t>(first().parts);
    }
};

// What a whole look at the journal finds that the module passes over
// without a word.
struct JournalFinding {
    bool problem = true; // false: a note
    std::string text;    // begins with FILE:LINE
};

struct JournalSummary {
    std::vector<JournalFinding> findings;
    std::vector<std::string>
        unreadable;          // "gold.log: reason", when a file exists but cannot be read
    std::size_t entries = 0; // journal lines, cut records' too
    std::size_t cutRecords = 0;
    std::vector<std::string> filesRead;
    // With older journals given: files named twice (or a given file that is
    // gold.log.1 or gold.log), read once, as "FILE is OTHER"; and the
    // changes found in more than one file, counted once.
    bool olderGiven = false;
    std::vector<std::string> sameFiles;
    std::size_t repeatedRecords = 0;
};

// Calls `onRecord` for every change in gold.log.1 and gold.log in the
// current folder, oldest first, cut records too (`whole` false); lines that
// are not journal lines are findings, and so is each cut record (a note).
// A record's lines are adjacent, parts 1 to n in order, in one file: a line
// of another record, an old line, a line that is not a journal line or the
// end of the file ends a record that has not all its lines.
//
// `older` journals (absolute paths: files, or folders whose files named
// gold.log* are read) are read too: every file in the order of the first
// time it holds (the first record's number where two begin at one time),
// each file once however often it is named. A record is known by its
// number: one whose number and time fall within what an earlier file held
// was read already and is passed over (a sequence begun again from 1 has
// other times). Lines written before records carry no number and are read
// from every file that holds them. A given file that is not there, or
// cannot be read, is unreadable.
//
// `scan`, when given, is handed every line of gold.log.1 and gold.log that
// the module's recovery looks at, split, as it is read (JournalFirstPass);
// only without older journals, whose order may not be the module's.
JournalSummary readJournal(const std::vector<std::string>& older,
                           const std::function<void(const JournalRecord&)>& onRecord,
                           const JournalLineScan& scan = {});
inline JournalSummary readJournal(const std::function<void(const JournalRecord&)>& onRecord) {
    return readJournal({}, onRecord);
}

// With older journals given: which files were read, oldest first, and what
// was read once though found twice.
void tellJournalsRead(const JournalSummary& summary, std::ostream& err);

// Seconds since 1970-01-01 UTC of a journal time, or nothing when it is not
// one.
std::optional<std::int64_t> journalSeconds(std::string_view time);

// A time given on the command line: 2026-12-08, 2026-12-08T20, ... or a
// whole journal time; compared with the journal's times as text.
bool isJournalTimePrefix(const std::string& text);
// A --since that is not one stops the command (exit status 2).
void checkSince(const std::optional<std::string>& since);

} // namespace quorvel::admin
