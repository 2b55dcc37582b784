// gold.dat: one 24-byte record per account in ledger order, no header. A
// record is the balance as 4 bytes little-endian and the name in 20 bytes,
// NUL-terminated, zeros after the NUL.
//
// A save replaces the file whole or not at all (temporary file beside it,
// flushed, renamed over it); a failed save keeps the previous file and says
// so on the console. A file cut short or grown by stray bytes still gives up
// its whole records, and the damaged original is copied aside first so the
// next save cannot destroy the evidence.
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/gold_ledger.h"
#include "gold/record_checks.h"
#include "gold/save_state.h"

#include <cstring>
#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr const char* goldFileName = FileEconomy::goldName;
constexpr std::string_view damagedSuffix = ".damaged";
constexpr std::size_t recordSize = 24;
constexpr std::size_t nameSize = sizeof(GoldAccount::name);
static_assert(4 + nameSize == recordSize);
// gold.dat.damaged, gold.dat.damaged.1, ... up to this many copies.
constexpr int damagedCopiesKept = 1000;

std::string counted(std::size_t count, std::string_view word) {
    return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

// Into `out`, which has room for the record.
void encodeRecord(const GoldAccount& account, char* out) {
    for (int shift = 0; shift < 32; shift += 8) {
        *out++ = static_cast<char>((account.amount >> shift) & 0xFFu);
    }
    // Whatever followed the NUL in a loaded record is not written back.
    const void* nul = std::memchr(account.name, '\0', nameSize - 1);
    const std::size_t length =
        nul == nullptr ? nameSize - 1
                       : static_cast<std::size_t>(static_cast<const char*>(nul) - account.name);
    std::memcpy(out, account.name, length);
    std::memset(out + length, 0, nameSize - length);
}

// Copies the damaged file aside under the first free name. An earlier copy
// is never overwritten; a copy with the same bytes (the same damaged file
// loaded again) is reused.
std::optional<std::string> keepDamagedCopy(const FileEconomy& economy, const std::string& bytes) {
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
        economy.report(std::string("Warning: could not keep the damaged ") + goldFileName + " as " +
                       name + " (" + kept.reason() + ").");
        return std::nullopt;
    }
    economy.report(std::string("Warning: could not keep the damaged ") + goldFileName + ": " +
                   counted(damagedCopiesKept, "earlier copy") + " already exist; remove old ones.");
    return std::nullopt;
}

} // namespace

platform::Status FileEconomy::loadGold(LoadMode mode) {
    std::size_t size = 0;
    const std::size_t before = mode == LoadMode::append ? ledger_.size() : 0;
    platform::Status read = readRecordFile(ledger_, goldFileName, "accounts", mode, size);
    if (read.isFailed()) {
        goldRecovery_ = TableRecovery{TableRecovery::Base::unreadable};
        goldOnDisk_.reset();
        return read;
    }
    const std::size_t records = size / recordSize;
    const std::size_t stray = size % recordSize;
    const std::size_t garbage =
        dropGarbage(ledger_, ledger_.accounts(), before, stray, plausibleAccount);
    planRecovery(goldRecovery_, ledger_, before, stray, garbage, goldFileName, saveState_.gold,
                 recordSize, nameSize, goldOnDisk_);
    if (read.isNotFound() && saveState_.gold.empty()) {
        goldOnDisk_.reset();
        return {}; // no gold.dat yet: nothing to load
    }
    if (stray != 0 || garbage != 0 || goldRecovery_.damaged) {
        std::string bytes;
        std::optional<std::string> keptAs =
            read.ok() && !inspectOnly_ && os_.readFile(goldFileName, bytes).ok()
                ? keepDamagedCopy(*this, bytes)
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
        report(std::string("Warning: ") + goldFileName + " " + what +
               (read.ok() ? "; the whole records are loaded" : "") +
               (keptAs ? " and the damaged file is kept as " + *keptAs : "") + ".");
    }
    return {};
}

platform::Status FileEconomy::saveGold() {
    if (platform::Status held =
            refuseHeldSave(ledger_.savesHeldBecause(), goldFileName, "accounts");
        !held.ok()) {
        return held;
    }
    // The event's changes so far are numbered before the save, which holds them.
    eventEnded();
    std::string bytes(ledger_.size() * recordSize, '\0');
    char* next = bytes.data();
    for (const GoldAccount& account : ledger_.accounts()) {
        encodeRecord(account, next);
        next += recordSize;
    }
    const std::uint64_t seq = nextSeq_++;
    platform::Status saved = saveDataFile(goldFileName, bytes, seq, &SaveState::gold, goldOnDisk_);
    if (!saved.ok()) {
        return saved;
    }
    // gold.log: the records numbered below this mark are in gold.dat now.
    journalSaved(journalMark(seq, GoldJournal::goldSaved(cause().bot, ledger_.size())));
    return saved;
}

} // namespace quorvel
