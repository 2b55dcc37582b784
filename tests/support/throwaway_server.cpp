#include "support/throwaway_server.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace quorvel::testing {
namespace {

const std::string postgresBinaries = "/usr/lib/postgresql/15/bin/";

} // namespace

ThrowawayServer::ThrowawayServer(Kind kind) : kind_(kind) {
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
    if (!start()) {
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

bool ThrowawayServer::run(const std::string& command) {
    const std::string asServer = ::geteuid() == 0 && command.rfind(postgresBinaries, 0) == 0
                                     ? "runuser -u postgres -- "
                                     : "";
    return std::system((asServer + command).c_str()) == 0;
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
                   "/server.log -o \"-c listen_addresses='' -c unix_socket_directories=" + folder_ +
                   " -p " + std::to_string(port_) + " -c fsync=off\" start >/dev/null");
    }
    const std::string socket = folder_ + "/mariadb.sock";
    if (!run("mariadbd --no-defaults --user=root --datadir=" + folder_ +
             "/data --skip-networking --socket=" + socket + " --pid-file=" + folder_ +
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
