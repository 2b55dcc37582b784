// WarpTeam.ini and WarpArea.ini are read at their first use and then once a
// second, on the tick; a move report or a team warp uses the last parse and
// never touches the file system. The bytes read on the tick are compared
// with the ones read before, and only different bytes are parsed again:
// neither the size nor the modification time tells whether a file changed
// (a copy that keeps both, a file system with a coarse clock, a stamp in
// the future after the clock was set back), so neither is looked at.
#pragma once

#include "warps/warp_files.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

// The text of one file as last read: nothing when it could not be opened.
struct CachedWarpText {
    bool read = false;
    std::optional<std::string> content;
    std::uint64_t version = 0; // grows whenever a read finds other contents
};

// Reads the file now; the version grows when what it holds (or whether it
// can be opened) differs from the last read.
void readWarpText(CachedWarpText& cached, const char* fileName);

// WarpArea.ini as parsed for one count of records.
struct ParsedAreas {
    bool made = false;
    std::uint64_t textVersion = 0;
    std::int32_t count = 0;
    WarpAreaFile file;
    WarpFileFindings findings;
};

// WarpTeam.ini as parsed for one count of places and insert choice.
struct ParsedTeams {
    bool made = false;
    std::uint64_t textVersion = 0;
    std::int32_t count = 0;
    bool withInsert = false;
    WarpTeamFile file;
    WarpFileFindings findings;
};

struct WarpFileCaches {
    CachedWarpText areaText;
    ParsedAreas areas;
    CachedWarpText teamText;
    ParsedTeams teams;
};

// WarpArea.ini with `areas` records (more than 0): read when it never was,
// parsed again when its text or the count changed.
const ParsedAreas& currentWarpAreaFile(AutoWarper& warper, std::int32_t areas);

// WarpTeam.ini with `teams` places and, when asked, the insert rectangle.
const ParsedTeams& currentWarpTeamFile(AutoWarper& warper, std::int32_t teams, bool withInsert);

} // namespace quorvel
