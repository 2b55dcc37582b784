// inv.dat: a run of 52-byte records, one per inventory record in book order:
// the name in 20 zero-padded bytes, then the eight counts as little-endian
// 32-bit integers. No header, no count.
#include "frame/messages/senders.h"
#include "frame/platform/platform.h"
#include "frame/spawn/bot_spawn.h"
#include "gold/gold_files.h"
#include "gold/record_files.h"

#include <cstring>
#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr const char* inventoryFileName = "inv.dat";
constexpr std::size_t nameBytes = sizeof(InventoryRecord::name);
constexpr std::size_t recordBytes = nameBytes + 4 * itemKindCount;
static_assert(recordBytes == 52);

std::string inventoryPath() {
    return platform::joinPath(platform::currentDirectory(), inventoryFileName);
}

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

platform::FileResult loadInventoryFile(BotSpawn& spawn, LoadMode mode) {
    std::size_t size = 0;
    platform::ReadResult read = readRecordFile(spawn, spawn.inventory, inventoryPath(),
                                               inventoryFileName, "records", mode, size);
    if (read.status == platform::ReadStatus::failed) {
        return {false, read.error};
    }
    // A trailing part-record is ignored.
    spawn.inventoryLoaded = read.status == platform::ReadStatus::read;
    return {};
}

platform::FileResult saveInventoryFile(BotSpawn& spawn) {
    if (platform::FileResult held =
            refuseHeldSave(spawn, spawn.inventory, inventoryFileName, "records");
        !held) {
        return held;
    }
    std::string bytes;
    bytes.reserve(spawn.inventory.size() * recordBytes);
    for (const InventoryRecord& record : spawn.inventory.records()) {
        char name[nameBytes];
        copyNameField(name, record.name);
        bytes.append(name, nameBytes);
        for (std::int32_t count : record.counts) {
            writeLittleEndian(bytes, count);
        }
    }
    // Written beside the old file and renamed over it, so a failure leaves
    // the old inventories whole.
    platform::FileResult result = platform::replaceFile(inventoryPath(), bytes);
    if (result) {
        spawn.journal.inventorySaved(spawn.inventory.size());
    } else {
        sendConsole(spawn, std::string("Could not save ") + inventoryFileName + ": " +
                               result.error + ". The previous " + inventoryFileName +
                               " is unchanged.");
    }
    return result;
}

} // namespace quorvel
