// How far a long command has come, on the operator's terminal: a command
// that reads a journal of millions of lines says which file it reads and how
// much of it, once it has run a while. Never in a pipe, a file or a test's
// captured output, and erased before anything else is written.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace quorvel::admin {

// Whether standard error is a terminal (a console on Windows).
bool standardErrorIsTerminal();

// One line, written over itself on `out` (a terminal when `shown`), first
// after `after` has passed since it was made; nothing at all when not shown.
class Progress {
public:
    Progress(std::ostream& out, bool shown,
             std::chrono::steady_clock::duration after = std::chrono::seconds(2));
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    bool shown() const { return shown_; }
    // `done` of the `total` bytes of `file` are read.
    void reading(std::string_view file, std::uint64_t done, std::uint64_t total);
    // Erases the line, so that what is written next starts a clean one; the
    // next reading() shows it again.
    void clear();

private:
    std::ostream& out_;
    bool shown_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::duration after_;
    std::size_t width_ = 0; // of the line on the terminal, 0 when none is
    std::string last_;
};

// The progress of the command being run, which the readers of the folder's
// files report to: shown on standard error when `err` is standard error and
// a terminal. One at a time; the readers report to none outside it.
class CommandProgress {
public:
    explicit CommandProgress(std::ostream& err);
    ~CommandProgress();
    CommandProgress(const CommandProgress&) = delete;
    CommandProgress& operator=(const CommandProgress&) = delete;

private:
    Progress progress_;
    Progress* outer_;
};

// The command's progress, or nothing outside a command.
Progress* commandProgress();

} // namespace quorvel::admin
