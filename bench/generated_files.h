// The files a zone's folder holds, generated for the benchmarks.
#pragma once

#include <cstddef>
#include <string>

namespace quorvel::bench {

// "Pilot 0", "Pilot 1" ...
std::string accountName(std::size_t index);
// gold.dat and inv.dat of `accounts` records named as above, in order.
std::string goldFileBytes(std::size_t accounts);
std::string inventoryFileBytes(std::size_t accounts);
// quorvel.ini with the store on and no autosave (saves are measured on
// their own), `maxWarpAreas` areas and four team places.
std::string settingsText(int maxWarpAreas);
// 20 areas, none of them around (100, 100) where the mover flies.
std::string warpAreaText();
// A zone's gold.log of `lines` lines (a last record may pass it by one) as
// `accounts` players write it: kills, anti-warp fines and goals of one line,
// loans and purchases of two, entries that make an inventory record, and a
// save's marks of both tables every 100,000 lines (the last one 40,000
// lines before the end); with the gold.dat and inv.dat of the last save
// (the files above, changed by the lines before it), so that a module start
// recovers the lines after it.
struct GeneratedFolder {
    std::string journal;
    std::string goldDat;
    std::string inventoryDat;
};
GeneratedFolder journalFolder(std::size_t lines, std::size_t accounts);

} // namespace quorvel::bench
