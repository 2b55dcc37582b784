// Whether a record of gold.dat or inv.dat can be what the module wrote: a
// name that is not empty and holds no control byte, and (inv.dat) no count
// below zero. Old files may hold such records among good ones, and they are
// kept; in a file that is damaged already (a length that is not whole
// records), or whose every record fails, they are garbage, never accounts.
#pragma once

#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <cstddef>
#include <vector>

namespace quorvel {

bool plausibleAccount(const GoldAccount& account);
bool plausibleInventory(const InventoryRecord& record);

// Removes the garbage records a file just loaded from `from` on brought in,
// as said above; how many went.
template <typename Book, typename Record>
std::size_t dropGarbage(Book& book, const std::vector<Record>& held, std::size_t from,
                        std::size_t strayBytes, bool (*plausible)(const Record&)) {
    std::size_t failing = 0;
    for (std::size_t at = from; at < held.size(); ++at) {
        failing += plausible(held[at]) ? 0 : 1;
    }
    const bool wholeFileFails = failing > 0 && failing == held.size() - from;
    return strayBytes != 0 || wholeFileFails ? book.removeFrom(from, plausible) : 0;
}

} // namespace quorvel
