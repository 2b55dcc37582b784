#include "gold/database_schema.h"

#include <optional>
#include <string>

namespace quorvel {
namespace {

using platform::Status;
using platform::odbc::Connection;

std::string identityColumn(Dialect dialect) {
    switch (dialect) {
    case Dialect::mariadb:
        return "BIGINT AUTO_INCREMENT PRIMARY KEY";
    case Dialect::sqlite:
        return "INTEGER PRIMARY KEY AUTOINCREMENT";
    default:
        return "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY";
    }
}

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
    const std::string statements[] = {
        "CREATE TABLE IF NOT EXISTS quorvel_schema (version BIGINT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS quorvel_accounts (name VARCHAR(20) NOT NULL PRIMARY KEY, "
        "gold BIGINT NOT NULL)",
        "CREATE TABLE IF NOT EXISTS quorvel_ledger (host VARCHAR(64) NOT NULL, seq BIGINT NOT "
        "NULL, PRIMARY KEY (host, seq))",
        "CREATE TABLE IF NOT EXISTS quorvel_purchases (id " + identityColumn(dialect) +
            ", host VARCHAR(64) NOT NULL, account VARCHAR(20) NOT NULL, price BIGINT NOT NULL)",
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

Status applyRecord(Connection& db, Dialect dialect, std::string_view host, std::int64_t seq,
                   const std::vector<GoldDelta>& changes, bool& applied) {
    applied = false;
    if (Status began = db.begin(); !began.ok()) {
        return began;
    }
    std::int64_t rows = 0;
    Status done = db.execute(insertOnce(dialect, "quorvel_ledger", "host, seq", "?, ?"),
                             {std::string(host), seq}, &rows);
    if (done.ok() && rows == 1) {
        for (const GoldDelta& change : changes) {
            done = db.execute(insertOnce(dialect, "quorvel_accounts", "name, gold", "?, 0"),
                              {change.account});
            if (done.ok()) {
                done = db.execute("UPDATE quorvel_accounts SET gold = gold + ? WHERE name = ?",
                                  {change.change, change.account});
            }
            if (!done.ok()) {
                break;
            }
        }
    }
    if (!done.ok()) {
        db.rollback();
        return done;
    }
    if (Status committed = db.commit(); !committed.ok()) {
        return committed;
    }
    applied = rows == 1;
    return {};
}

Status settleDebit(Connection& db, std::string_view account, std::int64_t amount, bool& settled) {
    std::int64_t rows = 0;
    const Status done =
        db.execute("UPDATE quorvel_accounts SET gold = gold - ? WHERE name = ? AND gold >= ?",
                   {amount, std::string(account), amount}, &rows);
    settled = done.ok() && rows == 1;
    return done;
}

} // namespace quorvel
