// An index of names that match ignoring the case of A to Z, for the gold
// ledger and the inventory book: it maps a name to the position of the
// first record that holds it. It keeps only a hash and a position per name
// (no copies of the names, nothing allocated per name), and a lookup costs
// the same whatever the book's size. The records stay with their owner; the
// index asks for a record's name when it has to compare one.
//
// The owner appends records freely and calls cover() before a lookup: the
// index takes in the records it has not seen yet, in order. So loading a
// file costs no more than reading it, and the one pass over its names waits
// for the first lookup; a zone that never looks a name up never pays it.
#pragma once

#include "base/text/text_rules.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvel {

// The hash of a name with A to Z folded to a to z: equal for two names that
// equalIgnoringCase calls equal.
std::uint64_t foldedNameHash(std::string_view name);

class NameIndex {
public:
    // Room for `count` names without growing.
    void reserve(std::size_t count);
    void clear();

    // The position of the first record named `name`; `nameAt(position)`
    // gives the name of a record.
    template <typename NameAt>
    std::optional<std::size_t> find(std::string_view name, const NameAt& nameAt) const;
    // Takes in the records at positions [covered(), count), in order; a
    // record whose name an earlier record holds is never found.
    template <typename NameAt> void cover(std::size_t count, const NameAt& nameAt);
    // How many records, from position 0, the index has taken in.
    std::size_t covered() const { return covered_; }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t positionPlusOne = 0; // 0: empty
    };
    static std::uint32_t slotHash(std::string_view name);
    template <typename NameAt>
    void insertHashed(std::uint32_t hash, std::string_view name, std::size_t position,
                      const NameAt& nameAt);
    void prefetch(std::uint32_t hash) const;
    std::size_t mask() const { return slots_.size() - 1; }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
    std::size_t covered_ = 0;
};

template <typename NameAt>
std::optional<std::size_t> NameIndex::find(std::string_view name, const NameAt& nameAt) const {
    if (used_ == 0) {
        return std::nullopt;
    }
    const std::uint32_t hash = slotHash(name);
    for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
        const Slot& slot = slots_[at];
        if (slot.positionPlusOne == 0) {
            return std::nullopt;
        }
        if (slot.hash == hash && equalIgnoringCase(nameAt(slot.positionPlusOne - 1), name)) {
            return slot.positionPlusOne - 1;
        }
    }
}

template <typename NameAt> void NameIndex::cover(std::size_t count, const NameAt& nameAt) {
    if (count <= covered_) {
        return;
    }
    const std::size_t first = covered_;
    const std::size_t added = count - first;
    reserve(used_ + added);
    // The hash of a name is worked out `ahead` names before its insertion,
    // so its slot can be fetched from memory meanwhile.
    constexpr std::size_t ahead = 16;
    std::uint32_t hashes[ahead];
    for (std::size_t i = 0; i < added && i < ahead; ++i) {
        hashes[i] = slotHash(nameAt(first + i));
        prefetch(hashes[i]);
    }
    for (std::size_t i = 0; i < added; ++i) {
        const std::uint32_t hash = hashes[i % ahead];
        if (i + ahead < added) {
            hashes[i % ahead] = slotHash(nameAt(first + i + ahead));
            prefetch(hashes[i % ahead]);
        }
        insertHashed(hash, nameAt(first + i), first + i, nameAt);
    }
    covered_ = count;
}

template <typename NameAt>
void NameIndex::insertHashed(std::uint32_t hash, std::string_view name, std::size_t position,
                             const NameAt& nameAt) {
    for (std::size_t at = hash & mask();; at = (at + 1) & mask()) {
        Slot& slot = slots_[at];
        if (slot.positionPlusOne == 0) {
            slot = {hash, static_cast<std::uint32_t>(position + 1)};
            ++used_;
            return;
        }
        if (slot.hash == hash && equalIgnoringCase(nameAt(slot.positionPlusOne - 1), name)) {
            return; // a later duplicate is stored by its owner but never found
        }
    }
}

} // namespace quorvel
