#include "line_input.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#if defined(QUORVEL_HOST_EDITLINE)
#include <editline/readline.h>
#endif

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace quorvel::host {

bool inputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(fileno(stdin)) != 0;
#endif
}

#if defined(QUORVEL_HOST_EDITLINE)

LineInput::LineInput() {
    if (const char* home = std::getenv("HOME")) {
        historyFile_ = std::string(home) + "/.quorvel_host_history";
        read_history(historyFile_.c_str());
    }
}

LineInput::~LineInput() {
    if (!historyFile_.empty()) {
        write_history(historyFile_.c_str());
    }
}

std::optional<std::string> LineInput::read(const char* prompt) {
    char* line = readline(prompt);
    if (line == nullptr) {
        return std::nullopt;
    }
    std::string text(line);
    std::free(line);
    if (!text.empty()) {
        add_history(text.c_str());
    }
    return text;
}

#else

LineInput::LineInput() = default;
LineInput::~LineInput() = default;

std::optional<std::string> LineInput::read(const char* prompt) {
    std::cout << prompt << std::flush;
    std::string text;
    if (!std::getline(std::cin, text)) {
        return std::nullopt;
    }
    return text;
}

#endif

} // namespace quorvel::host
