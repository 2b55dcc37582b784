// What check sees in gold.dat and inv.dat beyond the module's own words:
// records no module wrote, and balances and counts other than the last ones
// gold.log wrote. Each answers the problems found, one text each.
#pragma once

#include "gold/file_economy.h"

#include <string>
#include <vector>

namespace quorvel::admin {

// The whole records of gold.dat and inv.dat in the current folder, as the
// files stand, that no player's account or purchase makes (a name empty or
// with control bytes in it, a count below zero: gold/record_checks.h): the
// file is damaged, or is not one the module wrote.
std::vector<std::string> implausibleRecords();

// `loaded` is the store as a module start loads it (gold.dat, inv.dat and
// what the journal adds). Every account's last balance in gold.log.1 and
// gold.log after the last reset or reload of gold, and every item count
// after the last reset or reload of inventory, compared with it: a
// gold.dat cut or replaced and then saved over loses accounts the journal
// still holds. Cut records never happened and are not compared.
std::vector<std::string> disagreementsWithJournal(const FileEconomy& loaded);

} // namespace quorvel::admin
