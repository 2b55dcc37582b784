// Automatic warping: team places from WarpTeam.ini, the insert rectangle,
// and areas from WarpArea.ini.
#pragma once

#include <quorvel/host_abi.h>

#include "base/platform/status.h"
#include "base/service/service.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace quorvel {

struct AutoWarper;

struct WarpRectangle {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// What the console was last told about one file, and the text the file
// held then: a file that stays broken is reported once, not at every move
// report; an edit that leaves it broken, or a new problem, is reported again.
struct WarpFileNotice {
    std::uint64_t parse = 0;  // the last parse whose findings were looked at
    platform::Status problem; // ok: none told
    std::size_t problemHash = 0;
    std::vector<std::size_t> looping; // the areas or freqs told as leading back
    std::size_t loopingHash = 0;
};

struct WarpFileCaches; // warp_file_cache.h

// [Settings] MaxWarpTeams and MaxWarpAreas of quorvel.ini: how many freqs
// and areas the warp files are read for. The initial values are the
// defaults a missing key gives (warps_table.cpp).
struct WarpTableSizes {
    std::int32_t maxWarpTeams = 0;
    std::int32_t maxWarpAreas = 0;
};

struct AutoWarper : Service, WarpTableSizes {
    using Service::Service;

    bool teamWarpOn = true;
    bool areaWarpOn = true;
    bool insertWarpOn = true;
    WarpRectangle insertArea; // left 0: no rectangle
    WarpFileNotice teamFileNotice;
    WarpFileNotice areaFileNotice;
    // The last reads of WarpTeam.ini and WarpArea.ini: made at first use,
    // then once a second on the tick.
    std::shared_ptr<WarpFileCaches> fileCaches;
};

// Sends the player to its freq's place.
void warpTeam(AutoWarper& warper, const PlayerRecord& player);
// Sends the player out of every area of WarpArea.ini it is inside.
void warpArea(AutoWarper& warper, const PlayerRecord& player);
// A player inside the insert rectangle is team-warped.
void checkInsertWarp(AutoWarper& warper, const PlayerRecord& player);
// Once a second: reads again the warp files read so far, so that a change
// of their contents is used from then on.
void runWarpFilesTick(AutoWarper& warper);

void commandTwarpon(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);
void commandTwarpoff(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);
void commandAwarpon(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);
void commandAwarpoff(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);
void commandIwarpon(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);
void commandIwarpoff(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);
void commandAlloff(AutoWarper& warper, const PlayerRecord& sender, std::string_view text);

// Automatic warping's commands, help lines and event steps.
extern const ServiceTable<AutoWarper> warpsTable;

} // namespace quorvel
