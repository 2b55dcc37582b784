#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "module/bot_spawn.h"
#include "rabbit/pick_rabbit.h"
#include "rabbit/rabbit.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::int32_t fiveMinutesLeft = 300;
constexpr std::int32_t oneMinuteLeft = 60;
constexpr std::int32_t timeUp = 0;
constexpr std::int32_t safetyZoneSeconds = 20;

constexpr Word uberabbitSound = 5;
constexpr Word survivedSound = 13;

constexpr std::string_view uberabbitTail =
    " has survived the 10-minute duration as Bounty Rabbit!  "
    "Congratulations on becoming an Uberabbit!";
constexpr std::string_view fiveMinutesTail =
    " has survived for 5 minutes as Bounty Rabbit!  Last seen at ";
constexpr std::string_view nineMinutesTail =
    " has survived for 9 minutes as Bounty Rabbit!  Last seen at ";
constexpr std::string_view overstayTail = " overstayed his welcome in the safety zone.";

void announceSurvival(BotSpawn& spawn, const PlayerRecord& rabbit, std::string_view tail) {
    sendPublicSound(spawn, survivedSound,
                    zone::arena(playerName(rabbit) + std::string(tail) +
                                coordinateText(rabbit.pixelX, rabbit.pixelY)));
}

} // namespace

void runRabbitClock(BotSpawn& spawn) {
    RabbitGame& game = spawn.rabbitGame;
    if (game.rabbit == nullptr) {
        return;
    }
    if (replaceUnlistedRabbit(spawn)) {
        game.startedThisTick = hasRabbit(spawn);
        return;
    }
    const PlayerRecord& rabbit = *game.rabbit;
    switch (game.rabbitCountdown) {
    case timeUp:
        sendPublicSound(spawn, uberabbitSound,
                        zone::arena(playerName(rabbit) + std::string(uberabbitTail)));
        game.startedThisTick = drawRabbitSuccessor(spawn, nullptr);
        break;
    case oneMinuteLeft:
        announceSurvival(spawn, rabbit, nineMinutesTail);
        break;
    case fiveMinutesLeft:
        announceSurvival(spawn, rabbit, fiveMinutesTail);
        break;
    default:
        break;
    }
}

void runRabbitSafetyZone(BotSpawn& spawn, bool safetyRanOut) {
    RabbitGame& game = spawn.rabbitGame;
    const bool startedThisTick = game.startedThisTick;
    game.startedThisTick = false;
    if (!safetyRanOut || startedThisTick || game.rabbit == nullptr) {
        return;
    }
    if (replaceUnlistedRabbit(spawn)) {
        return;
    }
    sendPublic(spawn, zone::arena(playerName(*game.rabbit) + std::string(overstayTail)));
    drawRabbitSuccessor(spawn, nullptr);
}

// A stay is timed from the first report inside a safety zone that finds the
// countdown run out; any report outside stops the timing.
void rabbitMoved(BotSpawn& spawn, const PlayerRecord& player) {
    RabbitGame& game = spawn.rabbitGame;
    if (game.rabbit != &player) {
        return;
    }
    if (player.inSafetyZone == 0) {
        game.safetyCountdown = 0;
    } else if (game.safetyCountdown < 0) {
        game.safetyCountdown = safetyZoneSeconds;
    }
}

} // namespace quorvel
