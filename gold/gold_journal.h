// gold.log: one line for every change of a gold balance or an inventory
// count, with its cause, who caused it, whose account it was, the value
// after it and the bot it came through. It is the operators' audit trail,
// and it brings back every change made since the last save when the host
// dies:
//
//   2026-12-08T05:57:12Z<TAB>givegold<TAB>Staffer<TAB>Bob<TAB>gold<TAB>+100<TAB>130<TAB>2
//
// Columns: time (UTC), cause, by, account, field (gold, an item word, or
// inventory for a whole record), change (+N, -N, new, reset, reload, saved),
// value after, and the handle of the bot in decimal. Journals written before
// the bot column existed have seven columns and read the same. Each line
// reaches the operating system as it is written; the file is flushed to
// disk once a second by the tick.
#pragma once

#include "base/platform/platform.h"
#include "gold/economy_store.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace quorvel {

class GoldJournal {
public:
    static constexpr const char* fileName = "gold.log";
    static constexpr const char* rotatedName = "gold.log.1";
    static constexpr std::uint64_t rotateAbove = 16u * 1024u * 1024u;

    explicit GoldJournal(platform::FileSystem& files) : files_(files) {}

    // Each writes one line and says whether it is in gold.log (ok too when
    // nothing is written, while paused or held); a line that failed leaves
    // the file closed, to be opened again by the next one.
    [[nodiscard]] platform::Status goldChanged(const ChangeCause& cause, std::string_view account,
                                               std::int64_t change, std::uint32_t after);
    [[nodiscard]] platform::Status itemChanged(const ChangeCause& cause, std::string_view account,
                                               std::string_view item, std::int64_t change,
                                               std::int32_t after);
    [[nodiscard]] platform::Status inventoryCreated(const ChangeCause& cause,
                                                    std::string_view account);
    // A whole table emptied (reset) or read again from its file (reload).
    [[nodiscard]] platform::Status goldWiped(const ChangeCause& cause, bool reloaded,
                                             std::size_t accountsAfter);
    [[nodiscard]] platform::Status inventoryWiped(const ChangeCause& cause, bool reloaded,
                                                  std::size_t recordsAfter);
    // A completed save of gold.dat or inv.dat: every line before the mark is
    // in the file saved.
    [[nodiscard]] platform::Status goldSaved(Word bot, std::size_t accounts);
    [[nodiscard]] platform::Status inventorySaved(Word bot, std::size_t records);
    // After a save's line was written: a large journal is rotated aside once
    // both tables have been saved since the last rotation, so gold.log.1,
    // which the rotation replaces, never holds a line no save has covered.
    // Ok when no rotation is due.
    [[nodiscard]] platform::Status rotateWhenDue();

    // The tick: takes what was written since the last sync to the disk.
    [[nodiscard]] platform::Status syncToDisk();

    // While paused (during recovery) nothing is written.
    void pause(bool paused) { paused_ = paused; }
    // Nothing is ever written again by this journal (gold.log could not be
    // read, and writing to it would bury the lines it holds).
    void hold() { held_ = true; }
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
    // part-way, or the machine went down during one): the next line first
    // closes it off with two tabs and a line end, which no reader takes for a
    // change, so the cut line is never read and never swallows the next one.
    void lineCutShort() { cutShort_ = true; }

private:
    platform::Status write(const ChangeCause& cause, std::string_view account,
                           std::string_view field, std::string_view change, std::string_view after);
    platform::Status failed(platform::Status why);

    platform::FileSystem& files_;
    std::unique_ptr<platform::AppendFile> file_;
    bool paused_ = false;
    bool held_ = false;
    std::string refusedBecause_;
    bool unsynced_ = false;
    bool cutShort_ = false;
    bool goldSavedSinceRotation_ = false;
    bool inventorySavedSinceRotation_ = false;
};

// A journal text field with every control byte and the backslash escaped
// (\t \n \r, \\ and \xHH for the rest), so no line can carry a terminal's
// control sequence; and back.
std::string journalEscape(std::string_view text);
std::string journalUnescape(std::string_view text);

} // namespace quorvel
