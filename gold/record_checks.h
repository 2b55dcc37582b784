// Whether a record read from gold.dat or inv.dat is one the module could
// have written: a damaged or foreign file read as records gives names with
// control bytes in them, empty names and negative counts, which no player's
// account or purchase makes. Pure functions of one record, so a loader and
// quorvel-admin check judge a record the same way.
#pragma once

#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <cstddef>
#include <vector>

namespace quorvel {

// The name is not empty, ends in a NUL within its 20 bytes (at most 19
// characters, as the ledger stores names), and holds no byte below 0x20
// and no 0x7F before the NUL. The balance can be any value.
bool plausibleAccount(const GoldAccount& account);

// The name is not empty and holds no byte below 0x20 and no 0x7F before
// its first NUL (a name of 20 characters fills the field without one); no
// count is below zero.
bool plausibleInventory(const InventoryRecord& record);

// Removes the garbage records a file just loaded brought in, from `from` on;
// how many went. Old files may hold a failing record among good ones, and it
// is kept; in a file that is damaged already (a length that is not whole
// records), or whose every record fails, failing records are garbage.
template <typename Book, typename Record>
std::size_t dropGarbage(Book& book, const std::vector<Record>& held, std::size_t from,
                        std::size_t strayBytes, bool (*plausible)(const Record&)) {
    if (strayBytes != 0) {
        return book.removeFrom(from, plausible);
    }
    // A file of whole records: garbage only when not one record passes, so
    // the look ends at the first that does (most often the first of all).
    for (std::size_t at = from; at < held.size(); ++at) {
        if (plausible(held[at])) {
            return 0;
        }
    }
    return book.removeFrom(from, plausible);
}

} // namespace quorvel
