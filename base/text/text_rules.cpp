#include "base/text/text_rules.h"

#include <cstring>
#include <limits>

namespace quorvel {

std::string decimal(std::int32_t value) {
    if (value == 0) {
        return "0";
    }
    bool negative = value < 0;
    std::uint32_t magnitude =
        negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    char digits[12];
    char* first = digits + sizeof digits;
    while (magnitude != 0) {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (negative) {
        *--first = '-';
    }
    return std::string(first, digits + sizeof digits);
}

std::string decimal(std::uint32_t value) {
    return decimal(static_cast<std::int32_t>(value));
}

std::int32_t readNumber(std::string_view text, int base) {
    bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    std::uint32_t sum = 0;
    std::uint32_t place = 1;
    for (std::size_t i = text.size(); i-- > 0;) {
        char c = foldCase(text[i]);
        std::uint32_t digit = (c >= '0' && c <= '9')
                                  ? static_cast<std::uint32_t>(c - '0')
                                  : static_cast<std::uint32_t>(static_cast<unsigned char>(c)) - 87u;
        sum += digit * place;
        place *= static_cast<std::uint32_t>(base);
    }
    if (negative) {
        sum = 0u - sum;
    }
    return static_cast<std::int32_t>(sum);
}

bool isNumeric(std::string_view text) {
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

std::optional<std::int64_t> readBoundedNumber(std::string_view text, std::int64_t minimum,
                                              std::int64_t maximum) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    constexpr std::int64_t ceiling = std::numeric_limits<std::int64_t>::max() / 10 - 10;
    // One pass: each character is a digit, and the value stays far from
    // overflow, or the text is no number.
    for (char c : digits) {
        const auto digit = static_cast<unsigned char>(c - '0');
        if (digit > 9 || value > ceiling) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    if (negative) {
        value = -value;
    }
    if (value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> readInt32(std::string_view text) {
    auto value = readBoundedNumber(text, std::numeric_limits<std::int32_t>::min(),
                                   std::numeric_limits<std::int32_t>::max());
    if (!value) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(*value);
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string foldedCopy(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = foldCase(c);
    }
    return folded;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldCase(a[i]) != foldCase(b[i])) {
            return false;
        }
    }
    return true;
}

bool beginsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

std::string trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string_view withoutTrailingBlankLooking(std::string_view text) {
    while (!text.empty()) {
        const auto last = static_cast<unsigned char>(text.back());
        if (last > 0x20 && last != 0x7F && last != 0xA0) {
            break;
        }
        text.remove_suffix(1);
    }
    return text;
}

std::string splitAt(std::string& source, char separator) {
    std::size_t at = source.find(separator);
    if (at == std::string::npos) {
        return trim(source);
    }
    std::string before = trim(std::string_view(source).substr(0, at));
    source = trim(std::string_view(source).substr(at + 1, 32000));
    return before;
}

std::string fillToWidth(std::string_view text, std::size_t width) {
    std::string filled(text.substr(0, width));
    filled.resize(width, ' ');
    return filled;
}

std::string leftPart(std::string_view text, std::size_t count) {
    return std::string(text.substr(0, count));
}

std::string rightPart(std::string_view text, std::size_t count) {
    return std::string(count >= text.size() ? text : text.substr(text.size() - count));
}

std::string middlePart(std::string_view text, std::size_t start, std::size_t count) {
    if (start >= text.size()) {
        return {};
    }
    return std::string(text.substr(start, count));
}

std::string typedLead(std::string_view typed) {
    if (!typed.empty() && (typed.front() == '*' || typed.front() == '?')) {
        return "\"" + std::string(typed) + "\"";
    }
    return std::string(typed);
}

std::string fieldText(const char* field, std::size_t size) {
    const void* nul = std::memchr(field, '\0', size);
    std::size_t length =
        nul == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(nul) - field);
    return std::string(field, length);
}

} // namespace quorvel
