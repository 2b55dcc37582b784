// The session's checks: the lines the module sent and the state of the
// arena and of the working directory; the wait for a file that another
// process writes; and the arena shown on request.
#include "lib/gold_file.h"
#include "lib/session.h"
#include "lib/text.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace quorvel::host {

namespace {

std::string readWholeFile(const std::filesystem::path& path, bool& found) {
    std::ifstream in(path, std::ios::binary);
    found = static_cast<bool>(in);
    return found ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())
                 : std::string();
}

std::string listText(const std::vector<std::int64_t>& numbers) {
    std::string text;
    for (std::int64_t n : numbers) {
        text += (text.empty() ? "" : " ") + std::to_string(n);
    }
    return text.empty() ? "(none)" : text;
}

// "3 unchecked lines" and the first ten of them, for failure reports.
std::string linesText(const std::deque<Received>& lines, std::string_view what) {
    std::string report = std::to_string(lines.size()) + " " + std::string(what) + " line" +
                         (lines.size() == 1 ? "" : "s");
    std::size_t shown = 0;
    for (const Received& r : lines) {
        if (++shown > 10) {
            report += "\n    ...";
            break;
        }
        report += "\n    " + describeReceived(r);
    }
    return report;
}

// What a state check looked at, the value it wants and the value found.
struct Comparison {
    std::string what;
    std::string want;
    std::string got;
};

std::string numberAt(const Action& a, std::size_t i) {
    return std::to_string(a.numbers.at(i));
}

Comparison playerState(const Action& a, const PlayerSlot& p) {
    std::string who = quoteText(p.name());
    const PlayerRecord& r = p.record;
    switch (a.state) {
    case StateKind::Ship:
        return {"ship of " + who, shipText(static_cast<std::uint8_t>(a.numbers.at(0))),
                shipText(r.ship)};
    case StateKind::Freq:
        return {"freq of " + who, numberAt(a, 0), std::to_string(r.team)};
    case StateKind::Position:
        return {"tile of " + who, numberAt(a, 0) + " " + numberAt(a, 1),
                std::to_string(r.tileX) + " " + std::to_string(r.tileY)};
    case StateKind::Antiwarp:
        return {"anti-warp of " + who, a.numbers.at(0) != 0 ? "on" : "off",
                r.antiwarpOn != 0 ? "on" : "off"};
    case StateKind::Bounty:
        return {"bounty of " + who, numberAt(a, 0), std::to_string(p.bounty)};
    case StateKind::Points:
        return {"points of " + who, numberAt(a, 0), std::to_string(r.flagPoints)};
    default: // StateKind::Prizes
        return {"prizes of " + who, listText(a.numbers),
                listText(std::vector<std::int64_t>(p.prizes.begin(), p.prizes.end()))};
    }
}

Comparison arenaState(const Action& a, const Arena& arena) {
    switch (a.state) {
    case StateKind::Lock:
        return {"arena lock", a.numbers.at(0) != 0 ? "on" : "off", arena.locked ? "on" : "off"};
    case StateKind::Timer:
        return {"game timer", numberAt(a, 0), std::to_string(arena.timerMinutes)};
    case StateKind::Objects:
        return {
            "objects switched on", listText(a.numbers),
            listText(std::vector<std::int64_t>(arena.objectsOn.begin(), arena.objectsOn.end()))};
    case StateKind::Players:
        return {"players in " + arena.title(), numberAt(a, 0),
                std::to_string(arena.players().size())};
    default: // StateKind::Jackpot
        return {"jackpot", numberAt(a, 0), std::to_string(arena.jackpot)};
    }
}

Comparison goldState(const Action& a, const std::filesystem::path& goldFile) {
    Comparison c{
        "gold of " + quoteText(a.name) + " in gold.dat", a.absent ? "none" : numberAt(a, 0), {}};
    try {
        auto amount = goldOf(readGoldFile(goldFile), a.name);
        c.got = amount ? std::to_string(*amount) : "none";
    } catch (const ScriptError& e) {
        c.got = std::string("unknown: ") + e.what();
    }
    return c;
}

