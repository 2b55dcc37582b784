#include "lib/runner.h"

namespace quorvel::host {

ScriptRunner::ScriptRunner(Session& session, std::ostream* transcript, std::ostream& errors,
                           std::ostream* record)
    : session_(session), transcript_(transcript), errors_(errors), record_(record) {
    session_.setRecording(record_ != nullptr);
}

bool ScriptRunner::runLine(const std::string& line, const std::string& where, bool showHeader) {
    std::optional<Action> action;
    try {
        action = parseLine(line);
    } catch (const ScriptError& e) {
        ++badLines_;
        errors_ << where << ": error: " << e.what() << '\n';
        return false;
    }
    bool lineCheck = action && (action->kind == ActionKind::ExpectLine ||
                                action->kind == ActionKind::ExpectNothingMore ||
                                action->kind == ActionKind::Skip);
    if (record_ != nullptr && !lineCheck) {
        *record_ << line << '\n';
    }
    if (!action) {
        return true;
    }
    if (showHeader && transcript_ != nullptr && action->kind != ActionKind::Note) {
        *transcript_ << where << "  " << line << '\n';
    }
    std::optional<std::string> failure;
    try {
        failure = session_.run(*action);
    } catch (const ScriptError& e) {
        ++badLines_;
        errors_ << where << ": error: " << e.what() << '\n';
        return false;
    }
    if (record_ != nullptr) {
        // Expectations check the current bot's lines: another bot's are
        // written under a switch to its handle and back.
        Word current = session_.handle();
        Word at = current;
        for (const Received& r : session_.lastRecords()) {
            if (r.bot != at) {
                at = r.bot;
                *record_ << "handle " << at << '\n';
            }
            *record_ << expectationFor(r) << '\n';
        }
        if (at != current) {
            *record_ << "handle " << current << '\n';
        }
    }
    if (failure) {
        ++failures_;
        if (transcript_ != nullptr) {
            transcript_->flush();
        }
        errors_ << where << ": expectation failed: " << line << "\n  " << *failure << '\n';
        return false;
    }
    return true;
}

int ScriptRunner::runScript(std::istream& in, const std::string& name) {
    std::string line;
    int number = 0;
    while (!session_.quitRequested() && std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!runLine(line, name + ":" + std::to_string(number), true)) {
            if (badLines_ > 0) {
                return BadScenario;
            }
            if (!keepGoing_) {
                return ExpectationFailed;
            }
        }
    }
    if (badLines_ > 0) {
        return BadScenario;
    }
    return failures_ > 0 ? ExpectationFailed : Passed;
}

bool ScriptRunner::runTyped(const std::string& line) {
    runLine(line, "(typed)", false);
    return !session_.quitRequested();
}

void ScriptRunner::finishRecording() {
    if (record_ != nullptr) {
        *record_ << "expect nothing more\n";
    }
}

} // namespace quorvel::host
