// The table of actions and the routines that parse them.
#include "lib/script_actions.h"

#include "quorvel/host_abi.h"

#include <array>
#include <limits>

namespace quorvel::host {

namespace {

constexpr std::int64_t u32max = std::numeric_limits<std::uint32_t>::max();
constexpr std::int64_t i32min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t i32max = std::numeric_limits<std::int32_t>::max();

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

// The module and the bot.

void handshake(const ActionLine& in, Action& a) {
    in.count(0, 1);
    Word version = hostVersion(6, 1);
    if (in.size() == 2) {
        const std::string& v = in[1].text;
        auto dot = v.find('.');
        if (dot == std::string::npos) {
            version = static_cast<Word>(parseNumber(in[1], 0, u32max, "version"));
        } else {
            Token major{v.substr(0, dot), false, false, 0};
            Token minor{v.substr(dot + 1), false, false, 0};
            version = hostVersion(static_cast<Word>(parseNumber(major, 0, 65535, "major version")),
                                  static_cast<Word>(parseNumber(minor, 0, 65535, "minor version")));
        }
    }
    a.numbers = {static_cast<std::int64_t>(version)};
}

void noArguments(const ActionLine& in, Action&) {
    in.count(0, 0);
}

// Whatever follows is ignored.
void anyArguments(const ActionLine&, Action&) {}

void handle(const ActionLine& in, Action& a) {
    in.count(1, 2);
    a.numbers = {parseNumber(in[1], 0, u32max, "handle")};
    if (in.size() == 3) {
        a.name = in[2].text;
        if (a.name.empty()) {
            throw ScriptError("an arena name is not empty");
        }
    }
}

void events(const ActionLine& in, Action& a) {
    in.count(1, 1);
    const std::string mode = in.word(1);
    if (mode != "all" && mode != "current") {
        in.usage();
    }
    a.numbers = {mode == "all" ? 1 : 0};
}

void raw(const ActionLine& in, Action& a) {
    in.count(1, 7);
    a.numbers.push_back(parseNumber(in[1], 0, u32max, "event code"));
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
    for (std::size_t i = 2; i < in.size(); ++i) {
        a.numbers.push_back(parseNumber(in[i], std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max(), "value"));
    }
}

void join(const ActionLine& in, Action& a) {
    std::size_t from = 1;
    if (in.size() >= 2 && !isField(in[1])) {
        a.name = playerName(in[1]);
        from = 2;
    }
    in.fields(from, a.fields);
}

// Players.

// The player the second word names, with at least `least` words after the
// first.
void namedPlayer(const ActionLine& in, Action& a, std::size_t least) {
    if (in.size() < least + 1) {
        in.usage();
    }
    a.name = playerName(in[1]);
}

void enter(const ActionLine& in, Action& a) {
    namedPlayer(in, a, 1);
    in.fields(2, a.fields);
}

void set(const ActionLine& in, Action& a) {
    namedPlayer(in, a, 2);
    in.fields(2, a.fields);
}

void move(const ActionLine& in, Action& a) {
    namedPlayer(in, a, 3);
    a.fields.tileX = static_cast<std::int32_t>(parseNumber(in[2], -65536, 65536, "x tile"));
    a.fields.tileY = static_cast<std::int32_t>(parseNumber(in[3], -65536, 65536, "y tile"));
    in.fields(4, a.fields);
}

void onePlayer(const ActionLine& in, Action& a) {
    in.count(1, 1);
    a.name = playerName(in[1]);
}

void ship(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.name = playerName(in[1]);
    a.fields.ship = parseShip(in[2]);
}

void freq(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.name = playerName(in[1]);
    a.fields.freq = static_cast<std::uint16_t>(parseNumber(in[2], 0, 65535, "freq"));
}

void kill(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.name = playerName(in[1]);
    a.other = playerName(in[2]);
}

// NAME !command ...: a player types at the bot.
void typedCommand(const ActionLine& in, Action& a) {
    a.name = playerName(in[0]);
    a.text = in.rest(1);
}

void type(const ActionLine& in, Action& a) {
    namedPlayer(in, a, 2);
    a.text = in.rest(2);
    if (!a.text.starts_with('!')) {
        throw ScriptError("a typed command begins with \"!\"");
    }
}

// The zone and the arena.

void tick(const ActionLine& in, Action& a) {
    in.count(0, 1);
    a.numbers = {in.size() == 2 ? parseNumber(in[1], 1, 100000000, "tick count") : 1};
}

void arenaMessage(const ActionLine& in, Action& a) {
    in.count(1, 1);
    a.numbers = {ArenaMessage};
    a.text = in.quoted(1);
}

void chat(const ActionLine& in, Action& a) {
    in.count(2, 2);
    std::string type = in.word(1);
    if (type == "arena") {
        a.numbers = {ArenaMessage};
    } else if (type == "public") {
        a.numbers = {Public};
    } else if (type == "private") {
        a.numbers = {Private};
    } else {
        a.numbers = {parseNumber(in[1], 0, u32max, "chat type")};
    }
    a.text = in.quoted(2);
}

void team(const ActionLine& in, Action& a) {
    in.count(1, 1);
    a.numbers = {parseNumber(in[1], 0, u32max, "freq")};
}

void flag(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.numbers = {parseNumber(in[1], 0, 65535, "x tile"), parseNumber(in[2], 0, 65535, "y tile")};
}

void clearFlags(const ActionLine& in, Action&) {
    in.count(1, 1);
    if (in.word(1) != "clear" && in.word(1) != "none") {
        in.usage();
    }
}

void jackpot(const ActionLine& in, Action& a) {
    in.count(1, 1);
    if (in[1].startsQuoted) {
        a.text = in[1].text; // the answer as the zone words it
    } else {
        a.numbers = {parseNumber(in[1], i32min, i32max, "jackpot")};
    }
}

// The working directory and the host process.

void writeFile(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.name = in[1].text;
    a.text = in.quoted(2);
}

void removeFile(const ActionLine& in, Action& a) {
    in.count(1, 1);
    a.name = in[1].text;
}

void gold(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.name = playerName(in[1]);
    a.numbers = {parseNumber(in[2], i32min, u32max, "gold amount")};
}

void environment(const ActionLine& in, Action& a) {
    in.count(1, 2);
    a.name = in[1].text;
    if (a.name.empty() || a.name.find('=') != std::string::npos) {
        throw ScriptError("bad environment variable name " + quoteText(a.name));
    }
    a.absent = in.size() == 2;
    a.text = a.absent ? "" : in[2].text;
}

void waitFor(const ActionLine& in, Action& a) {
    in.count(1, 2);
    a.name = in[1].text;
    a.numbers = {in.size() == 3 ? parseNumber(in[2], 0, 3600, "seconds") : 30};
}

void note(const ActionLine& in, Action& a) {
    if (in.size() < 2) {
        in.usage();
    }
    a.text = in.rest(1);
}

void show(const ActionLine& in, Action& a) {
    in.count(0, 1);
    if (in.size() == 2) {
        a.name = in[1].text;
    }
}

// Expectations of lines.

// The line expectation whose kind word is at `at`: "expect console ..." at
// 1, "skip to console ..." at 2, which takes the first line that matches.
void lineExpectation(const ActionLine& in, Action& a, std::size_t at, bool later) {
    std::string word = in.word(at);
    std::optional<LineKind> kind = lineKind(word);
    std::string form = later ? "skip to " : "expect ";
    if (!kind) {
        ActionLine::usage(form + "console|public|private NAME|arena [sound N] [contains] \"TEXT\"");
    }
    form += word + " " + std::string(actionNamed("expect " + word)->arguments);
    a.line.kind = *kind;
    a.line.later = later;
    ++at;
    if (kind == LineKind::Private) {
        if (at >= in.size()) {
            ActionLine::usage(form);
        }
        a.line.target = playerName(in[at]);
        ++at;
    }
    auto wordAt = [&](std::size_t i, std::string_view w) {
        return i < in.size() && !in[i].startsQuoted && in.word(i) == w;
    };
    if (kind != LineKind::Console && wordAt(at, "sound")) {
        if (at + 1 >= in.size()) {
            ActionLine::usage(form);
        }
        a.line.sound = static_cast<std::uint32_t>(parseNumber(in[at + 1], 0, u32max, "sound"));
        at += 2;
    }
    if (wordAt(at, "contains")) {
        a.line.contains = true;
        ++at;
    }
    if (in.size() != at + 1) {
        ActionLine::usage(form);
    }
    a.line.text = in.quoted(at, form);
}

void expectLine(const ActionLine& in, Action& a) {
    lineExpectation(in, a, 1, false);
}

void skipTo(const ActionLine& in, Action& a) {
    lineExpectation(in, a, 2, true);
}

void expectNothingMore(const ActionLine& in, Action&) {
    if (in.size() != 3 || in.word(2) != "more") {
        in.usage();
    }
}

void skip(const ActionLine& in, Action& a) {
    in.count(0, 1);
    a.numbers = {in.size() == 2 ? parseNumber(in[1], 1, i32max, "line count") : -1};
}

void drain(const ActionLine& in, Action& a) {
    in.count(0, 0);
    a.numbers = {-1};
}

// State checks: "expect WHAT ...", the values from the third word on.

// A check of one player's record: the name and `values` words after it.
void playerCheck(const ActionLine& in, Action& a, StateKind state, std::size_t values) {
    if (in.size() != 3 + values) {
        in.usage();
    }
    a.name = playerName(in[2]);
    a.state = state;
}

void expectShip(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Ship, 1);
    a.numbers = {parseShip(in[3])};
}

void expectFreq(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Freq, 1);
    a.numbers = {parseNumber(in[3], 0, 65535, "freq")};
}

