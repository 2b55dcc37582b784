// Numbered versions of a large gold ledger and inventory book, and the exact
// bytes gold.dat and inv.dat hold for each, built here byte by byte so that
// what the module writes is compared with an encoding of our own. Every
// version gives every account a different balance and every record different
// counts, so no two versions share a file.
#pragma once

#include "support/test_arena.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing {

inline std::uint32_t scramble(std::uint64_t value) {
    value += 0x9E3779B97F4A7C15ull;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return static_cast<std::uint32_t>(value ^ (value >> 31));
}

class BookVersions {
public:
    explicit BookVersions(std::size_t accounts) {
        names_.reserve(accounts);
        for (std::size_t i = 0; i < accounts; ++i) {
            // Names of every length up to the 19 characters a record holds.
            std::string text = "Pilot" + std::to_string(i);
            if (i % 7 == 0) {
                text.resize(19, static_cast<char>('a' + i % 26));
            }
            names_.push_back(std::move(text));
        }
    }

    std::size_t accounts() const { return names_.size(); }
    const std::string& name(std::size_t i) const { return names_[i]; }

    static std::uint32_t balance(std::uint64_t version, std::size_t i) {
        return scramble(version << 32 | i);
    }
    static std::int32_t count(std::uint64_t version, std::size_t i, std::size_t item) {
        return static_cast<std::int32_t>(scramble(version << 32 | (i << 3) | item | 1ull << 31));
    }

    std::string goldBytes(std::uint64_t version) const {
        std::string bytes(names_.size() * 24, '\0');
        char* at = bytes.data();
        for (std::size_t i = 0; i < names_.size(); ++i, at += 24) {
            storeLittleEndian(at, balance(version, i));
            std::memcpy(at + 4, names_[i].data(), names_[i].size());
        }
        return bytes;
    }
    std::string inventoryBytes(std::uint64_t version) const {
        std::string bytes(names_.size() * 52, '\0');
        char* at = bytes.data();
        for (std::size_t i = 0; i < names_.size(); ++i, at += 52) {
            std::memcpy(at, names_[i].data(), names_[i].size());
            for (std::size_t item = 0; item < itemKindCount; ++item) {
                storeLittleEndian(at + 20 + 4 * item,
                                  static_cast<std::uint32_t>(count(version, i, item)));
            }
        }
        return bytes;
    }

    // Where a spawn that holds this book's accounts, in this order (as a
    // load of the book's files leaves them), keeps each of them. The ledger
    // and the book hand their entries out read-only; the entries themselves
    // are not const, and the test changes them in place to make versions
    // quickly. Valid while no account or record is added.
    struct Places {
        GoldAccount* accounts = nullptr;
        InventoryRecord* records = nullptr;
    };
    static Places placesIn(TestArena& arena) {
        return {const_cast<GoldAccount*>(arena.gold().accounts().data()),
                const_cast<InventoryRecord*>(arena.inventory().records().data())};
    }

    // Puts a version into those places, without the journal (what is tested
    // is the save, not the changes).
    void apply(const Places& places, std::uint64_t gold, std::uint64_t inventory) const {
        for (std::size_t i = 0; i < names_.size(); ++i) {
            places.accounts[i].amount = balance(gold, i);
            for (std::size_t item = 0; item < itemKindCount; ++item) {
                places.records[i].counts[item] = count(inventory, i, item);
            }
        }
    }

    // Whether a spawn holds exactly these versions, account by account.
    bool holds(TestArena& arena, std::uint64_t gold, std::uint64_t inventory) const {
        if (arena.gold().size() != names_.size() || arena.inventory().size() != names_.size()) {
            return false;
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            const GoldAccount& account = arena.gold().accounts()[i];
            const InventoryRecord& record = arena.inventory().records()[i];
            if (account.amount != balance(gold, i) || names_[i] != account.name ||
                std::string_view(record.name, strnlen(record.name, sizeof record.name)) !=
                    names_[i]) {
                return false;
            }
            for (std::size_t item = 0; item < itemKindCount; ++item) {
                if (record.counts[item] != count(inventory, i, item)) {
                    return false;
                }
            }
        }
        return true;
    }

private:
    static void storeLittleEndian(char* at, std::uint32_t value) {
        for (int byte = 0; byte < 4; ++byte) {
            at[byte] = static_cast<char>((value >> (8 * byte)) & 0xFFu);
        }
    }

    std::vector<std::string> names_;
};

} // namespace quorvel::testing
