// !gold, !gratio, !show and !hide.
#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/players/player_views.h"
#include "base/text/text_rules.h"
#include "gold/gold_service.h"
#include "gold/gold_tags.h"
#include "gold/store_commands.h"

namespace quorvel {
namespace {

// Texts players have always seen keep their spelling ("Ammount"); they
// are deliberate, not slips to correct.
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

void commandGold(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    sendPrivate(gold.bot, sender,
                std::string(balanceText) + decimal(gold.economy->balance(playerName(sender))));
}

void commandGratio(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    for (std::string_view line : goldTableLines) {
        sendPrivate(gold.bot, sender, line);
    }
}

void commandShow(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    if (gold.bot.playerTags.get(&sender, goldNoticeTag) == goldNoticeOn) {
        sendPrivate(gold.bot, sender, alreadyShownText);
        return;
    }
    gold.bot.playerTags.set(&sender, goldNoticeTag, goldNoticeOn);
    sendPrivate(gold.bot, sender, nowShownText);
}

void commandHide(GoldService& gold, const PlayerRecord& sender, std::string_view) {
    if (!gold.storeOn) {
        return;
    }
    if (gold.bot.playerTags.get(&sender, goldNoticeTag) != goldNoticeOn) {
        sendPrivate(gold.bot, sender, alreadyHiddenText);
        return;
    }
    gold.bot.playerTags.set(&sender, goldNoticeTag, goldNoticeOff);
    sendPrivate(gold.bot, sender, nowHiddenText);
}

} // namespace quorvel
