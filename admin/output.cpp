#include "admin/output.h"

#include "base/text/text_rules.h"
#include "gold/gold_journal.h"

#include <algorithm>

namespace quorvel::admin {
namespace {

constexpr char hexDigits[] = "0123456789abcdef";

std::string hexByte(unsigned char byte) {
    return {hexDigits[byte >> 4], hexDigits[byte & 0xF]};
}

// The character a cp1252 byte stands for; 0 for the five bytes cp1252 leaves
// undefined. Names are cp1252, as the game's clients type them.
char32_t cp1252Character(unsigned char byte) {
    static constexpr char32_t high[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    return byte >= 0x80 && byte <= 0x9F ? high[byte - 0x80] : byte;
}

std::string utf8(char32_t character) {
    std::string bytes;
    if (character < 0x80) {
        bytes += static_cast<char>(character);
    } else if (character < 0x800) {
        bytes += static_cast<char>(0xC0 | (character >> 6));
        bytes += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        bytes += static_cast<char>(0xE0 | (character >> 12));
        bytes += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (character & 0x3F));
    }
    return bytes;
}

// Each byte of a name as a character of text, or as gold.log escapes it when
// it is a control or cp1252 defines no character for it.
template <typename Shown, typename Escaped>
void eachCharacter(std::string_view text, Shown shown, Escaped escaped) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const char32_t character = cp1252Character(byte);
        if (byte < 0x20 || byte == 0x7F || character == 0) {
            escaped(c);
        } else {
            shown(c, character);
        }
    }
}

// A spreadsheet runs a cell that begins with one of these; a quote before it
// makes it text, and import takes the quote off again.
bool runsAsFormula(std::string_view text) {
    if (text.empty() || std::string_view("=+-@\t\r'").find(text.front()) == std::string::npos) {
        return false;
    }
    if (text.front() == '+' || text.front() == '-') {
        std::size_t digits = 1;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            ++digits;
        }
        return digits == 1 || digits != text.size(); // a signed number stays a number
    }
    return true;
}

// A field of CSV (RFC 4180) for `text`; `header` is its column's name in a
// row of data, empty in the header row itself.
std::string csvField(std::string_view text, std::string_view header) {
    // CSV keeps a name's own bytes, escaped as gold.log escapes them, so that
    // import reads back exactly the name exported. Quotes keep together what
    // a reader would split or trim (a comma, a quote, a line end, blanks at
    // either end), and make text that a reader takes for a comment (a first
    // #) or for the header row (the column's own name) a name.
    std::string field = (runsAsFormula(text) ? "'" : "") + journalEscape(text);
    const bool inQuotes =
        field.find_first_of(",\"\r\n") != std::string::npos ||
        (!field.empty() && (field.front() == ' ' || field.back() == ' ' || field.front() == '#')) ||
        (!header.empty() && equalIgnoringCase(field, header));
    if (!inQuotes) {
        return field;
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

} // namespace

std::string printable(std::string_view text) {
    std::string shown;
    eachCharacter(
        text, [&shown](char, char32_t character) { shown += utf8(character); },
        [&shown](char c) { shown += journalEscape(std::string_view(&c, 1)); });
    return shown;
}

std::optional<std::string> cp1252FromUtf8(std::string_view text) {
    std::string bytes;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || at + length > text.size()) {
            return std::nullopt;
        }
        char32_t character = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            character = (character << 6) | (next & 0x3F);
        }
        at += length;
        // The bytes 0x80 to 0x9F stand for other characters in cp1252, the
        // five it leaves undefined for themselves.
        std::optional<unsigned char> byte;
        if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
            byte = static_cast<unsigned char>(character);
        }
        for (unsigned value = 0x80; !byte && value <= 0x9F; ++value) {
            const char32_t meant = cp1252Character(static_cast<unsigned char>(value));
            if (meant == character || (meant == 0 && character == value)) {
                byte = static_cast<unsigned char>(value);
            }
        }
        if (!byte) {
            return std::nullopt;
        }
        bytes += static_cast<char>(*byte);
    }
    return bytes;
}

std::string csvName(std::string_view field) {
    if (!field.empty() && field.front() == '\'') {
        field.remove_prefix(1);
    }
    return journalUnescape(field);
}

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    const auto unicode = [&json](char32_t character) {
        json += "\\u" + hexByte(static_cast<unsigned char>(character >> 8)) +
                hexByte(static_cast<unsigned char>(character & 0xFF));
    };
    eachCharacter(
        text,
        [&](char c, char32_t character) {
            if (c == '"' || c == '\\') {
                json += '\\';
                json += c;
            } else if (character >= 0x80) {
                unicode(character);
            } else {
                json += c;
            }
        },
        [&](char c) { unicode(static_cast<unsigned char>(c)); });
    return json + "\"";
}

std::string htmlText(std::string_view text) {
    std::string html;
    for (char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\\':
            html += c;
            break;
        default:
            html += printable(std::string_view(&c, 1)); // UTF-8, as the page says
        }
    }
    return html;
}

void writeListing(const Listing& listing, Format format, std::ostream& out) {
    const std::size_t columns = listing.columns.size();
    const auto isNumeric = [&listing](std::size_t column) {
        return column < listing.numeric.size() && listing.numeric[column];
    };
    switch (format) {
    case Format::csv:
        for (std::size_t c = 0; c < columns; ++c) {
            out << (c ? "," : "") << csvField(listing.columns[c], {});
        }
        out << '\n';
        for (const auto& row : listing.rows) {
            for (std::size_t c = 0; c < columns; ++c) {
                out << (c ? "," : "") << csvField(row[c], listing.columns[c]);
            }
            out << '\n';
        }
        return;
    case Format::json:
        out << "[";
        for (std::size_t r = 0; r < listing.rows.size(); ++r) {
            out << (r ? ",\n " : "\n ") << "{";
            for (std::size_t c = 0; c < columns; ++c) {
                const std::string& value = listing.rows[r][c];
                out << (c ? ", " : "") << jsonString(listing.columns[c]) << ": "
                    << (!isNumeric(c)   ? jsonString(value)
                        : value.empty() ? "null"
                                        : value);
            }
            out << "}";
        }
        out << (listing.rows.empty() ? "]\n" : "\n]\n");
        return;
    case Format::table:
        break;
    }
    std::vector<std::vector<std::string>> cells;
    cells.push_back(listing.columns);
    for (const auto& row : listing.rows) {
        std::vector<std::string> shown;
        for (const std::string& value : row) {
            shown.push_back(printable(value));
        }
        cells.push_back(std::move(shown));
    }
    std::vector<std::size_t> widths(columns, 0);
    for (const auto& row : cells) {
        for (std::size_t c = 0; c < columns; ++c) {
            widths[c] = std::max(widths[c], row[c].size());
        }
    }
    for (const auto& row : cells) {
        std::string line;
        for (std::size_t c = 0; c < columns; ++c) {
            const std::string padding(widths[c] - row[c].size(), ' ');
            line += c ? "  " : "";
            line += isNumeric(c) ? padding + row[c] : row[c] + (c + 1 < columns ? padding : "");
        }
        out << line << '\n';
    }
}

std::string plural(std::size_t count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

} // namespace quorvel::admin
