// Runs the session language from a file, a pipe or the prompt: each line is
// parsed and handed to the session; bad lines and failed expectations are
// reported with the file and line. With a recorder, the session is written
// back as a scenario whose expectations are the lines that came.
#ifndef QUORVEL_HOST_RUNNER_H
#define QUORVEL_HOST_RUNNER_H

#include "lib/session.h"

#include <istream>
#include <ostream>
#include <string>

namespace quorvel::host {

// Exit statuses of the program.
enum Status : int {
    Passed = 0,
    ExpectationFailed = 1,
    ModuleNotLoaded = 2,
    BadCommandLine = 2, // a command line that runs nothing, as a module that is not there
    BadScenario = 3,
};

class ScriptRunner {
public:
    // `transcript` may be null (quiet); `errors` gets bad lines and failures;
    // `record` may be null.
    ScriptRunner(Session& session, std::ostream* transcript, std::ostream& errors,
                 std::ostream* record);

    void setKeepGoing(bool on) { keepGoing_ = on; }

    // A whole scenario: stops at the first bad line, and at the first failed
    // expectation unless told to keep going. Returns a Status.
    int runScript(std::istream& in, const std::string& name);

    // One line typed at the prompt: reports and goes on. False after quit.
    bool runTyped(const std::string& line);

    // Ends the recording with its closing check.
    void finishRecording();

    int failures() const { return failures_; }
    int badLines() const { return badLines_; }

private:
    Session& session_;
    std::ostream* transcript_;
    std::ostream& errors_;
    std::ostream* record_;
    bool keepGoing_ = false;
    int failures_ = 0;
    int badLines_ = 0;

    // Runs one line; false when the line was bad or an expectation failed.
    bool runLine(const std::string& line, const std::string& where, bool showHeader);
};

} // namespace quorvel::host

#endif
