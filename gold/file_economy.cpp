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
#include <set>
#include <string>
#include <type_traits>

namespace quorvel {
namespace {

// The open store of each folder this process works in, and the folders
// whose lock another host holds: their stores stay off.
std::map<std::string, std::weak_ptr<FileEconomy>>& openStores() {
    static std::map<std::string, std::weak_ptr<FileEconomy>> stores;
    return stores;
}
std::set<std::string>& lockedOut() {
    static std::set<std::string> folders;
    return folders;
}

std::string lockedOutText(std::string_view reason) {
    return "Another host works in this folder (" + std::string(reason) +
           "): this bot reads and writes none of gold.dat, inv.dat and gold.log, and its store "
           "stays off.";
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
    note(GoldJournal::goldChanged(cause(), fieldText(account.name, sizeof account.name), amount,
                                  account.amount));
}

void FileEconomy::debit(std::string_view name, std::uint32_t amount) {
    ledger_.debit(name, amount);
    const GoldAccount& account = *ledger_.find(name);
    note(GoldJournal::goldChanged(cause(), fieldText(account.name, sizeof account.name),
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
    note(GoldJournal::itemChanged(cause(), name,
                                  inventoryItems[static_cast<std::size_t>(kind)].store->itemWord,
                                  change, count));
    return true;
}

void FileEconomy::createInventory(std::string_view name) {
    book_.appendEmpty(name);
    note(GoldJournal::inventoryCreated(cause(), name));
}

void FileEconomy::resetGold() {
    ledger_.clear();
    note(GoldJournal::goldWiped(cause(), false, 0));
    tellEveryBotWhoDid("The gold accounts were reset");
}

void FileEconomy::resetInventory() {
    book_.clear();
    note(GoldJournal::inventoryWiped(cause(), false, 0));
    tellEveryBotWhoDid("The inventory records were reset");
}

platform::Status FileEconomy::reloadGold() {
    platform::Status loaded = loadGold(LoadMode::replace);
    if (loaded.ok()) {
        note(GoldJournal::goldWiped(cause(), true, ledger_.size()));
        tellEveryBotWhoDid("The gold accounts were reloaded from gold.dat");
    }
    return loaded;
}

platform::Status FileEconomy::reloadInventory() {
    platform::Status loaded = loadInventory(LoadMode::replace);
    if (loaded.ok()) {
        note(GoldJournal::inventoryWiped(cause(), true, book_.size()));
        tellEveryBotWhoDid("The inventory records were reloaded from inv.dat");
    }
    return loaded;
}

void FileEconomy::note(JournalEntry entry) {
    open_.push_back(std::move(entry));
    if (!inEvent()) {
        eventEnded();
    }
}

void FileEconomy::eventEnded() {
    if (!open_.empty()) {
        std::vector<JournalEntry> lines;
        lines.swap(open_);
        writeRecord(std::move(lines));
    }
}

void FileEconomy::writeRecord(std::vector<JournalEntry> lines) {
    const std::uint64_t seq = nextSeq_++;
    journalWritten(journal_.writeRecord(seq, lines));
}

void FileEconomy::continueSequenceAfter(std::uint64_t seq) {
    nextSeq_ = std::max({nextSeq_, seq + 1, saveState_.lastSeq() + 1});
}

void FileEconomy::readSaveState() {
    if (saveStateRead_) {
        return;
    }
    saveStateRead_ = true;
    std::string text;
    platform::Status read = files_.readFile(SaveState::fileName, text);
    if (read.isNotFound()) {
        return;
    }
    std::optional<SaveState> state = read.ok() ? decodeSaveState(text) : std::nullopt;
    if (!state) {
        report(std::string("Warning: ") + SaveState::fileName +
               (read.ok() ? " is damaged" : " could not be read (" + read.reason() + ")") +
               ": the saves in gold.log tell which changes gold.dat and inv.dat hold.");
        return;
    }
    saveState_ = std::move(*state);
    continueSequenceAfter(0);
}

platform::Status FileEconomy::writeSaveState(const SaveState& next, std::string_view fileName) {
    platform::Status written = files_.replaceFile(SaveState::fileName, encodeSaveState(next));
    if (!written.ok()) {
        report("Could not save " + std::string(fileName) + ": " + written.reason() +
               ". The previous " + std::string(fileName) + " is unchanged.");
    }
    return written;
}

template <typename Book>
void FileEconomy::planRecovery(TableRecovery& plan, const Book& book, std::size_t firstLoaded,
                               std::size_t strayBytes, std::size_t garbage, std::uint64_t size,
                               std::uint64_t hash, const std::vector<SavedFile>& saves,
                               std::size_t recordSize, std::size_t nameSize,
                               std::optional<SavedFile>& onDisk) {
    plan = TableRecovery{};
    onDisk = SaveState::match(saves, size, hash);
    if (onDisk) {
        plan.base = TableRecovery::Base::savedState;
        plan.fromSeq = onDisk->seq;
        return;
    }
    // Not a file gold.state names: cut short, garbage in it, or smaller than
    // the last file saved means records were lost.
    const std::uint64_t savedSize = saves.empty() ? 0 : saves.front().size;
    const bool shorter = !saves.empty() && size < savedSize;
    if (strayBytes == 0 && garbage == 0 && !shorter) {
        return;
    }
    plan.damaged = true;
    const std::size_t whole = static_cast<std::size_t>(size / recordSize);
    if (shorter) {
        plan.lost = static_cast<std::size_t>(savedSize / recordSize) - whole + garbage;
    } else if (garbage > 0 && strayBytes == 0) {
        plan.lost = garbage;
    }
    const auto& held = [&book]() -> const auto& {
        if constexpr (std::is_same_v<Book, GoldLedger>) {
            return book.accounts();
        } else {
            return book.records();
        }
    }
    ();
    for (std::size_t at = firstLoaded; at < held.size(); ++at) {
        plan.inFile.insert(foldedCopy(fieldText(held[at].name, nameSize)));
    }
}

template void FileEconomy::planRecovery(TableRecovery&, const GoldLedger&, std::size_t, std::size_t,
                                        std::size_t, std::uint64_t, std::uint64_t,
                                        const std::vector<SavedFile>&, std::size_t, std::size_t,
                                        std::optional<SavedFile>&);
template void FileEconomy::planRecovery(TableRecovery&, const InventoryBook&, std::size_t,
                                        std::size_t, std::size_t, std::uint64_t, std::uint64_t,
                                        const std::vector<SavedFile>&, std::size_t, std::size_t,
                                        std::optional<SavedFile>&);

void FileEconomy::sync() {
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
    platform::Status held;
    if (!journalHeldBecause_.empty()) {
        held = platform::Status::failed(journalHeldBecause_ +
                                        ", and a save would mark the changes it holds as saved");
    } else if (!fileHeldBecause.empty()) {
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
                                             std::size_t& size, std::uint64_t& hash) {
    readSaveState();
    char* bytes = nullptr;
    platform::Status read = files_.readFileInto(
        fileName,
        [&book, &bytes](std::size_t length) {
            bytes = book.rawSpaceFor(length);
            return bytes;
        },
        size);
    // The bytes as the file holds them, before the records are taken in.
    hash = read.ok() ? contentHash(bytes != nullptr ? bytes : "", bytes != nullptr ? size : 0) : 0;
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
                                                      LoadMode, std::size_t&, std::uint64_t&);
template platform::Status FileEconomy::readRecordFile(InventoryBook&, const char*, std::string_view,
                                                      LoadMode, std::size_t&, std::uint64_t&);

bool openFileEconomy(EconomySeat& seat, Word bot, platform::FileSystem& files,
                     const EconomyStore::Console& console) {
    const std::string folder = platform::currentDirectory();
    if (auto open = openStores()[folder].lock()) {
        seat.take(open, bot, console);
        return true;
    }
    if (lockedOut().contains(folder)) {
        console(lockedOutText(std::string(FileEconomy::lockName) + " is held by another host"));
        return false;
    }
    auto economy = std::make_shared<FileEconomy>(files);
    if (platform::Status locked = economy->lockFolder(); !locked.ok()) {
        lockedOut().insert(folder);
        console(lockedOutText(locked.reason()));
        return false;
    }
    seat.take(economy, bot, console);
    try {
        EconomyStore::Cause opening(*economy, bot, "open", "-");
        economy->load();
    } catch (const std::exception& failure) {
        // Out of memory with a huge gold.dat or inv.dat: the bot starts with
        // its store off rather than with half the accounts.
        seat.leave();
        console(std::string("The gold files could not be loaded (") + failure.what() +
                "): the store stays off.");
        return false;
    }
    openStores()[folder] = economy;
    return true;
}

} // namespace quorvel
