// The economy's tables in a database shared by hosts on several machines,
// in the three dialects the module speaks (PostgreSQL, MariaDB, SQLite),
// and the statements that change them. A record of a host is applied once:
// the ledger keeps (host, sequence number), and a record seen again changes
// nothing. A debit that must not overdraw (a purchase) is settled by the
// database, so two hosts racing for the same last gold have one winner.
#pragma once

#include "base/platform/odbc.h"
#include "base/platform/status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

enum class Dialect { postgres, mariadb, sqlite, unknown };
// By the database's name for itself (SQL_DBMS_NAME).
Dialect dialectOf(std::string_view dbmsName);

inline constexpr std::int64_t schemaVersion = 1;

// Makes the tables when they are missing and says which version they are;
// refuses a database whose tables are of a later version.
[[nodiscard]] platform::Status prepareSchema(platform::odbc::Connection& db, Dialect dialect);

// One account's change within a record.
struct GoldDelta {
    std::string account; // A to Z folded
    std::int64_t change = 0;
};

// Applies the record `seq` of `host` in one transaction, unless the ledger
// holds it already; `applied` says which.
[[nodiscard]] platform::Status applyRecord(platform::odbc::Connection& db, Dialect dialect,
                                           std::string_view host, std::int64_t seq,
                                           const std::vector<GoldDelta>& changes, bool& applied);

// Takes `amount` from `account` only if it holds that much; `settled` says
// whether it did.
[[nodiscard]] platform::Status settleDebit(platform::odbc::Connection& db, std::string_view account,
                                           std::int64_t amount, bool& settled);

} // namespace quorvel
