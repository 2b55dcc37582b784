#include "gold/gold_journal.h"

#include "frame/text/text_rules.h"

namespace quorvel {
namespace {

std::string signedChange(std::int64_t change) {
    return (change >= 0 ? "+" : "-") +
           std::to_string(change >= 0 ? static_cast<std::uint64_t>(change)
                                      : 0u - static_cast<std::uint64_t>(change));
}

} // namespace

GoldJournal::Cause::Cause(GoldJournal& journal, std::string_view what, std::string_view who)
    : journal_(journal), previousWhat_(std::move(journal.what_)),
      previousWho_(std::move(journal.who_)) {
    journal_.what_ = what;
    journal_.who_ = who;
}

GoldJournal::Cause::~Cause() {
    journal_.what_ = std::move(previousWhat_);
    journal_.who_ = std::move(previousWho_);
}

void GoldJournal::goldChanged(std::string_view account, std::int64_t change, std::uint32_t after) {
    write(account, "gold", signedChange(change), std::to_string(after));
}

void GoldJournal::itemChanged(std::string_view account, std::string_view item, std::int64_t change,
                              std::int32_t after) {
    write(account, item, signedChange(change), std::to_string(after));
}

void GoldJournal::inventoryCreated(std::string_view account) {
    write(account, "inventory", "new", "0");
}

void GoldJournal::goldWiped(bool reloaded, std::size_t accountsAfter) {
    write("*", "gold", reloaded ? "reload" : "reset", std::to_string(accountsAfter));
}

void GoldJournal::inventoryWiped(bool reloaded, std::size_t recordsAfter) {
    write("*", "inventory", reloaded ? "reload" : "reset", std::to_string(recordsAfter));
}

void GoldJournal::goldSaved(std::size_t accounts) {
    Cause saving(*this, "save", "-");
    write("*", "gold", "saved", std::to_string(accounts));
    afterSave();
}

void GoldJournal::inventorySaved(std::size_t records) {
    Cause saving(*this, "save", "-");
    write("*", "inventory", "saved", std::to_string(records));
    afterSave();
}

void GoldJournal::write(std::string_view account, std::string_view field, std::string_view change,
                        std::string_view after) {
    if (paused_) {
        return;
    }
    if (!file_.isOpen()) {
        if (auto opened = file_.open(fileName); !opened) {
            fail(opened.error);
            return;
        }
    }
    // A failed append may have left part of its line in the file.
    std::string line = cutShort_ ? "\t\t\n" : "";
    line += platform::utcTimestamp();
    for (std::string_view part :
         {std::string_view(what_), std::string_view(who_), account, field, change, after}) {
        line += '\t';
        line += journalEscape(part);
    }
    line += '\n';
    if (auto written = file_.append(line); !written) {
        cutShort_ = true;
        fail(written.error);
        return;
    }
    cutShort_ = false;
    failing_ = false;
    unsynced_ = true;
}

void GoldJournal::afterSave() {
    if (!file_.isOpen() || file_.size() <= rotateAbove) {
        return;
    }
    file_.sync();
    file_.close();
    if (auto moved = platform::renameFile(fileName, rotatedName); !moved) {
        fail(moved.error);
    }
    unsynced_ = false;
}

void GoldJournal::syncToDisk() {
    if (!unsynced_) {
        return;
    }
    unsynced_ = false;
    if (auto synced = file_.sync(); !synced) {
        fail(synced.error);
    }
}

void GoldJournal::fail(const std::string& why) {
    // One report per run of failures: the console is not flooded while the
    // disk stays full, and a later failure after a recovery is told again.
    file_.close();
    if (!failing_) {
        failing_ = true;
        problem_ = "gold.log cannot be written (" + why +
                   "); gold changes are kept in memory until the next save.";
    }
}

std::optional<std::string> GoldJournal::takeProblem() {
    std::optional<std::string> taken;
    taken.swap(problem_);
    return taken;
}

std::string journalEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\t':
            escaped += "\\t";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\\':
            escaped += "\\\\";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string journalUnescape(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        char next = text[++i];
        plain += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return plain;
}

} // namespace quorvel
