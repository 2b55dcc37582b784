// Ghoulset.ini: eight numbers (human freq and ship, zombie freq and ship,
// the sanctuary corners), read at the handshake, "!zon" and "!zload",
// written by "!zsave" and at Terminate.
#pragma once

#include "base/platform/platform.h"

#include <string>

namespace quorvel {

struct ZombieGame;

inline constexpr const char* ghoulsetFileName = "Ghoulset.ini";

// The file's bytes for the current settings: "ht hs" / "zt zs" /
// "minX minY maxX maxY", the last line without a line end.
std::string ghoulsetText(const ZombieGame& game);

// Whatever leading numbers a text holds replace the settings in order;
// the sanctuary switch follows the rectangle.
void readGhoulsetText(ZombieGame& game, std::string_view text);
void applyMissingGhoulset(ZombieGame& game);

platform::Status saveZombieSettings(platform::FileSystem& files, const ZombieGame& game);

} // namespace quorvel
