// Team warping: a player is sent to the place WarpTeam.ini gives for his
// freq. The file is read again once a second, so an operator's edit takes
// effect within a second; the parse refreshes the insert rectangle while
// warping on insert is on. A place that would bring a player warped on
// insert back into the rectangle is not used.
#include "warps/auto_warper.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "warps/file_notices.h"
#include "warps/warp_file_cache.h"
#include "warps/warp_files.h"

#include <algorithm>

namespace quorvel {
namespace {

// A left of 0 or -1 switches warping on insert off and replaces only the
// left. A rectangle the file does not hold in full is dropped rather than
// patched from an older read.
void takeInsertArea(AutoWarper& warper, const WarpTeamFile& file) {
    if (!file.insertLeft) {
        warper.insertArea = {};
        return;
    }
    const std::int32_t left = *file.insertLeft;
    if (left == 0 || left == -1) {
        warper.insertArea.left = left;
        warper.insertWarpOn = false;
        return;
    }
    warper.insertArea = file.insertRectangle.value_or(WarpRectangle{});
}

} // namespace

void warpTeam(AutoWarper& warper, const PlayerRecord& player) {
    // A negative count is taken as 0: no team has a place.
    const std::int32_t teams = std::max(warper.maxWarpTeams, 0);
    if (teams == 0) {
        warper.teamWarpOn = false;
    }
    const bool withInsert = warper.insertWarpOn;
    if (teams == 0 && !withInsert) {
        return; // nothing to read
    }
    // The places are checked against the insert rectangle and the areas of
    // WarpArea.ini (none while MaxWarpAreas is 0 or less).
    const ParsedTeams& current =
        currentWarpTeamFile(warper, teams, withInsert, std::max(warper.maxWarpAreas, 0));
    const WarpTeamFile& file = current.file;
    // The warp goes out whatever the ship, spectators included; a freq
    // without a place that was read in full and is in use is not moved.
    if (player.team < file.places.size() && current.placeInUse[player.team]) {
        const TilePoint& place = file.places[player.team];
        sendPrivate(warper.bot, player, zone::warpTo(place.x, place.y));
    }
    if (withInsert) {
        takeInsertArea(warper, file);
    }
    tellWarpFileFindings(warper, WarpFile::Team, current.findings);
}

void checkInsertWarp(AutoWarper& warper, const PlayerRecord& player) {
    const WarpRectangle& area = warper.insertArea;
    if (area.left == 0) {
        return;
    }
    if (insideRectangle(area, player.tileX, player.tileY)) {
        warpTeam(warper, player);
    }
}

} // namespace quorvel