void expectPosition(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Position, 2);
    a.numbers = {parseNumber(in[3], -65536, 65536, "x tile"),
                 parseNumber(in[4], -65536, 65536, "y tile")};
}

void expectAntiwarp(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Antiwarp, 1);
    a.numbers = {parseSwitch(in[3], "antiwarp") ? 1 : 0};
}

void expectBounty(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Bounty, 1);
    a.numbers = {parseNumber(in[3], 0, i32max, "bounty")};
}

void expectPoints(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Points, 1);
    a.numbers = {parseNumber(in[3], i32min, i32max, "points")};
}

void expectPrizes(const ActionLine& in, Action& a) {
    if (in.size() < 3) {
        in.usage();
    }
    a.name = playerName(in[2]);
    a.state = StateKind::Prizes;
    for (std::size_t i = 3; i < in.size(); ++i) {
        a.numbers.push_back(parseNumber(in[i], -1000, 1000, "prize"));
    }
}

void expectGold(const ActionLine& in, Action& a) {
    playerCheck(in, a, StateKind::Gold, 1);
    if (in.word(3) == "none") {
        a.absent = true;
    } else {
        std::int64_t amount = parseNumber(in[3], i32min, u32max, "gold amount");
        a.numbers = {static_cast<std::int64_t>(static_cast<std::uint32_t>(amount))};
    }
}

