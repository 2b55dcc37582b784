// A thread of the module's own for work that may block (a database driver's
// call can take seconds, or minutes when the network is gone), so that the
// event path never waits on it.
//
// The work is a function given to start(); it runs once, on its own thread,
// and is handed a Control through which it sees whether it was asked to
// stop, and waits, with a timeout, for a wake-up rather than spinning.
// stop(waitMs) asks it to end and waits at most waitMs. Work blocked in a
// call it cannot leave is then left to end by itself: the thread is never
// killed and never joined without a bound.
//
// An abandoned thread outlives the WorkerThread, and may outlive the host's
// use of the module. So everything the thread touches is its own: the flags
// and the wake-up are shared state it holds a reference to, never members of
// the WorkerThread, and the work must own what it uses (captured by value or
// by shared pointer, never a reference into the caller's objects). The work
// function, and all it captured, is destroyed on the thread itself once it
// returns, before stop() learns that it ended. The module's code stays
// mapped for as long as the thread runs: on Windows the thread holds its own
// reference to the module and leaves through FreeLibraryAndExitThread; on
// other systems the shared library is linked so that it is never unmapped.
//
// On Windows a thread must not be started while the loader lock is held
// (from DllMain): start one when the host first talks to the module.
#pragma once

#include "base/platform/status.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace quorvel::platform {

class WorkerThread {
public:
    class Control;
    using Work = std::function<void(Control&)>;

    // How long destroying a WorkerThread whose work still runs waits for it
    // before leaving it to end by itself.
    static constexpr std::uint32_t destroyWaitMs = 100;

    WorkerThread();
    // Asks running work to stop and waits at most destroyWaitMs: never a
    // hang, whatever the work is doing.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs `work` on a new thread. Fails when work started here still runs
    // (stop it first), or when the system gives no thread.
    [[nodiscard]] Status start(Work work);

    // Wakes the work from waitForWake (there is something to do). A wake-up
    // given while the work is busy is kept: its next wait returns at once.
    void wake();

    // Asks the work to stop, wakes it, and waits at most `waitMs` for it to
    // end. True when it ended (or none was running); false when it is still
    // running and has been left to end by itself. Either way this
    // WorkerThread is free again afterwards, and may start new work.
    [[nodiscard]] bool stop(std::uint32_t waitMs);

    // Work was started and has not ended yet.
    bool running() const;

    // Why the last work ended early: the text of an exception that left it.
    // Empty when it returned normally, or has not ended.
    std::string failure() const;

    // What the work sees of its thread. It lives on the worker thread and
    // stays valid for as long as the work runs.
    class Control {
    public:
        Control(const Control&) = delete;
        Control& operator=(const Control&) = delete;

        // Stopping was asked: the work should end soon.
        bool stopRequested() const;

        // Waits until wake() or stop() is called, or `waitMs` passes. True
        // when woken (or asked to stop), false when the time ran out.
        bool waitForWake(std::uint32_t waitMs);

    private:
        friend class WorkerThread;
        struct Shared;
        explicit Control(Shared& shared) : shared_(shared) {}
        Shared& shared_;
    };

private:
    using Shared = Control::Shared;

    // The platform's half (worker_thread_posix.cpp, worker_thread_windows.cpp):
    // a new detached thread that calls run() and then leaves, holding
    // `shared` until it has. A failure names the system's reason.
    static Status launch(std::shared_ptr<Shared> shared);
    // The thread's whole life: runs the work, destroys it, marks it ended.
    static void run(Shared& shared);

    std::shared_ptr<Shared> shared_;
    // The failure of work this WorkerThread has let go of.
    std::string lastFailure_;
};

} // namespace quorvel::platform
