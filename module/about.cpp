#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/service/service.h"
#include "module/bot_spawn.h"
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

// quorvel.ini read again at once rather than at the next second: the
// console lists what changed, the staff member gets the count.
void commandReload(ModuleService& own, const PlayerRecord& sender, std::string_view) {
    const SettingsReload reload = reloadSettings(own.spawn);
    sendConsoleLines(own.bot, reload.lines);
    sendPrivate(own.bot, sender, reloadSummary(reload));
}

constexpr Command<ModuleService> commands[] = {
    {"about", Player, commandAbout, {"!about (About this bot spawn.)"}},
    {"version",
     SMod,
     commandVersion,
     {"!version (Displays the name and version of this bot spawn.)"}},
    {"reload",
     SMod,
     commandReload,
     {"!reload (Reads quorvel.ini again now and applies what changed.)"}},
};

// A new line budget counts from this second on; lines waiting for the old
// one go out at once when there is no budget any more, ahead of newer ones.
void linesPerSecondEdited(ModuleService& own) {
    own.bot.linesPerSecond = own.settings.linesPerSecond;
    if (own.bot.linesPerSecond <= 0) {
        sendQueuedLines(own.bot);
    }
}

constexpr SettingKey<ModuleService> settings[] = {
    settingKey<ModuleService, &ModuleService::settings, &PluginSettings::commandBudget>(
        "Settings", "CommandBudget"),
    settingKey<ModuleService, &ModuleService::settings, &PluginSettings::linesPerSecond>(
        "Settings", "LinesPerSecond", SettingLimit::anyNumber, linesPerSecondEdited),
};

// The bot sends its lines within the limit just read.
void started(ModuleService& own) {
    own.bot.linesPerSecond = own.settings.linesPerSecond;
}

} // namespace

ModuleService::ModuleService(BotSpawn& ownSpawn) : Service(ownSpawn), spawn(ownSpawn) {}

const ServiceTable<ModuleService> moduleTable = {
    .name = "module",
    .commands = commands,
    .help = {.player = "!about (About this bot spawn.)"},
    .steps = {.started = started},
    .settings = settings,
};

} // namespace quorvel
