#include "admin/economy_checks.h"

#include "admin/folder.h"
#include "admin/journal_file.h"
#include "admin/name_numbers.h"
#include "admin/output.h"

#include "base/text/text_rules.h"
#include "gold/gold_ledger.h"
#include "gold/journal_format.h"
#include "gold/record_layouts.h"
#include "gold/store_items.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <unordered_map>

namespace quorvel::admin {
namespace {

// Told one by one up to this many, then counted.
constexpr std::size_t namedAtMost = 10;

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

// Why a record is one no player's account or purchase makes, each reason
// counted over a file.
enum Flaw { emptyName, controlBytes, noEnd, belowZero, aboveMost, flawKinds };

struct Refused {
    std::size_t records = 0;          // whole records in the file
    std::vector<std::size_t> numbers; // from 1
    std::array<std::size_t, flawKinds> byFlaw{};
};

// The flaws of a name field of `size` bytes.
void nameFlaws(const char* field, std::size_t size, std::array<bool, flawKinds>& flaws) {
    const void* end = std::memchr(field, '\0', size);
    const std::size_t length =
        end == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(end) - field);
    flaws[emptyName] = length == 0;
    flaws[noEnd] = end == nullptr; // the host's names end within 19 characters
    flaws[controlBytes] = std::any_of(field, field + length, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::optional<Refused> refusedRecords(const char* file) {
    const bool gold = std::string_view(file) == FileEconomy::goldName;
    std::string bytes;
    if (!readOnlyFiles().readFile(file, bytes).ok()) {
        return std::nullopt; // not there, or the module's own words say why
    }
    const std::size_t recordBytes = gold ? GoldDatLayout::recordBytes : InvDatLayout::recordBytes;
    Refused refused;
    refused.records = bytes.size() / recordBytes;
    for (std::size_t at = 0; at < refused.records; ++at) {
        const char* in = bytes.data() + at * recordBytes;
        std::array<bool, flawKinds> flaws{};
        if (gold) {
            GoldAccount account;
            decodeGoldRecord(in, account);
            nameFlaws(account.name, sizeof account.name, flaws);
        } else {
            InventoryRecord record;
            decodeInventoryRecord(in, record);
            nameFlaws(record.name, sizeof record.name, flaws);
            for (const std::int32_t count : record.counts) {
                flaws[belowZero] = flaws[belowZero] || count < 0;
                flaws[aboveMost] = flaws[aboveMost] || count > mostItemsHeld;
            }
        }
        if (std::find(flaws.begin(), flaws.end(), true) != flaws.end()) {
            refused.numbers.push_back(at + 1);
            for (std::size_t kind = 0; kind < flawKinds; ++kind) {
                refused.byFlaw[kind] += flaws[kind] ? 1 : 0;
            }
        }
    }
    return refused;
}

// "9 of its 12 records (1, 2, 4 ...) hold no name a player can have (...)".
std::string refusedText(bool gold, const Refused& refused) {
    std::string text = std::to_string(refused.numbers.size()) + " of its " +
                       plural(refused.records, "record") + " (" + recordNumbers(refused.numbers) +
                       ") hold no name a player can have" +
                       (gold ? "" : " or a count no purchase makes") + " (";
    const std::array<std::string, flawKinds> words = {
        "empty", "with control bytes",
        refused.byFlaw[noEnd] == 1 ? "filling its 20 bytes with no end"
                                   : "filling their 20 bytes with no end",
        "with a count below zero", "with a count above " + std::to_string(mostItemsHeld)};
    bool first = true;
    for (std::size_t kind = 0; kind < flawKinds; ++kind) {
        if (refused.byFlaw[kind] != 0) {
            text += (first ? "" : ", ") + std::to_string(refused.byFlaw[kind]) + " " + words[kind];
            first = false;
        }
    }
    return text + ")";
}

} // namespace

JournalValues lastJournalValues(const std::function<void(const JournalRecord&)>& alsoSee,
                                const JournalLineScan& scan) {
    JournalValues values;
    // Written over in place while the journal is read, by account and item:
    // a journal of millions of lines makes no value, and no string, per line.
    // Sixteen bytes an account, so that the table stays in the caches while
    // the journal streams past them.
    struct Last {
        std::uint32_t value = 0;   // a balance, or a count's bits
        std::uint32_t written = 0; // the name as the line wrote it
        std::uint64_t at = 0;      // where: 0 none since the last reset
    };
    // A line's place in the read, in reading order: the file's number (of
    // `files`) above its line's.
    constexpr unsigned lineBits = 40;
    const auto placeOf = [](std::size_t file, std::size_t line) {
        return std::uint64_t{file} << lineBits | line;
    };
    AccountNumbers accounts;
    std::vector<Last> gold;
    std::unordered_map<std::uint64_t, Last> items; // by account and item kind
    // The names of the files read, kept past the read.
    std::vector<std::string> files;
    const char* fileSeen = nullptr;
    const auto fileNumber = [&](const char* file) {
        if (file != fileSeen) {
            fileSeen = file;
            files.emplace_back(file);
        }
        return files.size() - 1;
    };
    values.summary = readJournal(
        {},
        [&](const JournalRecord& record) {
            if (alsoSee) {
                alsoSee(record);
            }
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
                    std::optional<Reload>& reload =
                        wholeGold ? values.goldReload : values.inventoryReload;
                    if (entry.change == journalReset) {
                        (wholeGold ? gold.assign(gold.size(), Last{}) : items.clear());
                        reload.reset();
                    } else {
                        reload = Reload{placeOf(fileNumber(entry.file), entry.line),
                                        std::string(entry.file) + ":" + std::to_string(entry.line) +
                                            " (" + printable(entry.cause) + " by " +
                                            printable(entry.by) + " at " + std::string(entry.time) +
                                            ")"};
                    }
                    continue;
                }
                // Most lines are gold: no item word is looked for in them.
                const std::optional<ItemKind> kind =
                    entry.isGold() ? std::nullopt : itemKindOfWord(entry.field);
                // The reader passes on only lines whose change is +N, -N or
                // a word: a sign says it is an amount.
                const bool amount = entry.change.starts_with('+') || entry.change.starts_with('-');
                if (!amount || !(entry.isGold() || kind)) {
                    continue; // a record made (new), or nothing a value is kept of
                }
                // Read with the line, within the bounds of its table.
                const std::optional<std::int64_t> after = entry.afterValue();
                if (!after) {
                    continue;
                }
                const AccountNumbers::Found found = accounts.find(entry.account);
                if (!kind && found.account >= gold.size()) {
                    gold.resize(found.account + 1);
                }
                Last& last = kind ? items[std::uint64_t{found.account} << 8 |
                                          static_cast<std::uint64_t>(*kind)]
                                  : gold[found.account];
                last = {static_cast<std::uint32_t>(*after), found.written,
                        placeOf(fileNumber(entry.file), entry.line)};
            }
        },
        scan);
    const auto lastValue = [&](const Last& last, bool item, std::string word) {
        const std::size_t file = last.at >> lineBits;
        const std::uint64_t line = last.at & ((std::uint64_t{1} << lineBits) - 1);
        const std::int64_t value =
            item ? std::int64_t{static_cast<std::int32_t>(last.value)} : std::int64_t{last.value};
        return LastValue{std::string(accounts.written(last.written)), std::move(word), value,
                         files[file] + ":" + std::to_string(line), last.at};
    };
    for (const Last& last : gold) {
        if (last.at != 0) {
            values.gold.push_back(lastValue(last, false, ""));
        }
    }
    for (const auto& [key, last] : items) {
        values.items.push_back(
            lastValue(last, true, std::string(inventoryItems[key & 0xFF].store->itemWord)));
    }
    for (std::vector<LastValue>* table : {&values.gold, &values.items}) {
        std::sort(table->begin(), table->end(),
                  [](const LastValue& a, const LastValue& b) { return a.order < b.order; });
    }
    values.readable = values.summary.unreadable.empty();
    return values;
}

