#include "gold/record_layouts.h"

#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <cstdint>
#include <cstring>

namespace quorvel {
namespace {

// Into `out`, which has room for the four bytes.
void writeLittleEndian(char* out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<char>((value >> shift) & 0xFFu);
    }
}

std::uint32_t readLittleEndian(const char* in) {
    std::uint32_t value = 0;
    for (int at = 3; at >= 0; --at) {
        value = (value << 8) | static_cast<unsigned char>(in[at]);
    }
    return value;
}

// The name up to its first NUL within `longest` bytes, the rest of the
// field's `size` bytes zero.
void writeNameField(char* out, const char* name, std::size_t longest, std::size_t size) {
    const void* nul = std::memchr(name, '\0', longest);
    const std::size_t length =
        nul == nullptr ? longest : static_cast<std::size_t>(static_cast<const char*>(nul) - name);
    std::memcpy(out, name, length);
    std::memset(out + length, 0, size - length);
}

} // namespace

void encodeGoldRecord(const GoldAccount& account, char* out) {
    writeLittleEndian(out + GoldDatLayout::amountOffset, account.amount);
    writeNameField(out + GoldDatLayout::nameOffset, account.name, GoldDatLayout::longestName,
                   GoldDatLayout::nameBytes);
}

void encodeInventoryRecord(const InventoryRecord& record, char* out) {
    writeNameField(out + InvDatLayout::nameOffset, record.name, InvDatLayout::longestName,
                   InvDatLayout::nameBytes);
    char* next = out + InvDatLayout::countsOffset;
    for (std::int32_t count : record.counts) {
        writeLittleEndian(next, static_cast<std::uint32_t>(count));
        next += InvDatLayout::countBytes;
    }
}

void decodeGoldRecord(const char* in, GoldAccount& account) {
    account.amount = readLittleEndian(in + GoldDatLayout::amountOffset);
    std::memcpy(account.name, in + GoldDatLayout::nameOffset, GoldDatLayout::nameBytes);
}

void decodeInventoryRecord(const char* in, InventoryRecord& record) {
    std::memcpy(record.name, in + InvDatLayout::nameOffset, InvDatLayout::nameBytes);
    const char* next = in + InvDatLayout::countsOffset;
    for (std::int32_t& count : record.counts) {
        count = static_cast<std::int32_t>(readLittleEndian(next));
        next += InvDatLayout::countBytes;
    }
}

} // namespace quorvel
