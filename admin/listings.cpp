// gold, items and history: the accounts and inventory records as a module
// start would load them, and one player's changes from the journal.
#include "admin/commands.h"
#include "admin/folder.h"
#include "admin/journal_file.h"
#include "admin/name_numbers.h"
#include "admin/ranking.h"

#include "base/text/text_rules.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"
#include "gold/store_items.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace quorvel::admin {
namespace {

// A change of this many accounts at most is listed whole in the history of
// each of them.
constexpr std::size_t wholeChangeAccounts = 2;

struct Row {
    std::string name;
    std::int64_t sortValue = 0;
    std::vector<std::string> cells;
};

// A count of things, "no things" for none.
std::string counted(std::size_t count, const char* word) {
    return count == 0   ? std::string("no ") + word + "s"
           : count == 1 ? "1 " + std::string(word)
                        : std::to_string(count) + " " + word + "s";
}

// 1234567 as 1,234,567.
std::string grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

void sortAndCut(std::vector<Row>& rows, const ListOptions& options) {
    const auto byName = [](const Row& a, const Row& b) { return namedBefore(a.name, b.name); };
    if (options.byName) {
        std::stable_sort(rows.begin(), rows.end(), byName);
    } else {
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
            return rankedBefore(a.sortValue, a.name, b.sortValue, b.name);
        });
    }
    if (options.top && rows.size() > *options.top) {
        rows.resize(*options.top);
    }
}

int writeRows(std::vector<Row> rows, Listing listing, const ListOptions& options,
              std::ostream& out) {
    sortAndCut(rows, options);
    for (Row& row : rows) {
        listing.rows.push_back(std::move(row.cells));
    }
    writeListing(listing, options.format, out);
    return exitClean;
}

std::string recordName(const InventoryRecord& record) {
    return fieldText(record.name, sizeof record.name);
}

// The records in use (a later record of a name already held is never used),
// or NAME's alone; nothing when NAME has none.
template <typename Book, typename Record>
std::optional<std::vector<const Record*>>
recordsShown(const Book& book, const std::vector<Record>& records, const ListOptions& options) {
    std::vector<const Record*> shown;
    if (options.name) {
        const Record* found = book.find(*options.name);
        if (found == nullptr) {
            return std::nullopt;
        }
        shown.push_back(found);
        return shown;
    }
    for (const Record& record : records) {
        if (book.find(fieldText(record.name, sizeof record.name)) == &record) {
            shown.push_back(&record);
        }
    }
    return shown;
}

} // namespace

int listGold(const ListOptions& options, std::ostream& out, std::ostream& err) {
    InFolder in(options.folder);
    auto inspected = inspectEconomy();
    passOnConsole(*inspected, err);
    const GoldLedger& ledger = inspected->economy.ledger();
    std::vector<Row> rows;
    const auto add = [&rows](const GoldAccount& account) {
        const std::string name = fieldText(account.name, sizeof account.name);
        rows.push_back({name, account.amount, {name, std::to_string(account.amount)}});
    };
    const auto shown = recordsShown(ledger, ledger.accounts(), options);
    if (!shown) {
        err << "quorvel-admin: no account named " << printable(*options.name) << " in " << in.path()
            << '\n';
        return exitProblems;
    }
    std::uint64_t gold = 0;
    for (const GoldAccount* account : *shown) {
        add(*account);
        gold += account->amount;
    }
    const std::size_t accounts = rows.size();
    writeRows(std::move(rows), {{"name", "gold"}, {false, true}, {}}, options, out);
    // The table's last line counts every account listed before --top cuts
    // the rows; CSV and JSON hold the rows alone, for programs.
    if (options.format == Format::table && !options.name) {
        out << counted(accounts, "account") << ", "
            << (gold == 0 ? std::string("no gold") : grouped(gold) + " gold") << '\n';
    }
    return exitClean;
}

int listItems(const ListOptions& options, std::ostream& out, std::ostream& err) {
    InFolder in(options.folder);
    auto inspected = inspectEconomy();
    passOnConsole(*inspected, err);
    const InventoryBook& book = inspected->economy.book();
    Listing listing;
    listing.columns.push_back("name");
    for (const ItemTexts& item : inventoryItems) {
        listing.columns.emplace_back(item.store->itemWord);
    }
    listing.columns.push_back("total");
    listing.numeric.assign(listing.columns.size(), true);
    listing.numeric[0] = false;
    // By the count of one item, or (the default) by the items held in all.
    std::optional<std::size_t> sortItem;
    if (options.byItem) {
        std::string words;
        for (std::size_t i = 0; i < inventoryItems.size(); ++i) {
            const std::string_view word = inventoryItems[i].store->itemWord;
            if (word == *options.byItem) {
                sortItem = i;
            }
            words += (i + 1 == inventoryItems.size() ? " or " : ", ") + std::string(word);
        }
        if (!sortItem) {
            throw AdminError(exitUnreadable,
                             "--sort " + *options.byItem + ": sort by balance, name" + words);
        }
    }
    std::vector<Row> rows;
    const auto add = [&rows, &sortItem](const InventoryRecord& record) {
        Row row{recordName(record), 0, {recordName(record)}};
        std::int64_t total = 0;
        for (std::int32_t count : record.counts) {
            total += count;
            row.cells.push_back(std::to_string(count));
        }
        row.cells.push_back(std::to_string(total));
        row.sortValue = sortItem ? record.counts[*sortItem] : total;
        rows.push_back(std::move(row));
    };
    const auto shown = recordsShown(book, book.records(), options);
    if (!shown) {
        err << "quorvel-admin: no inventory record named " << printable(*options.name) << " in "
            << in.path() << '\n';
        return exitProblems;
    }
    for (const InventoryRecord* record : *shown) {
        add(*record);
    }
    return writeRows(std::move(rows), std::move(listing), options, out);
}

