#include "gold/database_settings.h"

#include "base/text/text_rules.h"

#include <array>

namespace quorvel {
namespace {

constexpr const char* settingsFileName = "quorvel.ini";
constexpr std::string_view section = "Database";
// Room for a number: far more than any number needs, so that a value cut
// to the room is never read as some shorter number.
constexpr std::size_t numberRoom = 64;
// The reader drops the last character of a quoted value that exactly fills
// its room: two more than the longest value allowed tells a longer value
// from one that fits, quoted or not.
constexpr std::size_t roomToSeeACut = 2;

std::string where(std::string_view key) {
    return "quorvel.ini error: " + std::string(section) + ":" + std::string(key);
}

struct NumberKey {
    std::string_view key;
    std::int32_t fallback;
    std::int32_t least;
    std::int32_t most;
    std::int32_t DatabaseSettings::*field;
};

constexpr std::array<NumberKey, 4> numberKeys{{
    {"PollSeconds", 1, 1, 3600, &DatabaseSettings::pollSeconds},
    {"LoginTimeout", 5, 1, 300, &DatabaseSettings::loginTimeout},
    {"NetworkTimeoutMs", 5000, 100, 600000, &DatabaseSettings::networkTimeoutMs},
    {"TerminateWaitMs", 2000, 0, 60000, &DatabaseSettings::terminateWaitMs},
}};

class SectionReader {
public:
    SectionReader(platform::Platform& system, const std::string& folder)
        : system_(system), path_(platform::joinPath(folder, settingsFileName)) {}

    std::string text(std::string_view key, std::string_view fallback, std::size_t room) {
        return system_.readIniValue(path_, section, key, fallback, room);
    }

    // A whole number in [least, most], or nothing (a value too long for its
    // room is no number).
    std::optional<std::int32_t> number(std::string_view key, std::int32_t fallback,
                                       std::int32_t least, std::int32_t most) {
        const std::string value = text(key, decimal(fallback), numberRoom);
        if (value.size() >= numberRoom) {
            return std::nullopt;
        }
        const std::optional<std::int32_t> read = readInt32(value);
        if (!read || *read < least || *read > most) {
            return std::nullopt;
        }
        return read;
    }

private:
    platform::Platform& system_;
    std::string path_;
};

// Whether the attribute name of a connection string is a password's.
bool namesAPassword(std::string_view name) {
    const std::string bare = trim(name);
    return equalIgnoringCase(bare, "Pwd") || equalIgnoringCase(bare, "Password");
}

} // namespace

bool isValidHostId(std::string_view hostId) {
    if (hostId.empty() || hostId.size() > longestHostId) {
        return false;
    }
    for (const char c : hostId) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            return false;
        }
    }
    return true;
}

std::string connectionForDisplay(std::string_view connection) {
    // Attributes are NAME=VALUE separated by ";"; a value in braces runs to
    // the closing brace ("}}" inside is one brace) and may hold ";" and "=".
    std::string shown;
    std::size_t at = 0;
    while (at < connection.size()) {
        const std::size_t equals = connection.find('=', at);
        const std::size_t semicolon = connection.find(';', at);
        if (equals == std::string_view::npos ||
            (semicolon != std::string_view::npos && semicolon < equals)) {
            // No value here: the text up to the next ";" as it is.
            const std::size_t end =
                semicolon == std::string_view::npos ? connection.size() : semicolon + 1;
            shown += connection.substr(at, end - at);
            at = end;
            continue;
        }
        const std::string_view name = connection.substr(at, equals - at);
        std::size_t valueStart = equals + 1;
        while (valueStart < connection.size() && connection[valueStart] == ' ') {
            ++valueStart;
        }
        std::size_t valueEnd = valueStart;
        if (valueStart < connection.size() && connection[valueStart] == '{') {
            valueEnd = valueStart + 1;
            while (valueEnd < connection.size()) {
                if (connection[valueEnd] == '}') {
                    if (valueEnd + 1 < connection.size() && connection[valueEnd + 1] == '}') {
                        valueEnd += 2;
                        continue;
                    }
                    ++valueEnd;
                    break;
                }
                ++valueEnd;
            }
        }
        // The rest of the attribute, braced or not, up to its ";".
        const std::size_t end = connection.find(';', valueEnd);
        valueEnd = end == std::string_view::npos ? connection.size() : end;
        shown += connection.substr(at, equals + 1 - at);
        shown += namesAPassword(name) ? std::string_view("***")
                                      : connection.substr(equals + 1, valueEnd - equals - 1);
        if (end != std::string_view::npos) {
            shown += ';';
        }
        at = end == std::string_view::npos ? connection.size() : end + 1;
    }
    return shown;
}

