// Staff commands of the flag game: !aradius shows or sets the size of the
// centre square, !shutup and !start switch the announcements off and on.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/text/text_rules.h"
#include "flaggame/flag_game.h"
#include "flaggame/flag_watch.h"

#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr std::string_view radiusIsText = "Radius is ";
constexpr std::string_view radiusSetText = "Radius set.";
constexpr std::string_view invalidRadiusText = "Invalid radius.  !aradius <count of tiles>";
constexpr std::string_view shutupText =
    "No longer sending periodic messages or announcing flag victories.";
constexpr std::string_view startText = "Now announcing flag victories.";

} // namespace

void commandAradius(FlagWatch& watch, const PlayerRecord& sender, std::string_view text) {
    std::int32_t& radius = watch.antiwarpRadius;
    if (text.empty()) {
        sendPrivate(watch.bot, sender, std::string(radiusIsText) + decimal(radius));
        return;
    }
    // A number beyond the 32-bit range would wrap into some other radius; it
    // is refused like any other text. A radius of 0 or below switches the
    // watch off in effect: no tile is inside the square.
    std::optional<std::int32_t> tiles = readInt32(text);
    if (!tiles) {
        sendPrivate(watch.bot, sender, invalidRadiusText);
        return;
    }
    radius = *tiles;
    sendPrivate(watch.bot, sender, radiusSetText);
}

void commandShutup(FlagWatch& watch, const PlayerRecord& sender, std::string_view) {
    watch.announcementsOff = true;
    sendPrivate(watch.bot, sender, shutupText);
}

void commandStart(FlagWatch& watch, const PlayerRecord& sender, std::string_view) {
    watch.announcementsOff = false;
    sendPrivate(watch.bot, sender, startText);
}

} // namespace quorvel
