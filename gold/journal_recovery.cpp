#include "gold/journal_recovery.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/gold_journal.h"
#include "gold/journal_format.h"
#include "gold/store_items.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace quorvel {
namespace {

enum Table { goldTable, inventoryTable };

Table tableOf(std::string_view field) {
    return field == journalGoldField ? goldTable : inventoryTable;
}

// What a damaged file lost and the journal knows: the last value of each
// account or record missing from the file.
struct MissingAccount {
    std::string name;
    std::uint32_t amount = 0;
    bool existedAtSave = false;
};
struct MissingRecord {
    std::string name;
    std::array<std::int32_t, itemKindCount> counts{};
    bool existedAtSave = false;
};

template <typename Entry> struct MissingTable {
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> byName;

    Entry& entry(const std::string& name, bool beforeSave) {
        auto [at, added] = byName.try_emplace(foldedCopy(name), entries.size());
        if (added) {
            entries.push_back(Entry{});
            entries.back().name = name;
            entries.back().existedAtSave = beforeSave;
        }
        return entries[at->second];
    }
    void clear() {
        entries.clear();
        byName.clear();
    }
};

} // namespace

struct JournalReplay::State {
    GoldLedger& ledger;
    InventoryBook& book;
    std::function<void()> reloadGold;
    std::function<void()> reloadInventory;
    std::array<TableRecovery, 2> plans;

    std::size_t scanned = 0;
    std::size_t position = 0;
    std::array<std::size_t, 2> lastMark{}; // position of each table's last save mark
    // Its number, 0 for an old mark: a record gold.log took late, after a
    // mark though numbered before it, is in the file saved all the same.
    std::array<std::uint64_t, 2> lastMarkSeq{};
    ReplayOutcome outcome;

    // Where the scan saw the record that holds each table's first line due
    // under the savedState plan; and the first line the apply pass looks
    // at, found when it begins (0 until then): every line before it is one
    // no plan applies, passed over unsplit.
    std::size_t recordStart = 0;
    std::array<std::size_t, 2> firstDueRecord{};
    std::size_t applyFrom = 0;
    // Where those lines begin in their files, so that the apply pass reads
    // nothing before the first: the record's start, the line after each
    // table's last mark (the first line, with no mark), each table's first
    // record due. Not known after a reader lost count of the bytes.
    struct Place {
        std::size_t file = 0;
        std::uint64_t byte = 0;
        bool known = true;
    };
    std::array<std::uint64_t, 2> bytesScanned{}; // of each file, while counted
    Place recordStartPlace;
    std::array<Place, 2> afterLastMark{};
    std::array<Place, 2> firstDuePlace{};

    // The record being read: its lines are applied once all are there.
    std::vector<std::pair<std::string, std::size_t>> pending; // line, position
    std::uint64_t recordSeq = 0;
    std::uint32_t recordParts = 0;
    std::uint64_t cutSeq = 0; // the last record counted as cut

    // Records gold.state kept, by number, and the next one to apply.
    std::vector<std::pair<std::uint64_t, std::vector<std::string>>> saved;
    std::unordered_set<std::uint64_t> savedSeqs;
    std::size_t savedNext = 0;

    MissingTable<MissingAccount> missingGold;
    MissingTable<MissingRecord> missingInventory;

    void applyLine(const JournalFields& line, std::size_t at);
    // The first line a table's plan may apply, and where it begins.
    std::pair<std::size_t, Place> firstLineApplied() const;
    // The records gold.state kept numbered below `seq`, not applied yet.
    void applySavedBefore(std::uint64_t seq) {
        for (; savedNext < saved.size() && saved[savedNext].first < seq; ++savedNext) {
            for (const std::string& kept : saved[savedNext].second) {
                applyLine(*splitJournalLine(kept), SIZE_MAX);
            }
        }
    }
    bool applyGold(const JournalFields& line, const std::string& account);
    bool applyInventory(const JournalFields& line, const std::string& account);
    void recoverMissing(const JournalFields& line, const std::string& account, std::size_t at);
    bool inFile(Table table, const std::string& account) const {
        const auto& names = plans[table].inFile;
        return names.contains(foldedCopy(account.substr(
            0, table == goldTable ? GoldDatLayout::longestName : InvDatLayout::longestName)));
    }
    void dropRecord() {
        if (!pending.empty()) {
            ++outcome.cutRecords;
            cutSeq = recordSeq;
        }
        pending.clear();
    }
};