DatabaseSettingsRead readDatabaseSettings(platform::Platform& system, const std::string& folder) {
    DatabaseSettingsRead read;
    DatabaseSettings& settings = read.settings;
    SectionReader ini(system, folder);
    std::vector<std::string> closedBecause;

    // A missing or empty Economy is the files of the folder, as before the
    // section existed. A value other than the two names says the operator
    // meant something the module cannot tell: maybe the shared economy, so
    // no private one of files is opened in its place.
    const std::string economy = foldedCopy(ini.text("Economy", "", 32));
    bool economyKnown = true;
    if (economy == "database") {
        settings.economy = EconomyKind::database;
    } else if (!economy.empty() && economy != "files") {
        economyKnown = false;
        closedBecause.push_back("Database:Economy is neither files nor database");
        read.findings.push_back(where("Economy") +
                                " must be files or database; the store stays closed");
    }
    const bool database = settings.economy == EconomyKind::database;
    // What a wrong Connection or HostId does: nothing while the files are
    // the economy; otherwise it keeps the store closed.
    const bool closing = database || !economyKnown;
    const std::string consequence =
        closing ? "; the store stays closed" : "; it is not used while Economy is files";

    settings.connection = ini.text("Connection", "", longestConnection + roomToSeeACut);
    if (settings.connection.size() > longestConnection) {
        // A connection string cut short reaches some other server, or none.
        settings.connection.clear();
        if (closing) {
            closedBecause.push_back("Database:Connection is too long");
        }
        read.findings.push_back(where("Connection") + " is longer than " +
                                std::to_string(longestConnection) + " characters and was cut" +
                                consequence);
    } else if (database && settings.connection.empty()) {
        closedBecause.push_back("Database:Connection is missing");
        read.findings.push_back(where("Connection") +
                                " is missing and Economy is database; the store stays closed");
    }

    settings.hostId = ini.text("HostId", "", longestHostId + roomToSeeACut);
    if (!settings.hostId.empty() && !isValidHostId(settings.hostId)) {
        settings.hostId.clear();
        if (closing) {
            closedBecause.push_back("Database:HostId is not a host's name");
        }
        read.findings.push_back(where("HostId") + " must be 1 to " + std::to_string(longestHostId) +
                                " visible characters without blanks" + consequence);
    } else if (database && settings.hostId.empty()) {
        closedBecause.push_back("Database:HostId is missing");
        read.findings.push_back(where("HostId") +
                                " is missing and Economy is database; the store stays closed");
    }

    for (const NumberKey& key : numberKeys) {
        const std::optional<std::int32_t> number =
            ini.number(key.key, key.fallback, key.least, key.most);
        if (!number) {
            read.findings.push_back(where(key.key) + " must be a number from " +
                                    decimal(key.least) + " to " + decimal(key.most) +
                                    "; the default " + decimal(key.fallback) + " is used");
        }
        settings.*key.field = number.value_or(key.fallback);
    }
    const std::optional<std::int32_t> offline = ini.number("OfflinePurchases", 0, 0, 1);
    if (!offline) {
        read.findings.push_back(where("OfflinePurchases") +
                                " must be 0 or 1; the default 0 is used");
    }
    settings.offlinePurchases = offline.value_or(0) == 1;

    if (!closedBecause.empty()) {
        std::string reason;
        for (const std::string& part : closedBecause) {
            reason += (reason.empty() ? "" : ", ") + part;
        }
        read.storeClosedBecause = reason;
    }
    return read;
}

} // namespace quorvel
