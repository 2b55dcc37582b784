#include "base/messages/senders.h"

#include "base/bot/bot.h"

#include <string>

namespace quorvel {
namespace {

// Records go to the host at once; before the handshake has given a callback
// they are dropped. Handle 0 is a bot like any other: a host may count its
// bots from 0.
void handToHost(Bot& bot, BotEvent& record) {
    if (bot.hostCallback == nullptr) {
        return;
    }
    record.handle = bot.handle;
    bot.hostCallback(record);
}

// How many of the bot's own arena messages are remembered.
constexpr std::size_t ownArenaTextsKept = 16;
constexpr std::string_view arenaCommand = "*arena ";

void handLine(Bot& bot, const OutgoingLine& line) {
    if (line.type == Public && line.text.starts_with(arenaCommand)) {
        while (!bot.arenaQuery && bot.ownArenaTexts.size() >= ownArenaTextsKept) {
            bot.ownArenaTexts.pop_front();
        }
        bot.ownArenaTexts.emplace_back(line.text.substr(arenaCommand.size()));
    }
    if (bot.arenaQuery && line.type == Public && line.text == bot.arenaQuery->text) {
        bot.arenaQuery->handed = true;
    }
    BotEvent record{};
    record.code = Say;
    record.value[0] = line.type;
    record.value[1] = line.sound;
    record.value[2] = line.target;
    record.value[3] = reinterpret_cast<Word>(line.text.c_str());
    handToHost(bot, record);
}

void sendWaitingLines(Bot& bot, std::size_t count) {
    OutgoingLines& out = bot.outgoing;
    while (count-- > 0 && !out.waiting.empty()) {
        const OutgoingLine line = std::move(out.waiting.front());
        out.waiting.pop_front();
        ++out.sentThisSecond;
        handLine(bot, line);
    }
}

namespace {

// Control bytes become blanks, so no text can move a cursor or rewrite a
// line; with `c1`, also the bytes 0x80-0x9F a terminal may read as controls.
void blankControlBytes(std::string& text, bool c1) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || (c1 && byte >= 0x80 && byte <= 0x9F)) {
            c = ' ';
        }
    }
}

} // namespace

void say(Bot& bot, ChatType type, Word sound, Word target, std::string_view text) {
    OutgoingLine line{type, sound, target, std::string(text.substr(0, maxChatLine))};
    blankControlBytes(line.text, false);
    const std::int32_t perSecond = bot.linesPerSecond;
    OutgoingLines& out = bot.outgoing;
    if (perSecond <= 0 || bot.hostCallback == nullptr) {
        handLine(bot, line);
        return;
    }
    if (out.waiting.empty() && out.sentThisSecond < static_cast<std::size_t>(perSecond)) {
        ++out.sentThisSecond;
        handLine(bot, line);
        return;
    }
    out.waiting.push_back(std::move(line));
    if (out.waiting.size() >= OutgoingLines::mostWaiting) {
        // Nothing is dropped and nothing overtaken: at the bound everything
        // waiting goes out at once, past the budget.
        if (!out.toldFull) {
            out.toldFull = true;
            sendConsole(bot, "More than " + std::to_string(OutgoingLines::mostWaiting - 1) +
                                 " lines waited to be sent: all of them went out at once.");
        }
        sendWaitingLines(bot, out.waiting.size());
    }
}

} // namespace

void sendPrivate(Bot& bot, const PlayerRecord& player, std::string_view text) {
    say(bot, Private, 0, player.ident, text);
}

void sendPublic(Bot& bot, std::string_view text) {
    say(bot, Public, 0, 0, text);
}

void sendPublicSound(Bot& bot, Word sound, std::string_view text) {
    say(bot, Public, sound, 0, text);
}

void sendQueuedLines(Bot& bot) {
    OutgoingLines& out = bot.outgoing;
    out.sentThisSecond = 0;
    if (out.waiting.empty()) {
        out.toldFull = false; // a flood is over when a second starts with none waiting
        return;
    }
    const std::int32_t perSecond = bot.linesPerSecond;
    sendWaitingLines(bot,
                     perSecond <= 0 ? out.waiting.size() : static_cast<std::size_t>(perSecond));
}

void dropQueuedLinesTo(Bot& bot, const PlayerRecord& leaving) {
    std::erase_if(bot.outgoing.waiting, [&leaving](const OutgoingLine& line) {
        return line.type == Private && line.target == leaving.ident;
    });
}

void dropQueuedLines(Bot& bot) {
    bot.outgoing.waiting.clear();
}

void sendConsole(Bot& bot, std::string_view text) {
    // Control bytes go out as blanks, as in chat lines, and so do the C1
    // bytes a terminal may also read as controls: no name or typed text
    // can move the operator's cursor or rewrite a line already shown.
    std::string line(text);
    blankControlBytes(line, true);
    BotEvent record{};
    record.code = Echo;
    record.value[0] = reinterpret_cast<Word>(line.c_str());
    handToHost(bot, record);
}

} // namespace quorvel
