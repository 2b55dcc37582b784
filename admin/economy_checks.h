// What check sees in gold.dat and inv.dat beyond the module's own words:
// a damaged file told whole (what is wrong, what it lost, what a module
// start does about it and what is left to do), records no module wrote, and
// balances and counts other than the last ones gold.log wrote. Each answers
// the problems found, one text each.
#pragma once

#include "admin/folder.h"
#include "admin/journal_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quorvel::admin {

// What a module start says about gold.dat or inv.dat as it loads it (the
// file damaged or missing, what recovery brought back): check tells these
// with the file's other findings, in one problem.
bool isDataFileWords(std::string_view consoleLine);

// The records a module start loads from each file, before gold.log is
// replayed over them: their names folded as the module matches names.
struct LoadedFromFiles {
    std::unordered_set<std::string> goldNames;
    std::unordered_set<std::string> inventoryNames;
    std::size_t accounts = 0;
    std::size_t records = 0;
};

// The last value gold.log wrote for one account, or one item of a record.
struct LastValue {
    std::string name;
    std::string item; // empty for gold
    std::int64_t value = 0;
    std::string where;       // gold.log:12
    std::uint64_t order = 0; // where in the read: a later line's is greater
};

// A reload of a whole table: the file read again, over what was held.
struct Reload {
    std::uint64_t order = 0; // as LastValue's
    std::string text;        // gold.log:12 (goldload by Mo at 2026-12-08T09:30:00Z)
};

// gold.log.1 and gold.log's last values, after the last reset of each
// table, one for each name as the module matches names (and each item of
// it), in the order gold.log wrote them; and what the read of the journal
// found.
struct JournalValues {
    std::vector<LastValue> gold;
    std::vector<LastValue> items;
    std::optional<Reload> goldReload;
    std::optional<Reload> inventoryReload;
    bool readable = true;
    JournalSummary summary;
};

// One read of gold.log.1 and gold.log, for every comparison below; `alsoSee`
// is handed every record too, and `scan` every line (readJournal), so a
// caller needs no read of its own.
JournalValues lastJournalValues(const std::function<void(const JournalRecord&)>& alsoSee = {},
                                const JournalLineScan& scan = {});

// One problem for each damaged file in the current folder: stray bytes,
// records fewer than the file last saved, the file missing though saved,
// or records no player's account or purchase makes (a name that is empty,
// holds a control byte or fills its 20 bytes with no end; a count below
// zero or above what any purchase makes). `moduleWords` are the module's
// lines on the files (isDataFileWords); `inspected` is the store as a
// module start loads it. Each problem names what gold.log says the file
// lost, what a start brings back, and what the operator is to do.
std::vector<std::string> damagedFiles(const InspectedEconomy& inspected,
                                      const LoadedFromFiles& fromFiles,
                                      const std::vector<std::string>& moduleWords,
                                      const JournalValues& journal);

// The records of gold.dat and inv.dat in the current folder, as the files
// stand, that no player's account or purchase makes, one text for each file
// that holds any: the file is damaged, or is not one the module wrote.
std::vector<std::string> implausibleRecords();

// Every account's last balance in gold.log.1 and gold.log after the last
// reset of gold, and every item count after the last reset of inventory,
// compared with what a module start loads (`loaded`). A reload reads the
// file again but leaves the balances it lost standing: a cut gold.dat read
// by !goldload and then saved loses accounts the journal still holds. Cut
// records never happened and are not compared.
std::vector<std::string> disagreementsWithJournal(const FileEconomy& loaded,
                                                  const JournalValues& journal);

// The most of one item a record can plausibly hold: no purchase made one
// record's count grow past it.
inline constexpr std::int64_t mostItemsHeld = 1000000;

} // namespace quorvel::admin
