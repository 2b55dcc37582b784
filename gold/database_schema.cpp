#include "gold/database_schema.h"

#include "base/text/text_rules.h"
#include "gold/journal_format.h"
#include "gold/store_items.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace quorvel {
namespace {

using platform::Status;
using platform::odbc::Connection;

// The inventory's columns, one for each item kind in the order of a record's
// counts: the item words gold.log uses.
constexpr std::array<std::string_view, itemKindCount> itemColumns = {
    "guns", "bombs", "multi", "super", "shield", "thor", "prize", "portal"};

// An insert that does nothing when the key is there already.
std::string insertOnce(Dialect dialect, std::string_view table, std::string_view columns,
                       std::string_view marks) {
    const std::string into =
        std::string(table) + " (" + std::string(columns) + ") VALUES (" + std::string(marks) + ")";
    switch (dialect) {
    case Dialect::mariadb:
        return "INSERT IGNORE INTO " + into;
    case Dialect::sqlite:
        return "INSERT OR IGNORE INTO " + into;
    default:
        return "INSERT INTO " + into + " ON CONFLICT DO NOTHING";
    }
}

// Adds to `column` of the row keyed by a folded name, making the row (every
// other number 0) when there is none: one statement, whoever else is adding.
std::string addTo(Dialect dialect, std::string_view table, std::string_view column) {
    const std::string t(table);
    const std::string c(column);
    const std::string insert = "INSERT INTO " + t + " (folded, name, " + c + ") VALUES (?, ?, ?) ";
    if (dialect == Dialect::mariadb) {
        return insert + "ON DUPLICATE KEY UPDATE " + c + " = " + c + " + VALUES(" + c + ")";
    }
    return insert + "ON CONFLICT (folded) DO UPDATE SET " + c + " = " + t + "." + c +
           " + excluded." + c;
}

std::string placeholders(std::size_t count) {
    std::string marks;
    for (std::size_t i = 0; i < count; ++i) {
        marks += i == 0 ? "?" : ", ?";
    }
    return marks;
}

std::int64_t numberIn(const std::optional<std::string>& cell) {
    return cell ? std::stoll(*cell) : 0;
}

// One line of a record made in the tables.
Status applyLine(Connection& db, Dialect dialect, const JournalEntry& line) {
    if (line.account == journalEveryAccount) {
        if (line.change == journalReset) {
            return db.execute(line.field == journalGoldField ? "DELETE FROM quorvel_accounts"
                                                             : "DELETE FROM quorvel_inventory");
        }
        return {}; // a save's mark or a reload names no change of the tables
    }
    if (line.field == journalInventoryField) {
        if (line.change != journalNew) {
            return {};
        }
        return db.execute(insertOnce(dialect, "quorvel_inventory", "folded, name", "?, ?"),
                          {foldedCopy(line.account), line.account});
    }
    const std::optional<std::int64_t> change = readJournalChange(line.change);
    if (!change) {
        return Status::failed("a line of record changes nothing: " + line.change);
    }
    if (line.field == journalGoldField) {
        return db.execute(addTo(dialect, "quorvel_accounts", "gold"),
                          {foldedCopy(line.account), line.account, *change});
    }
    const std::optional<ItemKind> kind = itemKindOfWord(line.field);
    if (!kind) {
        return Status::failed("a line of a record names no item: " + line.field);
    }
    return db.execute(addTo(dialect, "quorvel_inventory", itemColumns[static_cast<int>(*kind)]),
                      {foldedCopy(line.account), line.account, *change});
}

// The ledger's row for a line of a record.
Status keepLine(Connection& db, Dialect dialect, std::string_view host,
                const DatabaseRecord& record, std::size_t part, std::int64_t& rows) {
    const JournalEntry& line = record.lines[part];
    return db.execute(
        insertOnce(dialect, "quorvel_ledger",
                   "host, seq, part, parts, at, cause, by_name, bot, account, field, change_text, "
                   "after_text, outcome",
                   "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1"),
        {std::string(host), static_cast<std::int64_t>(record.seq),
         static_cast<std::int64_t>(part + 1), static_cast<std::int64_t>(record.lines.size()),
         line.time, line.cause.what, line.cause.who, static_cast<std::int64_t>(line.cause.bot),
         line.account, line.field, line.change, line.after},
        &rows);
}

// A purchase's debit, made only if the account holds the price.
std::optional<std::size_t> debitOf(const DatabaseRecord& record) {
    for (std::size_t i = 0; i < record.lines.size(); ++i) {
        const JournalEntry& line = record.lines[i];
        const std::optional<std::int64_t> change = readJournalChange(line.change);
        if (line.field == journalGoldField && change && *change < 0) {
            return i;
        }
    }
    return std::nullopt;
}

Status applyOne(Connection& db, Dialect dialect, std::string_view host,
                const DatabaseRecord& record, RecordOutcome& outcome) {
    outcome = RecordOutcome::seenBefore;
    if (record.lines.empty()) {
        return {};
    }
    std::int64_t rows = 0;
    if (Status kept = keepLine(db, dialect, host, record, 0, rows); !kept.ok() || rows != 1) {
        return kept; // seen before: the ledger holds it
    }
    // The price's line; past the last line when the record settles nothing.
    const std::size_t debit =
        (record.settles ? debitOf(record) : std::nullopt).value_or(record.lines.size());
    if (debit < record.lines.size()) {
        const JournalEntry& line = record.lines[debit];
        const std::int64_t price = -*readJournalChange(line.change);
        if (Status paid =
                db.execute("UPDATE quorvel_accounts SET gold = gold - ? WHERE folded = ? AND "
                           "gold >= ?",
                           {price, foldedCopy(line.account), price}, &rows);
            !paid.ok()) {
            return paid;
        }
        if (rows != 1) {
            outcome = RecordOutcome::refused;
            return db.execute("UPDATE quorvel_ledger SET outcome = 0 WHERE host = ? AND seq = ?",
                              {std::string(host), static_cast<std::int64_t>(record.seq)});
        }
    }
    for (std::size_t part = 0; part < record.lines.size(); ++part) {
        if (part > 0) {
            if (Status kept = keepLine(db, dialect, host, record, part, rows); !kept.ok()) {
                return kept;
            }
        }
        if (part == debit) {
            continue;
        }
        if (Status made = applyLine(db, dialect, record.lines[part]); !made.ok()) {
            return made;
        }
    }
    outcome = RecordOutcome::applied;
    return {};
}

// Runs `sql`, ended by "folded IN (...)" for `names` in slices, or once
// without that end when no names are given.
Status readByNames(Connection& db, const std::string& sql, const std::string& order,
                   const std::vector<std::string>& names,
                   const std::function<void(const Connection::Row&)>& row) {
    if (names.empty()) {
        return db.query(sql + order, {}, row);
    }
    constexpr std::size_t slice = 100;
    for (std::size_t from = 0; from < names.size(); from += slice) {
        const std::size_t count = std::min(slice, names.size() - from);
        Connection::Values folded;
        for (std::size_t i = from; i < from + count; ++i) {
            folded.emplace_back(foldedCopy(names[i]));
        }
        if (Status read = db.query(sql + " WHERE folded IN (" + placeholders(count) + ")" + order,
                                   folded, row);
            !read.ok()) {
            return read;
        }
    }
    return {};
}

// Rows of `columns` values each, as "(?, ?), (?, ?)".
std::string rowMarks(std::size_t rows, std::size_t columns) {
    std::string marks;
    for (std::size_t row = 0; row < rows; ++row) {
        marks += (row == 0 ? "(" : ", (") + placeholders(columns) + ")";
    }
    return marks;
}

// Whether a batch can be applied as a whole, a few statements for all its
// records: no purchase (whose debit is settled record by record) and no
// table emptied (after which the order of changes matters).
bool appliesTogether(std::span<const DatabaseRecord> records) {
    for (const DatabaseRecord& record : records) {
        if (record.settles) {
            return false;
        }
        for (const JournalEntry& line : record.lines) {
            if (line.account == journalEveryAccount) {
                return false;
            }
        }
    }
    return true;
}

// A batch of records without purchases or wipes, in a few statements: the
// records the ledger holds already are found in one query, the new ones'
// lines kept in the ledger by rows of many, and their changes added up by
// account and added to each account once, in name order (so two hosts
// lock the same accounts in the same order). `together` is false when the
// batch is not of that kind: the caller then applies it record by record.
Status applyTogether(Connection& db, Dialect dialect, std::string_view host,
                     std::span<const DatabaseRecord> records, std::vector<RecordOutcome>& outcomes,
                     bool& together) {
    together = false;
    if (records.size() < 2 || !appliesTogether(records)) {
        return {};
    }
    constexpr std::size_t slice = 200;
    std::set<std::int64_t> seen;
    for (std::size_t from = 0; from < records.size(); from += slice) {
        const std::size_t count = std::min(slice, records.size() - from);
        Connection::Values values{std::string(host)};
        for (std::size_t i = from; i < from + count; ++i) {
            values.emplace_back(static_cast<std::int64_t>(records[i].seq));
        }
        if (Status read = db.query(
                "SELECT seq FROM quorvel_ledger WHERE host = ? AND part = 1 "
                "AND seq IN (" +
                    placeholders(count) + ")",
                values, [&seen](const Connection::Row& row) { seen.insert(numberIn(row[0])); });
            !read.ok()) {
            return read;
        }
    }
    // The new records' lines, kept; their changes, added up.
    struct Sum {
        std::string name;
        std::int64_t gold = 0;
        bool goldChanged = false;
        std::array<std::int64_t, itemKindCount> items{};
        bool inventory = false;
    };
    std::map<std::string, Sum> sums;
    Connection::Values rows;
    std::size_t rowsWaiting = 0;
    std::size_t expected = 0;
    std::int64_t inserted = 0;
    constexpr std::size_t ledgerColumns = 13;
    const auto keepRows = [&]() -> Status {
        if (rowsWaiting == 0) {
            return {};
        }
        std::string sql =
            "INSERT INTO quorvel_ledger (host, seq, part, parts, at, cause, by_name, bot, account, "
            "field, change_text, after_text, outcome) VALUES " +
            rowMarks(rowsWaiting, ledgerColumns);
        if (dialect == Dialect::mariadb) {
            sql.insert(6, " IGNORE");
        } else {
            sql += dialect == Dialect::sqlite ? "" : " ON CONFLICT DO NOTHING";
            if (dialect == Dialect::sqlite) {
                sql.replace(0, 6, "INSERT OR IGNORE");
            }
        }
        std::int64_t added = 0;
        const Status kept = db.execute(sql, rows, &added);
        inserted += added;
        rows.clear();
        rowsWaiting = 0;
        return kept;
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DatabaseRecord& record = records[i];
        if (record.lines.empty() || seen.contains(static_cast<std::int64_t>(record.seq))) {
            continue;
        }
        outcomes[i] = RecordOutcome::applied;
        for (std::size_t part = 0; part < record.lines.size(); ++part) {
            const JournalEntry& line = record.lines[part];
            rows.insert(rows.end(),
                        {std::string(host), static_cast<std::int64_t>(record.seq),
                         static_cast<std::int64_t>(part + 1),
                         static_cast<std::int64_t>(record.lines.size()), line.time, line.cause.what,
                         line.cause.who, static_cast<std::int64_t>(line.cause.bot), line.account,
                         line.field, line.change, line.after, std::int64_t{1}});
            ++expected;
            if (++rowsWaiting == slice / 2) {
                if (Status kept = keepRows(); !kept.ok()) {
                    return kept;
                }
            }
            Sum& sum = sums[foldedCopy(line.account)];
            if (sum.name.empty()) {
                sum.name = line.account;
            }
            const std::optional<std::int64_t> change = readJournalChange(line.change);
            if (line.field == journalInventoryField) {
                sum.inventory = sum.inventory || line.change == journalNew;
            } else if (line.field == journalGoldField && change) {
                sum.gold += *change;
                sum.goldChanged = true;
            } else if (const std::optional<ItemKind> kind = itemKindOfWord(line.field);
                       kind && change) {
                sum.items[static_cast<std::size_t>(*kind)] += *change;
                sum.inventory = true;
            } else {
                return Status::failed("a line of a record changes nothing: " + line.field + " " +
                                      line.change);
            }
        }
    }
    if (Status kept = keepRows(); !kept.ok()) {
        return kept;
    }
    if (static_cast<std::size_t>(inserted) != expected) {
        // Some written meanwhile by another connection of this host: the
        // batch is undone, and sent again finds them seen.
        return Status::failed("records of this host were written by another connection meanwhile");
    }
    // Every account's sum, then every inventory record's, in name order.
    Connection::Values accounts;
    Connection::Values inventories;
    std::size_t accountRows = 0;
    std::size_t inventoryRows = 0;
    const auto upsert = [&](bool gold) -> Status {
        Connection::Values& values = gold ? accounts : inventories;
        std::size_t& count = gold ? accountRows : inventoryRows;
        if (count == 0) {
            return {};
        }
        std::string sql;
        if (gold) {
            sql = "INSERT INTO quorvel_accounts (folded, name, gold) VALUES " + rowMarks(count, 3) +
                  (dialect == Dialect::mariadb
                       ? " ON DUPLICATE KEY UPDATE gold = gold + VALUES(gold)"
                       : " ON CONFLICT (folded) DO UPDATE SET gold = quorvel_accounts.gold + "
                         "excluded.gold");
        } else {
            sql = "INSERT INTO quorvel_inventory (folded, name";
            std::string update;
            for (std::string_view column : itemColumns) {
                const std::string c(column);
                sql += ", " + c;
                update +=
                    (update.empty() ? "" : ", ") + c + " = " +
                    (dialect == Dialect::mariadb ? c + " + VALUES(" + c + ")"
                                                 : "quorvel_inventory." + c + " + excluded." + c);
            }
            sql += ") VALUES " + rowMarks(count, 2 + itemKindCount) +
                   (dialect == Dialect::mariadb ? " ON DUPLICATE KEY UPDATE "
                                                : " ON CONFLICT (folded) DO UPDATE SET ") +
                   update;
        }
        const Status made = db.execute(sql, values);
        values.clear();
        count = 0;
        return made;
    };
    for (const auto& [folded, sum] : sums) {
        if (sum.goldChanged) {
            accounts.insert(accounts.end(), {folded, sum.name, sum.gold});
            if (++accountRows == slice) {
                if (Status made = upsert(true); !made.ok()) {
                    return made;
                }
            }
        }
    }
    if (Status made = upsert(true); !made.ok()) {
        return made;
    }
    for (const auto& [folded, sum] : sums) {
        if (sum.inventory) {
            inventories.insert(inventories.end(), {folded, sum.name});
            for (std::int64_t count : sum.items) {
                inventories.emplace_back(count);
            }
            if (++inventoryRows == slice / 2) {
                if (Status made = upsert(false); !made.ok()) {
                    return made;
                }
            }
        }
    }
    if (Status made = upsert(false); !made.ok()) {
        return made;
    }
    together = true;
    return {};
}

} // namespace

