// The seven switches of automatic warping. None reads a file: a switch
// takes effect at the next event.
#include "warps/auto_warper.h"

#include "base/messages/senders.h"
#include "module/bot_spawn.h"

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

void turnOn(BotSpawn& spawn, const PlayerRecord& sender, bool& on, const SwitchTexts& texts) {
    if (on) {
        sendPrivate(spawn, sender, texts.alreadyEnabled);
        return;
    }
    on = true;
    sendPrivate(spawn, sender, texts.nowEnabled);
}

void turnOff(BotSpawn& spawn, const PlayerRecord& sender, bool& on, const SwitchTexts& texts) {
    if (!on) {
        sendPrivate(spawn, sender, texts.alreadyDisabled);
        return;
    }
    on = false;
    sendPrivate(spawn, sender, texts.nowDisabled);
}

} // namespace

void commandTwarpon(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    turnOn(spawn, sender, spawn.autoWarper.teamWarpOn, teamWarpTexts);
}

void commandTwarpoff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    turnOff(spawn, sender, spawn.autoWarper.teamWarpOn, teamWarpTexts);
}

void commandAwarpon(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    turnOn(spawn, sender, spawn.autoWarper.areaWarpOn, areaWarpTexts);
}

void commandAwarpoff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    turnOff(spawn, sender, spawn.autoWarper.areaWarpOn, areaWarpTexts);
}

void commandIwarpon(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    turnOn(spawn, sender, spawn.autoWarper.insertWarpOn, insertWarpTexts);
}

void commandIwarpoff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    turnOff(spawn, sender, spawn.autoWarper.insertWarpOn, insertWarpTexts);
}

void commandAlloff(BotSpawn& spawn, const PlayerRecord& sender, std::string_view) {
    AutoWarper& warper = spawn.autoWarper;
    warper.teamWarpOn = false;
    warper.areaWarpOn = false;
    warper.insertWarpOn = false;
    sendPrivate(spawn, sender, allWarpingOff);
}

} // namespace quorvel
