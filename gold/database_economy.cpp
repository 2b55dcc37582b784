#include "gold/database_economy.h"

#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/journal_format.h"
#include "gold/store_items.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <exception>
#include <random>
#include <set>
#include <utility>

namespace quorvel {
namespace {

// A purchase not settled by then is answered as not made: the bot answers
// at the latest at the tick after it was asked.
constexpr std::uint32_t purchaseAnswerMs = 1000;

std::uint32_t clampedGold(std::int64_t gold) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(gold, 0, UINT32_MAX));
}

std::int32_t clampedCount(std::int64_t count) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(count, INT32_MIN, INT32_MAX));
}

std::string lostText(std::string_view reason, bool offlinePurchases) {
    return "The economy's database cannot be reached (" + std::string(reason) +
           "): awards go on and wait in gold.log, and purchases are " +
           (offlinePurchases ? "made here and settled when it is back."
                             : "refused until it is back.");
}

std::string backText(std::size_t waiting) {
    return "The economy's database is back: " + std::to_string(waiting) +
           (waiting == 1 ? " change waiting is" : " changes waiting are") + " being sent.";
}

std::string hostHeldText(std::string_view host, std::string_view holder) {
    return "Another live host holds the name " + std::string(host) +
           " in the economy's database (" + std::string(holder) +
           "): this host sends nothing until the name is free; its changes wait in gold.log, and "
           "purchases are refused.";
}

std::string lockedOutText(std::string_view reason) {
    return "Another host works in this folder (" + std::string(reason) +
           "): this bot does not join the economy's database from it, and its store stays off.";
}

// The record's lines as gold.log holds them, back as the economy made them.
JournalEntry entryOf(const JournalFields& fields) {
    JournalEntry entry;
    entry.cause.what = journalUnescape(fields.cause);
    entry.cause.who = journalUnescape(fields.by);
    entry.cause.bot = static_cast<Word>(std::strtoul(std::string(fields.bot).c_str(), nullptr, 10));
    entry.account = journalUnescape(fields.account);
    entry.field = std::string(fields.field);
    entry.change = std::string(fields.change);
    entry.after = std::string(fields.after);
    entry.time = std::string(fields.time);
    return entry;
}

} // namespace

namespace {

DatabaseLinkSettings linkSettings(const DatabaseSettings& settings, std::string owner) {
    DatabaseLinkSettings link;
    link.connection =
        platform::odbc::withNetworkBounds(settings.connection, settings.networkTimeoutMs);
    link.hostId = settings.hostId;
    link.owner = std::move(owner);
    link.pollSeconds = settings.pollSeconds;
    // The holder claims the name again at every poll; a poll waits at most
    // on a dead network's bound, twice (the call, and the connect after).
    link.staleSeconds = 3 * settings.pollSeconds + 2 * ((settings.networkTimeoutMs + 999) / 1000);
    link.loginTimeout = settings.loginTimeout;
    link.terminateWaitMs = settings.terminateWaitMs;
    return link;
}

// The folder's own name in the database's list of who holds which host
// name, kept in gold.host: a host restarted in the same folder takes its
// name back at once, while another folder (another machine) with the same
// HostId is refused as long as this one is alive.
std::string folderOwner(platform::Platform& system) {
    constexpr const char* fileName = "gold.host";
    std::string owner;
    if (system.readFile(fileName, owner).ok() && owner.size() >= 16 && owner.size() <= 128 &&
        owner.find_first_of("\r\n") == std::string::npos) {
        return owner;
    }
    std::random_device random;
    char made[48];
    std::snprintf(made, sizeof made, "folder %08x%08x%08x", random(), random(),
                  static_cast<unsigned>(system.wallClockNanoseconds()));
    owner = made;
    // Not kept: the name still holds for this run, and the next one makes
    // another (and waits for this one's to go stale).
    static_cast<void>(system.replaceFile(fileName, owner));
    return owner;
}

} // namespace

DatabaseEconomy::DatabaseEconomy(platform::Platform& system, const DatabaseSettings& settings)
    : EconomyBackend(system), os_(system), settings_(settings), journal_(system) {}

