// The economy kept in files: gold.dat and inv.dat hold the accounts and
// records as last saved, gold.log every change since, and gold.lock keeps a
// second host process out of the folder. One FileEconomy per working folder
// and host process, shared by all its bots (see economy_backend.h).
//
// A save replaces its file whole or not at all; a failure is returned to the
// caller, who tells the console of the bot that saved, never dressed as
// success.
#pragma once

#include "base/platform/platform.h"
#include "gold/economy_backend.h"
#include "gold/gold_journal.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"
#include "gold/journal_recovery.h"
#include "gold/save_state.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// Loading appends the file's records to what is held, or replaces it. A
// missing file loads nothing (and a replace empties). A file that exists but
// cannot be read is a failure and a finding, leaves what is held as it was,
// and holds back the file's saves until a later load reads it: a save would
// otherwise overwrite records that were never loaded.
enum class LoadMode { append, replace };

class FileEconomy final : public EconomyBackend {
public:
    static constexpr const char* lockName = "gold.lock";
    static constexpr const char* goldName = "gold.dat";
    static constexpr const char* inventoryName = "inv.dat";

    // The files are read and written, the folder locked and the files
    // stamped through `system`.
    explicit FileEconomy(platform::Platform& system)
        : EconomyBackend(system), os_(system), journal_(system) {}

    const GoldAccount* findAccount(std::string_view name) const override;
    const InventoryRecord* findInventory(std::string_view name) const override;
    bool inventoryLoaded() const override { return inventoryLoaded_; }
    void credit(std::string_view name, std::uint32_t amount) override;
    void debit(std::string_view name, std::uint32_t amount) override;
    bool setItemCount(std::string_view name, ItemKind kind, std::int32_t count) override;
    void createInventory(std::string_view name) override;
    [[nodiscard]] platform::Status saveGold() override;
    [[nodiscard]] platform::Status saveInventory() override;
    // For a tool that changes balances while no host works in the folder:
    // the changes of the cause in force stand only once gold.dat holds them.
    // gold.dat is saved first, numbered after their record, and only then do
    // the record and the save's mark go to gold.log. A save that fails
    // writes nothing to gold.log and forgets the record, so no later start
    // applies changes gold.dat never took; the caller drops this economy,
    // whose memory still holds them. What came of the save is returned, and
    // of gold.log's lines in `recorded`: refused, they are not in gold.log,
    // though gold.dat holds the changes (and a start loads them).
    [[nodiscard]] platform::Status saveGoldBeforeRecording(platform::Status& recorded);
    LoadResult reloadGold() override;
    LoadResult reloadInventory() override;
    void resetGold() override;
    void resetInventory() override;
    void sync() override;

    // Takes the folder's lock; the reason when another host holds it.
    platform::Status lockFolder() { return os_.lockFile(lockName, lock_); }
    // At open, under the lock: the temporary files that saves left behind
    // when their process was killed during them (gold.dat's, inv.dat's,
    // Ghoulset.ini's ...) are removed, each named on the console.
    void removeLeftoverSaves();

    // The folder's lock, looked at once a second (sync): when gold.lock no
    // longer names the file this host locked (removed, renamed, replaced),
    // a second host may lock the new one and both would write the files. The
    // lock is lost then until retakeFolderLock takes it again.
    void checkFolderLock();
    bool folderLockHeld() const { return folderLockLostBecause_.empty(); }
    // Told on every bot's console. While lost, gold.log, gold.dat and
    // inv.dat are not written (each refusal says why), and changes go on in
    // memory.
    void folderLockLost(std::string reason);
    // Writing is allowed again: the folder is read anew and the changes
    // made while the lock was lost are applied over it, each once.
    void folderLockRegained();
    // While lost: takes gold.lock again (creating it when missing), says so
    // on every bot's console, and returns true; a refusal is told to
    // `refusalTo` when given. True at once while the lock is held.
    bool retakeFolderLock(const Console& refusalTo = {});
    // At open, after the lock: inv.dat, gold.dat, then what gold.log adds;
    // what each found wrong is told to the acting bot's console, in order.
    void load();

