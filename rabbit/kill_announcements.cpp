#include "rabbit/kill_announcements.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "rabbit/rabbit_game.h"

#include <array>

namespace quorvel {
namespace {

constexpr std::string_view strikeText = "The BountyRabbit(tm) has struck again! Zone in panic! ";
constexpr std::string_view strikeTail = " now at large! $5000 reward!";
constexpr std::string_view hopText = "Hop. hop. hop. Another rabbit bit the dust. ";
constexpr std::string_view hopTail = " now holds the 5000 bounty!";
constexpr std::string_view oldRabbitTail = "(old rabbit) kb ";
constexpr std::string_view newRabbitTail = "(new rabbit with 5000 bounty)";
constexpr std::string_view earsText = "Uh oh, ";
constexpr std::string_view earsTail =
    " is growing ears! He's contracted the BountyRabbit(tm) virus";
constexpr std::string_view fromText = " from ";
constexpr std::string_view bang = "!";
constexpr std::string_view targetTail =
    " is now the BountyRabbit! Type ?target=5000 for a Big Light Blue indicator on your radar";
constexpr std::string_view rabbitifiedTail =
    " has been rabbitified! Type ?time to check how much time is left until he wins";
constexpr std::string_view wabbitText = "Another waskalie wabbit has been sighted: ";
constexpr std::string_view wabbitTail = ". And it's wabbit-hunting season!";
constexpr std::string_view vanquishedTail =
    " has vanquished the villainous old rabbit! He has been granted a $5000 reward";
constexpr std::string_view bornText = "A new bounty rabbit has been born and it ain't pretty! ";
constexpr std::string_view bornTail = " holds the sucker";
constexpr std::string_view stooText = "Zee rebbeet, ";
constexpr std::string_view stooTail = ", veell be-a in zee stoo suun inuoogh. $5000 preece-a teg";
constexpr std::string_view psstText = "Psst! ";
constexpr std::string_view psstTail = "ay has ethay OuntyRabbitbay irusvay! Asspay it onyay!";

// Sound of each variant, in variant order.
constexpr std::array<Word, killAnnouncementCount> sounds = {8, 7,  22, 13, 19, 20, 18,
                                                            6, 10, 4,  17, 21, 16};

std::string join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

std::string variantText(std::uint32_t variant, std::string_view n, std::string_view o) {
    switch (variant) {
    case 0:
    case 10:
        return join({strikeText, n, strikeTail});
    case 1:
        return join({hopText, n, hopTail});
    case 2:
        return join({o, oldRabbitTail, n, newRabbitTail});
    case 3:
        return o.empty() ? join({earsText, n, earsTail, bang})
                         : join({earsText, n, earsTail, fromText, o, bang});
    case 4:
        return join({n, targetTail});
    case 5:
        return join({n, rabbitifiedTail});
    case 6:
        return join({wabbitText, n, wabbitTail});
    case 7:
        return join({n, vanquishedTail});
    case 8:
        return join({bornText, n, bornTail});
    case 9:
        return join({earsText, n, earsTail, fromText, o, bang});
    case 11:
        return join({stooText, n, stooTail});
    default: {
        // Pig Latin: the name without its first letter, then that letter.
        const std::string rearranged = middlePart(n, 1, 32) + leftPart(n, 1);
        return join({psstText, rearranged, psstTail});
    }
    }
}

} // namespace

KillAnnouncement killAnnouncement(std::uint32_t variant, std::string_view newName,
                                  std::string_view oldName) {
    const std::uint32_t row = variant % killAnnouncementCount;
    return KillAnnouncement{sounds[row], zone::arena(variantText(row, newName, oldName))};
}

void announceRabbitKill(RabbitGame& game, const PlayerRecord* newRabbit,
                        const PlayerRecord* oldRabbit) {
    if (newRabbit == nullptr) {
        return;
    }
    const std::uint32_t variant = game.bot.random.draw() % killAnnouncementCount;
    const std::string oldName = oldRabbit == nullptr ? std::string() : playerName(*oldRabbit);
    const KillAnnouncement line = killAnnouncement(variant, playerName(*newRabbit), oldName);
    sendPublicSound(game.bot, line.sound, line.text);
}

} // namespace quorvel
