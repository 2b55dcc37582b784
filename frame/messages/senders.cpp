#include "frame/messages/senders.h"

#include "frame/spawn/bot_spawn.h"

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

void say(BotSpawn& spawn, ChatType type, Word sound, Word target, std::string_view text) {
    if (type == Public && text.starts_with(arenaCommand)) {
        if (spawn.ownArenaTexts.size() == ownArenaTextsKept) {
            spawn.ownArenaTexts.pop_front();
        }
        spawn.ownArenaTexts.emplace_back(text.substr(arenaCommand.size()));
    }
    std::string line(text.substr(0, maxChatLine));
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    BotEvent record{};
    record.code = Say;
    record.value[0] = type;
    record.value[1] = sound;
    record.value[2] = target;
    record.value[3] = reinterpret_cast<Word>(line.c_str());
    handToHost(spawn, record);
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

void sendConsole(BotSpawn& spawn, std::string_view text) {
    std::string line(text);
    BotEvent record{};
    record.code = Echo;
    record.value[0] = reinterpret_cast<Word>(line.c_str());
    handToHost(spawn, record);
}

} // namespace quorvel
