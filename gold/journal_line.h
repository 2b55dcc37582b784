// One line of gold.log split into its fields, with nothing else read: the
// crash recovery, and tools that read the journal, split lines the same way.
#pragma once

#include <optional>
#include <string_view>

namespace quorvel {

// The fields as they stand in the line (cause, by and account still escaped:
// journalUnescape gives the text back); `bot` is empty in a line written
// before the bot column existed.
struct JournalFields {
    std::string_view time;
    std::string_view cause;
    std::string_view by;
    std::string_view account;
    std::string_view field;
    std::string_view change;
    std::string_view after;
    std::string_view bot;
};

// A line without its line end: seven fields, or eight with the bot's handle
// in decimal last. Anything else (a line cut short and closed off with extra
// tabs, a line of another file) is not a journal line.
std::optional<JournalFields> splitJournalLine(std::string_view line);

} // namespace quorvel
