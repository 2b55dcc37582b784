// Bought items by player name, kept in inv.dat. Records stay in file order
// and are found like gold accounts: first match, ignoring the case of A to Z.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel {

// The eight item kinds in the order of their counts in a record and in inv.dat.
enum class ItemKind { Guns, Bombs, Multi, Super, Shield, Thor, Prize, Portal };
constexpr std::size_t itemKindCount = 8;
// Prize number of each kind, which is also the key of its count tag.
constexpr std::array<std::int32_t, itemKindCount> itemPrizeNumbers = {8, 9, 15, 17, 18, 24, 25, 28};

struct InventoryRecord {
    char name[20] = {}; // zero-padded; no terminator when 20 characters long
    std::array<std::int32_t, itemKindCount> counts{};
};

class InventoryBook {
public:
    InventoryRecord* find(std::string_view name);
    const InventoryRecord* find(std::string_view name) const;
    // Appends a record with every count 0.
    InventoryRecord& appendEmpty(std::string_view name);
    void append(const InventoryRecord& record);
    void clear();

    const std::vector<InventoryRecord>& records() const { return records_; }
    std::size_t size() const { return records_.size(); }

private:
    std::vector<InventoryRecord> records_;
    std::unordered_map<std::string, std::size_t> firstByFoldedName_;
};

} // namespace quorvel
