// The only way anything leaves the module: console lines for the host's
// operator, and chat lines for one player or the whole arena. Lines that
// begin with "*" or "?" are carried out by the zone.
#pragma once

#include <quorvel/host_abi.h>

#include <string_view>

namespace quorvel {

struct BotSpawn;

void sendPrivate(BotSpawn& spawn, const PlayerRecord& player, std::string_view text);
void sendPublic(BotSpawn& spawn, std::string_view text);
void sendPublicSound(BotSpawn& spawn, Word sound, std::string_view text);
void sendConsole(BotSpawn& spawn, std::string_view text);

} // namespace quorvel
