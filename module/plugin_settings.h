// quorvel.ini: the store switch, the warp table sizes, the limits on
// commands and lines, the gold awards and the store prices, read once per
// accepted handshake and handed to the services that use them.
#pragma once

#include "gold/gold_settings.h"

#include <cstdint>
#include <span>

namespace quorvel {

struct BotSpawn;

struct PluginSettings {
    // Settings
    std::int32_t inventory = 0; // 1: the store starts on
    std::int32_t maxWarpTeams = 0;
    std::int32_t maxWarpAreas = 0;
    std::int32_t commandBudget = 0;  // commands a player may type in any 10 s; 0 or less: no limit
    std::int32_t linesPerSecond = 0; // lines the bot sends in a second; 0 or less: no limit
    // AutoSave, [Gold] and [Store] go straight to the gold economy's own
    // settings.
};

// One key of quorvel.ini: where it is, what a missing or unreadable value
// falls back to, and where the value goes: a field of the module's own, or
// of the gold economy's settings.
struct SettingKey {
    const char* section;
    const char* key;
    const char* fallback;
    std::int32_t PluginSettings::*field = nullptr;
    std::int32_t GoldSettings::*goldField = nullptr;
};

// Every key, in the order the file is read and its messages are echoed.
std::span<const SettingKey> settingKeys();

// Reads quorvel.ini from the working directory into the spawn's settings
// and hands each service its part; echoes one message for every value that
// is not a number and keeps that key's fallback.
void loadSettings(BotSpawn& spawn);

} // namespace quorvel
