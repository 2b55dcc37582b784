#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/database_settings.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"
#include "module/service_registry.h"

#include <algorithm>
#include <functional>
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

// One key of some service's table, the number of that service's state it
// lands in, and that service's step for a change of it while the bot runs.
struct KeyToRead {
    std::string_view section;
    std::string_view key;
    std::int32_t fallback;
    SettingLimit limit;
    std::int32_t* number;
    std::function<void()> changed;

    std::pair<std::size_t, std::size_t> place() const {
        return {placeIn(sectionOrder, section),
                section == sectionOrder[0] ? placeIn(settingsKeyOrder, key) : 0};
    }
    std::string name() const { return std::string(section) + ":" + std::string(key); }
};

std::vector<KeyToRead> keysOf(BotSpawn& spawn) {
    std::vector<KeyToRead> keys;
    anyService(spawn, [&](const auto& table, auto& state) {
        for (const auto& key : table.settings) {
            std::function<void()> changed;
            if (key.changed != nullptr) {
                changed = [&state, step = key.changed] { step(state); };
            }
            keys.push_back(
                {key.section, key.key, key.fallback, key.limit, &key.field(state), changed});
        }
        return false;
    });
    std::ranges::stable_sort(keys, {}, &KeyToRead::place);
    return keys;
}

std::string settingsPath(BotSpawn& spawn) {
    return platform::joinPath(spawn.os->currentDirectory(), settingsFileName);
}

std::string readText(BotSpawn& spawn, const std::string& path, const KeyToRead& key) {
    return spawn.os->readIniValue(path, key.section, key.key, decimal(key.fallback), longestValue);
}

// The value a key's text gives, or what is wrong with it, in the words of
// the console up to what is used instead.
struct Judged {
    std::optional<std::int32_t> number;
    std::string wrong;
    bool saysWhatIsUsed = false; // the words go on to name the value used instead
};

Judged judge(const KeyToRead& key, const std::string& text) {
    const std::string where = "quorvel.ini error: " + key.name();
    // A number outside the signed 32-bit range would wrap into some other
    // value; it is refused like any other text that is not a number.
    const std::optional<std::int32_t> number = readInt32(text);
    if (!number) {
        return {std::nullopt, where + " must be numeric"};
    }
    if (*number < 0 && key.limit == SettingLimit::notNegative) {
        return {std::nullopt, where + " must not be negative", true};
    }
    return {number, {}};
}

// The [Database] section's values as an operator reads them, by key; a
// connection string with its passwords hidden.
std::vector<std::pair<std::string_view, std::string>> shownValues(const DatabaseSettings& s) {
    return {
        {"Economy", s.economy == EconomyKind::database ? "database" : "files"},
        {"Connection", s.connection.empty() ? "none" : connectionForDisplay(s.connection)},
        {"HostId", s.hostId.empty() ? "none" : s.hostId},
        {"PollSeconds", decimal(s.pollSeconds)},
        {"LoginTimeout", decimal(s.loginTimeout)},
        {"NetworkTimeoutMs", decimal(s.networkTimeoutMs)},
        {"TerminateWaitMs", decimal(s.terminateWaitMs)},
        {"OfflinePurchases", s.offlinePurchases ? "1" : "0"},
    };
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::ranges::find(lines, line) != lines.end();
}

// [Database] is read when the folder's economy is opened: a change waits for
// the next start. What is wrong with the new section is told once, in the
// words of a start, instead of the change of the key it concerns.
void weighDatabase(BotSpawn& spawn, SettingsReload& reload) {
    SettingsSeen& seen = spawn.own.seen;
    DatabaseSettingsRead now = readDatabaseSettings(*spawn.os, spawn.os->currentDirectory());
    std::vector<std::string> newFindings;
    for (const std::string& finding : now.findings) {
        if (!contains(seen.database.findings, finding)) {
            newFindings.push_back(finding);
        }
    }
    const auto before = shownValues(seen.database.settings);
    const auto after = shownValues(now.settings);
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::string name = "Database:" + std::string(before[i].first);
        const bool told = std::ranges::any_of(newFindings, [&](const std::string& finding) {
            return finding.starts_with("quorvel.ini error: " + name + " ");
        });
        if (before[i].second != after[i].second && !told) {
            reload.lines.push_back("quorvel.ini: " + name + " " + before[i].second + " -> " +
                                   after[i].second + " takes effect at the next start.");
            ++reload.atNextStart;
        }
    }
    for (std::string& finding : newFindings) {
        reload.lines.push_back(std::move(finding));
        ++reload.refused;
    }
    seen.database = std::move(now);
}

} // namespace

