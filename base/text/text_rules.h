// The text rules every feature uses to build messages and read the numbers
// players type. Texts are bytes; only the ASCII letters A to Z fold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// Base 10 with a leading "-" when negative; unsigned gold amounts of 2^31
// and more print as negative numbers, as the game has always shown them.
std::string decimal(std::int32_t value);
std::string decimal(std::uint32_t value);

// Reads digits with no validation at all, wrapping on 32 bits: "ff" in base
// 10 reads as 165. Guard with isNumeric first.
std::int32_t readNumber(std::string_view text, int base = 10);

// Not empty, an optional leading "-", then one or more digits and nothing else.
bool isNumeric(std::string_view text);

// The exact value of a numeric text, or nothing when the text is not numeric
// or its value lies outside [minimum, maximum]; digits that would wrap a
// 32-bit reading never come back as a small number.
std::optional<std::int64_t> readBoundedNumber(std::string_view text, std::int64_t minimum,
                                              std::int64_t maximum);

// A signed 32-bit number, or nothing.
std::optional<std::int32_t> readInt32(std::string_view text);

char foldCase(char c);
std::string foldedCopy(std::string_view text);
bool equalIgnoringCase(std::string_view a, std::string_view b);
bool beginsWith(std::string_view text, std::string_view prefix);

// Leading and trailing blanks (character 32 only) removed.
std::string trim(std::string_view text);

// Trailing bytes that show as nothing removed: blanks, tabs and other
// control bytes (a chat line sends those as blanks) and the no-break space
// 0xA0.
std::string_view withoutTrailingBlankLooking(std::string_view text);

// Returns the trimmed text before the first `separator` and leaves the
// trimmed text after it (at most 32000 characters) in `source`; without the
// separator returns the whole text trimmed and leaves `source` alone.
std::string splitAt(std::string& source, char separator);

// Exactly `width` characters: padded with blanks on the right, or cut.
std::string fillToWidth(std::string_view text, std::size_t width);

std::string leftPart(std::string_view text, std::size_t count);
std::string rightPart(std::string_view text, std::size_t count);
std::string middlePart(std::string_view text, std::size_t start, std::size_t count);

// Text someone typed, for the start of a line the bot sends: text that
// begins with a zone command prefix ("*" or "?") is put in double quotes,
// so the line can never be carried out as a command; any other text is
// left as it is.
std::string typedLead(std::string_view typed);

// A fixed-size name field of a host record or a file record as text: up to
// the first NUL, never past the field.
std::string fieldText(const char* field, std::size_t size);

} // namespace quorvel
