// Ghoulset.ini: eight numbers (human freq and ship, zombie freq and ship,
// the sanctuary corners), read at the handshake, "!zon" and "!zload",
// written by "!zsave" and at Terminate.
#pragma once

#include "base/platform/platform.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quorvel {

struct ZombieGame;

inline constexpr const char* ghoulsetFileName = "Ghoulset.ini";
// The numbers the file holds: human freq and ship, zombie freq and ship, and
// the sanctuary's four corners.
inline constexpr std::size_t ghoulsetNumbers = 8;

// The file's bytes for the current settings: "ht hs" / "zt zs" /
// "minX minY maxX maxY", the last line without a line end.
std::string ghoulsetText(const ZombieGame& game);

// Whatever leading numbers a text holds replace the settings in order;
// the sanctuary switch follows the rectangle. Says how many of the eight
// were read: the settings after them keep their values.
[[nodiscard]] std::size_t readGhoulsetText(ZombieGame& game, std::string_view text);
void applyMissingGhoulset(ZombieGame& game);

// What one read of Ghoulset.ini found: how many of its eight numbers it
// took, and what is wrong with the file in the words the console is told,
// in order. A file that is not there gives the defaults and no finding.
struct GhoulsetRead {
    platform::Status read; // of the file itself
    std::size_t numbersRead = 0;
    std::vector<std::string> findings;
};

// Reads Ghoulset.ini into the settings through the bot's files; the caller
// tells the console the findings.
[[nodiscard]] GhoulsetRead readZombieSettings(ZombieGame& game);

[[nodiscard]] platform::Status saveZombieSettings(platform::FileSystem& files,
                                                  const ZombieGame& game);

} // namespace quorvel
