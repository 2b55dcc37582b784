#include "base/platform/odbc.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace quorvel::platform::odbc {

struct Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    bool connected = false;
};

namespace {

// The driver's diagnostics for `handle`, as one line.
std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    std::string text;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR message[512] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN got =
            SQLGetDiagRec(type, handle, record, state, &native, message, sizeof message, &length);
        if (!SQL_SUCCEEDED(got)) {
            break;
        }
        if (!text.empty()) {
            text += "; ";
        }
        text += reinterpret_cast<const char*>(state);
        text += ' ';
        text += reinterpret_cast<const char*>(message);
    }
    return text.empty() ? std::string("no diagnostics") : text;
}

Status checked(SQLRETURN result, SQLSMALLINT type, SQLHANDLE handle) {
    if (SQL_SUCCEEDED(result) || result == SQL_NO_DATA) {
        return {};
    }
    return Status::failed(diagnostics(type, handle));
}

// A statement handle, freed when it goes.
class Statement {
public:
    explicit Statement(SQLHDBC connection) {
        allocated_ = SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_);
    }
    ~Statement() {
        if (handle_ != SQL_NULL_HSTMT) {
            SQLFreeHandle(SQL_HANDLE_STMT, handle_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Runs `sql` with `values` bound to its "?" marks; the values are the
    // caller's and outlive the call.
    Status run(SQLHDBC connection, std::string_view sql, const Connection::Values& values) {
        if (!SQL_SUCCEEDED(allocated_)) {
            return Status::failed(diagnostics(SQL_HANDLE_DBC, connection));
        }
        std::string text(sql);
        if (values.empty()) {
            return checked(SQLExecDirect(handle_, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS),
                           SQL_HANDLE_STMT, handle_);
        }
        if (Status prepared =
                checked(SQLPrepare(handle_, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS),
                        SQL_HANDLE_STMT, handle_);
            !prepared.ok()) {
            return prepared;
        }
        lengths_.assign(values.size(), 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto number = static_cast<SQLUSMALLINT>(i + 1);
            SQLRETURN bound = SQL_ERROR;
            if (const auto* integer = std::get_if<std::int64_t>(&values[i])) {
                bound =
                    SQLBindParameter(handle_, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0,
                                     0, const_cast<std::int64_t*>(integer), 0, nullptr);
            } else {
                const std::string& chars = std::get<std::string>(values[i]);
                lengths_[i] = static_cast<SQLLEN>(chars.size());
                bound = SQLBindParameter(handle_, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                         chars.size() + 1, 0, const_cast<char*>(chars.data()), 0,
                                         &lengths_[i]);
            }
            if (Status ok = checked(bound, SQL_HANDLE_STMT, handle_); !ok.ok()) {
                return ok;
            }
        }
        return checked(SQLExecute(handle_), SQL_HANDLE_STMT, handle_);
    }
    SQLHSTMT get() const { return handle_; }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
    SQLRETURN allocated_ = SQL_ERROR;
    std::vector<SQLLEN> lengths_; // the text parameters' lengths, bound by address
};

} // namespace

Connection::Connection() : handles_(std::make_unique<Handles>()) {}

Connection::~Connection() {
    close();
}

Status Connection::open(const std::string& connection, std::int32_t loginSeconds) {
    close();
    Handles& h = *handles_;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.environment))) {
        return Status::failed("no ODBC environment could be made");
    }
    SQLSetEnvAttr(h.environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    if (Status made = checked(SQLAllocHandle(SQL_HANDLE_DBC, h.environment, &h.connection),
                              SQL_HANDLE_ENV, h.environment);
        !made.ok()) {
        close();
        return made;
    }
    SQLSetConnectAttr(h.connection, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(loginSeconds)), 0);
    std::string text = connection;
    const Status connected =
        checked(SQLDriverConnect(h.connection, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                 SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
                SQL_HANDLE_DBC, h.connection);
    if (!connected.ok()) {
        close();
        return connected;
    }
    h.connected = true;
    return {};
}

void Connection::close() {
    Handles& h = *handles_;
    if (h.connected) {
        SQLDisconnect(h.connection);
        h.connected = false;
    }
    if (h.connection != SQL_NULL_HDBC) {
        SQLFreeHandle(SQL_HANDLE_DBC, h.connection);
        h.connection = SQL_NULL_HDBC;
    }
    if (h.environment != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, h.environment);
        h.environment = SQL_NULL_HENV;
    }
}

bool Connection::isOpen() const {
    return handles_->connected;
}

std::string Connection::dbmsName() {
    SQLCHAR name[64] = {};
    SQLSMALLINT length = 0;
    if (!isOpen() || !SQL_SUCCEEDED(SQLGetInfo(handles_->connection, SQL_DBMS_NAME, name,
                                               sizeof name, &length))) {
        return {};
    }
    return reinterpret_cast<const char*>(name);
}