void expectLock(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.state = StateKind::Lock;
    a.numbers = {parseSwitch(in[2], "lock") ? 1 : 0};
}

void expectTimer(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.state = StateKind::Timer;
    a.numbers = {parseNumber(in[2], 0, i32max, "timer")};
}

void expectObjects(const ActionLine& in, Action& a) {
    a.state = StateKind::Objects;
    for (std::size_t i = 2; i < in.size(); ++i) {
        a.numbers.push_back(parseNumber(in[i], 0, u32max, "object"));
    }
}

// expect file NAME "CONTENTS"|missing, and the form of the row after it,
// expect file NAME contains "TEXT".
void expectFile(const ActionLine& in, Action& a) {
    if (in.size() == 5 && !in[3].startsQuoted && in.word(3) == "contains") {
        a.state = StateKind::FileContains;
        a.name = in[2].text;
        a.text = in.quoted(4, actionForm((&in.row())[1]));
        return;
    }
    if (in.size() != 4) {
        ActionLine::usage(actionForm(in.row()) + "|contains \"TEXT\"");
    }
    a.state = StateKind::File;
    a.name = in[2].text;
    if (!in[3].startsQuoted && in.word(3) == "missing") {
        a.absent = true;
    } else {
        a.text = in.quoted(3);
    }
}

