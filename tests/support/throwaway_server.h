// A database server of a test's own, PostgreSQL or MariaDB: a fresh one in a
// temporary folder, reached through a socket there (and, when asked, on TCP
// at 127.0.0.1 on a free port), stopped and removed when the test is done.
// As root, PostgreSQL runs as the postgres user.
#pragma once

#include <string>

namespace quorvel::testing {

class ThrowawayServer {
public:
    enum class Kind { postgres, mariadb, sqlite }; // sqlite: a file, no server
    enum class Listen { socketOnly, alsoTcp };
    explicit ThrowawayServer(Kind kind, Listen listen = Listen::socketOnly);
    ~ThrowawayServer();
    ThrowawayServer(const ThrowawayServer&) = delete;
    ThrowawayServer& operator=(const ThrowawayServer&) = delete;

    // Whether the server could be made and started; why not, when not.
    bool ready() const { return why_.empty(); }
    const std::string& why() const { return why_; }

    // The folder of its files: its data, its socket, its log (server.log).
    const std::string& folder() const { return folder_; }
    // An ODBC connection string to its database "quorvel".
    std::string connection() const;
    // The same over TCP to 127.0.0.1 on `port` (a relay's, say), or on the
    // server's own port when none is given. Needs Listen::alsoTcp.
    std::string tcpConnection(int port = 0) const;
    // The server's TCP port; 0 when it listens on its socket only.
    int tcpPort() const { return tcpPort_; }
    // The database dies at once, as in a crash; and comes back.
    bool stopNow();
    bool start();

private:
    bool run(const std::string& command);
    bool prepare();
    bool startOnFreePort();

    Kind kind_;
    Listen listen_;
    std::string folder_; // holds the server's files ("data") and its socket
    std::string why_;
    int port_ = 0;
    int tcpPort_ = 0;
};

} // namespace quorvel::testing
