#include "gold/name_index.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quorvel {
namespace {

constexpr std::uint64_t highBits = 0x8080808080808080ull;
constexpr std::uint64_t lowSeven = 0x7F7F7F7F7F7F7F7Full;
constexpr std::uint64_t eachByte(std::uint8_t value) {
    return 0x0101010101010101ull * value;
}

// Eight bytes at once with A to Z turned into a to z and every other byte
// (those of 128 and above included) left alone.
std::uint64_t foldWord(std::uint64_t word) {
    const std::uint64_t low = word & lowSeven;
    const std::uint64_t atLeastA = low + eachByte(0x80 - 'A');
    const std::uint64_t aboveZ = low + eachByte(0x80 - 'Z' - 1);
    const std::uint64_t upper = atLeastA & ~aboveZ & ~word & highBits;
    return word | (upper >> 2);
}

std::uint64_t mix(std::uint64_t value) {
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ull;
    value ^= value >> 33;
    return value;
}

} // namespace

std::uint64_t foldedNameHash(std::string_view name) {
    std::uint64_t hash = name.size() * 0x9E3779B97F4A7C15ull;
    const char* bytes = name.data();
    const std::size_t size = name.size();
    std::size_t at = 0;
    while (at < size) {
        const std::size_t left = size - at;
        std::uint64_t word = 0;
        if (left >= 8) {
            std::memcpy(&word, bytes + at, 8);
        } else if (size >= 8) {
            // The last eight bytes in one load, less those already taken
            // (the order of the bytes in the word does not matter, only that
            // equal names give equal words).
            std::uint64_t last = 0;
            std::memcpy(&last, bytes + size - 8, 8);
            word = std::endian::native == std::endian::little ? last >> (8 * (8 - left))
                                                              : last << (8 * (8 - left));
        } else {
            for (std::size_t i = 0; i < left; ++i) {
                word |= std::uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
            }
        }
        hash = std::rotl(hash, 23) ^ (foldWord(word) * 0x87C37B91114253D5ull);
        at += std::min<std::size_t>(8, left);
    }
    return mix(hash);
}

std::uint32_t NameIndex::slotHash(std::string_view name) {
    return static_cast<std::uint32_t>(foldedNameHash(name) >> 32);
}

void NameIndex::reserve(std::size_t count) {
    if (count * 2 <= slots_.size()) {
        return;
    }
    std::size_t size = 16;
    while (size < count * 2) {
        size *= 2;
    }
    if (used_ == 0) {
        // Nothing to move: the table's memory is reused as it stands.
        slots_.assign(size, Slot{});
        return;
    }
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(size, Slot{});
    for (const Slot& slot : old) {
        if (slot.positionPlusOne == 0) {
            continue;
        }
        std::size_t at = slot.hash & mask();
        while (slots_[at].positionPlusOne != 0) {
            at = (at + 1) & mask();
        }
        slots_[at] = slot;
    }
}

void NameIndex::prefetch(std::uint32_t hash) const {
#if defined(__GNUC__)
    __builtin_prefetch(&slots_[hash & mask()]);
#else
    (void)hash;
#endif
}

void NameIndex::clear() {
    slots_.clear();
    used_ = 0;
    covered_ = 0;
}

} // namespace quorvel