JournalReplay::JournalReplay(GoldLedger& ledger, InventoryBook& book,
                             std::function<void()> reloadGold,
                             std::function<void()> reloadInventory, TableRecovery gold,
                             TableRecovery inventory)
    : state_(std::make_unique<State>(State{ledger,
                                           book,
                                           std::move(reloadGold),
                                           std::move(reloadInventory),
                                           {std::move(gold), std::move(inventory)}})) {}

JournalReplay::~JournalReplay() = default;

const ReplayOutcome& JournalReplay::outcome() const {
    return state_->outcome;
}

void JournalReplay::useSavedRecords(std::string_view text) {
    State& s = *state_;
    std::vector<std::string> lines;
    std::uint64_t seq = 0;
    std::uint32_t parts = 0;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;
         text.remove_prefix(end + 1)) {
        const std::string_view line = text.substr(0, end);
        const auto fields = readJournalLine(line);
        if (!fields || !fields->inRecord() ||
            (fields->part != 1 && !continuesRecord(seq, parts, lines.size(), *fields))) {
            lines.clear();
            continue;
        }
        if (fields->part == 1) {
            lines.clear();
            seq = fields->seq;
            parts = fields->parts;
        }
        lines.emplace_back(line);
        if (fields->part == fields->parts && s.savedSeqs.insert(seq).second) {
            s.saved.emplace_back(seq, std::move(lines));
            s.outcome.lastSeq = std::max(s.outcome.lastSeq, seq);
            lines.clear();
        }
    }
    std::sort(s.saved.begin(), s.saved.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
}

void JournalReplay::scan(std::string_view text, const JournalLinePlace& place) {
    scan(splitJournalLine(text), place);
}

void JournalReplay::scan(const std::optional<JournalFields>& line, const JournalLinePlace& place) {
    State& s = *state_;
    ++s.scanned;
    const State::Place here{place.file, place.byte, place.known};
    if (place.known && place.file < s.bytesScanned.size()) {
        s.bytesScanned[place.file] = place.next;
    }
    // Only save marks, sequence numbers and where records begin matter here.
    if (!line || !line->inRecord() || line->part <= 1) {
        s.recordStart = s.scanned;
        s.recordStartPlace = here;
    }
    if (!line) {
        return;
    }
    s.outcome.lastSeq = std::max(s.outcome.lastSeq, line->seq);
    const Table table = tableOf(line->field);
    if (line->isSave() && line->parts <= 1 && !journalLineFlaw(*line)) {
        s.lastMark[table] = s.scanned;
        s.lastMarkSeq[table] = line->seq;
        s.afterLastMark[table] = {place.file, place.next, place.known};
    }
    if (s.firstDueRecord[table] == 0 && line->inRecord() && line->seq >= s.plans[table].fromSeq) {
        s.firstDueRecord[table] = s.recordStart;
        s.firstDuePlace[table] = s.recordStartPlace;
    }
}

std::pair<std::size_t, JournalReplay::State::Place> JournalReplay::State::firstLineApplied() const {
    const std::pair<std::size_t, Place> fromTheStart{1, Place{}};
    if (scanned == 0) {
        return fromTheStart;
    }
    std::pair<std::size_t, Place> first{SIZE_MAX, Place{}};
    const auto consider = [&first](std::size_t line, const Place& place) {
        if (line < first.first) {
            first = {line, place};
        }
    };
    for (Table table : {goldTable, inventoryTable}) {
        const TableRecovery& plan = plans[table];
        if (plan.damaged) {
            return fromTheStart; // what the file lost may stand anywhere in the journal
        }
        switch (plan.base) {
        case TableRecovery::Base::savedState:
            // Records gold.log took late come after later ones: none before
            // the first record due is due.
            if (firstDueRecord[table] != 0) {
                consider(firstDueRecord[table], firstDuePlace[table]);
            }
            break;
        case TableRecovery::Base::journalMarks:
            // A save's mark is a record of its own line: the next line
            // begins the next one.
            consider(lastMark[table] + 1, afterLastMark[table]);
            break;
        case TableRecovery::Base::unreadable:
            break;
        }
    }
    return first;
}

JournalApplyStart JournalReplay::applyStart() {
    State& s = *state_;
    const auto [line, place] = s.firstLineApplied();
    s.applyFrom = line;
    if (line == SIZE_MAX || !place.known) {
        return {}; // nothing to apply, or where it begins is not known: from the start
    }
    s.position = line - 1; // the lines passed over, counted as read
    return {place.file, place.byte};
}

