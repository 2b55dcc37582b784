// Numbers for the names a journal holds, so that a look at millions of
// lines finds each line's account in a flat table: no node, no allocation
// and no folded copy per line, whatever the lines' count. The accounts bound
// the memory.
#pragma once

#include "base/text/text_rules.h"
#include "gold/gold_ledger.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::admin {

// A name as the module matches names: case ignored, cut to what the files
// store. Every look of the tool's at an account by name keys it so.
inline std::string accountKey(std::string_view name) {
    return foldedCopy(storableName(name));
}

// Asks for the memory at `at` ahead of its use: a table far bigger than the
// caches answers a batch of looks in about the time of one.
inline void prefetchMemory(const void* at) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(at);
#else
    static_cast<void>(at);
#endif
}

// Texts numbered 0, 1, 2 ... in the order first seen. A slot holds a short
// text itself, so a look finds most texts with one read of memory, and is
// 24 bytes in a table at most three quarters full, so that the table of
// 20,000 names (768 KiB) stays in the caches while a journal streams past.
class TextNumbers {
public:
    static std::uint64_t hashOf(std::string_view text) {
        return std::hash<std::string_view>{}(text);
    }
    // The number of `text`, given it when it is new.
    std::uint32_t number(std::string_view text) { return number(text, hashOf(text)); }
    // The same with the text's hashOf, when it is known already.
    std::uint32_t number(std::string_view text, std::uint64_t hash) {
        if (4 * (starts_.size() + 1) > 3 * slots_.size()) {
            grow();
        }
        const std::uint32_t check = static_cast<std::uint32_t>(hash >> 32) | 1u;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.check == 0) {
                const auto number = static_cast<std::uint32_t>(starts_.size());
                fill(slot, text, check, number);
                starts_.push_back(static_cast<std::uint32_t>(text_.size()));
                text_.append(text);
                return number;
            }
            if (slot.check == check && holds(slot, text)) {
                return slot.number;
            }
        }
    }
    // The slot where a look for the text of this hashOf begins, asked of
    // memory now.
    void prefetch(std::uint64_t hash) const {
        if (!slots_.empty()) {
            prefetchMemory(&slots_[hash & (slots_.size() - 1)]);
        }
    }
    std::string_view text(std::uint32_t number) const {
        const std::size_t end = number + 1 < starts_.size() ? starts_[number + 1] : text_.size();
        return std::string_view(text_).substr(starts_[number], end - starts_[number]);
    }
    std::size_t size() const { return starts_.size(); }

private:
    static constexpr std::size_t inlineBytes = 15;
    struct Slot {
        std::uint32_t check = 0; // 0: empty
        std::uint32_t number = 0;
        std::uint8_t length = 0; // of a text held here; more: in text_
        std::array<char, inlineBytes> held{};
    };
    static void fill(Slot& slot, std::string_view text, std::uint32_t check, std::uint32_t number) {
        slot.check = check;
        slot.number = number;
        slot.length = static_cast<std::uint8_t>(std::min(text.size(), inlineBytes + 1));
        std::memcpy(slot.held.data(), text.data(), std::min(text.size(), inlineBytes));
    }
    bool holds(const Slot& slot, std::string_view text) const {
        if (slot.length <= inlineBytes) {
            return text.size() == slot.length &&
                   std::memcmp(slot.held.data(), text.data(), text.size()) == 0;
        }
        return this->text(slot.number) == text;
    }
    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 1024 : 2 * old.size(), Slot{});
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& moved : old) {
            if (moved.check == 0) {
                continue;
            }
            const std::uint64_t hash = std::hash<std::string_view>{}(text(moved.number));
            std::size_t at = hash & mask;
            while (slots_[at].check != 0) {
                at = (at + 1) & mask;
            }
            slots_[at] = moved;
        }
    }
    std::vector<Slot> slots_; // a power of two, at most three quarters full
    std::string text_;        // every text, one after another
    std::vector<std::uint32_t> starts_;
};

// Accounts as the module matches names (case ignored, cut to what the
// files store), each numbered once, found from the name as a line writes
// it: the folding is done once per way of writing a name, not per line.
class AccountNumbers {
public:
    struct Found {
        std::uint32_t account; // the same for every way of writing it
        std::uint32_t written; // this way of writing it
    };
    Found find(std::string_view written) { return find(written, TextNumbers::hashOf(written)); }
    // The same with the name's TextNumbers::hashOf, when it is known already.
    Found find(std::string_view written, std::uint64_t hash) {
        const std::uint32_t way = written_.number(written, hash);
        if (way == accountOf_.size()) {
            const std::uint32_t account = keys_.number(accountKey(written));
            if (account == firstWritten_.size()) {
                firstWritten_.push_back(way);
            }
            accountOf_.push_back(account);
        }
        return {accountOf_[way], way};
    }
    void prefetch(std::uint64_t hash) const { written_.prefetch(hash); }
    std::string_view written(std::uint32_t way) const { return written_.text(way); }
    // The folded name, and the name as first written.
    std::string_view key(std::uint32_t account) const { return keys_.text(account); }
    std::string_view firstWritten(std::uint32_t account) const {
        return written_.text(firstWritten_[account]);
    }
    std::size_t size() const { return keys_.size(); }

private:
    TextNumbers written_;
    TextNumbers keys_;
    std::vector<std::uint32_t> accountOf_;    // by way of writing
    std::vector<std::uint32_t> firstWritten_; // by account
};

} // namespace quorvel::admin
