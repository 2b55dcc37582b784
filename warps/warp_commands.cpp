// The seven switches of automatic warping. None reads a file: a switch
// takes effect at the next event.
#include "warps/auto_warper.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"

namespace quorvel {
namespace {

struct SwitchTexts {
    std::string_view nowEnabled;
    std::string_view alreadyEnabled;
    std::string_view nowDisabled;
    std::string_view alreadyDisabled;
};

constexpr SwitchTexts teamWarpTexts = {
    "Auto Team Warping is now enabled.",
    "Auto Team Warping already enabled.",
    "Auto Team Warping is now disabled.",
    "Auto Team Warping already disabled.",
};
constexpr SwitchTexts areaWarpTexts = {
    "Auto Area Warping is now enabled.",
    "Auto Area Warping already enabled.",
    "Auto Area Warping is now disabled.",
    "Auto Area Warping already disabled.",
};
constexpr SwitchTexts insertWarpTexts = {
    "Auto Team Warping on Insert is now enabled.",
    "Auto Team Warping on Insert already enabled.",
    "Auto Team Warping on Insert is now disabled.",
    "Auto Team Warping on Insert already disabled.",
};
constexpr std::string_view allWarpingOff =
    "All Auto Warping functions have been disabled... you can now reenable which ever you want "
    "or just leave them off.";

void turnOn(AutoWarper& warper, const PlayerRecord& sender, bool& on, const SwitchTexts& texts) {
    if (on) {
        sendPrivate(warper.bot, sender, texts.alreadyEnabled);
        return;
    }
    on = true;
    sendPrivate(warper.bot, sender, texts.nowEnabled);
}

void turnOff(AutoWarper& warper, const PlayerRecord& sender, bool& on, const SwitchTexts& texts) {
    if (!on) {
        sendPrivate(warper.bot, sender, texts.alreadyDisabled);
        return;
    }
    on = false;
    sendPrivate(warper.bot, sender, texts.nowDisabled);
}

} // namespace

void commandTwarpon(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    turnOn(warper, sender, warper.teamWarpOn, teamWarpTexts);
}

void commandTwarpoff(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    turnOff(warper, sender, warper.teamWarpOn, teamWarpTexts);
}

void commandAwarpon(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    turnOn(warper, sender, warper.areaWarpOn, areaWarpTexts);
}

void commandAwarpoff(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    turnOff(warper, sender, warper.areaWarpOn, areaWarpTexts);
}

void commandIwarpon(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    turnOn(warper, sender, warper.insertWarpOn, insertWarpTexts);
}

void commandIwarpoff(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    turnOff(warper, sender, warper.insertWarpOn, insertWarpTexts);
}

void commandAlloff(AutoWarper& warper, const PlayerRecord& sender, std::string_view) {
    warper.teamWarpOn = false;
    warper.areaWarpOn = false;
    warper.insertWarpOn = false;
    sendPrivate(warper.bot, sender, allWarpingOff);
}

} // namespace quorvel
