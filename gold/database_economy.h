// The economy kept in a database shared by hosts on several machines. The
// bots of this host play on a cache: the balances and records read back from
// the database, plus this host's changes the database has not confirmed yet.
// Every change is applied to the cache at once, written to gold.log as a
// numbered record (gold.log is this host's outbox and its own history) and
// handed to the link's thread, which applies it in the database exactly
// once. A purchase is settled by the database: the buyer hears what came of
// it at a later sync, once the database has taken the price (or refused).
//
// The database may go away at any moment: awards go on and wait in gold.log,
// purchases are refused (or, when the operator allows it, made here and
// settled later), and the console hears once that it was lost and once that
// it is back. gold.lock keeps a second host process out of the folder, as
// with files, since gold.log is this host's own.
#pragma once

#include "base/platform/platform.h"
#include "gold/database_link.h"
#include "gold/database_settings.h"
#include "gold/economy_backend.h"
#include "gold/gold_journal.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel {

class EconomyFolders;

class DatabaseEconomy final : public EconomyBackend {
public:
    DatabaseEconomy(platform::Platform& system, const DatabaseSettings& settings);
    // Asks the link to send what it can within the settings' bound, and
    // leaves it to finish alone past that: what it did not send stays in
    // gold.log and goes at the next start.
    ~DatabaseEconomy() override;

    platform::Status lockFolder() { return os_.lockFile(lockName, lock_); }
    // Reads gold.log's records (those the database may not have) and starts
    // the link's thread.
    void open();

    const GoldAccount* findAccount(std::string_view name) const override;
    const InventoryRecord* findInventory(std::string_view name) const override;
    bool inventoryLoaded() const override { return true; }
    void credit(std::string_view name, std::uint32_t amount) override;
    void debit(std::string_view name, std::uint32_t amount) override;
    bool setItemCount(std::string_view name, ItemKind kind, std::int32_t count) override;
    void createInventory(std::string_view name) override;
    // Nothing to save: every change is in gold.log and sent from there.
    [[nodiscard]] platform::Status saveGold() override { return {}; }
    [[nodiscard]] platform::Status saveInventory() override { return {}; }
    // Every account and record is read again from the database.
    LoadResult reloadGold() override;
    LoadResult reloadInventory() override;
    void resetGold() override;
    void resetInventory() override;
    void purchase(const void* member, const Purchase& purchase, Settled settled) override;
    void playersPresent(const void* member, std::vector<std::string> names) override;
    void sync() override;

    // Whether purchases can be settled now.
    bool reachable() const { return connected_ && !lost_ && !hostHeld_; }
    std::size_t waiting() const { return unconfirmed_.size(); }

    static constexpr const char* lockName = "gold.lock";

private:
    using Counts = std::array<std::int64_t, itemKindCount>;
    struct PendingPurchase {
        const void* member;
        Purchase purchase;
        std::vector<JournalEntry> lines;
        Settled settled; // empty once answered
        std::uint32_t askedAt;
    };

    void note(JournalEntry entry);
    platform::Status eventEnded() override;
    void memberLeft(const void* member) override;
    // This host's changes not confirmed yet, by folded name: added when a
    // record is made, taken off when the database confirms it.
    void addPending(const std::vector<JournalEntry>& lines, std::int64_t sign);
    void readJournal(const char* fileName);
    void takeReports();
    void confirmed(std::uint64_t seq, RecordOutcome outcome);
    void settledPurchase(std::uint64_t seq, RecordOutcome outcome);
    void apply(const DatabaseLink::Balances& read);
    void tellLost(const std::string& reason);
    void answerLatePurchases();
    void applyToCache(const JournalEntry& line);

    platform::Platform& os_;
    const DatabaseSettings settings_;
    std::unique_ptr<platform::HeldLock> lock_;
    std::shared_ptr<DatabaseLink> link_;
    platform::WorkerThread worker_;
    GoldJournal journal_;
    GoldLedger ledger_;
    InventoryBook book_;
    std::vector<JournalEntry> open_;
    std::uint64_t nextSeq_ = 1;
    std::map<std::uint64_t, std::vector<JournalEntry>> unconfirmed_;
    std::map<std::uint64_t, PendingPurchase> purchases_;
    std::unordered_map<std::string, std::int64_t> pendingGold_;
    std::unordered_map<std::string, Counts> pendingItems_;
    std::map<const void*, std::vector<std::string>> present_;
    bool connected_ = false;
    bool lost_ = false;
    bool hostHeld_ = false;
    bool journalFailing_ = false;
};

// Seats a bot at the database economy of its working folder: joins the one
// its host process has open, or opens it (takes gold.lock, reads gold.log,
// starts the link). False when another process holds the folder, with the
// reason on the console when `tellRefusal`.
bool openDatabaseEconomy(EconomySeat& seat, Word bot, platform::Platform& system,
                         EconomyFolders& folders, const EconomyBackend::Console& console,
                         const DatabaseSettings& settings, bool tellRefusal = true);

} // namespace quorvel
