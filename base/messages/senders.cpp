#include "base/messages/senders.h"

#include "base/bot/bot.h"
#include "base/players/player_views.h"

#include <algorithm>
#include <limits>
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

// A line that may be dropped when too many wait: a private answer. Public
// lines and anything the zone carries out are the game itself.
bool isAnswer(const OutgoingLine& line) {
    return line.type == Private && !line.text.starts_with('*') && !line.text.starts_with('?');
}

// Lines a second may hand out; no bound without LinesPerSecond.
std::size_t budgetOf(const Bot& bot) {
    return bot.linesPerSecond > 0 ? static_cast<std::size_t>(bot.linesPerSecond)
                                  : std::numeric_limits<std::size_t>::max();
}

// Hands waiting lines to the host while this second's budget lasts: lines
// for the zone first, in order, then answers, a line to each recipient in
// turn.
void sendWaitingLines(Bot& bot) {
    OutgoingLines& out = bot.outgoing;
    while (out.sentThisSecond < budgetOf(bot)) {
        OutgoingLine line;
        if (!out.zone.empty()) {
            line = std::move(out.zone.front());
            out.zone.pop_front();
        } else if (!out.turns.empty()) {
            const Word to = out.turns.front();
            out.turns.pop_front();
            auto answers = out.answers.find(to);
            line = std::move(answers->second.lines.front());
            answers->second.lines.pop_front();
            if (answers->second.lines.empty()) {
                out.answers.erase(answers);
            } else {
                out.turns.push_back(to);
            }
        } else {
            return;
        }
        ++out.sentThisSecond;
        handLine(bot, line);
    }
}

void waitForZone(Bot& bot, OutgoingLine line) {
    OutgoingLines& out = bot.outgoing;
    out.zone.push_back(std::move(line));
    if (!out.toldZoneSlow &&
        out.zone.size() > static_cast<std::size_t>(bot.linesPerSecond) *
                              static_cast<std::size_t>(OutgoingLines::zoneSeconds)) {
        out.toldZoneSlow = true;
        sendConsole(bot, "Lines for the arena and the zone wait more than " +
                             std::to_string(OutgoingLines::zoneSeconds) +
                             " seconds to go out: none is dropped.");
    }
}

void waitAsAnswer(Bot& bot, OutgoingLine line, const PlayerRecord* to) {
    OutgoingLines& out = bot.outgoing;
    const std::size_t most = static_cast<std::size_t>(bot.linesPerSecond) *
                             static_cast<std::size_t>(OutgoingLines::answerSeconds);
    auto [entry, isNew] = out.answers.try_emplace(line.target);
    OutgoingLines::Answers& answers = entry->second;
    if (isNew) {
        out.turns.push_back(line.target);
    }
    if (answers.lines.size() < most) {
        answers.lines.push_back(std::move(line));
        return;
    }
    if (answers.dropped) {
        return;
    }
    // The notice goes past the bound, once: he learns why answers are missing.
    answers.dropped = true;
    answers.lines.push_back({Private, 0, line.target,
                             "Too many answers are waiting for you: I dropped the newest. Ask "
                             "again in a few seconds."});
    const std::string name = to != nullptr ? playerName(*to) : std::to_string(line.target);
    sendConsole(bot, "Answers to " + name + " were dropped: more than " + std::to_string(most) +
                         " waited to go out.");
}

void say(Bot& bot, OutgoingLine line, const PlayerRecord* to) {
    line.text.resize(std::min(line.text.size(), maxChatLine));
    blankControlBytes(line.text, false);
    if (bot.linesPerSecond <= 0 || bot.hostCallback == nullptr) {
        handLine(bot, line);
        return;
    }
    if (isAnswer(line)) {
        waitAsAnswer(bot, std::move(line), to);
    } else {
        waitForZone(bot, std::move(line));
    }
    sendWaitingLines(bot);
}

} // namespace

void sendPrivate(Bot& bot, const PlayerRecord& player, std::string_view text) {
    say(bot, {Private, 0, player.ident, std::string(text)}, &player);
}

void sendPublic(Bot& bot, std::string_view text) {
    say(bot, {Public, 0, 0, std::string(text)}, nullptr);
}

void sendPublicSound(Bot& bot, Word sound, std::string_view text) {
    say(bot, {Public, sound, 0, std::string(text)}, nullptr);
}

void sendQueuedLines(Bot& bot) {
    OutgoingLines& out = bot.outgoing;
    out.sentThisSecond = 0;
    sendWaitingLines(bot);
    if (out.zone.empty()) {
        out.toldZoneSlow = false; // told again at the next flood
    }
}

void dropQueuedLinesTo(Bot& bot, const PlayerRecord& leaving) {
    OutgoingLines& out = bot.outgoing;
    std::erase_if(out.zone, [&leaving](const OutgoingLine& line) {
        return line.type == Private && line.target == leaving.ident;
    });
    out.answers.erase(leaving.ident);
    std::erase(out.turns, leaving.ident);
}

void dropQueuedLines(Bot& bot) {
    bot.outgoing = OutgoingLines{};
}

std::size_t answersWaitingFor(const Bot& bot, const PlayerRecord& player) {
    const auto answers = bot.outgoing.answers.find(player.ident);
    return answers == bot.outgoing.answers.end() ? 0 : answers->second.lines.size();
}

std::size_t linesWaiting(const Bot& bot) {
    std::size_t count = bot.outgoing.zone.size();
    for (const auto& [to, answers] : bot.outgoing.answers) {
        count += answers.lines.size();
    }
    return count;
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

void sendConsoleLines(Bot& bot, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        sendConsole(bot, line);
    }
}

} // namespace quorvel
