// Console notices about WarpTeam.ini and WarpArea.ini that cannot be read
// as they should, or that hold warp loops: one per file and problem, not one
// per move report.
#pragma once

#include "warps/warp_files.h"

namespace quorvel {

// Tells the console what the last parse of `file` found (its lines), unless that very
// problem (or that very list of areas or freqs leading back) was already
// told for the same file text. A parse without it forgets the last notice,
// so it is told again when it comes back. Costs one comparison while the
// file has not been parsed again since the last call.
void tellWarpFileFindings(AutoWarper& warper, WarpFile file, const WarpFileFindings& findings);

} // namespace quorvel
