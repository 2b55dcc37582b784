#include "zombies/ghoulset_file.h"

#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/text/text_rules.h"
#include "zombies/zombie_game.h"
#include "zombies/zombies.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace quorvel {
namespace {

constexpr std::string_view saveFailedText = "Ghoulset.ini could not be saved: ";
constexpr std::string_view unreadableText = "Could not read Ghoulset.ini: ";
constexpr std::string_view unreadableAfterText =
    ". The zombies game plays with the default settings, and Ghoulset.ini is not saved until it "
    "can be read.";

// The highest corner that still lies on the 1024-tile map.
constexpr std::int32_t mapEdge = 1024;

// What an editor that saves in UTF-8 may put before the first number.
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// One number: white space, an optional sign, then at least one digit. A
// number too large for 32 bits is held at the nearest end of the range
// rather than wrapped.
std::optional<std::int32_t> nextNumber(std::string_view text, std::size_t& at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    std::size_t pos = at;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9') {
        return std::nullopt;
    }
    constexpr std::int64_t cap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (magnitude <= cap) {
            magnitude = magnitude * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    at = pos;
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        value = std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        value = std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

void deriveSanctuary(ZombieGame& game) {
    game.sanctuaryOn = game.sanctuaryMaxX != 0 && game.sanctuaryMaxY != 0 &&
                       game.sanctuaryMaxX <= mapEdge && game.sanctuaryMaxY <= mapEdge;
}

} // namespace

std::string ghoulsetText(const ZombieGame& game) {
    const std::string_view lineEnd = platform::textLineEnd();
    std::string text;
    text += decimal(game.humanTeam) + " " + decimal(game.humanShip);
    text += lineEnd;
    text += decimal(game.zombieTeam) + " " + decimal(game.zombieShip);
    text += lineEnd;
    text += decimal(game.sanctuaryMinX) + " " + decimal(game.sanctuaryMinY) + " " +
            decimal(game.sanctuaryMaxX) + " " + decimal(game.sanctuaryMaxY);
    return text;
}

std::size_t readGhoulsetText(ZombieGame& game, std::string_view text) {
    const std::array<std::int32_t*, 8> fields = {
        &game.humanTeam,     &game.humanShip,     &game.zombieTeam,    &game.zombieShip,
        &game.sanctuaryMinX, &game.sanctuaryMinY, &game.sanctuaryMaxX, &game.sanctuaryMaxY,
    };
    std::size_t at = text.starts_with(byteOrderMark) ? byteOrderMark.size() : 0;
    std::size_t read = 0;
    for (std::int32_t* field : fields) {
        std::optional<std::int32_t> value = nextNumber(text, at);
        if (!value) {
            break; // a short or damaged file keeps the rest as it was
        }
        *field = *value;
        ++read;
    }
    deriveSanctuary(game);
    return read;
}

void applyMissingGhoulset(ZombieGame& game) {
    ZombieSettings& settings = game;
    settings = ZombieSettings{};
    deriveSanctuary(game);
}

platform::Status saveZombieSettings(platform::FileSystem& files, const ZombieGame& game) {
    if (!game.ghoulsetUnreadable.empty()) {
        return platform::Status::failed("it could not be read when the settings were loaded (" +
                                        game.ghoulsetUnreadable +
                                        "), and a save would overwrite them");
    }
    return files.replaceFile(ghoulsetFileName, ghoulsetText(game));
}

GhoulsetRead readZombieSettings(ZombieGame& game) {
    GhoulsetRead result;
    std::string bytes;
    result.read = game.bot.os->readFile(ghoulsetFileName, bytes);
    game.ghoulsetUnreadable.clear();
    if (result.read.ok()) {
        result.numbersRead = readGhoulsetText(game, bytes);
        return result;
    }
    applyMissingGhoulset(game);
    if (result.read.isFailed()) {
        game.ghoulsetUnreadable = result.read.reason();
        result.findings.push_back(std::string(unreadableText) + result.read.reason() +
                                  std::string(unreadableAfterText));
    }
    return result;
}

void loadZombieSettings(ZombieGame& game) {
    sendConsoleLines(game.bot, readZombieSettings(game).findings);
}

void saveZombieSettingsAtExit(ZombieGame& game) {
    platform::Status saved = saveZombieSettings(*game.bot.os, game);
    if (!saved.ok()) {
        sendConsole(game.bot, std::string(saveFailedText) + saved.reason());
    }
}

} // namespace quorvel