Dialect dialectOf(std::string_view dbmsName) {
    if (dbmsName == "PostgreSQL") {
        return Dialect::postgres;
    }
    if (dbmsName == "MariaDB" || dbmsName == "MySQL") {
        return Dialect::mariadb;
    }
    if (dbmsName == "SQLite") {
        return Dialect::sqlite;
    }
    return Dialect::unknown;
}

Status prepareSchema(Connection& db, Dialect dialect) {
    if (dialect == Dialect::unknown) {
        return Status::failed("the database is none of PostgreSQL, MariaDB and SQLite");
    }
    std::string inventory = "CREATE TABLE IF NOT EXISTS quorvel_inventory (folded VARCHAR(20) NOT "
                            "NULL PRIMARY KEY, name VARCHAR(20) NOT NULL";
    for (std::string_view column : itemColumns) {
        inventory += ", " + std::string(column) + " BIGINT NOT NULL DEFAULT 0";
    }
    inventory += ")";
    const std::string statements[] = {
        "CREATE TABLE IF NOT EXISTS quorvel_schema (version BIGINT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS quorvel_hosts (host VARCHAR(64) NOT NULL PRIMARY KEY, owner "
        "VARCHAR(128) NOT NULL, beat BIGINT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS quorvel_accounts (folded VARCHAR(20) NOT NULL PRIMARY KEY, "
        "name VARCHAR(20) NOT NULL, gold BIGINT NOT NULL DEFAULT 0)",
        inventory,
        "CREATE TABLE IF NOT EXISTS quorvel_ledger (host VARCHAR(64) NOT NULL, seq BIGINT NOT "
        "NULL, part INTEGER NOT NULL, parts INTEGER NOT NULL, at VARCHAR(32) NOT NULL, cause "
        "VARCHAR(255) NOT NULL, by_name VARCHAR(64) NOT NULL, bot INTEGER NOT NULL, account "
        "VARCHAR(32) NOT NULL, field VARCHAR(16) NOT NULL, change_text VARCHAR(16) NOT NULL, "
        "after_text VARCHAR(16) NOT NULL, outcome INTEGER NOT NULL, PRIMARY KEY (host, seq, "
        "part))",
    };
    for (const std::string& sql : statements) {
        if (Status made = db.execute(sql); !made.ok()) {
            return made;
        }
    }
    std::optional<std::int64_t> version;
    if (Status read = db.queryNumber("SELECT MAX(version) FROM quorvel_schema", version);
        !read.ok()) {
        return read;
    }
    if (!version) {
        return db.execute("INSERT INTO quorvel_schema (version) VALUES (?)", {schemaVersion});
    }
    if (*version > schemaVersion) {
        return Status::failed("the database's tables are of version " + std::to_string(*version) +
                              ", newer than this module's " + std::to_string(schemaVersion));
    }
    return {};
}

