// gold, items and history: the accounts and inventory records as a module
// start would load them, and one player's changes from the journal.
#include "admin/commands.h"
#include "admin/folder.h"
#include "admin/journal_file.h"

#include "base/text/text_rules.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"
#include "gold/store_items.h"

#include <algorithm>
#include <numeric>

namespace quorvel::admin {
namespace {

struct Row {
    std::string name;
    std::int64_t sortValue = 0;
    std::vector<std::string> cells;
};

void sortAndCut(std::vector<Row>& rows, const ListOptions& options) {
    const auto byName = [](const Row& a, const Row& b) {
        const std::string foldedA = foldedCopy(a.name);
        const std::string foldedB = foldedCopy(b.name);
        return foldedA != foldedB ? foldedA < foldedB : a.name < b.name;
    };
    if (options.byName) {
        std::stable_sort(rows.begin(), rows.end(), byName);
    } else {
        std::stable_sort(rows.begin(), rows.end(), [&byName](const Row& a, const Row& b) {
            return a.sortValue != b.sortValue ? a.sortValue > b.sortValue : byName(a, b);
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
    const GoldLedger& ledger = inspected->store.ledger();
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
    for (const GoldAccount* account : *shown) {
        add(*account);
    }
    return writeRows(std::move(rows), {{"name", "gold"}, {false, true}, {}}, options, out);
}

int listItems(const ListOptions& options, std::ostream& out, std::ostream& err) {
    InFolder in(options.folder);
    auto inspected = inspectEconomy();
    passOnConsole(*inspected, err);
    const InventoryBook& book = inspected->store.book();
    Listing listing;
    listing.columns.push_back("name");
    for (const ItemTexts& item : inventoryItems) {
        listing.columns.emplace_back(item.store->itemWord);
    }
    listing.columns.push_back("total");
    listing.numeric.assign(listing.columns.size(), true);
    listing.numeric[0] = false;
    std::vector<Row> rows;
    const auto add = [&rows](const InventoryRecord& record) {
        Row row{recordName(record), 0, {recordName(record)}};
        for (std::int32_t count : record.counts) {
            row.sortValue += count;
            row.cells.push_back(std::to_string(count));
        }
        row.cells.push_back(std::to_string(row.sortValue));
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
    const std::string wanted = foldedCopy(storableName(options.name));
    Listing listing{{"time", "cause", "by", "field", "change", "after"},
                    {false, false, false, false, false, true},
                    {}};
    std::size_t own = 0;
    const JournalSummary summary = readJournal([&](const JournalEntry& entry) {
        if (entry.isSave()) {
            return;
        }
        // A reset or reload of a whole table changes every account.
        const bool everyone = entry.account == "*" && entry.isWipe();
        if (!everyone && foldedCopy(storableName(entry.account)) != wanted) {
            return;
        }
        if (options.since && entry.time < *options.since) {
            return;
        }
        if (options.cause && entry.cause != *options.cause &&
            !entry.cause.starts_with(*options.cause + " ")) {
            return;
        }
        own += everyone ? 0 : 1;
        listing.rows.push_back({entry.time, entry.cause, entry.by, entry.field, entry.change,
                                everyone ? "" : entry.after});
    });
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
    if (own == 0) {
        err << "quorvel-admin: gold.log.1 and gold.log hold no change to "
            << printable(options.name) << (options.since || options.cause ? " that matches" : "")
            << '\n';
        return exitProblems;
    }
    writeListing(listing, options.format, out);
    return exitClean;
}

} // namespace quorvel::admin
