// The database, through ODBC: a thin owner of the environment, connection
// and statement handles, each call answering with one Status (the driver's
// diagnostics as its reason). Only the unsuffixed ODBC names are called,
// which every driver manager exports.
#pragma once

#include "base/platform/status.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvel::platform::odbc {

struct Handles;

// An operator's connection string, with what a dead network needs to be
// noticed within `networkTimeoutMs`. A database reached over a network may
// stop answering at any moment (a cable pulled, a firewall dropping
// packets): the client's kernel keeps the TCP connection open, and with the
// drivers' defaults a call then blocks for many minutes. What is added
// depends on the driver named by `Driver=` (its name or its library):
// - PostgreSQL (psqlODBC): libpq's TCP settings inside pqopt={...}:
//   keepalives=1, keepalives_idle and keepalives_interval (whole seconds),
//   keepalives_count=2 and tcp_user_timeout (milliseconds), about three
//   fifths of the bound, so that the kernel gives up on a silent peer, both
//   when a request waits for its answer (keepalives) and when what was sent
//   is never acknowledged (tcp_user_timeout). libpq has no timeout of its
//   own for a statement once sent: these are all that bounds it.
// - MariaDB Connector/ODBC: READ_TIMEOUT and WRITE_TIMEOUT, in whole
//   seconds (at least 1), the bound rounded down: the driver's own waits on
//   the socket.
// - Any other driver, or a data source named by DSN= alone: nothing.
// A keyword the operator wrote is never overridden: psqlODBC's KeepaliveTime
// and KeepaliveInterval stand for keepalives_idle and keepalives_interval
// (the driver refuses both at once), and a key already inside the
// operator's pqopt stays as written; what is missing joins it.
// A connect is bounded apart from this, by the login timeout given to open().
std::string withNetworkBounds(std::string connection, std::int32_t networkTimeoutMs);

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects by a connection string, waiting at most `loginSeconds`: the
    // login timeout attribute, and for MariaDB Connector/ODBC, which reads
    // only its own keyword, CONN_TIMEOUT (unless the string has one).
    [[nodiscard]] Status open(const std::string& connection, std::int32_t loginSeconds);
    void close();
    bool isOpen() const;

    // The database's name for itself: PostgreSQL, MariaDB, SQLite.
    std::string dbmsName();

    // A statement's parameters, in the order of its "?" marks.
    using Value = std::variant<std::int64_t, std::string>;
    using Values = std::vector<Value>;

    // Runs one statement; `rows` gets the rows it changed, when asked.
    [[nodiscard]] Status execute(std::string_view sql, std::int64_t* rows = nullptr);
    [[nodiscard]] Status execute(std::string_view sql, const Values& values,
                                 std::int64_t* rows = nullptr);
    // The first column of the first row, as a number; nothing without a row.
    [[nodiscard]] Status queryNumber(std::string_view sql, std::optional<std::int64_t>& value);
    [[nodiscard]] Status queryNumber(std::string_view sql, const Values& values,
                                     std::optional<std::int64_t>& value);
    // Every row, each column as text (nothing for NULL), handed to `row` in
    // the order the database gives them.
    using Row = std::vector<std::optional<std::string>>;
    [[nodiscard]] Status query(std::string_view sql, const Values& values,
                               const std::function<void(const Row&)>& row);

    // A transaction: statements after begin() take effect together at
    // commit(), or none of them after rollback() (or a lost connection).
    [[nodiscard]] Status begin();
    [[nodiscard]] Status commit();
    void rollback();

private:
    std::unique_ptr<Handles> handles_;
};

} // namespace quorvel::platform::odbc