std::uint64_t JournalReplay::bytesScanned(std::size_t file) const {
    return file < state_->bytesScanned.size() ? state_->bytesScanned[file] : 0;
}

void JournalReplay::apply(std::string_view text) {
    State& s = *state_;
    const std::size_t at = ++s.position;
    if (s.applyFrom == 0) {
        s.applyFrom = s.firstLineApplied().first;
    }
    // Most of a long journal is before the last save: no line there is
    // applied, and none is split.
    if (at < s.applyFrom) {
        return;
    }
    const auto line = readJournalLine(text);
    if (!line) {
        s.dropRecord();
        return;
    }
    if (!line->inRecord()) {
        s.dropRecord();
        s.applyLine(*line, at);
        return;
    }
    // A record's lines stand together, in order; anything else ends it.
    if (line->part == 1) {
        s.dropRecord();
        s.recordSeq = line->seq;
        s.recordParts = line->parts;
        if (line->parts == 1) {
            // A record of one line is whole at once: applied from the line
            // as it stands, with no copy kept.
            s.applySavedBefore(line->seq + 1);
            if (!s.savedSeqs.contains(line->seq)) { // else applied from gold.state
                s.applyLine(*line, at);
            }
            return;
        }
    } else if (s.pending.empty() ||
               !continuesRecord(s.recordSeq, s.recordParts, s.pending.size(), *line)) {
        // The rest of a record whose first lines are missing, or a line out
        // of place: the record was cut, and is counted once.
        const bool counted = !s.pending.empty() && line->seq == s.recordSeq;
        s.dropRecord();
        if (!counted && line->seq != s.cutSeq) {
            ++s.outcome.cutRecords;
        }
        s.cutSeq = line->seq;
        return;
    }
    s.pending.emplace_back(std::string(text), at);
    if (line->part == line->parts) {
        s.applySavedBefore(line->seq + 1);
        if (!s.savedSeqs.contains(line->seq)) { // else applied from gold.state
            for (const auto& [kept, keptAt] : s.pending) {
                s.applyLine(*splitJournalLine(kept), keptAt);
            }
        }
        s.pending.clear();
    }
}

void JournalReplay::finish() {
    State& s = *state_;
    s.dropRecord();
    s.applySavedBefore(UINT64_MAX);
    for (const MissingAccount& missing : s.missingGold.entries) {
        if (s.ledger.find(missing.name) == nullptr) {
            s.ledger.credit(missing.name, missing.amount);
            if (missing.existedAtSave) {
                s.outcome.recoveredGold.push_back(missing.name);
            }
        }
    }
    for (const MissingRecord& missing : s.missingInventory.entries) {
        if (s.book.find(missing.name) == nullptr) {
            s.book.appendEmpty(missing.name).counts = missing.counts;
            if (missing.existedAtSave) {
                s.outcome.recoveredInventory.push_back(missing.name);
            }
        }
    }
}

void JournalReplay::State::applyLine(const JournalFields& line, std::size_t at) {
    if (line.isSave()) {
        return;
    }
    const Table table = tableOf(line.field);
    const TableRecovery& plan = plans[table];
    if (plan.base == TableRecovery::Base::unreadable) {
        return;
    }
    const bool due =
        plan.base == TableRecovery::Base::savedState
            ? line.inRecord() && line.seq >= plan.fromSeq
            : at > lastMark[table] && (!line.inRecord() || line.seq > lastMarkSeq[table]);
    // Most of a long journal is before the last save: passed over at once.
    if (!due && !plan.damaged) {
        return;
    }
    const std::string account = journalUnescape(line.account);
    if (plan.damaged) {
        if (line.isWipe()) {
            table == goldTable ? missingGold.clear() : missingInventory.clear();
        } else if (!inFile(table, account)) {
            recoverMissing(line, account, at);
            return;
        }
    }
    if (!due) {
        return;
    }
    if (table == goldTable ? applyGold(line, account) : applyInventory(line, account)) {
        ++outcome.applied;
    }
}

bool JournalReplay::State::applyGold(const JournalFields& line, const std::string& account) {
    if (line.isWipe()) {
        ledger.clear();
        if (line.change == journalReload) {
            reloadGold();
        }
        return true;
    }
    GoldAccount* held = ledger.find(account);
    if (line.inRecord()) {
        const auto change = readJournalChange(line.change);
        if (!change) {
            return false;
        }
        if (held == nullptr) {
            ledger.credit(account, 0);
            held = ledger.find(account);
        }
        held->amount += static_cast<std::uint32_t>(*change); // modulo 2^32, as a credit
        return true;
    }
    auto after = readBoundedNumber(line.after, 0, 4294967295LL);
    if (!after) {
        return false;
    }
    if (held == nullptr) {
        ledger.credit(account, 0);
        held = ledger.find(account);
    }
    held->amount = static_cast<std::uint32_t>(*after);
    return true;
}

