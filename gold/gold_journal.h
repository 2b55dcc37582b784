// gold.log: one line for every change of a gold balance or an inventory
// count, with its cause, who caused it, whose account it was and the value
// after it. It is the operators' audit trail, and it brings back every change
// made since the last save when the host dies:
//
//   2026-12-08T05:57:12Z<TAB>givegold<TAB>Staffer<TAB>Bob<TAB>gold<TAB>+100<TAB>130
//
// Columns: time (UTC), cause, by, account, field (gold, an item word, or
// inventory for a whole record), change (+N, -N, new, reset, reload, saved),
// value after. Each line reaches the operating system as it is written;
// the file is flushed to disk once a second by the tick.
#pragma once

#include "frame/platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

class GoldJournal {
public:
    static constexpr const char* fileName = "gold.log";
    static constexpr const char* rotatedName = "gold.log.1";
    static constexpr std::uint64_t rotateAbove = 16u * 1024u * 1024u;

    // Names what causes the changes recorded while it lives; scopes nest.
    class Cause {
    public:
        Cause(GoldJournal& journal, std::string_view what, std::string_view who);
        ~Cause();
        Cause(const Cause&) = delete;
        Cause& operator=(const Cause&) = delete;

    private:
        GoldJournal& journal_;
        std::string previousWhat_;
        std::string previousWho_;
    };

    void goldChanged(std::string_view account, std::int64_t change, std::uint32_t after);
    void itemChanged(std::string_view account, std::string_view item, std::int64_t change,
                     std::int32_t after);
    void inventoryCreated(std::string_view account);
    // A whole table emptied (reset) or read again from its file (reload).
    void goldWiped(bool reloaded, std::size_t accountsAfter);
    void inventoryWiped(bool reloaded, std::size_t recordsAfter);
    // A completed save of gold.dat or inv.dat; a large journal is rotated.
    void goldSaved(std::size_t accounts);
    void inventorySaved(std::size_t records);

    // The tick: takes what was written since the last sync to the disk.
    void syncToDisk();
    // A failure to write, the first time it happens (reported once).
    std::optional<std::string> takeProblem();

    // While paused (during recovery) nothing is written.
    void pause(bool paused) { paused_ = paused; }

    // The file may end in a line cut short (a full disk stopped a write
    // part-way, or the machine went down during one): the next line first
    // closes it off with two tabs and a line end, which no reader takes for a
    // change, so the cut line is never read and never swallows the next one.
    void lineCutShort() { cutShort_ = true; }

private:
    void write(std::string_view account, std::string_view field, std::string_view change,
               std::string_view after);
    void afterSave();
    void fail(const std::string& why);

    platform::AppendFile file_;
    std::string what_ = "unknown";
    std::string who_ = "-";
    bool paused_ = false;
    bool unsynced_ = false;
    bool failing_ = false;
    bool cutShort_ = false;
    std::optional<std::string> problem_;
};

// A journal text field with tabs, line ends and backslashes escaped, and back.
std::string journalEscape(std::string_view text);
std::string journalUnescape(std::string_view text);

} // namespace quorvel
