// gold.log.1 then gold.log, read line by line with the module's reader and
// split with its line parser, oldest line first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::admin {

struct JournalEntry {
    const char* file = ""; // gold.log.1 or gold.log
    std::size_t line = 0;  // counted from 1 in its file
    std::string time;      // 2026-12-08T05:57:12Z
    std::string cause;     // unescaped, as are `by` and `account`
    std::string by;
    std::string account;
    std::string field;  // gold, an item word, inventory
    std::string change; // +N, -N, new, reset, reload, saved
    std::string after;
    std::string bot;

    bool isGold() const { return field == "gold"; }
    bool isSave() const { return change == "saved"; }
    // A whole table emptied or read again.
    bool isWipe() const { return change == "reset" || change == "reload"; }
    // The signed amount of a +N or -N change.
    std::optional<std::int64_t> amount() const;
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
        unreadable; // "gold.log: reason", when a file exists but cannot be read
    std::size_t entries = 0;
    std::vector<std::string> filesRead;
};

// Calls `onEntry` for every journal line of gold.log.1 and gold.log in the
// current folder, oldest first; lines that are not journal lines are
// findings.
JournalSummary readJournal(const std::function<void(const JournalEntry&)>& onEntry);

// Seconds since 1970-01-01 UTC of a journal time, or nothing when it is not
// one.
std::optional<std::int64_t> journalSeconds(const std::string& time);

// A time given on the command line: 2026-12-08, 2026-12-08T20, ... or a
// whole journal time; compared with the journal's times as text.
bool isJournalTimePrefix(const std::string& text);
// A --since that is not one stops the command (exit status 2).
void checkSince(const std::optional<std::string>& since);

} // namespace quorvel::admin
