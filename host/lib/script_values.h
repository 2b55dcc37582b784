// The words of the session language: tokens, numbers, ships, operator
// levels, switches and player fields. Shared by the parser's files only.
#ifndef QUORVEL_HOST_SCRIPT_VALUES_H
#define QUORVEL_HOST_SCRIPT_VALUES_H

#include "lib/script.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::host {

struct Token {
    std::string text;
    bool startsQuoted = false;
    bool hasQuotes = false;
    std::size_t begin = 0; // offset of the token in the line
};

bool isBlank(char c);

// Splits at blanks; a double-quoted part may hold blanks and escapes and may
// sit inside a word (squad="Red Team"). Throws ScriptError.
std::vector<Token> tokenize(std::string_view line);

// Each throws ScriptError naming the value and what it was for.
std::int64_t parseNumber(const Token& token, std::int64_t low, std::int64_t high,
                         std::string_view what);
std::uint8_t parseShip(const Token& token);
std::uint32_t parseAccess(const Token& token);
bool parseSwitch(const Token& token, std::string_view what);
bool isField(const Token& token);
void parseField(const Token& token, PlayerFields& fields);
std::string playerName(const Token& token);

// The text of a typed line or a note: a quoted token exactly, or the rest of
// the line as written (trailing blanks and all).
std::string restOfLine(std::string_view line, const std::vector<Token>& tokens, std::size_t at);

extern const std::array<std::string_view, 13> accessNames;

} // namespace quorvel::host

#endif
