// set and import: balances changed while no host works in the folder. The
// folder's lock is taken as a host takes it, gold.dat is loaded as a module
// start loads it (changes gold.log holds that no save covered are brought
// back first), gold.dat is saved by the module's save, and only then do the
// changes go to gold.log, under the operator's name, with the save's mark: a
// module started afterwards loads the new balances and replays nothing, and
// a change whose save failed leaves nothing for it to apply.
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

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// One field of a line of CSV: its text, and whether it was in quotes (a
// field in quotes is a name, never a header's word).
struct CsvField {
    std::string text;
    bool quoted = false;
};

// The fields of one line of CSV (RFC 4180): separated by commas; a field in
// double quotes holds commas and quotes (doubled). Blanks around a field are
// not part of it; within the quotes they are. A name holds no line break,
// so a quote opened closes on its line.
std::vector<CsvField> csvFields(std::string_view line, const std::string& where) {
    std::vector<CsvField> fields;
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < line.size() && line[at] == ' ') {
            ++at;
        }
    };
    while (true) {
        CsvField field;
        skipBlanks();
        if (at < line.size() && line[at] == '"') {
            field.quoted = true;
            for (++at;; ++at) {
                if (at == line.size()) {
                    throw AdminError(exitProblems,
                                     where + "a field in quotes runs past the end of the line; "
                                             "a name holds no line break, so its closing quote "
                                             "is on its line");
                }
                if (line[at] == '"') {
                    if (at + 1 == line.size() || line[at + 1] != '"') {
                        ++at;
                        break;
                    }
                    ++at; // a doubled quote is one
                }
                field.text += line[at];
            }
            skipBlanks();
            if (at < line.size() && line[at] != ',') {
                throw AdminError(exitProblems, where + "text after the closing quote of \"" +
                                                   printable(field.text) +
                                                   "\" (a quote within a field is doubled)");
            }
        } else {
            const std::size_t end = std::min(line.find(',', at), line.size());
            field.text = trim(line.substr(at, end - at));
            if (field.text.find('"') != std::string::npos) {
                throw AdminError(exitProblems,
                                 where + "a quote in \"" + printable(field.text) +
                                     "\", a field not in quotes: a name holding a quote is "
                                     "written in quotes, its quotes doubled (\"Dr \"\"Q\"\"\")");
            }
            at = end;
        }
        fields.push_back(std::move(field));
        if (at >= line.size()) {
            return fields;
        }
        ++at; // past the comma
    }
}

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

// An amount as a spreadsheet may write it: digits, or digits grouped by
// thousands with commas (a field in quotes, "1,000").
std::optional<std::uint32_t> readCsvAmount(const std::string& text) {
    if (text.find(',') == std::string::npos) {
        return readAmount(text);
    }
    std::string digits;
    std::size_t group = 0;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        if (at == text.size() || text[at] == ',') {
            const bool leading = digits.size() == group;
            if (group == 0 || group > 3 || (!leading && group != 3)) {
                return std::nullopt;
            }
            group = 0;
            continue;
        }
        if (text[at] < '0' || text[at] > '9') {
            return std::nullopt;
        }
        digits += text[at];
        ++group;
    }
    return readAmount(digits);
}

std::string amountFault(const std::string& text) {
    return "the amount \"" + printable(text) + "\" is not a whole number from 0 to 4294967295";
}

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

    // The changes are one record, which goes to gold.log only once gold.dat
    // holds them: a save that fails leaves no line a module start would
    // apply, not even an account made with 0.
    const std::string who = operatorName();
    EconomyBackend::Cause cause(economy, 0, causeText, who);
    std::size_t changed = 0;
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
        ++changed;
        const GoldAccount& now = *economy.findAccount(change.name);
        out << printable(fieldText(now.name, sizeof now.name)) << ": " << before << " -> "
            << change.amount << '\n';
    }
    if (changed == 0) {
        out << "0 accounts changed: gold.dat is left as it was.\n";
        return exitClean;
    }
    platform::Status recorded;
    const platform::Status saved = economy.saveGoldBeforeRecording(recorded);
    if (!saved.ok()) {
        throw AdminError(exitProblems, notSavedText(FileEconomy::goldName, saved) +
                                           " Nothing is changed, and gold.log holds nothing "
                                           "of it.");
    }
    const std::string changesWord = changed == 1 ? "the change" : "the changes";
    if (!recorded.ok()) {
        throw AdminError(exitProblems,
                         "Saved gold.dat (" + plural(economy.ledger().size(), "account") +
                             ") with " + changesWord + ", but gold.log could not record " +
                             (changed == 1 ? "it" : "them") + " (" + recorded.reason() +
                             "): a module start here loads the new balances, and gold.log's "
                             "history does not show " +
                             changesWord + ".");
    }
    out << "Saved gold.dat (" << plural(economy.ledger().size(), "account")
        << "); gold.log records " << changesWord << " as \"" << causeText << "\" by "
        << printable(who) << ".\n";
    for (const std::string& line : console) {
        out << "Warning: " << line << '\n';
    }
    return exitClean;
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
    std::string_view rest = bytes;
    // A spreadsheet saving UTF-8 begins the file with a byte-order mark;
    // names are cp1252, as the listings write them.
    const bool utf8 = rest.starts_with(byteOrderMark);
    if (utf8) {
        rest.remove_prefix(byteOrderMark.size());
    }
    std::vector<Change> changes;
    std::map<std::string, std::size_t> lineOf; // of each name, as the module matches names
    std::size_t number = 0;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        ++number;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const std::string where = csvFile + ":" + std::to_string(number) + ": ";
        if (trim(line).empty() || line.front() == '#') {
            continue;
        }
        const std::vector<CsvField> fields = csvFields(line, where);
        if (fields.size() != 2) {
            throw AdminError(exitProblems, where + "expected name,amount, not " +
                                               std::to_string(fields.size()) + " fields");
        }
        const CsvField& nameField = fields[0];
        const CsvField& amountField = fields[1];
        const bool header = first && !nameField.quoted && !amountField.quoted &&
                            equalIgnoringCase(nameField.text, "name") &&
                            !readCsvAmount(amountField.text);
        first = false;
        if (header) {
            continue;
        }
        std::string name = nameField.text;
        if (utf8) {
            std::optional<std::string> spelled = cp1252FromUtf8(name);
            if (!spelled) {
                throw AdminError(exitProblems,
                                 where + "the name is not one cp1252 spells (names are cp1252, "
                                         "and a file that begins with a byte-order mark is "
                                         "UTF-8): a character cp1252 does not have, or bytes "
                                         "that are not UTF-8");
            }
            name = std::move(*spelled);
        }
        name = csvName(name);
        if (auto fault = nameFault(name)) {
            throw AdminError(exitProblems, where + *fault);
        }
        std::optional<std::uint32_t> value = readCsvAmount(amountField.text);
        if (!value) {
            throw AdminError(exitProblems, where + amountFault(amountField.text));
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
