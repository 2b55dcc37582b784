// inv.dat: a run of 52-byte records, one per inventory record in book order:
// the name in 20 zero-padded bytes, then the eight counts as little-endian
// 32-bit integers. No header, no count.
#include "frame/messages/senders.h"
#include "frame/platform/platform.h"
#include "frame/spawn/bot_spawn.h"
#include "gold/gold_files.h"

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

std::int32_t readLittleEndian(const unsigned char* bytes) {
    const std::uint32_t value =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(value);
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

void loadInventoryFile(BotSpawn& spawn) {
    const std::optional<std::string> content = platform::readWholeFile(inventoryPath());
    if (!content) {
        spawn.inventoryLoaded = false;
        return;
    }
    // A trailing part-record is ignored.
    const auto* bytes = reinterpret_cast<const unsigned char*>(content->data());
    const std::size_t records = content->size() / recordBytes;
    spawn.inventory.appendDecoded(records, [bytes](std::size_t r) {
        const unsigned char* at = bytes + r * recordBytes;
        InventoryRecord record;
        copyNameField(record.name, reinterpret_cast<const char*>(at));
        for (std::size_t k = 0; k < itemKindCount; ++k) {
            record.counts[k] = readLittleEndian(at + nameBytes + 4 * k);
        }
        return record;
    });
    spawn.inventoryLoaded = true;
}

platform::FileResult saveInventoryFile(BotSpawn& spawn) {
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