bool JournalReplay::State::applyInventory(const JournalFields& line, const std::string& account) {
    if (line.field == journalInventoryField) {
        if (line.isWipe()) {
            book.clear();
            if (line.change == journalReload) {
                reloadInventory();
            }
            return true;
        }
        if (line.change == journalNew) {
            if (book.find(account) == nullptr) {
                book.appendEmpty(account);
            }
            return true;
        }
        return false;
    }
    const auto kind = itemKindOfWord(line.field);
    if (!kind) {
        return false;
    }
    const auto change = line.inRecord() ? readJournalChange(line.change) : std::nullopt;
    const auto after = line.inRecord() ? std::nullopt : readInt32(line.after);
    if (!change && !after) {
        return false;
    }
    InventoryRecord* record = book.find(account);
    if (record == nullptr) {
        record = &book.appendEmpty(account);
    }
    std::int32_t& count = record->counts[static_cast<std::size_t>(*kind)];
    count = change ? static_cast<std::int32_t>(static_cast<std::uint32_t>(count) +
                                               static_cast<std::uint32_t>(*change))
                   : *after;
    return true;
}

void JournalReplay::State::recoverMissing(const JournalFields& line, const std::string& account,
                                          std::size_t at) {
    const Table table = tableOf(line.field);
    const bool beforeSave = at <= lastMark[table];
    if (table == goldTable) {
        if (auto after = readBoundedNumber(line.after, 0, 4294967295LL)) {
            missingGold.entry(account, beforeSave).amount = static_cast<std::uint32_t>(*after);
            ++outcome.applied;
        }
        return;
    }
    if (line.field == journalInventoryField) {
        if (line.change == journalNew) {
            missingInventory.entry(account, beforeSave);
            ++outcome.applied;
        }
        return;
    }
    const auto kind = itemKindOfWord(line.field);
    const auto after = readInt32(line.after);
    if (kind && after) {
        missingInventory.entry(account, beforeSave).counts[static_cast<std::size_t>(*kind)] =
            *after;
        ++outcome.applied;
    }
}

std::size_t replayJournal(std::string_view journal, GoldLedger& ledger, InventoryBook& book,
                          const std::function<void()>& reloadGold,
                          const std::function<void()>& reloadInventory, TableRecovery gold,
                          TableRecovery inventory, std::string_view savedRecords) {
    JournalReplay replay(ledger, book, reloadGold, reloadInventory, std::move(gold),
                         std::move(inventory));
    replay.useSavedRecords(savedRecords);
    for (bool applying : {false, true}) {
        std::string_view rest = journal;
        // A last line without its line end was cut short by a crash.
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
             rest.remove_prefix(end + 1)) {
            applying ? replay.apply(rest.substr(0, end)) : replay.scan(rest.substr(0, end));
        }
    }
    replay.finish();
    return replay.outcome().applied;
}

