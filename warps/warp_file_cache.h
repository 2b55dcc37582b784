// WarpTeam.ini and WarpArea.ini are parsed again only when they have
// changed. A file whose size and modification time are those of the last
// read gives the last read's numbers, so a move report costs one look at
// the file's stamp instead of a read and a parse, and an operator's edit
// still takes effect at the next event.
//
// A stamp is only trusted once the file is older than the clock's
// granularity at the time it was read: a file written in the same instant
// as it was read (an edit saved twice within a few milliseconds, with the
// same size) keeps being read until it has settled.
#pragma once

#include "frame/platform/platform.h"
#include "warps/warp_files.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

// The text of one file as last read: nothing when it could not be opened.
struct CachedWarpText {
    bool read = false;
    bool settled = false; // the stamp was old enough to be trusted
    std::optional<platform::FileStamp> stamp;
    std::optional<std::string> content;
};

struct WarpFileCaches {
    CachedWarpText areaText;
    bool areaParsed = false;
    std::int32_t areaCount = 0;
    WarpAreaFile areaFile;

    CachedWarpText teamText;
    bool teamParsed = false;
    std::int32_t teamCount = 0;
    bool teamWithInsert = false;
    WarpTeamFile teamFile;
};

// The file's text, read again when it has changed since the last read;
// true when it was read again.
bool refreshWarpText(CachedWarpText& cached, const char* fileName);

// WarpArea.ini with `areas` records, and the text it was read from.
struct AreaFileView {
    const WarpAreaFile& file;
    const std::optional<std::string>& content;
};
AreaFileView currentWarpAreaFile(AutoWarper& warper, std::int32_t areas);

// WarpTeam.ini with `teams` places and, when asked, the insert rectangle.
struct TeamFileView {
    const WarpTeamFile& file;
    const std::optional<std::string>& content;
};
TeamFileView currentWarpTeamFile(AutoWarper& warper, std::int32_t teams, bool withInsert);

} // namespace quorvel
