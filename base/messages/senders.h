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
#include <deque>
#include <string>
#include <string_view>

namespace quorvel {

struct Bot;

inline constexpr std::size_t maxChatLine = 240;

// With [Settings] LinesPerSecond, chat lines beyond that many in a second
// wait here and go out on later ticks, oldest first: none dropped, none
// overtaken, so zone commands keep their order. At mostWaiting lines the
// whole queue goes out at once and the console is told, once until it has
// drained.
struct OutgoingLine {
    ChatType type = Public;
    Word sound = 0;
    Word target = 0;
    std::string text;
};
struct OutgoingLines {
    static constexpr std::size_t mostWaiting = 1000;
    std::deque<OutgoingLine> waiting;
    std::size_t sentThisSecond = 0;
    bool toldFull = false;
};

void sendPrivate(Bot& bot, const PlayerRecord& player, std::string_view text);
void sendPublic(Bot& bot, std::string_view text);
void sendPublicSound(Bot& bot, Word sound, std::string_view text);
void sendConsole(Bot& bot, std::string_view text);
// The tick: a new second's budget, and the lines waiting from before.
void sendQueuedLines(Bot& bot);
// Waiting lines that can no longer reach anyone: a leaving player's private
// lines (his ident may be another player's by the time they would go), and
// every line when the bot leaves the arena.
void dropQueuedLinesTo(Bot& bot, const PlayerRecord& leaving);
void dropQueuedLines(Bot& bot);

} // namespace quorvel
