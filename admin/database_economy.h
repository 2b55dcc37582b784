// A folder whose quorvel.ini says [Database] Economy=database keeps its
// economy in a database shared by hosts on several machines: its accounts,
// inventory records and a ledger of every line of every host's records. The
// commands that read a folder read the database then, through the two
// sources every command reads (inspectEconomy and readJournal); migrate moves
// a folder's files into it, and export writes them back.
#pragma once

#include "base/platform/odbc.h"
#include "gold/database_schema.h"
#include "gold/file_economy.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::admin {

// The keys of the current folder's quorvel.ini [Database] section that the
// tool needs, read as the module reads them.
struct DatabaseSection {
    bool economyInDatabase = false; // Economy=database
    std::string connection;         // an ODBC connection string; holds passwords
    std::string hostId;
    std::int32_t loginTimeout = 5; // seconds
    std::int32_t networkTimeoutMs = 5000;
};
DatabaseSection readDatabaseSection();

// Whether the current folder keeps its economy in a database, and the
// commands read it from there.
bool economyInDatabase();

// While one lives, the folder's files are read even when its quorvel.ini
// names a database: migrate reads what it moves.
class ReadingFolderFiles {
public:
    ReadingFolderFiles();
    ~ReadingFolderFiles();
    ReadingFolderFiles(const ReadingFolderFiles&) = delete;
    ReadingFolderFiles& operator=(const ReadingFolderFiles&) = delete;
};

struct EconomyDatabase {
    platform::odbc::Connection db;
    Dialect dialect = Dialect::unknown;
    std::string shown; // the connection string without its passwords
};
// Opens the database the current folder's quorvel.ini names; the failure's
// reason, naming the connection without its passwords, when it cannot.
platform::Status openEconomyDatabase(EconomyDatabase& database);

// One record of the ledger: a host's numbered record, its lines, and its
// outcome.
inline constexpr std::int64_t ledgerRefused = 0;
inline constexpr std::int64_t ledgerApplied = 1;
inline constexpr std::int64_t ledgerHistory = 2;
struct LedgerRecord {
    std::string host;
    std::uint64_t seq = 0;
    std::int64_t outcome = ledgerApplied;
    std::vector<quorvel::JournalEntry> lines;
};
// The ledger's applied and history records, in time order (of each record's
// first line; a host's records in their order).
platform::Status readLedger(EconomyDatabase& database, std::vector<LedgerRecord>& records);

// The database's accounts and inventory records into `economy` (empty), in
// name order.
platform::Status loadFromDatabase(EconomyDatabase& database, FileEconomy& economy);

// What check says of a database economy: its tables' version, the host
// names and who holds them, and every account whose balance is not the sum
// of the ledger's applied gold lines for it (after the last reset).
struct DatabaseCheck {
    std::vector<std::string> status; // "name    what" lines
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    bool unreadable = false;
};
DatabaseCheck checkDatabase();

} // namespace quorvel::admin
