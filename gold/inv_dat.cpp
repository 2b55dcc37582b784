// inv.dat: a run of 52-byte records, one per inventory record in book order:
// the name in 20 zero-padded bytes, then the eight counts as little-endian
// 32-bit integers. No header, no count.
#include "base/platform/platform.h"
#include "gold/file_economy.h"
#include "gold/record_checks.h"

#include <cstring>
#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr const char* inventoryFileName = FileEconomy::inventoryName;
constexpr std::size_t nameBytes = sizeof(InventoryRecord::name);
constexpr std::size_t recordBytes = nameBytes + 4 * itemKindCount;
static_assert(recordBytes == 52);

// Into `out`, which has room for the four bytes.
void writeLittleEndian(char* out, std::int32_t signedValue) {
    const auto value = static_cast<std::uint32_t>(signedValue);
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<char>((value >> shift) & 0xFFu);
    }
}

// The name up to its first zero byte, the rest of the field zero: the bytes
// after a terminator carry nothing and are never kept or written.
void copyNameField(char* to, const char* from) {
    const void* nul = std::memchr(from, '\0', nameBytes);
    const std::size_t length =
        nul == nullptr ? nameBytes : static_cast<std::size_t>(static_cast<const char*>(nul) - from);
    std::memset(to, 0, nameBytes);
    std::memcpy(to, from, length);
}

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
    eventEnded();
    std::string bytes(book_.size() * recordBytes, '\0');
    char* next = bytes.data();
    for (const InventoryRecord& record : book_.records()) {
        copyNameField(next, record.name);
        next += nameBytes;
        for (std::int32_t count : record.counts) {
            writeLittleEndian(next, count);
            next += 4;
        }
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
