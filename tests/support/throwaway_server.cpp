#include "support/throwaway_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace quorvel::testing {
namespace {

const std::string postgresBinaries = "/usr/lib/postgresql/15/bin/";

// A TCP port free on 127.0.0.1 now: the kernel's pick for port 0. Another
// program may take it before the server does; the caller then tries again.
int freePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    if (probe < 0) {
        return 0;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(probe);
    return port;
}

} // namespace

ThrowawayServer::ThrowawayServer(Kind kind, Listen listen) : kind_(kind), listen_(listen) {
    char pattern[] = "/tmp/quorvel-db-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        why_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    if (kind_ == Kind::sqlite) {
        return;
    }
    if (!prepare()) {
        return;
    }
    if (!startOnFreePort()) {
        why_ = "the server did not start";
        return;
    }
    const std::string created =
        kind_ == Kind::postgres
            ? postgresBinaries + "createdb -h " + folder_ + " -p " + std::to_string(port_) +
                  " -U postgres quorvel"
            : "mariadb --socket=" + folder_ + "/mariadb.sock -u root -e 'CREATE DATABASE quorvel'";
    if (!run(created)) {
        why_ = "the database could not be made";
    }
}

bool ThrowawayServer::prepare() {
    if (kind_ == Kind::mariadb) {
        if (!run("mariadb-install-db --user=root --auth-root-authentication-method=normal "
                 "--datadir=" +
                 folder_ + "/data >/dev/null 2>&1")) {
            why_ = "mariadb-install-db failed";
            return false;
        }
        return true;
    }
    // The server's user must reach the folder; as root that is postgres.
    namespace fs = std::filesystem;
    fs::permissions(folder_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
    if (::geteuid() == 0 && !run("chown postgres " + folder_)) {
        why_ = "the folder could not be given to the postgres user";
        return false;
    }
    // The port names the socket file only, so servers of parallel tests
    // never meet.
    port_ = 20000 + static_cast<int>(::getpid() % 20000);
    if (!run(postgresBinaries + "initdb --no-sync --auth=trust -U postgres -D " + folder_ +
             "/data >/dev/null")) {
        why_ = "initdb failed";
        return false;
    }
    return true;
}

ThrowawayServer::~ThrowawayServer() {
    if (folder_.empty()) {
        return;
    }
    stopNow();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool ThrowawayServer::startOnFreePort() {
    if (listen_ == Listen::socketOnly) {
        return start();
    }
    // A port taken between the pick and the server's bind fails the start:
    // pick again.
    for (int tries = 0; tries < 5; ++tries) {
        tcpPort_ = freePort();
        if (kind_ == Kind::postgres) {
            port_ = tcpPort_; // PostgreSQL names its socket by its TCP port
        }
        if (tcpPort_ != 0 && start()) {
            return true;
        }
        stopNow();
    }
    tcpPort_ = 0;
    return false;
}

bool ThrowawayServer::run(const std::string& command) {
    const std::string asServer = ::geteuid() == 0 && command.rfind(postgresBinaries, 0) == 0
                                     ? "runuser -u postgres -- "
                                     : "";
    // From the root folder: the test's working folder may be one the server's
    // user cannot enter.
    return std::system(("cd / && " + asServer + command).c_str()) == 0;
}

std::string ThrowawayServer::connection() const {
    if (kind_ == Kind::sqlite) {
        return "Driver={SQLite3};Database=" + folder_ + "/quorvel.db;";
    }
    if (kind_ == Kind::mariadb) {
        return "Driver={MariaDB Unicode};Socket=" + folder_ +
               "/mariadb.sock;Database=quorvel;User=root;";
    }
    return "Driver={PostgreSQL Unicode};Servername=" + folder_ + ";Port=" + std::to_string(port_) +
           ";Database=quorvel;Username=postgres;Protocol=7.4-1;";
}

std::string ThrowawayServer::tcpConnection(int port) const {
    const std::string to = "Port=" + std::to_string(port != 0 ? port : tcpPort_) + ";";
    if (kind_ == Kind::mariadb) {
        return "Driver={MariaDB Unicode};Server=127.0.0.1;" + to + "Database=quorvel;User=root;";
    }
    return "Driver={PostgreSQL Unicode};Servername=127.0.0.1;" + to +
           "Database=quorvel;Username=postgres;Protocol=7.4-1;";
}

bool ThrowawayServer::stopNow() {
    if (kind_ == Kind::sqlite) {
        return true;
    }
    if (kind_ == Kind::mariadb) {
        return run("kill -KILL $(cat " + folder_ + "/mariadb.pid) 2>/dev/null; sleep 0.2");
    }
    return run(postgresBinaries + "pg_ctl -D " + folder_ +
               "/data -m immediate stop >/dev/null 2>&1");
}

bool ThrowawayServer::start() {
    if (kind_ == Kind::sqlite) {
        return true;
    }
    if (kind_ == Kind::postgres) {
        return run(postgresBinaries + "pg_ctl -w -D " + folder_ + "/data -l " + folder_ +
                   "/server.log -o \"-c listen_addresses='" +
                   (listen_ == Listen::alsoTcp ? "127.0.0.1" : "") +
                   "' -c unix_socket_directories=" + folder_ + " -p " + std::to_string(port_) +
                   " -c fsync=off\" start >/dev/null");
    }
    const std::string socket = folder_ + "/mariadb.sock";
    const std::string network = listen_ == Listen::alsoTcp
                                    ? "--bind-address=127.0.0.1 --port=" + std::to_string(tcpPort_)
                                    : std::string("--skip-networking");
    if (!run("mariadbd --no-defaults --user=root --datadir=" + folder_ + "/data " + network +
             " --socket=" + socket + " --pid-file=" + folder_ +
             "/mariadb.pid --log-error=" + folder_ + "/server.log >/dev/null 2>&1 &")) {
        return false;
    }
    for (int tries = 0; tries < 100; ++tries) {
        if (run("mariadb-admin --socket=" + socket + " -u root ping >/dev/null 2>&1")) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

} // namespace quorvel::testing
