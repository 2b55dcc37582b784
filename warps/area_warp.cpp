// Area warping: a player of any freq and ship inside an area of
// WarpArea.ini is sent to that area's destination. Every area he is inside
// sends him on, in file order, except the areas on a warp loop. The file is
// read again once a second, so an edit takes effect within a second.
#include "warps/auto_warper.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "warps/file_notices.h"
#include "warps/warp_file_cache.h"
#include "warps/warp_files.h"

#include <algorithm>

namespace quorvel {

void warpArea(AutoWarper& warper, const PlayerRecord& player) {
    // A negative count is taken as 0: no areas, and area warping goes off.
    const std::int32_t areas = std::max(warper.maxWarpAreas, 0);
    if (areas == 0) {
        warper.areaWarpOn = false;
        return;
    }
    const ParsedAreas& current = currentWarpAreaFile(warper, areas);
    for (const WarpAreaRecord& record : current.inUse) {
        if (insideRectangle(record.area, player.tileX, player.tileY)) {
            sendPrivate(warper.bot, player,
                        zone::warpTo(record.destination.x, record.destination.y));
        }
    }
    tellWarpFileFindings(warper, WarpFile::Area, current.findings);
}

} // namespace quorvel
