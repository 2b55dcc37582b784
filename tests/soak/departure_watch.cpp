#include "departure_watch.h"

#include "ledger_audit.h"

#include <cstring>

namespace quorvel::testing {
namespace {

constexpr std::size_t faultsKept = 20;

// The one message that names a player who may have gone: the zombies' last
// human, noted while he was there.
constexpr std::string_view lastHumanStart = "Running though the dark ";

bool isNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The words of a text, folded: runs of letters and digits.
std::vector<std::string> foldedWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !isNameCharacter(text[i])) {
            ++i;
        }
        std::size_t start = i;
        while (i < text.size() && isNameCharacter(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(foldName(text.substr(start, i - start)));
        }
    }
    return words;
}

std::string nameOf(const PlayerRecord& player) {
    return std::string(player.name, strnlen(player.name, sizeof player.name));
}

} // namespace

void DepartureWatch::fault(std::uint64_t event, const std::string& what) {
    if (faults_.size() < faultsKept) {
        faults_.push_back("event " + std::to_string(event) + ": " + what);
    }
}

void DepartureWatch::entered(const PlayerRecord& player) {
    present_.insert(player.ident);
    ++holders_[foldName(nameOf(player))];
}

void DepartureWatch::left(const PlayerRecord& player) {
    present_.erase(player.ident);
    const std::string name = foldName(nameOf(player));
    if (--holders_[name] == 0) {
        holders_.erase(name);
    }
    departedNames_.insert(name);
}

int DepartureWatch::holdersOf(std::string_view name) const {
    auto at = holders_.find(foldName(name));
    return at == holders_.end() ? 0 : at->second;
}

void DepartureWatch::check(const std::vector<Sent>& sent, std::string_view typed,
                           std::uint64_t event) {
    std::vector<std::string> typedWords;
    if (!typed.empty()) {
        typedWords = foldedWords(typed);
    }
    for (const Sent& line : sent) {
        ++linesChecked_;
        if (line.code == Say && line.chatType == Private &&
            present_.count(static_cast<std::uint16_t>(line.target)) == 0) {
            fault(event, "a private line to #" + std::to_string(line.target) +
                             ", who is not in the arena: " + line.text);
        }
        if (line.text.find("ZzGone") != std::string::npos) {
            fault(event, "a line read from the record of a player who has left: " + line.text);
        }
        if (line.text.rfind(lastHumanStart, 0) == 0) {
            continue;
        }
        for (const std::string& word : foldedWords(line.text)) {
            if (departedNames_.count(word) == 0 || holders_.count(word) != 0) {
                continue;
            }
            bool typedByStaff = false;
            for (const std::string& typedWord : typedWords) {
                typedByStaff = typedByStaff || typedWord == word;
            }
            if (!typedByStaff) {
                fault(event, "a line names " + word + ", who has left: " + describe(line));
            }
        }
    }
}

} // namespace quorvel::testing
