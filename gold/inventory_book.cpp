#include "gold/inventory_book.h"

#include "frame/text/text_rules.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

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
static_assert(std::is_trivially_copyable_v<InventoryRecord>);
static_assert(sizeof(InventoryRecord) == 52 && offsetof(InventoryRecord, counts) == 20);

char* InventoryBook::rawSpaceFor(std::size_t bytes) {
    rawFrom_ = records_.size();
    records_.resize(rawFrom_ + (bytes + sizeof(InventoryRecord) - 1) / sizeof(InventoryRecord));
    return reinterpret_cast<char*>(records_.data() + rawFrom_);
}

void InventoryBook::dropRaw() {
    records_.resize(rawFrom_);
}

void InventoryBook::adoptRaw(std::size_t bytes, bool replacing) {
    const std::size_t count = bytes / sizeof(InventoryRecord);
    records_.resize(rawFrom_ + count);
    if (replacing) {
        records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(rawFrom_));
        rawFrom_ = 0;
        firstByName_.clear();
    }
    for (std::size_t at = rawFrom_; at < records_.size(); ++at) {
        InventoryRecord& record = records_[at];
        // What follows a name's terminator carries nothing and is not kept.
        if (void* nul = std::memchr(record.name, '\0', sizeof record.name)) {
            char* from = static_cast<char*>(nul);
            std::memset(from, 0, static_cast<std::size_t>(record.name + sizeof record.name - from));
        }
        if constexpr (std::endian::native == std::endian::big) {
            for (std::int32_t& held : record.counts) {
                const auto c = static_cast<std::uint32_t>(held);
                held = static_cast<std::int32_t>((c >> 24) | ((c >> 8) & 0xFF00u) |
                                                 ((c << 8) & 0xFF0000u) | (c << 24));
            }
        }
    }
    firstByName_.insertRange(rawFrom_, count, [this](std::size_t at) { return nameAt(at); });
}

void InventoryBook::clear() {
    records_.clear();
    firstByName_.clear();
}

} // namespace quorvel