    // The files, one each (gold_dat.cpp, inv_dat.cpp), telling no console.
    // At open (append to an empty economy) each also decides where recovery
    // starts for its table.
    LoadResult loadGold(LoadMode mode);
    LoadResult loadInventory(LoadMode mode);
    const TableRecovery& goldRecovery() const { return goldRecovery_; }
    const TableRecovery& inventoryRecovery() const { return inventoryRecovery_; }
    // The records gold.log had refused when gold.state was last written.
    const std::string& recordsOfSaveState() const { return saveState_.records; }
    // Recovery saw records numbered up to `seq`: new ones are numbered above
    // it (and above every save gold.state names).
    void continueSequenceAfter(std::uint64_t seq);
    std::uint64_t nextSeq() const { return nextSeq_; }

    // While this says why, neither gold.dat nor inv.dat is saved and gold.log
    // is not written: gold.log could not be read or replayed, and the lines
    // it holds would be marked saved without being in any file.
    void holdSaves(std::string reason);

    // For a tool that looks at a folder without changing it: from now on
    // nothing is written, neither gold.log nor the copy a load makes of a
    // damaged gold.dat (the console is told the same, less the copy).
    void inspectOnly() {
        inspectOnly_ = true;
        journal_.hold();
    }

    // To the console of the bot acting now.
    void report(std::string_view text) const { tellActor(text); }
    void report(const std::vector<std::string>& lines) const {
        for (const std::string& line : lines) {
            tellActor(line);
        }
    }

    platform::FileSystem& files() const { return os_; }
    platform::Platform& os() const { return os_; }
    GoldLedger& ledger() { return ledger_; }
    InventoryBook& book() { return book_; }
    GoldJournal& journal() { return journal_; }
    const GoldLedger& ledger() const { return ledger_; }
    const InventoryBook& book() const { return book_; }

private:
    // A line takes its time from the platform's clock when it has none.
    void stamp(JournalEntry& entry);
    // A change's line: part of the record of the event in force, or a record
    // of its own when no event is.
    void note(JournalEntry entry);
    // Returns what came of the record, failed only when that is news.
    platform::Status eventEnded() override;
    // The record of the changes so far, written before the cause ends (a save
    // holds them, the lock regained numbers them): a failure is told here,
    // since it is the save's or the lock's doing and no cause's end.
    void endEventTelling() { tellJournalNews(eventEnded()); }
    // Numbers and writes a record (keeps it aside while the lock is lost);
    // returns what came of it, failed only when that is news.
    platform::Status writeRecord(std::vector<JournalEntry> lines);
    // Writes a numbered record after every earlier one gold.log refused, so
    // the journal holds each record once and in order, however long it
    // failed; a record stays waiting until it is written or both files
    // saved hold it.
    platform::Status journalInOrder(std::uint64_t seq, std::vector<JournalEntry> lines);
    platform::Status writeUnwritten();
    // A save's mark, after the records waiting.
    platform::Status journalMark(std::uint64_t seq, JournalEntry mark);
    // The records waiting, as gold.log would hold them.
    std::string unwrittenRecords() const;
    void forgetUnwrittenSavedInBoth();
    // With the lock held again: reads the folder as another host left it,
    // then applies the records made meanwhile over it.
    void rereadFolderAndApplyAgain();
    // One change of a record made while the lock was lost, made again.
    void applyAgain(const JournalEntry& entry);
    // gold.state, read at the first load; a damaged one is a finding.
    void readSaveState(std::vector<std::string>& findings);
    // At open: where recovery of a table starts, from the bytes its file
    // held, and whether the file lost records.
    template <typename Book>
    void planRecovery(TableRecovery& plan, const Book& book, std::size_t firstLoaded,
                      std::size_t strayBytes, std::size_t garbage, const char* fileName,
                      const std::vector<SavedFile>& saves, std::size_t recordSize,
                      std::size_t nameSize, std::optional<SavedFile>& onDisk);
    // Replaces a data file after gold.state says which records it holds:
    // `saves` becomes the file written (numbered `seq`) and the one in place
    // now; `onDisk` names the file written once it is in place.
    platform::Status saveDataFile(const char* fileName, const std::string& bytes, std::uint64_t seq,
                                  std::vector<SavedFile> SaveState::*saves,
                                  std::optional<SavedFile>& onDisk);
    // A save refused while the file's records or the journal could not be
    // read; ok when the save may go ahead.
    platform::Status refuseHeldSave(const std::string& fileHeldBecause,
                                    std::string_view recordsWord);
    // What came of a journal write: a failure is news once for a run of
    // them, which a line written ends, so the console is not flooded while
    // the disk stays full and a later failure after a recovery is told again.
    // Returns the failure when it is news, done otherwise.
    platform::Status journalNews(const platform::Status& written);
    void tellJournalNews(const platform::Status& news) const;
    // journalNews, told to the acting bot's console: for the writes no
    // cause's end returns (a sync, a save's mark, a change made under no
    // cause).
    void journalWritten(const platform::Status& written) { tellJournalNews(journalNews(written)); }
    // A save's line in the journal, then the rotation it may allow.
    void journalSaved(const platform::Status& written);
    // A save refused while the folder's lock is lost; ok while it is held.
    platform::Status refuseUnlockedSave();
    template <typename Book>
    LoadResult readRecordFile(Book& book, const char* fileName, std::string_view recordsWord,
                              LoadMode mode, std::size_t& size);