Status Connection::execute(std::string_view sql, std::int64_t* rows) {
    return execute(sql, {}, rows);
}

Status Connection::execute(std::string_view sql, const Values& values, std::int64_t* rows) {
    if (!isOpen()) {
        return Status::failed("not connected");
    }
    Statement statement(handles_->connection);
    if (Status ran = statement.run(handles_->connection, sql, values); !ran.ok()) {
        return ran;
    }
    if (rows != nullptr) {
        SQLLEN count = 0;
        SQLRowCount(statement.get(), &count);
        *rows = count;
    }
    return {};
}

Status Connection::queryNumber(std::string_view sql, std::optional<std::int64_t>& value) {
    return queryNumber(sql, {}, value);
}

Status Connection::queryNumber(std::string_view sql, const Values& values,
                               std::optional<std::int64_t>& value) {
    value.reset();
    if (!isOpen()) {
        return Status::failed("not connected");
    }
    Statement statement(handles_->connection);
    if (Status ran = statement.run(handles_->connection, sql, values); !ran.ok()) {
        return ran;
    }
    const SQLRETURN fetched = SQLFetch(statement.get());
    if (fetched == SQL_NO_DATA) {
        return {};
    }
    if (Status got = checked(fetched, SQL_HANDLE_STMT, statement.get()); !got.ok()) {
        return got;
    }
    SQLBIGINT number = 0;
    SQLLEN indicator = 0;
    if (Status read = checked(
            SQLGetData(statement.get(), 1, SQL_C_SBIGINT, &number, sizeof number, &indicator),
            SQL_HANDLE_STMT, statement.get());
        !read.ok()) {
        return read;
    }
    if (indicator != SQL_NULL_DATA) {
        value = number;
    }
    return {};
}

Status Connection::query(std::string_view sql, const Values& values,
                         const std::function<void(const Row&)>& row) {
    if (!isOpen()) {
        return Status::failed("not connected");
    }
    Statement statement(handles_->connection);
    if (Status ran = statement.run(handles_->connection, sql, values); !ran.ok()) {
        return ran;
    }
    SQLSMALLINT columns = 0;
    if (Status counted =
            checked(SQLNumResultCols(statement.get(), &columns), SQL_HANDLE_STMT, statement.get());
        !counted.ok()) {
        return counted;
    }
    Row cells(static_cast<std::size_t>(columns));
    for (;;) {
        const SQLRETURN fetched = SQLFetch(statement.get());
        if (fetched == SQL_NO_DATA) {
            return {};
        }
        if (Status got = checked(fetched, SQL_HANDLE_STMT, statement.get()); !got.ok()) {
            return got;
        }
        for (SQLSMALLINT column = 1; column <= columns; ++column) {
            std::optional<std::string>& value = cells[static_cast<std::size_t>(column - 1)];
            value.reset();
            // A long text comes in pieces, each ended by a terminator.
            char piece[256];
            for (;;) {
                SQLLEN indicator = 0;
                const SQLRETURN read =
                    SQLGetData(statement.get(), static_cast<SQLUSMALLINT>(column), SQL_C_CHAR,
                               piece, sizeof piece, &indicator);
                if (read == SQL_NO_DATA) {
                    break;
                }
                if (Status got = checked(read, SQL_HANDLE_STMT, statement.get()); !got.ok()) {
                    return got;
                }
                if (indicator == SQL_NULL_DATA) {
                    break;
                }
                if (!value) {
                    value.emplace();
                }
                const bool whole = read == SQL_SUCCESS;
                const std::size_t length =
                    whole && indicator >= 0 && static_cast<std::size_t>(indicator) < sizeof piece
                        ? static_cast<std::size_t>(indicator)
                        : std::char_traits<char>::length(piece);
                value->append(piece, length);
                if (whole) {
                    break;
                }
            }
        }
        row(cells);
    }
}

Status Connection::begin() {
    if (!isOpen()) {
        return Status::failed("not connected");
    }
    return checked(SQLSetConnectAttr(handles_->connection, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                   SQL_HANDLE_DBC, handles_->connection);
}

Status Connection::commit() {
    if (!isOpen()) {
        return Status::failed("not connected");
    }
    const Status ended = checked(SQLEndTran(SQL_HANDLE_DBC, handles_->connection, SQL_COMMIT),
                                 SQL_HANDLE_DBC, handles_->connection);
    SQLSetConnectAttr(handles_->connection, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    return ended;
}

void Connection::rollback() {
    if (!isOpen()) {
        return;
    }
    SQLEndTran(SQL_HANDLE_DBC, handles_->connection, SQL_ROLLBACK);
    SQLSetConnectAttr(handles_->connection, SQL_ATTR_AUTOCOMMIT,
                      reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

} // namespace quorvel::platform::odbc
