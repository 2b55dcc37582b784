#include "base/platform/worker_thread.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

namespace quorvel::platform {

// Owned jointly by the WorkerThread and its thread: whichever lets go last
// destroys it, so an abandoned thread never touches freed memory.
struct WorkerThread::Control::Shared {
    std::mutex mutex;
    // Signalled on every change below: the work waits on it for a wake-up,
    // stop() for the end.
    std::condition_variable changed;
    bool stopAsked = false;
    bool woken = false;
    bool ended = false;
    std::string failure;
    // Moved out by the thread before it runs.
    Work work;
};

bool WorkerThread::Control::stopRequested() const {
    std::lock_guard<std::mutex> lock(shared_.mutex);
    return shared_.stopAsked;
}

bool WorkerThread::Control::waitForWake(std::uint32_t waitMs) {
    std::unique_lock<std::mutex> lock(shared_.mutex);
    const bool woken = shared_.changed.wait_for(lock, std::chrono::milliseconds(waitMs),
                                                [&] { return shared_.stopAsked || shared_.woken; });
    shared_.woken = false;
    return woken;
}

WorkerThread::WorkerThread() = default;

WorkerThread::~WorkerThread() {
    if (shared_) {
        (void)stop(destroyWaitMs);
    }
}

Status WorkerThread::start(Work work) {
    if (running()) {
        return Status::failed("the worker thread's previous work still runs");
    }
    auto shared = std::make_shared<Shared>();
    shared->work = std::move(work);
    Status launched = launch(shared);
    shared_ = launched.ok() ? std::move(shared) : nullptr;
    lastFailure_.clear();
    return launched;
}

void WorkerThread::wake() {
    if (!shared_) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->woken = true;
    }
    shared_->changed.notify_all();
}

bool WorkerThread::stop(std::uint32_t waitMs) {
    if (!shared_) {
        return true;
    }
    // Let go of the thread whatever comes of the wait: from here on only its
    // own reference keeps the shared state alive.
    const std::shared_ptr<Shared> shared = std::move(shared_);
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->stopAsked = true;
    }
    shared->changed.notify_all();
    std::unique_lock<std::mutex> lock(shared->mutex);
    const bool ended = shared->changed.wait_for(lock, std::chrono::milliseconds(waitMs),
                                                [&] { return shared->ended; });
    lastFailure_ = shared->failure;
    return ended;
}

bool WorkerThread::running() const {
    if (!shared_) {
        return false;
    }
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return !shared_->ended;
}

std::string WorkerThread::failure() const {
    if (!shared_) {
        return lastFailure_;
    }
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->failure;
}

void WorkerThread::run(Shared& shared) {
    std::string failure;
    {
        // The work, and whatever it captured, is destroyed here on this
        // thread, before stop() can see the end: a connection it owned is
        // closed by then.
        Work work = std::move(shared.work);
        Control control(shared);
        try {
            if (work) {
                work(control);
            }
        } catch (const std::exception& error) {
            failure = error.what();
            if (failure.empty()) {
                failure = "the work ended with an exception";
            }
        } catch (...) {
            failure = "the work ended with an exception";
        }
    }
    {
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.ended = true;
        shared.failure = std::move(failure);
    }
    shared.changed.notify_all();
}

} // namespace quorvel::platform