namespace {

std::string disagreement(bool gold,
                         const std::vector<std::pair<const LastValue*, std::string>>& differing,
                         const std::optional<Reload>& reload) {
    const bool one = differing.size() == 1;
    const char* file = gold ? FileEconomy::goldName : FileEconomy::inventoryName;
    const char* what = gold ? "account" : "item count";
    std::uint64_t total = 0;
    std::size_t beforeReload = 0;
    for (const auto& [last, loaded] : differing) {
        total += static_cast<std::uint64_t>(std::max<std::int64_t>(last->value, 0));
        beforeReload += reload && last->order < reload->order ? 1 : 0;
    }
    std::string text =
        std::string(file) + " disagrees with gold.log on " + plural(differing.size(), what) +
        (gold ? ", " + std::to_string(total) + " gold in all" : std::string()) +
        ": a module start here loads " +
        (gold ? (one ? "another balance than the last one" : "other balances than the last ones")
              : (one ? "another count than the last one" : "other counts than the last ones")) +
        " gold.log wrote for " + (one ? "it" : "them") + " (after its last reset of " +
        (gold ? "gold" : "inventory") + "). ";
    if (beforeReload != 0) {
        text += "The reload of " + std::string(gold ? "gold" : "inventory") + " at " +
                reload->text + " read a " + file + " that lacked " +
                (beforeReload == differing.size() ? std::string(one ? "it" : "them all")
                                                  : std::to_string(beforeReload) + " of them") +
                " (cut, damaged or replaced), and a save since wrote that over " +
                (gold ? "the players' balances" : "their items") + ". ";
    } else {
        text += std::string(file) +
                " may have been cut, damaged or replaced and then saved over, or gold.log "
                "missed changes. ";
    }
    text += gold ? "To do: stop the host and restore gold.dat from a backup, or put back the "
                   "balances gold.log last wrote with `quorvel-admin set NAME AMOUNT` (or "
                   "`quorvel-admin import FILE.csv` for many)."
                 : "To do: stop the host and restore inv.dat from a backup; the items gold.log "
                   "last wrote are below.";
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

std::vector<const LastValue*> inJournalOrder(const std::vector<LastValue>& values) {
    std::vector<const LastValue*> ordered;
    for (const LastValue& last : values) {
        ordered.push_back(&last);
    }
    return ordered;
}

// One account or record gold.log holds and a damaged file lacks: its name,
// its gold or items, and whether a module start brings it back whole.
struct Lacked {
    std::string name;
    std::int64_t value = 0;
    bool broughtBack = false;
};

// The accounts (or records) gold.log last wrote with something in them that
// the file's records do not hold, in the order gold.log last wrote them.
std::vector<Lacked> lackedByFile(bool gold, const JournalValues& journal,
                                 const std::unordered_set<std::string>& inFile,
                                 const FileEconomy& loaded) {
    std::vector<Lacked> lacked;
    std::map<std::string, std::size_t> at; // by name key
    std::vector<const LastValue*> ordered =
        gold ? inJournalOrder(journal.gold) : inJournalOrder(journal.items);
    for (const LastValue* last : ordered) {
        const std::string key = gold ? accountKey(last->name) : foldedCopy(last->name);
        if (inFile.contains(gold ? key
                                 : foldedCopy(last->name.substr(0, InvDatLayout::nameBytes)))) {
            continue;
        }
        bool same = false;
        if (gold) {
            const GoldAccount* account = loaded.ledger().find(last->name);
            same = (account == nullptr ? 0 : std::int64_t{account->amount}) == last->value;
        } else {
            const InventoryRecord* record = loaded.book().find(last->name);
            const auto kind = static_cast<std::size_t>(*itemKindOfWord(last->item));
            same = (record == nullptr ? 0 : std::int64_t{record->counts[kind]}) == last->value;
        }
        auto [found, added] = at.try_emplace(key, lacked.size());
        if (added) {
            lacked.push_back({last->name, 0, true});
        }
        Lacked& entry = lacked[found->second];
        entry.value += std::max<std::int64_t>(last->value, 0);
        entry.broughtBack = entry.broughtBack && same;
    }
    std::erase_if(lacked, [](const Lacked& entry) { return entry.value == 0; });
    return lacked;
}

// The number the module's recovery line gives before " not recovered".
std::size_t notRecoveredIn(const std::vector<std::string>& words) {
    static constexpr std::string_view marker = " not recovered";
    for (const std::string& line : words) {
        const std::size_t end = line.rfind(marker);
        if (end == std::string::npos) {
            continue;
        }
        std::size_t begin = end;
        while (begin > 0 && line[begin - 1] >= '0' && line[begin - 1] <= '9') {
            --begin;
        }
        if (begin < end) {
            return static_cast<std::size_t>(std::stoull(line.substr(begin, end - begin)));
        }
    }
    return 0;
}

// One damaged file, told whole.
std::optional<std::string> damagedFile(bool gold, const InspectedEconomy& inspected,
                                       const LoadedFromFiles& fromFiles,
                                       const JournalValues& journal,
                                       const std::vector<std::string>& moduleWords) {
    const char* file = gold ? FileEconomy::goldName : FileEconomy::inventoryName;
    const std::size_t recordBytes = gold ? GoldDatLayout::recordBytes : InvDatLayout::recordBytes;
    std::vector<std::string> words;
    for (const std::string& line : moduleWords) {
        if (line.starts_with(std::string("Warning: ") + file + " ") ||
            line.starts_with(std::string(file) + " was damaged:")) {
            words.push_back(line);
        }
    }
    const std::optional<platform::FileStamp> stamp = readOnlyFiles().fileStamp(file);
    const std::size_t stray = stamp ? static_cast<std::size_t>(stamp->size % recordBytes) : 0;
    const std::optional<Refused> refused = refusedRecords(file);
    const bool implausible = refused && !refused->numbers.empty();
    if (words.empty() && stray == 0 && !implausible) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string head;
    for (const std::string& line : words) {
        if (head.empty() && line.starts_with("Warning: ")) {
            head = line;
        } else {
            lines.push_back(line);
        }
    }
    if (head.empty() && stray != 0) {
        head = std::string(file) + ": " + plural(stray, "stray byte") + " after " +
               plural(static_cast<std::size_t>(stamp->size / recordBytes), "whole record") +
               "; the module reads the whole records, and its next save drops the rest.";
    }
    bool keptGarbage = false;
    if (implausible) {
        const std::string text = refusedText(gold, *refused);
        if (head.empty()) {
            head = std::string(file) + " is damaged: " + text + ": the file is damaged or is not " +
                   (gold ? "a " : "an ") + file + ".";
        } else {
            lines.push_back(text + ".");
        }
        const std::size_t loaded = gold ? fromFiles.accounts : fromFiles.records;
        const std::size_t dropped = refused->records > loaded ? refused->records - loaded : 0;
        const std::size_t bad = refused->numbers.size();
        const std::size_t kept = bad > dropped ? bad - dropped : 0;
        keptGarbage = kept != 0;
        lines.push_back(
            kept == 0
                ? "A module start here passes over all " + std::to_string(bad) + " as garbage."
            : dropped == 0
                ? "A module start here loads all " + std::to_string(bad) + " as they stand, " +
                      (gold ? "accounts" : "records") + " no player can ever use."
                : "A module start here passes over " + std::to_string(dropped) +
                      " of them as garbage and loads the other " + std::to_string(kept) +
                      " as they stand.");
    }
    std::size_t lost = 0;
    if (journal.readable) {
        const std::vector<Lacked> lacked =
            lackedByFile(gold, journal, gold ? fromFiles.goldNames : fromFiles.inventoryNames,
                         inspected.economy);
        std::uint64_t total = 0;
        std::size_t back = 0;
        std::string named;
        for (std::size_t i = 0; i < lacked.size(); ++i) {
            total += static_cast<std::uint64_t>(lacked[i].value);
            back += lacked[i].broughtBack ? 1 : 0;
            if (i < namedAtMost) {
                named += (i == 0                   ? ""
                          : i + 1 == lacked.size() ? " and "
                                                   : ", ") +
                         printable(lacked[i].name) + " " + std::to_string(lacked[i].value);
            }
        }
        if (lacked.size() > namedAtMost) {
            named += " and " + std::to_string(lacked.size() - namedAtMost) + " more";
        }
        if (!lacked.empty()) {
            lines.push_back("It lacks " + plural(lacked.size(), gold ? "account" : "record") +
                            ", " + std::to_string(total) + (gold ? " gold" : " items") +
                            " in all, that gold.log last wrote: " + named + ".");
            lines.push_back(back == lacked.size()
                                ? "A module start here brings all " + std::to_string(back) +
                                      " back from gold.log, with the values it last wrote."
                                : "A module start here brings back " + std::to_string(back) +
                                      " of the " + std::to_string(lacked.size()) +
                                      " from gold.log; " + file +
                                      " disagrees with gold.log on the others (below).");
            lost = lacked.size() - back;
        }
    }
    lost = std::max(lost, notRecoveredIn(words));
    if (!keptGarbage && lost == 0) {
        lines.push_back(std::string("Nothing is lost. To do: nothing; the next module start "
                                    "keeps the damaged file as ") +
                        file +
                        ".damaged and saves the whole one (find out what cut or damaged it: a "
                        "full disk, a copy stopped half-way).");
    } else {
        lines.push_back(
            std::string("To do: stop the host and restore ") + file + " from a backup" +
            (gold ? ", or put back the balances with `quorvel-admin set NAME AMOUNT`." : "."));
    }
    std::string text = head;
    for (const std::string& line : lines) {
        text += "\n    " + line;
    }
    return text;
}

} // namespace

bool isDataFileWords(std::string_view consoleLine) {
    for (const char* file : {FileEconomy::goldName, FileEconomy::inventoryName}) {
        if (consoleLine.starts_with(std::string("Warning: ") + file + " ") ||
            consoleLine.starts_with(std::string(file) + " was damaged:")) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> implausibleRecords() {
    std::vector<std::string> problems;
    for (const bool gold : {true, false}) {
        const char* file = gold ? FileEconomy::goldName : FileEconomy::inventoryName;
        if (const std::optional<Refused> refused = refusedRecords(file);
            refused && !refused->numbers.empty()) {
            problems.push_back(std::string(file) + " is damaged: " + refusedText(gold, *refused) +
                               ": the file is damaged or is not " + (gold ? "a " : "an ") + file +
                               ".");
        }
    }
    return problems;
}

std::vector<std::string> damagedFiles(const InspectedEconomy& inspected,
                                      const LoadedFromFiles& fromFiles,
                                      const std::vector<std::string>& moduleWords,
                                      const JournalValues& journal) {
    std::vector<std::string> problems;
    for (const bool gold : {true, false}) {
        if (gold ? inspected.goldUnreadable : inspected.inventoryUnreadable) {
            continue; // the module's own words say why
        }
        if (std::optional<std::string> problem =
                damagedFile(gold, inspected, fromFiles, journal, moduleWords)) {
            problems.push_back(std::move(*problem));
        }
    }
    return problems;
}

std::vector<std::string> disagreementsWithJournal(const FileEconomy& loaded,
                                                  const JournalValues& journal) {
    if (!journal.readable) {
        return {}; // the module's own words on it come with the economy
    }
    std::vector<std::string> problems;
    std::vector<std::pair<const LastValue*, std::string>> differing;
    for (const LastValue* last : inJournalOrder(journal.gold)) {
        const GoldAccount* account = loaded.ledger().find(last->name);
        const std::int64_t value = account == nullptr ? 0 : account->amount;
        if (value != last->value) {
            differing.emplace_back(last, account == nullptr ? std::string("no account")
                                                            : std::to_string(value));
        }
    }
    if (!differing.empty()) {
        problems.push_back(disagreement(true, differing, journal.goldReload));
    }
    differing.clear();
    for (const LastValue* last : inJournalOrder(journal.items)) {
        const InventoryRecord* record = loaded.book().find(last->name);
        const auto kind = static_cast<std::size_t>(*itemKindOfWord(last->item));
        const std::int64_t value = record == nullptr ? 0 : record->counts[kind];
        if (value != last->value) {
            differing.emplace_back(last, record == nullptr ? std::string("no record")
                                                           : std::to_string(value));
        }
    }
    if (!differing.empty()) {
        problems.push_back(disagreement(false, differing, journal.inventoryReload));
    }
    return problems;
}

} // namespace quorvel::admin
