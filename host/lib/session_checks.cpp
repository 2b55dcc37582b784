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
        " unchecked lines");
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
    std::string what;
    std::string want;
    std::string got;
    auto numberAt = [&](std::size_t i) { return std::to_string(a.numbers.at(i)); };
    switch (a.state) {
    case StateKind::Ship: {
        PlayerSlot& p = player(a.name);
        what = "ship of " + quoteText(p.name());
        want = shipText(static_cast<std::uint8_t>(a.numbers.at(0)));
        got = shipText(p.record.ship);
        break;
    }
    case StateKind::Freq: {
        PlayerSlot& p = player(a.name);
        what = "freq of " + quoteText(p.name());
        want = numberAt(0);
        got = std::to_string(p.record.team);
        break;
    }
    case StateKind::Position: {
        PlayerSlot& p = player(a.name);
        what = "tile of " + quoteText(p.name());
        want = numberAt(0) + " " + numberAt(1);
        got = std::to_string(p.record.tileX) + " " + std::to_string(p.record.tileY);
        break;
    }
    case StateKind::Antiwarp: {
        PlayerSlot& p = player(a.name);
        what = "anti-warp of " + quoteText(p.name());
        want = a.numbers.at(0) != 0 ? "on" : "off";
        got = p.record.antiwarpOn != 0 ? "on" : "off";
        break;
    }
    case StateKind::Bounty: {
        PlayerSlot& p = player(a.name);
        what = "bounty of " + quoteText(p.name());
        want = numberAt(0);
        got = std::to_string(p.bounty);
        break;
    }
    case StateKind::Points: {
        PlayerSlot& p = player(a.name);
        what = "points of " + quoteText(p.name());
        want = numberAt(0);
        got = std::to_string(p.record.flagPoints);
        break;
    }
    case StateKind::Prizes: {
        PlayerSlot& p = player(a.name);
        what = "prizes of " + quoteText(p.name());
        want = listText(a.numbers);
        got = listText(std::vector<std::int64_t>(p.prizes.begin(), p.prizes.end()));
        break;
    }
    case StateKind::Gold: {
        what = "gold of " + quoteText(a.name) + " in gold.dat";
        want = a.absent ? "none" : numberAt(0);
        try {
            auto amount = goldOf(readGoldFile(fileIn("gold.dat")), a.name);
            got = amount ? std::to_string(*amount) : "none";
        } catch (const ScriptError& e) {
            got = std::string("unknown: ") + e.what();
        }
        break;
    }
    case StateKind::Lock:
        what = "arena lock";
        want = a.numbers.at(0) != 0 ? "on" : "off";
        got = arena().locked ? "on" : "off";
        break;
    case StateKind::Timer:
        what = "game timer";
        want = numberAt(0);
        got = std::to_string(arena().timerMinutes);
        break;
    case StateKind::Objects:
        what = "objects switched on";
        want = listText(a.numbers);
        got =
            listText(std::vector<std::int64_t>(arena().objectsOn.begin(), arena().objectsOn.end()));
        break;
    case StateKind::File: {
        bool found = false;
        std::string contents = readWholeFile(fileIn(a.name), found);
        what = "file " + a.name;
        want = a.absent ? "missing" : quoteText(a.text);
        got = found ? quoteText(contents) : "missing";
        break;
    }
    case StateKind::FileContains: {
        bool found = false;
        std::string contents = readWholeFile(fileIn(a.name), found);
        if (found && contents.find(a.text) != std::string::npos) {
            return std::nullopt;
        }
        what = "file " + a.name;
        want = "containing " + quoteText(a.text);
        got = found ? quoteText(contents) : "missing";
        break;
    }
    case StateKind::Players:
        what = "players in " + arena().title();
        want = numberAt(0);
        got = std::to_string(arena().players().size());
        break;
    case StateKind::Jackpot:
        what = "jackpot";
        want = numberAt(0);
        got = std::to_string(arena().jackpot);
        break;
    }
    if (want == got) {
        return std::nullopt;
    }
    return "expected: " + what + " " + want + "\n  found:    " + what + " " + got;
}

} // namespace quorvel::host
