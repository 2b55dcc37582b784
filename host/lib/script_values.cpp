#include "lib/script_values.h"

#include "lib/text.h"

#include <charconv>
#include <limits>

namespace quorvel::host {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::vector<Token> tokenize(std::string_view line) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        Token token;
        token.begin = i;
        token.startsQuoted = line[i] == '"';
        while (i < line.size() && !isBlank(line[i])) {
            if (line[i] != '"') {
                token.text += line[i++];
                continue;
            }
            token.hasQuotes = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    token.text += c;
                    continue;
                }
                if (i >= line.size()) {
                    break;
                }
                char e = line[i++];
                switch (e) {
                case '"':
                case '\\':
                    token.text += e;
                    break;
                case 'n':
                    token.text += '\n';
                    break;
                case 'r':
                    token.text += '\r';
                    break;
                case 't':
                    token.text += '\t';
                    break;
                case 'x': {
                    int hi = i < line.size() ? hexValue(line[i]) : -1;
                    int lo = i + 1 < line.size() ? hexValue(line[i + 1]) : -1;
                    if (hi < 0 || lo < 0) {
                        throw ScriptError("\\x needs two hex digits");
                    }
                    token.text += static_cast<char>(hi * 16 + lo);
                    i += 2;
                    break;
                }
                default:
                    throw ScriptError(std::string("unknown escape \\") + e +
                                      " (use \\\" \\\\ \\n \\r \\t or \\xHH)");
                }
            }
            if (!closed) {
                throw ScriptError("a quoted text is not closed with \"");
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::int64_t parseNumber(const Token& token, std::int64_t low, std::int64_t high,
                         std::string_view what) {
    const std::string& s = token.text;
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) {
        throw ScriptError("bad number \"" + s + "\" for " + std::string(what));
    }
    if (value < low || value > high) {
        throw ScriptError(std::string(what) + " " + s + " is out of range (" + std::to_string(low) +
                          " to " + std::to_string(high) + ")");
    }
    return value;
}

std::uint8_t parseShip(const Token& token) {
    std::string word = lowerAscii(token.text);
    if (word == "spec" || word == "spectator") {
        return 8;
    }
    return static_cast<std::uint8_t>(parseNumber(token, 1, 8, "ship (1 to 8 or spectator)") - 1);
}

const std::array<std::string_view, 13> accessNames = {
    "Player", "Limited", "Mod",     "SMod",     "SOp", "Owner", "Duke",
    "Baron",  "King",    "Emperor", "RockStar", "Q",   "God"};

std::uint32_t parseAccess(const Token& token) {
    for (std::size_t i = 0; i < accessNames.size(); ++i) {
        if (equalIgnoringCase(token.text, accessNames[i])) {
            return static_cast<std::uint32_t>(i);
        }
    }
    return static_cast<std::uint32_t>(
        parseNumber(token, 0, std::numeric_limits<std::uint32_t>::max(), "access level"));
}

bool parseSwitch(const Token& token, std::string_view what) {
    std::string word = lowerAscii(token.text);
    if (word == "on" || word == "yes" || word == "true" || word == "1") {
        return true;
    }
    if (word == "off" || word == "no" || word == "false" || word == "0") {
        return false;
    }
    throw ScriptError("bad switch \"" + token.text + "\" for " + std::string(what) +
                      " (on or off)");
}

bool isField(const Token& token) {
    return !token.startsQuoted && token.text.find('=') != std::string::npos;
}

void parseField(const Token& token, PlayerFields& f) {
    auto eq = token.text.find('=');
    std::string key = lowerAscii(token.text.substr(0, eq));
    Token value{token.text.substr(eq + 1), false, false, token.begin};
    constexpr std::int64_t i32min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t i32max = std::numeric_limits<std::int32_t>::max();
    if (key == "ident") {
        f.ident = static_cast<std::uint16_t>(parseNumber(value, 1, 65535, "ident"));
    } else if (key == "squad") {
        if (value.text.size() > 19) {
            throw ScriptError("a squad holds at most 19 characters");
        }
        f.squad = value.text;
    } else if (key == "freq" || key == "team") {
        f.freq = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "freq"));
    } else if (key == "ship") {
        f.ship = parseShip(value);
    } else if (key == "access" || key == "level") {
        f.access = parseAccess(value);
    } else if (key == "x") {
        f.tileX = static_cast<std::int32_t>(parseNumber(value, -65536, 65536, "x tile"));
    } else if (key == "y") {
        f.tileY = static_cast<std::int32_t>(parseNumber(value, -65536, 65536, "y tile"));
    } else if (key == "px") {
        f.pixelX = static_cast<std::int32_t>(parseNumber(value, i32min, i32max, "x pixel"));
    } else if (key == "py") {
        f.pixelY = static_cast<std::int32_t>(parseNumber(value, i32min, i32max, "y pixel"));
    } else if (key == "flags") {
        f.flags = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "flags carried"));
    } else if (key == "antiwarp") {
        f.antiwarp = parseSwitch(value, "antiwarp");
    } else if (key == "safe" || key == "safety") {
        f.safe = parseSwitch(value, "safe");
    } else if (key == "points") {
        f.points = static_cast<std::int32_t>(parseNumber(value, i32min, i32max, "points"));
    } else if (key == "wins") {
        f.wins = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "wins"));
    } else if (key == "losses") {
        f.losses = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "losses"));
    } else if (key == "bounty") {
        f.bounty = static_cast<std::int32_t>(parseNumber(value, 0, i32max, "bounty"));
    } else {
        throw ScriptError("unknown player field \"" + key +
                          "\" (ident squad freq ship access x y px py flags antiwarp safe "
                          "points wins losses bounty)");
    }
}

std::string playerName(const Token& token) {
    if (token.text.empty()) {
        throw ScriptError("a player name cannot be empty");
    }
    if (token.text.size() > 19) {
        throw ScriptError("a player name holds at most 19 characters: " + quoteText(token.text));
    }
    return token.text;
}

std::string restOfLine(std::string_view line, const std::vector<Token>& tokens, std::size_t at) {
    if (tokens[at].startsQuoted && tokens.size() == at + 1) {
        return tokens[at].text;
    }
    std::string rest(line.substr(tokens[at].begin));
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n')) {
        rest.pop_back();
    }
    return rest;
}

std::string shipText(std::uint8_t recordShip) {
    return recordShip >= 8 ? "spectator" : std::to_string(recordShip + 1);
}

std::string accessText(std::uint32_t level) {
    return level < accessNames.size() ? std::string(accessNames[level]) : std::to_string(level);
}

} // namespace quorvel::host