std::vector<std::string> readSettings(BotSpawn& spawn) {
    const std::vector<KeyToRead> keys = keysOf(spawn);
    SettingsSeen& seen = spawn.own.seen;
    const std::string path = settingsPath(spawn);
    // The bytes first: an edit made while the keys are read shows at the
    // next look as other bytes.
    seen = {};
    seen.read = true;
    seen.bytes.emplace();
    if (platform::Status status = spawn.os->readFile(path, *seen.bytes); !status.ok()) {
        seen.bytes.reset();
        seen.unreadable = std::move(status);
    }
    seen.database = readDatabaseSettings(*spawn.os, spawn.os->currentDirectory());

    std::vector<std::string> findings;
    for (const KeyToRead& key : keys) {
        const std::string text = readText(spawn, path, key);
        seen.texts[key.name()] = text;
        const Judged judged = judge(key, text);
        if (!judged.number && judged.saysWhatIsUsed) {
            findings.push_back(judged.wrong + "; the default " + decimal(key.fallback) +
                               " is used");
        } else if (!judged.number) {
            findings.push_back(judged.wrong);
        }
        *key.number = judged.number.value_or(key.fallback);
    }
    return findings;
}

std::size_t settingKeyCount(BotSpawn& spawn) {
    return keysOf(spawn).size();
}

SettingsReload reloadSettings(BotSpawn& spawn) {
    SettingsReload reload;
    SettingsSeen& seen = spawn.own.seen;
    const std::string path = settingsPath(spawn);
    std::optional<std::string> bytes(std::in_place);
    platform::Status status = spawn.os->readFile(path, *bytes);
    if (!status.ok()) {
        bytes.reset();
        reload.unreadable = status.isNotFound()
                                ? "quorvel.ini is not there: the values in force are kept."
                                : "quorvel.ini could not be read: " + status.reason() +
                                      "; the values in force are kept.";
    }
    if (seen.read && bytes == seen.bytes && (bytes || status == seen.unreadable)) {
        return reload;
    }
    reload.fileChanged = true;
    seen.read = true;
    seen.bytes = bytes;
    seen.unreadable = status;
    if (!bytes) {
        // Told once; the keys keep the texts last read, so the file that
        // comes back is weighed against them.
        reload.lines.push_back(*reload.unreadable);
        return reload;
    }
    for (const KeyToRead& key : keysOf(spawn)) {
        const std::string text = readText(spawn, path, key);
        std::string& last = seen.texts[key.name()];
        if (text == last) {
            continue;
        }
        last = text;
        const Judged judged = judge(key, text);
        const std::int32_t inForce = *key.number;
        if (!judged.number) {
            // A running bot keeps what it has rather than fall back.
            reload.lines.push_back(judged.wrong + (judged.saysWhatIsUsed
                                                       ? "; " + decimal(inForce) + " stays in force"
                                                       : std::string()));
            ++reload.refused;
        } else if (*judged.number != inForce) {
            *key.number = *judged.number;
            reload.lines.push_back("quorvel.ini: " + key.name() + " " + decimal(inForce) + " -> " +
                                   decimal(*judged.number));
            ++reload.applied;
            if (key.changed) {
                key.changed();
            }
        }
    }
    weighDatabase(spawn, reload);
    return reload;
}

std::string reloadSummary(const SettingsReload& reload) {
    if (reload.unreadable) {
        return *reload.unreadable;
    }
    if (reload.applied + reload.refused + reload.atNextStart == 0) {
        return "quorvel.ini: nothing changed.";
    }
    std::string summary = "quorvel.ini: " + std::to_string(reload.applied) +
                          (reload.applied == 1 ? " value applied" : " values applied");
    if (reload.refused > 0) {
        summary += ", " + std::to_string(reload.refused) + " refused";
    }
    if (reload.atNextStart > 0) {
        summary += ", " + std::to_string(reload.atNextStart) +
                   (reload.atNextStart == 1 ? " takes" : " take") + " effect at the next start";
    }
    return summary + ".";
}

} // namespace quorvel
