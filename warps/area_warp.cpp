// Area warping: a player of any freq and ship inside an area of
// WarpArea.ini is sent to that area's destination. Every area he is inside
// sends him on, in file order. The file is parsed again whenever it has
// changed, so an edit takes effect at the next move report.
#include "warps/auto_warper.h"

#include "frame/messages/senders.h"
#include "frame/messages/zone_lines.h"
#include "frame/platform/platform.h"
#include "frame/spawn/bot_spawn.h"
#include "warps/file_notices.h"
#include "warps/warp_file_cache.h"
#include "warps/warp_files.h"

#include <algorithm>

namespace quorvel {

void warpArea(BotSpawn& spawn, const PlayerRecord& player) {
    // A negative count is taken as 0: no areas, and area warping goes off.
    const std::int32_t areas = std::max(spawn.settings.maxWarpAreas, 0);
    if (areas == 0) {
        spawn.autoWarper.areaWarpOn = false;
        return;
    }
    const AreaFileView current = currentWarpAreaFile(spawn.autoWarper, areas);
    const WarpAreaFile& file = current.file;
    for (const WarpAreaRecord& record : file.records) {
        if (insideRectangle(record.area, player.tileX, player.tileY)) {
            sendPrivate(spawn, player, zone::warpTo(record.destination.x, record.destination.y));
        }
    }
    noticeWarpFileProblem(spawn, WarpFile::Area, file.problem, current.content);
}

} // namespace quorvel
