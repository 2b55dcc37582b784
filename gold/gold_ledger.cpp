#include "gold/gold_ledger.h"

#include "base/text/text_rules.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quorvel {

std::string_view storableName(std::string_view name) {
    return name.substr(0, GoldDatLayout::longestName);
}

std::string_view GoldLedger::nameAt(std::size_t position) const {
    const char* name = accounts_[position].name;
    return {name, ::strnlen(name, sizeof(GoldAccount::name))};
}

std::optional<std::size_t> GoldLedger::positionOf(std::string_view name) const {
    const auto nameOf = [this](std::size_t at) { return nameAt(at); };
    firstByName_.cover(accounts_.size(), nameOf);
    return firstByName_.find(storableName(name), nameOf);
}

GoldAccount* GoldLedger::find(std::string_view name) {
    const auto found = positionOf(name);
    return found ? &accounts_[*found] : nullptr;
}

const GoldAccount* GoldLedger::find(std::string_view name) const {
    const auto found = positionOf(name);
    return found ? &accounts_[*found] : nullptr;
}

std::uint32_t GoldLedger::balance(std::string_view name) const {
    const GoldAccount* account = find(name);
    return account == nullptr ? 0 : account->amount;
}

GoldAccount& GoldLedger::findOrCreate(std::string_view name) {
    if (GoldAccount* account = find(name)) {
        return *account;
    }
    GoldAccount created;
    std::string_view stored = storableName(name);
    std::memcpy(created.name, stored.data(), stored.size());
    append(created);
    return accounts_.back();
}

void GoldLedger::credit(std::string_view name, std::uint32_t amount) {
    GoldAccount& account = findOrCreate(name);
    account.amount += amount;
}

void GoldLedger::debit(std::string_view name, std::uint32_t amount) {
    GoldAccount& account = findOrCreate(name);
    account.amount -= amount;
}

void GoldLedger::clear() {
    accounts_.clear();
    firstByName_.clear();
}

void GoldLedger::append(std::span<const GoldAccount> accounts) {
    const std::size_t first = accounts_.size();
    accounts_.insert(accounts_.end(), accounts.begin(), accounts.end());
    for (std::size_t at = first; at < accounts_.size(); ++at) {
        accounts_[at].name[sizeof(GoldAccount::name) - 1] = '\0';
    }
}

// The account is laid out as gold.dat's record, so a file is read into place.
static_assert(sizeof(GoldAccount) == GoldDatLayout::recordBytes &&
              offsetof(GoldAccount, amount) == GoldDatLayout::amountOffset &&
              sizeof(GoldAccount::amount) == GoldDatLayout::amountBytes &&
              offsetof(GoldAccount, name) == GoldDatLayout::nameOffset);

char* GoldLedger::rawSpaceFor(std::size_t bytes) {
    return rawLoad_.makeRoom(accounts_, bytes);
}

void GoldLedger::dropRaw() {
    rawLoad_.giveBack(accounts_);
}

void GoldLedger::adoptRaw(std::size_t bytes, bool replacing) {
    const std::size_t first = rawLoad_.keep(accounts_, bytes, replacing);
    if (replacing) {
        firstByName_.clear();
    }
    // Over a span, so the vector's bounds are not read again after every
    // char written.
    for (GoldAccount& account : std::span(accounts_).subspan(first)) {
        account.name[sizeof account.name - 1] = '\0';
        account.amount = fromLittleEndian(account.amount);
    }
}

void GoldLedger::append(const GoldAccount& account) {
    GoldAccount copy = account;
    copy.name[sizeof copy.name - 1] = '\0';
    // The first account of a name keeps the index; later duplicates are
    // stored and saved but never found.
    accounts_.push_back(copy);
}

std::size_t GoldLedger::removeFrom(std::size_t from, bool (*keep)(const GoldAccount&)) {
    const auto begin =
        accounts_.begin() + static_cast<std::ptrdiff_t>(std::min(from, accounts_.size()));
    const auto kept = std::stable_partition(begin, accounts_.end(), keep);
    const auto removed = static_cast<std::size_t>(accounts_.end() - kept);
    if (removed > 0) {
        accounts_.erase(kept, accounts_.end());
        firstByName_.clear();
    }
    return removed;
}

} // namespace quorvel
