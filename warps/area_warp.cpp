// Area warping: a player of any freq and ship inside an area of
// WarpArea.ini is sent to that area's destination. Every area he is inside
// sends him on, in file order, except the areas on a warp loop. The file is
// read again once a second, so an edit takes effect within a second.
#include "warps/auto_warper.h"

#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "module/bot_spawn.h"
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
    const ParsedAreas& current = currentWarpAreaFile(*spawn.files, spawn.autoWarper, areas);
    for (const WarpAreaRecord& record : current.inUse) {
        if (insideRectangle(record.area, player.tileX, player.tileY)) {
            sendPrivate(spawn, player, zone::warpTo(record.destination.x, record.destination.y));
        }
    }
    tellWarpFileFindings(spawn, WarpFile::Area, current.findings);
}

} // namespace quorvel
