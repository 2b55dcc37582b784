// quorvel.ini's [Database] section: which economy a folder opens (today's
// files, or a database several hosts share over ODBC) and how the database
// is reached. Read when the folder's economy is opened, not with the
// services' numeric settings.
#pragma once

#include "base/platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

enum class EconomyKind { files, database };

struct DatabaseSettings {
    EconomyKind economy = EconomyKind::files;
    std::string connection; // an ODBC connection string
    std::string hostId;     // this host's name in the network, unique
    std::int32_t pollSeconds = 1;
    std::int32_t loginTimeout = 5; // seconds
    std::int32_t networkTimeoutMs = 5000;
    std::int32_t terminateWaitMs = 2000;
    bool offlinePurchases = false;
};

// The room a connection string has in quorvel.ini; a longer one is refused.
inline constexpr std::size_t longestConnection = 1024;
inline constexpr std::size_t longestHostId = 64;

struct DatabaseSettingsRead {
    DatabaseSettings settings;
    // Console lines, one per thing wrong, each saying what is used instead.
    std::vector<std::string> findings;
    // Set when the folder's store must stay closed, and why: a host meant to
    // share a database economy never opens a private one of files instead.
    std::optional<std::string> storeClosedBecause;
};

// The [Database] section of `folder`/quorvel.ini. A missing file or section
// gives the files economy without a word.
DatabaseSettingsRead readDatabaseSettings(platform::Platform& system, const std::string& folder);

// The connection string as consoles and tools show it: the value of every
// Pwd or Password attribute (whatever the case of its name) is "***".
std::string connectionForDisplay(std::string_view connection);

// Whether `hostId` may name a host: 1 to 64 characters, each a visible
// ASCII character (no blank, no control byte).
bool isValidHostId(std::string_view hostId);

} // namespace quorvel
