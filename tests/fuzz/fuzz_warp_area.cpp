// WarpArea.ini as an operator may leave it, read for any number of areas.
// The input is the area count, then the file. Only complete records come
// back, never more than asked for, and a clean copy reads the same.
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

bool sameRecord(const WarpAreaRecord& a, const WarpAreaRecord& b) {
    return a.area.left == b.area.left && a.area.top == b.area.top && a.area.right == b.area.right &&
           a.area.bottom == b.area.bottom && a.destination == b.destination;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::int32_t areas = fuzz::groupCount(input);
    const std::string_view text = input.rest();

    const WarpAreaFile file = readWarpAreaFile(text, areas);
    const std::size_t wanted = areas > 0 ? static_cast<std::size_t>(areas) : 0;
    if (file.records.size() > wanted) {
        fail(std::to_string(file.records.size()) + " areas read when " + std::to_string(areas) +
             " were asked for");
    }
    if (file.status.isNotFound()) {
        fail("a text in hand was reported missing");
    }
    if (file.status.ok() != (file.records.size() == wanted)) {
        fail("the problem reported does not match the records read");
    }

    std::string copy;
    for (const WarpAreaRecord& record : file.records) {
        fuzz::appendNumber(copy, record.area.left, false);
        fuzz::appendNumber(copy, record.area.top, false);
        fuzz::appendNumber(copy, record.area.right, false);
        fuzz::appendNumber(copy, record.area.bottom, false);
        fuzz::appendNumber(copy, record.destination.x, false);
        fuzz::appendNumber(copy, record.destination.y, true);
    }
    const WarpAreaFile again = readWarpAreaFile(copy, areas);
    if (again.records.size() != file.records.size()) {
        fail("the clean copy \"" + copy + "\" holds another number of areas");
    }
    for (std::size_t i = 0; i < file.records.size(); ++i) {
        if (!sameRecord(again.records[i], file.records[i])) {
            fail("area " + std::to_string(i) + " of the clean copy reads differently");
        }
    }
    if (again.status != file.status && !(file.status.reason() == warpAreaFileDamaged &&
                                         again.status.reason() == warpAreaFileShort)) {
        fail("the clean copy reports another problem");
    }
    return 0;
}
