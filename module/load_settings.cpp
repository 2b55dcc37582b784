#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"
#include "module/service_registry.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace quorvel {
namespace {

constexpr const char* settingsFileName = "quorvel.ini";
constexpr std::size_t longestValue = 15;

// The file is read, and what is wrong with it told, section by section in
// this order, and in [Settings] key by key in this order, as it always has
// been; otherwise in the order of the services and their tables. A section
// or key not named here comes after those that are.
constexpr std::string_view sectionOrder[] = {"Settings", "Gold", "Store"};
constexpr std::string_view settingsKeyOrder[] = {
    "Inventory", "MaxWarpTeams", "MaxWarpAreas", "AutoSave", "CommandBudget", "LinesPerSecond",
};

template <std::size_t N>
std::size_t placeIn(const std::string_view (&names)[N], std::string_view name) {
    return static_cast<std::size_t>(std::ranges::find(names, name) - std::begin(names));
}

// One key of some service's table, and the number of that service's state
// it lands in.
struct KeyToRead {
    std::string_view section;
    std::string_view key;
    std::int32_t fallback;
    SettingLimit limit;
    std::int32_t* number;

    std::pair<std::size_t, std::size_t> place() const {
        return {placeIn(sectionOrder, section),
                section == sectionOrder[0] ? placeIn(settingsKeyOrder, key) : 0};
    }
};

std::string where(const KeyToRead& key) {
    return std::string("quorvel.ini error: ") + std::string(key.section) + ":" +
           std::string(key.key);
}

} // namespace

std::vector<std::string> readSettings(BotSpawn& spawn) {
    std::vector<KeyToRead> keys;
    anyService(spawn, [&](const auto& table, auto& state) {
        for (const auto& key : table.settings) {
            keys.push_back({key.section, key.key, key.fallback, key.limit, &key.field(state)});
        }
        return false;
    });
    std::ranges::stable_sort(keys, {}, &KeyToRead::place);

    std::vector<std::string> findings;
    const std::string path = platform::joinPath(spawn.os->currentDirectory(), settingsFileName);
    for (const KeyToRead& key : keys) {
        const std::string fallback = decimal(key.fallback);
        const std::string text =
            spawn.os->readIniValue(path, key.section, key.key, fallback, longestValue);
        // A number outside the signed 32-bit range would wrap into some other
        // value; it is refused like any other text that is not a number.
        std::optional<std::int32_t> number = readInt32(text);
        if (!number) {
            findings.push_back(where(key) + " must be numeric");
            number = key.fallback;
        } else if (*number < 0 && key.limit == SettingLimit::notNegative) {
            findings.push_back(where(key) + " must not be negative; the default " + fallback +
                               " is used");
            number = key.fallback;
        }
        *key.number = *number;
    }
    return findings;
}

} // namespace quorvel
