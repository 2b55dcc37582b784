#include "gold/record_checks.h"

#include <algorithm>

namespace quorvel {
namespace {

bool plausibleName(const char* name, std::size_t size) {
    if (size == 0 || name[0] == '\0') {
        return false;
    }
    for (std::size_t at = 0; at < size && name[at] != '\0'; ++at) {
        const auto byte = static_cast<unsigned char>(name[at]);
        if (byte < 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

} // namespace

bool plausibleAccount(const GoldAccount& account) {
    return plausibleName(account.name, sizeof account.name);
}

bool plausibleInventory(const InventoryRecord& record) {
    return plausibleName(record.name, sizeof record.name) &&
           std::none_of(record.counts.begin(), record.counts.end(),
                        [](std::int32_t count) { return count < 0; });
}

} // namespace quorvel
