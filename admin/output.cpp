#include "admin/output.h"

#include "gold/gold_journal.h"

#include <algorithm>

namespace quorvel::admin {
namespace {

constexpr char hexDigits[] = "0123456789abcdef";

std::string hexByte(unsigned char byte) {
    return {hexDigits[byte >> 4], hexDigits[byte & 0xF]};
}

std::string csvField(std::string_view text) {
    std::string field = printable(text);
    if (field.find_first_of(",\"") == std::string::npos) {
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
    return journalEscape(text);
}

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            json += "\\u00" + hexByte(byte);
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string htmlText(std::string_view text) {
    std::string html;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
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
        default:
            if (byte >= 0x80) {
                html += "&#x" + hexByte(byte) + ";";
            } else if (byte < 0x20 || byte == 0x7F) {
                html += printable(std::string_view(&c, 1)); // as the journal escapes it
            } else {
                html += c;
            }
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
            out << (c ? "," : "") << csvField(listing.columns[c]);
        }
        out << '\n';
        for (const auto& row : listing.rows) {
            for (std::size_t c = 0; c < columns; ++c) {
                out << (c ? "," : "") << csvField(row[c]);
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

} // namespace quorvel::admin
