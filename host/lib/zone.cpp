#include "lib/zone.h"

#include "lib/text.h"

#include <charconv>
#include <optional>

namespace quorvel::host {

namespace {

std::optional<std::int64_t> number(std::string_view text) {
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool takePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

void unknown(ZoneOutcome& out, const std::string& text, const std::string& why) {
    out.notes.push_back("unknown zone command " + quoteText(text) + ": " + why);
}

void spectate(PlayerSlot& p, ZoneOutcome& out) {
    p.record.ship = 8;
    out.notes.push_back(quoteText(p.name()) + " is put into spectator mode");
    out.reports.push_back({PlayerSpectating, &p, {}});
}

void carryOutPublic(const std::string& text, Arena& arena, ZoneOutcome& out) {
    std::string_view rest = text;
    if (text == "?jackpot") {
        std::string answer =
            "Current Jackpot: " + arena.jackpotAnswer.value_or(std::to_string(arena.jackpot));
        out.notes.push_back("answers with the arena message " + quoteText(answer));
        out.reports.push_back({ChatMessage, nullptr, answer, true});
    } else if (takePrefix(rest, "*arena ")) {
        // Everyone sees it, the bot too: the ChatMessage that follows in the
        // transcript is the whole story, so no note of its own.
        out.reports.push_back({ChatMessage, nullptr, std::string(rest)});
    } else if (takePrefix(rest, "*objon ")) {
        auto n = number(rest);
        if (!n || *n < 0 || *n > 0xffffffffLL) {
            unknown(out, text, "no object number");
            return;
        }
        arena.objectsOn.push_back(static_cast<std::uint32_t>(*n));
        out.notes.push_back("object " + std::to_string(*n) + " switched on");
    } else if (text == "*timereset") {
        arena.timerMinutes = 0;
        out.notes.push_back("game timer reset");
    } else if (takePrefix(rest, "*timer ")) {
        auto n = number(rest);
        if (!n || *n < 0 || *n > 0x7fffffffLL) {
            unknown(out, text, "no minutes");
            return;
        }
        arena.timerMinutes = static_cast<std::int32_t>(*n);
        out.notes.push_back("game timer set to " + std::to_string(*n) + " minutes");
    } else if (text == "*lock") {
        arena.locked = !arena.locked;
        out.notes.push_back(arena.locked ? "arena locked" : "arena unlocked");
    } else if (text == "*specall") {
        out.notes.push_back("everyone into spectator mode");
        for (auto& p : arena.players()) {
            if (p->record.ship != 8) {
                spectate(*p, out);
            }
        }
    } else {
        unknown(out, text, "not a public zone command");
    }
}

// The private commands below get the whole line and what follows the
// command word.

void setShip(const std::string& text, std::string_view rest, PlayerSlot& p, ZoneOutcome& out) {
    auto n = number(rest);
    if (!n || *n < 1 || *n > 8) {
        unknown(out, text, "ship must be 1 to 8");
        return;
    }
    std::string who = quoteText(p.name());
    auto ship = static_cast<std::uint8_t>(*n - 1);
    if (p.record.ship == ship) {
        out.notes.push_back(who + " is already in ship " + std::to_string(*n));
        return;
    }
    p.record.ship = ship;
    out.notes.push_back(who + " is put into ship " + std::to_string(*n));
    out.reports.push_back({PlayerShipChanged, &p, {}});
}

void setFreq(const std::string& text, std::string_view rest, PlayerSlot& p, ZoneOutcome& out) {
    auto n = number(rest);
    if (!n || *n < 0 || *n > 65535) {
        unknown(out, text, "freq must be 0 to 65535");
        return;
    }
    std::string who = quoteText(p.name());
    if (p.record.team == *n) {
        out.notes.push_back(who + " is already on freq " + std::to_string(*n));
        return;
    }
    p.record.team = static_cast<std::uint16_t>(*n);
    out.notes.push_back(who + " is moved to freq " + std::to_string(*n));
    out.reports.push_back({PlayerTeamChanged, &p, {}});
}

void warpTo(const std::string& text, std::string_view rest, PlayerSlot& p, ZoneOutcome& out) {
    const auto blank = rest.find(' ');
    const auto onMap = [](const std::optional<std::int64_t>& n) {
        return n && *n >= -65536 && *n <= 65536;
    };
    const auto x = number(rest.substr(0, blank));
    if (blank == std::string_view::npos || !onMap(x)) {
        unknown(out, text, "needs two tile numbers");
        return;
    }
    const auto y = number(rest.substr(blank + 1));
    if (!onMap(y)) {
        unknown(out, text, "needs two tile numbers");
        return;
    }
    PlayerRecord& r = p.record;
    r.tileX = static_cast<std::int32_t>(*x);
    r.tileY = static_cast<std::int32_t>(*y);
    r.pixelX = r.tileX * 16;
    r.pixelY = r.tileY * 16;
    out.notes.push_back(quoteText(p.name()) + " is warped to tile " + std::to_string(r.tileX) +
                        " " + std::to_string(r.tileY));
    out.reports.push_back({PlayerMoved, &p, {}});
}

// "*prize #N" and "*prize#N" give prize N (-20 takes the anti-warp away);
// "*prize N" sets the bounty.
void prize(const std::string& text, std::string_view rest, PlayerSlot& p, ZoneOutcome& out) {
    bool numbered = takePrefix(rest, "#") || takePrefix(rest, " #");
    if (!numbered && !takePrefix(rest, " ")) {
        unknown(out, text, "not a prize");
        return;
    }
    auto n = number(rest);
    if (!n || (numbered && (*n < -1000 || *n > 1000)) ||
        (!numbered && (*n < 0 || *n > 0x7fffffffLL))) {
        unknown(out, text, "bad prize number");
        return;
    }
    std::string who = quoteText(p.name());
    if (!numbered) {
        p.bounty = static_cast<std::int32_t>(*n);
        out.notes.push_back(who + " gets bounty " + std::to_string(*n));
        return;
    }
    p.prizes.push_back(static_cast<int>(*n));
    if (*n == -20) {
        p.record.antiwarpOn = 0;
        out.notes.push_back(who + " loses the anti-warp");
    } else {
        out.notes.push_back(who + " gets prize " + std::to_string(*n));
    }
}

void carryOutPrivate(const std::string& text, PlayerSlot& p, ZoneOutcome& out) {
    PlayerRecord& r = p.record;
    std::string who = quoteText(p.name());
    std::string_view rest = text;
    if (takePrefix(rest, "*setship ")) {
        setShip(text, rest, p, out);
    } else if (takePrefix(rest, "*setfreq ")) {
        setFreq(text, rest, p, out);
    } else if (text == "*spec") {
        if (r.ship == 8) {
            out.notes.push_back(who + " is already in spectator mode");
            return;
        }
        spectate(p, out);
    } else if (takePrefix(rest, "*warpto ")) {
        warpTo(text, rest, p, out);
    } else if (takePrefix(rest, "*prize")) {
        prize(text, rest, p, out);
    } else if (takePrefix(rest, "*points ")) {
        auto n = number(rest);
        if (!n || *n < -0x7fffffffLL || *n > 0x7fffffffLL) {
            unknown(out, text, "bad points");
            return;
        }
        r.flagPoints = static_cast<std::int32_t>(r.flagPoints + *n);
        out.notes.push_back(who + " gets " + std::to_string(*n) + " points");
    } else if (text == "*scorereset") {
        r.flagPoints = 0;
        r.wins = 0;
        r.losses = 0;
        out.notes.push_back(who + " has the score reset");
    } else {
        unknown(out, text, "not a private zone command");
    }
}

} // namespace

ZoneOutcome carryOut(const Received& line, Arena& arena) {
    ZoneOutcome out;
    // A zone takes a chat line of at most this many bytes; a longer one
    // never reaches anybody, and a command in it is not carried out.
    constexpr std::size_t longestLine = 240;
    if (line.code == Say && line.text.size() > longestLine) {
        out.notes.push_back("refuses a line of " + std::to_string(line.text.size()) +
                            " bytes: a chat line holds at most " + std::to_string(longestLine));
        return out;
    }
    if (line.code != Say || line.text.empty() || (line.text[0] != '*' && line.text[0] != '?')) {
        return out;
    }
    if (line.chatType == Public) {
        carryOutPublic(line.text, arena, out);
    } else if (line.chatType == Private) {
        PlayerSlot* p = arena.findIdent(static_cast<std::uint16_t>(line.target));
        if (p == nullptr || line.target > 65535) {
            unknown(out, line.text, "no player with ident " + std::to_string(line.target));
        } else {
            carryOutPrivate(line.text, *p, out);
        }
    } else {
        unknown(out, line.text,
                "chat type " + std::to_string(line.chatType) + " carries no commands");
    }
    return out;
}

} // namespace quorvel::host
