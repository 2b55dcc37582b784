// Reading WarpTeam.ini and WarpArea.ini: plain lists of whole numbers
// separated by white space. The readers take the file's text (nothing when
// the file could not be read) and return what could be read; a value that
// was not read is simply absent, so it can never be used as a destination or
// a rectangle bound.
#pragma once

#include "base/platform/status.h"
#include "warps/auto_warper.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

inline constexpr const char* warpTeamFileName = "WarpTeam.ini";
inline constexpr const char* warpAreaFileName = "WarpArea.ini";

// What a reader finds wrong with a file, in the words the console is told:
// the reason of a Status that is not found (no text) or failed (the rest).
inline constexpr std::string_view warpTeamFileMissing =
    "WarpTeam.ini error: file not found, no team place is used";
inline constexpr std::string_view warpTeamFileShort =
    "WarpTeam.ini error: fewer numbers than MaxWarpTeams and the insert rectangle need, what is "
    "missing is not used";
inline constexpr std::string_view warpTeamFileDamaged =
    "WarpTeam.ini error: a value is not a whole number, it and every value after it are not used";
inline constexpr std::string_view warpAreaFileMissing =
    "WarpArea.ini error: file not found, no area is used";
inline constexpr std::string_view warpAreaFileShort =
    "WarpArea.ini error: fewer numbers than MaxWarpAreas records need, incomplete records are not "
    "used";
inline constexpr std::string_view warpAreaFileDamaged =
    "WarpArea.ini error: a value is not a whole number, it and every value after it are not used";

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
    platform::Status status; // ok when everything asked for was read
};

struct WarpAreaRecord {
    WarpRectangle area;
    TilePoint destination;
};

struct WarpAreaFile {
    std::vector<WarpAreaRecord> records; // complete records, in file order
    platform::Status status;             // ok when every record asked for was read
};

enum class WarpFile : std::uint8_t { Team, Area };

// What one parse of a file found wrong, for the console.
struct WarpFileFindings {
    std::uint64_t parse = 0; // counts the parses of the file; 0: none yet
    platform::Status status;
    // The areas (WarpArea.ini) or freqs (WarpTeam.ini) left out because
    // they lead back where they started, counted from 0, ascending.
    std::vector<std::size_t> looping;
    std::size_t contentHash = 0; // of the text parsed, when anything was found
    // What is wrong, in the words the console is told, in order: the read's
    // problem (when `status` is not ok), then the areas or freqs left out
    // (when `looping` is not empty).
    std::vector<std::string> lines;
};

// Both readers stop at the first token that is not a whole number in the
// signed 32-bit range: the values after it cannot be told apart from
// shifted ones, so none of them is used. What is needed beyond the end of
// the text is missing; whatever follows the needed numbers is ignored.

// `teams` pairs (a count of 0 or less reads none), then, when `withInsert`,
// the insert rectangle's left and, unless it is 0 or -1, its top, right and
// bottom.
WarpTeamFile readWarpTeamFile(std::optional<std::string_view> text, std::int32_t teams,
                              bool withInsert);

// `areas` records of six numbers: left, top, right, bottom, destination x
// and y. A count of 0 or less reads none.
WarpAreaFile readWarpAreaFile(std::optional<std::string_view> text, std::int32_t areas);

// Strictly inside: the border tiles are outside.
bool insideRectangle(const WarpRectangle& rectangle, std::int32_t tileX, std::int32_t tileY);

} // namespace quorvel
