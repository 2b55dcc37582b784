#include "admin/economy_checks.h"

#include "admin/folder.h"
#include "admin/journal_file.h"
#include "admin/output.h"

#include "base/text/text_rules.h"
#include "gold/record_checks.h"
#include "gold/record_layouts.h"
#include "gold/store_items.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

namespace quorvel::admin {
namespace {

// Told one by one up to this many, then counted.
constexpr std::size_t namedAtMost = 10;

std::string plural(std::size_t count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

// "1, 4, 7 and 9", the first ten of them.
std::string recordNumbers(const std::vector<std::size_t>& numbers) {
    std::string text;
    const std::size_t shown = std::min(numbers.size(), namedAtMost);
    for (std::size_t i = 0; i < shown; ++i) {
        text += (i == 0                                      ? ""
                 : i + 1 == shown && shown == numbers.size() ? " and "
                                                             : ", ") +
                std::to_string(numbers[i]);
    }
    if (numbers.size() > shown) {
        text += " and " + std::to_string(numbers.size() - shown) + " more";
    }
    return text;
}

// The numbers (from 1) of the whole records of `file` the check refuses.
template <typename Record>
std::optional<std::vector<std::size_t>>
refusedRecords(const char* file, std::size_t recordBytes, void (*decode)(const char*, Record&),
               bool (*plausible)(const Record&), std::size_t& records) {
    std::string bytes;
    if (!readOnlyFiles().readFile(file, bytes).ok()) {
        return std::nullopt; // not there, or the module's own words say why
    }
    records = bytes.size() / recordBytes;
    std::vector<std::size_t> refused;
    for (std::size_t at = 0; at < records; ++at) {
        Record record;
        decode(bytes.data() + at * recordBytes, record);
        if (!plausible(record)) {
            refused.push_back(at + 1);
        }
    }
    return refused;
}

// The last value gold.log wrote for one account, or one item of a record.
struct LastValue {
    std::string name;
    std::string item; // empty for gold
    std::int64_t value = 0;
    std::string where; // gold.log:12
    std::size_t order = 0;
};

std::string nameKey(std::string_view name) {
    return foldedCopy(storableName(name));
}

std::string disagreement(bool gold,
                         const std::vector<std::pair<const LastValue*, std::string>>& differing) {
    const bool one = differing.size() == 1;
    const char* file = gold ? FileEconomy::goldName : FileEconomy::inventoryName;
    const char* what = gold ? "account" : "item count";
    std::string text =
        std::string(file) + " disagrees with gold.log on " + plural(differing.size(), what) +
        ": a module start here loads " +
        (gold ? (one ? "another balance than the last one" : "other balances than the last ones")
              : (one ? "another count than the last one" : "other counts than the last ones")) +
        " gold.log wrote for " + (one ? "it" : "them") + " (after its last reset or reload of " +
        (gold ? "gold" : "inventory") + "). " + file +
        " may have been cut, damaged or replaced and then saved over, or gold.log missed "
        "changes" +
        (gold ? "; once the right balances are known, quorvel-admin set or import puts them "
                "back."
              : ".");
    const std::size_t shown = std::min(differing.size(), namedAtMost);
    for (std::size_t i = 0; i < shown; ++i) {
        const LastValue& last = *differing[i].first;
        text += "\n    " + printable(last.name) + (last.item.empty() ? "" : "'s " + last.item) +
                ": a module start loads " + differing[i].second + ", gold.log last wrote " +
                std::to_string(last.value) + " (" + last.where + ")";
    }
    if (differing.size() > shown) {
        text += "\n    and " + plural(differing.size() - shown, std::string("more ") + what) + ".";
    }
    return text;
}

template <typename Map> std::vector<const LastValue*> inJournalOrder(const Map& values) {
    std::vector<const LastValue*> ordered;
    for (const auto& [key, last] : values) {
        ordered.push_back(&last);
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const LastValue* a, const LastValue* b) { return a->order < b->order; });
    return ordered;
}

} // namespace

std::vector<std::string> implausibleRecords() {
    std::vector<std::string> problems;
    std::size_t records = 0;
    if (auto refused =
            refusedRecords<GoldAccount>(FileEconomy::goldName, GoldDatLayout::recordBytes,
                                        &decodeGoldRecord, &plausibleAccount, records);
        refused && !refused->empty()) {
        problems.push_back(std::string(FileEconomy::goldName) +
                           " is damaged: " + std::to_string(refused->size()) + " of its " +
                           plural(records, "record") + " (" + recordNumbers(*refused) +
                           ") hold no name a player can have (it is empty, longer than 19 "
                           "characters, or holds control bytes): the file is damaged or is not "
                           "a gold.dat.");
    }
    if (auto refused =
            refusedRecords<InventoryRecord>(FileEconomy::inventoryName, InvDatLayout::recordBytes,
                                            &decodeInventoryRecord, &plausibleInventory, records);
        refused && !refused->empty()) {
        problems.push_back(std::string(FileEconomy::inventoryName) +
                           " is damaged: " + std::to_string(refused->size()) + " of its " +
                           plural(records, "record") + " (" + recordNumbers(*refused) +
                           ") hold no name a player can have (it is empty or holds control "
                           "bytes) or a count below zero: the file is damaged or is not an "
                           "inv.dat.");
    }
    return problems;
}

std::vector<std::string> disagreementsWithJournal(const FileEconomy& loaded) {
    std::unordered_map<std::string, LastValue> gold;
    std::map<std::pair<std::string, std::string>, LastValue> items;
    std::size_t order = 0;
    const JournalSummary summary = readJournal([&](const JournalRecord& record) {
        if (!record.whole) {
            return; // it never happened
        }
        for (const JournalEntry& entry : record.lines) {
            if (entry.isSave()) {
                continue;
            }
            const bool wholeGold = entry.isGold() && entry.isWipe();
            const bool wholeInventory = entry.isInventory() && entry.isWipe();
            if (wholeGold || wholeInventory) {
                (wholeGold ? gold.clear() : items.clear());
                continue;
            }
            const bool isItem = itemKindOfWord(entry.field).has_value();
            if (!entry.amount() || !(entry.isGold() || isItem)) {
                continue; // a record made (new), or nothing a value is kept of
            }
            const std::optional<std::int64_t> after = readBoundedNumber(
                entry.after, isItem ? -2147483648LL : 0, isItem ? 2147483647LL : 4294967295LL);
            if (!after) {
                continue;
            }
            // Written over in place: a journal of millions of lines makes no
            // value per line.
            LastValue& last = isItem ? items[{nameKey(entry.account), entry.field}]
                                     : gold[nameKey(entry.account)];
            last.name = entry.account;
            last.item = isItem ? std::string_view(entry.field) : std::string_view();
            last.value = *after;
            last.where.assign(entry.file).append(":").append(std::to_string(entry.line));
            last.order = ++order;
        }
    });
    if (!summary.unreadable.empty()) {
        return {}; // the module's own words on it come with the economy
    }
    std::vector<std::string> problems;
    std::vector<std::pair<const LastValue*, std::string>> differing;
    for (const LastValue* last : inJournalOrder(gold)) {
        const GoldAccount* account = loaded.ledger().find(last->name);
        const std::int64_t value = account == nullptr ? 0 : account->amount;
        if (value != last->value) {
            differing.emplace_back(last, account == nullptr ? std::string("no account")
                                                            : std::to_string(value));
        }
    }
    if (!differing.empty()) {
        problems.push_back(disagreement(true, differing));
    }
    differing.clear();
    for (const LastValue* last : inJournalOrder(items)) {
        const InventoryRecord* record = loaded.book().find(last->name);
        const auto kind = static_cast<std::size_t>(*itemKindOfWord(last->item));
        const std::int64_t value = record == nullptr ? 0 : record->counts[kind];
        if (value != last->value) {
            differing.emplace_back(last, record == nullptr ? std::string("no record")
                                                           : std::to_string(value));
        }
    }
    if (!differing.empty()) {
        problems.push_back(disagreement(false, differing));
    }
    return problems;
}

} // namespace quorvel::admin
