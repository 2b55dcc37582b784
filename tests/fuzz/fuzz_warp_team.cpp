// WarpTeam.ini as an operator may leave it, read for any number of teams,
// with and without the insert rectangle. The input is the team count, the
// insert switch, then the file. What was read must be complete, never more
// than was asked for, and read the same again from a clean copy.
#include "warps/warp_files.h"

#include "fuzz_input.h"
#include "scratch_folder.h"
#include "warp_text.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace quorvel;
using quorvel::fuzz::fail;

namespace {

std::string cleanCopy(const WarpTeamFile& file) {
    std::string text;
    for (const TilePoint& place : file.places) {
        fuzz::appendNumber(text, place.x, false);
        fuzz::appendNumber(text, place.y, true);
    }
    if (file.insertRectangle) {
        fuzz::appendNumber(text, file.insertRectangle->left, false);
        fuzz::appendNumber(text, file.insertRectangle->top, false);
        fuzz::appendNumber(text, file.insertRectangle->right, false);
        fuzz::appendNumber(text, file.insertRectangle->bottom, true);
    } else if (file.insertLeft) {
        fuzz::appendNumber(text, *file.insertLeft, true);
    }
    return text;
}

bool sameRectangle(const std::optional<WarpRectangle>& a, const std::optional<WarpRectangle>& b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (a->left == b->left && a->top == b->top && a->right == b->right &&
                  a->bottom == b->bottom);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::int32_t teams = fuzz::groupCount(input);
    const bool withInsert = input.flag();
    const std::string_view text = input.rest();

    const WarpTeamFile file = readWarpTeamFile(text, teams, withInsert);
    const std::size_t wanted = teams > 0 ? static_cast<std::size_t>(teams) : 0;
    if (file.places.size() > wanted) {
        fail(std::to_string(file.places.size()) + " places read for " + std::to_string(teams) +
             " teams");
    }
    if (file.status.isNotFound()) {
        fail("a text in hand was reported missing");
    }
    if (!withInsert && (file.insertLeft || file.insertRectangle)) {
        fail("an insert rectangle was read when none was asked for");
    }
    if (file.insertRectangle &&
        (!file.insertLeft || *file.insertLeft == 0 || *file.insertLeft == -1 ||
         file.insertRectangle->left != *file.insertLeft)) {
        fail("an insert rectangle without its own left");
    }
    // Complete means every pair and, when asked for, a left that is 0 or -1
    // or a whole rectangle.
    const bool insertComplete =
        !withInsert || (file.insertLeft &&
                        (*file.insertLeft == 0 || *file.insertLeft == -1 || file.insertRectangle));
    const bool complete = file.places.size() == wanted && insertComplete;
    if (file.status.ok() != complete) {
        fail("the problem reported does not match what was read");
    }

    // What was read, written out cleanly, reads the same.
    const std::string copy = cleanCopy(file);
    const WarpTeamFile again = readWarpTeamFile(copy, teams, withInsert);
    if (again.places != file.places || again.insertLeft != file.insertLeft ||
        !sameRectangle(again.insertRectangle, file.insertRectangle)) {
        fail("the clean copy \"" + copy + "\" reads differently");
    }
    if (again.status.ok() != file.status.ok()) {
        fail("the clean copy of a complete file is incomplete, or the other way round");
    }
    return 0;
}
