// One line of gold.log split into its fields, with nothing else read: the
// crash recovery, and tools that read the journal, split lines the same way.
//
// A line is one change of one account (or a save, reset or reload of a whole
// table). Lines written now belong to a record: every change one event made
// (a loan's credit and debit, a purchase's item and price, an import's every
// account) is one record of one or more lines, written in one append, each
// line carrying the record's sequence number and its place in it:
//
//   time cause by account field change after bot seq part
//
// `seq` is unique in the folder and increasing; `part` is "i/n", the line's
// place among the record's n lines. A record whose n lines are not all there
// (a crash or a full disk cut it) was never made. Journals written before
// records have no seq and part: seven columns, or eight with the bot.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvel {

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
};

// A line without its line end: seven fields, eight with the bot's handle in
// decimal last, or ten with the sequence number and "i/n" after the bot.
// Anything else (a line cut short and closed off with extra tabs, a line of
// another file, a part that is not 1 to n) is not a journal line.
std::optional<JournalFields> splitJournalLine(std::string_view line);

} // namespace quorvel
