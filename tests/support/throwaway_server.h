// A database server of a test's own, PostgreSQL or MariaDB: a fresh one in a
// temporary folder, reached only through a socket there (no TCP listener),
// stopped and removed when the test is done. As root, PostgreSQL runs as the
// postgres user.
#pragma once

#include <string>

namespace quorvel::testing {

class ThrowawayServer {
public:
    enum class Kind { postgres, mariadb, sqlite }; // sqlite: a file, no server
    explicit ThrowawayServer(Kind kind);
    ~ThrowawayServer();
    ThrowawayServer(const ThrowawayServer&) = delete;
    ThrowawayServer& operator=(const ThrowawayServer&) = delete;

    // Whether the server could be made and started; why not, when not.
    bool ready() const { return why_.empty(); }
    const std::string& why() const { return why_; }

    // An ODBC connection string to its database "quorvel".
    std::string connection() const;
    // The database dies at once, as in a crash; and comes back.
    bool stopNow();
    bool start();

private:
    bool run(const std::string& command);
    bool prepare();

    Kind kind_;
    std::string folder_; // holds the server's files ("data") and its socket
    std::string why_;
    int port_ = 0;
};

} // namespace quorvel::testing
