// The only way anything leaves the module: console lines for the host's
// operator, and chat lines for one player or the whole arena. Lines that
// begin with "*" or "?" are carried out by the zone.
//
// A chat line holds at most maxChatLine bytes: longer ones are cut there
// (a zone's chat packet is 255 bytes with its header and the text's NUL;
// 240 stays clear of it). Control bytes in a chat line go out as blanks,
// so no text a player typed can end a line and begin another.
#pragma once

#include <quorvel/host_abi.h>

#include <cstddef>
#include <string_view>

namespace quorvel {

struct BotSpawn;

inline constexpr std::size_t maxChatLine = 240;

void sendPrivate(BotSpawn& spawn, const PlayerRecord& player, std::string_view text);
void sendPublic(BotSpawn& spawn, std::string_view text);
void sendPublicSound(BotSpawn& spawn, Word sound, std::string_view text);
void sendConsole(BotSpawn& spawn, std::string_view text);

} // namespace quorvel
