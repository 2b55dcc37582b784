#include "gold/economy_backend.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"

#include <algorithm>
#include <climits>
#include <string>

namespace quorvel {

EconomyBackend::Cause::Cause(EconomyBackend& backend, Word bot, std::string_view what,
                             std::string_view who)
    : backend_(backend), previous_(std::move(backend.cause_)), previousSet_(backend.causeSet_) {
    backend_.cause_ = ChangeCause{std::string(what), std::string(who), bot};
    backend_.causeSet_ = true;
}

EconomyBackend::Cause::~Cause() {
    if (ended_) {
        return;
    }
    // Told while the cause is still in force: a failure reaches the console
    // of the bot that acted.
    if (const platform::Status recorded = recordIfOutermost(); !recorded.ok()) {
        backend_.tellActor(recordNotWrittenText(recorded));
    }
    restorePrevious();
}

platform::Status EconomyBackend::Cause::end() {
    if (ended_) {
        return {};
    }
    ended_ = true;
    const platform::Status recorded = recordIfOutermost();
    restorePrevious();
    return recorded;
}

platform::Status EconomyBackend::Cause::recordIfOutermost() {
    return previousSet_ ? platform::Status{} : backend_.eventEnded();
}

void EconomyBackend::Cause::restorePrevious() {
    backend_.cause_ = std::move(previous_);
    backend_.causeSet_ = previousSet_;
}

std::string notSavedText(std::string_view fileName, const platform::Status& failed) {
    return "Could not save " + std::string(fileName) + ": " + failed.reason() + ". The previous " +
           std::string(fileName) + " is unchanged.";
}

std::string recordNotWrittenText(const platform::Status& failed) {
    return "gold.log cannot be written (" + failed.reason() +
           "); gold changes are kept in memory until the next save.";
}

std::string wholeTableDoneText(std::string_view done, std::string_view who, Word bot) {
    return std::string(done) + " by " + std::string(who) + " through bot " + std::to_string(bot) +
           ".";
}

std::uint32_t EconomyBackend::balance(std::string_view name) const {
    const GoldAccount* account = findAccount(name);
    return account == nullptr ? 0 : account->amount;
}

namespace {

// Bots of one arena are handed an event at the same moment, one after the
// other; a player is in one arena at a time, so the same award for the same
// player a moment apart through another bot is the same event.
constexpr std::uint32_t sameEventWithinMs = 1000;

} // namespace

bool EconomyBackend::sameAwardSeen(std::string_view name, std::int32_t amount) {
    if (members_.size() < 2) {
        return false; // one bot: every award is an event of its own
    }
    const std::uint32_t now = clock_.tickCount();
    while (!recentAwardKeys_.empty() && now - recentAwardKeys_.front().first > sameEventWithinMs) {
        auto found = recentAwards_.find(recentAwardKeys_.front().second);
        found->second.pop_front();
        if (found->second.empty()) {
            recentAwards_.erase(found);
        }
        recentAwardKeys_.pop_front();
    }
    std::string key = cause_.what;
    key += '\t';
    key += foldedCopy(storableName(name));
    key += '\t';
    key += std::to_string(amount);
    std::deque<RecentAward>& made = recentAwards_[key];
    for (RecentAward& award : made) {
        if (std::find(award.bots.begin(), award.bots.end(), cause_.bot) == award.bots.end()) {
            award.bots.push_back(cause_.bot);
            return true;
        }
    }
    made.push_back({now, {cause_.bot}});
    recentAwardKeys_.emplace_back(now, std::move(key));
    return false;
}

bool EconomyBackend::award(std::string_view name, std::int32_t amount) {
    if (sameAwardSeen(name, amount)) {
        return false;
    }
    const std::uint32_t held = balance(name);
    if (amount >= 0) {
        credit(name, std::min(static_cast<std::uint32_t>(amount), UINT32_MAX - held));
    } else {
        debit(name, std::min(0u - static_cast<std::uint32_t>(amount), held));
    }
    return true;
}

void EconomyBackend::join(const void* member, Word bot, Console console) {
    leave(member);
    members_.push_back(Member{member, bot, std::move(console)});
}

void EconomyBackend::leave(const void* member) {
    std::erase_if(members_, [member](const Member& m) { return m.id == member; });
    memberLeft(member);
}

void EconomyBackend::purchase(const void* /*member*/, const Purchase& purchase, Settled settled) {
    if (balance(purchase.name) < purchase.price) {
        settled(PurchaseOutcome::tooPoor);
        return;
    }
    // The item first: gold is never taken for an item that did not land.
    if (purchase.item) {
        if (findInventory(purchase.name) == nullptr) {
            createInventory(purchase.name);
        }
        const InventoryRecord* record = findInventory(purchase.name);
        const std::int32_t held = record->counts[static_cast<std::size_t>(*purchase.item)];
        if (held == INT32_MAX || !setItemCount(purchase.name, *purchase.item, held + 1)) {
            settled(PurchaseOutcome::unavailable);
            return;
        }
    }
    debit(purchase.name, purchase.price);
    settled(PurchaseOutcome::paid);
}

void EconomyBackend::tellActor(std::string_view text) const {
    if (!causeSet_) {
        tellEveryBot(text);
        return;
    }
    for (const Member& member : members_) {
        if (member.bot == cause_.bot) {
            member.console(text);
            return;
        }
    }
    tellEveryBot(text); // a bot that has left: nobody's word is lost
}

void EconomyBackend::tellEveryBot(std::string_view text) const {
    for (const Member& member : members_) {
        member.console(text);
    }
}

void EconomySeat::take(std::shared_ptr<EconomyBackend> backend, Word bot,
                       EconomyBackend::Console console) {
    leave();
    backend_ = std::move(backend);
    if (backend_) {
        backend_->join(this, bot, std::move(console));
    }
}

void EconomySeat::leave() {
    if (backend_) {
        backend_->leave(this);
        backend_.reset();
    }
}

} // namespace quorvel
