#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/service/service.h"
#include "module/plugin_settings.h"

namespace quorvel {
namespace {

constexpr std::string_view aboutLines[] = {
    "Broadcasts current jackpot every 15 minutes.  Winning team gets listed after flag "
    "victories.  Antiwarp checked in the center.  Version Modified by Dravimor to use *objon "
    "freq for flag victories.",
    "When Bounty Rabbit activated, one player is chosen at random to become bounty rabbit with "
    "5000 bounty.  If he can survive 10 minutes, he is an uberabbit.",
    "When active Star Wars Ship checker is, Space-bot am I.  Keep the ships legal I do.  Live "
    "long and prosper you will.",
    "When Auto Team Warping is enabled I warp players to a freq specific location which has been "
    "specified earlier by my owner.",
    "If Auto Team Warping on Insert is on then I also warp them when they use the Insert key to "
    "warp.  I also warp players of any freq from one designated warp area to another when Auto "
    "Area Warping is enabled.",
    "When Zombies game active the source of all evil plays a game of turning players into "
    "zombies by creating a Zombie Master which spreads a type of zombie virus from anyone "
    "killed by a zombie until only 1 human is left.",
    "I take care of the Store and Inventory for all players, which now has fully configurable "
    "pricing and awarding.",
};

constexpr std::string_view versionLine =
    "[name:Quorvel.dll] [maker:Dravimor] [version:1.10] [email:quorvel-bot@example.org]";

void commandAbout(ModuleService& own, const PlayerRecord& sender, std::string_view) {
    for (std::string_view line : aboutLines) {
        sendPrivate(own.bot, sender, line);
    }
}

void commandVersion(ModuleService& own, const PlayerRecord& sender, std::string_view) {
    sendPrivate(own.bot, sender, versionLine);
}

constexpr Command<ModuleService> commands[] = {
    {"about", Player, commandAbout, {"!about (About this bot spawn.)"}},
    {"version",
     SMod,
     commandVersion,
     {"!version (Displays the name and version of this bot spawn.)"}},
};

constexpr SettingKey<ModuleService> settings[] = {
    settingKey<ModuleService, &ModuleService::settings, &PluginSettings::commandBudget>(
        "Settings", "CommandBudget"),
    settingKey<ModuleService, &ModuleService::settings, &PluginSettings::linesPerSecond>(
        "Settings", "LinesPerSecond"),
};

// The bot sends its lines within the limit just read.
void started(ModuleService& own) {
    own.bot.linesPerSecond = own.settings.linesPerSecond;
}

} // namespace

const ServiceTable<ModuleService> moduleTable = {
    .name = "module",
    .commands = commands,
    .help = {.player = "!about (About this bot spawn.)"},
    .steps = {.started = started},
    .settings = settings,
};

} // namespace quorvel
