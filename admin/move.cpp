// migrate and export: a folder's economy moved from its files into the
// database its quorvel.ini names, and the database's economy written back as
// a folder's files.
//
// migrate moves what a module start would load (gold.dat, inv.dat and what
// gold.log adds) as one record of the host name "HOSTID/migrate", number 1:
// the database applies a record once, so a second run changes nothing. The
// journal's own records go into the ledger as history (outcome 2) under the
// folder's HostId and their own numbers: their effect is in the balances
// moved, and a host started in the folder finds them there when it reads
// gold.log for what it may not have sent, so it sends none of them again.
// Lines written before records had numbers go under "HOSTID/history".
#include "admin/commands.h"
#include "admin/database_economy.h"
#include "admin/economy_checks.h"
#include "admin/folder.h"
#include "admin/journal_file.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/gold_journal.h"
#include "gold/record_layouts.h"
#include "gold/save_state.h"
#include "gold/store_items.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <span>

namespace quorvel::admin {
namespace {

using platform::Status;

constexpr std::uint64_t migrateSeq = 1;

std::unique_ptr<platform::HeldLock> lockFolder(const InFolder& in, const std::string& what) {
    std::unique_ptr<platform::HeldLock> lock;
    if (const Status locked = platform::realPlatform().lockFile(FileEconomy::lockName, lock);
        !locked.ok()) {
        throw AdminError(exitProblems, "cannot " + what + " in " + in.path() + ": " +
                                           locked.reason() +
                                           ". A host works in this folder: stop it first.");
    }
    return lock;
}

DatabaseSection databaseOfFolder(const InFolder& in) {
    DatabaseSection section = readDatabaseSection();
    if (!section.economyInDatabase) {
        throw AdminError(exitProblems,
                         "quorvel.ini in " + in.path() +
                             " does not keep the economy in a database: [Database] "
                             "Economy=database and its Connection name the database.");
    }
    return section;
}

void openDatabase(EconomyDatabase& database) {
    if (const Status opened = openEconomyDatabase(database); !opened.ok()) {
        throw AdminError(exitUnreadable, opened.reason());
    }
}

// The accounts and records a module start uses: a later one of a name
// already held is never found, and the folder's check names it.
template <typename Book, typename Record>
std::vector<const Record*> inUse(const Book& book, const std::vector<Record>& records) {
    std::vector<const Record*> used;
    for (const Record& record : records) {
        if (book.find(fieldText(record.name, sizeof record.name)) == &record) {
            used.push_back(&record);
        }
    }
    return used;
}

// What the folder's own check finds that moving it would lose or make up.
std::vector<std::string> losses(const InspectedEconomy& inspected) {
    std::vector<std::string> found = implausibleRecords();
    for (std::string& problem : disagreementsWithJournal(inspected.economy, lastJournalValues())) {
        found.push_back(std::move(problem));
    }
    const auto duplicates = [&found](const char* file, std::size_t all, std::size_t used) {
        if (all != used) {
            found.push_back(std::string(file) + ": " + plural(all - used, "record") +
                            " hold a name an earlier record holds; the module uses only the "
                            "first of them.");
        }
    };
    const GoldLedger& ledger = inspected.economy.ledger();
    const InventoryBook& book = inspected.economy.book();
    duplicates(FileEconomy::goldName, ledger.size(), inUse(ledger, ledger.accounts()).size());
    duplicates(FileEconomy::inventoryName, book.size(), inUse(book, book.records()).size());
    return found;
}

// A record of a folder's journal: its number (0 for a line written before
// records had numbers) and its lines as gold.log holds them.
using JournalHistory = std::vector<std::pair<std::uint64_t, std::vector<quorvel::JournalEntry>>>;

// The ledger's history of a folder's journal, under the folder's host name.
Status keepHistory(EconomyDatabase& database, const std::string& hostId,
                   const JournalHistory& records, std::size_t& linesAdded) {
    linesAdded = 0;
    const std::string into =
        "quorvel_ledger (host, seq, part, parts, at, cause, by_name, bot, account, field, "
        "change_text, after_text, outcome) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    const std::string sql = database.dialect == Dialect::mariadb ? "INSERT IGNORE INTO " + into
                            : database.dialect == Dialect::sqlite
                                ? "INSERT OR IGNORE INTO " + into
                                : "INSERT INTO " + into + " ON CONFLICT DO NOTHING";
    if (Status began = database.db.begin(); !began.ok()) {
        return began;
    }
    for (std::size_t index = 0; index < records.size(); ++index) {
        const auto& [number, lines] = records[index];
        const std::string host = number != 0 ? hostId : hostId + "/history";
        const auto seq = static_cast<std::int64_t>(number != 0 ? number : index + 1);
        for (std::size_t part = 0; part < lines.size(); ++part) {
            const quorvel::JournalEntry& line = lines[part];
            std::int64_t rows = 0;
            if (Status kept = database.db.execute(
                    sql,
                    {host, seq, static_cast<std::int64_t>(part + 1),
                     static_cast<std::int64_t>(lines.size()), line.time, line.cause.what,
                     line.cause.who, static_cast<std::int64_t>(line.cause.bot), line.account,
                     line.field, line.change, line.after, ledgerHistory},
                    &rows);
                !kept.ok()) {
                database.db.rollback();
                linesAdded = 0;
                return kept;
            }
            linesAdded += rows == 1 ? 1 : 0;
        }
    }
    if (Status committed = database.db.commit(); !committed.ok()) {
        database.db.rollback();
        linesAdded = 0;
        return committed;
    }
    return {};
}

} // namespace

int migrateFolder(const std::string& folder, std::ostream& out, std::ostream&) {
    InFolder in(folder);
    const DatabaseSection section = databaseOfFolder(in);
    if (section.hostId.empty()) {
        throw AdminError(exitProblems, "quorvel.ini in " + in.path() +
                                           " names no [Database] HostId, the host name the "
                                           "folder's records go under.");
    }
    const auto lock = lockFolder(in, "move the economy");

    // The folder's files as a module start loads them.
    std::unique_ptr<InspectedEconomy> inspected;
    JournalHistory history;
    std::size_t cut = 0;
    {
        ReadingFolderFiles files;
        inspected = inspectEconomy();
        if (inspected->unreadable) {
            std::string why;
            for (const std::string& line : inspected->console) {
                why += " " + line;
            }
            throw AdminError(exitUnreadable, "the economy of " + in.path() +
                                                 " is not moved: its files cannot be read." + why);
        }
        if (const std::vector<std::string> lost = losses(*inspected); !lost.empty()) {
            std::string text = "the economy of " + in.path() +
                               " is not moved: quorvel-admin check finds problems that moving "
                               "it would lose data by:";
            for (const std::string& problem : lost) {
                text += "\n  " + problem;
            }
            throw AdminError(exitProblems, text);
        }
        const JournalSummary summary = readJournal([&](const JournalRecord& record) {
            if (!record.whole) {
                ++cut; // it never happened
                return;
            }
            std::vector<quorvel::JournalEntry> lines;
            for (const JournalEntry& entry : record.lines) {
                quorvel::JournalEntry line;
                line.time = entry.time;
                line.cause.what = entry.cause;
                line.cause.who = entry.by;
                line.cause.bot =
                    static_cast<Word>(readBoundedNumber(entry.bot, 0, 65535).value_or(0));
                line.account = entry.account;
                line.field = entry.field;
                line.change = entry.change;
                line.after = entry.after;
                lines.push_back(std::move(line));
            }
            history.emplace_back(record.first().seq, std::move(lines));
        });
        if (!summary.unreadable.empty()) {
            throw AdminError(exitUnreadable, "the economy of " + in.path() +
                                                 " is not moved: cannot read " +
                                                 summary.unreadable.front());
        }
    }

    // The move: one record of every account and inventory record in use.
    const ChangeCause cause{"admin migrate", operatorName(), 0};
    const std::string now = platform::realPlatform().utcTimestamp();
    DatabaseRecord moved{migrateSeq, false, {}};
    std::int64_t gold = 0;
    std::size_t accounts = 0;
    std::size_t inventories = 0;
    const GoldLedger& ledger = inspected->economy.ledger();
    for (const GoldAccount* account : inUse(ledger, ledger.accounts())) {
        moved.lines.push_back(
            GoldJournal::goldChanged(cause, fieldText(account->name, sizeof account->name),
                                     account->amount, account->amount));
        gold += account->amount;
        ++accounts;
    }
    const InventoryBook& book = inspected->economy.book();
    for (const InventoryRecord* record : inUse(book, book.records())) {
        const std::string name = fieldText(record->name, sizeof record->name);
        moved.lines.push_back(GoldJournal::inventoryCreated(cause, name));
        for (std::size_t kind = 0; kind < itemKindCount; ++kind) {
            if (record->counts[kind] != 0) {
                moved.lines.push_back(
                    GoldJournal::itemChanged(cause, name, inventoryItems[kind].store->itemWord,
                                             record->counts[kind], record->counts[kind]));
            }
        }
        ++inventories;
    }
    for (quorvel::JournalEntry& line : moved.lines) {
        line.time = now;
    }

    EconomyDatabase database;
    openDatabase(database);
    if (const Status prepared = prepareSchema(database.db, database.dialect); !prepared.ok()) {
        throw AdminError(exitUnreadable, "cannot prepare the database " + database.shown + ": " +
                                             prepared.reason());
    }
    std::size_t historyAdded = 0;
    if (const Status kept = keepHistory(database, section.hostId, history, historyAdded);
        !kept.ok()) {
        throw AdminError(exitProblems, "the journal's history could not be written to the "
                                       "database, and nothing is moved: " +
                                           kept.reason());
    }
    std::vector<RecordOutcome> outcomes;
    const std::string host = section.hostId + "/migrate";
    if (!moved.lines.empty()) {
        if (const Status applied =
                applyRecords(database.db, database.dialect, host, std::span(&moved, 1), outcomes);
            !applied.ok()) {
            throw AdminError(exitProblems, "the economy of " + in.path() +
                                               " could not be moved, and the database holds none "
                                               "of it: " +
                                               applied.reason());
        }
    }
    std::size_t historyLines = 0;
    for (const auto& [seq, lines] : history) {
        historyLines += lines.size();
    }
    if (!outcomes.empty() && outcomes.front() == RecordOutcome::seenBefore) {
        out << "The economy of " << in.path() << " was moved into " << database.shown
            << " before (the database has seen record " << migrateSeq << " of " << host
            << "): nothing is moved again";
        out << (historyAdded == 0 ? "."
                                  : ", but " + plural(historyAdded, "history line") +
                                        " missing from its ledger were added.")
            << '\n';
        return exitClean;
    }
    out << "Moved the economy of " << in.path() << " into " << database.shown << " as record "
        << migrateSeq << " of " << host << ": " << plural(accounts, "account") << " holding "
        << gold << " gold, " << plural(inventories, "inventory record") << ", and "
        << plural(historyLines, "history line") << " of gold.log.1 and gold.log (" << historyAdded
        << " new to the ledger)";
    out << (cut == 0 ? std::string(".")
                     : "; " + plural(cut, "record") + " cut short never happened and " +
                           (cut == 1 ? "is" : "are") + " not moved.")
        << '\n';
    return exitClean;
}

int exportFolder(const std::string& folder, bool replace, std::ostream& out, std::ostream&) {
    InFolder in(folder);
    databaseOfFolder(in);
    const char* files[] = {FileEconomy::goldName, FileEconomy::inventoryName, GoldJournal::fileName,
                           GoldJournal::rotatedName, SaveState::fileName};
    std::string there;
    for (const char* name : files) {
        if (platform::realPlatform().fileStamp(name)) {
            there += (there.empty() ? "" : ", ") + std::string(name);
        }
    }
    if (!there.empty() && !replace) {
        throw AdminError(exitProblems, in.path() + " holds an economy in files already (" + there +
                                           "): nothing is written. Export into a folder without "
                                           "them, or give --replace to put the database's in "
                                           "their place.");
    }
    const auto lock = lockFolder(in, "write the economy's files");

    EconomyDatabase database;
    openDatabase(database);
    std::string goldBytes;
    std::string inventoryBytes;
    std::size_t accounts = 0;
    std::size_t inventories = 0;
    std::int64_t gold = 0;
    Status read = readAccounts(database.db, {}, [&](const StoredAccount& stored) {
        GoldAccount account;
        account.amount =
            static_cast<std::uint32_t>(std::clamp<std::int64_t>(stored.gold, 0, 4294967295LL));
        std::strncpy(account.name, stored.name.c_str(), sizeof account.name - 1);
        char bytes[GoldDatLayout::recordBytes];
        encodeGoldRecord(account, bytes);
        goldBytes.append(bytes, sizeof bytes);
        gold += account.amount;
        ++accounts;
    });
    if (read.ok()) {
        read = readInventories(database.db, {}, [&](const StoredInventory& stored) {
            const InventoryRecord record = inventoryRecordOf(stored);
            char bytes[InvDatLayout::recordBytes];
            encodeInventoryRecord(record, bytes);
            inventoryBytes.append(bytes, sizeof bytes);
            ++inventories;
        });
    }
    std::vector<LedgerRecord> records;
    if (read.ok()) {
        read = readLedger(database, records);
    }
    if (!read.ok()) {
        throw AdminError(exitUnreadable,
                         "cannot read the database " + database.shown + ": " + read.reason());
    }

    // One folder's journal: the records numbered anew in time order, each
    // value after as this economy had it (the hosts' lines each wrote their
    // own host's view), then a save's mark of each file, so a module start
    // loads gold.dat and inv.dat and replays nothing.
    std::string journal;
    std::map<std::string, std::int64_t> balances;
    std::map<std::pair<std::string, std::string>, std::int64_t> counts;
    std::uint64_t seq = 0;
    std::size_t lines = 0;
    for (LedgerRecord& record : records) {
        for (quorvel::JournalEntry& line : record.lines) {
            if (record.outcome != ledgerApplied) {
                continue; // history: its effect is in the balances moved with it
            }
            const std::optional<std::int64_t> change = readJournalChange(line.change);
            if (line.account == journalEveryAccount) {
                if (line.change == journalReset) {
                    (line.field == journalGoldField ? balances.clear() : counts.clear());
                }
            } else if (change && line.field == journalGoldField) {
                line.after = std::to_string(balances[foldedCopy(line.account)] += *change);
            } else if (change && itemKindOfWord(line.field)) {
                line.after =
                    std::to_string(counts[{foldedCopy(line.account), line.field}] += *change);
            }
        }
        lines += record.lines.size();
        GoldJournal::recordText(journal, ++seq, record.lines);
    }
    const std::string now = platform::realPlatform().utcTimestamp();
    for (quorvel::JournalEntry mark :
         {GoldJournal::goldSaved(0, accounts), GoldJournal::inventorySaved(0, inventories)}) {
        mark.time = now;
        GoldJournal::recordText(journal, ++seq, {mark});
    }

    const std::pair<const char*, const std::string*> written[] = {
        {FileEconomy::goldName, &goldBytes},
        {FileEconomy::inventoryName, &inventoryBytes},
        {GoldJournal::fileName, &journal}};
    for (const auto& [name, bytes] : written) {
        if (const Status saved = platform::realPlatform().replaceFile(name, *bytes); !saved.ok()) {
            throw AdminError(exitProblems, "Could not save " + std::string(name) + ": " +
                                               saved.reason() + ". The previous " + name +
                                               " is unchanged; the export is not whole.");
        }
    }
    // What the folder held before would mislead a module start: gold.log.1
    // would be read as this journal's beginning, gold.state name other files.
    for (const char* name : {GoldJournal::rotatedName, SaveState::fileName}) {
        if (platform::realPlatform().fileStamp(name)) {
            if (const Status removed = platform::realPlatform().removeFile(name); !removed.ok()) {
                throw AdminError(exitProblems, "Could not remove " + std::string(name) + ": " +
                                                   removed.reason() +
                                                   ". Remove it by hand before a module start.");
            }
        }
    }
    out << "Wrote the economy of " << database.shown << " into " << in.path() << ": gold.dat ("
        << plural(accounts, "account") << " holding " << gold << " gold), inv.dat ("
        << plural(inventories, "record") << "), gold.log (" << plural(seq - 2, "record") << ", "
        << plural(lines, "line") << ", and the marks of the two saves).\n";
    return exitClean;
}

} // namespace quorvel::admin
