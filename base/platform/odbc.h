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

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects by a connection string, waiting at most `loginSeconds`.
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
