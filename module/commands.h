// "!" commands and "!help", gated by the sender's operator level.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <string_view>

namespace quorvel {

struct BotSpawn;

enum OperatorLevel : std::uint32_t {
    Player = 0,
    Limited = 1,
    Mod = 2,
    SMod = 3,
    SOp = 4,
    Owner = 5,
    Duke = 6,
    Baron = 7,
    King = 8,
    Emperor = 9,
    RockStar = 10,
    Q = 11,
    God = 12
};

// The body of one command: the sender and the text typed after its name.
using CommandBody = void (*)(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

void handleCommand(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command);
void handleHelp(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command);

void commandAbout(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);
void commandVersion(BotSpawn& spawn, const PlayerRecord& sender, std::string_view text);

} // namespace quorvel
