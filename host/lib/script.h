// The session language: one action a line, for scenario files and for the
// prompt. parseLine turns a line into an Action or throws ScriptError with a
// message that names the fault; the caller adds the file and line.
#ifndef QUORVEL_HOST_SCRIPT_H
#define QUORVEL_HOST_SCRIPT_H

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::host {

class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ActionKind {
    Handshake,
    Terminate,
    Handle,
    Events,
    Raw,
    PrizeRefresh,
    Join,
    Part,
    Enter,
    Leave,
    Set,
    Move,
    Ship,
    Freq,
    Spectate,
    Kill,
    Type,
    Chat,
    Tick,
    FlagWin,
    Goal,
    Flag,
    ClearFlags,
    Jackpot,
    WriteFile,
    RemoveFile,
    SetGold,
    Environment,
    Note,
    Show,
    Help,
    Quit,
    Crash,
    ExpectLine,
    ExpectNothingMore,
    Skip,
    ExpectState,
    WaitForFile,
};

// Record fields a scenario may give a player; unset ones keep their value.
struct PlayerFields {
    std::optional<std::uint16_t> ident;
    std::optional<std::string> squad;
    std::optional<std::uint16_t> freq;
    std::optional<std::uint8_t> ship; // 0..7, 8 = spectator
    std::optional<std::uint32_t> access;
    std::optional<std::int32_t> tileX, tileY, pixelX, pixelY;
    std::optional<std::uint16_t> flags;
    std::optional<bool> antiwarp, safe;
    std::optional<std::int32_t> points;
    std::optional<std::uint16_t> wins, losses;
    std::optional<std::int32_t> bounty;
};

// A line the module must have sent.
enum class LineKind { Console, Public, Private, Arena };
struct LineExpectation {
    LineKind kind = LineKind::Console;
    std::string target; // player name, for private lines
    std::uint32_t sound = 0;
    std::string text;
    bool contains = false; // the text is a part of the line's text, not all of it
    bool later = false;    // "skip to": the first matching line among the unchecked ones
};

enum class StateKind {
    Ship,
    Freq,
    Position,
    Antiwarp,
    Bounty,
    Points,
    Prizes,
    Gold,
    Lock,
    Timer,
    Objects,
    File,
    FileContains,
    Players,
    Jackpot,
};

struct Action {
    ActionKind kind = ActionKind::Note;
    std::string name;  // player, bot, arena or file name
    std::string other; // the second player of a kill
    std::string text;  // typed line, chat text, file contents, note
    std::vector<std::int64_t> numbers;
    bool absent = false; // "none" / "missing" in a check
    PlayerFields fields;
    LineExpectation line;
    StateKind state = StateKind::Ship;
};

// Parses one line; nothing for a blank line or a comment ('#' as the first
// character that is not a blank).
std::optional<Action> parseLine(std::string_view line);

// The help list: every action with its help, made from the table of
// actions (lib/script_actions.h).
const std::vector<std::string>& actionSummaries();

// Ship numbers as the language writes them: 1..8, and "spectator" for a
// record ship of 8.
std::string shipText(std::uint8_t recordShip);
// Operator level names Player..God; other values as numbers.
std::string accessText(std::uint32_t level);

} // namespace quorvel::host

#endif
