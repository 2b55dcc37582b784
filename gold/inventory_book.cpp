#include "gold/inventory_book.h"

#include "frame/text/text_rules.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace quorvel {

std::string_view InventoryBook::nameAt(std::size_t position) const {
    const char* name = records_[position].name;
    return {name, ::strnlen(name, sizeof(InventoryRecord::name))};
}

InventoryRecord* InventoryBook::find(std::string_view name) {
    auto found = firstByName_.find(name.substr(0, sizeof(InventoryRecord::name)),
                                   [this](std::size_t at) { return nameAt(at); });
    return found ? &records_[*found] : nullptr;
}

const InventoryRecord* InventoryBook::find(std::string_view name) const {
    auto found = firstByName_.find(name.substr(0, sizeof(InventoryRecord::name)),
                                   [this](std::size_t at) { return nameAt(at); });
    return found ? &records_[*found] : nullptr;
}

InventoryRecord& InventoryBook::appendEmpty(std::string_view name) {
    InventoryRecord record;
    std::memcpy(record.name, name.data(), std::min(name.size(), sizeof record.name));
    append(record);
    return records_.back();
}

void InventoryBook::append(const InventoryRecord& record) {
    records_.push_back(record);
    const std::size_t position = records_.size() - 1;
    firstByName_.insertFirst(nameAt(position), position,
                             [this](std::size_t at) { return nameAt(at); });
}

void InventoryBook::append(std::span<const InventoryRecord> records) {
    const std::size_t first = records_.size();
    records_.insert(records_.end(), records.begin(), records.end());
    firstByName_.insertRange(first, records.size(), [this](std::size_t at) { return nameAt(at); });
}

// inv.dat's record: the name in 20 bytes, then the eight counts as 32-bit
// little-endian integers. The record is laid out the same.
static_assert(sizeof(InventoryRecord) == 52 && offsetof(InventoryRecord, counts) == 20);

char* InventoryBook::rawSpaceFor(std::size_t bytes) {
    return rawLoad_.makeRoom(records_, bytes);
}

void InventoryBook::dropRaw() {
    rawLoad_.giveBack(records_);
}

void InventoryBook::adoptRaw(std::size_t bytes, bool replacing) {
    const std::size_t first = rawLoad_.keep(records_, bytes, replacing);
    if (replacing) {
        firstByName_.clear();
    }
    for (std::size_t at = first; at < records_.size(); ++at) {
        InventoryRecord& record = records_[at];
        // What follows a name's terminator carries nothing and is not kept.
        if (void* nul = std::memchr(record.name, '\0', sizeof record.name)) {
            char* from = static_cast<char*>(nul);
            std::memset(from, 0, static_cast<std::size_t>(record.name + sizeof record.name - from));
        }
        for (std::int32_t& held : record.counts) {
            held = static_cast<std::int32_t>(fromLittleEndian(static_cast<std::uint32_t>(held)));
        }
    }
    firstByName_.insertRange(first, records_.size() - first,
                             [this](std::size_t at) { return nameAt(at); });
}

void InventoryBook::clear() {
    records_.clear();
    firstByName_.clear();
}

} // namespace quorvel
