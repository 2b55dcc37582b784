#include "base/platform/ini_reader.h"

namespace quorvel::platform {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

bool isQuoted(std::string_view value) {
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

std::string_view unquote(std::string_view value) {
    return isQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// The value of `key` as it stands in the file (blanks around it dropped,
// quotes kept), or nothing when the section or key is missing, or when the
// key's line has no "=" (the key is there without a value, which reads as
// missing).
std::optional<std::string_view> findRawValue(std::string_view content, std::string_view section,
                                             std::string_view key) {
    bool inSection = false;
    bool sectionSeen = false;
    while (!content.empty()) {
        // A line ends at LF or at CR: CR LF, LF and old CR-only files all read.
        std::size_t end = content.find_first_of("\r\n");
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
        line = trimBlanks(line);
        if (line.empty()) {
            continue;
        }
        // A section's name runs to the last "]" of its line; a "[" line
        // without one is no section header and leaves the section as it was.
        std::size_t close = line.front() == '[' ? line.rfind(']') : std::string_view::npos;
        if (close != std::string_view::npos) {
            if (sectionSeen && inSection) {
                return std::nullopt; // only the first matching section is read
            }
            inSection = sameName(trimBlanks(line.substr(1, close - 1)), section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.front() == ';') {
            continue;
        }
        std::size_t equals = line.find('=');
        if (sameName(trimBlanks(line.substr(0, equals)), key)) {
            if (equals == std::string_view::npos) {
                return std::nullopt;
            }
            return trimBlanks(line.substr(equals + 1));
        }
    }
    return std::nullopt;
}

// The value as a buffer of maxLength + 1 bytes receives it from the Windows
// profile reader: quotes come off a quoted value only when the closing one
// fits in the buffer, and the last character kept makes way for it, so a
// quoted value of exactly maxLength characters loses its last one.
std::string cutLikeTheProfileReader(std::string_view value, std::size_t maxLength) {
    const bool quoted = isQuoted(value);
    if (quoted) {
        value.remove_prefix(1); // the closing quote stays, as in the buffer
    }
    std::string kept(value.substr(0, maxLength));
    if (quoted && value.size() <= maxLength + 1 && !kept.empty()) {
        kept.pop_back();
    }
    return kept;
}

} // namespace

std::optional<std::string> findIniValue(std::string_view content, std::string_view section,
                                        std::string_view key) {
    std::optional<std::string_view> raw = findRawValue(content, section, key);
    if (!raw) {
        return std::nullopt;
    }
    return std::string(unquote(*raw));
}

std::string iniValueOrDefault(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxLength) {
    std::optional<std::string_view> raw = findRawValue(content, section, key);
    return cutLikeTheProfileReader(raw ? *raw : fallback, maxLength);
}

} // namespace quorvel::platform
