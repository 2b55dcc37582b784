// Console notices about WarpTeam.ini and WarpArea.ini that cannot be read
// as they should: one per file and problem, not one per move report.
#pragma once

#include "warps/auto_warper.h"

#include <optional>
#include <string>

namespace quorvel {

enum class WarpFile : std::uint8_t { Team, Area };

// Tells the console about `problem` unless this very problem was already told
// for the same file text; a read without a problem forgets the last notice,
// so the problem is told again when it comes back. `content` is the file's
// text, or nothing when it could not be opened.
void noticeWarpFileProblem(BotSpawn& spawn, WarpFile file, WarpFileProblem problem,
                           const std::optional<std::string>& content);

} // namespace quorvel
