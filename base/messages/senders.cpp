#include "base/messages/senders.h"

#include "module/bot_spawn.h"

#include <string>

namespace quorvel {
namespace {

// Records go to the host at once; before the handshake has given a callback
// they are dropped. Handle 0 is a bot like any other: a host may count its
// bots from 0.
void handToHost(BotSpawn& spawn, BotEvent& record) {
    if (spawn.hostCallback == nullptr) {
        return;
    }
    record.handle = spawn.handle;
    spawn.hostCallback(record);
}

// How many of the bot's own arena messages are remembered.
constexpr std::size_t ownArenaTextsKept = 16;
constexpr std::string_view arenaCommand = "*arena ";

void handLine(BotSpawn& spawn, const OutgoingLine& line) {
    if (line.type == Public && line.text.starts_with(arenaCommand)) {
        if (spawn.ownArenaTexts.size() == ownArenaTextsKept) {
            spawn.ownArenaTexts.pop_front();
        }
        spawn.ownArenaTexts.emplace_back(line.text.substr(arenaCommand.size()));
    }
    BotEvent record{};
    record.code = Say;
    record.value[0] = line.type;
    record.value[1] = line.sound;
    record.value[2] = line.target;
    record.value[3] = reinterpret_cast<Word>(line.text.c_str());
    handToHost(spawn, record);
}

void sendWaitingLines(BotSpawn& spawn, std::size_t count) {
    OutgoingLines& out = spawn.outgoing;
    while (count-- > 0 && !out.waiting.empty()) {
        const OutgoingLine line = std::move(out.waiting.front());
        out.waiting.pop_front();
        ++out.sentThisSecond;
        handLine(spawn, line);
    }
}

void say(BotSpawn& spawn, ChatType type, Word sound, Word target, std::string_view text) {
    OutgoingLine line{type, sound, target, std::string(text.substr(0, maxChatLine))};
    for (char& c : line.text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    const std::int32_t perSecond = spawn.settings.linesPerSecond;
    OutgoingLines& out = spawn.outgoing;
    if (perSecond <= 0 || spawn.hostCallback == nullptr) {
        handLine(spawn, line);
        return;
    }
    if (out.waiting.empty() && out.sentThisSecond < static_cast<std::size_t>(perSecond)) {
        ++out.sentThisSecond;
        handLine(spawn, line);
        return;
    }
    out.waiting.push_back(std::move(line));
    if (out.waiting.size() >= OutgoingLines::mostWaiting) {
        // Nothing is dropped and nothing overtaken: at the bound everything
        // waiting goes out at once, past the budget.
        if (!out.toldFull) {
            out.toldFull = true;
            sendConsole(spawn, "More than " + std::to_string(OutgoingLines::mostWaiting - 1) +
                                   " lines waited to be sent: all of them went out at once.");
        }
        sendWaitingLines(spawn, out.waiting.size());
    }
}

} // namespace

void sendPrivate(BotSpawn& spawn, const PlayerRecord& player, std::string_view text) {
    say(spawn, Private, 0, player.ident, text);
}

void sendPublic(BotSpawn& spawn, std::string_view text) {
    say(spawn, Public, 0, 0, text);
}

void sendPublicSound(BotSpawn& spawn, Word sound, std::string_view text) {
    say(spawn, Public, sound, 0, text);
}

void sendQueuedLines(BotSpawn& spawn) {
    OutgoingLines& out = spawn.outgoing;
    out.sentThisSecond = 0;
    if (out.waiting.empty()) {
        out.toldFull = false; // a flood is over when a second starts with none waiting
        return;
    }
    const std::int32_t perSecond = spawn.settings.linesPerSecond;
    sendWaitingLines(spawn,
                     perSecond <= 0 ? out.waiting.size() : static_cast<std::size_t>(perSecond));
}

void dropQueuedLinesTo(BotSpawn& spawn, const PlayerRecord& leaving) {
    std::erase_if(spawn.outgoing.waiting, [&leaving](const OutgoingLine& line) {
        return line.type == Private && line.target == leaving.ident;
    });
}

void dropQueuedLines(BotSpawn& spawn) {
    spawn.outgoing.waiting.clear();
}

void sendConsole(BotSpawn& spawn, std::string_view text) {
    std::string line(text);
    BotEvent record{};
    record.code = Echo;
    record.value[0] = reinterpret_cast<Word>(line.c_str());
    handToHost(spawn, record);
}

} // namespace quorvel