Status applyRecords(Connection& db, Dialect dialect, std::string_view host,
                    std::span<const DatabaseRecord> records, std::vector<RecordOutcome>& outcomes) {
    outcomes.assign(records.size(), RecordOutcome::seenBefore);
    if (Status began = db.begin(); !began.ok()) {
        return began;
    }
    bool together = false;
    Status done = applyTogether(db, dialect, host, records, outcomes, together);
    if (done.ok() && !together) {
        for (std::size_t i = 0; i < records.size() && done.ok(); ++i) {
            done = applyOne(db, dialect, host, records[i], outcomes[i]);
        }
    }
    if (done.ok()) {
        done = db.commit();
    }
    if (!done.ok()) {
        db.rollback();
        outcomes.assign(records.size(), RecordOutcome::seenBefore);
    }
    return done;
}

Status lastRecordOf(Connection& db, std::string_view host, std::uint64_t& seq) {
    std::optional<std::int64_t> last;
    const Status read = db.queryNumber("SELECT MAX(seq) FROM quorvel_ledger WHERE host = ?",
                                       {std::string(host)}, last);
    seq = last && *last > 0 ? static_cast<std::uint64_t>(*last) : 0;
    return read;
}

InventoryRecord inventoryRecordOf(const StoredInventory& stored) {
    InventoryRecord record;
    std::memcpy(record.name, stored.name.data(), std::min(stored.name.size(), sizeof record.name));
    for (std::size_t i = 0; i < itemKindCount; ++i) {
        record.counts[i] = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(stored.counts[i], INT32_MIN, INT32_MAX));
    }
    return record;
}

