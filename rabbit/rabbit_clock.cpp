#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "rabbit/pick_rabbit.h"
#include "rabbit/rabbit.h"
#include "rabbit/rabbit_game.h"

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

void announceSurvival(RabbitGame& game, const PlayerRecord& rabbit, std::string_view tail) {
    sendPublicSound(game.bot, survivedSound,
                    zone::arena(playerName(rabbit) + std::string(tail) +
                                coordinateText(rabbit.pixelX, rabbit.pixelY)));
}

// The 5-minute, 9-minute and Uberabbit steps. Returns true when the rabbit
// changed (or the game ended) on the way.
bool runRabbitClock(RabbitGame& game) {
    if (replaceUnlistedRabbit(game)) {
        return true;
    }
    const PlayerRecord& rabbit = *game.rabbit;
    switch (game.rabbitCountdown) {
    case timeUp:
        sendPublicSound(game.bot, uberabbitSound,
                        zone::arena(playerName(rabbit) + std::string(uberabbitTail)));
        drawRabbitSuccessor(game, nullptr);
        return true;
    case oneMinuteLeft:
        announceSurvival(game, rabbit, nineMinutesTail);
        break;
    case fiveMinutesLeft:
        announceSurvival(game, rabbit, fiveMinutesTail);
        break;
    default:
        break;
    }
    return false;
}

// A rabbit that stayed in a safety zone until its countdown ran out.
void runRabbitSafetyZone(RabbitGame& game) {
    if (replaceUnlistedRabbit(game)) {
        return;
    }
    sendPublic(game.bot, zone::arena(playerName(*game.rabbit) + std::string(overstayTail)));
    drawRabbitSuccessor(game, nullptr);
}

} // namespace

void rabbitTick(RabbitGame& game) {
    --game.rabbitCountdown;
    --game.safetyCountdown;
    if (game.rabbit == nullptr) {
        return;
    }
    // Taken before the clock runs: a rabbit the clock starts now has a
    // safety countdown of 0 too, without having overstayed.
    const bool safetyRanOut = game.safetyCountdown == 0;
    if (!runRabbitClock(game) && safetyRanOut) {
        runRabbitSafetyZone(game);
    }
}

// A stay is timed from the first report inside a safety zone that finds the
// countdown run out; any report outside stops the timing.
void rabbitMoved(RabbitGame& game, const PlayerRecord& player) {
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
