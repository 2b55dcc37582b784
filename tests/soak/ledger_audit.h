// Follows gold.log while a session plays and keeps every balance the journal
// accounts for. After each event the ledger must hold exactly those
// balances: a balance that moved without a line, a line whose before and
// after do not add up, a value outside 0..4294967295, or a change larger than
// its cause can explain is a fault.
#pragma once

#include "gold/gold_ledger.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace quorvel::testing {

struct AuditRules {
    std::int64_t kill = 0;
    std::int64_t teamKill = 0;
    std::int64_t antiInCenter = 0;
    std::int64_t soccerGoal = 0;
    std::int64_t flagVictory = 0;
    std::map<std::string, std::int64_t> prices; // by the word after "purchase "
};

class LedgerAudit {
public:
    LedgerAudit(std::string journalPath, AuditRules rules);
    ~LedgerAudit();
    LedgerAudit(const LedgerAudit&) = delete;
    LedgerAudit& operator=(const LedgerAudit&) = delete;

    // The balances as loaded at the handshake: what gold.log starts from.
    void startFrom(const GoldLedger& ledger) { rebuild(ledger); }

    // After every event: `typed` are the amounts a command of this event
    // named (givegold, takegold, lendgold), `event` its number for reports.
    void afterEvent(const GoldLedger& ledger, const std::vector<std::int64_t>& typed,
                    std::uint64_t event);

    const std::vector<std::string>& faults() const { return faults_; }
    std::uint64_t goldLines() const { return goldLines_; }

private:
    void readNewLines();
    void checkLine(const std::vector<std::string>& fields, const GoldLedger& ledger,
                   const std::vector<std::int64_t>& typed, std::uint64_t event);
    void indexNewAccounts(const GoldLedger& ledger);
    void rebuild(const GoldLedger& ledger);
    void fault(std::uint64_t event, const std::string& what);

    std::string path_;
    AuditRules rules_;
    int fd_ = -1;
    std::string pending_;                                      // read but not yet a whole line
    std::vector<std::string> lines_;                           // whole lines read for this event
    std::vector<std::uint32_t> balances_;                      // by ledger position
    std::unordered_map<std::string, std::size_t> firstByName_; // folded name
    bool rebuildNeeded_ = false;
    std::int64_t loanSum_ = 0;
    std::uint64_t goldLines_ = 0;
    std::vector<std::string> faults_;
};

// A name with A to Z folded to lower case, as the module matches names.
std::string foldName(std::string_view name);

} // namespace quorvel::testing