Status readAccounts(Connection& db, const std::vector<std::string>& names,
                    const std::function<void(const StoredAccount&)>& each) {
    return readByNames(db, "SELECT name, gold FROM quorvel_accounts", " ORDER BY folded", names,
                       [&](const Connection::Row& row) {
                           each({row[0].value_or(""), numberIn(row[1])});
                       });
}

Status readInventories(Connection& db, const std::vector<std::string>& names,
                       const std::function<void(const StoredInventory&)>& each) {
    std::string sql = "SELECT name";
    for (std::string_view column : itemColumns) {
        sql += ", " + std::string(column);
    }
    return readByNames(db, sql + " FROM quorvel_inventory", " ORDER BY folded", names,
                       [&](const Connection::Row& row) {
                           StoredInventory stored{row[0].value_or(""), {}};
                           for (std::size_t i = 0; i < itemKindCount; ++i) {
                               stored.counts[i] = numberIn(row[i + 1]);
                           }
                           each(stored);
                       });
}

Status claimHost(Connection& db, Dialect dialect, std::string_view host, std::string_view owner,
                 std::int64_t nowSeconds, std::int64_t staleSeconds, bool& held,
                 std::string& holder) {
    held = false;
    holder.clear();
    const std::string name(host);
    const std::string self(owner);
    if (Status made = db.execute(
            insertOnce(dialect, "quorvel_hosts", "host, owner, beat", "?, '', 0"), {name});
        !made.ok()) {
        return made;
    }
    if (Status claimed = db.execute("UPDATE quorvel_hosts SET owner = ?, beat = ? WHERE host = ? "
                                    "AND (owner = ? OR owner = '' OR beat < ?)",
                                    {self, nowSeconds, name, self, nowSeconds - staleSeconds});
        !claimed.ok()) {
        return claimed;
    }
    const Status read = db.query("SELECT owner FROM quorvel_hosts WHERE host = ?", {name},
                                 [&](const Connection::Row& row) { holder = row[0].value_or(""); });
    held = read.ok() && holder == self;
    return read;
}

Status releaseHost(Connection& db, std::string_view host, std::string_view owner) {
    return db.execute("UPDATE quorvel_hosts SET owner = '' WHERE host = ? AND owner = ?",
                      {std::string(host), std::string(owner)});
}

} // namespace quorvel
