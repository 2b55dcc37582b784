// The table of the session language's actions. A row names an action, writes
// its arguments (as usage messages and the README show them), gives its line
// of the help list, and points at the routine that parses it. The parser
// looks actions up here, the help list is made from it, and a test holds the
// README's lists of actions to it.
#ifndef QUORVEL_HOST_SCRIPT_ACTIONS_H
#define QUORVEL_HOST_SCRIPT_ACTIONS_H

#include "lib/script.h"
#include "lib/script_values.h"
#include "lib/text.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::host {

class ActionLine; // below: the words of a line, for the parse routines

// Where a row goes in the help list.
enum class HelpPlace {
    Line,   // a line of its own: the action, then its help in the help column
    Or,     // joined to the row before with " | ", and its help to that row's help
    Column, // on the line of the row before, in the help column
    Beside, // on the line of the row before, two blanks after it
};

struct ActionRow {
    std::string_view section;   // the heading of the help list that this row starts
    std::string_view name;      // "handshake", "expect ship"; none for NAME !command
    std::string_view alias;     // another name for the same action ("version")
    std::string_view arguments; // as usage messages and the README write them
    std::string_view listed;    // the arguments as the help list writes them, if shorter
    std::string_view help;      // its help, '\n' going on below in the help column; after
                                // the action, one blank between, in Column and Beside rows
    HelpPlace place = HelpPlace::Line;
    ActionKind kind = ActionKind::Note;
    // Fills in the action; none where the row before parses this form too.
    void (*parse)(const ActionLine& line, Action& action) = nullptr;
};

std::span<const ActionRow> actionRows();

// The row that parses the action of that name or alias; null for none.
const ActionRow* actionNamed(std::string_view name);

// The name and the arguments: "handshake [MAJOR.MINOR | NUMBER]".
std::string actionForm(const ActionRow& row);

// A line being parsed: its words, and the row of the action they name, whose
// form the usage messages show.
class ActionLine {
public:
    ActionLine(std::string_view line, const std::vector<Token>& tokens, const ActionRow& row)
        : line_(line), t_(tokens), row_(row) {}

    std::size_t size() const { return t_.size(); }
    const Token& operator[](std::size_t at) const { return t_[at]; }
    // The word at `at` in lower case, or nothing past the end of the line.
    std::string word(std::size_t at) const {
        return at < t_.size() ? lowerAscii(t_[at].text) : std::string();
    }
    const ActionRow& row() const { return row_; }

    [[noreturn]] static void usage(std::string_view form) {
        throw ScriptError("usage: " + std::string(form));
    }
    [[noreturn]] void usage() const { usage(actionForm(row_)); }
    // Between `low` and `high` words after the first.
    void count(std::size_t low, std::size_t high) const {
        if (t_.size() < low + 1 || t_.size() > high + 1) {
            usage();
        }
    }
    const std::string& quoted(std::size_t at, std::string_view form) const {
        if (at >= t_.size() || !t_[at].startsQuoted) {
            throw ScriptError("the text goes in double quotes; usage: " + std::string(form));
        }
        return t_[at].text;
    }
    const std::string& quoted(std::size_t at) const { return quoted(at, actionForm(row_)); }
    void fields(std::size_t from, PlayerFields& f) const {
        for (std::size_t i = from; i < t_.size(); ++i) {
            if (!isField(t_[i])) {
                throw ScriptError("expected field=value, got \"" + t_[i].text + "\"");
            }
            parseField(t_[i], f);
        }
    }
    std::string rest(std::size_t at) const { return restOfLine(line_, t_, at); }

private:
    std::string_view line_;
    const std::vector<Token>& t_;
    const ActionRow& row_;
};

} // namespace quorvel::host

#endif