DatabaseEconomy::~DatabaseEconomy() {
    static_cast<void>(worker_.stop(static_cast<std::uint32_t>(settings_.terminateWaitMs)));
    static_cast<void>(journal_.syncToDisk());
}

void DatabaseEconomy::open() {
    // Numbers go on from the journals, and from the clock's microseconds:
    // a gold.log removed by hand must not make new records take numbers the
    // database holds already, which would pass them over as sent.
    nextSeq_ =
        static_cast<std::uint64_t>(std::max<std::int64_t>(os_.wallClockNanoseconds() / 1000, 1));
    link_ = std::make_shared<DatabaseLink>(linkSettings(settings_, folderOwner(os_)));
    readJournal(GoldJournal::rotatedName);
    readJournal(GoldJournal::fileName);
    if (const platform::Status started = worker_.start(
            [link = link_](platform::WorkerThread::Control& control) { link->run(control); });
        !started.ok()) {
        tellActor("The economy's database link could not start (" + started.reason() +
                  "): nothing is sent to the database.");
    }
}

void DatabaseEconomy::readJournal(const char* fileName) {
    const bool outbox = std::string_view(fileName) == GoldJournal::fileName;
    std::vector<JournalEntry> lines;
    std::uint64_t seq = 0;
    std::uint32_t parts = 0;
    bool lastEnded = true;
    const platform::Status read = os_.forEachLine(
        fileName, journalChunkBytes, journalLongestLine,
        [&](std::string_view text, bool ended, bool tooLong) {
            lastEnded = ended;
            const std::optional<JournalFields> fields =
                ended && !tooLong ? readJournalLine(text) : std::nullopt;
            if (!fields || !fields->inRecord()) {
                lines.clear();
                return;
            }
            nextSeq_ = std::max(nextSeq_, fields->seq + 1);
            if (!outbox) {
                return; // rotated aside only once the database had every record
            }
            if (!lines.empty() && !continuesRecord(seq, parts, lines.size(), *fields)) {
                lines.clear();
            }
            if (lines.empty() && fields->part != 1) {
                return;
            }
            seq = fields->seq;
            parts = fields->parts;
            lines.push_back(entryOf(*fields));
            if (lines.size() == parts) {
                if (!lines.front().change.empty() && lines.front().change != journalSaved) {
                    addPending(lines, 1);
                    unconfirmed_.emplace(seq, lines);
                    link_->send({seq, false, lines});
                }
                lines.clear();
            }
        });
    if (read.isFailed()) {
        tellActor("Could not read " + std::string(fileName) + " (" + read.reason() +
                  "): changes it holds that the economy's database may not have are not sent.");
    }
    // A last line cut short by a crash is closed off by the next record.
    if (outbox && read.ok() && !lastEnded) {
        journal_.lineCutShort();
    }
}

const GoldAccount* DatabaseEconomy::findAccount(std::string_view name) const {
    return ledger_.find(name);
}

const InventoryRecord* DatabaseEconomy::findInventory(std::string_view name) const {
    return book_.find(name);
}

void DatabaseEconomy::credit(std::string_view name, std::uint32_t amount) {
    note(creditWithLine(ledger_, cause(), name, amount));
}

void DatabaseEconomy::debit(std::string_view name, std::uint32_t amount) {
    note(debitWithLine(ledger_, cause(), name, amount));
}

bool DatabaseEconomy::setItemCount(std::string_view name, ItemKind kind, std::int32_t count) {
    std::optional<JournalEntry> line = setItemCountWithLine(book_, cause(), name, kind, count);
    if (!line) {
        return false;
    }
    note(std::move(*line));
    return true;
}

void DatabaseEconomy::createInventory(std::string_view name) {
    note(createInventoryWithLine(book_, cause(), name));
}

LoadResult DatabaseEconomy::reloadGold() {
    link_->readEveryone();
    worker_.wake();
    return {};
}

LoadResult DatabaseEconomy::reloadInventory() {
    link_->readEveryone();
    worker_.wake();
    return {};
}

