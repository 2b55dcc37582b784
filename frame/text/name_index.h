// An index of names that match ignoring the case of A to Z, for the gold
// ledger and the inventory book: it maps a name to the position of the
// first record that holds it. It keeps only a hash and a position per name
// (no copies of the names, nothing allocated per name), so a book of a
// hundred thousand records is indexed as fast as it is read, and a lookup
// costs the same whatever the book's size. The records stay with their
// owner; the index asks for a record's name when it has to compare one.
#pragma once

#include "frame/text/text_rules.h"

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
    // Records `position` for `name` unless an earlier record has the name.
    template <typename NameAt>
    void insertFirst(std::string_view name, std::size_t position, const NameAt& nameAt);
    // insertFirst for the records at positions [first, first + count), in
    // order: the loading of a whole file.
    template <typename NameAt>
    void insertRange(std::size_t first, std::size_t count, const NameAt& nameAt);

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
    void grow();
    std::size_t mask() const { return slots_.size() - 1; }

    std::vector<Slot> slots_;
    std::size_t used_ = 0;
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

template <typename NameAt>
void NameIndex::insertFirst(std::string_view name, std::size_t position, const NameAt& nameAt) {
    // At most half full, so a probe always ends at an empty slot soon.
    if ((used_ + 1) * 2 > slots_.size()) {
        grow();
    }
    insertHashed(slotHash(name), name, position, nameAt);
}

template <typename NameAt>
void NameIndex::insertRange(std::size_t first, std::size_t count, const NameAt& nameAt) {
    reserve(used_ + count);
    // The hash of a name is worked out `ahead` names before its insertion,
    // so its slot can be fetched from memory meanwhile.
    constexpr std::size_t ahead = 16;
    std::uint32_t hashes[ahead];
    for (std::size_t i = 0; i < count && i < ahead; ++i) {
        hashes[i] = slotHash(nameAt(first + i));
        prefetch(hashes[i]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t hash = hashes[i % ahead];
        if (i + ahead < count) {
            hashes[i % ahead] = slotHash(nameAt(first + i + ahead));
            prefetch(hashes[i % ahead]);
        }
        insertHashed(hash, nameAt(first + i), first + i, nameAt);
    }
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
