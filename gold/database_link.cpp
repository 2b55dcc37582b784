#include "gold/database_link.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace quorvel {
namespace {

// Records sent in one transaction: large enough that a backlog drains fast,
// small enough that a stop waits for one batch at most.
constexpr std::size_t recordsPerBatch = 1000;
constexpr std::size_t purchasesPerBatch = 50;
constexpr int attemptsPerBatch = 3;
// A lost database is tried again this often.
constexpr auto retryEvery = std::chrono::seconds(1);

std::int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t wallSeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

DatabaseLink::DatabaseLink(DatabaseLinkSettings settings) : settings_(std::move(settings)) {}

void DatabaseLink::send(DatabaseRecord record) {
    std::lock_guard lock(mutex_);
    records_.push_back(std::move(record));
}

void DatabaseLink::settle(DatabaseRecord purchase) {
    std::lock_guard lock(mutex_);
    purchases_.push_back(std::move(purchase));
}

void DatabaseLink::watch(std::vector<std::string> names) {
    std::lock_guard lock(mutex_);
    watched_ = std::move(names);
}

void DatabaseLink::readEveryone() {
    std::lock_guard lock(mutex_);
    readEveryone_ = true;
}

std::vector<DatabaseLink::Report> DatabaseLink::take() {
    std::lock_guard lock(mutex_);
    return std::exchange(reports_, {});
}

std::int64_t DatabaseLink::waitingMs() const {
    const std::int64_t since = callingSince_.load();
    return since == 0 ? 0 : std::max<std::int64_t>(1, nowMs() - since);
}

std::size_t DatabaseLink::queued() const {
    std::lock_guard lock(mutex_);
    return records_.size() + purchases_.size();
}

void DatabaseLink::report(Report report) {
    std::lock_guard lock(mutex_);
    reports_.push_back(std::move(report));
}

void DatabaseLink::busy(bool calling) {
    callingSince_.store(calling ? nowMs() : 0);
}

void DatabaseLink::lose(std::string reason) {
    db_.close();
    hostHeld_ = false;
    report(Lost{std::move(reason)});
}

bool DatabaseLink::connect() {
    busy(true);
    platform::Status done = db_.open(settings_.connection, settings_.loginTimeout);
    if (done.ok()) {
        dialect_ = dialectOf(db_.dbmsName());
        done = prepareSchema(db_, dialect_);
    }
    std::string holder;
    if (done.ok()) {
        done = claimHost(db_, dialect_, settings_.hostId, settings_.owner, wallSeconds(),
                         settings_.staleSeconds, hostHeld_, holder);
    }
    busy(false);
    if (!done.ok()) {
        lose(done.reason());
        return false;
    }
    if (!hostHeld_) {
        db_.close();
        report(HostHeld{holder});
        return false;
    }
    report(Connected{});
    return true;
}

bool DatabaseLink::sendSome(std::deque<DatabaseRecord>& from, std::size_t most) {
    std::vector<DatabaseRecord> batch;
    {
        std::lock_guard lock(mutex_);
        const std::size_t count = std::min(most, from.size());
        batch.assign(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(count));
    }
    if (batch.empty()) {
        return true;
    }
    std::vector<RecordOutcome> outcomes;
    platform::Status sent;
    // Two hosts adding to the same accounts in another order may deadlock,
    // and the database then turns one of them back: a batch refused while
    // the connection still answers is sent again, a few times, before the
    // database counts as lost (and is tried again, with the reason told).
    for (int attempt = 0; attempt < attemptsPerBatch; ++attempt) {
        busy(true);
        sent = applyRecords(db_, dialect_, settings_.hostId, batch, outcomes);
        std::optional<std::int64_t> alive;
        const bool answers = !sent.ok() && db_.queryNumber("SELECT 1", alive).ok();
        busy(false);
        if (sent.ok() || !answers) {
            break;
        }
    }
    if (!sent.ok()) {
        lose(sent.reason());
        return false;
    }
    Outcomes done;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        done.records.emplace_back(batch[i].seq, outcomes[i]);
    }
    std::lock_guard lock(mutex_);
    from.erase(from.begin(), from.begin() + static_cast<std::ptrdiff_t>(batch.size()));
    reports_.emplace_back(std::in_place_type<Outcomes>, std::move(done));
    return true;
}

void DatabaseLink::poll() {
    std::vector<std::string> names;
    bool everyone = false;
    {
        std::lock_guard lock(mutex_);
        names = watched_;
        everyone = std::exchange(readEveryone_, false);
    }
    std::string holder;
    busy(true);
    platform::Status done = claimHost(db_, dialect_, settings_.hostId, settings_.owner,
                                      wallSeconds(), settings_.staleSeconds, hostHeld_, holder);
    Balances read;
    read.everyone = everyone;
    if (done.ok() && hostHeld_ && (everyone || !names.empty())) {
        if (everyone) {
            names.clear();
        }
        done = readAccounts(
            db_, names, [&](const StoredAccount& account) { read.accounts.push_back(account); });
        if (done.ok()) {
            done = readInventories(db_, names, [&](const StoredInventory& record) {
                read.inventories.push_back(record);
            });
        }
    }
    busy(false);
    if (!done.ok()) {
        if (everyone) {
            std::lock_guard lock(mutex_);
            readEveryone_ = true;
        }
        lose(done.reason());
        return;
    }
    if (!hostHeld_) {
        db_.close();
        report(HostHeld{holder});
        return;
    }
    report(std::move(read));
}

void DatabaseLink::run(platform::WorkerThread::Control& control) {
    auto nextPoll = Clock::now();
    std::optional<Clock::time_point> stopBy;
    const auto waitUntil = [&](Clock::time_point until) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        control.waitForWake(static_cast<std::uint32_t>(std::max<std::int64_t>(left.count(), 0)));
    };
    for (;;) {
        if (control.stopRequested() && !stopBy) {
            stopBy = Clock::now() + std::chrono::milliseconds(settings_.terminateWaitMs);
        }
        if (stopBy && (!db_.isOpen() || Clock::now() >= *stopBy)) {
            break;
        }
        if (!db_.isOpen()) {
            if (!connect()) {
                if (!stopBy) {
                    waitUntil(Clock::now() + retryEvery);
                }
                continue;
            }
            nextPoll = Clock::now();
        }
        if (!sendSome(purchases_, purchasesPerBatch) || !sendSome(records_, recordsPerBatch)) {
            continue;
        }
        if (stopBy) {
            if (queued() == 0) {
                break;
            }
            continue;
        }
        if (Clock::now() >= nextPoll) {
            poll();
            nextPoll = Clock::now() + std::chrono::seconds(settings_.pollSeconds);
            if (!db_.isOpen()) {
                continue;
            }
        }
        bool everyone = false;
        {
            std::lock_guard lock(mutex_);
            everyone = readEveryone_;
            if (!records_.empty() || !purchases_.empty()) {
                continue;
            }
        }
        if (everyone) {
            nextPoll = Clock::now();
            continue;
        }
        waitUntil(nextPoll);
    }
    if (db_.isOpen() && hostHeld_) {
        busy(true);
        static_cast<void>(releaseHost(db_, settings_.hostId, settings_.owner));
        busy(false);
    }
    db_.close();
}

} // namespace quorvel
