#include "gold/journal_format.h"

#include "base/text/text_rules.h"
#include "gold/store_items.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <type_traits>

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

// Digits only: from_chars takes no sign for an unsigned number, no blank
// and no other base, and the whole text must be read.
template <typename Number> bool readDecimal(std::string_view text, Number& value) {
    static_assert(std::is_unsigned_v<Number>);
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
    // Where each field ends: at a tab, the last one at the line's end. A tab
    // after the tenth field makes an eleventh, and the line is none. Left
    // uninitialised: filled as far as `count` says, a line at a time.
    std::size_t ends[journalColumns];
    std::size_t count = 0;
    // Eight bytes at a time, the tabs among them found at once: a journal of
    // millions of lines is split about as fast as it is read.
    std::size_t at = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
        for (; at + 8 <= line.size(); at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, line.data() + at, 8);
            const std::uint64_t x = word ^ 0x0909090909090909ull; // a tab is 0 here
            // The high bit of each byte that is 0, and of no other.
            for (std::uint64_t tabs = ~(((x & low7) + low7) | x | low7); tabs != 0;
                 tabs &= tabs - 1) {
                if (count + 1 == journalColumns) {
                    return std::nullopt;
                }
                ends[count++] = at + static_cast<std::size_t>(std::countr_zero(tabs)) / 8;
            }
        }
    }
    for (; at < line.size(); ++at) {
        if (line[at] == '\t') {
            if (count + 1 == journalColumns) {
                return std::nullopt;
            }
            ends[count++] = at;
        }
    }
    ends[count++] = line.size();
    if (count != journalColumnsOld && count != journalColumnsWithBot && count != journalColumns) {
        return std::nullopt;
    }
    const auto field = [&](std::size_t i) {
        const std::size_t from = i == 0 ? 0 : ends[i - 1] + 1;
        return line.substr(from, ends[i] - from);
    };
    const std::string_view bot = count >= journalColumnsWithBot ? field(7) : std::string_view();
    if (count >= journalColumnsWithBot && !isBotField(bot)) {
        return std::nullopt;
    }
    JournalFields split{field(0), field(1), field(2), field(3), field(4), field(5), field(6), bot};
    if (count == journalColumns && (!readDecimal(field(8), split.seq) || split.seq == 0 ||
                                    !readPart(field(9), split.part, split.parts))) {
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

std::optional<std::int64_t> readJournalValue(bool gold, std::string_view after) {
    return readBoundedNumber(after, gold ? 0 : -2147483648LL, gold ? 4294967295LL : 2147483647LL);
}

std::optional<std::string> journalLineFlaw(const JournalFields& fields) {
    JournalNumbers numbers;
    return journalLineFlaw(fields, numbers);
}

std::optional<std::string> journalLineFlaw(const JournalFields& fields, JournalNumbers& numbers) {
    const bool gold = fields.field == journalGoldField;
    if (!gold && fields.field != journalInventoryField && !itemKindOfWord(fields.field)) {
        return "\"" + std::string(fields.field) + "\" is neither gold, an item nor inventory";
    }
    const std::string_view change = fields.change;
    numbers.amount = readJournalChange(change);
    if (!numbers.amount && change != journalNew && change != journalReset &&
        change != journalReload && change != journalSaved) {
        return "its change \"" + std::string(change) + "\" is not one";
    }
    const std::optional<std::int64_t> after = readJournalValue(gold, fields.after);
    if (!after) {
        return "its value after, \"" + std::string(fields.after) + "\", is not one";
    }
    numbers.after = *after;
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
