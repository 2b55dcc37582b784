#include "gold/gold_journal.h"

#include "base/text/text_rules.h"

#include <charconv>
#include <utility>

namespace quorvel {
namespace {

std::string signedChange(std::int64_t change) {
    return (change >= 0 ? "+" : "-") +
           std::to_string(change >= 0 ? static_cast<std::uint64_t>(change)
                                      : 0u - static_cast<std::uint64_t>(change));
}

} // namespace

JournalEntry GoldJournal::goldChanged(const ChangeCause& cause, std::string_view account,
                                      std::int64_t change, std::uint32_t after) {
    return {cause, std::string(account), "gold", signedChange(change), std::to_string(after)};
}

JournalEntry GoldJournal::itemChanged(const ChangeCause& cause, std::string_view account,
                                      std::string_view item, std::int64_t change,
                                      std::int32_t after) {
    return {cause, std::string(account), std::string(item), signedChange(change),
            std::to_string(after)};
}

JournalEntry GoldJournal::inventoryCreated(const ChangeCause& cause, std::string_view account) {
    return {cause, std::string(account), "inventory", "new", "0"};
}

JournalEntry GoldJournal::goldWiped(const ChangeCause& cause, bool reloaded,
                                    std::size_t accountsAfter) {
    return {cause, "*", "gold", reloaded ? "reload" : "reset", std::to_string(accountsAfter)};
}

JournalEntry GoldJournal::inventoryWiped(const ChangeCause& cause, bool reloaded,
                                         std::size_t recordsAfter) {
    return {cause, "*", "inventory", reloaded ? "reload" : "reset", std::to_string(recordsAfter)};
}

JournalEntry GoldJournal::goldSaved(Word bot, std::size_t accounts) {
    return {ChangeCause{"save", "-", bot}, "*", "gold", "saved", std::to_string(accounts)};
}

JournalEntry GoldJournal::inventorySaved(Word bot, std::size_t records) {
    return {ChangeCause{"save", "-", bot}, "*", "inventory", "saved", std::to_string(records)};
}

void GoldJournal::recordText(std::string& out, std::uint64_t seq,
                             const std::vector<JournalEntry>& lines) {
    const std::string seqText = std::to_string(seq);
    const std::string count = std::to_string(lines.size());
    std::size_t part = 0;
    for (const JournalEntry& entry : lines) {
        out += entry.time;
        for (std::string_view field :
             {std::string_view(entry.cause.what), std::string_view(entry.cause.who),
              std::string_view(entry.account), std::string_view(entry.field),
              std::string_view(entry.change), std::string_view(entry.after)}) {
            out += '\t';
            out += journalEscape(field);
        }
        out += '\t';
        out += std::to_string(entry.cause.bot);
        out += '\t';
        out += seqText;
        out += '\t';
        out += std::to_string(++part);
        out += '/';
        out += count;
        out += '\n';
    }
}

platform::Status GoldJournal::writeRecord(std::uint64_t seq,
                                          const std::vector<JournalEntry>& lines) {
    if (paused_ || held_ || lines.empty()) {
        return {};
    }
    if (!refusedBecause_.empty()) {
        return platform::Status::failed(refusedBecause_);
    }
    if (!file_) {
        if (platform::Status opened = files_.openAppendFile(fileName, file_); !opened.ok()) {
            return failed(std::move(opened));
        }
    }
    // A failed append may have left part of its record in the file.
    line_.assign(cutShort_ ? "\t\t\n" : "");
    recordText(line_, seq, lines);
    for (const JournalEntry& entry : lines) {
        if (entry.change == "saved") {
            (entry.field == "gold" ? goldSavedSinceRotation_ : inventorySavedSinceRotation_) = true;
        }
    }
    if (platform::Status written = file_->append(line_); !written.ok()) {
        cutShort_ = true;
        return failed(std::move(written));
    }
    cutShort_ = false;
    unsynced_ = true;
    return {};
}

platform::Status GoldJournal::rotateWhenDue() {
    if (!file_ || file_->size() <= rotateAbove || !goldSavedSinceRotation_ ||
        !inventorySavedSinceRotation_) {
        return {};
    }
    goldSavedSinceRotation_ = false;
    inventorySavedSinceRotation_ = false;
    // Not told when it fails: every line reached the operating system when
    // it was written, and the file is renamed all the same.
    static_cast<void>(file_->sync());
    file_.reset();
    unsynced_ = false;
    if (platform::Status moved = files_.renameFile(fileName, rotatedName); !moved.ok()) {
        return failed(std::move(moved));
    }
    return {};
}

platform::Status GoldJournal::syncToDisk() {
    if (!unsynced_) {
        return {};
    }
    unsynced_ = false;
    if (!file_) {
        return {}; // closed by a failed line, whose failure was returned then
    }
    if (platform::Status synced = file_->sync(); !synced.ok()) {
        return failed(std::move(synced));
    }
    return {};
}

platform::Status GoldJournal::failed(platform::Status why) {
    file_.reset();
    return why;
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
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F)) {
            // 0x80-0x9F after 0xC2 are C1 controls to a UTF-8 terminal.
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
