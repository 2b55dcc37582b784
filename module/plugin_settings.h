// The module's own service (its "!about" and "!version" and its own keys of
// quorvel.ini), and the reader of quorvel.ini, which hands every service the
// keys its table names.
#pragma once

#include "base/service/service.h"

#include <cstdint>
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

struct ModuleService : Service {
    using Service::Service;

    PluginSettings settings;
};

// The module's own commands, !about and !version, and its own keys.
extern const ServiceTable<ModuleService> moduleTable;

// Reads quorvel.ini from the working directory: every key of every service's
// table lands in that service's state. Answers what is wrong with the file,
// one line for each value that is refused (not a number, or outside its
// limits: the key keeps its default), in the words the console shows, in the
// order the file is read.
[[nodiscard]] std::vector<std::string> readSettings(BotSpawn& spawn);

} // namespace quorvel
