// Bringing back the gold and inventory changes made after the last save,
// from gold.log, when the host died without saving.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace quorvel {

class FileEconomy;
class GoldLedger;
class InventoryBook;

// Replays a journal given line by line, twice: the first pass finds the last
// save of each table, the second applies the lines after it (gold lines
// after the last gold save, inventory lines after the last inventory save).
// A line sets the value it records, so applying it twice changes nothing; a
// reset empties, a reload empties and reads the file again. Lines that do not
// parse, and a last line without its line end (cut short by a crash), are
// passed over by the caller or here.
class JournalReplay {
public:
    JournalReplay(GoldLedger& ledger, InventoryBook& book, std::function<void()> reloadGold,
                  std::function<void()> reloadInventory);

    void scan(std::string_view line);
    void apply(std::string_view line);
    std::size_t applied() const { return applied_; }

private:
    GoldLedger& ledger_;
    InventoryBook& book_;
    std::function<void()> reloadGold_;
    std::function<void()> reloadInventory_;
    std::size_t scanned_ = 0;
    std::size_t goldFrom_ = 0;
    std::size_t inventoryFrom_ = 0;
    std::size_t position_ = 0;
    std::size_t applied_ = 0;
};

// The two passes over a journal held whole in memory; returns the number of
// changes applied.
std::size_t replayJournal(std::string_view journal, GoldLedger& ledger, InventoryBook& book,
                          const std::function<void()>& reloadGold,
                          const std::function<void()>& reloadInventory);

// When the store opens, after gold.dat and inv.dat are loaded: replays
// gold.log.1 and gold.log, read in chunks so that memory stays bounded
// whatever their size, and tells the console what was recovered. A journal
// that cannot be read, or a replay that fails half-way, is reported, and the
// store's saves are held back (a save would mark the lines not recovered as
// saved); false then.
bool recoverFromJournal(FileEconomy& economy);

} // namespace quorvel
