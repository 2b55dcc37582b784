#include "support/throwaway_postgres.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace quorvel::testing {
namespace {

const std::string binaries = "/usr/lib/postgresql/15/bin/";

} // namespace

ThrowawayPostgres::ThrowawayPostgres() {
    char pattern[] = "/tmp/quorvel-pg-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        why_ = "no temporary folder";
        return;
    }
    folder_ = pattern;
    // The server's user must reach the folder; as root that is postgres.
    std::filesystem::permissions(
        folder_, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                     std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                     std::filesystem::perms::others_exec);
    if (::geteuid() == 0 && !run("chown postgres " + folder_)) {
        why_ = "the folder could not be given to the postgres user";
        return;
    }
    // The port names the socket file only, so clusters of parallel tests
    // never meet.
    port_ = 20000 + static_cast<int>(::getpid() % 20000);
    if (!run(binaries + "initdb --no-sync --auth=trust -U postgres -D " + folder_ +
             "/data >/dev/null")) {
        why_ = "initdb failed";
        return;
    }
    if (!start()) {
        why_ = "the server did not start";
        return;
    }
    if (!run(binaries + "createdb -h " + folder_ + " -p " + std::to_string(port_) +
             " -U postgres quorvel")) {
        why_ = "createdb failed";
    }
}

ThrowawayPostgres::~ThrowawayPostgres() {
    if (folder_.empty()) {
        return;
    }
    stopNow();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool ThrowawayPostgres::run(const std::string& command) {
    const std::string asServer =
        ::geteuid() == 0 && command.rfind(binaries, 0) == 0 ? "runuser -u postgres -- " : "";
    return std::system((asServer + command).c_str()) == 0;
}

std::string ThrowawayPostgres::connection() const {
    return "Driver={PostgreSQL Unicode};Servername=" + folder_ + ";Port=" + std::to_string(port_) +
           ";Database=quorvel;Username=postgres;Protocol=7.4-1;";
}

bool ThrowawayPostgres::stopNow() {
    return run(binaries + "pg_ctl -D " + folder_ + "/data -m immediate stop >/dev/null 2>&1");
}

bool ThrowawayPostgres::start() {
    return run(binaries + "pg_ctl -w -D " + folder_ + "/data -l " + folder_ +
               "/server.log -o \"-c listen_addresses='' -c unix_socket_directories=" + folder_ +
               " -p " + std::to_string(port_) + " -c fsync=off\" start >/dev/null");
}

} // namespace quorvel::testing
