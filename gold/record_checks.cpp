#include "gold/record_checks.h"

#include <algorithm>
#include <cstring>

namespace quorvel {
namespace {

// The name up to its first NUL, or the whole field when it has none.
std::string_view nameIn(const char* field, std::size_t size) {
    const void* end = std::memchr(field, '\0', size);
    return {field, end == nullptr
                       ? size
                       : static_cast<std::size_t>(static_cast<const char*>(end) - field)};
}

bool plausibleName(std::string_view name) {
    return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

} // namespace

bool plausibleAccount(const GoldAccount& account) {
    const std::string_view name = nameIn(account.name, sizeof account.name);
    return name.size() < sizeof account.name && plausibleName(name);
}

bool plausibleInventory(const InventoryRecord& record) {
    return plausibleName(nameIn(record.name, sizeof record.name)) &&
           std::none_of(record.counts.begin(), record.counts.end(),
                        [](std::int32_t count) { return count < 0; });
}

} // namespace quorvel
