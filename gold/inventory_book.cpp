#include "gold/inventory_book.h"

#include "frame/text/text_rules.h"

#include <algorithm>
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
    appendDecoded(records.size(), [&records](std::size_t i) { return records[i]; });
}

void InventoryBook::clear() {
    records_.clear();
    firstByName_.clear();
}

} // namespace quorvel