void expectPlayers(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.state = StateKind::Players;
    a.numbers = {parseNumber(in[2], 0, 65535, "player count")};
}

void expectJackpot(const ActionLine& in, Action& a) {
    in.count(2, 2);
    a.state = StateKind::Jackpot;
    a.numbers = {parseNumber(in[2], i32min, i32max, "jackpot")};
}

using enum HelpPlace;
using K = ActionKind;

// In the order of the help list.
constexpr ActionRow rows[] = {
    {.section = "Module and bot:",
     .name = "handshake",
     .alias = "version",
     .arguments = "[MAJOR.MINOR | NUMBER]",
     .listed = "[6.1]",
     .help = "send the handshake (version MAJOR.MINOR or a number)",
     .kind = K::Handshake,
     .parse = handshake},
    {.name = "terminate", .help = "send Terminate", .kind = K::Terminate, .parse = noArguments},
    {.name = "handle",
     .arguments = "N [ARENA]",
     .help = "send the following events for bot handle N (default 1);\n"
             "a new bot is in ARENA, or in the default arena",
     .kind = K::Handle,
     .parse = handle},
    {.name = "events",
     .arguments = "all|current",
     .help = "the arena's events go to every bot in it that had its\n"
             "handshake (all), or to the current bot only (current)",
     .kind = K::Events,
     .parse = events},
    {.name = "join",
     .arguments = "[NAME] [field=value ...]",
     .listed = "[NAME] [field=value..]",
     .help = "the bot enters the arena (ArenaJoined); default name Quorvel",
     .kind = K::Join,
     .parse = join},
    {.name = "part",
     .help = "the bot leaves the arena (ArenaLeft)",
     .kind = K::Part,
     .parse = noArguments},
    {.name = "raw",
     .arguments = "CODE [V0 .. V5]",
     .help = "any event code with integer values",
     .kind = K::Raw,
     .parse = raw},
    {.name = "event29",
     .alias = "prizerefresh",
     .help = "event 29 (the prize refresh)",
     .kind = K::PrizeRefresh,
     .parse = noArguments},

    {.section = "Players (NAME may be quoted: \"Dr Who\"; ships count 1 Warbird to 8 Shark):",
     .name = "enter",
     .arguments = "NAME [field=value ...]",
     .listed = "NAME [field=value..]",
     .help = "a player enters; fields: ident squad freq ship access\n"
             "x y (tiles) px py (pixels) flags antiwarp safe points\n"
             "wins losses bounty",
     .kind = K::Enter,
     .parse = enter},
    {.name = "leave",
     .arguments = "NAME",
     .help = "a player leaves",
     .kind = K::Leave,
     .parse = onePlayer},
    {.name = "set",
     .arguments = "NAME field=value ...",
     .listed = "NAME field=value ..",
     .help = "change a record without an event",
     .kind = K::Set,
     .parse = set},
    {.name = "move",
     .arguments = "NAME X Y [field=value ...]",
     .listed = "NAME X Y [field=value]",
     .help = "the player is reported at tile X Y",
     .kind = K::Move,
     .parse = move},
    {.name = "ship",
     .arguments = "NAME 1..8|spectator",
     .help = "the player changes ship (from spectator mode only while\n"
             "the arena is unlocked)",
     .kind = K::Ship,
     .parse = ship},
    {.name = "freq",
     .arguments = "NAME N",
     .help = "the player changes freq",
     .kind = K::Freq,
     .parse = freq},
    {.name = "spectate",
     .alias = "spec",
     .arguments = "NAME",
     .help = "the player goes into spectator mode",
     .kind = K::Spectate,
     .parse = onePlayer},
    {.name = "kill",
     .arguments = "KILLER KILLED",
     .help = "KILLER kills KILLED",
     .kind = K::Kill,
     .parse = kill},
    {.arguments = "NAME !command text",
     .help = "the player types a command (!help TOPIC asks for help)",
     .kind = K::Type,
     .parse = typedCommand},
    {.name = "type",
     .arguments = "NAME TEXT",
     .listed = "NAME \"!command text \"",
     .help = "the same, with the exact text in quotes",
     .kind = K::Type,
     .parse = type},

    {.section = "Zone:",
     .name = "tick",
     .arguments = "[N]",
     .help = "N ticks of one second (default 1)",
     .kind = K::Tick,
     .parse = tick},
    {.name = "arena",
     .arguments = "\"TEXT\"",
     .help = "an arena message arrives (chat type 0)",
     .kind = K::Chat,
     .parse = arenaMessage},
    {.name = "chat",
     .arguments = "arena|public|private|N \"TEXT\"",
     .help = "a chat message of any type arrives",
     .kind = K::Chat,
     .parse = chat},
    {.name = "flagwin",
     .arguments = "FREQ",
     .help = "FREQ wins the flag game",
     .kind = K::FlagWin,
     .parse = team},
    {.name = "goal",
     .arguments = "FREQ",
     .help = "FREQ scores a goal",
     .kind = K::Goal,
     .parse = team},
    {.name = "flag",
     .arguments = "X Y",
     .help = "put a flag on the map at tile X Y",
     .kind = K::Flag,
     .parse = flag},
    {.name = "flags",
     .arguments = "clear",
     .help = "remove all flags",
     .place = Or,
     .kind = K::ClearFlags,
     .parse = clearFlags},
    {.name = "jackpot",
     .arguments = "N|\"TEXT\"",
     .help = "the jackpot the zone answers to ?jackpot",
     .kind = K::Jackpot,
     .parse = jackpot},

    {.section = "Working directory:",
     .name = "file",
     .arguments = "NAME \"CONTENTS\"",
     .help = "write a file (\\n for line ends)",
     .kind = K::WriteFile,
     .parse = writeFile},
    {.name = "remove",
     .arguments = "NAME",
     .help = "delete a file",
     .kind = K::RemoveFile,
     .parse = removeFile},
    {.name = "gold",
     .arguments = "NAME AMOUNT",
     .help = "set NAME's record in gold.dat (appended when missing)",
     .kind = K::SetGold,
     .parse = gold},
    {.name = "env",
     .arguments = "NAME [VALUE]",
     .help = "set (or without a value remove) an environment variable\n"
             "of the host process, e.g. env QUORVEL_RANDOM_SEED 9",
     .kind = K::Environment,
     .parse = environment},
    {.name = "wait-for",
     .arguments = "FILE [SECONDS]",
     .listed = "NAME [SECONDS]",
     .help = "wait until the file is there (another process writes it);\n"
             "fails after SECONDS (default 30)",
     .kind = K::WaitForFile,
     .parse = waitFor},

    {.section = "Expectations (lines the current bot sent, oldest first since the last check;\n"
                "contains: TEXT is a part of the line):",
     .name = "expect console",
     .arguments = "[contains] \"TEXT\"",
     .kind = K::ExpectLine,
     .parse = expectLine},
    {.name = "expect public",
     .arguments = "[sound N] [contains] \"TEXT\"",
     .kind = K::ExpectLine,
     .parse = expectLine},
    {.name = "expect private",
     .arguments = "NAME [sound N] [contains] \"TEXT\"",
     .kind = K::ExpectLine,
     .parse = expectLine},
    {.name = "expect arena",
     .arguments = "[sound N] [contains] \"TEXT\"",
     .kind = K::ExpectLine,
     .parse = expectLine},
    {.name = "expect nothing more",
     .help = "no unchecked line is left",
     .kind = K::ExpectNothingMore,
     .parse = expectNothingMore},
    {.name = "skip",
     .arguments = "[N]",
     .help = "pass over N unchecked lines",
     .kind = K::Skip,
     .parse = skip},
    {.name = "drain", .help = "all of them", .place = Or, .kind = K::Skip, .parse = drain},
    {.name = "skip to",
     .arguments = "LINE",
     .listed = "console|public|...",
     .help = "pass over lines up to the first one that matches",
     .kind = K::ExpectLine,
     .parse = skipTo},

    {.section = "State checks:",
     .name = "expect ship",
     .arguments = "NAME 1..8|spectator",
     .kind = K::ExpectState,
     .parse = expectShip},
    {.name = "expect freq",
     .arguments = "NAME N",
     .place = Beside,
     .kind = K::ExpectState,
     .parse = expectFreq},
    {.name = "expect position",
     .arguments = "NAME X Y",
     .place = Beside,
     .kind = K::ExpectState,
     .parse = expectPosition},
    {.name = "expect antiwarp",
     .arguments = "NAME on|off",
     .kind = K::ExpectState,
     .parse = expectAntiwarp},
    {.name = "expect bounty",
     .arguments = "NAME N",
     .place = Beside,
     .kind = K::ExpectState,
     .parse = expectBounty},
    {.name = "expect points",
     .arguments = "NAME N",
     .place = Beside,
     .kind = K::ExpectState,
     .parse = expectPoints},
    {.name = "expect prizes",
     .arguments = "NAME [N ...]",
     .listed = "NAME [N ..]",
     .kind = K::ExpectState,
     .parse = expectPrizes},
    {.name = "expect gold",
     .arguments = "NAME AMOUNT|none",
     .help = "(read from gold.dat)",
     .place = Column,
     .kind = K::ExpectState,
     .parse = expectGold},
    {.name = "expect lock", .arguments = "on|off", .kind = K::ExpectState, .parse = expectLock},
    {.name = "expect timer",
     .arguments = "MINUTES",
     .place = Column,
     .kind = K::ExpectState,
     .parse = expectTimer},
    {.name = "expect objects",
     .arguments = "[N ...]",
     .listed = "[N ..]",
     .place = Beside,
     .kind = K::ExpectState,
     .parse = expectObjects},
    {.name = "expect file",
     .arguments = "NAME \"CONTENTS\"|missing",
     .kind = K::ExpectState,
     .parse = expectFile},
    {.name = "expect file", .arguments = "NAME contains \"TEXT\"", .place = Beside},
    {.name = "expect players", .arguments = "N", .kind = K::ExpectState, .parse = expectPlayers},
    {.name = "expect jackpot",
     .arguments = "N",
     .place = Beside,
     .kind = K::ExpectState,
     .parse = expectJackpot},

    {.section = "Other:",
     .name = "note",
     .arguments = "TEXT",
     .help = "print TEXT in the transcript",
     .kind = K::Note,
     .parse = note},
    {.name = "show",
     .arguments = "[NAME]",
     .help = "print the arena or one player",
     .kind = K::Show,
     .parse = show},
    {.name = "help", .help = "this list", .kind = K::Help, .parse = anyArguments},
    {.name = "quit",
     .alias = "exit",
     .help = "end the session",
     .kind = K::Quit,
     .parse = anyArguments},
    {.name = "crash",
     .help = "the host dies on the spot: no Terminate, exit status 0",
     .kind = K::Crash,
     .parse = anyArguments},
};

} // namespace

std::span<const ActionRow> actionRows() {
    return rows;
}

const ActionRow* actionNamed(std::string_view name) {
    for (const ActionRow& row : rows) {
        if (row.parse != nullptr && !row.name.empty() && (row.name == name || row.alias == name)) {
            return &row;
        }
    }
    return nullptr;
}

std::string actionForm(const ActionRow& row) {
    if (row.name.empty() || row.arguments.empty()) {
        return std::string(row.name.empty() ? row.arguments : row.name);
    }
    return std::string(row.name) + " " + std::string(row.arguments);
}

} // namespace quorvel::host
