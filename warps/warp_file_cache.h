// WarpTeam.ini and WarpArea.ini are read at their first use and then once a
// second, on the tick; a move report or a team warp uses the last parse and
// never touches the file system. The bytes read on the tick are compared
// with the ones read before, and only different bytes are parsed again:
// neither the size nor the modification time tells whether a file changed
// (a copy that keeps both, a file system with a coarse clock, a stamp in
// the future after the clock was set back), so neither is looked at.
//
// Each parse looks for warp loops too (warp_loops.h): areas on a loop and
// team places that lead back into the insert rectangle are left out.
#pragma once

#include "base/platform/platform.h"
#include "warps/warp_files.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// The text of one file as last read: nothing when it could not be opened.
struct CachedWarpText {
    bool read = false;
    std::optional<std::string> content;
    std::uint64_t version = 0; // grows whenever a read finds other contents
};

// Reads the file now; the version grows when what it holds (or whether it
// can be opened) differs from the last read.
void readWarpText(platform::FileSystem& files, CachedWarpText& cached, const char* fileName);

// WarpArea.ini as parsed for one count of records.
struct ParsedAreas {
    bool made = false;
    std::uint64_t textVersion = 0;
    std::int32_t count = 0;
    WarpAreaFile file;                 // everything read
    std::vector<WarpAreaRecord> inUse; // without the areas on a loop
    WarpFileFindings findings;
};

// WarpTeam.ini as parsed for one count of places and insert choice, checked
// against the areas in use at one parse of WarpArea.ini (0: none).
struct ParsedTeams {
    bool made = false;
    std::uint64_t textVersion = 0;
    std::int32_t count = 0;
    bool withInsert = false;
    std::uint64_t areasParse = 0;
    WarpTeamFile file;
    std::vector<bool> placeInUse; // one for each place of `file`
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
// A rectangle read in full is checked against the first `areas` records of
// WarpArea.ini (none when `areas` is 0 or less).
const ParsedTeams& currentWarpTeamFile(AutoWarper& warper, std::int32_t teams, bool withInsert,
                                       std::int32_t areas);

} // namespace quorvel
