#include "warps/warp_loops.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Indices = std::vector<std::size_t>;

// An area of tiles left..left+20, top..top+20, sending players to x y.
WarpAreaRecord area(std::int32_t left, std::int32_t top, std::int32_t x, std::int32_t y) {
    return {{left, top, left + 20, top + 20}, {x, y}};
}

TEST(WarpLoops, AreasWhoseWayComesBackAreFound) {
    // Its own destination; one on its border is outside.
    EXPECT_EQ(areasInLoops({area(100, 100, 110, 110)}), (Indices{0}));
    EXPECT_EQ(areasInLoops({area(100, 100, 120, 110)}), (Indices{}));

    // Three and two areas sending players round; the area leading into the
    // loop (0) and one whose destination is in no area (4) are not on it.
    EXPECT_EQ(
        areasInLoops({area(0, 0, 110, 110), area(100, 100, 210, 210), area(200, 200, 310, 310),
                      area(300, 300, 110, 110), area(400, 400, 512, 512)}),
        (Indices{1, 2, 3}));
    EXPECT_EQ(areasInLoops({area(100, 100, 210, 210), area(200, 200, 110, 110)}), (Indices{0, 1}));
    EXPECT_EQ(areasInLoops(
                  {area(100, 100, 210, 210), area(200, 200, 310, 310), area(300, 300, 512, 512)}),
              (Indices{}));

    // A destination inside two overlapping areas is sent on by both: the
    // way back through the second one is a loop too.
    EXPECT_EQ(areasInLoops(
                  {area(100, 100, 205, 205), area(200, 200, 512, 512), area(195, 195, 105, 105)}),
              (Indices{0, 2}));
    EXPECT_EQ(areasInLoops({}), (Indices{}));
}

TEST(WarpLoops, PlacesThatLeadBackIntoTheInsertRectangleAreFound) {
    const WarpRectangle insert{10, 10, 30, 30};
    // Freq 0 inside; freq 1 inside an area sending it in; freq 2 two areas
    // away; freq 3 in an area sending it elsewhere; freq 4 on the border.
    const std::vector<TilePoint> places{{20, 20}, {105, 105}, {205, 205}, {305, 305}, {30, 20}};
    const std::vector<WarpAreaRecord> areas{area(100, 100, 15, 15), area(200, 200, 110, 110),
                                            area(300, 300, 512, 512)};
    EXPECT_EQ(placesLeadingInto(insert, places, areas), (Indices{0, 1, 2}));
    EXPECT_EQ(placesLeadingInto(insert, places, {}), (Indices{0}));
}

} // namespace
} // namespace quorvel
