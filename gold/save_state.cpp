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

constexpr std::uint64_t prime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t prime2 = 0xC2B2AE3D27D4EB4Full;

std::uint64_t rotl(std::uint64_t value, int bits) {
    return (value << bits) | (value >> (64 - bits));
}

std::uint64_t mix(std::uint64_t lane, std::uint64_t word) {
    return rotl(lane + word * prime2, 31) * prime1;
}

template <typename Number> bool readNumber(std::string_view text, Number& value, int base = 10) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc{} && end == text.data() + text.size();
}

std::string hex(std::uint64_t value) {
    std::array<char, 16> digits{};
    auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value, 16);
    static_cast<void>(error);
    return std::string(digits.data(), end);
}

} // namespace

std::uint64_t contentHash(const char* bytes, std::size_t size) {
    std::array<std::uint64_t, 4> lanes = {prime1 + prime2, prime2, 0, 0 - prime1};
    std::size_t at = 0;
    for (; at + 32 <= size; at += 32) {
        for (std::size_t lane = 0; lane < 4; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, bytes + at + 8 * lane, 8);
            lanes[lane] = mix(lanes[lane], word);
        }
    }
    std::uint64_t hash = rotl(lanes[0], 1) + rotl(lanes[1], 7) + rotl(lanes[2], 12) +
                         rotl(lanes[3], 18) + size * prime1;
    for (; at < size; ++at) {
        hash = (hash ^ static_cast<unsigned char>(bytes[at])) * 0x100000001B3ull;
        hash = rotl(hash, 11);
    }
    hash ^= hash >> 33;
    hash *= prime2;
    hash ^= hash >> 29;
    return hash;
}

std::optional<SavedFile> SaveState::match(const std::vector<SavedFile>& saves, std::uint64_t size,
                                          std::uint64_t hash) {
    for (const SavedFile& save : saves) {
        if (save.size == size && save.hash == hash) {
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
                    std::to_string(save.size) + " " + hex(save.hash) + "\n";
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
        std::array<std::string_view, 4> words;
        for (std::string_view& word : words) {
            const std::size_t blank = line.find(' ');
            word = line.substr(0, blank);
            line.remove_prefix(blank == std::string_view::npos ? line.size() : blank + 1);
        }
        SavedFile save;
        if (!line.empty() || !readNumber(words[1], save.seq) || !readNumber(words[2], save.size) ||
            !readNumber(words[3], save.hash, 16)) {
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
