#include "gold/journal_recovery.h"

#include "frame/messages/senders.h"
#include "frame/platform/platform.h"
#include "frame/spawn/bot_spawn.h"
#include "frame/text/text_rules.h"
#include "gold/gold_files.h"
#include "gold/gold_journal.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {
namespace {

constexpr std::array<std::string_view, itemKindCount> itemWords = {
    "guns", "bombs", "multi", "super", "shield", "thor", "prize", "portal"};

struct JournalLine {
    std::string account;
    std::string_view field;
    std::string_view change;
    std::string_view after;
};

std::optional<JournalLine> parseLine(std::string_view line) {
    // Exactly seven fields: a line with an eighth, even an empty one, is not
    // a journal line (a line cut short is closed off with extra tabs).
    std::array<std::string_view, 7> fields;
    std::size_t count = 0;
    bool ended = false;
    while (count < fields.size()) {
        std::size_t tab = line.find('\t');
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos) {
            ended = true;
            break;
        }
        line.remove_prefix(tab + 1);
    }
    if (count != fields.size() || !ended) {
        return std::nullopt;
    }
    return JournalLine{journalUnescape(fields[3]), fields[4], fields[5], fields[6]};
}

bool isGoldSave(const JournalLine& line) {
    return line.field == "gold" && line.change == "saved";
}
bool isInventorySave(const JournalLine& line) {
    return line.field == "inventory" && line.change == "saved";
}
bool isGoldLine(const JournalLine& line) {
    return line.field == "gold";
}

std::optional<std::size_t> itemIndex(std::string_view word) {
    for (std::size_t i = 0; i < itemWords.size(); ++i) {
        if (itemWords[i] == word) {
            return i;
        }
    }
    return std::nullopt;
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
    if (ledger.find(line.account) == nullptr) {
        ledger.credit(line.account, 0);
    }
    ledger.find(line.account)->amount = static_cast<std::uint32_t>(*after);
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
            if (book.find(line.account) == nullptr) {
                book.appendEmpty(line.account);
            }
            return true;
        }
        return false;
    }
    auto item = itemIndex(line.field);
    auto after = readInt32(line.after);
    if (!item || !after) {
        return false;
    }
    InventoryRecord* record = book.find(line.account);
    if (record == nullptr) {
        record = &book.appendEmpty(line.account);
    }
    record->counts[*item] = *after;
    return true;
}

} // namespace

std::size_t replayJournal(std::string_view journal, GoldLedger& ledger, InventoryBook& book,
                          const std::function<void()>& reloadGold,
                          const std::function<void()>& reloadInventory) {
    std::vector<JournalLine> lines;
    while (true) {
        std::size_t end = journal.find('\n');
        if (end == std::string_view::npos) {
            break; // nothing, or a last line the crash cut short
        }
        if (auto parsed = parseLine(journal.substr(0, end))) {
            lines.push_back(std::move(*parsed));
        }
        journal.remove_prefix(end + 1);
    }
    std::size_t goldFrom = 0;
    std::size_t inventoryFrom = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isGoldSave(lines[i])) {
            goldFrom = i + 1;
        } else if (isInventorySave(lines[i])) {
            inventoryFrom = i + 1;
        }
    }
    std::size_t applied = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const JournalLine& line = lines[i];
        if (isGoldSave(line) || isInventorySave(line)) {
            continue;
        }
        if (isGoldLine(line)) {
            if (i >= goldFrom && applyGold(line, ledger, reloadGold)) {
                ++applied;
            }
        } else if (i >= inventoryFrom && applyInventory(line, book, reloadInventory)) {
            ++applied;
        }
    }
    return applied;
}

void recoverFromJournal(BotSpawn& spawn) {
    std::string journal;
    if (auto older = platform::readWholeFile(GoldJournal::rotatedName)) {
        journal = std::move(*older);
    }
    if (auto current = platform::readWholeFile(GoldJournal::fileName)) {
        // A cut-short last line of the older file must not glue onto the
        // first line of the newer one.
        if (!journal.empty() && journal.back() != '\n') {
            journal.resize(journal.rfind('\n') + 1);
        }
        // Nor the next line written onto a cut-short gold.log.
        if (!current->empty() && current->back() != '\n') {
            spawn.journal.lineCutShort();
        }
        journal += *current;
    }
    if (journal.empty()) {
        return;
    }
    spawn.journal.pause(true);
    std::size_t applied = replayJournal(
        journal, spawn.gold, spawn.inventory, [&] { loadGoldFile(spawn); },
        [&] { loadInventoryFile(spawn); });
    spawn.journal.pause(false);
    if (applied > 0) {
        sendConsole(spawn, "Recovered " + std::to_string(applied) + " changes from gold.log.");
    }
}

} // namespace quorvel