// The whole file, or (FileContains) a part of it.
Comparison fileState(const Action& a, const std::filesystem::path& path) {
    bool found = false;
    std::string contents = readWholeFile(path, found);
    if (a.state == StateKind::FileContains) {
        std::string want = "containing " + quoteText(a.text);
        bool holds = found && contents.find(a.text) != std::string::npos;
        return {"file " + a.name, want, holds ? want : found ? quoteText(contents) : "missing"};
    }
    return {"file " + a.name, a.absent ? "missing" : quoteText(a.text),
            found ? quoteText(contents) : "missing"};
}

} // namespace

void Session::show(const std::string& name) {
    if (!name.empty()) {
        PlayerSlot& p = player(name);
        say("   " + describePlayer(p) + " points " + std::to_string(p.record.flagPoints) +
            ", wins " + std::to_string(p.record.wins) + ", losses " +
            std::to_string(p.record.losses) + ", bounty " + std::to_string(p.bounty));
        return;
    }
    const Arena& here = arena();
    say("   arena" + (here.name().empty() ? "" : " " + quoteText(here.name())) + ": " +
        std::to_string(here.players().size()) + " players, " + std::to_string(here.flagCount()) +
        " flags, " + (here.locked ? "locked" : "unlocked") + ", timer " +
        std::to_string(here.timerMinutes) + ", jackpot " + std::to_string(here.jackpot) +
        ", ticks " + std::to_string(ticks_) + ", " + std::to_string(pending().size()) +
        " unchecked lines, events to " + (here.eventsToEveryBot ? "every bot" : "the current bot"));
    for (auto& p : here.players()) {
        say("   " + describePlayer(*p));
    }
}

std::optional<std::string> Session::checkLine(const LineExpectation& want) {
    std::deque<Received>& pending = bot_->pending;
    if (want.later) {
        // Up to and including the first line that matches; all of them when
        // none does.
        std::deque<Received> passed;
        while (!pending.empty()) {
            passed.push_back(std::move(pending.front()));
            pending.pop_front();
            if (matches(want, passed.back())) {
                return std::nullopt;
            }
        }
        return "expected: a line " + describeExpected(want) + "\n  received: none among " +
               linesText(passed, "unchecked");
    }
    if (pending.empty()) {
        return "expected: " + describeExpected(want) + "\n  received: nothing (no line is left)";
    }
    Received got = pending.front();
    pending.pop_front();
    if (matches(want, got)) {
        return std::nullopt;
    }
    return "expected: " + describeExpected(want) + "\n  received: " + describeReceived(got);
}

std::optional<std::string> Session::checkNothingMore() {
    std::deque<Received>& pending = bot_->pending;
    if (pending.empty()) {
        return std::nullopt;
    }
    std::string report = "expected: nothing more\n  received: " + linesText(pending, "unchecked");
    pending.clear();
    return report;
}

// Another process may be writing the file; only its being there counts.
std::optional<std::string> Session::waitForFile(const std::string& name, std::int64_t seconds) {
    std::filesystem::path path = fileIn(name);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::error_code ec;
    while (!std::filesystem::exists(path, ec)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            std::string within = std::to_string(seconds) + " s";
            return "expected: file " + name + " in the working directory within " + within +
                   "\n  found:    no file " + name + " after " + within;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    say("   " + name + " is there");
    return std::nullopt;
}

std::optional<std::string> Session::checkState(const Action& a) {
    Comparison c;
    switch (a.state) {
    case StateKind::Ship:
    case StateKind::Freq:
    case StateKind::Position:
    case StateKind::Antiwarp:
    case StateKind::Bounty:
    case StateKind::Points:
    case StateKind::Prizes:
        c = playerState(a, player(a.name));
        break;
    case StateKind::Gold:
        c = goldState(a, fileIn("gold.dat"));
        break;
    case StateKind::File:
    case StateKind::FileContains:
        c = fileState(a, fileIn(a.name));
        break;
    case StateKind::Lock:
    case StateKind::Timer:
    case StateKind::Objects:
    case StateKind::Players:
    case StateKind::Jackpot:
        c = arenaState(a, arena());
        break;
    }
    if (c.want == c.got) {
        return std::nullopt;
    }
    return "expected: " + c.what + " " + c.want + "\n  found:    " + c.what + " " + c.got;
}

} // namespace quorvel::host
