#include "gold/inventory_book.h"

#include "frame/text/text_rules.h"

#include <algorithm>
#include <cstring>

namespace quorvel {

InventoryRecord* InventoryBook::find(std::string_view name) {
    auto found = firstByFoldedName_.find(foldedCopy(name.substr(0, sizeof(InventoryRecord::name))));
    return found == firstByFoldedName_.end() ? nullptr : &records_[found->second];
}

const InventoryRecord* InventoryBook::find(std::string_view name) const {
    auto found = firstByFoldedName_.find(foldedCopy(name.substr(0, sizeof(InventoryRecord::name))));
    return found == firstByFoldedName_.end() ? nullptr : &records_[found->second];
}

InventoryRecord& InventoryBook::appendEmpty(std::string_view name) {
    InventoryRecord record;
    std::memcpy(record.name, name.data(), std::min(name.size(), sizeof record.name));
    append(record);
    return records_.back();
}

void InventoryBook::append(const InventoryRecord& record) {
    records_.push_back(record);
    firstByFoldedName_.try_emplace(foldedCopy(fieldText(record.name, sizeof record.name)),
                                   records_.size() - 1);
}

void InventoryBook::clear() {
    records_.clear();
    firstByFoldedName_.clear();
}

} // namespace quorvel
