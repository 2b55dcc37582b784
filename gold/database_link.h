// The link between an economy kept in a database and the database: a worker
// thread of its own sends the host's records, settles purchases and reads
// balances back, so that the event path never waits on the database. The
// economy hands it work and takes its reports once a second (or sooner);
// the two share only this object, under one mutex held for moments, never
// across a call to the database.
//
// The link is shared by the economy and its thread (a platform WorkerThread
// the economy owns): a thread left running at a bounded stop (a driver call
// blocked on a dead network) keeps it alive, and touches nothing else.
#pragma once

#include "base/platform/worker_thread.h"
#include "gold/database_schema.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace quorvel {

struct DatabaseLinkSettings {
    std::string connection; // ODBC, with the network bounds added
    std::string hostId;
    std::string owner; // this folder's, unique: holds hostId while alive
    std::int32_t pollSeconds = 1;
    // A holder of hostId not heard of for this long has gone: another owner
    // may take the name.
    std::int32_t staleSeconds = 15;
    std::int32_t loginTimeout = 5;
    std::int32_t terminateWaitMs = 2000;
};

class DatabaseLink {
public:
    // What the thread reports, in the order it happened.
    struct Connected {};
    struct Lost {
        std::string reason;
    };
    // Another live process holds the host name: nothing is sent meanwhile.
    struct HostHeld {
        std::string holder;
    };
    struct Outcomes {
        std::vector<std::pair<std::uint64_t, RecordOutcome>> records;
    };
    // Balances read back; `everyone` when every account was read.
    struct Balances {
        bool everyone = false;
        std::vector<StoredAccount> accounts;
        std::vector<StoredInventory> inventories;
    };
    using Report = std::variant<Connected, Lost, HostHeld, Outcomes, Balances>;

    explicit DatabaseLink(DatabaseLinkSettings settings);
    DatabaseLink(const DatabaseLink&) = delete;
    DatabaseLink& operator=(const DatabaseLink&) = delete;

    // The thread's whole work: connects, sends, polls, and connects again
    // when the database is lost, until asked to stop; then it sends what it
    // can within the settings' terminateWaitMs and gives the host name up.
    void run(platform::WorkerThread::Control& control);

    // From the event path (the caller wakes the thread after). Records are
    // sent in order; purchases go before them (a purchase waits on nobody's
    // backlog).
    void send(DatabaseRecord record);
    void settle(DatabaseRecord purchase);
    // The names whose balances are read back at each poll.
    void watch(std::vector<std::string> names);
    // Every account and record is read again at the next poll.
    void readEveryone();
    std::vector<Report> take();
    // How long the call in progress has been waiting on the database, in
    // milliseconds; 0 when none is.
    std::int64_t waitingMs() const;
    std::size_t queued() const;

private:
    using Clock = std::chrono::steady_clock;
    void report(Report report);
    // Connects, makes the tables, claims the host name; false when not.
    bool connect();
    bool sendSome(std::deque<DatabaseRecord>& from, std::size_t most);
    void poll();
    void lose(std::string reason);
    // Whether a call waits on the database, from when.
    void busy(bool calling);

    const DatabaseLinkSettings settings_;
    // The thread's own: never touched by the event path.
    platform::odbc::Connection db_;
    Dialect dialect_ = Dialect::unknown;
    bool hostHeld_ = false;
    bool everyoneRead_ = false;

    mutable std::mutex mutex_;
    std::deque<DatabaseRecord> records_;
    std::deque<DatabaseRecord> purchases_;
    std::vector<std::string> watched_;
    bool readEveryone_ = true;
    std::vector<Report> reports_;
    std::atomic<std::int64_t> callingSince_{0}; // steady clock, ms; 0: no call
};

} // namespace quorvel