void DatabaseEconomy::resetGold() {
    ledger_.clear();
    pendingGold_.clear();
    note(GoldJournal::goldWiped(cause(), false, 0));
}

void DatabaseEconomy::resetInventory() {
    book_.clear();
    pendingItems_.clear();
    note(GoldJournal::inventoryWiped(cause(), false, 0));
}

void DatabaseEconomy::note(JournalEntry entry) {
    if (entry.time.empty()) {
        entry.time = os_.utcTimestamp();
    }
    open_.push_back(std::move(entry));
    if (!inEvent()) {
        if (const platform::Status written = eventEnded(); !written.ok()) {
            tellActor(recordNotWrittenText(written));
        }
    }
}

platform::Status DatabaseEconomy::eventEnded() {
    if (open_.empty()) {
        return {};
    }
    std::vector<JournalEntry> lines;
    lines.swap(open_);
    const std::uint64_t seq = nextSeq_++;
    addPending(lines, 1);
    const platform::Status written = journal_.writeRecord(seq, lines);
    unconfirmed_.emplace(seq, lines);
    link_->send({seq, false, std::move(lines)});
    worker_.wake();
    // A record gold.log refused still goes to the database; only news is
    // returned, once for a run of failures.
    const bool news = !written.ok() && !journalFailing_;
    journalFailing_ = !written.ok();
    return news ? written : platform::Status{};
}

void DatabaseEconomy::addPending(const std::vector<JournalEntry>& lines, std::int64_t sign) {
    for (const JournalEntry& line : lines) {
        const std::optional<std::int64_t> change = readJournalChange(line.change);
        if (line.account == journalEveryAccount && line.change == journalReset) {
            (line.field == journalGoldField ? pendingGold_.clear() : pendingItems_.clear());
            continue;
        }
        if (!change) {
            continue;
        }
        const std::string folded = foldedCopy(line.account);
        if (line.field == journalGoldField) {
            pendingGold_[folded] += sign * *change;
        } else if (const std::optional<ItemKind> kind = itemKindOfWord(line.field)) {
            pendingItems_[folded][static_cast<std::size_t>(*kind)] += sign * *change;
        }
    }
}

void DatabaseEconomy::purchase(const void* member, const Purchase& purchase, Settled settled) {
    if (!reachable()) {
        if (settings_.offlinePurchases) {
            EconomyBackend::purchase(member, purchase, std::move(settled));
        } else {
            settled(PurchaseOutcome::unavailable);
        }
        return;
    }
    if (balance(purchase.name) < purchase.price) {
        settled(PurchaseOutcome::tooPoor);
        return;
    }
    // The lines the purchase makes when the database takes the price: the
    // record, the item, the gold, as a purchase made here writes them.
    std::vector<JournalEntry> lines;
    const std::string time = os_.utcTimestamp();
    const InventoryRecord* record = book_.find(purchase.name);
    if (purchase.item) {
        const std::int32_t held =
            record != nullptr ? record->counts[static_cast<std::size_t>(*purchase.item)] : 0;
        if (held == INT32_MAX) {
            settled(PurchaseOutcome::unavailable);
            return;
        }
        if (record == nullptr) {
            lines.push_back(GoldJournal::inventoryCreated(cause(), purchase.name));
        }
        lines.push_back(GoldJournal::itemChanged(
            cause(), purchase.name,
            inventoryItems[static_cast<std::size_t>(*purchase.item)].store->itemWord, 1, held + 1));
    }
    const GoldAccount* account = ledger_.find(purchase.name);
    lines.push_back(GoldJournal::goldChanged(
        cause(),
        account != nullptr ? fieldText(account->name, sizeof account->name) : purchase.name,
        -static_cast<std::int64_t>(purchase.price), balance(purchase.name) - purchase.price));
    for (JournalEntry& line : lines) {
        line.time = time;
    }
    const std::uint64_t seq = nextSeq_++;
    link_->settle({seq, true, lines});
    worker_.wake();
    purchases_.emplace(seq, PendingPurchase{member, purchase, std::move(lines), std::move(settled),
                                            os_.tickCount()});
}

