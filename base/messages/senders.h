// The only way anything leaves the module: console lines for the host's
// operator, and chat lines for one player or the whole arena. Lines that
// begin with "*" or "?" are carried out by the zone.
//
// A chat line holds at most maxChatLine bytes: longer ones are cut there
// (a zone's chat packet is 255 bytes with its header and the text's NUL;
// 240 stays clear of it). Control bytes in a chat line go out as blanks,
// so no text a player typed can end a line and begin another. A console
// line blanks them too, and the C1 bytes 0x80-0x9F as well.
#pragma once

#include <quorvel/host_abi.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct Bot;

inline constexpr std::size_t maxChatLine = 240;

// With [Settings] LinesPerSecond, no second hands the zone more lines than
// that; the rest wait and go out on later ticks. Two kinds wait apart:
// - lines the zone carries out or the arena reads (public lines, and every
//   line beginning with "*" or "?", "*setship" to one player as much as
//   "*arena" or "?jackpot") are never dropped and keep their order; they
//   go out before any waiting answer, so a flood of answers never holds up
//   a warp, a ship change or the jackpot;
// - private answers wait by recipient and go out a line to each in turn,
//   so one player's flood does not hold up another's answer. One player's
//   answers wait at most `answerSeconds` of the budget: past that the
//   newest are dropped, he is told once and so is the console, until his
//   answers have all gone out.
struct OutgoingLine {
    ChatType type = Public;
    Word sound = 0;
    Word target = 0;
    std::string text;
};
struct OutgoingLines {
    static constexpr std::int32_t answerSeconds = 10;
    static constexpr std::int32_t zoneSeconds = 10; // the console is told past this
    struct Answers {
        std::deque<OutgoingLine> lines;
        bool dropped = false; // he has been told; until all have gone out
    };
    std::deque<OutgoingLine> zone;
    std::map<Word, Answers> answers; // by recipient
    std::deque<Word> turns;          // recipients with answers waiting, next first
    std::size_t sentThisSecond = 0;
    bool toldZoneSlow = false;
};

void sendPrivate(Bot& bot, const PlayerRecord& player, std::string_view text);
void sendPublic(Bot& bot, std::string_view text);
void sendPublicSound(Bot& bot, Word sound, std::string_view text);
void sendConsole(Bot& bot, std::string_view text);
// Each line in order: what a reader or a load found wrong.
void sendConsoleLines(Bot& bot, const std::vector<std::string>& lines);
// The tick: a new second's budget, and the lines waiting from before.
void sendQueuedLines(Bot& bot);
// Waiting lines that can no longer reach anyone: a leaving player's private
// lines (his ident may be another player's by the time they would go), and
// every line when the bot leaves the arena.
void dropQueuedLinesTo(Bot& bot, const PlayerRecord& leaving);
void dropQueuedLines(Bot& bot);
// How many private answers to this player wait for the line budget.
std::size_t answersWaitingFor(const Bot& bot, const PlayerRecord& player);
// How many lines wait, all kinds together.
std::size_t linesWaiting(const Bot& bot);

} // namespace quorvel