    platform::Platform& os_;
    std::unique_ptr<platform::HeldLock> lock_; // gold.lock, while taken
    GoldLedger ledger_;
    InventoryBook book_;
    GoldJournal journal_;
    // The changes of the event in force, written as one record at its end.
    std::vector<JournalEntry> open_;
    std::deque<std::pair<std::uint64_t, std::vector<JournalEntry>>> unwritten_;
    std::uint64_t nextSeq_ = 1;
    SaveState saveState_;
    bool saveStateRead_ = false;
    // What gold.state says of the files in place now, when it knows them.
    std::optional<SavedFile> goldOnDisk_;
    std::optional<SavedFile> inventoryOnDisk_;
    TableRecovery goldRecovery_;
    TableRecovery inventoryRecovery_;
    bool journalFailing_ = false;
    bool inventoryLoaded_ = false;
    bool inspectOnly_ = false;
    std::string journalHeldBecause_;
    std::string folderLockLostBecause_;
    // The records made while the lock was lost, in order: applied again,
    // numbered anew and journaled over what the folder holds once the lock
    // is held again.
    std::vector<std::vector<JournalEntry>> madeWhileUnlocked_;
};

// The open economy of each working folder of one host process, which every
// bot of the process working in that folder shares. The host process keeps
// one of these (the module's spawn registry) and hands it to every bot.
class EconomyFolders {
public:
    // The economy open in `folder`, or nothing when none is.
    std::shared_ptr<EconomyBackend> openIn(const std::string& folder) const;
    // `economy` is the economy of `folder` while any bot holds it.
    void opened(const std::string& folder, const std::shared_ptr<EconomyBackend>& economy);

private:
    std::map<std::string, std::weak_ptr<EconomyBackend>> open_;
};

// Seats a bot at the economy of the working folder (as `system` names it):
// joins the one its host process has open in `folders`, or opens it (takes the lock, removes the
// temporary files of saves that never finished, loads the files, recovers from gold.log) when none
// is, reading and writing through `system`. When another process holds the folder's lock, says so
// on the bot's console, leaves the seat empty and returns false: retryFolderLock tries again.
bool openFileEconomy(EconomySeat& seat, Word bot, platform::Platform& system,
                     EconomyFolders& folders, const EconomyBackend::Console& console);

// For a bot whose open was refused (no seat), or whose folder's economy has
// lost its lock: tries again, and says on the console when the bot got the
// economy; a refusal is said only when `tellRefusal`. Nothing happens for a
// bot seated at an economy that holds its lock.
void retryFolderLock(EconomySeat& seat, Word bot, platform::Platform& system,
                     EconomyFolders& folders, const EconomyBackend::Console& console,
                     bool tellRefusal);

} // namespace quorvel
