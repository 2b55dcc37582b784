// The economy's tables in a database shared by hosts on several machines,
// in the three dialects the module speaks (PostgreSQL, MariaDB, SQLite),
// and the statements that read and change them.
//
// Every change a host makes is a numbered record of lines, as gold.log holds
// it; the ledger keeps each line under (host, sequence number, part), so a
// record seen again changes nothing, and the ledger is the network's history.
// A purchase is a record whose debit must not overdraw: the database settles
// it, so two hosts racing for the same last gold have one winner, and a
// refused one is kept in the ledger as refused (its number is used).
//
// Accounts and inventory records are keyed by the name folded A to Z (as the
// module matches names), and keep the name as first written.
#pragma once

#include "base/platform/odbc.h"
#include "base/platform/status.h"
#include "gold/gold_journal.h"
#include "gold/inventory_book.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

enum class Dialect { postgres, mariadb, sqlite, unknown };
// By the database's name for itself (SQL_DBMS_NAME).
Dialect dialectOf(std::string_view dbmsName);

inline constexpr std::int64_t schemaVersion = 1;

// Makes the tables when they are missing and says which version they are;
// refuses a database whose tables are of a later version. A ledger line's
// outcome is 1 applied, 0 refused, or 2 history: a line of a folder's
// gold.log moved in with its balances by quorvel-admin migrate, whose effect
// is in those balances and which nothing applies again.
[[nodiscard]] platform::Status prepareSchema(platform::odbc::Connection& db, Dialect dialect);

// A record as a host sends it: its number, its lines, and whether it is a
// purchase (its gold debit is made only if the account holds that much, and
// then the whole record; otherwise none of it).
struct DatabaseRecord {
    std::uint64_t seq = 0;
    bool settles = false;
    std::vector<JournalEntry> lines;
};

enum class RecordOutcome { applied, refused, seenBefore };

// Applies `records` of `host` in one transaction, each once: a record the
// ledger holds already changes nothing. `outcomes` gets one per record.
// Nothing is applied when the transaction fails.
[[nodiscard]] platform::Status applyRecords(platform::odbc::Connection& db, Dialect dialect,
                                            std::string_view host,
                                            std::span<const DatabaseRecord> records,
                                            std::vector<RecordOutcome>& outcomes);

// The highest record number of `host` in the ledger, 0 for none.
[[nodiscard]] platform::Status lastRecordOf(platform::odbc::Connection& db, std::string_view host,
                                            std::uint64_t& seq);

// An account or inventory record as the database holds it.
struct StoredAccount {
    std::string name;
    std::int64_t gold = 0;
};
struct StoredInventory {
    std::string name;
    std::array<std::int64_t, itemKindCount> counts{};
};

// A stored inventory record as a record of inv.dat holds it: the name cut
// to its field, each count held to the range of a count.
InventoryRecord inventoryRecordOf(const StoredInventory& stored);

// Every account and inventory record, in name order; or those of `names`
// only (any case), when given.
[[nodiscard]] platform::Status readAccounts(platform::odbc::Connection& db,
                                            const std::vector<std::string>& names,
                                            const std::function<void(const StoredAccount&)>& each);
[[nodiscard]] platform::Status
readInventories(platform::odbc::Connection& db, const std::vector<std::string>& names,
                const std::function<void(const StoredInventory&)>& each);

// The host name `host` is held by one live process at a time: `owner` (a
// name of this process, unique) takes it when it is free, its own already,
// or its holder has not been heard of for `staleSeconds`; and keeps it by
// claiming again more often than that. `held` says whether it holds it,
// `holder` who does when another.
[[nodiscard]] platform::Status claimHost(platform::odbc::Connection& db, Dialect dialect,
                                         std::string_view host, std::string_view owner,
                                         std::int64_t nowSeconds, std::int64_t staleSeconds,
                                         bool& held, std::string& holder);
// Gives the host name up (at a clean stop), so a restart need not wait.
[[nodiscard]] platform::Status releaseHost(platform::odbc::Connection& db, std::string_view host,
                                           std::string_view owner);

} // namespace quorvel
