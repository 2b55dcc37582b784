#include "gold/journal_recovery.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/gold_journal.h"
#include "gold/journal_line.h"
#include "gold/store_items.h"

#include <exception>
#include <optional>
#include <string>

namespace quorvel {
namespace {

// Journal files are read this much at a time; no journal line comes near the
// longest line, and one that does is passed over.
constexpr std::size_t chunkBytes = 64 * 1024;
constexpr std::size_t longestLine = 64 * 1024;

// The fields recovery reads; the account is still escaped (a scan for save
// marks never needs it).
struct JournalLine {
    std::string_view account;
    std::string_view field;
    std::string_view change;
    std::string_view after;
};

std::optional<JournalLine> parseLine(std::string_view line) {
    const std::optional<JournalFields> fields = splitJournalLine(line);
    if (!fields) {
        return std::nullopt;
    }
    return JournalLine{fields->account, fields->field, fields->change, fields->after};
}

bool isGoldSave(const JournalLine& line) {
    return line.field == "gold" && line.change == "saved";
}
bool isInventorySave(const JournalLine& line) {
    return line.field == "inventory" && line.change == "saved";
}

bool applyGold(const JournalLine& line, GoldLedger& ledger, const std::function<void()>& reload) {
    if (line.change == "reset" || line.change == "reload") {
        ledger.clear();
        if (line.change == "reload") {
            reload();
        }
        return true;
    }
    auto after = readBoundedNumber(line.after, 0, 4294967295LL);
    if (!after) {
        return false;
    }
    const std::string account = journalUnescape(line.account);
    GoldAccount* held = ledger.find(account);
    if (held == nullptr) {
        ledger.credit(account, 0);
        held = ledger.find(account);
    }
    held->amount = static_cast<std::uint32_t>(*after);
    return true;
}

bool applyInventory(const JournalLine& line, InventoryBook& book,
                    const std::function<void()>& reload) {
    if (line.field == "inventory") {
        if (line.change == "reset" || line.change == "reload") {
            book.clear();
            if (line.change == "reload") {
                reload();
            }
            return true;
        }
        if (line.change == "new") {
            const std::string account = journalUnescape(line.account);
            if (book.find(account) == nullptr) {
                book.appendEmpty(account);
            }
            return true;
        }
        return false;
    }
    auto kind = itemKindOfWord(line.field);
    auto after = readInt32(line.after);
    if (!kind || !after) {
        return false;
    }
    const std::string account = journalUnescape(line.account);
    InventoryRecord* record = book.find(account);
    if (record == nullptr) {
        record = &book.appendEmpty(account);
    }
    record->counts[static_cast<std::size_t>(*kind)] = *after;
    return true;
}

} // namespace

JournalReplay::JournalReplay(GoldLedger& ledger, InventoryBook& book,
                             std::function<void()> reloadGold,
                             std::function<void()> reloadInventory)
    : ledger_(ledger), book_(book), reloadGold_(std::move(reloadGold)),
      reloadInventory_(std::move(reloadInventory)) {}

void JournalReplay::scan(std::string_view text) {
    ++scanned_;
    // Only a save mark matters here, and most lines are not one.
    if (text.find("saved\t") == std::string_view::npos) {
        return;
    }
    if (auto line = parseLine(text)) {
        if (isGoldSave(*line)) {
            goldFrom_ = scanned_;
        } else if (isInventorySave(*line)) {
            inventoryFrom_ = scanned_;
        }
    }
}

void JournalReplay::apply(std::string_view text) {
    ++position_;
    auto line = parseLine(text);
    if (!line) {
        return;
    }
    if (isGoldSave(*line) || isInventorySave(*line)) {
        return;
    }
    if (line->field == "gold") {
        if (position_ > goldFrom_ && applyGold(*line, ledger_, reloadGold_)) {
            ++applied_;
        }
    } else if (position_ > inventoryFrom_ && applyInventory(*line, book_, reloadInventory_)) {
        ++applied_;
    }
}

std::size_t replayJournal(std::string_view journal, GoldLedger& ledger, InventoryBook& book,
                          const std::function<void()>& reloadGold,
                          const std::function<void()>& reloadInventory) {
    JournalReplay replay(ledger, book, reloadGold, reloadInventory);
    for (bool applying : {false, true}) {
        std::string_view rest = journal;
        // A last line without its line end was cut short by a crash.
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
             rest.remove_prefix(end + 1)) {
            applying ? replay.apply(rest.substr(0, end)) : replay.scan(rest.substr(0, end));
        }
    }
    return replay.applied();
}

bool recoverFromJournal(FileEconomy& economy) {
    GoldJournal& journal = economy.journal();
    JournalReplay replay(
        economy.ledger(), economy.book(), [&] { economy.loadGold(LoadMode::append); },
        [&] { economy.loadInventory(LoadMode::append); });
    bool lastLineCut = false;
    const auto pass = [&](bool applying) -> std::optional<std::string> {
        for (const char* name : {GoldJournal::rotatedName, GoldJournal::fileName}) {
            platform::Status read = economy.files().forEachLine(
                name, chunkBytes, longestLine,
                [&](std::string_view line, bool ended, bool tooLong) {
                    lastLineCut = !ended;
                    if (!ended || tooLong) {
                        return; // cut short by a crash, or not a journal line
                    }
                    applying ? replay.apply(line) : replay.scan(line);
                });
            if (read.isFailed()) {
                return std::string(name) + " could not be read (" + read.reason() + ")";
            }
            if (read.isNotFound()) {
                lastLineCut = false;
            }
        }
        return std::nullopt;
    };
    std::optional<std::string> failure;
    journal.pause(true);
    try {
        failure = pass(false);
        if (!failure) {
            failure = pass(true);
        }
    } catch (const std::exception& error) {
        failure = std::string("gold.log could not be replayed (") + error.what() + ")";
    }
    journal.pause(false);
    if (failure) {
        economy.holdSaves(*failure);
        return false;
    }
    // The next line written onto a cut-short gold.log must not glue onto it.
    if (lastLineCut) {
        journal.lineCutShort();
    }
    if (replay.applied() > 0) {
        economy.report("Recovered " + std::to_string(replay.applied()) + " changes from gold.log.");
    }
    return true;
}

} // namespace quorvel
