// A PostgreSQL server of a test's own: a fresh cluster in a temporary
// folder, reached only through a socket there (no TCP listener), stopped
// and removed when the test is done. As root it runs as the postgres user.
#pragma once

#include <string>

namespace quorvel::testing {

class ThrowawayPostgres {
public:
    ThrowawayPostgres();
    ~ThrowawayPostgres();
    ThrowawayPostgres(const ThrowawayPostgres&) = delete;
    ThrowawayPostgres& operator=(const ThrowawayPostgres&) = delete;

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

    std::string folder_; // holds the cluster ("data") and the socket
    std::string why_;
    int port_ = 0;
};

} // namespace quorvel::testing
