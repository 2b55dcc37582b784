#include "ledger_audit.h"

#include "gold/gold_journal.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

constexpr std::int64_t largestBalance = 4294967295LL;
constexpr std::size_t faultsKept = 20;

// The journal's lines split here, apart from gold/journal_format.h, so the
// audit checks what the module writes against a reading of its own.
std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos;
         start = tab + 1, tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::optional<std::int64_t> number(std::string_view text) {
    std::int64_t value = 0;
    const char* first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || first == end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string foldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

LedgerAudit::LedgerAudit(std::string journalPath, AuditRules rules)
    : path_(std::move(journalPath)), rules_(std::move(rules)) {}

LedgerAudit::~LedgerAudit() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void LedgerAudit::fault(std::uint64_t event, const std::string& what) {
    if (faults_.size() < faultsKept) {
        faults_.push_back("event " + std::to_string(event) + ": " + what);
    }
}

void LedgerAudit::readNewLines() {
    if (fd_ < 0) {
        fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) {
            return; // no line written yet
        }
    }
    char chunk[8192];
    ssize_t n = 0;
    while ((n = ::read(fd_, chunk, sizeof chunk)) > 0) {
        pending_.append(chunk, static_cast<std::size_t>(n));
    }
    std::size_t start = 0;
    for (std::size_t end = pending_.find('\n'); end != std::string::npos;
         start = end + 1, end = pending_.find('\n', start)) {
        lines_.push_back(pending_.substr(start, end - start));
    }
    pending_.erase(0, start);
}

void LedgerAudit::indexNewAccounts(const GoldLedger& ledger) {
    const auto& accounts = ledger.accounts();
    for (std::size_t i = balances_.size(); i < accounts.size(); ++i) {
        // A new account starts at 0; its lines bring it to where it is.
        balances_.push_back(0);
        firstByName_.emplace(foldName(accounts[i].name), i);
    }
}

void LedgerAudit::rebuild(const GoldLedger& ledger) {
    balances_.clear();
    firstByName_.clear();
    for (const GoldAccount& account : ledger.accounts()) {
        firstByName_.emplace(foldName(account.name), balances_.size());
        balances_.push_back(account.amount);
    }
}

void LedgerAudit::checkLine(const std::vector<std::string>& fields, const GoldLedger& ledger,
                            const std::vector<std::int64_t>& typed, std::uint64_t event) {
    const std::string& cause = fields[1];
    const std::string account = journalUnescape(fields[3]);
    const std::string& change = fields[5];
    if (change == "saved") {
        return;
    }
    if (change == "reset" || change == "reload") {
        if (account != "*" || (cause != "resetgold" && cause != "goldload")) {
            fault(event, "a " + change + " line from " + cause);
        }
        rebuildNeeded_ = true;
        return;
    }
    ++goldLines_;
    const auto amount = number(change);
    const auto after = number(fields[6]);
    if (!amount || !after || change.empty() || (change[0] != '+' && change[0] != '-')) {
        fault(event, "an unreadable gold line: " + change + " " + fields[6]);
        return;
    }
    if (*after < 0 || *after > largestBalance) {
        fault(event, account + "'s balance left 0..4294967295: " + fields[6]);
    }
    // Whether the cause explains a change of this size.
    const auto typedHas = [&typed](std::int64_t value) {
        return std::find(typed.begin(), typed.end(), value) != typed.end();
    };
    bool explained = false;
    if (cause.rfind("kill ", 0) == 0) { // "kill NAME": NAME was killed
        explained = *amount >= 0 && *amount <= rules_.kill;
    } else if (cause.rfind("team kill ", 0) == 0) {
        explained = *amount == -rules_.teamKill;
    } else if (cause == "anti-warp") {
        explained = *amount == -rules_.antiInCenter;
    } else if (cause == "goal") {
        explained = *amount >= 0 && *amount <= rules_.soccerGoal;
    } else if (cause == "flag victory") {
        explained = *amount >= 0 && *amount <= rules_.flagVictory;
    } else if (cause.rfind("purchase ", 0) == 0) {
        auto price = rules_.prices.find(cause.substr(9));
        explained = price != rules_.prices.end() && *amount == -price->second;
    } else if (cause == "loan") {
        explained = typedHas(*amount < 0 ? -*amount : *amount);
        loanSum_ += *amount;
    } else if (cause == "givegold") {
        explained = typedHas(*amount);
    } else if (cause == "takegold") {
        explained = typedHas(-*amount);
    }
    if (!explained) {
        fault(event, "a change of " + change + " to " + account + " caused by \"" + cause +
                         "\" that nothing in play explains");
    }
    auto at = firstByName_.find(foldName(account));
    if (at == firstByName_.end()) {
        indexNewAccounts(ledger);
        at = firstByName_.find(foldName(account));
    }
    if (at == firstByName_.end()) {
        fault(event, "gold.log names " + account + ", who has no account");
        return;
    }
    std::uint32_t& before = balances_[at->second];
    if (std::int64_t{before} + *amount != *after) {
        fault(event, account + " went from " + std::to_string(before) + " by " + change + " to " +
                         fields[6]);
    }
    before = static_cast<std::uint32_t>(std::clamp<std::int64_t>(*after, 0, largestBalance));
}

void LedgerAudit::afterEvent(const GoldLedger& ledger, const std::vector<std::int64_t>& typed,
                             std::uint64_t event) {
    readNewLines();
    loanSum_ = 0;
    for (const std::string& line : lines_) {
        std::vector<std::string> fields = splitTabs(line);
        if (fields.size() != 10) {
            fault(event, "a gold.log line without ten fields: " + line);
            continue;
        }
        if (fields[4] == "gold") {
            checkLine(fields, ledger, typed, event);
        }
    }
    lines_.clear();
    if (loanSum_ != 0) {
        fault(event, "a loan made or destroyed " + std::to_string(loanSum_) + " gold");
    }
    if (rebuildNeeded_) {
        rebuildNeeded_ = false;
        rebuild(ledger);
        return;
    }
    indexNewAccounts(ledger);
    const auto& accounts = ledger.accounts();
    for (std::size_t i = 0; i < accounts.size(); ++i) {
        if (accounts[i].amount != balances_[i]) {
            fault(event, std::string(accounts[i].name) + " holds " +
                             std::to_string(accounts[i].amount) + " but gold.log says " +
                             std::to_string(balances_[i]));
            balances_[i] = accounts[i].amount;
        }
    }
}

} // namespace quorvel::testing
