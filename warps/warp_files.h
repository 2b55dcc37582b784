// Reading WarpTeam.ini and WarpArea.ini: plain lists of whole numbers
// separated by white space. The readers take the file's text and return
// what could be read; a value that was not read is simply absent, so it can
// never be used as a destination or a rectangle bound.
#pragma once

#include "warps/auto_warper.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvel {

inline constexpr const char* warpTeamFileName = "WarpTeam.ini";
inline constexpr const char* warpAreaFileName = "WarpArea.ini";

struct TilePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const TilePoint&) const = default;
};

struct WarpTeamFile {
    // The places of teams 0, 1, ... as far as both numbers of a pair were
    // read: a team at or beyond the end of the list has no place.
    std::vector<TilePoint> places;
    // The insert rectangle's left, when it was asked for and read.
    std::optional<std::int32_t> insertLeft;
    // The whole rectangle, when its left was neither 0 nor -1 and the three
    // numbers after it were read as well.
    std::optional<WarpRectangle> insertRectangle;
    WarpFileProblem problem = WarpFileProblem::None;
};

struct WarpAreaRecord {
    WarpRectangle area;
    TilePoint destination;
};

struct WarpAreaFile {
    std::vector<WarpAreaRecord> records; // complete records, in file order
    WarpFileProblem problem = WarpFileProblem::None;
};

// What one parse of a file found wrong, for the console.
struct WarpFileFindings {
    std::uint64_t parse = 0; // counts the parses of the file; 0: none yet
    WarpFileProblem problem = WarpFileProblem::None;
    // The areas (WarpArea.ini) or freqs (WarpTeam.ini) left out because
    // they lead back where they started, counted from 0, ascending.
    std::vector<std::size_t> looping;
    std::size_t contentHash = 0; // of the text parsed, when anything was found
};

// Both readers stop at the first token that is not a whole number in the
// signed 32-bit range: the values after it cannot be told apart from
// shifted ones, so none of them is used. What is needed beyond the end of
// the text is missing; whatever follows the needed numbers is ignored.

// `teams` pairs (a count of 0 or less reads none), then, when `withInsert`,
// the insert rectangle's left and, unless it is 0 or -1, its top, right and
// bottom.
WarpTeamFile readWarpTeamFile(std::string_view text, std::int32_t teams, bool withInsert);

// `areas` records of six numbers: left, top, right, bottom, destination x
// and y. A count of 0 or less reads none.
WarpAreaFile readWarpAreaFile(std::string_view text, std::int32_t areas);

// Strictly inside: the border tiles are outside.
bool insideRectangle(const WarpRectangle& rectangle, std::int32_t tileX, std::int32_t tileY);

} // namespace quorvel
