// A short generated session against the real module: it must run to its
// end, keep its counts consistent, play the same session for the same seed,
// and leave the store's files behind.
#include "lib/generator.h"
#include "lib/module_loader.h"
#include "lib/session.h"
#include "lib/workdir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

using namespace quorvel::host;

namespace {

// One whole session in a fresh folder, which is the module's working
// directory while it runs.
struct Played {
    GenerateResult result;
    bool goldFileSaved = false;
    std::uintmax_t goldFileSize = 0;
    std::size_t playersAtEnd = 0;
};

Played playGenerated(const GenerateOptions& options) {
    std::filesystem::path dir = makeFreshFolder();
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    Played played;
    {
        LoadedModule module{QUORVEL_MODULE_PATH};
        Session session(module.talk(), nullptr, dir);
        played.result = generateSession(session, options);
        played.playersAtEnd = session.arena().players().size();
        std::error_code ec;
        played.goldFileSize = std::filesystem::file_size(dir / "gold.dat", ec);
        played.goldFileSaved = !ec;
    }
    std::filesystem::current_path(before);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return played;
}

TEST(HostGenerator, ShortSessionRunsToItsEndWithConsistentCounts) {
    GenerateOptions options;
    options.players = 4;
    options.seconds = 60;
    options.movesPerSecond = 3;
    options.seed = 7;
    Played played = playGenerated(options);
    const GenerateResult& r = played.result;

    EXPECT_EQ(r.ticks, 60u);
    EXPECT_TRUE(r.economyAtStart.empty()); // a fresh folder
    // Every player in the arena moves three times a second; departures and
    // arrivals keep the arena near four.
    EXPECT_GE(r.moves, 60u * 3u * 2u);
    EXPECT_LE(r.moves, 60u * 3u * (4u + r.entered));
    EXPECT_GE(r.kills, 30u);
    EXPECT_GE(r.commands, 8u); // the staff's switches at least
    EXPECT_GE(r.entered, 4u);
    // Each action that reaches the module is one call at least, and the
    // zone's reports (warps, ship corrections) add more.
    EXPECT_GE(r.eventsSent, r.moves + r.kills + r.ticks + r.entered);
    EXPECT_GT(r.recordsReceived, r.entered); // a greeting for every arrival at least
    EXPECT_GT(r.inTalk.count(), 0);
    EXPECT_LE(r.inTalk, r.wall);
    // The bot, the staff member and the pilots still there.
    EXPECT_EQ(played.playersAtEnd, 2 + r.entered - r.left);
    // The store was on: the accounts are saved at the end, 24 bytes each.
    EXPECT_TRUE(played.goldFileSaved);
    EXPECT_EQ(played.goldFileSize % 24, 0u);

    // The same seed plays the same session; another seed another one.
    Played again = playGenerated(options);
    EXPECT_EQ(again.result.actions, r.actions);
    EXPECT_EQ(again.result.eventsSent, r.eventsSent);
    EXPECT_EQ(again.result.recordsReceived, r.recordsReceived);
    options.seed = 8;
    Played other = playGenerated(options);
    EXPECT_NE(other.result.eventsSent, r.eventsSent);
}

TEST(HostGenerator, ReportNamesEveryFigure) {
    GenerateOptions options;
    GenerateResult r;
    r.eventsSent = 3000;
    r.recordsReceived = 40;
    r.wall = std::chrono::seconds(2);
    r.inTalk = std::chrono::milliseconds(500);
    std::string text = describeResult(options, r, {std::uint64_t{3} * 1024 * 1024, "getrusage"});
    EXPECT_NE(text.find("100 players, 3600 s, 4 moves a second each"), std::string::npos) << text;
    options.movesPerSecond = 1;
    EXPECT_NE(describeResult(options, r, {}).find("3600 s, 1 move a second each"),
              std::string::npos);
    options.movesPerSecond = 4;
    EXPECT_NE(text.find("events sent to talk:  3000\n"), std::string::npos) << text;
    EXPECT_NE(text.find("records received:     40\n"), std::string::npos) << text;
    EXPECT_NE(text.find("wall time:            2.000 s\n"), std::string::npos) << text;
    EXPECT_NE(text.find("events per second:    1500\n"), std::string::npos) << text;
    EXPECT_NE(text.find("time inside talk:     0.500 s (25.0 % of the wall time)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("peak memory:          3.0 MiB (getrusage)"), std::string::npos) << text;
    std::string unmeasured = describeResult(options, r, {std::nullopt, "not measured"});
    EXPECT_NE(unmeasured.find("peak memory:          not measured"), std::string::npos);
    // Whether the session began with an economy of its own.
    EXPECT_NE(text.find("economy at start:     none (the counts a seed fixes)\n"),
              std::string::npos)
        << text;
    r.economyAtStart = {"gold.dat", "gold.log"};
    text = describeResult(options, r, {std::nullopt, "not measured"});
    EXPECT_NE(text.find("economy at start:     gold.dat, gold.log of an earlier session"),
              std::string::npos)
        << text;
}

// The generated sessions docs/performance.md quotes: each short one is played
// again here and must print the counts the page shows (the hour's first
// minute is the same session's start; the hour itself takes minutes in a
// debug build and is left to the page's own command).
TEST(HostGenerator, TheCountsThePerformancePageQuotesAreWhatItPrints) {
    std::ifstream page(QUORVEL_SOURCE_DIR "/docs/performance.md");
    ASSERT_TRUE(page) << "docs/performance.md";
    const std::regex header(
        "generated session: (\\d+) players, (\\d+) s, (\\d+) moves? a second each, seed (\\d+)");
    // The lines that hold counts; times and memory vary from run to run.
    const std::vector<std::string> counted = {
        "generated session:", "actions played:", "economy at start:", "events sent to talk:",
        "records received:"};
    const auto countLines = [&counted](std::istream& in, std::string first) {
        std::string lines;
        for (std::string line = std::move(first); in; std::getline(in, line)) {
            if (line.starts_with("```")) {
                break;
            }
            for (const std::string& label : counted) {
                lines += line.starts_with(label) ? line + "\n" : "";
            }
        }
        return lines;
    };
    std::size_t quoted = 0, checked = 0;
    for (std::string line; std::getline(page, line);) {
        std::smatch found;
        if (!std::regex_match(line, found, header)) {
            continue;
        }
        ++quoted;
        GenerateOptions options;
        options.players = std::stoi(found[1]);
        options.seconds = std::stoll(found[2]);
        options.movesPerSecond = std::stoi(found[3]);
        options.seed = static_cast<std::uint32_t>(std::stoul(found[4]));
        const std::string shown = countLines(page, line);
        EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 5) << shown;
        if (options.seconds > 600) {
            continue;
        }
        ++checked;
        const Played played = playGenerated(options);
        std::istringstream printed(describeResult(options, played.result, {}));
        std::string first;
        std::getline(printed, first);
        EXPECT_EQ(countLines(printed, first), shown);
    }
    EXPECT_GE(quoted, 2u); // the hour and a shorter session
    EXPECT_GE(checked, 1u);
}

#if !defined(_WIN32)
TEST(HostGenerator, PeakMemoryIsMeasured) {
    PeakMemory memory = peakMemory();
    ASSERT_TRUE(memory.bytes.has_value());
    EXPECT_GT(*memory.bytes, 1024u * 1024u); // a running test program holds more than a MiB
}
#endif

} // namespace
