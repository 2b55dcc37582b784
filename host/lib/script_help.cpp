// The list the help action prints, made from the table of actions.
#include "lib/script.h"

#include "lib/script_actions.h"

namespace quorvel::host {

namespace {

// Actions are listed from column 2, their help from this column, or two
// blanks after an action that reaches it.
constexpr std::size_t helpColumn = 31;

std::string padded(std::string text) {
    text.append(text.size() + 2 <= helpColumn ? helpColumn - text.size() : 2, ' ');
    return text;
}

// The action as the help list writes it: with the shorter arguments, if any.
std::string listedForm(const ActionRow& row) {
    ActionRow shown = row;
    if (!row.listed.empty()) {
        shown.arguments = row.listed;
    }
    return actionForm(shown);
}

class HelpList {
public:
    void add(const ActionRow& row) {
        if (!row.section.empty()) {
            endLine();
            addLines("", row.section, 0);
        }
        std::string form = listedForm(row);
        std::string after = row.help.empty() ? "" : " " + std::string(row.help);
        switch (row.place) {
        case HelpPlace::Line:
            endLine();
            line_ = "  " + form;
            help_ = row.help;
            break;
        case HelpPlace::Or:
            line_ += " | " + form;
            help_ += " | " + std::string(row.help);
            break;
        case HelpPlace::Column:
            line_ = padded(line_) + form + after;
            break;
        case HelpPlace::Beside:
            line_ += "  " + form + after;
            break;
        }
    }

    std::vector<std::string> lines() {
        endLine();
        return std::move(lines_);
    }

private:
    std::vector<std::string> lines_;
    std::string line_; // the line being made
    std::string help_; // the help of its actions, for the help column

    // `text` line by line, the first after `first` and the others from the
    // column `indent`.
    void addLines(const std::string& first, std::string_view text, std::size_t column) {
        std::string indent(column, ' ');
        std::size_t from = 0;
        for (std::size_t end = text.find('\n'); end != std::string_view::npos;
             from = end + 1, end = text.find('\n', from)) {
            lines_.push_back((from == 0 ? first : indent) +
                             std::string(text.substr(from, end - from)));
        }
        lines_.push_back((from == 0 ? first : indent) + std::string(text.substr(from)));
    }

    void endLine() {
        if (line_.empty()) {
            return;
        }
        if (help_.empty()) {
            lines_.push_back(line_);
        } else {
            addLines(padded(line_), help_, helpColumn);
        }
        line_.clear();
        help_.clear();
    }
};

} // namespace

const std::vector<std::string>& actionSummaries() {
    static const std::vector<std::string> lines = [] {
        HelpList list;
        for (const ActionRow& row : actionRows()) {
            list.add(row);
        }
        return list.lines();
    }();
    return lines;
}

} // namespace quorvel::host
