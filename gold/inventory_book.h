// Bought items by player name, kept in inv.dat. Records stay in file order
// and are found like gold accounts: first match, ignoring the case of A to Z.
#pragma once

#include "gold/name_index.h"
#include "gold/raw_records.h"
#include "gold/record_layouts.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The eight item kinds in the order of their counts in a record and in inv.dat.
enum class ItemKind { Guns, Bombs, Multi, Super, Shield, Thor, Prize, Portal };
constexpr std::size_t itemKindCount = InvDatLayout::counts;
// Prize number of each kind: the prize the zone gives for one item of it.
constexpr std::array<std::int32_t, itemKindCount> itemPrizeNumbers = {8, 9, 15, 17, 18, 24, 25, 28};

struct InventoryRecord {
    char name[InvDatLayout::nameBytes] = {}; // zero-padded; no terminator when 20 characters long
    std::array<std::int32_t, itemKindCount> counts{};
};

class InventoryBook {
public:
    InventoryRecord* find(std::string_view name);
    const InventoryRecord* find(std::string_view name) const;
    // Appends a record with every count 0.
    InventoryRecord& appendEmpty(std::string_view name);
    void append(const InventoryRecord& record);
    // Appends a file's records, in order; duplicates are kept.
    void append(std::span<const InventoryRecord> records);
    // Loading inv.dat straight into the book, as the gold ledger does it:
    // rawSpaceFor(n) makes room for n bytes of file records (the file's
    // layout is the record's), adoptRaw(n) keeps the whole records read there
    // (in place of those held before when `replacing`), dropRaw() gives the
    // room back after a failed read.
    char* rawSpaceFor(std::size_t bytes);
    void adoptRaw(std::size_t bytes, bool replacing = false);
    void dropRaw();
    void clear();
    // Removes the entries from `from` on that `keep` refuses (garbage read
    // from a damaged file); says how many went.
    std::size_t removeFrom(std::size_t from, bool (*keep)(const InventoryRecord&));

    // Saving inv.dat is held back while this says why (see GoldLedger).
    void holdSaves(std::string reason) { savesHeldBecause_ = std::move(reason); }
    void releaseSaves() { savesHeldBecause_.clear(); }
    const std::string& savesHeldBecause() const { return savesHeldBecause_; }

    const std::vector<InventoryRecord>& records() const { return records_; }
    std::size_t size() const { return records_.size(); }

private:
    // Brings the index up to every record, then looks the name up.
    std::optional<std::size_t> positionOf(std::string_view name) const;
    std::string_view nameAt(std::size_t position) const;

    std::vector<InventoryRecord> records_;
    // Taken in at the next lookup (see GoldLedger).
    mutable NameIndex firstByName_;
    RawRecordLoad<InventoryRecord> rawLoad_;
    std::string savesHeldBecause_;
};

} // namespace quorvel
