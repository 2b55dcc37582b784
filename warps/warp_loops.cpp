#include "warps/warp_loops.h"

#include <algorithm>
#include <limits>

namespace quorvel {
namespace {

bool holds(const WarpRectangle& rectangle, const TilePoint& tile) {
    return insideRectangle(rectangle, tile.x, tile.y);
}

} // namespace

// The areas are the points of a graph with a way from each area to every
// area holding its destination; an area is on a loop when it shares a
// strongly connected part of that graph with another area, or holds its own
// destination. The parts are found by Tarjan's search, walked with a stack
// of its own (a file may hold more areas than a thread's stack has room for
// calls) and with the ways out of an area found as they are needed instead
// of being kept: every area may hold every destination.
std::vector<std::size_t> areasInLoops(const std::vector<WarpAreaRecord>& areas) {
    constexpr std::size_t unseen = std::numeric_limits<std::size_t>::max();
    const std::size_t count = areas.size();
    std::vector<std::size_t> order(count, unseen); // when the search came to each area
    std::vector<std::size_t> lowest(count, 0);     // the earliest area it leads back to
    std::vector<std::size_t> nextWay(count, 0);    // the next area to try as a way out
    std::vector<bool> open(count, false);          // in a part not yet closed
    std::vector<bool> looping(count, false);
    std::vector<std::size_t> parts; // areas whose part is not yet closed
    std::vector<std::size_t> walk;  // the way the search took to the area it is at
    std::size_t seen = 0;

    const auto arrive = [&](std::size_t area) {
        order[area] = lowest[area] = seen++;
        parts.push_back(area);
        open[area] = true;
        walk.push_back(area);
    };

    for (std::size_t start = 0; start < count; ++start) {
        if (order[start] != unseen) {
            continue;
        }
        arrive(start);
        while (!walk.empty()) {
            const std::size_t area = walk.back();
            const TilePoint& destination = areas[area].destination;
            std::size_t& next = nextWay[area];
            while (next < count && !holds(areas[next].area, destination)) {
                ++next;
            }
            if (next < count) {
                const std::size_t to = next++;
                if (to == area) {
                    looping[area] = true;
                } else if (order[to] == unseen) {
                    arrive(to);
                } else if (open[to]) {
                    lowest[area] = std::min(lowest[area], order[to]);
                }
                continue;
            }
            walk.pop_back();
            if (!walk.empty()) {
                lowest[walk.back()] = std::min(lowest[walk.back()], lowest[area]);
            }
            if (lowest[area] != order[area]) {
                continue;
            }
            // The area closes its part: the areas above it on `parts`.
            const auto first = std::find(parts.rbegin(), parts.rend(), area).base() - 1;
            const bool loop = parts.end() - first > 1;
            for (auto member = first; member != parts.end(); ++member) {
                open[*member] = false;
                looping[*member] = looping[*member] || loop;
            }
            parts.erase(first, parts.end());
        }
    }

    std::vector<std::size_t> found;
    for (std::size_t area = 0; area < count; ++area) {
        if (looping[area]) {
            found.push_back(area);
        }
    }
    return found;
}

std::vector<std::size_t> placesLeadingInto(const WarpRectangle& insert,
                                           const std::vector<TilePoint>& places,
                                           const std::vector<WarpAreaRecord>& areas) {
    // The areas that send a player into the rectangle, found backwards from
    // the destinations inside it: an area whose destination is held by one
    // of them leads there too.
    const std::size_t count = areas.size();
    std::vector<bool> leads(count, false);
    std::vector<std::size_t> found;
    for (std::size_t area = 0; area < count; ++area) {
        if (holds(insert, areas[area].destination)) {
            leads[area] = true;
            found.push_back(area);
        }
    }
    for (std::size_t taken = 0; taken < found.size(); ++taken) {
        const WarpRectangle& into = areas[found[taken]].area;
        for (std::size_t area = 0; area < count; ++area) {
            if (!leads[area] && holds(into, areas[area].destination)) {
                leads[area] = true;
                found.push_back(area);
            }
        }
    }

    std::vector<std::size_t> freqs;
    for (std::size_t freq = 0; freq < places.size(); ++freq) {
        const TilePoint& place = places[freq];
        bool back = holds(insert, place);
        for (std::size_t area = 0; area < count && !back; ++area) {
            back = leads[area] && holds(areas[area].area, place);
        }
        if (back) {
            freqs.push_back(freq);
        }
    }
    return freqs;
}

} // namespace quorvel
