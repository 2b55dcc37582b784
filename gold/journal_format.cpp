#include "gold/journal_format.h"

#include "base/text/text_rules.h"
#include "gold/store_items.h"

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
    std::array<std::string_view, journalColumns> fields;
    std::size_t count = 0;
    // One pass over the bytes: a journal of millions of lines is split as
    // fast as it is read. A tab after the tenth field makes an eleventh.
    std::size_t from = 0;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '\t') {
            if (count + 1 == fields.size()) {
                return std::nullopt;
            }
            fields[count++] = line.substr(from, at - from);
            from = at + 1;
        }
    }
    fields[count++] = line.substr(from);
    if (count != journalColumnsOld && count != journalColumnsWithBot && count != journalColumns) {
        return std::nullopt;
    }
    if (count >= journalColumnsWithBot && !isBotField(fields[7])) {
        return std::nullopt;
    }
    JournalFields split{fields[0], fields[1], fields[2], fields[3],
                        fields[4], fields[5], fields[6], fields[7]};
    if (count == journalColumns && (!readDecimal(fields[8], split.seq) || split.seq == 0 ||
                                    !readPart(fields[9], split.part, split.parts))) {
        return std::nullopt;
    }
    return split;
}

std::string journalChangeText(std::int64_t change) {
    return (change >= 0 ? "+" : "-") +
           std::to_string(change >= 0 ? static_cast<std::uint64_t>(change)
                                      : 0u - static_cast<std::uint64_t>(change));
}

std::optional<std::int64_t> readJournalChange(std::string_view change) {
    if (change.size() < 2 || (change[0] != '+' && change[0] != '-')) {
        return std::nullopt;
    }
    auto size = readBoundedNumber(change.substr(1), 0, 4294967295LL);
    if (!size) {
        return std::nullopt;
    }
    return change[0] == '-' ? -*size : *size;
}

bool matchesJournalTimePattern(std::string_view text) {
    if (text.size() > journalTimePattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (journalTimePattern[i] == '0' ? !digit : text[i] != journalTimePattern[i]) {
            return false;
        }
    }
    return true;
}

bool isJournalTime(std::string_view time) {
    return time.size() == journalTimePattern.size() && matchesJournalTimePattern(time);
}

std::optional<std::string> journalLineFlaw(const JournalFields& fields) {
    const bool gold = fields.field == journalGoldField;
    if (!gold && fields.field != journalInventoryField && !itemKindOfWord(fields.field)) {
        return "\"" + std::string(fields.field) + "\" is neither gold, an item nor inventory";
    }
    const std::string_view change = fields.change;
    if (!readJournalChange(change) && change != journalNew && change != journalReset &&
        change != journalReload && change != journalSaved) {
        return "its change \"" + std::string(change) + "\" is not one";
    }
    if (!readBoundedNumber(fields.after, gold ? 0 : -2147483648LL,
                           gold ? 4294967295LL : 2147483647LL)) {
        return "its value after, \"" + std::string(fields.after) + "\", is not one";
    }
    return std::nullopt;
}

std::optional<JournalFields> readJournalLine(std::string_view line) {
    std::optional<JournalFields> fields = splitJournalLine(line);
    if (fields && journalLineFlaw(*fields)) {
        return std::nullopt;
    }
    return fields;
}

std::string journalEscape(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\\') {
            escaped += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F)) {
            // 0x80-0x9F after 0xC2 are C1 controls to a UTF-8 terminal.
            escaped += "\\x";
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string journalUnescape(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        char next = text[++i];
        unsigned byte = 0;
        if (next == 'x' && i + 2 < text.size() &&
            std::from_chars(&text[i + 1], &text[i + 3], byte, 16).ptr == &text[i + 3]) {
            plain += static_cast<char>(byte);
            i += 2;
            continue;
        }
        plain += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return plain;
}

} // namespace quorvel
