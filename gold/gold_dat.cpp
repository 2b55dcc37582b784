// gold.dat: one record per account in ledger order (gold/record_layouts.h).
//
// A save replaces the file whole or not at all (temporary file beside it,
// flushed, renamed over it); a failed save keeps the previous file and says
// why to its caller. A file cut short or grown by stray bytes still gives up
// its whole records, and the damaged original is copied aside first so the
// next save cannot destroy the evidence.
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/gold_ledger.h"
#include "gold/record_checks.h"
#include "gold/record_layouts.h"
#include "gold/save_state.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvel {
namespace {

constexpr const char* goldFileName = FileEconomy::goldName;
constexpr std::string_view damagedSuffix = ".damaged";
constexpr std::size_t recordSize = GoldDatLayout::recordBytes;
constexpr std::size_t nameSize = GoldDatLayout::nameBytes;
// gold.dat.damaged, gold.dat.damaged.1, ... up to this many copies.
constexpr int damagedCopiesKept = 1000;

std::string counted(std::size_t count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

// Copies the damaged file aside under the first free name. An earlier copy
// is never overwritten; a copy with the same bytes (the same damaged file
// loaded again) is reused.
std::optional<std::string> keepDamagedCopy(const FileEconomy& economy, const std::string& bytes,
                                           std::vector<std::string>& findings) {
    const std::string base = std::string(goldFileName) + std::string(damagedSuffix);
    for (int number = 0; number < damagedCopiesKept; ++number) {
        const std::string name = number == 0 ? base : base + "." + std::to_string(number);
        std::string existing;
        const bool found = economy.files().readFile(name, existing).ok();
        if (found && existing == bytes) {
            return name;
        }
        if (found) {
            continue;
        }
        platform::Status kept = economy.files().replaceFile(name, bytes);
        if (kept.ok()) {
            return name;
        }
        findings.push_back(std::string("Warning: could not keep the damaged ") + goldFileName +
                           " as " + name + " (" + kept.reason() + ").");
        return std::nullopt;
    }
    findings.push_back(std::string("Warning: could not keep the damaged ") + goldFileName + ": " +
                       counted(damagedCopiesKept, "earlier copy") +
                       " already exist; remove old ones.");
    return std::nullopt;
}

} // namespace

LoadResult FileEconomy::loadGold(LoadMode mode) {
    std::size_t size = 0;
    const std::size_t before = mode == LoadMode::append ? ledger_.size() : 0;
    LoadResult loaded = readRecordFile(ledger_, goldFileName, "accounts", mode, size);
    const platform::Status read = loaded.status;
    if (read.isFailed()) {
        goldRecovery_ = TableRecovery{TableRecovery::Base::unreadable};
        goldOnDisk_.reset();
        return loaded;
    }
    // Done: a missing gold.dat loads nothing.
    loaded.status = {};
    const std::size_t records = size / recordSize;
    const std::size_t stray = size % recordSize;
    const std::size_t garbage =
        dropGarbage(ledger_, ledger_.accounts(), before, stray, plausibleAccount);
    planRecovery(goldRecovery_, ledger_, before, stray, garbage, goldFileName, saveState_.gold,
                 recordSize, nameSize, goldOnDisk_);
    if (read.isNotFound() && saveState_.gold.empty()) {
        goldOnDisk_.reset();
        return loaded; // no gold.dat yet: nothing to load
    }
    if (stray != 0 || garbage != 0 || goldRecovery_.damaged) {
        std::string bytes;
        std::optional<std::string> keptAs =
            read.ok() && !inspectOnly_ && os_.readFile(goldFileName, bytes).ok()
                ? keepDamagedCopy(*this, bytes, loaded.findings)
                : std::optional<std::string>{};
        std::string what;
        if (read.isNotFound()) {
            what = std::string("is missing, though ") + SaveState::fileName + " says it was saved";
        } else if (stray != 0) {
            what = "is damaged: " + counted(stray, "stray byte") + " after " +
                   counted(records, "whole record");
        } else {
            what = "is damaged: " + counted(records, "whole record") +
                   (garbage != 0 ? "" : ", fewer than the gold.dat last saved");
        }
        if (garbage != 0) {
            what += ", of which " + counted(garbage, "garbage record") + " " +
                    (garbage == 1 ? "is" : "are") + " passed over";
        }
        loaded.findings.push_back(std::string("Warning: ") + goldFileName + " " + what +
                                  (read.ok() ? "; the whole records are loaded" : "") +
                                  (keptAs ? " and the damaged file is kept as " + *keptAs : "") +
                                  ".");
    }
    return loaded;
}

namespace {

std::string goldFileBytes(const GoldLedger& ledger) {
    std::string bytes(ledger.size() * recordSize, '\0');
    char* next = bytes.data();
    for (const GoldAccount& account : ledger.accounts()) {
        encodeGoldRecord(account, next);
        next += recordSize;
    }
    return bytes;
}

} // namespace

platform::Status FileEconomy::saveGold() {
    if (platform::Status held = refuseHeldSave(ledger_.savesHeldBecause(), "accounts");
        !held.ok()) {
        return held;
    }
    // The event's changes so far are numbered before the save, which holds them.
    endEventTelling();
    const std::uint64_t seq = nextSeq_++;
    platform::Status saved =
        saveDataFile(goldFileName, goldFileBytes(ledger_), seq, &SaveState::gold, goldOnDisk_);
    if (!saved.ok()) {
        return saved;
    }
    // gold.log: the records numbered below this mark are in gold.dat now.
    journalSaved(journalMark(seq, GoldJournal::goldSaved(cause().bot, ledger_.size())));
    return saved;
}

platform::Status FileEconomy::saveGoldBeforeRecording(platform::Status& recorded) {
    recorded = {};
    std::vector<JournalEntry> changes;
    changes.swap(open_);
    if (platform::Status held = refuseHeldSave(ledger_.savesHeldBecause(), "accounts");
        !held.ok()) {
        return held;
    }
    // The changes are numbered below the save, which holds them; gold.state
    // does not carry them: should the file not be put in place after
    // gold.state is written, a start would apply what gold.dat never took.
    const std::uint64_t changesSeq = changes.empty() ? 0 : nextSeq_++;
    const std::uint64_t seq = nextSeq_++;
    platform::Status saved =
        saveDataFile(goldFileName, goldFileBytes(ledger_), seq, &SaveState::gold, goldOnDisk_);
    if (!saved.ok()) {
        return saved;
    }
    if (changesSeq != 0) {
        recorded = journalInOrder(changesSeq, std::move(changes));
    }
    const platform::Status marked =
        journalMark(seq, GoldJournal::goldSaved(cause().bot, ledger_.size()));
    if (recorded.ok()) {
        recorded = marked;
    }
    if (recorded.ok()) {
        journalWritten(journal_.rotateWhenDue());
    }
    return saved;
}

} // namespace quorvel
