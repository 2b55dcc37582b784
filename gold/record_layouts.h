// gold.dat and inv.dat, once for every reader and writer of them: each is a
// run of fixed-size records with no header and no count, in the order the
// ledger or the book holds them. A file whose length is not whole records
// was cut short or grew stray bytes; its whole records are still its own.
#pragma once

#include <cstddef>

namespace quorvel {

struct GoldAccount;
struct InventoryRecord;

// gold.dat, one record per account: the balance as 4 bytes little-endian,
// then the name in 20 bytes, NUL-terminated (at most 19 characters), zeros
// after the NUL.
struct GoldDatLayout {
    static constexpr std::size_t amountOffset = 0;
    static constexpr std::size_t amountBytes = 4;
    static constexpr std::size_t nameOffset = amountOffset + amountBytes;
    static constexpr std::size_t nameBytes = 20;
    static constexpr std::size_t longestName = nameBytes - 1;
    static constexpr std::size_t recordBytes = nameOffset + nameBytes;
};
static_assert(GoldDatLayout::recordBytes == 24);

// inv.dat, one record per inventory: the name in 20 zero-padded bytes (a
// name of 20 characters fills them without a NUL), then one count per item
// kind, in the order of ItemKind, as little-endian signed 32-bit integers.
struct InvDatLayout {
    static constexpr std::size_t nameOffset = 0;
    static constexpr std::size_t nameBytes = 20;
    static constexpr std::size_t longestName = nameBytes;
    static constexpr std::size_t countsOffset = nameOffset + nameBytes;
    static constexpr std::size_t countBytes = 4;
    static constexpr std::size_t counts = 8;
    static constexpr std::size_t recordBytes = countsOffset + counts * countBytes;
};
static_assert(InvDatLayout::recordBytes == 52);

// One record into `out`, which has room for it. Only the name up to its
// first NUL is written, zeros after it: whatever followed the NUL in a
// loaded record is not written back.
void encodeGoldRecord(const GoldAccount& account, char* out);
void encodeInventoryRecord(const InventoryRecord& record, char* out);

// One record from the file's bytes at `in`, as they stand: the numbers in
// the machine's order, the name field's bytes unchanged (a reader that
// judges records sees what the file holds).
void decodeGoldRecord(const char* in, GoldAccount& account);
void decodeInventoryRecord(const char* in, InventoryRecord& record);

} // namespace quorvel
