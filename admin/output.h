// Listings as an aligned table, CSV or JSON, and names made safe for each:
// a name in the files is any bytes, and none may end a line, split a field
// or reach a terminal as a control sequence.
#pragma once

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

// A name for a terminal or CSV: control bytes and the backslash escaped as
// gold.log escapes them.
std::string printable(std::string_view text);
// A JSON string with its quotes; bytes from 0x80 up are taken as Latin-1.
std::string jsonString(std::string_view text);
// Text for HTML; bytes from 0x80 up are taken as Latin-1.
std::string htmlText(std::string_view text);

} // namespace quorvel::admin
