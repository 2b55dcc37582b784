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

} // namespace quorvel::bench
