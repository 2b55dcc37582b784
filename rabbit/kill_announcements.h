// The thirteen arena messages that greet whoever killed the rabbit, each
// with its own sound.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

struct RabbitGame;

constexpr std::uint32_t killAnnouncementCount = 13;

struct KillAnnouncement {
    Word sound = 0;
    std::string text; // the whole line, "*arena " included
};

// Variant `variant` (0 to 12; larger numbers wrap) for the new rabbit's name
// and the old rabbit's name (empty when there was none).
KillAnnouncement killAnnouncement(std::uint32_t variant, std::string_view newName,
                                  std::string_view oldName);

// One drawn variant, sent to the arena; nothing when there is no new rabbit.
void announceRabbitKill(RabbitGame& game, const PlayerRecord* newRabbit,
                        const PlayerRecord* oldRabbit);

} // namespace quorvel
