#include "gold/gold_journal.h"

#include "base/text/text_rules.h"
#include "gold/store_items.h"

#include <utility>

namespace quorvel {

JournalEntry GoldJournal::goldChanged(const ChangeCause& cause, std::string_view account,
                                      std::int64_t change, std::uint32_t after) {
    return {cause, std::string(account), std::string(journalGoldField), journalChangeText(change),
            std::to_string(after)};
}

JournalEntry GoldJournal::itemChanged(const ChangeCause& cause, std::string_view account,
                                      std::string_view item, std::int64_t change,
                                      std::int32_t after) {
    return {cause, std::string(account), std::string(item), journalChangeText(change),
            std::to_string(after)};
}

JournalEntry GoldJournal::inventoryCreated(const ChangeCause& cause, std::string_view account) {
    return {cause, std::string(account), std::string(journalInventoryField),
            std::string(journalNew), "0"};
}

JournalEntry GoldJournal::goldWiped(const ChangeCause& cause, bool reloaded,
                                    std::size_t accountsAfter) {
    return {cause, std::string(journalEveryAccount), std::string(journalGoldField),
            std::string(reloaded ? journalReload : journalReset), std::to_string(accountsAfter)};
}

JournalEntry GoldJournal::inventoryWiped(const ChangeCause& cause, bool reloaded,
                                         std::size_t recordsAfter) {
    return {cause, std::string(journalEveryAccount), std::string(journalInventoryField),
            std::string(reloaded ? journalReload : journalReset), std::to_string(recordsAfter)};
}

JournalEntry GoldJournal::goldSaved(Word bot, std::size_t accounts) {
    return {ChangeCause{"save", "-", bot}, std::string(journalEveryAccount),
            std::string(journalGoldField), std::string(journalSaved), std::to_string(accounts)};
}

JournalEntry GoldJournal::inventorySaved(Word bot, std::size_t records) {
    return {ChangeCause{"save", "-", bot}, std::string(journalEveryAccount),
            std::string(journalInventoryField), std::string(journalSaved), std::to_string(records)};
}

void GoldJournal::recordText(std::string& out, std::uint64_t seq,
                             const std::vector<JournalEntry>& lines) {
    const std::string seqText = std::to_string(seq);
    const std::string count = std::to_string(lines.size());
    std::size_t part = 0;
    for (const JournalEntry& entry : lines) {
        out += entry.time;
        for (std::string_view field :
             {std::string_view(entry.cause.what), std::string_view(entry.cause.who),
              std::string_view(entry.account), std::string_view(entry.field),
              std::string_view(entry.change), std::string_view(entry.after)}) {
            out += '\t';
            out += journalEscape(field);
        }
        out += '\t';
        out += std::to_string(entry.cause.bot);
        out += '\t';
        out += seqText;
        out += '\t';
        out += std::to_string(++part);
        out += '/';
        out += count;
        out += '\n';
    }
}

platform::Status GoldJournal::writeRecord(std::uint64_t seq,
                                          const std::vector<JournalEntry>& lines) {
    if (paused_ || held_ || lines.empty()) {
        return {};
    }
    if (!refusedBecause_.empty()) {
        return platform::Status::failed(refusedBecause_);
    }
    if (!file_) {
        if (platform::Status opened = files_.openAppendFile(fileName, file_); !opened.ok()) {
            return failed(std::move(opened));
        }
    }
    // A failed append may have left part of its record in the file.
    line_.assign(cutShort_ ? journalCutLineCloser : std::string_view());
    recordText(line_, seq, lines);
    for (const JournalEntry& entry : lines) {
        if (entry.change == journalSaved) {
            (entry.field == journalGoldField ? goldSavedSinceRotation_
                                             : inventorySavedSinceRotation_) = true;
        }
    }
    if (platform::Status written = file_->append(line_); !written.ok()) {
        cutShort_ = true;
        return failed(std::move(written));
    }
    cutShort_ = false;
    unsynced_ = true;
    return {};
}

platform::Status GoldJournal::rotateWhenDue() {
    if (!goldSavedSinceRotation_ || !inventorySavedSinceRotation_) {
        return {};
    }
    return rotateWhenLarge();
}

platform::Status GoldJournal::rotateWhenLarge() {
    if (!file_ || file_->size() <= rotateAbove) {
        return {};
    }
    // Not told when it fails: every line reached the operating system when
    // it was written, and the file is renamed all the same.
    static_cast<void>(file_->sync());
    file_.reset();
    unsynced_ = false;
    if (!keepRotated()) {
        return {}; // gold.log goes on; the next rotation tries again
    }
    goldSavedSinceRotation_ = false;
    inventorySavedSinceRotation_ = false;
    if (platform::Status moved = files_.renameFile(fileName, rotatedName); !moved.ok()) {
        return failed(std::move(moved));
    }
    return {};
}

bool GoldJournal::keepRotated() {
    const std::string settings = platform::joinPath(files_.currentDirectory(), "quorvel.ini");
    if (files_.readIniValue(settings, keepSection, keepKey, "0", 15) != "1" ||
        !files_.fileStamp(rotatedName)) {
        return true;
    }
    // 2026-12-08T05:13:27Z gives gold.log.2026-12-08T0513Z: no colon, which
    // Windows refuses in a name, and names that sort as their times do.
    std::string minute = files_.utcTimestamp();
    if (minute.size() == 20) {
        minute = minute.substr(0, 13) + minute.substr(14, 2) + "Z";
    }
    const std::string base = std::string(fileName) + "." + minute;
    std::string kept = base;
    for (int taken = 1; files_.fileStamp(kept); ++taken) {
        kept = base + "." + std::to_string(taken);
    }
    // A rename, never a copy: the kept journal is whole or still gold.log.1.
    if (platform::Status moved = files_.renameFile(rotatedName, kept); !moved.ok()) {
        // Told once, not at every save while it goes on failing.
        if (!notKeptTold_) {
            notKeptTold_ = true;
            notKept_ = std::string(rotatedName) + " could not be kept as " + kept + " (" +
                       moved.reason() + "): gold.log is not rotated until it can be.";
        }
        return false;
    }
    notKeptTold_ = false;
    return true;
}

platform::Status GoldJournal::syncToDisk() {
    if (!unsynced_) {
        return {};
    }
    unsynced_ = false;
    if (!file_) {
        return {}; // closed by a failed line, whose failure was returned then
    }
    if (platform::Status synced = file_->sync(); !synced.ok()) {
        return failed(std::move(synced));
    }
    return {};
}

platform::Status GoldJournal::failed(platform::Status why) {
    file_.reset();
    return why;
}

JournalEntry creditWithLine(GoldLedger& ledger, const ChangeCause& cause, std::string_view name,
                            std::uint32_t amount) {
    ledger.credit(name, amount);
    const GoldAccount& account = *ledger.find(name);
    return GoldJournal::goldChanged(cause, fieldText(account.name, sizeof account.name), amount,
                                    account.amount);
}

JournalEntry debitWithLine(GoldLedger& ledger, const ChangeCause& cause, std::string_view name,
                           std::uint32_t amount) {
    ledger.debit(name, amount);
    const GoldAccount& account = *ledger.find(name);
    return GoldJournal::goldChanged(cause, fieldText(account.name, sizeof account.name),
                                    -static_cast<std::int64_t>(amount), account.amount);
}

std::optional<JournalEntry> setItemCountWithLine(InventoryBook& book, const ChangeCause& cause,
                                                 std::string_view name, ItemKind kind,
                                                 std::int32_t count) {
    InventoryRecord* record = book.find(name);
    if (record == nullptr) {
        return std::nullopt;
    }
    std::int32_t& stored = record->counts[static_cast<std::size_t>(kind)];
    const std::int64_t change = std::int64_t{count} - stored;
    stored = count;
    return GoldJournal::itemChanged(
        cause, name, inventoryItems[static_cast<std::size_t>(kind)].store->itemWord, change, count);
}

JournalEntry createInventoryWithLine(InventoryBook& book, const ChangeCause& cause,
                                     std::string_view name) {
    book.appendEmpty(name);
    return GoldJournal::inventoryCreated(cause, name);
}

} // namespace quorvel
