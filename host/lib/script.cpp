#include "lib/script.h"

#include "lib/script_values.h"
#include "lib/text.h"
#include "quorvel/host_abi.h"

#include <limits>

namespace quorvel::host {

namespace {

class Parser {
public:
    Parser(std::string_view line, std::vector<Token> tokens)
        : line_(line), t_(std::move(tokens)), word_(lowerAscii(t_[0].text)) {}

    Action parse();

private:
    std::string_view line_;
    std::vector<Token> t_;
    std::string word_;

    [[noreturn]] void usage(std::string_view form) const {
        throw ScriptError("usage: " + std::string(form));
    }
    void count(std::size_t low, std::size_t high, std::string_view form) const {
        if (t_.size() < low + 1 || t_.size() > high + 1) {
            usage(form);
        }
    }
    const std::string& quoted(std::size_t at, std::string_view form) const {
        if (at >= t_.size() || !t_[at].startsQuoted) {
            throw ScriptError("the text goes in double quotes; usage: " + std::string(form));
        }
        return t_[at].text;
    }
    void fields(std::size_t from, PlayerFields& f) const {
        for (std::size_t i = from; i < t_.size(); ++i) {
            if (!isField(t_[i])) {
                throw ScriptError("expected field=value, got \"" + t_[i].text + "\"");
            }
            parseField(t_[i], f);
        }
    }
    Action expect();
    // The line expectation whose kind word is at t_[at]; `later` for "skip to".
    Action expectLine(std::size_t at, bool later);
};

std::optional<LineKind> lineKind(std::string_view word) {
    if (word == "console") {
        return LineKind::Console;
    }
    if (word == "public") {
        return LineKind::Public;
    }
    if (word == "private") {
        return LineKind::Private;
    }
    if (word == "arena") {
        return LineKind::Arena;
    }
    return std::nullopt;
}

Action Parser::parse() {
    Action a;
    constexpr std::int64_t u32max = std::numeric_limits<std::uint32_t>::max();
    constexpr std::int64_t i32min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t i32max = std::numeric_limits<std::int32_t>::max();

    // NAME !command ...: a player types at the bot.
    if (t_.size() >= 2 && t_[1].text.starts_with('!') && word_ != "type" && word_ != "note") {
        a.kind = ActionKind::Type;
        a.name = playerName(t_[0]);
        a.text = restOfLine(line_, t_, 1);
        return a;
    }
    if (word_ == "handshake" || word_ == "version") {
        count(0, 1, "handshake [MAJOR.MINOR | NUMBER]");
        a.kind = ActionKind::Handshake;
        Word version = hostVersion(6, 1);
        if (t_.size() == 2) {
            const std::string& v = t_[1].text;
            auto dot = v.find('.');
            if (dot == std::string::npos) {
                version = static_cast<Word>(parseNumber(t_[1], 0, u32max, "version"));
            } else {
                Token major{v.substr(0, dot), false, false, 0};
                Token minor{v.substr(dot + 1), false, false, 0};
                version =
                    hostVersion(static_cast<Word>(parseNumber(major, 0, 65535, "major version")),
                                static_cast<Word>(parseNumber(minor, 0, 65535, "minor version")));
            }
        }
        a.numbers = {static_cast<std::int64_t>(version)};
    } else if (word_ == "terminate") {
        count(0, 0, "terminate");
        a.kind = ActionKind::Terminate;
    } else if (word_ == "handle") {
        count(1, 2, "handle N [ARENA]");
        a.kind = ActionKind::Handle;
        a.numbers = {parseNumber(t_[1], 1, u32max, "handle")};
        if (t_.size() == 3) {
            a.name = t_[2].text;
            if (a.name.empty()) {
                throw ScriptError("an arena name is not empty");
            }
        }
    } else if (word_ == "raw") {
        count(1, 7, "raw CODE [V0 .. V5]");
        a.kind = ActionKind::Raw;
        a.numbers.push_back(parseNumber(t_[1], 0, u32max, "event code"));
        // Codes whose values are addresses of host records would hand the
        // module bare numbers where it reads records.
        constexpr std::array<Word, 12> recordCodes = {
            Handshake,     ArenaJoined,       PlayerEntering,   PlayerMoved,
            PlayerKilled,  PlayerShipChanged, PlayerSpectating, PlayerTeamChanged,
            PlayerLeaving, ChatMessage,       CommandTyped,     HelpRequested};
        for (Word code : recordCodes) {
            if (a.numbers[0] == static_cast<std::int64_t>(code)) {
                throw ScriptError("event " + std::to_string(code) +
                                  " carries host records: use its own action (help lists them)");
            }
        }
        for (std::size_t i = 2; i < t_.size(); ++i) {
            a.numbers.push_back(parseNumber(t_[i], std::numeric_limits<std::int64_t>::min(),
                                            std::numeric_limits<std::int64_t>::max(), "value"));
        }
    } else if (word_ == "event29" || word_ == "prizerefresh") {
        count(0, 0, "event29");
        a.kind = ActionKind::PrizeRefresh;
    } else if (word_ == "join") {
        a.kind = ActionKind::Join;
        std::size_t from = 1;
        if (t_.size() >= 2 && !isField(t_[1])) {
            a.name = playerName(t_[1]);
            from = 2;
        }
        fields(from, a.fields);
    } else if (word_ == "part") {
        count(0, 0, "part");
        a.kind = ActionKind::Part;
    } else if (word_ == "enter") {
        if (t_.size() < 2) {
            usage("enter NAME [field=value ...]");
        }
        a.kind = ActionKind::Enter;
        a.name = playerName(t_[1]);
        fields(2, a.fields);
    } else if (word_ == "leave") {
        count(1, 1, "leave NAME");
        a.kind = ActionKind::Leave;
        a.name = playerName(t_[1]);
    } else if (word_ == "set") {
        if (t_.size() < 3) {
            usage("set NAME field=value ...");
        }
        a.kind = ActionKind::Set;
        a.name = playerName(t_[1]);
        fields(2, a.fields);
    } else if (word_ == "move") {
        if (t_.size() < 4) {
            usage("move NAME X Y [field=value ...]");
        }
        a.kind = ActionKind::Move;
        a.name = playerName(t_[1]);
        a.fields.tileX = static_cast<std::int32_t>(parseNumber(t_[2], -65536, 65536, "x tile"));
        a.fields.tileY = static_cast<std::int32_t>(parseNumber(t_[3], -65536, 65536, "y tile"));
        fields(4, a.fields);
    } else if (word_ == "ship") {
        count(2, 2, "ship NAME 1..8|spectator");
        a.kind = ActionKind::Ship;
        a.name = playerName(t_[1]);
        a.fields.ship = parseShip(t_[2]);
    } else if (word_ == "freq") {
        count(2, 2, "freq NAME N");
        a.kind = ActionKind::Freq;
        a.name = playerName(t_[1]);
        a.fields.freq = static_cast<std::uint16_t>(parseNumber(t_[2], 0, 65535, "freq"));
    } else if (word_ == "spectate" || word_ == "spec") {
        count(1, 1, "spectate NAME");
        a.kind = ActionKind::Spectate;
        a.name = playerName(t_[1]);
    } else if (word_ == "kill") {
        count(2, 2, "kill KILLER KILLED");
        a.kind = ActionKind::Kill;
        a.name = playerName(t_[1]);
        a.other = playerName(t_[2]);
    } else if (word_ == "type") {
        if (t_.size() < 3) {
            usage("type NAME TEXT");
        }
        a.kind = ActionKind::Type;
        a.name = playerName(t_[1]);
        a.text = restOfLine(line_, t_, 2);
        if (!a.text.starts_with('!')) {
            throw ScriptError("a typed command begins with \"!\"");
        }
    } else if (word_ == "arena") {
        count(1, 1, "arena \"TEXT\"");
        a.kind = ActionKind::Chat;
        a.numbers = {ArenaMessage};
        a.text = quoted(1, "arena \"TEXT\"");
    } else if (word_ == "chat") {
        count(2, 2, "chat arena|public|private|N \"TEXT\"");
        a.kind = ActionKind::Chat;
        std::string type = lowerAscii(t_[1].text);
        if (type == "arena") {
            a.numbers = {ArenaMessage};
        } else if (type == "public") {
            a.numbers = {Public};
        } else if (type == "private") {
            a.numbers = {Private};
        } else {
            a.numbers = {parseNumber(t_[1], 0, u32max, "chat type")};
        }
        a.text = quoted(2, "chat arena|public|private|N \"TEXT\"");
    } else if (word_ == "tick") {
        count(0, 1, "tick [N]");
        a.kind = ActionKind::Tick;
        a.numbers = {t_.size() == 2 ? parseNumber(t_[1], 1, 100000000, "tick count") : 1};
    } else if (word_ == "flagwin") {
        count(1, 1, "flagwin FREQ");
        a.kind = ActionKind::FlagWin;
        a.numbers = {parseNumber(t_[1], 0, u32max, "freq")};
    } else if (word_ == "goal") {
        count(1, 1, "goal FREQ");
        a.kind = ActionKind::Goal;
        a.numbers = {parseNumber(t_[1], 0, u32max, "freq")};
    } else if (word_ == "flag") {
        count(2, 2, "flag X Y");
        a.kind = ActionKind::Flag;
        a.numbers = {parseNumber(t_[1], 0, 65535, "x tile"),
                     parseNumber(t_[2], 0, 65535, "y tile")};
    } else if (word_ == "flags") {
        count(1, 1, "flags clear");
        if (lowerAscii(t_[1].text) != "clear" && lowerAscii(t_[1].text) != "none") {
            usage("flags clear");
        }
        a.kind = ActionKind::ClearFlags;
    } else if (word_ == "jackpot") {
        count(1, 1, "jackpot N|\"TEXT\"");
        a.kind = ActionKind::Jackpot;
        if (t_[1].startsQuoted) {
            a.text = t_[1].text; // the answer as the zone words it
        } else {
            a.numbers = {parseNumber(t_[1], i32min, i32max, "jackpot")};
        }
    } else if (word_ == "file") {
        count(2, 2, "file NAME \"CONTENTS\"");
        a.kind = ActionKind::WriteFile;
        a.name = t_[1].text;
        a.text = quoted(2, "file NAME \"CONTENTS\"");
    } else if (word_ == "remove") {
        count(1, 1, "remove NAME");
        a.kind = ActionKind::RemoveFile;
        a.name = t_[1].text;
    } else if (word_ == "gold") {
        count(2, 2, "gold NAME AMOUNT");
        a.kind = ActionKind::SetGold;
        a.name = playerName(t_[1]);
        a.numbers = {parseNumber(t_[2], i32min, u32max, "gold amount")};
    } else if (word_ == "env") {
        count(1, 2, "env NAME [VALUE]");
        a.kind = ActionKind::Environment;
        a.name = t_[1].text;
        if (a.name.empty() || a.name.find('=') != std::string::npos) {
            throw ScriptError("bad environment variable name " + quoteText(a.name));
        }
        a.absent = t_.size() == 2;
        a.text = a.absent ? "" : t_[2].text;
    } else if (word_ == "note") {
        if (t_.size() < 2) {
            usage("note TEXT");
        }
        a.kind = ActionKind::Note;
        a.text = restOfLine(line_, t_, 1);
    } else if (word_ == "show") {
        count(0, 1, "show [NAME]");
        a.kind = ActionKind::Show;
        if (t_.size() == 2) {
            a.name = t_[1].text;
        }
    } else if (word_ == "help") {
        a.kind = ActionKind::Help;
    } else if (word_ == "quit" || word_ == "exit") {
        a.kind = ActionKind::Quit;
    } else if (word_ == "crash") {
        a.kind = ActionKind::Crash;
    } else if (word_ == "skip" && t_.size() >= 2 && !t_[1].startsQuoted &&
               lowerAscii(t_[1].text) == "to") {
        return expectLine(2, true);
    } else if (word_ == "skip") {
        count(0, 1, "skip [N]");
        a.kind = ActionKind::Skip;
        a.numbers = {t_.size() == 2 ? parseNumber(t_[1], 1, i32max, "line count") : -1};
    } else if (word_ == "drain") {
        count(0, 0, "drain");
        a.kind = ActionKind::Skip;
        a.numbers = {-1};
    } else if (word_ == "wait-for") {
        count(1, 2, "wait-for FILE [SECONDS]");
        a.kind = ActionKind::WaitForFile;
        a.name = t_[1].text;
        a.numbers = {t_.size() == 3 ? parseNumber(t_[2], 0, 3600, "seconds") : 30};
    } else if (word_ == "expect") {
        return expect();
    } else {
        throw ScriptError("unknown action \"" + t_[0].text + "\" (type help for the list)");
    }
    return a;
}

Action Parser::expectLine(std::size_t at, bool later) {
    std::string word = at < t_.size() ? lowerAscii(t_[at].text) : "";
    std::optional<LineKind> kind = lineKind(word);
    std::string form = later ? "skip to " : "expect ";
    if (!kind) {
        usage(form + "console|public|private NAME|arena [sound N] [contains] \"TEXT\"");
    }
    form += word + (kind == LineKind::Private ? " NAME" : "") +
            (kind == LineKind::Console ? "" : " [sound N]") + " [contains] \"TEXT\"";
    Action a;
    a.kind = ActionKind::ExpectLine;
    a.line.kind = *kind;
    a.line.later = later;
    ++at;
    if (kind == LineKind::Private) {
        if (at >= t_.size()) {
            usage(form);
        }
        a.line.target = playerName(t_[at]);
        ++at;
    }
    auto wordAt = [&](std::size_t i, std::string_view w) {
        return i < t_.size() && !t_[i].startsQuoted && lowerAscii(t_[i].text) == w;
    };
    if (kind != LineKind::Console && wordAt(at, "sound")) {
        if (at + 1 >= t_.size()) {
            usage(form);
        }
        a.line.sound = static_cast<std::uint32_t>(
            parseNumber(t_[at + 1], 0, std::numeric_limits<std::uint32_t>::max(), "sound"));
        at += 2;
    }
    if (wordAt(at, "contains")) {
        a.line.contains = true;
        ++at;
    }
    if (t_.size() != at + 1) {
        usage(form);
    }
    a.line.text = quoted(at, form);
    return a;
}

Action Parser::expect() {
    if (t_.size() < 2) {
        usage("expect console|public|private|arena|nothing more|ship|freq|position|antiwarp|"
              "bounty|points|prizes|gold|lock|timer|objects|file|players|jackpot ...");
    }
    std::string what = lowerAscii(t_[1].text);
    if (lineKind(what)) {
        return expectLine(1, false);
    }
    Action a;
    if (what == "nothing") {
        if (t_.size() != 3 || lowerAscii(t_[2].text) != "more") {
            usage("expect nothing more");
        }
        a.kind = ActionKind::ExpectNothingMore;
        return a;
    }
    a.kind = ActionKind::ExpectState;
    constexpr std::int64_t i32min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t i32max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t u32max = std::numeric_limits<std::uint32_t>::max();
    auto named = [&](std::size_t values, std::string_view form) {
        if (t_.size() != 3 + values) {
            usage(form);
        }
        a.name = playerName(t_[2]);
    };
    if (what == "ship") {
        named(1, "expect ship NAME 1..8|spectator");
        a.state = StateKind::Ship;
        a.numbers = {parseShip(t_[3])};
    } else if (what == "freq") {
        named(1, "expect freq NAME N");
        a.state = StateKind::Freq;
        a.numbers = {parseNumber(t_[3], 0, 65535, "freq")};
    } else if (what == "position") {
        named(2, "expect position NAME X Y");
        a.state = StateKind::Position;
        a.numbers = {parseNumber(t_[3], -65536, 65536, "x tile"),
                     parseNumber(t_[4], -65536, 65536, "y tile")};
    } else if (what == "antiwarp") {
        named(1, "expect antiwarp NAME on|off");
        a.state = StateKind::Antiwarp;
        a.numbers = {parseSwitch(t_[3], "antiwarp") ? 1 : 0};
    } else if (what == "bounty") {
        named(1, "expect bounty NAME N");
        a.state = StateKind::Bounty;
        a.numbers = {parseNumber(t_[3], 0, i32max, "bounty")};
    } else if (what == "points") {
        named(1, "expect points NAME N");
        a.state = StateKind::Points;
        a.numbers = {parseNumber(t_[3], i32min, i32max, "points")};
    } else if (what == "prizes") {
        if (t_.size() < 3) {
            usage("expect prizes NAME [N ...]");
        }
        a.name = playerName(t_[2]);
        a.state = StateKind::Prizes;
        for (std::size_t i = 3; i < t_.size(); ++i) {
            a.numbers.push_back(parseNumber(t_[i], -1000, 1000, "prize"));
        }
    } else if (what == "gold") {
        named(1, "expect gold NAME AMOUNT|none");
        a.state = StateKind::Gold;
        if (lowerAscii(t_[3].text) == "none") {
            a.absent = true;
        } else {
            std::int64_t amount = parseNumber(t_[3], i32min, u32max, "gold amount");
            a.numbers = {static_cast<std::int64_t>(static_cast<std::uint32_t>(amount))};
        }
    } else if (what == "lock") {
        count(2, 2, "expect lock on|off");
        a.state = StateKind::Lock;
        a.numbers = {parseSwitch(t_[2], "lock") ? 1 : 0};
    } else if (what == "timer") {
        count(2, 2, "expect timer MINUTES");
        a.state = StateKind::Timer;
        a.numbers = {parseNumber(t_[2], 0, i32max, "timer")};
    } else if (what == "objects") {
        a.state = StateKind::Objects;
        for (std::size_t i = 2; i < t_.size(); ++i) {
            a.numbers.push_back(parseNumber(t_[i], 0, u32max, "object"));
        }
    } else if (what == "file" && t_.size() == 5 && !t_[3].startsQuoted &&
               lowerAscii(t_[3].text) == "contains") {
        a.state = StateKind::FileContains;
        a.name = t_[2].text;
        a.text = quoted(4, "expect file NAME contains \"TEXT\"");
    } else if (what == "file") {
        count(3, 3, "expect file NAME \"CONTENTS\"|missing|contains \"TEXT\"");
        a.state = StateKind::File;
        a.name = t_[2].text;
        if (!t_[3].startsQuoted && lowerAscii(t_[3].text) == "missing") {
            a.absent = true;
        } else {
            a.text = quoted(3, "expect file NAME \"CONTENTS\"|missing");
        }
    } else if (what == "players") {
        count(2, 2, "expect players N");
        a.state = StateKind::Players;
        a.numbers = {parseNumber(t_[2], 0, 65535, "player count")};
    } else if (what == "jackpot") {
        count(2, 2, "expect jackpot N");
        a.state = StateKind::Jackpot;
        a.numbers = {parseNumber(t_[2], i32min, i32max, "jackpot")};
    } else {
        throw ScriptError("unknown expectation \"" + t_[1].text + "\" (type help for the list)");
    }
    return a;
}

} // namespace

std::optional<Action> parseLine(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first])) {
        ++first;
    }
    if (first == line.size() || line[first] == '#') {
        return std::nullopt;
    }
    std::vector<Token> tokens = tokenize(line);
    if (tokens.empty()) {
        return std::nullopt;
    }
    return Parser(line, std::move(tokens)).parse();
}

} // namespace quorvel::host