int showHistory(const HistoryOptions& options, std::ostream& out, std::ostream& err) {
    checkSince(options.since);
    InFolder in(options.folder);
    const std::string wanted = accountKey(options.name);
    const auto isOwn = [&wanted](const JournalEntry& entry) {
        return !entry.isSave() && !entry.isEveryAccount() && accountKey(entry.account) == wanted;
    };
    // A reset or reload of a whole table changes every account.
    const auto isEveryone = [](const JournalEntry& entry) { return entry.isWipe(); };
    // The table shows the lines of one change together, its time, cause and
    // by once; CSV and JSON repeat them on every line and add the record's
    // sequence number, so that a program can tell the changes apart.
    const bool table = options.format == Format::table;
    Listing listing{{"time", "cause", "by", "account", "field", "change", "after"},
                    {false, false, false, false, false, false, true},
                    {}};
    if (!table) {
        listing.columns.emplace_back("record");
        listing.numeric.push_back(true);
    }
    std::size_t own = 0;
    std::vector<std::string> cutNotes;
    const JournalSummary summary = readJournal(options.journals, [&](const JournalRecord& record) {
        const JournalEntry* lead = nullptr;
        std::size_t ownLines = 0;
        std::set<std::string> accounts;
        for (const JournalEntry& entry : record.lines) {
            if (entry.isSave()) {
                continue;
            }
            const bool mine = isOwn(entry);
            ownLines += mine ? 1 : 0;
            if (lead == nullptr && (mine || isEveryone(entry))) {
                lead = &entry;
            }
            if (!entry.isEveryAccount()) {
                accounts.insert(accountKey(entry.account));
            }
        }
        if (lead == nullptr || (options.since && lead->time < *options.since) ||
            (options.until && lead->time >= *options.until)) {
            return;
        }
        if (options.cause && lead->cause != *options.cause &&
            !lead->cause.starts_with(*options.cause + " ")) {
            return;
        }
        if (!record.whole) {
            if (ownLines > 0) {
                cutNotes.push_back(std::string(lead->file) + ":" + std::to_string(lead->line) +
                                   ": change " + std::to_string(lead->seq) + " to " +
                                   printable(lead->account) + " (" + printable(lead->cause) +
                                   " at " + std::string(lead->time) +
                                   ") was cut short by a crash or a full disk, " +
                                   std::to_string(record.lines.size()) + " of its " +
                                   std::to_string(record.linesWritten()) +
                                   " lines written: it never happened, and is not listed");
            }
            return;
        }
        own += ownLines;
        // The other side of a change between two players (a loan's
        // credit and debit) is shown with the player's own line; of a
        // change to many (an import, a team's win) only the player's.
        const bool wholeChange = ownLines > 0 && accounts.size() <= wholeChangeAccounts;
        bool first = true;
        for (const JournalEntry& entry : record.lines) {
            if (entry.isSave() || !(wholeChange || isOwn(entry) || isEveryone(entry))) {
                continue;
            }
            const bool repeated = table && !first;
            first = false;
            using std::string_view;
            std::vector<std::string> row{
                std::string(repeated ? string_view() : entry.time),
                std::string(repeated ? string_view() : entry.cause),
                std::string(repeated ? string_view() : entry.by),
                std::string(entry.isEveryAccount() ? string_view("every account") : entry.account),
                std::string(entry.field),
                std::string(entry.change),
                std::string(isEveryone(entry) ? string_view() : entry.after)};
            if (!table) {
                row.push_back(entry.seq == 0 ? "" : std::to_string(entry.seq));
            }
            listing.rows.push_back(std::move(row));
        }
    });
    tellJournalsRead(summary, err);
    if (!summary.unreadable.empty()) {
        std::string why;
        for (const std::string& file : summary.unreadable) {
            why += (why.empty() ? "cannot read " : "; cannot read ") + file;
        }
        throw AdminError(exitUnreadable, why);
    }
    const auto damaged = std::count_if(summary.findings.begin(), summary.findings.end(),
                                       [](const JournalFinding& f) { return f.problem; });
    if (damaged > 0) {
        err << "quorvel-admin: note: the journal holds lines that are not journal lines, passed "
               "over here as by the module (quorvel-admin check lists them)\n";
    }
    for (const std::string& note : cutNotes) {
        err << "quorvel-admin: note: " << note << '\n';
    }
    if (own == 0) {
        err << "quorvel-admin: "
            << (options.journals.empty() ? "gold.log.1 and gold.log" : "the journals")
            << " hold no change to " << printable(options.name)
            << (options.since || options.until || options.cause ? " that matches" : "") << '\n';
        return exitProblems;
    }
    writeListing(listing, options.format, out);
    return exitClean;
}

} // namespace quorvel::admin
