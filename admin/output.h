// Listings as an aligned table, CSV or JSON, and names made safe for each:
// a name in the files is any bytes, and none may end a line, split a field
// or reach a terminal as a control sequence.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::admin {

enum class Format { table, csv, json };

struct Listing {
    std::vector<std::string> columns;
    std::vector<bool> numeric; // right-aligned in a table, bare numbers in JSON
    std::vector<std::vector<std::string>> rows;
};

void writeListing(const Listing& listing, Format format, std::ostream& out);

// "1 account", "2 accounts", "0 accounts".
std::string plural(std::size_t count, std::string_view word);

// A name for a terminal, in UTF-8: its bytes taken as cp1252; control bytes,
// the backslash and bytes cp1252 leaves undefined escaped as gold.log escapes
// them.
std::string printable(std::string_view text);
// The name a CSV field of a listing holds (without CSV's quotes): a quote
// put before a formula's first character taken off, escapes read back.
std::string csvName(std::string_view field);
// The cp1252 bytes of UTF-8 text (a CSV file saved as UTF-8 by a
// spreadsheet); nothing when the text is not UTF-8 or holds a character
// cp1252 does not have.
std::optional<std::string> cp1252FromUtf8(std::string_view text);
// A JSON string with its quotes; bytes taken as cp1252, as printable.
std::string jsonString(std::string_view text);
// Text for HTML, in UTF-8 as printable.
std::string htmlText(std::string_view text);

} // namespace quorvel::admin
