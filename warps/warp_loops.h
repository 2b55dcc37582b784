// Warp loops. The zone reports every warped player at his new tile, and the
// module looks at that tile as at any other: a tile strictly inside an area
// sends him on to the area's destination (once for every area holding it),
// and a tile strictly inside the insert rectangle sends him to his freq's
// place. A destination or a place that leads back to where it started would
// have the module and the zone warp the player between them for ever, so
// such areas and places are found when the files are read and not used.
//
// Both searches compare every destination with every area: their cost grows
// with the square of the number of areas (400 rectangle tests for 20 areas)
// and is paid only when a file's contents have changed.
#pragma once

#include "warps/warp_files.h"

#include <cstddef>
#include <vector>

namespace quorvel {

// The areas, by index in file order, that lie on a loop. From an area's
// destination the player is sent on by every area holding it, from their
// destinations by every area holding those, and so on; an area whose
// destination is in no area ends the way. An area is on a loop when this
// way can bring the player back into it (an area holding its own
// destination is the shortest loop). Ascending.
std::vector<std::size_t> areasInLoops(const std::vector<WarpAreaRecord>& areas);

// The freqs, by index, whose place is strictly inside `insert`, or inside
// one of `areas` whose way through the destinations reaches a destination
// inside `insert`: a player of such a freq warped on insert would be back in
// the rectangle at once. `areas` are the ones in use, with no loop among
// them. Ascending.
std::vector<std::size_t> placesLeadingInto(const WarpRectangle& insert,
                                           const std::vector<TilePoint>& places,
                                           const std::vector<WarpAreaRecord>& areas);

} // namespace quorvel
