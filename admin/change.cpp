// set and import: balances changed while no host works in the folder. The
// folder's lock is taken as a host takes it, gold.dat is loaded as a module
// start loads it (changes gold.log holds that no save covered are brought
// back first), every change goes to gold.log under the operator's name, and
// gold.dat is saved by the module's save, which marks the save in gold.log:
// a module started afterwards loads the new balances and replays nothing.
#include "admin/commands.h"
#include "admin/folder.h"

#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/file_economy.h"
#include "gold/record_layouts.h"
#include "gold/transfer_text.h"

#include <map>

namespace quorvel::admin {
namespace {

constexpr std::size_t goldRecordBytes = GoldDatLayout::recordBytes;
constexpr std::size_t longestName = GoldDatLayout::longestName;

struct Change {
    std::string name;
    std::uint32_t amount = 0;
};

std::optional<std::string> nameFault(const std::string& name) {
    if (name.empty()) {
        return "a name is needed";
    }
    if (reservedAccountName(name)) {
        return "\"*\" stands for every account in gold.log and cannot be a name";
    }
    if (name.size() > longestName) {
        return printable(name) + " is longer than " + std::to_string(longestName) +
               " characters, the most gold.dat holds";
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return printable(name) + " holds a control character";
        }
    }
    if (name.front() == ' ' || name.back() == ' ') {
        return "\"" + printable(name) + "\" begins or ends with a blank";
    }
    return std::nullopt;
}

std::optional<std::uint32_t> readAmount(const std::string& text) {
    auto amount = readBoundedNumber(text, 0, 4294967295LL);
    if (!amount) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*amount);
}

std::string amountFault(const std::string& text) {
    return "the amount \"" + printable(text) + "\" is not a whole number from 0 to 4294967295";
}

// What a changed balance was before, to take the change back.
struct Done {
    std::string name;
    std::uint32_t before = 0;
};

void setTo(FileEconomy& economy, const std::string& name, std::uint32_t from, std::uint32_t to) {
    if (to >= from) {
        economy.credit(name, to - from);
    } else {
        economy.debit(name, from - to);
    }
}

int applyChanges(const std::vector<Change>& changes, const std::string& causeText,
                 const std::string& folder, std::ostream& out) {
    InFolder in(folder);
    std::unique_ptr<platform::HeldLock> lock;
    if (const platform::Status locked =
            platform::realPlatform().lockFile(FileEconomy::lockName, lock);
        !locked.ok()) {
        throw AdminError(exitProblems,
                         "cannot change the accounts in " + in.path() + ": " + locked.reason() +
                             ". A host works in this folder: stop it first (or change the gold "
                             "in the game with !givegold and !takegold).");
    }
    if (auto stamp = platform::realPlatform().fileStamp(FileEconomy::goldName);
        stamp && stamp->size % goldRecordBytes != 0) {
        throw AdminError(exitProblems,
                         "gold.dat in " + in.path() +
                             " is damaged (its size is not a whole number of records), so "
                             "nothing is changed: quorvel-admin check tells more, and a module "
                             "start keeps a copy of it and loads its whole records.");
    }
    FileEconomy economy(platform::realPlatform());
    ConsoleLines console;
    economy.join(&console, 0, [&console](std::string_view line) { console.emplace_back(line); });
    // What a change's record came to is told as the module tells it.
    const auto tellRecorded = [&console](const platform::Status& recorded) {
        if (!recorded.ok()) {
            console.push_back(recordNotWrittenText(recorded));
        }
    };
    {
        EconomyBackend::Cause opening(economy, 0, "open", "-");
        economy.load();
        tellRecorded(opening.end());
    }
    for (const std::string& line : console) {
        if (!isRecoveryNote(line)) {
            throw AdminError(exitUnreadable, line + " Nothing is changed.");
        }
        out << line << '\n';
    }
    console.clear();

    const std::string who = operatorName();
    std::vector<Done> done;
    std::optional<std::string> failure;
    {
        EconomyBackend::Cause cause(economy, 0, causeText, who);
        for (const Change& change : changes) {
            const GoldAccount* account = economy.findAccount(change.name);
            const std::uint32_t before = account != nullptr ? account->amount : 0;
            if (before == change.amount) {
                out << printable(change.name) << ": "
                    << (account != nullptr ? "holds " + std::to_string(before) + " already"
                                           : "no account, none made for 0")
                    << '\n';
                continue;
            }
            setTo(economy, change.name, before, change.amount);
            done.push_back({change.name, before});
            const GoldAccount& changed = *economy.findAccount(change.name);
            out << printable(fieldText(changed.name, sizeof changed.name)) << ": " << before
                << " -> " << change.amount << '\n';
            if (!console.empty()) {
                failure = console.front(); // gold.log could not be written
                break;
            }
        }
        if (done.empty() && !failure) {
            out << "Nothing to change: gold.dat is left as it was.\n";
            return exitClean;
        }
        if (!failure) {
            const platform::Status saved = economy.saveGold();
            if (saved.ok()) {
                const std::size_t accounts = economy.ledger().size();
                out << "Saved gold.dat (" << accounts << (accounts == 1 ? " account" : " accounts")
                    << "); gold.log "
                    << "records " << (done.size() == 1 ? "the change" : "the changes") << " as \""
                    << causeText << "\" by " << printable(who) << ".\n";
                for (const std::string& line : console) {
                    out << "Warning: " << line << '\n'; // the save mark could not be written
                }
                return exitClean;
            }
            failure = notSavedText(FileEconomy::goldName, saved);
        }
        tellRecorded(cause.end());
    }
    // Nothing reached gold.dat: the lines gold.log holds are taken back, so
    // the next module start does not apply them.
    const std::size_t heard = console.size();
    {
        EconomyBackend::Cause undoing(economy, 0, causeText + " undone", who);
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            setTo(economy, it->name, economy.balance(it->name), it->before);
        }
        tellRecorded(undoing.end());
    }
    const bool takenBack = console.size() == heard;
    throw AdminError(exitProblems,
                     *failure + " Nothing is changed" +
                         (takenBack ? std::string("; gold.log records the change as undone.")
                                    : ", but gold.log could not record the change as undone: a "
                                      "module start here would apply what gold.log holds."));
}

} // namespace

