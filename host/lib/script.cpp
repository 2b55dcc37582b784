#include "lib/script.h"

#include "lib/script_actions.h"

namespace quorvel::host {

namespace {

// The row a line names: by its first two words ("expect ship", "skip to",
// "expect nothing more"), else by its first. Where the first word is an
// action by itself ("skip N"), a quoted second word is that action's
// argument, not part of a name.
const ActionRow* rowOf(const std::vector<Token>& t) {
    std::string first = lowerAscii(t[0].text);
    const ActionRow* byFirst = actionNamed(first);
    if (t.size() < 2 || (byFirst != nullptr && t[1].startsQuoted)) {
        return byFirst;
    }
    std::string two = first + " " + lowerAscii(t[1].text);
    for (const ActionRow& row : actionRows()) {
        if (row.parse != nullptr && (row.name == two || row.name.starts_with(two + " "))) {
            return &row;
        }
    }
    return byFirst;
}

// NAME !command: a word, then a word that begins with "!", where the first
// word is not an action whose text may begin so.
const ActionRow* typedCommandRow(const std::vector<Token>& t) {
    if (t.size() < 2 || !t[1].text.starts_with('!')) {
        return nullptr;
    }
    std::string first = lowerAscii(t[0].text);
    if (first == "type" || first == "note") {
        return nullptr;
    }
    for (const ActionRow& row : actionRows()) {
        if (row.name.empty()) {
            return &row;
        }
    }
    return nullptr;
}

// "console|public|...|jackpot": the second words of the expectations.
std::string expectationNames() {
    std::string names;
    std::string_view last;
    for (const ActionRow& row : actionRows()) {
        if (row.name.starts_with("expect ") && row.name != last) {
            names += (names.empty() ? "" : "|") + std::string(row.name.substr(7));
            last = row.name;
        }
    }
    return names;
}

[[noreturn]] void unknownAction(const std::vector<Token>& t) {
    if (lowerAscii(t[0].text) != "expect") {
        throw ScriptError("unknown action \"" + t[0].text + "\" (type help for the list)");
    }
    if (t.size() < 2) {
        ActionLine::usage("expect " + expectationNames() + " ...");
    }
    throw ScriptError("unknown expectation \"" + t[1].text + "\" (type help for the list)");
}

} // namespace

std::optional<Action> parseLine(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first])) {
        ++first;
    }
    if (first == line.size() || line[first] == '#') {
        return std::nullopt;
    }
    std::vector<Token> tokens = tokenize(line);
    if (tokens.empty()) {
        return std::nullopt;
    }
    const ActionRow* row = typedCommandRow(tokens);
    if (row == nullptr) {
        row = rowOf(tokens);
    }
    if (row == nullptr) {
        unknownAction(tokens);
    }
    Action a;
    a.kind = row->kind;
    row->parse(ActionLine(line, tokens, *row), a);
    return a;
}

} // namespace quorvel::host
