// !gold, !gratio, !show and !hide.
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/gold_tags.h"
#include "gold/store_commands.h"
#include "module/bot_spawn.h"

namespace quorvel {
namespace {

constexpr std::string_view balanceText = "Ammount of Gold left in your account: ";

// The table players have always been shown; it does not follow quorvel.ini.
constexpr std::string_view goldTableLines[] = {
    "Gold Formula: ",
    "Flag Game Win = 100 Gold to Team",
    "PowerBall Goal = 25 Gold to Team",
    "Kill = 2 Gold to Killer",
    "Anti-Warp in Center = -5 Gold",
    "Team Kill = -5 Gold",
};

constexpr std::string_view alreadyShownText =
    "I have already been told to tell you when you are given gold.";
constexpr std::string_view nowShownText = "I will now tell you when you are given gold.";
constexpr std::string_view alreadyHiddenText =
    "I have already been told to be quite when you are given gold.";
constexpr std::string_view nowHiddenText = "I will now stop telling you when you are given gold.";

} // namespace

void commandGold(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    sendPrivate(spawn, sender,
                std::string(balanceText) + decimal(spawn.economy->balance(playerName(sender))));
}

void commandGratio(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    for (std::string_view line : goldTableLines) {
        sendPrivate(spawn, sender, line);
    }
}

void commandShow(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    if (spawn.playerTags.get(&sender, goldNoticeTag) == goldNoticeOn) {
        sendPrivate(spawn, sender, alreadyShownText);
        return;
    }
    spawn.playerTags.set(&sender, goldNoticeTag, goldNoticeOn);
    sendPrivate(spawn, sender, nowShownText);
}

void commandHide(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    if (!spawn.storeOn) {
        return;
    }
    if (spawn.playerTags.get(&sender, goldNoticeTag) != goldNoticeOn) {
        sendPrivate(spawn, sender, alreadyHiddenText);
        return;
    }
    spawn.playerTags.set(&sender, goldNoticeTag, goldNoticeOff);
    sendPrivate(spawn, sender, nowHiddenText);
}

} // namespace quorvel
