#include "gold/gold_journal.h"

#include "base/text/text_rules.h"

#include <charconv>

namespace quorvel {
namespace {

std::string signedChange(std::int64_t change) {
    return (change >= 0 ? "+" : "-") +
           std::to_string(change >= 0 ? static_cast<std::uint64_t>(change)
                                      : 0u - static_cast<std::uint64_t>(change));
}

} // namespace

void GoldJournal::goldChanged(const ChangeCause& cause, std::string_view account,
                              std::int64_t change, std::uint32_t after) {
    write(cause, account, "gold", signedChange(change), std::to_string(after));
}

void GoldJournal::itemChanged(const ChangeCause& cause, std::string_view account,
                              std::string_view item, std::int64_t change, std::int32_t after) {
    write(cause, account, item, signedChange(change), std::to_string(after));
}

void GoldJournal::inventoryCreated(const ChangeCause& cause, std::string_view account) {
    write(cause, account, "inventory", "new", "0");
}

void GoldJournal::goldWiped(const ChangeCause& cause, bool reloaded, std::size_t accountsAfter) {
    write(cause, "*", "gold", reloaded ? "reload" : "reset", std::to_string(accountsAfter));
}

void GoldJournal::inventoryWiped(const ChangeCause& cause, bool reloaded,
                                 std::size_t recordsAfter) {
    write(cause, "*", "inventory", reloaded ? "reload" : "reset", std::to_string(recordsAfter));
}

void GoldJournal::goldSaved(Word bot, std::size_t accounts) {
    write(ChangeCause{"save", "-", bot}, "*", "gold", "saved", std::to_string(accounts));
    goldSavedSinceRotation_ = true;
    afterSave();
}

void GoldJournal::inventorySaved(Word bot, std::size_t records) {
    write(ChangeCause{"save", "-", bot}, "*", "inventory", "saved", std::to_string(records));
    inventorySavedSinceRotation_ = true;
    afterSave();
}

void GoldJournal::write(const ChangeCause& cause, std::string_view account, std::string_view field,
                        std::string_view change, std::string_view after) {
    if (paused_ || held_) {
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
    for (std::string_view part : {std::string_view(cause.what), std::string_view(cause.who),
                                  account, field, change, after}) {
        line += '\t';
        line += journalEscape(part);
    }
    line += '\t';
    line += std::to_string(cause.bot);
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
    if (!file_.isOpen() || file_.size() <= rotateAbove || !goldSavedSinceRotation_ ||
        !inventorySavedSinceRotation_) {
        return;
    }
    goldSavedSinceRotation_ = false;
    inventorySavedSinceRotation_ = false;
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
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (c == '\\') {
            escaped += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            escaped += "\\x";
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0xF];
        } else {
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
        unsigned byte = 0;
        if (next == 'x' && i + 2 < text.size() &&
            std::from_chars(&text[i + 1], &text[i + 3], byte, 16).ptr == &text[i + 3]) {
            plain += static_cast<char>(byte);
            i += 2;
            continue;
        }
        plain += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return plain;
}

} // namespace quorvel
