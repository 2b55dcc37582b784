#include "gold/save_state.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

namespace quorvel {
namespace {

constexpr std::string_view header = "quorvel gold.state 1";
constexpr std::string_view goldWord = "gold.dat";
constexpr std::string_view inventoryWord = "inv.dat";

template <typename Number> bool readNumber(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc{} && end == text.data() + text.size();
}

} // namespace

std::optional<SavedFile> SaveState::match(const std::vector<SavedFile>& saves,
                                          const std::optional<platform::FileStamp>& stamp) {
    for (const SavedFile& save : saves) {
        if (stamp && save.stamp == *stamp) {
            return save;
        }
    }
    return std::nullopt;
}

std::uint64_t SaveState::lastSeq() const {
    std::uint64_t last = 0;
    for (const auto* saves : {&gold, &inventory}) {
        for (const SavedFile& save : *saves) {
            last = std::max(last, save.seq);
        }
    }
    return last;
}

std::string encodeSaveState(const SaveState& state) {
    std::string text(header);
    text += '\n';
    for (const auto& [word, saves] :
         {std::pair{goldWord, &state.gold}, std::pair{inventoryWord, &state.inventory}}) {
        for (const SavedFile& save : *saves) {
            text += std::string(word) + " " + std::to_string(save.seq) + " " +
                    std::to_string(save.stamp.size) + " " + std::to_string(save.stamp.modified) +
                    " " + std::to_string(save.stamp.id) + "\n";
        }
    }
    std::string_view records = state.records;
    for (std::size_t end; (end = records.find('\n')) != std::string_view::npos;
         records.remove_prefix(end + 1)) {
        text += "> ";
        text += records.substr(0, end + 1);
    }
    return text;
}

std::optional<SaveState> decodeSaveState(std::string_view text) {
    SaveState state;
    bool first = true;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt; // cut short
        }
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (first) {
            if (line != header) {
                return std::nullopt;
            }
            first = false;
            continue;
        }
        if (line.starts_with("> ")) {
            state.records += line.substr(2);
            state.records += '\n';
            continue;
        }
        std::array<std::string_view, 5> words;
        for (std::string_view& word : words) {
            const std::size_t blank = line.find(' ');
            word = line.substr(0, blank);
            line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
        }
        SavedFile save;
        if (!line.empty() || !readNumber(words[1], save.seq) ||
            !readNumber(words[2], save.stamp.size) || !readNumber(words[3], save.stamp.modified) ||
            !readNumber(words[4], save.stamp.id)) {
            return std::nullopt;
        }
        if (words[0] == goldWord) {
            state.gold.push_back(save);
        } else if (words[0] == inventoryWord) {
            state.inventory.push_back(save);
        } else {
            return std::nullopt;
        }
    }
    if (first) {
        return std::nullopt;
    }
    return state;
}

} // namespace quorvel
