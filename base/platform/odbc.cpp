#include "base/platform/odbc.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cctype>
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

std::string lowered(std::string_view text) {
    std::string low(text);
    std::transform(low.begin(), low.end(), low.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return low;
}

// One keyword=value of a connection string, by its place in the text; a
// value may be braced, {...}, and then hold ';' (and '}' doubled).
struct Attribute {
    std::string key; // lower case
    std::size_t valueBegin;
    std::size_t valueEnd;
};

std::vector<Attribute> attributes(const std::string& text) {
    std::vector<Attribute> found;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t equals = text.find('=', at);
        const std::size_t semicolon = text.find(';', at);
        if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
            if (semicolon == std::string::npos) {
                break;
            }
            at = semicolon + 1; // a keyword with no value
            continue;
        }
        std::string key = text.substr(at, equals - at);
        key.erase(0, key.find_first_not_of(' '));
        key.erase(key.find_last_not_of(' ') + 1);
        std::size_t end = equals + 1;
        if (end < text.size() && text[end] == '{') {
            ++end;
            while (end < text.size()) {
                if (text[end] == '}') {
                    if (end + 1 < text.size() && text[end + 1] == '}') {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
            end = std::min(text.find(';', end), text.size());
        } else {
            end = std::min(text.find(';', end), text.size());
        }
        found.push_back({lowered(key), equals + 1, end});
        at = end + 1;
    }
    return found;
}

const Attribute* named(const std::vector<Attribute>& found, std::string_view key) {
    const auto it =
        std::find_if(found.begin(), found.end(), [&](const Attribute& a) { return a.key == key; });
    return it == found.end() ? nullptr : &*it;
}

std::string& appended(std::string& text, const std::string& attribute) {
    if (!text.empty() && text.back() != ';') {
        text += ';';
    }
    text += attribute;
    text += ';';
    return text;
}

// The keys inside a pqopt value: "{a=1 b=2}" or "a=1".
std::vector<std::string> pqoptKeys(std::string_view value) {
    if (!value.empty() && value.front() == '{') {
        value.remove_prefix(1);
        if (!value.empty() && value.back() == '}') {
            value.remove_suffix(1);
        }
    }
    std::vector<std::string> keys;
    std::size_t at = 0;
    while (at < value.size()) {
        const std::size_t begin = value.find_first_not_of(" \t", at);
        if (begin == std::string_view::npos) {
            break;
        }
        std::size_t end = value.find_first_of(" \t", begin);
        end = end == std::string_view::npos ? value.size() : end;
        const std::string_view word = value.substr(begin, end - begin);
        keys.push_back(lowered(word.substr(0, word.find('='))));
        at = end;
    }
    return keys;
}

std::string withPostgresBounds(std::string text, const std::vector<Attribute>& found,
                               std::int32_t networkTimeoutMs) {
    const std::int32_t budgetMs = std::max<std::int32_t>(100, networkTimeoutMs / 5 * 3);
    const std::string probeSeconds = std::to_string(std::max<std::int32_t>(1, budgetMs / 3000));
    const Attribute* pqopt = named(found, "pqopt");
    const std::vector<std::string> written =
        pqopt == nullptr ? std::vector<std::string>{}
                         : pqoptKeys(std::string_view(text).substr(
                               pqopt->valueBegin, pqopt->valueEnd - pqopt->valueBegin));
    // psqlODBC's own keepalive keywords become libpq's: both at once are
    // refused.
    const bool driverKeepalives =
        named(found, "keepalivetime") != nullptr || named(found, "keepaliveinterval") != nullptr;
    const std::pair<const char*, std::string> wanted[] = {
        {"keepalives", driverKeepalives ? std::string() : "1"},
        {"keepalives_idle",
         named(found, "keepalivetime") != nullptr ? std::string() : probeSeconds},
        {"keepalives_interval",
         named(found, "keepaliveinterval") != nullptr ? std::string() : probeSeconds},
        {"keepalives_count", "2"},
        {"tcp_user_timeout", std::to_string(budgetMs)},
    };
    std::string added;
    for (const auto& [key, value] : wanted) {
        if (value.empty() || std::find(written.begin(), written.end(), key) != written.end()) {
            continue;
        }
        added += added.empty() ? "" : " ";
        added += std::string(key) + "=" + value;
    }
    if (added.empty()) {
        return text;
    }
    if (pqopt == nullptr) {
        return appended(text, "pqopt={" + added + "}");
    }
    const std::string value = text.substr(pqopt->valueBegin, pqopt->valueEnd - pqopt->valueBegin);
    std::string inner = value;
    if (!inner.empty() && inner.front() == '{') {
        inner = inner.substr(1, inner.size() >= 2 && inner.back() == '}' ? inner.size() - 2
                                                                         : inner.size() - 1);
    }
    const bool blank = inner.find_first_not_of(" \t") == std::string::npos;
    text.replace(pqopt->valueBegin, value.size(), "{" + inner + (blank ? "" : " ") + added + "}");
    return text;
}

std::string withMariadbBounds(std::string text, const std::vector<Attribute>& found,
                              std::int32_t networkTimeoutMs) {
    const std::string seconds = std::to_string(std::max<std::int32_t>(1, networkTimeoutMs / 1000));
    for (const std::string key : {"READ_TIMEOUT", "WRITE_TIMEOUT"}) {
        if (named(found, lowered(key)) == nullptr) {
            appended(text, key + "=" + seconds);
        }
    }
    return text;
}

enum class Driver { other, postgres, mariadb };

// The driver a connection string names by `Driver=`, by its name or its
// library.
Driver driverOf(const std::string& text, const std::vector<Attribute>& found) {
    const Attribute* driver = named(found, "driver");
    if (driver == nullptr) {
        return Driver::other;
    }
    const std::string name = lowered(
        std::string_view(text).substr(driver->valueBegin, driver->valueEnd - driver->valueBegin));
    if (name.find("postgres") != std::string::npos || name.find("psqlodbc") != std::string::npos) {
        return Driver::postgres;
    }
    if (name.find("mariadb") != std::string::npos || name.find("maodbc") != std::string::npos) {
        return Driver::mariadb;
    }
    return Driver::other;
}

// MariaDB Connector/ODBC takes its connect timeout from CONN_TIMEOUT alone
// and leaves the login timeout attribute unused: without it, a server that
// accepts the connection and never answers blocks the connect for minutes.
std::string withLoginBound(std::string text, std::int32_t loginSeconds) {
    const std::vector<Attribute> found = attributes(text);
    if (loginSeconds > 0 && driverOf(text, found) == Driver::mariadb &&
        named(found, "conn_timeout") == nullptr) {
        appended(text, "CONN_TIMEOUT=" + std::to_string(loginSeconds));
    }
    return text;
}

} // namespace

std::string withNetworkBounds(std::string connection, std::int32_t networkTimeoutMs) {
    if (networkTimeoutMs <= 0) {
        return connection;
    }
    const std::vector<Attribute> found = attributes(connection);
    switch (driverOf(connection, found)) {
    case Driver::postgres:
        return withPostgresBounds(std::move(connection), found, networkTimeoutMs);
    case Driver::mariadb:
        return withMariadbBounds(std::move(connection), found, networkTimeoutMs);
    case Driver::other:
        break;
    }
    return connection;
}

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
    std::string text = withLoginBound(connection, loginSeconds);
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
