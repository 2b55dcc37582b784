#include "gold/inventory_book.h"

#include "base/text/text_rules.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorvel {
namespace {

// Zeroes what follows the first NUL of a record's name: it carries nothing
// and is not kept. Eight bytes at a time, since a load runs it on every
// record of inv.dat.
void clearAfterTerminator(char (&name)[InvDatLayout::nameBytes]) {
    static_assert(sizeof name == 8 + 8 + 4, "the name field is cleared as 8, 8 and 4 bytes");
    if constexpr (std::endian::native != std::endian::little) {
        if (void* nul = std::memchr(name, '\0', sizeof name)) {
            char* from = static_cast<char*>(nul);
            std::memset(from, 0, static_cast<std::size_t>(name + sizeof name - from));
        }
        return;
    }
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::uint32_t last = 0;
    std::memcpy(&first, name, 8);
    std::memcpy(&second, name + 8, 8);
    std::memcpy(&last, name + 16, 4);
    // The lowest flagged byte of a word is its first NUL (higher flags may be
    // false alarms, which the mask drops anyway); that byte and all after it
    // become 0.
    const auto keepBeforeNul = [](std::uint64_t word, bool& ended) -> std::uint64_t {
        const std::uint64_t nul = (word - 0x0101010101010101ull) & ~word & 0x8080808080808080ull;
        if (ended || nul == 0) {
            return ended ? 0 : word;
        }
        ended = true;
        const int kept = std::countr_zero(nul) / 8;
        return kept == 0 ? 0 : word & (~0ull >> (64 - 8 * kept));
    };
    bool ended = false;
    first = keepBeforeNul(first, ended);
    second = keepBeforeNul(second, ended);
    last = static_cast<std::uint32_t>(keepBeforeNul(std::uint64_t{last}, ended));
    std::memcpy(name, &first, 8);
    std::memcpy(name + 8, &second, 8);
    std::memcpy(name + 16, &last, 4);
}

} // namespace

std::string_view InventoryBook::nameAt(std::size_t position) const {
    const char* name = records_[position].name;
    return {name, ::strnlen(name, sizeof(InventoryRecord::name))};
}

std::optional<std::size_t> InventoryBook::positionOf(std::string_view name) const {
    const auto nameOf = [this](std::size_t at) { return nameAt(at); };
    firstByName_.cover(records_.size(), nameOf);
    return firstByName_.find(name.substr(0, sizeof(InventoryRecord::name)), nameOf);
}

InventoryRecord* InventoryBook::find(std::string_view name) {
    const auto found = positionOf(name);
    return found ? &records_[*found] : nullptr;
}

const InventoryRecord* InventoryBook::find(std::string_view name) const {
    const auto found = positionOf(name);
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
}

void InventoryBook::append(std::span<const InventoryRecord> records) {
    records_.insert(records_.end(), records.begin(), records.end());
}

// The record is laid out as inv.dat's, so a file is read into place.
static_assert(sizeof(InventoryRecord) == InvDatLayout::recordBytes &&
              offsetof(InventoryRecord, name) == InvDatLayout::nameOffset &&
              offsetof(InventoryRecord, counts) == InvDatLayout::countsOffset &&
              sizeof(std::int32_t) == InvDatLayout::countBytes);

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
    // Over a span, not the vector: the name's bytes are written as chars, and
    // the vector's bounds would be read again after every record.
    for (InventoryRecord& record : std::span(records_).subspan(first)) {
        clearAfterTerminator(record.name);
        for (std::int32_t& held : record.counts) {
            held = static_cast<std::int32_t>(fromLittleEndian(static_cast<std::uint32_t>(held)));
        }
    }
}

void InventoryBook::clear() {
    records_.clear();
    firstByName_.clear();
}

std::size_t InventoryBook::removeFrom(std::size_t from, bool (*keep)(const InventoryRecord&)) {
    const auto begin =
        records_.begin() + static_cast<std::ptrdiff_t>(std::min(from, records_.size()));
    const auto kept = std::stable_partition(begin, records_.end(), keep);
    const auto removed = static_cast<std::size_t>(records_.end() - kept);
    if (removed > 0) {
        records_.erase(kept, records_.end());
        firstByName_.clear();
    }
    return removed;
}

} // namespace quorvel
