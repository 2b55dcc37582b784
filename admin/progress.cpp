#include "admin/progress.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quorvel::admin {
namespace {

Progress* current = nullptr;

} // namespace

bool standardErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

Progress::Progress(std::ostream& out, bool shown, std::chrono::steady_clock::duration after)
    : out_(out), shown_(shown), start_(std::chrono::steady_clock::now()), after_(after) {}

Progress::~Progress() {
    clear();
}

void Progress::reading(std::string_view file, std::uint64_t done, std::uint64_t total) {
    if (!shown_) {
        return;
    }
    const auto ran = std::chrono::steady_clock::now() - start_;
    if (ran < after_) {
        return;
    }
    const std::uint64_t percent =
        total == 0 ? 100 : std::min<std::uint64_t>(100, done * 100 / total);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(ran).count();
    std::string text = "quorvel-admin: reading " + std::string(file) + ": " +
                       std::to_string(percent) + "% (" + std::to_string(seconds) + " s)";
    if (text == last_ && width_ > 0) {
        return;
    }
    // Carriage return and spaces rather than a terminal's control sequence:
    // a Windows console shows them alike.
    const std::size_t written = text.size();
    if (width_ > written) {
        text.append(width_ - written, ' ');
    }
    out_ << '\r' << text << std::flush;
    width_ = written;
    last_ = text.substr(0, written);
}

void Progress::clear() {
    if (width_ == 0) {
        return;
    }
    out_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
    last_.clear();
}

CommandProgress::CommandProgress(std::ostream& err)
    : progress_(err, &err == &std::cerr && standardErrorIsTerminal()), outer_(current) {
    current = &progress_;
}

CommandProgress::~CommandProgress() {
    current = outer_;
}

Progress* commandProgress() {
    return current;
}

} // namespace quorvel::admin
