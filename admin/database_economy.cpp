#include "admin/database_economy.h"

#include "admin/folder.h"
#include "admin/output.h"

#include "base/platform/ini_reader.h"
#include "base/text/text_rules.h"
#include "gold/database_settings.h"
#include "gold/journal_format.h"
#include "gold/store_items.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>

namespace quorvel::admin {

using platform::Status;
using platform::odbc::Connection;

namespace {

constexpr const char* settingsName = "quorvel.ini";
// Accounts that disagree with the ledger, named one by one up to this many.
constexpr std::size_t namedAtMost = 10;

int filesForced = 0;

std::int64_t numberIn(const std::optional<std::string>& cell) {
    try {
        return cell ? std::stoll(*cell) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace

DatabaseSection readDatabaseSection() {
    platform::Platform& files = readOnlyFiles();
    const DatabaseSettingsRead read = readDatabaseSettings(files, files.currentDirectory());
    DatabaseSection section;
    section.economyInDatabase = read.settings.economy == EconomyKind::database;
    section.connection = read.settings.connection;
    section.hostId = read.settings.hostId;
    section.loginTimeout = read.settings.loginTimeout;
    section.networkTimeoutMs = read.settings.networkTimeoutMs;
    return section;
}

bool economyInDatabase() {
    return filesForced == 0 && readDatabaseSection().economyInDatabase;
}

ReadingFolderFiles::ReadingFolderFiles() {
    ++filesForced;
}
ReadingFolderFiles::~ReadingFolderFiles() {
    --filesForced;
}

Status openEconomyDatabase(EconomyDatabase& database) {
    const DatabaseSection section = readDatabaseSection();
    database.shown = connectionForDisplay(section.connection);
    if (section.connection.empty()) {
        return Status::failed("quorvel.ini's [Database] Connection is not set");
    }
    // Bounded as the module's own connection is: a dead network fails a
    // command rather than holding it for minutes.
    if (Status opened = database.db.open(
            platform::odbc::withNetworkBounds(section.connection, section.networkTimeoutMs),
            section.loginTimeout);
        !opened.ok()) {
        return Status::failed("cannot connect to the database " + database.shown + ": " +
                              connectionForDisplay(opened.reason()));
    }
    database.dialect = dialectOf(database.db.dbmsName());
    if (database.dialect == Dialect::unknown) {
        return Status::failed("the database " + database.shown +
                              " is none of PostgreSQL, MariaDB and SQLite");
    }
    return {};
}

Status readLedger(EconomyDatabase& database, std::vector<LedgerRecord>& records) {
    records.clear();
    const Status read = database.db.query(
        "SELECT host, seq, part, at, cause, by_name, bot, account, field, change_text, "
        "after_text, outcome FROM quorvel_ledger WHERE outcome <> ? ORDER BY host, seq, part",
        {ledgerRefused}, [&records](const Connection::Row& row) {
            const std::string host = row[0].value_or("");
            const auto seq = static_cast<std::uint64_t>(numberIn(row[1]));
            if (records.empty() || records.back().host != host || records.back().seq != seq) {
                records.push_back({host, seq, numberIn(row[11]), {}});
            }
            quorvel::JournalEntry line;
            line.time = row[3].value_or("");
            line.cause.what = row[4].value_or("");
            line.cause.who = row[5].value_or("");
            line.cause.bot = static_cast<Word>(numberIn(row[6]));
            line.account = row[7].value_or("");
            line.field = row[8].value_or("");
            line.change = row[9].value_or("");
            line.after = row[10].value_or("");
            records.back().lines.push_back(std::move(line));
        });
    std::stable_sort(records.begin(), records.end(),
                     [](const LedgerRecord& a, const LedgerRecord& b) {
                         return a.lines.front().time < b.lines.front().time;
                     });
    return read;
}

Status loadFromDatabase(EconomyDatabase& database, FileEconomy& economy) {
    if (Status read = readAccounts(database.db, {},
                                   [&economy](const StoredAccount& stored) {
                                       GoldAccount account;
                                       account.amount = static_cast<std::uint32_t>(
                                           std::clamp<std::int64_t>(stored.gold, 0, 4294967295LL));
                                       std::strncpy(account.name, stored.name.c_str(),
                                                    sizeof account.name - 1);
                                       economy.ledger().append(account);
                                   });
        !read.ok()) {
        return read;
    }
    return readInventories(database.db, {}, [&economy](const StoredInventory& stored) {
        const InventoryRecord record = inventoryRecordOf(stored);
        economy.book().append(record);
    });
}

DatabaseCheck checkDatabase() {
    DatabaseCheck found;
    const auto status = [&found](std::string_view name, const std::string& what) {
        found.status.push_back(fillToWidth(name, 14) + what);
    };
    EconomyDatabase database;
    if (Status opened = openEconomyDatabase(database); !opened.ok()) {
        status("database", "could not be read");
        // A connection not given is a finding of quorvel.ini's already.
        if (!readDatabaseSection().connection.empty()) {
            found.problems.push_back(opened.reason());
        }
        found.unreadable = true;
        return found;
    }
    std::optional<std::int64_t> version;
    if (Status read = database.db.queryNumber("SELECT MAX(version) FROM quorvel_schema", version);
        !read.ok()) {
        status("database", database.db.dbmsName() + ", no economy tables");
        found.problems.push_back("the database " + database.shown + " holds no economy tables (" +
                                 read.reason() +
                                 "): a host makes them at its start, and quorvel-admin migrate "
                                 "moves a folder's economy into them.");
        return found;
    }
    std::vector<StoredAccount> accounts;
    std::size_t inventories = 0;
    std::vector<LedgerRecord> records;
    Status read = readAccounts(database.db, {}, [&accounts](const StoredAccount& account) {
        accounts.push_back(account);
    });
    if (read.ok()) {
        read = readInventories(database.db, {},
                               [&inventories](const StoredInventory&) { ++inventories; });
    }
    if (read.ok()) {
        read = readLedger(database, records);
    }
    if (!read.ok()) {
        status("database", "could not be read");
        found.problems.push_back("the database " + database.shown +
                                 " could not be read: " + read.reason());
        found.unreadable = true;
        return found;
    }
    std::size_t lines = 0;
    for (const LedgerRecord& record : records) {
        lines += record.lines.size();
    }
    status("database",
           database.db.dbmsName() + ", tables of version " + std::to_string(version.value_or(0)) +
               ", " + plural(accounts.size(), "account") + ", " +
               plural(inventories, "inventory record") + ", " + plural(lines, "ledger line"));
    if (version.value_or(0) > schemaVersion) {
        found.problems.push_back("the database's tables are of version " +
                                 std::to_string(*version) + ", newer than this tool's " +
                                 std::to_string(schemaVersion) + ": use a newer quorvel-admin.");
    }
    read = database.db.query("SELECT host, owner FROM quorvel_hosts ORDER BY host", {},
                             [&status](const Connection::Row& row) {
                                 const std::string owner = row[1].value_or("");
                                 status("host " + printable(row[0].value_or("")),
                                        owner.empty() ? "free" : "held by " + printable(owner));
                             });
    if (!read.ok()) {
        found.problems.push_back("the database's host names could not be read: " + read.reason());
    }

    // Each account's gold is what the applied records added since the last
    // reset of every account: history lines (a folder's journal moved in)
    // had their effect in the balances that came with them.
    std::map<std::string, std::pair<std::string, std::int64_t>> sums;
    for (const LedgerRecord& record : records) {
        if (record.outcome != ledgerApplied) {
            continue;
        }
        for (const quorvel::JournalEntry& line : record.lines) {
            if (line.field != journalGoldField) {
                continue;
            }
            if (line.account == journalEveryAccount) {
                if (line.change == journalReset) {
                    sums.clear();
                }
                continue;
            }
            if (const std::optional<std::int64_t> change = readJournalChange(line.change)) {
                auto& [name, sum] = sums[foldedCopy(line.account)];
                name = name.empty() ? line.account : name;
                sum += *change;
            }
        }
    }
    std::vector<std::string> differing;
    for (const StoredAccount& account : accounts) {
        auto summed = sums.find(foldedCopy(account.name));
        const std::int64_t sum = summed == sums.end() ? 0 : summed->second.second;
        if (summed != sums.end()) {
            sums.erase(summed);
        }
        if (sum != account.gold) {
            differing.push_back(
                printable(account.name) + ": the account holds " + std::to_string(account.gold) +
                ", its ledger's applied gold lines add up to " + std::to_string(sum));
        }
    }
    for (const auto& [folded, summed] : sums) {
        if (summed.second != 0) {
            differing.push_back(printable(summed.first) +
                                ": no account, its ledger's applied gold lines add up to " +
                                std::to_string(summed.second));
        }
    }
    if (!differing.empty()) {
        std::string text = "the database's accounts disagree with its ledger on " +
                           plural(differing.size(), "account") +
                           " (a balance changed outside the module, or a record lost):";
        for (std::size_t i = 0; i < differing.size() && i < namedAtMost; ++i) {
            text += "\n    " + differing[i];
        }
        if (differing.size() > namedAtMost) {
            text += "\n    and " + plural(differing.size() - namedAtMost, "more account") + ".";
        }
        found.problems.push_back(text);
    }
    return found;
}

} // namespace quorvel::admin
