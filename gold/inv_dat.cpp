// inv.dat: a run of 52-byte records, one per inventory record in book order:
// the name in 20 zero-padded bytes, then the eight counts as little-endian
// 32-bit integers. No header, no count.
#include "base/platform/platform.h"
#include "gold/file_economy.h"

#include <cstring>
#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr const char* inventoryFileName = FileEconomy::inventoryName;
constexpr std::size_t nameBytes = sizeof(InventoryRecord::name);
constexpr std::size_t recordBytes = nameBytes + 4 * itemKindCount;
static_assert(recordBytes == 52);

void writeLittleEndian(std::string& out, std::int32_t signedValue) {
    const auto value = static_cast<std::uint32_t>(signedValue);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
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

platform::Status FileEconomy::loadInventory(LoadMode mode) {
    std::size_t size = 0;
    platform::Status read = readRecordFile(book_, inventoryFileName, "records", mode, size);
    if (read.isFailed()) {
        return read;
    }
    // A trailing part-record is ignored.
    inventoryLoaded_ = read.ok();
    return {};
}

platform::Status FileEconomy::saveInventory() {
    if (platform::Status held =
            refuseHeldSave(book_.savesHeldBecause(), inventoryFileName, "records");
        !held.ok()) {
        return held;
    }
    std::string bytes;
    bytes.reserve(book_.size() * recordBytes);
    for (const InventoryRecord& record : book_.records()) {
        char name[nameBytes];
        copyNameField(name, record.name);
        bytes.append(name, nameBytes);
        for (std::int32_t count : record.counts) {
            writeLittleEndian(bytes, count);
        }
    }
    // Written beside the old file and renamed over it, so a failure leaves
    // the old inventories whole.
    platform::Status result = files_.replaceFile(inventoryFileName, bytes);
    if (result.ok()) {
        journalSaved(journal_.inventorySaved(cause().bot, book_.size()));
    } else {
        report(std::string("Could not save ") + inventoryFileName + ": " + result.reason() +
               ". The previous " + inventoryFileName + " is unchanged.");
    }
    return result;
}

} // namespace quorvel