int setBalance(const std::string& name, const std::string& amount, const std::string& folder,
               std::ostream& out, std::ostream&) {
    if (auto fault = nameFault(name)) {
        throw AdminError(exitProblems, *fault);
    }
    std::optional<std::uint32_t> value = readAmount(amount);
    if (!value) {
        throw AdminError(exitProblems, amountFault(amount));
    }
    return applyChanges({{name, *value}}, "admin set", folder, out);
}

int importBalances(const std::string& csvFile, const std::string& folder, std::ostream& out,
                   std::ostream&) {
    std::string bytes;
    const platform::Status read = readOnlyFiles().readFile(csvFile, bytes);
    if (!read.ok()) {
        throw AdminError(exitUnreadable,
                         "cannot read " + csvFile + ": " +
                             (read.isNotFound() ? std::string("no such file") : read.reason()));
    }
    std::vector<Change> changes;
    std::map<std::string, std::size_t> lineOf; // of each name, as the module matches names
    std::size_t number = 0;
    bool first = true;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string line(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string where = csvFile + ":" + std::to_string(number) + ": ";
        if (trim(line).empty() || line.front() == '#') {
            continue;
        }
        const std::size_t comma = line.rfind(',');
        if (comma == std::string::npos) {
            throw AdminError(exitProblems, where + "expected name,amount");
        }
        std::string name = trim(line.substr(0, comma));
        const std::string amount = trim(line.substr(comma + 1));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
            std::string unquoted;
            for (std::size_t i = 1; i + 1 < name.size(); ++i) {
                unquoted += name[i];
                i += name[i] == '"' && name[i + 1] == '"' ? 1 : 0;
            }
            name = unquoted;
        }
        name = csvName(name);
        const bool header = first && equalIgnoringCase(name, "name") && !isNumeric(amount);
        first = false;
        if (header) {
            continue;
        }
        if (auto fault = nameFault(name)) {
            throw AdminError(exitProblems, where + *fault);
        }
        std::optional<std::uint32_t> value = readAmount(amount);
        if (!value) {
            throw AdminError(exitProblems, where + amountFault(amount));
        }
        auto [seen, fresh] = lineOf.emplace(foldedCopy(name), number);
        if (!fresh) {
            throw AdminError(exitProblems, where + printable(name) + " is on line " +
                                               std::to_string(seen->second) + " already");
        }
        changes.push_back({name, *value});
    }
    if (changes.empty()) {
        throw AdminError(exitProblems, csvFile + " holds no line name,amount");
    }
    return applyChanges(changes, "admin import", folder, out);
}

} // namespace quorvel::admin
