// Text helpers shared by the scenario parser, the transcript and the checks.
#ifndef QUORVEL_HOST_TEXT_H
#define QUORVEL_HOST_TEXT_H

#include <string>
#include <string_view>

namespace quorvel::host {

// Writes a text between double quotes so that every byte can be seen:
// \" and \\ for the quote and the backslash, \n \r \t for line ends and tabs,
// \xHH for any other byte outside printable ASCII.
std::string quoteText(std::string_view text);

// ASCII-only folding, as the game compares names.
std::string lowerAscii(std::string_view text);
bool equalIgnoringCase(std::string_view a, std::string_view b);

} // namespace quorvel::host

#endif
