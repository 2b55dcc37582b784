#include "warps/warp_file_cache.h"

#include <memory>

namespace quorvel {
namespace {

// Wider than any file system's timestamp granularity (FAT's is 2 seconds).
constexpr std::int64_t settleNanoseconds = 3'000'000'000;

WarpFileCaches& cachesOf(AutoWarper& warper) {
    if (!warper.fileCaches) {
        warper.fileCaches = std::make_shared<WarpFileCaches>();
    }
    return *warper.fileCaches;
}

} // namespace

bool refreshWarpText(CachedWarpText& cached, const char* fileName) {
    // The stamp is taken before the read: a change made during the read
    // gives a new stamp at the next look.
    std::optional<platform::FileStamp> stamp = platform::fileStamp(fileName);
    if (cached.read && cached.settled && stamp == cached.stamp) {
        return false;
    }
    const std::int64_t readAt = platform::wallClockNanoseconds();
    cached.read = true;
    cached.stamp = stamp;
    cached.content = stamp ? platform::readWholeFile(fileName) : std::nullopt;
    cached.settled = !stamp || stamp->modified < readAt - settleNanoseconds;
    return true;
}

AreaFileView currentWarpAreaFile(AutoWarper& warper, std::int32_t areas) {
    WarpFileCaches& caches = cachesOf(warper);
    const bool changed = refreshWarpText(caches.areaText, warpAreaFileName);
    if (changed || !caches.areaParsed || caches.areaCount != areas) {
        if (caches.areaText.content) {
            caches.areaFile = readWarpAreaFile(*caches.areaText.content, areas);
        } else {
            caches.areaFile = {};
            caches.areaFile.problem = WarpFileProblem::Missing;
        }
        caches.areaParsed = true;
        caches.areaCount = areas;
    }
    return {caches.areaFile, caches.areaText.content};
}

TeamFileView currentWarpTeamFile(AutoWarper& warper, std::int32_t teams, bool withInsert) {
    WarpFileCaches& caches = cachesOf(warper);
    const bool changed = refreshWarpText(caches.teamText, warpTeamFileName);
    if (changed || !caches.teamParsed || caches.teamCount != teams ||
        caches.teamWithInsert != withInsert) {
        if (caches.teamText.content) {
            caches.teamFile = readWarpTeamFile(*caches.teamText.content, teams, withInsert);
        } else {
            caches.teamFile = {};
            caches.teamFile.problem = WarpFileProblem::Missing;
        }
        caches.teamParsed = true;
        caches.teamCount = teams;
        caches.teamWithInsert = withInsert;
    }
    return {caches.teamFile, caches.teamText.content};
}

} // namespace quorvel
