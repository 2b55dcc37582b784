#include "gold/journal_line.h"

#include <algorithm>
#include <array>

namespace quorvel {
namespace {

// A handle in decimal.
bool isBotField(std::string_view field) {
    return !field.empty() && field.size() <= 20 &&
           std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<JournalFields> splitJournalLine(std::string_view line) {
    std::array<std::string_view, 9> fields;
    std::size_t count = 0;
    for (bool more = true; more && count < fields.size(); ++count) {
        const std::size_t tab = line.find('\t');
        fields[count] = line.substr(0, tab);
        more = tab != std::string_view::npos;
        line.remove_prefix(more ? tab + 1 : line.size());
    }
    if (count != 7 && !(count == 8 && isBotField(fields[7]))) {
        return std::nullopt;
    }
    return JournalFields{fields[0], fields[1], fields[2], fields[3],
                         fields[4], fields[5], fields[6], fields[7]};
}

} // namespace quorvel
