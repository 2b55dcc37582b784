// The shared economy over gold.dat, inv.dat and gold.log, and how a bot is
// seated at the one economy of its working folder.
#include "gold/file_economy.h"
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/journal_recovery.h"
#include "gold/store_items.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <memory>
#include <string>
#include <type_traits>

namespace quorvel {
namespace {

std::string lockedOutText(std::string_view reason) {
    return "Another host works in this folder (" + std::string(reason) +
           "): this bot reads and writes none of gold.dat, inv.dat and gold.log, and its store "
           "stays off until it gets the folder's lock (it tries at a handshake, at !ion and once "
           "a minute).";
}

constexpr std::string_view gotEconomyText =
    "This bot has its folder's economy now (gold.lock is this host's): gold.dat, inv.dat and "
    "gold.log are read and written.";
// A reload made while the lock was lost, made again: told as the staff's
// own reload was.
void reloadAgain(const FileEconomy& economy, const LoadResult& reloaded, std::string_view done,
                 const ChangeCause& by) {
    economy.report(reloaded.findings);
    if (reloaded.status.ok()) {
        economy.tellEveryBot(wholeTableDoneText(done, by.who, by.bot));
    }
}

constexpr std::string_view lockRetakenText =
    "This host holds the economy's lock (gold.lock) again: gold.log, gold.dat and inv.dat are "
    "written again.";

enum class Seated { joined, opened, lockedOut, failed };

// openFileEconomy, telling a refused lock only when `tellLockedOut`.
Seated seatAtFolder(EconomySeat& seat, Word bot, platform::Platform& system,
                    EconomyFolders& folders, const EconomyBackend::Console& console,
                    bool tellLockedOut) {
    const std::string folder = system.currentDirectory();
    if (auto open = folders.openIn(folder)) {
        seat.take(open, bot, console);
        return Seated::joined;
    }
    auto economy = std::make_shared<FileEconomy>(system);
    if (platform::Status locked = economy->lockFolder(); !locked.ok()) {
        if (tellLockedOut) {
            console(lockedOutText(locked.reason()));
        }
        return Seated::lockedOut;
    }
    seat.take(economy, bot, console);
    try {
        EconomyBackend::Cause opening(*economy, bot, "open", "-");
        economy->removeLeftoverSaves();
        economy->load();
        if (const platform::Status opened = opening.end(); !opened.ok()) {
            console(recordNotWrittenText(opened));
        }
    } catch (const std::exception& failure) {
        // Out of memory with a huge gold.dat or inv.dat: the bot starts with
        // its store off rather than with half the accounts.
        seat.leave();
        console(std::string("The gold files could not be loaded (") + failure.what() +
                "): the store stays off.");
        return Seated::failed;
    }
    folders.opened(folder, economy);
    return Seated::opened;
}

} // namespace

std::shared_ptr<EconomyBackend> EconomyFolders::openIn(const std::string& folder) const {
    auto found = open_.find(folder);
    return found == open_.end() ? nullptr : found->second.lock();
}

void EconomyFolders::opened(const std::string& folder,
                            const std::shared_ptr<EconomyBackend>& economy) {
    // Economies closed since are forgotten, so the map holds no more folders
    // than the process has open.
    std::erase_if(open_, [](const auto& entry) { return entry.second.expired(); });
    open_[folder] = economy;
}

const GoldAccount* FileEconomy::findAccount(std::string_view name) const {
    return ledger_.find(name);
}

const InventoryRecord* FileEconomy::findInventory(std::string_view name) const {
    return book_.find(name);
}

void FileEconomy::credit(std::string_view name, std::uint32_t amount) {
    note(creditWithLine(ledger_, cause(), name, amount));
}

void FileEconomy::debit(std::string_view name, std::uint32_t amount) {
    note(debitWithLine(ledger_, cause(), name, amount));
}

bool FileEconomy::setItemCount(std::string_view name, ItemKind kind, std::int32_t count) {
    std::optional<JournalEntry> line = setItemCountWithLine(book_, cause(), name, kind, count);
    if (!line) {
        return false;
    }
    note(std::move(*line));
    return true;
}

void FileEconomy::createInventory(std::string_view name) {
    note(createInventoryWithLine(book_, cause(), name));
}

void FileEconomy::resetGold() {
    ledger_.clear();
    note(GoldJournal::goldWiped(cause(), false, 0));
}

void FileEconomy::resetInventory() {
    book_.clear();
    note(GoldJournal::inventoryWiped(cause(), false, 0));
}

LoadResult FileEconomy::reloadGold() {
    LoadResult loaded = loadGold(LoadMode::replace);
    if (loaded.status.ok()) {
        note(GoldJournal::goldWiped(cause(), true, ledger_.size()));
    }
    return loaded;
}

LoadResult FileEconomy::reloadInventory() {
    LoadResult loaded = loadInventory(LoadMode::replace);
    if (loaded.status.ok()) {
        note(GoldJournal::inventoryWiped(cause(), true, book_.size()));
    }
    return loaded;
}

void FileEconomy::stamp(JournalEntry& entry) {
    if (entry.time.empty()) {
        entry.time = os_.utcTimestamp();
    }
}

void FileEconomy::note(JournalEntry entry) {
    stamp(entry);
    open_.push_back(std::move(entry));
    if (!inEvent()) {
        // A change under no cause is a record of its own, and no caller
        // hears what came of it: a failure is told here.
        endEventTelling();
    }
}

platform::Status FileEconomy::eventEnded() {
    if (open_.empty()) {
        return {};
    }
    std::vector<JournalEntry> lines;
    lines.swap(open_);
    return writeRecord(std::move(lines));
}

platform::Status FileEconomy::writeRecord(std::vector<JournalEntry> lines) {
    // A record is written only while gold.lock still names the file this
    // host locked: once another host may work here, its numbers and ours
    // would cross. A record kept aside then is no news: the lock's loss was
    // told on every bot's console (checkFolderLock), and it is applied again
    // once the lock is back.
    checkFolderLock();
    if (!folderLockHeld()) {
        madeWhileUnlocked_.push_back(std::move(lines));
        return {};
    }
    const std::uint64_t seq = nextSeq_++;
    return journalNews(journalInOrder(seq, std::move(lines)));
}

platform::Status FileEconomy::journalInOrder(std::uint64_t seq, std::vector<JournalEntry> lines) {
    unwritten_.emplace_back(seq, std::move(lines));
    return writeUnwritten();
}

platform::Status FileEconomy::writeUnwritten() {
    while (!unwritten_.empty()) {
        platform::Status written =
            journal_.writeRecord(unwritten_.front().first, unwritten_.front().second);
        if (!written.ok()) {
            return written;
        }
        unwritten_.pop_front();
    }
    return {};
}

platform::Status FileEconomy::journalMark(std::uint64_t seq, JournalEntry mark) {
    // The records waiting go first, so the journal stays in order when it
    // can be written again; the mark itself never waits: gold.state already
    // says what the file holds.
    if (platform::Status waiting = writeUnwritten(); !waiting.ok()) {
        return waiting;
    }
    stamp(mark);
    return journal_.writeRecord(seq, {std::move(mark)});
}

std::string FileEconomy::unwrittenRecords() const {
    std::string text;
    for (const auto& [seq, lines] : unwritten_) {
        GoldJournal::recordText(text, seq, lines);
    }
    return text;
}

void FileEconomy::forgetUnwrittenSavedInBoth() {
    if (!goldOnDisk_ || !inventoryOnDisk_) {
        return;
    }
    const std::uint64_t inBoth = std::min(goldOnDisk_->seq, inventoryOnDisk_->seq);
    while (!unwritten_.empty() && unwritten_.front().first < inBoth) {
        unwritten_.pop_front();
    }
}

void FileEconomy::continueSequenceAfter(std::uint64_t seq) {
    nextSeq_ = std::max({nextSeq_, seq + 1, saveState_.lastSeq() + 1});
}

void FileEconomy::readSaveState(std::vector<std::string>& findings) {
    if (saveStateRead_) {
        return;
    }
    saveStateRead_ = true;
    std::string text;
    platform::Status read = os_.readFile(SaveState::fileName, text);
    if (read.isNotFound()) {
        return;
    }
    std::optional<SaveState> state = read.ok() ? decodeSaveState(text) : std::nullopt;
    if (!state) {
        findings.push_back(
            std::string("Warning: ") + SaveState::fileName +
            (read.ok() ? " is damaged" : " could not be read (" + read.reason() + ")") +
            ": the saves in gold.log tell which changes gold.dat and inv.dat hold.");
        return;
    }
    saveState_ = std::move(*state);
    continueSequenceAfter(0);
}

platform::Status FileEconomy::saveDataFile(const char* fileName, const std::string& bytes,
                                           std::uint64_t seq,
                                           std::vector<SavedFile> SaveState::*saves,
                                           std::optional<SavedFile>& onDisk) {
    std::optional<SavedFile> written;
    platform::Status saved =
        os_.replaceFile(fileName, bytes, [&](const platform::FileStamp& stamp) {
            // gold.state first: whichever file a crash leaves, it is named.
            SaveState next = saveState_;
            written = SavedFile{seq, stamp};
            next.*saves = {*written};
            if (onDisk && *onDisk != *written) {
                (next.*saves).push_back(*onDisk);
            }
            next.records = unwrittenRecords();
            platform::Status noted = os_.replaceFile(SaveState::fileName, encodeSaveState(next));
            if (noted.ok()) {
                saveState_ = std::move(next);
            }
            return noted;
        });
    if (!saved.ok()) {
        return saved;
    }
    onDisk = written;
    forgetUnwrittenSavedInBoth();
    return saved;
}

template <typename Book>
void FileEconomy::planRecovery(TableRecovery& plan, const Book& book, std::size_t firstLoaded,
                               std::size_t strayBytes, std::size_t garbage, const char* fileName,
                               const std::vector<SavedFile>& saves, std::size_t recordSize,
                               std::size_t nameSize, std::optional<SavedFile>& onDisk) {
    plan = TableRecovery{};
    const std::optional<platform::FileStamp> stamp = os_.fileStamp(fileName);
    onDisk = SaveState::match(saves, stamp);
    if (onDisk) {
        plan.base = TableRecovery::Base::savedState;
        plan.fromSeq = onDisk->seq;
        return;
    }
    // Not a file gold.state names: cut short, garbage in it, or smaller than
    // the last file saved means records were lost.
    const std::uint64_t size = stamp ? stamp->size : 0;
    const std::uint64_t savedSize = saves.empty() ? 0 : saves.front().stamp.size;
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
                                        std::size_t, const char*, const std::vector<SavedFile>&,
                                        std::size_t, std::size_t, std::optional<SavedFile>&);
template void FileEconomy::planRecovery(TableRecovery&, const InventoryBook&, std::size_t,
                                        std::size_t, std::size_t, const char*,
                                        const std::vector<SavedFile>&, std::size_t, std::size_t,
                                        std::optional<SavedFile>&);

void FileEconomy::sync() {
    checkFolderLock();
    // Records gold.log refused are written, in order, once it takes them.
    if (!unwritten_.empty() && folderLockHeld()) {
        journalWritten(writeUnwritten());
    }
    // Only a failure counts here: a sync with nothing to flush ends no run
    // of failures.
    if (platform::Status synced = journal_.syncToDisk(); !synced.ok()) {
        journalWritten(synced);
    }
}

void FileEconomy::load() {
    report(loadInventory(LoadMode::append).findings);
    report(loadGold(LoadMode::append).findings);
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
                                             std::string_view recordsWord) {
    platform::Status held = refuseUnlockedSave();
    if (held.ok() && !journalHeldBecause_.empty()) {
        held = platform::Status::failed(journalHeldBecause_ +
                                        ", and a save would mark the changes it holds as saved");
    } else if (held.ok() && !fileHeldBecause.empty()) {
        held = platform::Status::failed("it could not be read when its " +
                                        std::string(recordsWord) + " were loaded (" +
                                        fileHeldBecause + "), and a save would overwrite them");
    }
    return held;
}

void FileEconomy::removeLeftoverSaves() {
    for (const std::string& name : os_.temporaryFilesIn(".")) {
        const std::string saved = platform::fileReplacedThrough(name).value_or("");
        const platform::Status removed = os_.removeFile(name);
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
    if (!folderLockHeld() || !lock_) {
        return; // lost already, or an economy that never took the lock
    }
    if (platform::Status named = lock_->stillNamed(); !named.ok()) {
        folderLockLost(named.reason());
    }
}

// The lock's loss and return, and what recovery and a reload made again
// find, are told on the consoles from here: they are the folder's news, not
// what came of one change, and no change's caller could tell them.
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
    rereadFolderAndApplyAgain();
}

void FileEconomy::rereadFolderAndApplyAgain() {
    std::vector<std::vector<JournalEntry>> made;
    made.swap(madeWhileUnlocked_);
    if (!open_.empty()) {
        made.push_back(std::move(open_)); // the event in force so far
        open_.clear();
    }
    // Another host may have played and saved here meanwhile: what the files
    // and the journal hold now is the base, as at a start.
    ledger_.clear();
    book_.clear();
    saveState_ = SaveState{};
    saveStateRead_ = false;
    load();
    // All of them one record, written before the lock is said to be back: a
    // crash keeps every one of them or none.
    std::size_t changes = 0;
    {
        Cause regained(*this, cause().bot, "lock regained", "-");
        for (const std::vector<JournalEntry>& record : made) {
            const ChangeCause& first = record.front().cause;
            Cause again(*this, first.bot, first.what, first.who);
            for (const JournalEntry& entry : record) {
                applyAgain(entry);
                ++changes;
            }
        }
        endEventTelling();
    }
    if (changes > 0) {
        tellEveryBot("The " + std::to_string(changes) +
                     " changes made while the lock was lost are applied again over what " +
                     goldName + ", " + inventoryName + " and gold.log hold now.");
    }
}

void FileEconomy::applyAgain(const JournalEntry& entry) {
    const bool whole = entry.account == journalEveryAccount;
    if (entry.field == journalGoldField && whole) {
        if (entry.change == journalReset) {
            ledger_.clear();
            note(GoldJournal::goldWiped(cause(), false, 0));
        } else if (entry.change == journalReload) {
            reloadAgain(*this, reloadGold(), goldReloadedDone, cause());
        }
        return;
    }
    if (entry.field == journalInventoryField) {
        if (whole && entry.change == journalReset) {
            book_.clear();
            note(GoldJournal::inventoryWiped(cause(), false, 0));
        } else if (whole && entry.change == journalReload) {
            reloadAgain(*this, reloadInventory(), inventoryReloadedDone, cause());
        } else if (entry.change == journalNew && book_.find(entry.account) == nullptr) {
            createInventory(entry.account);
        }
        return;
    }
    const std::optional<std::int64_t> change = readJournalChange(entry.change);
    if (!change) {
        return;
    }
    const bool gain = entry.change[0] == '+';
    const std::int64_t size = gain ? *change : -*change;
    if (entry.field == journalGoldField) {
        const auto amount = static_cast<std::uint32_t>(size);
        const std::uint32_t held = balance(entry.account);
        if (gain) {
            credit(entry.account, std::min(amount, UINT32_MAX - held));
        } else if (amount <= held) {
            debit(entry.account, amount);
        } else {
            // Both hosts spent the same gold while the lock was lost: what
            // is there is taken, never more (a balance below 0 would wrap to
            // billions).
            debit(entry.account, held);
            tellEveryBot(journalEscape(entry.account) + " was charged " + std::to_string(amount) +
                         " gold (" + journalEscape(entry.cause.what) +
                         ") while the lock was lost, but holds only " + std::to_string(held) +
                         " now: " + std::to_string(amount - held) + " gold was not collected.");
        }
        return;
    }
    const auto kind = itemKindOfWord(entry.field);
    if (!kind) {
        return;
    }
    if (book_.find(entry.account) == nullptr) {
        createInventory(entry.account);
    }
    const std::int64_t held = book_.find(entry.account)->counts[static_cast<std::size_t>(*kind)];
    if (!gain && size > held && held >= 0) {
        // Used through both hosts: it stops at none left.
        setItemCount(entry.account, *kind, 0);
        tellEveryBot(journalEscape(entry.account) + " used " + std::to_string(size) + " " +
                     entry.field + " (" + journalEscape(entry.cause.what) +
                     ") while the lock was lost, but holds only " + std::to_string(held) +
                     " now: " + std::to_string(size - held) + " were not taken.");
        return;
    }
    const std::int64_t count = std::min<std::int64_t>(gain ? held + size : held - size, INT32_MAX);
    setItemCount(entry.account, *kind, static_cast<std::int32_t>(count));
}

bool FileEconomy::retakeFolderLock(const Console& refusalTo) {
    if (folderLockHeld()) {
        return true;
    }
    // A name that could not be examined for a moment may name the file held.
    platform::Status taken =
        lock_ ? lock_->stillNamed() : platform::Status::failed("the lock is not held");
    if (!taken.ok()) {
        taken = os_.lockFile(lockName, lock_);
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

platform::Status FileEconomy::refuseUnlockedSave() {
    // A save is where this host most needs the folder: it looks at the lock
    // first, and takes it again when it was lost and nobody holds it now.
    checkFolderLock();
    if (!folderLockHeld()) {
        retakeFolderLock();
    }
    if (folderLockHeld()) {
        return {};
    }
    return platform::Status::failed("this host no longer holds the folder's lock (" +
                                    folderLockLostBecause_ +
                                    "), and another host may be working in this folder");
}

platform::Status FileEconomy::journalNews(const platform::Status& written) {
    if (written.ok()) {
        journalFailing_ = false;
    } else if (!journalFailing_) {
        journalFailing_ = true;
        return written;
    }
    return {};
}

void FileEconomy::tellJournalNews(const platform::Status& news) const {
    if (!news.ok()) {
        report(recordNotWrittenText(news));
    }
}

void FileEconomy::journalSaved(const platform::Status& written) {
    journalWritten(written);
    if (written.ok()) {
        journalWritten(journal_.rotateWhenDue());
        if (const std::optional<std::string> notKept = journal_.takeNotKept()) {
            report(*notKept);
        }
    }
}

template <typename Book>
LoadResult FileEconomy::readRecordFile(Book& book, const char* fileName,
                                       std::string_view recordsWord, LoadMode mode,
                                       std::size_t& size) {
    LoadResult loaded;
    readSaveState(loaded.findings);
    platform::Status& read = loaded.status;
    read = os_.readFileInto(
        fileName, [&book](std::size_t length) { return book.rawSpaceFor(length); }, size);
    if (!read.ok()) {
        book.dropRaw();
    }
    if (read.isFailed()) {
        book.holdSaves(read.reason());
        loaded.findings.push_back("Could not read " + std::string(fileName) + ": " + read.reason() +
                                  ". Its " + std::string(recordsWord) + " are not loaded, and " +
                                  fileName + " is not saved until it can be read.");
        return loaded;
    }
    book.releaseSaves();
    if (read.isNotFound()) {
        if (mode == LoadMode::replace) {
            book.clear();
        }
        return loaded;
    }
    book.adoptRaw(size, mode == LoadMode::replace);
    return loaded;
}

template LoadResult FileEconomy::readRecordFile(GoldLedger&, const char*, std::string_view,
                                                LoadMode, std::size_t&);
template LoadResult FileEconomy::readRecordFile(InventoryBook&, const char*, std::string_view,
                                                LoadMode, std::size_t&);

bool openFileEconomy(EconomySeat& seat, Word bot, platform::Platform& system,
                     EconomyFolders& folders, const EconomyBackend::Console& console) {
    const Seated seated = seatAtFolder(seat, bot, system, folders, console, true);
    return seated == Seated::joined || seated == Seated::opened;
}

void retryFolderLock(EconomySeat& seat, Word bot, platform::Platform& system,
                     EconomyFolders& folders, const EconomyBackend::Console& console,
                     bool tellRefusal) {
    if (!seat) {
        const Seated seated = seatAtFolder(seat, bot, system, folders, console, tellRefusal);
        if (seated != Seated::joined && seated != Seated::opened) {
            return;
        }
        console(gotEconomyText);
    }
    // The economy joined, or held already, may have lost its lock since.
    if (auto* economy = dynamic_cast<FileEconomy*>(seat.get())) {
        economy->retakeFolderLock(tellRefusal ? console : EconomyBackend::Console{});
    }
}

} // namespace quorvel
