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

// In the order the file is read and its messages are echoed.
constexpr SettingKey keys[] = {
    {"Settings", "Inventory", "0", &PluginSettings::inventory},
    {"Settings", "MaxWarpTeams", "0", &PluginSettings::maxWarpTeams},
    {"Settings", "MaxWarpAreas", "0", &PluginSettings::maxWarpAreas},
    {"Settings", "AutoSave", "300", nullptr, &GoldSettings::autoSave},
    {"Settings", "CommandBudget", "0", &PluginSettings::commandBudget},
    {"Settings", "LinesPerSecond", "0", &PluginSettings::linesPerSecond},
    {"Gold", "FlagVictory", "100", nullptr, &GoldSettings::flagVictory},
    {"Gold", "SoccerGoal", "25", nullptr, &GoldSettings::soccerGoal},
    {"Gold", "Kill", "2", nullptr, &GoldSettings::kill},
    {"Gold", "TeamKill", "5", nullptr, &GoldSettings::teamKill},
    {"Gold", "AntiInCenter", "5", nullptr, &GoldSettings::antiInCenter},
    {"Gold", "RepeatKillWindow", "0", nullptr, &GoldSettings::repeatKillWindow},
    {"Store", "Flags", "500", nullptr, &GoldSettings::flags},
    {"Store", "Arena", "500", nullptr, &GoldSettings::arena},
    {"Store", "Points", "500", nullptr, &GoldSettings::points},
    {"Store", "Bounty", "400", nullptr, &GoldSettings::bounty},
    {"Store", "MultiFire", "150", nullptr, &GoldSettings::multiFire},
    {"Store", "Super", "150", nullptr, &GoldSettings::super},
    {"Store", "Shield", "150", nullptr, &GoldSettings::shield},
    {"Store", "MultiPrize", "150", nullptr, &GoldSettings::multiPrize},
    {"Store", "Thor", "100", nullptr, &GoldSettings::thor},
    {"Store", "Portal", "100", nullptr, &GoldSettings::portal},
    {"Store", "GunUpgrade", "300", nullptr, &GoldSettings::gunUpgrade},
    {"Store", "BombUpgrade", "350", nullptr, &GoldSettings::bombUpgrade},
    {"Store", "ScoreReset", "50", nullptr, &GoldSettings::scoreReset},
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

std::span<const SettingKey> settingKeys() {
    return keys;
}

void loadSettings(BotSpawn& spawn) {
    const std::string path = platform::joinPath(spawn.os->currentDirectory(), settingsFileName);
    for (const SettingKey& key : keys) {
        std::string text =
            spawn.os->readIniValue(path, key.section, key.key, key.fallback, longestValue);
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
        if (key.field != nullptr) {
            spawn.settings.*key.field = *number;
        } else {
            spawn.gold.settings.*key.goldField = *number;
        }
    }
    const PluginSettings& read = spawn.settings;
    spawn.linesPerSecond = read.linesPerSecond;
    spawn.gold.storeOn = read.inventory == 1;
    spawn.autoWarper.maxWarpTeams = read.maxWarpTeams;
    spawn.autoWarper.maxWarpAreas = read.maxWarpAreas;
}

} // namespace quorvel