void DatabaseEconomy::playersPresent(const void* member, std::vector<std::string> names) {
    present_[member] = std::move(names);
}

void DatabaseEconomy::memberLeft(const void* member) {
    present_.erase(member);
    for (auto& [seq, pending] : purchases_) {
        if (pending.member == member) {
            pending.settled = nullptr;
        }
    }
}

void DatabaseEconomy::sync() {
    takeReports();
    if (!lost_ && connected_) {
        if (const std::int64_t waited = link_->waitingMs(); waited > settings_.networkTimeoutMs) {
            tellLost("no answer for " + std::to_string(waited) + " ms");
        }
    }
    answerLatePurchases();
    std::set<std::string> names;
    for (const auto& [member, seen] : present_) {
        names.insert(seen.begin(), seen.end());
    }
    link_->watch({names.begin(), names.end()});
    static_cast<void>(journal_.syncToDisk());
    // gold.log goes aside only when the database holds every record in it:
    // at a start, gold.log alone holds what may still have to be sent.
    if (unconfirmed_.empty() && purchases_.empty()) {
        static_cast<void>(journal_.rotateWhenLarge());
    }
}

void DatabaseEconomy::tellLost(const std::string& reason) {
    if (!lost_) {
        lost_ = true;
        tellEveryBot(lostText(reason, settings_.offlinePurchases));
    }
}

void DatabaseEconomy::takeReports() {
    for (DatabaseLink::Report& report : link_->take()) {
        const bool wasLost = lost_ || hostHeld_;
        if (std::holds_alternative<DatabaseLink::Lost>(report)) {
            tellLost(std::get<DatabaseLink::Lost>(report).reason);
            continue;
        }
        if (const auto* held = std::get_if<DatabaseLink::HostHeld>(&report)) {
            if (!hostHeld_) {
                hostHeld_ = true;
                tellEveryBot(hostHeldText(settings_.hostId, held->holder));
            }
            continue;
        }
        // Anything else is word from the database: it answers.
        lost_ = false;
        hostHeld_ = false;
        connected_ = true;
        if (wasLost) {
            tellEveryBot(backText(unconfirmed_.size()));
        }
        if (auto* outcomes = std::get_if<DatabaseLink::Outcomes>(&report)) {
            for (const auto& [seq, outcome] : outcomes->records) {
                confirmed(seq, outcome);
            }
        } else if (auto* read = std::get_if<DatabaseLink::Balances>(&report)) {
            apply(*read);
        }
    }
}

void DatabaseEconomy::confirmed(std::uint64_t seq, RecordOutcome outcome) {
    if (purchases_.contains(seq)) {
        settledPurchase(seq, outcome);
        return;
    }
    auto found = unconfirmed_.find(seq);
    if (found == unconfirmed_.end()) {
        return;
    }
    addPending(found->second, -1);
    unconfirmed_.erase(found);
}

void DatabaseEconomy::applyToCache(const JournalEntry& line) {
    const std::optional<std::int64_t> change = readJournalChange(line.change);
    if (line.field == journalInventoryField) {
        if (line.change == journalNew && book_.find(line.account) == nullptr) {
            book_.appendEmpty(line.account);
        }
    } else if (line.field == journalGoldField && change) {
        if (*change >= 0) {
            ledger_.credit(line.account, static_cast<std::uint32_t>(*change));
        } else {
            ledger_.debit(line.account, static_cast<std::uint32_t>(-*change));
        }
    } else if (const std::optional<ItemKind> kind = itemKindOfWord(line.field); kind && change) {
        if (InventoryRecord* record = book_.find(line.account)) {
            std::int32_t& count = record->counts[static_cast<std::size_t>(*kind)];
            count = clampedCount(count + *change);
        }
    }
}

