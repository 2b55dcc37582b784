// The shared store over gold.dat, inv.dat and gold.log, and the one store
// of each working folder in this host process.
#include "gold/file_economy.h"
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/journal_recovery.h"
#include "gold/store_items.h"

#include <exception>
#include <map>
#include <memory>
#include <string>

namespace quorvel {
namespace {

// The open store of each folder this process works in.
std::map<std::string, std::weak_ptr<FileEconomy>>& openStores() {
    static std::map<std::string, std::weak_ptr<FileEconomy>> stores;
    return stores;
}

std::string lockedOutText(std::string_view reason) {
    return "Another host works in this folder (" + std::string(reason) +
           "): this bot reads and writes none of gold.dat, inv.dat and gold.log, and its store "
           "stays off until it gets the folder's lock (it tries at a handshake, at !ion and once "
           "a minute).";
}

constexpr std::string_view gotEconomyText =
    "This bot has its folder's economy now (gold.lock is this host's): gold.dat, inv.dat and "
    "gold.log are read and written.";
constexpr std::string_view lockRetakenText =
    "This host holds the economy's lock (gold.lock) again: gold.log, gold.dat and inv.dat are "
    "written again.";

enum class Seated { joined, opened, lockedOut, failed };

// openFileEconomy, telling a refused lock only when `tellLockedOut`.
Seated seatAtFolder(EconomySeat& seat, Word bot, platform::FileSystem& files,
                    const EconomyStore::Console& console, bool tellLockedOut) {
    const std::string folder = platform::currentDirectory();
    if (auto open = openStores()[folder].lock()) {
        seat.take(open, bot, console);
        return Seated::joined;
    }
    auto economy = std::make_shared<FileEconomy>(files);
    if (platform::Status locked = economy->lockFolder(); !locked.ok()) {
        if (tellLockedOut) {
            console(lockedOutText(locked.reason()));
        }
        return Seated::lockedOut;
    }
    seat.take(economy, bot, console);
    try {
        EconomyStore::Cause opening(*economy, bot, "open", "-");
        economy->removeLeftoverSaves();
        economy->load();
    } catch (const std::exception& failure) {
        // Out of memory with a huge gold.dat or inv.dat: the bot starts with
        // its store off rather than with half the accounts.
        seat.leave();
        console(std::string("The gold files could not be loaded (") + failure.what() +
                "): the store stays off.");
        return Seated::failed;
    }
    openStores()[folder] = economy;
    return Seated::opened;
}

} // namespace

const GoldAccount* FileEconomy::findAccount(std::string_view name) const {
    return ledger_.find(name);
}

const InventoryRecord* FileEconomy::findInventory(std::string_view name) const {
    return book_.find(name);
}

void FileEconomy::credit(std::string_view name, std::uint32_t amount) {
    ledger_.credit(name, amount);
    const GoldAccount& account = *ledger_.find(name);
    journalWritten(journal_.goldChanged(cause(), fieldText(account.name, sizeof account.name),
                                        amount, account.amount));
}

void FileEconomy::debit(std::string_view name, std::uint32_t amount) {
    ledger_.debit(name, amount);
    const GoldAccount& account = *ledger_.find(name);
    journalWritten(journal_.goldChanged(cause(), fieldText(account.name, sizeof account.name),
                                        -static_cast<std::int64_t>(amount), account.amount));
}

bool FileEconomy::setItemCount(std::string_view name, ItemKind kind, std::int32_t count) {
    InventoryRecord* record = book_.find(name);
    if (record == nullptr) {
        return false;
    }
    std::int32_t& stored = record->counts[static_cast<std::size_t>(kind)];
    const std::int64_t change = std::int64_t{count} - stored;
    stored = count;
    journalWritten(journal_.itemChanged(
        cause(), name, inventoryItems[static_cast<std::size_t>(kind)].store->itemWord, change,
        count));
    return true;
}

void FileEconomy::createInventory(std::string_view name) {
    book_.appendEmpty(name);
    journalWritten(journal_.inventoryCreated(cause(), name));
}

void FileEconomy::resetGold() {
    ledger_.clear();
    journalWritten(journal_.goldWiped(cause(), false, 0));
    tellEveryBotWhoDid("The gold accounts were reset");
}

void FileEconomy::resetInventory() {
    book_.clear();
    journalWritten(journal_.inventoryWiped(cause(), false, 0));
    tellEveryBotWhoDid("The inventory records were reset");
}

platform::Status FileEconomy::reloadGold() {
    platform::Status loaded = loadGold(LoadMode::replace);
    if (loaded.ok()) {
        journalWritten(journal_.goldWiped(cause(), true, ledger_.size()));
        tellEveryBotWhoDid("The gold accounts were reloaded from gold.dat");
    }
    return loaded;
}

platform::Status FileEconomy::reloadInventory() {
    platform::Status loaded = loadInventory(LoadMode::replace);
    if (loaded.ok()) {
        journalWritten(journal_.inventoryWiped(cause(), true, book_.size()));
        tellEveryBotWhoDid("The inventory records were reloaded from inv.dat");
    }
    return loaded;
}

void FileEconomy::sync() {
    checkFolderLock();
    // Only a failure counts here: a sync with nothing to flush ends no run
    // of failures.
    if (platform::Status synced = journal_.syncToDisk(); !synced.ok()) {
        journalWritten(synced);
    }
}

void FileEconomy::load() {
    loadInventory(LoadMode::append);
    loadGold(LoadMode::append);
    recoverFromJournal(*this);
}

void FileEconomy::holdSaves(std::string reason) {
    journalHeldBecause_ = std::move(reason);
    journal_.hold();
    report(journalHeldBecause_ + ". The changes it holds are not recovered, and gold.log, " +
           goldName + " and " + inventoryName +
           " are not written until it can be read: make it readable and restart the bot.");
}

platform::Status FileEconomy::refuseHeldSave(const std::string& fileHeldBecause,
                                             std::string_view fileName,
                                             std::string_view recordsWord) const {
    platform::Status held = refuseUnlockedSave();
    if (held.ok() && !journalHeldBecause_.empty()) {
        held = platform::Status::failed(journalHeldBecause_ +
                                        ", and a save would mark the changes it holds as saved");
    } else if (held.ok() && !fileHeldBecause.empty()) {
        held = platform::Status::failed("it could not be read when its " +
                                        std::string(recordsWord) + " were loaded (" +
                                        fileHeldBecause + "), and a save would overwrite them");
    }
    if (!held.ok()) {
        report("Could not save " + std::string(fileName) + ": " + held.reason() +
               ". The previous " + std::string(fileName) + " is unchanged.");
    }
    return held;
}

void FileEconomy::removeLeftoverSaves() {
    for (const std::string& name : platform::temporaryFilesIn(".")) {
        const std::string saved = platform::fileReplacedThrough(name).value_or("");
        const platform::Status removed = files_.removeFile(name);
        if (removed.ok()) {
            report("Removed " + name + ", left by a save of " + saved +
                   " that never finished (its process stopped during it); " + saved +
                   " is as it was before that save.");
        } else if (removed.isFailed()) {
            report("Could not remove " + name + ", left by a save of " + saved +
                   " that never finished: " + removed.reason() + ".");
        }
    }
}

void FileEconomy::checkFolderLock() {
    if (!folderLockHeld() || !lock_.held()) {
        return; // lost already, or a store that never took the lock
    }
    if (platform::Status named = lock_.stillNamed(); !named.ok()) {
        folderLockLost(named.reason());
    }
}

void FileEconomy::folderLockLost(std::string reason) {
    folderLockLostBecause_ = std::move(reason);
    journal_.refuseWrites("this host no longer holds the folder's lock: " + folderLockLostBecause_);
    tellEveryBot("The economy's lock is lost: " + folderLockLostBecause_ +
                 ", so another host may work in this folder. This host writes none of gold.log, " +
                 goldName + " and " + inventoryName +
                 " until it holds the lock again (it tries at a handshake, at !ion and once a "
                 "minute); changes go on in memory only.");
}

void FileEconomy::folderLockRegained() {
    folderLockLostBecause_.clear();
    journal_.allowWrites();
}

bool FileEconomy::retakeFolderLock(const Console& refusalTo) {
    if (folderLockHeld()) {
        return true;
    }
    // A name that could not be examined for a moment may name the file held.
    platform::Status taken = lock_.stillNamed();
    if (!taken.ok()) {
        taken = lock_.acquire(lockName);
    }
    if (!taken.ok()) {
        if (refusalTo) {
            refusalTo("The economy's lock is still lost (" + taken.reason() +
                      "): gold.log, gold.dat and inv.dat stay unwritten.");
        }
        return false;
    }
    folderLockRegained();
    tellEveryBot(lockRetakenText);
    return true;
}

platform::Status FileEconomy::refuseUnlockedSave() const {
    if (folderLockHeld()) {
        return {};
    }
    return platform::Status::failed("this host no longer holds the folder's lock (" +
                                    folderLockLostBecause_ +
                                    "), and another host may be working in this folder");
}

void FileEconomy::tellEveryBotWhoDid(std::string_view done) const {
    tellEveryBot(std::string(done) + " by " + cause().who + " through bot " +
                 std::to_string(cause().bot) + ".");
}

void FileEconomy::journalWritten(const platform::Status& written) {
    if (written.ok()) {
        journalFailing_ = false;
    } else if (!journalFailing_) {
        journalFailing_ = true;
        report("gold.log cannot be written (" + written.reason() +
               "); gold changes are kept in memory until the next save.");
    }
}

void FileEconomy::journalSaved(const platform::Status& written) {
    journalWritten(written);
    if (written.ok()) {
        journalWritten(journal_.rotateWhenDue());
    }
}

template <typename Book>
platform::Status FileEconomy::readRecordFile(Book& book, const char* fileName,
                                             std::string_view recordsWord, LoadMode mode,
                                             std::size_t& size) {
    platform::Status read = files_.readFileInto(
        fileName, [&book](std::size_t length) { return book.rawSpaceFor(length); }, size);
    if (!read.ok()) {
        book.dropRaw();
    }
    if (read.isFailed()) {
        book.holdSaves(read.reason());
        report("Could not read " + std::string(fileName) + ": " + read.reason() + ". Its " +
               std::string(recordsWord) + " are not loaded, and " + fileName +
               " is not saved until it can be read.");
        return read;
    }
    book.releaseSaves();
    if (read.isNotFound()) {
        if (mode == LoadMode::replace) {
            book.clear();
        }
        return read;
    }
    book.adoptRaw(size, mode == LoadMode::replace);
    return read;
}

template platform::Status FileEconomy::readRecordFile(GoldLedger&, const char*, std::string_view,
                                                      LoadMode, std::size_t&);
template platform::Status FileEconomy::readRecordFile(InventoryBook&, const char*, std::string_view,
                                                      LoadMode, std::size_t&);

bool openFileEconomy(EconomySeat& seat, Word bot, platform::FileSystem& files,
                     const EconomyStore::Console& console) {
    const Seated seated = seatAtFolder(seat, bot, files, console, true);
    return seated == Seated::joined || seated == Seated::opened;
}

void retryFolderLock(EconomySeat& seat, Word bot, platform::FileSystem& files,
                     const EconomyStore::Console& console, bool tellRefusal) {
    if (!seat) {
        const Seated seated = seatAtFolder(seat, bot, files, console, tellRefusal);
        if (seated != Seated::joined && seated != Seated::opened) {
            return;
        }
        console(gotEconomyText);
    }
    // The store joined, or held already, may have lost its lock since.
    if (auto* economy = dynamic_cast<FileEconomy*>(seat.get())) {
        economy->retakeFolderLock(tellRefusal ? console : EconomyStore::Console{});
    }
}

} // namespace quorvel
