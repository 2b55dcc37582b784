// !buy flags: where every flag lies and who carries how many.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/gold_service.h"
#include "gold/store_listings.h"

namespace quorvel {
namespace {

constexpr std::string_view noUncarriedText = "<No uncarried flags>";
constexpr std::string_view carriedHeaderText = " *** Carried flags ***";
constexpr std::string_view noCarriedText = "<No carried flags>";

// A tile as a pixel position; the host's tiles lie within the map, and a wild
// value wraps instead of overflowing.
std::int32_t pixelOf(std::int32_t tile) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(tile) * 16u);
}

} // namespace

void sendFlagListing(GoldService& gold, const PlayerRecord& sender) {
    std::string line;
    bool anyFlag = false;
    for (const FlagRecord& flag : flagsOf(gold.bot)) {
        line += coordinateText(pixelOf(flag.tileX), pixelOf(flag.tileY));
        line += ' ';
        anyFlag = true;
    }
    sendPrivate(gold.bot, sender, line);
    if (!anyFlag) {
        sendPrivate(gold.bot, sender, noUncarriedText);
    }
    sendPrivate(gold.bot, sender, carriedHeaderText);
    bool anyCarrier = false;
    for (const PlayerRecord& player : playersOf(gold.bot)) {
        if (player.flagsCarried == 0) {
            continue;
        }
        anyCarrier = true;
        sendPrivate(gold.bot, sender,
                    typedLead(playerName(player)) + " @ " +
                        coordinateText(pixelOf(player.tileX), pixelOf(player.tileY)) +
                        " is carrying " + decimal(static_cast<std::int32_t>(player.flagsCarried)) +
                        " flags");
    }
    if (!anyCarrier) {
        sendPrivate(gold.bot, sender, noCarriedText);
    }
}

} // namespace quorvel
