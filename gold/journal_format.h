// gold.log's line, once for every reader and writer of it: the module's
// journal and its crash recovery, quorvel-admin and the tests.
//
// A line is one change of one account (or a save, reset or reload of a whole
// table). Lines written now belong to a record: every change one event made
// (a loan's credit and debit, a purchase's item and price, an import's every
// account) is one record of one or more lines, written in one append, each
// line carrying the record's sequence number and its place in it:
//
//   time cause by account field change after bot seq part
//
// separated by tabs and ended by a line end. `seq` is unique in the folder
// and increasing; `part` is "i/n", the line's place among the record's n
// lines. A record whose n lines are not all there (a crash or a full disk cut
// it) was never made. Journals written before records have no seq and part:
// seven columns, or eight with the bot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// How many columns a line has: before the bot column, with it, and with the
// record's sequence number and part.
inline constexpr std::size_t journalColumnsOld = 7;
inline constexpr std::size_t journalColumnsWithBot = 8;
inline constexpr std::size_t journalColumns = 10;

// The field column: gold, an item word (gold/store_items.h), or inventory
// for a whole inventory record.
inline constexpr std::string_view journalGoldField = "gold";
inline constexpr std::string_view journalInventoryField = "inventory";

// The change column holds +N or -N (N from 0 to 4294967295), or one of these
// words: an inventory record made, a whole table emptied or read again from
// its file, and a save's mark.
inline constexpr std::string_view journalNew = "new";
inline constexpr std::string_view journalReset = "reset";
inline constexpr std::string_view journalReload = "reload";
inline constexpr std::string_view journalSaved = "saved";

// The account column of a line about a whole table (a reset, a reload, a
// save's mark); no player's account may have this name.
inline constexpr std::string_view journalEveryAccount = "*";

// A write stopped part-way (a full disk, a crash) leaves a line cut short;
// the next record first closes it off with this, which makes the cut line
// one no reader takes for a change, so it never swallows the next one.
inline constexpr std::string_view journalCutLineCloser = "\t\t\n";

// gold.log and gold.log.1 are read this much at a time, so memory stays
// bounded whatever their size; no journal line comes near the longest line,
// and one that does is passed over.
inline constexpr std::size_t journalChunkBytes = 64 * 1024;
inline constexpr std::size_t journalLongestLine = 64 * 1024;

// A journal text field (cause, by, account) with every control byte and the
// backslash escaped (\t \n \r, \\ and \xHH for the rest), so no line can
// carry a tab, a line end or a terminal's control sequence; and back.
std::string journalEscape(std::string_view text);
std::string journalUnescape(std::string_view text);

// A change as the change column holds it, "+N" or "-N"; and back (nothing
// for anything else, a word among them).
std::string journalChangeText(std::int64_t change);
std::optional<std::int64_t> readJournalChange(std::string_view change);

// The fields as they stand in the line (cause, by and account still escaped:
// journalUnescape gives the text back); `bot` is empty in a line written
// before the bot column existed, and seq and part are 0 in a line written
// before records (an old line).
struct JournalFields {
    std::string_view time;
    std::string_view cause;
    std::string_view by;
    std::string_view account;
    std::string_view field;
    std::string_view change;
    std::string_view after;
    std::string_view bot;
    std::uint64_t seq = 0;
    std::uint32_t part = 0;  // 1 to parts
    std::uint32_t parts = 0; // the number of lines of the record

    bool inRecord() const { return seq != 0; }
    bool isSave() const { return change == journalSaved; }
    // A whole table emptied or read again.
    bool isWipe() const {
        return account == journalEveryAccount &&
               (change == journalReset || change == journalReload);
    }
};

// A line without its line end: seven fields, eight with the bot's handle in
// decimal last, or ten with the sequence number and "i/n" after the bot.
// Anything else (a line cut short and closed off with extra tabs, a line of
// another file, a part that is not 1 to n) is not a journal line.
std::optional<JournalFields> splitJournalLine(std::string_view line);

// Why a line split into its fields still is not one the module writes (its
// field names nothing, its change or its value after is not one), or
// nothing when it is one. The time is for operators and plays no part.
std::optional<std::string> journalLineFlaw(const JournalFields& fields);

// The value after a change, within its table's bounds: a balance of gold
// (0 to 2^32 - 1), or a count of an item or inventory (a 32-bit signed
// number); nothing when `after` is not one.
std::optional<std::int64_t> readJournalValue(bool gold, std::string_view after);

// The numbers a line without a flaw holds, as journalLineFlaw read them: its
// change as a signed amount (none for new, reset, reload and saved), and its
// value after.
struct JournalNumbers {
    std::optional<std::int64_t> amount;
    std::int64_t after = 0;
};
std::optional<std::string> journalLineFlaw(const JournalFields& fields, JournalNumbers& numbers);

// A journal line whole: split, and without a flaw. Recovery applies only
// these; any other line is passed over, and ends the record it stands in.
std::optional<JournalFields> readJournalLine(std::string_view line);

// Whether a line that did not split is a line cut short and closed off (see
// journalCutLineCloser), rather than one damaged some other way.
inline bool isClosedOffCutLine(std::string_view line) {
    return line.ends_with(journalCutLineCloser.substr(0, 2));
}

// Whether `next` is the next line of record `seq` of `parts` lines, whose
// first `linesThere` lines are there in order: the same number and count of
// lines, and the next part. A record is whole when its n lines came so.
inline bool continuesRecord(std::uint64_t seq, std::uint32_t parts, std::size_t linesThere,
                            const JournalFields& next) {
    return next.seq == seq && next.parts == parts && next.part == linesThere + 1;
}

// The time column's form: 2026-12-08T05:57:12Z, UTC.
inline constexpr std::string_view journalTimePattern = "0000-00-00T00:00:00Z";
// Whether `text` is the beginning of a journal time (every digit a digit,
// every separator in its place), up to the whole of one; and whether it is a
// whole one.
bool matchesJournalTimePattern(std::string_view text);
bool isJournalTime(std::string_view time);

} // namespace quorvel