namespace {

std::string namesUpToTen(const std::vector<std::string>& names) {
    std::string listed;
    for (std::size_t i = 0; i < names.size() && i < 10; ++i) {
        listed += (i == 0 ? "" : ", ") + journalEscape(names[i]);
    }
    if (names.size() > 10) {
        listed += " and " + std::to_string(names.size() - 10) + " more";
    }
    return listed;
}

std::string countedText(std::size_t count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

// What a damaged file lost, what came back and what did not.
void reportDamage(FileEconomy& economy, const char* fileName, std::string_view word,
                  const TableRecovery& plan, const std::vector<std::string>& recovered) {
    if (!plan.damaged || (recovered.empty() && !plan.lost)) {
        return;
    }
    std::string text = std::string(fileName) + " was damaged: ";
    if (plan.lost) {
        text += countedText(*plan.lost, std::string(word)) + " lost, ";
    }
    text += countedText(recovered.size(), std::string(word)) + " recovered from gold.log";
    if (!recovered.empty()) {
        text += " (" + namesUpToTen(recovered) + ")";
    }
    if (plan.lost) {
        const std::size_t notRecovered =
            *plan.lost > recovered.size() ? *plan.lost - recovered.size() : 0;
        text += ", " + std::to_string(notRecovered) + " not recovered";
    }
    economy.report(text + ".");
}

} // namespace

bool recoverFromJournal(FileEconomy& economy, const JournalFirstPass& firstPass) {
    GoldJournal& journal = economy.journal();
    JournalReplay replay(
        economy.ledger(), economy.book(),
        [&] { economy.report(economy.loadGold(LoadMode::append).findings); },
        [&] { economy.report(economy.loadInventory(LoadMode::append).findings); },
        economy.goldRecovery(), economy.inventoryRecovery());
    replay.useSavedRecords(economy.recordsOfSaveState());
    bool lastLineCut = false;
    const std::array<const char*, 2> files = {GoldJournal::rotatedName, GoldJournal::fileName};
    const auto unreadable = [&files](std::size_t file, const platform::Status& read) {
        return std::string(files[file]) + " could not be read (" + read.reason() + ")";
    };
    const auto scanPass = [&]() -> std::optional<std::string> {
        for (std::size_t file = 0; file < files.size(); ++file) {
            JournalLinePlace place{file, 0, 0, true};
            platform::Status read = economy.files().forEachLine(
                files[file], journalChunkBytes, journalLongestLine,
                [&](std::string_view line, bool ended, bool tooLong) {
                    lastLineCut = !ended;
                    place.known = place.known && !tooLong; // its length is not told
                    if (!ended || tooLong) {
                        return; // cut short by a crash, or not a journal line
                    }
                    place.byte = place.next;
                    place.next += line.size() + 1;
                    replay.scan(line, place);
                });
            if (read.isFailed()) {
                return unreadable(file, read);
            }
        }
        return std::nullopt;
    };
    // The lines before the first one a plan may apply are not read again.
    const auto applyPass = [&]() -> std::optional<std::string> {
        const JournalApplyStart start = replay.applyStart();
        for (std::size_t file = 0; file < start.file; ++file) {
            // Not read again; but a file the first read (a caller's) could
            // not read is found here, from the end of what it counted.
            const platform::Status open = economy.files().forEachLineFrom(
                files[file], replay.bytesScanned(file), journalChunkBytes, journalLongestLine,
                [](std::string_view, bool, bool) {});
            if (open.isFailed()) {
                return unreadable(file, open);
            }
        }
        for (std::size_t file = start.file; file < files.size(); ++file) {
            platform::Status read = economy.files().forEachLineFrom(
                files[file], file == start.file ? start.byte : 0, journalChunkBytes,
                journalLongestLine, [&](std::string_view line, bool ended, bool tooLong) {
                    lastLineCut = !ended;
                    if (!ended || tooLong) {
                        return; // cut short by a crash, or not a journal line
                    }
                    replay.apply(line);
                });
            if (read.isFailed()) {
                return unreadable(file, read);
            }
            if (read.isNotFound()) {
                lastLineCut = false;
            }
        }
        return std::nullopt;
    };
    std::optional<std::string> failure;
    journal.pause(true);
    try {
        if (firstPass) {
            // A file the caller could not read is found unreadable below.
            firstPass([&replay](const std::optional<JournalFields>& line,
                                const JournalLinePlace& place) { replay.scan(line, place); });
        } else {
            failure = scanPass();
        }
        if (!failure) {
            failure = applyPass();
            replay.finish();
        }
    } catch (const std::exception& error) {
        failure = std::string("gold.log could not be replayed (") + error.what() + ")";
    }
    journal.pause(false);
    economy.continueSequenceAfter(replay.outcome().lastSeq);
    if (failure) {
        economy.holdSaves(*failure);
        return false;
    }
    // The next line written onto a cut-short gold.log must not glue onto it.
    if (lastLineCut) {
        journal.lineCutShort();
    }
    const ReplayOutcome& outcome = replay.outcome();
    if (outcome.applied > 0) {
        economy.report("Recovered " + countedText(outcome.applied, "change") + " from gold.log.");
    }
    if (outcome.cutRecords > 0) {
        economy.report("Passed over " + countedText(outcome.cutRecords, "record") +
                       " of gold.log cut short before all its lines were written: " +
                       (outcome.cutRecords == 1 ? "it was" : "they were") + " never made.");
    }
    reportDamage(economy, FileEconomy::goldName, "account", economy.goldRecovery(),
                 outcome.recoveredGold);
    reportDamage(economy, FileEconomy::inventoryName, "record", economy.inventoryRecovery(),
                 outcome.recoveredInventory);
    return true;
}

} // namespace quorvel
