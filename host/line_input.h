// Reading typed lines at the prompt: BSD editline with history when it was
// found at build time, plain std::getline otherwise.
#ifndef QUORVEL_HOST_LINE_INPUT_H
#define QUORVEL_HOST_LINE_INPUT_H

#include <optional>
#include <string>

namespace quorvel::host {

class LineInput {
public:
    LineInput();
    ~LineInput(); // keeps the history for the next session
    LineInput(const LineInput&) = delete;
    LineInput& operator=(const LineInput&) = delete;

    // Nothing at end of input.
    std::optional<std::string> read(const char* prompt);

private:
    std::string historyFile_;
};

bool inputIsTerminal();

} // namespace quorvel::host

#endif
