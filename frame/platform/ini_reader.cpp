#include "frame/platform/ini_reader.h"

namespace quorvel::platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

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

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

} // namespace

std::optional<std::string> findIniValue(std::string_view content, std::string_view section,
                                        std::string_view key) {
    bool inSection = false;
    bool sectionSeen = false;
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view{} : content.substr(end + 1);
        line = trimBlanks(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            if (sectionSeen && inSection) {
                return std::nullopt; // only the first matching section is read
            }
            std::size_t close = line.find(']');
            std::string_view name = line.substr(1, close == std::string_view::npos ? line.npos
                                                                                   : close - 1);
            inSection = sameName(trimBlanks(name), section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection || line.front() == ';') {
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        if (sameName(trimBlanks(line.substr(0, equals)), key)) {
            return std::string(unquote(trimBlanks(line.substr(equals + 1))));
        }
    }
    return std::nullopt;
}

std::string iniValueOrDefault(std::string_view content, std::string_view section,
                              std::string_view key, std::string_view fallback,
                              std::size_t maxLength) {
    std::optional<std::string> found = findIniValue(content, section, key);
    std::string value = found ? *found : std::string(fallback);
    if (value.size() > maxLength) {
        value.resize(maxLength);
    }
    return value;
}

} // namespace quorvel::platform
