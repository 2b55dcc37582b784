// The module's own service (its "!about" and "!version" and its own keys of
// quorvel.ini), and the reader of quorvel.ini, which hands every service the
// keys its table names.
#pragma once

#include "base/service/service.h"

#include "gold/database_settings.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

struct BotSpawn;

// The module's own keys of [Settings]. The initial values are the defaults
// a missing key gives (about.cpp).
struct PluginSettings {
    std::int32_t commandBudget = 0;  // commands a player may type in any 10 s; 0 or less: no limit
    std::int32_t linesPerSecond = 0; // lines the bot sends in a second; 0 or less: no limit
};

// quorvel.ini as the bot last read it: the file's bytes (nothing when it
// could not be read), the text of every key, and the [Database] section.
// The file is read again once a second; only other bytes are looked at
// further, and then only keys whose text differs are weighed, so a value
// refused once is not refused again until it is edited.
struct SettingsSeen {
    bool read = false;
    std::optional<std::string> bytes;
    platform::Status unreadable;              // why the last read found no file
    std::map<std::string, std::string> texts; // "Section:Key" -> text as read
    DatabaseSettingsRead database;
};

struct ModuleService : Service {
    explicit ModuleService(BotSpawn& ownSpawn);

    BotSpawn& spawn; // every service's state, for !reload
    PluginSettings settings;
    SettingsSeen seen;
};

// What one more read of quorvel.ini did: its console lines in the order the
// file is read (values applied, values refused, values that wait for the
// next start), and how many of each.
struct SettingsReload {
    bool fileChanged = false;
    std::optional<std::string> unreadable; // the file could not be read: why
    std::vector<std::string> lines;
    std::size_t applied = 0;
    std::size_t refused = 0;
    std::size_t atNextStart = 0;
};

// The module's own commands, !about and !version, and its own keys.
extern const ServiceTable<ModuleService> moduleTable;

// Reads quorvel.ini from the working directory: every key of every service's
// table lands in that service's state. Answers what is wrong with the file,
// one line for each value that is refused (not a number, or outside its
// limits: the key keeps its default), in the words the console shows, in the
// order the file is read.
// What was read is remembered (ModuleService::seen) for reloadSettings.
[[nodiscard]] std::vector<std::string> readSettings(BotSpawn& spawn);

// How many keys quorvel.ini can set across every service's table (the
// [Database] section apart).
std::size_t settingKeyCount(BotSpawn& spawn);

// Reads quorvel.ini again while the bot runs. When its bytes differ from
// the last read, every key whose text changed is weighed: a valid new value
// lands in its service at once (the service's `changed` step follows) and
// is listed as "quorvel.ini: Section:Key old -> new"; a value that is not
// valid leaves the one in force and is told in the handshake's words; a
// change of [Database] is listed as taking effect at the next start. A file
// that cannot be read keeps every value in force.
[[nodiscard]] SettingsReload reloadSettings(BotSpawn& spawn);

// The line for the staff member who asked: "quorvel.ini: 2 values applied,
// 1 refused." or "quorvel.ini: nothing changed."
std::string reloadSummary(const SettingsReload& reload);

} // namespace quorvel
