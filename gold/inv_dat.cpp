// inv.dat: one record per inventory record in book order
// (gold/record_layouts.h).
#include "base/platform/platform.h"
#include "gold/file_economy.h"
#include "gold/record_checks.h"
#include "gold/record_layouts.h"

#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr const char* inventoryFileName = FileEconomy::inventoryName;
constexpr std::size_t nameBytes = InvDatLayout::nameBytes;
constexpr std::size_t recordBytes = InvDatLayout::recordBytes;

} // namespace

LoadResult FileEconomy::loadInventory(LoadMode mode) {
    std::size_t size = 0;
    const std::size_t before = mode == LoadMode::append ? book_.size() : 0;
    LoadResult loaded = readRecordFile(book_, inventoryFileName, "records", mode, size);
    const platform::Status read = loaded.status;
    if (read.isFailed()) {
        inventoryRecovery_ = TableRecovery{TableRecovery::Base::unreadable};
        inventoryOnDisk_.reset();
        return loaded;
    }
    // Done: a missing inv.dat loads nothing.
    loaded.status = {};
    const std::size_t stray = size % recordBytes;
    const std::size_t garbage =
        dropGarbage(book_, book_.records(), before, stray, plausibleInventory);
    planRecovery(inventoryRecovery_, book_, before, stray, garbage, inventoryFileName,
                 saveState_.inventory, recordBytes, nameBytes, inventoryOnDisk_);
    // Stray bytes alone were always passed over in silence: the whole
    // records are the file's.
    if (garbage != 0 || (inventoryRecovery_.damaged && stray == 0)) {
        loaded.findings.push_back(
            std::string("Warning: ") + inventoryFileName +
            (read.isNotFound()
                 ? std::string(" is missing, though ") + SaveState::fileName + " says it was saved"
                 : " is damaged: " + std::to_string(size / recordBytes) + " whole records, " +
                       std::to_string(stray) + " stray bytes, " + std::to_string(garbage) +
                       " garbage records passed over") +
            ".");
    }
    // A trailing part-record is ignored.
    inventoryLoaded_ = read.ok();
    return loaded;
}

platform::Status FileEconomy::saveInventory() {
    if (platform::Status held = refuseHeldSave(book_.savesHeldBecause(), "records"); !held.ok()) {
        return held;
    }
    endEventTelling();
    std::string bytes(book_.size() * recordBytes, '\0');
    char* next = bytes.data();
    for (const InventoryRecord& record : book_.records()) {
        encodeInventoryRecord(record, next);
        next += recordBytes;
    }
    const std::uint64_t seq = nextSeq_++;
    // Written beside the old file and renamed over it, so a failure leaves
    // the old inventories whole.
    platform::Status result =
        saveDataFile(inventoryFileName, bytes, seq, &SaveState::inventory, inventoryOnDisk_);
    if (result.ok()) {
        journalSaved(journalMark(seq, GoldJournal::inventorySaved(cause().bot, book_.size())));
    }
    return result;
}

} // namespace quorvel
