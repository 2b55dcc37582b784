// The economy of a working folder: gold accounts and inventory records,
// shared by every bot of the host that works in that folder. Services find,
// change, save, reload and reset through this interface only; the files
// (gold.dat, inv.dat, gold.log) are one implementation of it (FileEconomy),
// and a zone that keeps one economy in a database for hosts on several
// machines needs a second one, not a change of the services.
//
// Every change is made under a Cause: what caused it, who, and through
// which bot. The cause is set for the handling of one event and nests; the
// changes made while the outermost one is in force are one record, kept or
// lost whole (a loan's credit and debit, a purchase's item and price).
#pragma once

#include <quorvel/host_abi.h>

#include "base/platform/platform.h"
#include "gold/gold_ledger.h"
#include "gold/inventory_book.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quorvel {

struct ChangeCause {
    std::string what = "unknown"; // kill, purchase guns, givegold, save ...
    std::string who = "-";        // the player or staff member behind it
    Word bot = 0;                 // the handle of the bot it came through
};

// What came of reading a table's file: done, not there, or not read (with
// the reason); and what is wrong with the file or the files beside it, in
// the words the console is told, in order.
struct [[nodiscard]] LoadResult {
    platform::Status status;
    std::vector<std::string> findings;
};

// The console's words for a save of `fileName` that failed.
std::string notSavedText(std::string_view fileName, const platform::Status& failed);

// The console's words for a record of changes that could not be written
// (what Cause::end returned): the changes stay in play and wait in memory
// until a save holds them.
std::string recordNotWrittenText(const platform::Status& failed);

// What a whole table reset or reloaded tells every bot's console: `done`
// (goldResetDone ...), then the staff member and the bot it came through.
std::string wholeTableDoneText(std::string_view done, std::string_view who, Word bot);
inline constexpr std::string_view goldResetDone = "The gold accounts were reset";
inline constexpr std::string_view inventoryResetDone = "The inventory records were reset";
inline constexpr std::string_view goldReloadedDone =
    "The gold accounts were reloaded from gold.dat";
inline constexpr std::string_view inventoryReloadedDone =
    "The inventory records were reloaded from inv.dat";

class EconomyBackend {
public:
    class Cause {
    public:
        Cause(EconomyBackend& backend, Word bot, std::string_view what, std::string_view who);
        // A cause left without end() (an early return, an exception) ends
        // here, and the economy tells a failure of its record to the acting
        // bot's console itself, so nothing goes untold.
        ~Cause();
        Cause(const Cause&) = delete;
        Cause& operator=(const Cause&) = delete;

        // Ends the cause. The outermost one's changes become one record, and
        // what came of it is returned: done, or failed with the reason when
        // the record could not be written and waits in memory (the caller
        // tells the console, recordNotWrittenText). Only news fails: while
        // the records keep failing, the first failure is returned and the
        // later ones are done, until one is written again, so the console is
        // told once for each run of failures, not for every change while the
        // disk stays full. An inner cause's end is done (its changes are part
        // of the outer record), and so is a second end.
        [[nodiscard]] platform::Status end();

    private:
        // The outermost cause's changes become one record: what came of it.
        platform::Status recordIfOutermost();
        void restorePrevious();

        EconomyBackend& backend_;
        ChangeCause previous_;
        bool previousSet_;
        bool ended_ = false;
    };

    // What a bot's console is told by the economy.
    using Console = std::function<void(std::string_view)>;

    // The awards seen lately are timed by the tick count of `system`.
    explicit EconomyBackend(platform::Platform& system) : clock_(system) {}
    virtual ~EconomyBackend() = default;
    EconomyBackend(const EconomyBackend&) = delete;
    EconomyBackend& operator=(const EconomyBackend&) = delete;

    // Finding. A lookup matches names ignoring the case of A to Z and takes
    // the first match; it never creates anything.
    virtual const GoldAccount* findAccount(std::string_view name) const = 0;
    std::uint32_t balance(std::string_view name) const;
    virtual const InventoryRecord* findInventory(std::string_view name) const = 0;
    // Whether the inventory records were read from their file: without them
    // an entering player starts a new record.
    virtual bool inventoryLoaded() const = 0;

    // Changing, under the cause in force. credit and debit create the
    // account when there is none and wrap modulo 2^32; award never wraps
    // (a gain stops at 4294967295, a loss at 0). A host hands every bot of an
    // arena the arena's events, so the bots sharing the economy see the same
    // kill, goal or flag win: an award another bot made for the same cause,
    // player and amount moments ago is that event, and is not made again.
    virtual void credit(std::string_view name, std::uint32_t amount) = 0;
    virtual void debit(std::string_view name, std::uint32_t amount) = 0;
    // True when the award was made here, false when another bot made it.
    bool award(std::string_view name, std::int32_t amount);
    // One item count in the first record of `name`; false when it has none.
    virtual bool setItemCount(std::string_view name, ItemKind kind, std::int32_t count) = 0;
    // A record with every count 0, appended.
    virtual void createInventory(std::string_view name) = 0;

