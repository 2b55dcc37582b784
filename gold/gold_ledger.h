// Gold balances by player name, kept in gold.dat.
//
// Accounts stay in the order they were created or loaded: that order is the
// file's, and a lookup takes the first account whose name matches ignoring
// the case of A to Z. An index of the names keeps lookups constant-time
// however many accounts a zone has collected over the years.
#pragma once

#include "gold/name_index.h"
#include "gold/raw_records.h"
#include "gold/record_layouts.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct GoldAccount {
    std::uint32_t amount = 0;
    char name[GoldDatLayout::nameBytes] = {}; // NUL-terminated, at most 19 characters
};

class GoldLedger {
public:
    // The first account whose name matches, or null.
    GoldAccount* find(std::string_view name);
    const GoldAccount* find(std::string_view name) const;
    // 0 for a name without an account; never creates one.
    std::uint32_t balance(std::string_view name) const;
    // Create the account when there is none, then add or subtract modulo 2^32.
    void credit(std::string_view name, std::uint32_t amount);
    void debit(std::string_view name, std::uint32_t amount);
    void clear();
    // Removes the entries from `from` on that `keep` refuses (garbage read
    // from a damaged file); says how many went.
    std::size_t removeFrom(std::size_t from, bool (*keep)(const GoldAccount&));
    // Appends an account as it stands (a loaded record); duplicates are kept.
    void append(const GoldAccount& account);
    // Appends a file's accounts as they stand, in order; duplicates are kept.
    void append(std::span<const GoldAccount> accounts);
    // Loading gold.dat straight into the ledger, with no copy between:
    // rawSpaceFor(n) makes room at the end for n bytes of file records (the
    // file's layout is the account's) and says where they go; adoptRaw(n)
    // keeps the whole records among the n bytes read there (the index takes
    // them in at the next lookup), in place of the accounts held before when
    // `replacing`; dropRaw() gives the room back when the read failed.
    char* rawSpaceFor(std::size_t bytes);
    void adoptRaw(std::size_t bytes, bool replacing = false);
    void dropRaw();

    // Saving gold.dat is held back while this says why: the file exists but
    // could not be read, and a save would overwrite accounts never loaded.
    void holdSaves(std::string reason) { savesHeldBecause_ = std::move(reason); }
    void releaseSaves() { savesHeldBecause_.clear(); }
    const std::string& savesHeldBecause() const { return savesHeldBecause_; }

    const std::vector<GoldAccount>& accounts() const { return accounts_; }
    std::size_t size() const { return accounts_.size(); }

private:
    GoldAccount& findOrCreate(std::string_view name);
    // Brings the index up to every account, then looks the name up.
    std::optional<std::size_t> positionOf(std::string_view name) const;
    std::string_view nameAt(std::size_t position) const;

    std::vector<GoldAccount> accounts_;
    // Catching up with appended accounts changes no answer: a lookup stays a
    // const operation.
    mutable NameIndex firstByName_;
    RawRecordLoad<GoldAccount> rawLoad_;
    std::string savesHeldBecause_;
};

// A name as the 20-byte field stores it: the first 19 characters.
std::string_view storableName(std::string_view name);

} // namespace quorvel
