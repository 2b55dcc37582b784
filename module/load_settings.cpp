#include "base/messages/senders.h"
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"

#include <string>

namespace quorvel {
namespace {

constexpr const char* settingsFileName = "quorvel.ini";
constexpr std::size_t longestValue = 15;

struct SettingKey {
    const char* section;
    const char* key;
    const char* fallback;
    std::int32_t PluginSettings::*field; // null for Settings:Inventory
};

// In the order the file is read and its messages are echoed.
constexpr SettingKey settingKeys[] = {
    {"Settings", "Inventory", "0", nullptr},
    {"Settings", "MaxWarpTeams", "0", &PluginSettings::maxWarpTeams},
    {"Settings", "MaxWarpAreas", "0", &PluginSettings::maxWarpAreas},
    {"Settings", "AutoSave", "300", &PluginSettings::autoSave},
    {"Settings", "CommandBudget", "0", &PluginSettings::commandBudget},
    {"Settings", "LinesPerSecond", "0", &PluginSettings::linesPerSecond},
    {"Gold", "FlagVictory", "100", &PluginSettings::flagVictory},
    {"Gold", "SoccerGoal", "25", &PluginSettings::soccerGoal},
    {"Gold", "Kill", "2", &PluginSettings::kill},
    {"Gold", "TeamKill", "5", &PluginSettings::teamKill},
    {"Gold", "AntiInCenter", "5", &PluginSettings::antiInCenter},
    {"Gold", "RepeatKillWindow", "0", &PluginSettings::repeatKillWindow},
    {"Store", "Flags", "500", &PluginSettings::flags},
    {"Store", "Arena", "500", &PluginSettings::arena},
    {"Store", "Points", "500", &PluginSettings::points},
    {"Store", "Bounty", "400", &PluginSettings::bounty},
    {"Store", "MultiFire", "150", &PluginSettings::multiFire},
    {"Store", "Super", "150", &PluginSettings::super},
    {"Store", "Shield", "150", &PluginSettings::shield},
    {"Store", "MultiPrize", "150", &PluginSettings::multiPrize},
    {"Store", "Thor", "100", &PluginSettings::thor},
    {"Store", "Portal", "100", &PluginSettings::portal},
    {"Store", "GunUpgrade", "300", &PluginSettings::gunUpgrade},
    {"Store", "BombUpgrade", "350", &PluginSettings::bombUpgrade},
    {"Store", "ScoreReset", "50", &PluginSettings::scoreReset},
};

std::string notNumericMessage(const SettingKey& key) {
    return std::string("quorvel.ini error: ") + key.section + ":" + key.key + " must be numeric";
}

// A price is compared with balances as an unsigned amount: a negative one
// would be a price of about four thousand million.
bool isPrice(const SettingKey& key) {
    return std::string_view(key.section) == "Store";
}

std::string negativePriceMessage(const SettingKey& key) {
    return std::string("quorvel.ini error: ") + key.section + ":" + key.key +
           " must not be negative; the default " + key.fallback + " is used";
}

} // namespace

void loadSettings(BotSpawn& spawn) {
    const std::string path = platform::joinPath(platform::currentDirectory(), settingsFileName);
    for (const SettingKey& key : settingKeys) {
        std::string text =
            platform::readIniValue(path, key.section, key.key, key.fallback, longestValue);
        // A number outside the signed 32-bit range would wrap into some other
        // value; it is refused like any other text that is not a number.
        std::optional<std::int32_t> number = readInt32(text);
        if (!number) {
            sendConsole(spawn, notNumericMessage(key));
            number = readNumber(key.fallback);
        } else if (*number < 0 && isPrice(key)) {
            sendConsole(spawn, negativePriceMessage(key));
            number = readNumber(key.fallback);
        }
        if (key.field == nullptr) {
            spawn.storeOn = *number == 1;
        } else {
            spawn.settings.*key.field = *number;
        }
    }
    spawn.autosaveInterval = spawn.settings.autoSave;
    spawn.linesPerSecond = spawn.settings.linesPerSecond;
}

} // namespace quorvel
