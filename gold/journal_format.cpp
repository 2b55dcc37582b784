#include "gold/journal_line.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace quorvel {
namespace {

bool allDigits(std::string_view field) {
    return !field.empty() &&
           std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A handle in decimal.
bool isBotField(std::string_view field) {
    return field.size() <= 20 && allDigits(field);
}

template <typename Number> bool readDecimal(std::string_view text, Number& value) {
    if (!allDigits(text)) {
        return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// "i/n" with 1 <= i <= n.
bool readPart(std::string_view text, std::uint32_t& part, std::uint32_t& parts) {
    const std::size_t slash = text.find('/');
    return slash != std::string_view::npos && readDecimal(text.substr(0, slash), part) &&
           readDecimal(text.substr(slash + 1), parts) && part >= 1 && part <= parts;
}

} // namespace

std::optional<JournalFields> splitJournalLine(std::string_view line) {
    std::array<std::string_view, 11> fields;
    std::size_t count = 0;
    for (bool more = true; more && count < fields.size(); ++count) {
        const std::size_t tab = line.find('\t');
        fields[count] = line.substr(0, tab);
        more = tab != std::string_view::npos;
        line.remove_prefix(more ? tab + 1 : line.size());
    }
    if (count != 7 && count != 8 && count != 10) {
        return std::nullopt;
    }
    if (count >= 8 && !isBotField(fields[7])) {
        return std::nullopt;
    }
    JournalFields split{fields[0], fields[1], fields[2], fields[3],
                        fields[4], fields[5], fields[6], fields[7]};
    if (count == 10 && (!readDecimal(fields[8], split.seq) || split.seq == 0 ||
                        !readPart(fields[9], split.part, split.parts))) {
        return std::nullopt;
    }
    return split;
}

} // namespace quorvel