void DatabaseEconomy::settledPurchase(std::uint64_t seq, RecordOutcome outcome) {
    PendingPurchase pending = std::move(purchases_.at(seq));
    purchases_.erase(seq);
    const bool paid = outcome == RecordOutcome::applied;
    if (paid) {
        for (const JournalEntry& line : pending.lines) {
            applyToCache(line);
        }
        if (const platform::Status written = journal_.writeRecord(seq, pending.lines);
            !written.ok() && !journalFailing_) {
            journalFailing_ = true;
            tellEveryBot(recordNotWrittenText(written));
        }
    }
    if (pending.settled) {
        pending.settled(paid ? PurchaseOutcome::paid : PurchaseOutcome::tooPoor);
        return;
    }
    if (paid && pending.member != nullptr && pending.askedAt != 0) {
        // Answered as not made (the database was too slow), and made after
        // all: given back, so nobody pays for what he was told he did not get.
        Cause refund(*this, pending.lines.back().cause.bot, "refund", pending.purchase.name);
        if (pending.purchase.item) {
            const InventoryRecord* record = book_.find(pending.purchase.name);
            const std::size_t kind = static_cast<std::size_t>(*pending.purchase.item);
            if (record != nullptr && record->counts[kind] > 0) {
                static_cast<void>(setItemCount(pending.purchase.name, *pending.purchase.item,
                                               record->counts[kind] - 1));
            }
        }
        credit(pending.purchase.name, pending.purchase.price);
        if (const platform::Status written = refund.end(); !written.ok()) {
            tellActor(recordNotWrittenText(written));
        }
    }
}

void DatabaseEconomy::answerLatePurchases() {
    const std::uint32_t now = os_.tickCount();
    for (auto& [seq, pending] : purchases_) {
        if (pending.settled && (lost_ || hostHeld_ || now - pending.askedAt >= purchaseAnswerMs)) {
            Settled settled = std::move(pending.settled);
            pending.settled = nullptr;
            settled(PurchaseOutcome::unavailable);
        }
    }
}

void DatabaseEconomy::apply(const DatabaseLink::Balances& read) {
    for (const StoredAccount& stored : read.accounts) {
        const std::string folded = foldedCopy(stored.name);
        const auto pending = pendingGold_.find(folded);
        const std::int64_t gold =
            stored.gold + (pending == pendingGold_.end() ? 0 : pending->second);
        GoldAccount* account = ledger_.find(stored.name);
        if (account == nullptr) {
            ledger_.credit(stored.name, 0);
            account = ledger_.find(stored.name);
        }
        account->amount = clampedGold(gold);
    }
    for (const StoredInventory& stored : read.inventories) {
        const std::string folded = foldedCopy(stored.name);
        const auto pending = pendingItems_.find(folded);
        InventoryRecord* record = book_.find(stored.name);
        if (record == nullptr) {
            record = &book_.appendEmpty(stored.name);
        }
        for (std::size_t i = 0; i < itemKindCount; ++i) {
            record->counts[i] = clampedCount(
                stored.counts[i] + (pending == pendingItems_.end() ? 0 : pending->second[i]));
        }
    }
}

bool openDatabaseEconomy(EconomySeat& seat, Word bot, platform::Platform& system,
                         EconomyFolders& folders, const EconomyBackend::Console& console,
                         const DatabaseSettings& settings, bool tellRefusal) {
    const std::string folder = system.currentDirectory();
    if (auto open = folders.openIn(folder)) {
        seat.take(open, bot, console);
        return true;
    }
    auto economy = std::make_shared<DatabaseEconomy>(system, settings);
    if (platform::Status locked = economy->lockFolder(); !locked.ok()) {
        if (tellRefusal) {
            console(lockedOutText(locked.reason()));
        }
        return false;
    }
    seat.take(economy, bot, console);
    try {
        EconomyBackend::Cause opening(*economy, bot, "open", "-");
        economy->open();
        static_cast<void>(opening.end());
    } catch (const std::exception& failure) {
        seat.leave();
        console(std::string("The economy could not be opened (") + failure.what() +
                "): the store stays off.");
        return false;
    }
    folders.opened(folder, economy);
    return true;
}

} // namespace quorvel