    // A purchase: the price taken from the account and, for an item, one
    // more of it in the buyer's first record (made when there is none), as
    // one change, and only if the account holds the price. `settled` hears
    // what came of it: at once where the economy is this host's own; later,
    // at a sync, where a database settles it. It is never called after
    // `member` (the seat of the bot that asked) has left.
    struct Purchase {
        std::string name;
        std::uint32_t price = 0;
        std::optional<ItemKind> item;
    };
    enum class PurchaseOutcome {
        paid,
        tooPoor,     // the account does not hold the price (another host spent it)
        unavailable, // nothing could be settled: nothing was taken
    };
    using Settled = std::function<void(PurchaseOutcome)>;
    virtual void purchase(const void* member, const Purchase& purchase, Settled settled);
    // The players a member's bot sees now: an economy shared with other hosts
    // reads their balances back.
    virtual void playersPresent(const void* /*member*/, std::vector<std::string> /*names*/) {}

    // Whole tables: saved, read again from what was saved, emptied. Nothing
    // is told on a console here: a save's or a reload's failure is returned
    // (a reload that fails leaves what is in play as it was), with what a
    // reload found wrong with the file, and the caller tells the console;
    // a reset cannot fail. Whoever asked tells every bot's console of a
    // reload or reset (wholeTableDoneText), naming the bot that did it.
    [[nodiscard]] virtual platform::Status saveGold() = 0;
    [[nodiscard]] virtual platform::Status saveInventory() = 0;
    virtual LoadResult reloadGold() = 0;
    virtual LoadResult reloadInventory() = 0;
    virtual void resetGold() = 0;
    virtual void resetInventory() = 0;

    // Once a second: what was recorded reaches the disk.
    virtual void sync() = 0;

    // The bots sharing the economy. `member` tells them apart (two bots may
    // carry one handle in tests); the economy lives while any is joined.
    void join(const void* member, Word bot, Console console);
    void leave(const void* member);
    void tellEveryBot(std::string_view text) const;

protected:
    const ChangeCause& cause() const { return cause_; }
    // Whether a cause is in force: the changes made now belong to one record.
    bool inEvent() const { return causeSet_; }
    // The outermost cause has ended: the record of its changes is complete.
    // A failure that is news (see Cause::end) is returned, not told.
    virtual platform::Status eventEnded() { return {}; }
    // A member has left: nothing is told to it any more.
    virtual void memberLeft(const void* /*member*/) {}
    // To the console of the bot whose cause is in force, or to every bot
    // when no cause is.
    void tellActor(std::string_view text) const;

private:
    struct Member {
        const void* id;
        Word bot;
        Console console;
    };
    // Awards made lately, by cause, folded name and amount, each with the
    // bots that have seen it since; and their keys in the order made, to
    // forget them a moment later.
    struct RecentAward {
        std::uint32_t at; // the platform's tickCount()
        std::vector<Word> bots;
    };
    bool sameAwardSeen(std::string_view name, std::int32_t amount);

    platform::Platform& clock_;
    ChangeCause cause_;
    bool causeSet_ = false;
    std::vector<Member> members_;
    std::unordered_map<std::string, std::deque<RecentAward>> recentAwards_;
    std::deque<std::pair<std::uint32_t, std::string>> recentAwardKeys_;
};

// A bot's place at its folder's economy: taken when its handshake is
// accepted, left at Terminate or when the bot is destroyed.
class EconomySeat {
public:
    EconomySeat() = default;
    ~EconomySeat() { leave(); }
    EconomySeat(const EconomySeat&) = delete;
    EconomySeat& operator=(const EconomySeat&) = delete;

    void take(std::shared_ptr<EconomyBackend> backend, Word bot, EconomyBackend::Console console);
    void leave();
    // A purchase for this seat's bot (EconomyBackend::purchase).
    void purchase(const EconomyBackend::Purchase& purchase, EconomyBackend::Settled settled) {
        backend_->purchase(this, purchase, std::move(settled));
    }
    void playersPresent(std::vector<std::string> names) {
        backend_->playersPresent(this, std::move(names));
    }

    explicit operator bool() const { return backend_ != nullptr; }
    EconomyBackend& operator*() const { return *backend_; }
    EconomyBackend* operator->() const { return backend_.get(); }
    EconomyBackend* get() const { return backend_.get(); }

private:
    std::shared_ptr<EconomyBackend> backend_;
};

} // namespace quorvel
