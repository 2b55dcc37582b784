// The report of an hour of generated play, checked as a person sees it:
// the page opened in headless Chromium loads without a console message, and
// its tables and charts show the numbers the files hold, worked out here
// from the raw files; at a phone's width and a desktop's, its text is big
// enough and no column is out of sight unseen. The screenshots stay in the
// build folder.
#include "admin_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>

namespace quorvel::admin::testing {
namespace {

namespace fs = std::filesystem;

const std::string artifacts = QUORVEL_ARTIFACT_DIR;
const std::string session = artifacts + "/admin-report-session";
const std::string page = artifacts + "/admin-report.html";
constexpr const char* chromium = "/usr/bin/chromium";

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string grouped(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return (value < 0 ? "-" : "") + digits;
}

std::string folded(std::string name) {
    for (char& c : name) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return name;
}

// What the page must show, from gold.dat and gold.log read here.
struct Expected {
    std::string richestName;
    std::uint32_t richestGold = 0;
    std::uint64_t circulation = 0;
    std::int64_t kills = 0, killGold = 0;
    std::int64_t teamKillGold = 0;
    std::string topPair; // "A & B N A a B b"
};

Expected expectedFromFiles() {
    Expected expected;
    const std::string accounts = readFile(session + "/gold.dat");
    std::map<std::string, bool> seen;
    for (std::size_t at = 0; at + 24 <= accounts.size(); at += 24) {
        std::uint32_t amount = 0;
        for (int byte = 3; byte >= 0; --byte) {
            amount = amount << 8 | static_cast<unsigned char>(accounts[at + byte]);
        }
        const std::string name(accounts.c_str() + at + 4);
        expected.circulation += amount;
        if (!seen[folded(name)] && amount > expected.richestGold) {
            expected.richestName = name;
            expected.richestGold = amount;
        }
        seen[folded(name)] = true;
    }
    struct Pair {
        std::string a, b;
        std::int64_t ab = 0, ba = 0;
    };
    std::map<std::pair<std::string, std::string>, Pair> pairs;
    // A record's lines carry its sequence number: a kill is one, whatever
    // lines it paid.
    std::string lastKillRecord;
    for (const std::string& line : splitText(readFile(session + "/gold.log"), '\n')) {
        const std::vector<std::string> fields = splitText(line, '\t');
        if ((fields.size() != 8 && fields.size() != 10) || fields[4] != "gold" ||
            (fields[5][0] != '+' && fields[5][0] != '-')) {
            continue;
        }
        const std::int64_t change = std::stoll(fields[5]);
        if (fields[1].rfind("kill ", 0) == 0) {
            const bool sameKill = fields.size() == 10 && fields[8] == lastKillRecord;
            lastKillRecord = fields.size() == 10 ? fields[8] : "";
            if (sameKill) {
                expected.killGold += change;
                continue;
            }
            ++expected.kills;
            expected.killGold += change;
            const std::string killer = fields[2], killed = fields[1].substr(5);
            const bool inOrder = folded(killer) <= folded(killed);
            Pair& pair = pairs[inOrder ? std::make_pair(folded(killer), folded(killed))
                                       : std::make_pair(folded(killed), folded(killer))];
            if (pair.a.empty()) {
                pair.a = inOrder ? killer : killed;
                pair.b = inOrder ? killed : killer;
            }
            ++(inOrder ? pair.ab : pair.ba);
        } else if (fields[1].rfind("team kill ", 0) == 0) {
            expected.teamKillGold += change;
        }
    }
    // Most kills first, then the most even pair, then by name.
    const Pair* top = nullptr;
    for (const auto& [key, pair] : pairs) {
        if (top == nullptr || pair.ab + pair.ba > top->ab + top->ba ||
            (pair.ab + pair.ba == top->ab + top->ba &&
             std::min(pair.ab, pair.ba) > std::min(top->ab, top->ba))) {
            top = &pair;
        }
    }
    if (top != nullptr) {
        expected.topPair = top->a + " & " + top->b + " " + std::to_string(top->ab + top->ba) + " " +
                           top->a + " " + std::to_string(top->ab) + " " + top->b + " " +
                           std::to_string(top->ba);
    }
    return expected;
}

// The text of one section of a page, tags taken out, blanks run together.
std::string sectionText(const std::string& html, const std::string& id) {
    const std::size_t start = html.find("<section id=\"" + id + "\"");
    if (start == std::string::npos) {
        return "";
    }
    const std::size_t end = html.find("</section>", start);
    std::string text =
        std::regex_replace(html.substr(start, end - start), std::regex("<[^>]*>"), " ");
    text = std::regex_replace(text, std::regex("&amp;"), "&");
    return std::regex_replace(text, std::regex("\\s+"), " ");
}

void expectTheNumbers(const std::string& html, const Expected& expected) {
    EXPECT_TRUE(contains(sectionText(html, "richest"),
                         " 1 " + expected.richestName + " " + grouped(expected.richestGold) + " "));
    const std::string summary = std::regex_replace(
        std::regex_replace(html, std::regex("<[^>]*>"), " "), std::regex("\\s+"), " ");
    EXPECT_TRUE(contains(summary, " " + grouped(static_cast<std::int64_t>(expected.circulation)) +
                                      " gold in circulation "));
    EXPECT_TRUE(contains(summary, " " + grouped(expected.kills) + " paid kills "));
    const std::string causes = sectionText(html, "by-cause");
    EXPECT_TRUE(contains(causes, " kills +" + grouped(expected.killGold) + " 0 " +
                                     grouped(expected.kills) + " "));
    EXPECT_TRUE(contains(causes, " team kills 0 " + grouped(expected.teamKillGold) + " "));
    const std::string staff = sectionText(html, "staff");
    EXPECT_TRUE(contains(staff, " Warden givegold Pilot3 +500 "));
    EXPECT_TRUE(contains(staff, " Warden givegold Pilot12 +250 "));
    EXPECT_TRUE(contains(staff, " Warden takegold Pilot3 -20 "));
    ASSERT_FALSE(expected.topPair.empty());
    EXPECT_TRUE(contains(sectionText(html, "pairs"), " other way " + expected.topPair + " "));
}

// A journal line written before records: time, cause, by, account, field,
// change and after; the bot is 1.
std::string line(const std::string& time, const std::string& cause, const std::string& account,
                 std::int64_t change, std::int64_t after) {
    return time + "\t" + cause + "\tMo\t" + account + "\tgold\t" + (change >= 0 ? "+" : "") +
           std::to_string(change) + "\t" + std::to_string(after) + "\t1\n";
}

// The SVG of one section, and in it the value axis read back from its grid
// labels, so that a drawn y turns into the gold it stands for.
struct Chart {
    std::string svg;
    double xLeft = 0, xRight = 0;
    double y0 = 0, perGold = 0; // y of 0, and the change of y for one gold
    std::vector<std::pair<char, std::vector<double>>> path;
    std::vector<std::pair<std::string, std::pair<double, double>>> labels; // text, x, y

    explicit Chart(const std::string& html, const std::string& id) {
        const std::size_t start = html.find("<section id=\"" + id + "\"");
        const std::size_t svgAt = html.find("<svg", start);
        svg = html.substr(svgAt, html.find("</svg>", svgAt) - svgAt);
        const std::regex label("<text x=\"([-0-9.]+)\" y=\"([-0-9.]+)\"[^>]*>([^<]*)</text>");
        for (auto it = std::sregex_iterator(svg.begin(), svg.end(), label);
             it != std::sregex_iterator(); ++it) {
            labels.push_back({(*it)[3], {std::stod((*it)[1]), std::stod((*it)[2])}});
        }
        // Grid lines, each with its value's label just after it.
        const std::regex grid("<line x1=\"([-0-9.]+)\" x2=\"([-0-9.]+)\" y1=\"([-0-9.]+)\" "
                              "y2=\"[-0-9.]+\"/><text[^>]*>([-0-9.]+)</text>");
        std::vector<std::pair<double, double>> values; // gold, y
        for (auto it = std::sregex_iterator(svg.begin(), svg.end(), grid);
             it != std::sregex_iterator(); ++it) {
            xLeft = std::stod((*it)[1]);
            xRight = std::stod((*it)[2]);
            values.emplace_back(std::stod((*it)[4]), std::stod((*it)[3]));
        }
        if (values.size() >= 2) {
            perGold = (values.back().second - values.front().second) /
                      (values.back().first - values.front().first);
            y0 = values.front().second - values.front().first * perGold;
        }
        std::smatch d;
        if (std::regex_search(svg, d, std::regex("<path class=\"line\" d=\"([^\"]*)\""))) {
            const std::string text = d[1];
            const std::regex command("([MHVL])([-0-9., ]*)");
            for (auto it = std::sregex_iterator(text.begin(), text.end(), command);
                 it != std::sregex_iterator(); ++it) {
                std::vector<double> numbers;
                for (const std::string& n : splitText(
                         std::regex_replace(std::string((*it)[2]), std::regex(","), " "), ' ')) {
                    if (!n.empty()) {
                        numbers.push_back(std::stod(n));
                    }
                }
                path.emplace_back(std::string((*it)[1])[0], numbers);
            }
        }
    }
    double gold(double y) const { return (y - y0) / perGold; }
    // The drawn line as steps: x where each level starts, and its gold.
    // Empty when the line is not made of level and upright strokes alone.
    std::vector<std::pair<double, double>> steps() const {
        std::vector<std::pair<double, double>> levels;
        double x = 0, y = 0;
        for (const auto& [command, numbers] : path) {
            if (command == 'M' && numbers.size() == 2) {
                x = numbers[0];
                y = numbers[1];
                levels.emplace_back(x, gold(y));
            } else if (command == 'H' && numbers.size() == 1) {
                x = numbers[0];
            } else if (command == 'V' && numbers.size() == 1) {
                y = numbers[0];
                if (!levels.empty() && std::abs(levels.back().first - x) < 0.01) {
                    levels.back().second = gold(y);
                } else {
                    levels.emplace_back(x, gold(y));
                }
            } else {
                return {};
            }
        }
        return levels;
    }
    // No two labels on top of each other.
    bool labelsApart() const {
        for (std::size_t a = 0; a < labels.size(); ++a) {
            for (std::size_t b = a + 1; b < labels.size(); ++b) {
                if (std::abs(labels[a].second.first - labels[b].second.first) < 30 &&
                    std::abs(labels[a].second.second - labels[b].second.second) < 10) {
                    return false;
                }
            }
        }
        return true;
    }
};

// The day of the week of a bar's date (2026-01-05 is a Monday: 1).
unsigned weekday(const std::string& date) {
    const std::chrono::year_month_day day{
        std::chrono::year{std::stoi(date.substr(0, 4))},
        std::chrono::month{static_cast<unsigned>(std::stoi(date.substr(5, 2)))},
        std::chrono::day{static_cast<unsigned>(std::stoi(date.substr(8, 2)))}};
    return std::chrono::weekday{std::chrono::sys_days{day}}.c_encoding();
}

// The bars of the earned-and-spent chart: each rect's title (its period
// first) and whether it is marked as a period the journal covers in part.
std::vector<std::pair<std::string, bool>> bars(const std::string& html) {
    const Chart chart(html, "by-cause");
    std::vector<std::pair<std::string, bool>> found;
    const std::regex rect("<rect ([^>]*)><title>([^<]*)</title>");
    for (auto it = std::sregex_iterator(chart.svg.begin(), chart.svg.end(), rect);
         it != std::sregex_iterator(); ++it) {
        found.emplace_back((*it)[2], std::string((*it)[1]).find("partial") != std::string::npos);
    }
    return found;
}

TEST(AdminReport, FiguresAgreeWithTheListingsAndTheChartsTellTheTruth) {
    {
        // A later record of a name already held is never used: neither
        // `gold` nor the report counts it, and a tie at tenth place is
        // broken the same way in both.
        Folder folder;
        std::string accounts;
        for (int i = 1; i <= 8; ++i) {
            accounts += goldRecord("Top" + std::to_string(i), static_cast<std::uint32_t>(1000 - i));
        }
        accounts += goldRecord("Zoe", 50) + goldRecord("kim", 50) + goldRecord("Adam", 50) +
                    goldRecord("ZOE", 5000);
        folder.write("gold.dat", accounts);
        const Outcome listed = admin({"gold", folder.path, "--top", "10", "--format", "csv"});
        ASSERT_EQ(listed.status, 0) << listed.err;
        std::int64_t sum = 0;
        std::string names;
        for (const std::string& row :
             splitText(admin({"gold", folder.path, "--format", "csv"}).out, '\n')) {
            if (row != "name,gold") {
                sum += std::stoll(row.substr(row.find(',') + 1));
            }
        }
        for (const std::string& row : splitText(listed.out, '\n')) {
            names += row == "name,gold" ? "" : " " + row.substr(0, row.find(',')) + " ";
        }
        const Outcome report = admin({"report", folder.path});
        ASSERT_EQ(report.status, 0) << report.err;
        EXPECT_TRUE(contains(report.out, "<b>" + grouped(sum) + "</b><span>gold in circulation"));
        std::string ranked;
        const std::regex row("<tr><td class=\"n\">[0-9]+</td><td>([^<]*)</td>");
        for (auto it = std::sregex_iterator(report.out.begin(), report.out.end(), row);
             it != std::sregex_iterator(); ++it) {
            ranked += " " + std::string((*it)[1]) + " ";
        }
        EXPECT_EQ(ranked, names) << listed.out;
    }
    {
        // Two gifts an hour apart to an account that held 1,000: the line
        // starts at 1,000, and half-way between the gifts it reads 1,100.
        Folder folder;
        folder.write("gold.dat", goldRecord("Al", 1000) + goldRecord("Bo", 0));
        folder.write("gold.log", line("2026-12-08T10:00:00Z", "givegold", "Al", 100, 1100) +
                                     line("2026-12-08T11:00:00Z", "givegold", "Al", 100, 1200));
        const Outcome report = admin({"report", folder.path});
        ASSERT_EQ(report.status, 0) << report.err;
        EXPECT_TRUE(contains(report.out, "<b>1,200</b><span>gold in circulation"));
        const Chart chart(report.out, "circulation");
        const auto steps = chart.steps();
        ASSERT_EQ(steps.size(), 3u) << chart.svg;
        EXPECT_NEAR(steps[0].second, 1000, 1);
        EXPECT_NEAR(steps[1].second, 1100, 1);
        EXPECT_NEAR(steps[2].second, 1200, 1);
        // The first level is drawn before the first gift, the last after
        // the second; the gifts an hour apart.
        EXPECT_LT(steps[0].first, steps[1].first - 1);
        EXPECT_LT(steps[1].first, steps[2].first - 100);
        EXPECT_TRUE(chart.labelsApart()) << chart.svg;
        // A page that ends between the gifts ends at what the accounts held
        // then, not at what they hold now.
        const Outcome until = admin({"report", folder.path, "--until", "2026-12-08T10:30"});
        ASSERT_EQ(until.status, 0) << until.err;
        const auto early = Chart(until.out, "circulation").steps();
        ASSERT_EQ(early.size(), 2u) << until.out;
        EXPECT_NEAR(early[0].second, 1000, 1);
        EXPECT_NEAR(early[1].second, 1100, 1);
    }
    {
        // Every change in one second, then in one minute: a step each,
        // labels apart, and no time past the journal's last.
        for (const auto& [end, after] :
             std::vector<std::pair<std::string, std::string>>{{"00", "01"}, {"59", "60"}}) {
            Folder folder;
            folder.write("gold.dat", goldRecord("Al", 500));
            folder.write("gold.log",
                         line("2026-12-08T10:00:00Z", "kill Bo", "Al", 5, 505) +
                             line("2026-12-08T10:00:00Z", "givegold", "Al", 100, 605) +
                             line("2026-12-08T10:00:" + end + "Z", "takegold", "Al", -300, 305));
            const Outcome report = admin({"report", folder.path});
            ASSERT_EQ(report.status, 0) << report.err;
            const Chart chart(report.out, "circulation");
            const auto steps = chart.steps();
            ASSERT_GE(steps.size(), 2u) << chart.svg;
            EXPECT_NEAR(steps.front().second, 500, 1) << end;
            EXPECT_NEAR(steps.back().second, 305, 1) << end;
            EXPECT_TRUE(chart.labelsApart()) << chart.svg;
            EXPECT_FALSE(contains(chart.svg, "10:00:" + after)) << chart.svg;
            EXPECT_FALSE(contains(chart.svg, "10:01")) << chart.svg;
            EXPECT_TRUE(contains(chart.svg, "10:00:" + end)) << chart.svg;
        }
        // A staff gift whose time is not one (the module applies it all the
        // same) is listed with its time as it stands.
        Folder folder;
        folder.write("gold.log", line("2026-12-08T10:00:00Z", "kill Bo", "Al", 5, 5) +
                                     line("yesterday", "givegold", "Al", 100, 105));
        const Outcome report = admin({"report", folder.path});
        ASSERT_EQ(report.status, 0) << report.err;
        EXPECT_TRUE(contains(sectionText(report.out, "staff"), "yesterday Mo givegold Al +100"))
            << sectionText(report.out, "staff");
    }
    {
        // Half a year from a Thursday: bars per week, each from a Monday;
        // the first and last weeks, which the journal covers in part, are
        // marked so, and the page says what the mark means.
        Folder folder;
        std::string journal;
        std::int64_t held = 0;
        for (int day = 1; day <= 30; ++day) {
            for (const char* month : {"01", "03", "06"}) {
                held += 10;
                journal += line(std::string("2026-") + month + "-" + (day < 10 ? "0" : "") +
                                    std::to_string(day) + "T12:00:00Z",
                                "kill Bo", "Al", 10, held);
            }
        }
        folder.write("gold.log", journal);
        const Outcome report = admin({"report", folder.path});
        ASSERT_EQ(report.status, 0) << report.err;
        const auto shown = bars(report.out);
        ASSERT_GE(shown.size(), 10u) << report.out;
        for (const auto& [title, partial] : shown) {
            EXPECT_EQ(weekday(title.substr(0, 10)), 1u) << title;
            const bool edge = title.starts_with(shown.front().first.substr(0, 10)) ||
                              title.starts_with(shown.back().first.substr(0, 10));
            EXPECT_EQ(partial, edge) << title;
        }
        EXPECT_TRUE(contains(sectionText(report.out, "by-cause"), "partial"));
        // A day from midnight: a whole first day is not marked.
        Folder days;
        days.write("gold.log", line("2026-12-08T00:00:00Z", "kill Bo", "Al", 10, 10) +
                                   line("2026-12-09T13:00:00Z", "kill Bo", "Al", 10, 20) +
                                   line("2026-12-28T13:00:00Z", "kill Bo", "Al", 10, 30));
        const auto daily = bars(admin({"report", days.path}).out);
        ASSERT_EQ(daily.size(), 3u);
        EXPECT_TRUE(daily[0].first.starts_with("2026-12-08,")) << daily[0].first;
        EXPECT_FALSE(daily[0].second);
        EXPECT_TRUE(daily[2].first.starts_with("2026-12-28 ")) << daily[2].first;
        EXPECT_TRUE(daily[2].second);
    }
    {
        // More pairs than a few accounts bound: those with few kills are set
        // aside as the journal is read, the pair that killed most stays
        // first with its every kill, and the page says counts may be short.
        Folder folder;
        const auto kill = [](const std::string& killer, const std::string& killed) {
            return "2026-12-08T10:00:00Z\tkill " + killed + "\t" + killer + "\t" + killer +
                   "\tgold\t+1\t1\t1\n";
        };
        std::string journal = kill("Al", "Bo") + kill("Bo", "Al") + kill("Al", "Bo");
        for (int i = 0; i < 200; ++i) {
            for (int j = 0; j < 200; ++j) {
                journal += kill("K" + std::to_string(i), "V" + std::to_string(j));
            }
        }
        journal += kill("Bo", "Al") + kill("Al", "Bo");
        folder.write("gold.log", journal);
        const Outcome report = admin({"report", folder.path});
        ASSERT_EQ(report.status, 0) << report.err;
        const std::string pairs = sectionText(report.out, "pairs");
        EXPECT_TRUE(contains(pairs, "players kills one way other way Al & Bo 5 Al 3 Bo 2 "))
            << pairs;
        EXPECT_TRUE(contains(pairs, "set aside")) << pairs;
    }
}

// An hour of generated play by 30 players, then staff gifts and a take; the
// report of it read as text, then opened in Chromium.
TEST(AdminReport, AnHourOfPlayShownInChromiumWithTheNumbersOfTheFiles) {
#ifndef QUORVEL_HOST_PATH
    GTEST_SKIP() << "quorvel-host is not built, so there is no session to report on";
#else
    fs::remove_all(session);
    const std::string host = std::string("\"") + QUORVEL_HOST_PATH + "\" -q -m \"" +
                             QUORVEL_MODULE_PATH + "\" -d \"" + session + "\" --seed none ";
    const std::string played = artifacts + "/admin-report-session.log";
    const std::string toLog = " >>\"" + played + "\" 2>&1";
    fs::remove(played);
    ASSERT_EQ(
        std::system((host + "--generate --players 30 --seconds 3600 --moves 1" + toLog).c_str()), 0)
        << readFile(played);
    ASSERT_EQ(
        std::system((host + "\"" QUORVEL_ADMIN_TEST_DIR "/staff_actions.scn\"" + toLog).c_str()), 0)
        << readFile(played);
    const Outcome report = admin({"report", session, "-o", page});
    ASSERT_EQ(report.status, 0) << report.err;
    const Expected expected = expectedFromFiles();

    const std::string html = readFile(page);
    EXPECT_TRUE(contains(html, "<meta name=\"viewport\" content=\"width=device-width, "
                               "initial-scale=1\">"));
    // Nothing from elsewhere, and no script.
    for (const char* outside : {"<script", "http:", "https:", "src=", "href=", "url(", "@import"}) {
        EXPECT_EQ(html.find(outside), std::string::npos) << outside;
    }
    expectTheNumbers(html, expected);

    if (!fs::exists(chromium)) {
        GTEST_SKIP() << chromium << " is missing: scripts/install-deps installs it";
    }
    const std::string profile = artifacts + "/admin-report-chromium";
    fs::remove_all(profile);
    const std::string start = std::string(chromium) +
                              " --headless --no-sandbox --disable-gpu --disable-quic "
                              "--no-first-run --disable-background-networking "
                              "--disable-component-update --disable-sync --hide-scrollbars "
                              "--user-data-dir=\"" +
                              profile + "\" ";
    const std::string url = " \"file://" + page + "\"";
    const std::string dom = artifacts + "/admin-report-dom.html";
    const std::string log = artifacts + "/admin-report-chromium.log";
    ASSERT_EQ(std::system((start + "--enable-logging=stderr --v=0 --dump-dom" + url + " >\"" + dom +
                           "\" 2>\"" + log + "\"")
                              .c_str()),
              0)
        << readFile(log);
    for (const std::string& line : splitText(readFile(log), '\n')) {
        EXPECT_EQ(line.find(":CONSOLE"), std::string::npos) << line;
        EXPECT_EQ(line.find("Uncaught"), std::string::npos) << line;
    }
    const std::string shown = readFile(dom);
    // Two charts: a line for the circulation, bars for what was earned and spent.
    const auto count = [&shown](const char* pattern) {
        const std::regex expression(pattern);
        return std::distance(std::sregex_iterator(shown.begin(), shown.end(), expression),
                             std::sregex_iterator());
    };
    EXPECT_EQ(count("<svg "), 2);
    EXPECT_NE(shown.find("<path class=\"line\" d=\"M"), std::string::npos);
    EXPECT_GE(count("<rect "), 5);
    expectTheNumbers(shown, expected);

    // A phone's width and a desktop's, each measured in a copy of the page
    // that a script, there only, makes tell its smallest text as drawn
    // (an SVG scaled down shrinks its text) and the tables that are cut off
    // at the window's edge: with a cue that they scroll, or without.
    const std::string measuring = artifacts + "/admin-report-measured.html";
    {
        std::string copy = html;
        copy.insert(copy.rfind("</body>"), R"(<script>
let smallest = 1e9, where = '';
for (const e of document.querySelectorAll('body *')) {
  if (![...e.childNodes].some(n => n.nodeType === 3 && n.textContent.trim())) continue;
  if (!e.getBoundingClientRect().width) continue;
  let size = parseFloat(getComputedStyle(e).fontSize);
  if (e instanceof SVGElement) size *= e.getScreenCTM().a;
  if (size < smallest) { smallest = size; where = e.textContent.trim().slice(0, 20); }
}
const cut = [], cued = [];
for (const t of document.querySelectorAll('table')) {
  const box = t.parentElement, style = getComputedStyle(box);
  if (box.scrollWidth <= box.clientWidth + 1 && t.getBoundingClientRect().right <= innerWidth + 1) continue;
  const scrolls = style.overflowX === 'auto' || style.overflowX === 'scroll';
  const id = t.closest('section').id;
  (scrolls && box.getBoundingClientRect().right <= innerWidth + 1 &&
   style.backgroundImage.includes('gradient') ? cued : cut).push(id);
}
parent.postMessage({width: innerWidth, smallest: smallest.toFixed(1) + ' ' + where,
                    cut: cut.join(' '), cued: cued.join(' ')}, '*');
</script>
)");
        std::ofstream(measuring, std::ios::binary) << copy;
    }
    // A headless window is never narrower than 500 pixels: the copy is
    // measured in a frame of the width wanted, which hands its figures up.
    const auto framing = [&](int width) {
        const std::string frame = artifacts + "/admin-report-frame.html";
        std::ofstream(frame, std::ios::binary)
            << "<!DOCTYPE html><body style=\"margin:0\"><iframe src=\"file://" << measuring
            << "\" style=\"border:0;height:2000px;width:" << width
            << "px\"></iframe><script>addEventListener('message', e => { for (const [k, v] of "
               "Object.entries(e.data)) document.body.dataset[k] = v; });</script></body>\n";
        return frame;
    };
    for (const int width : {390, 1280}) {
        const std::string measured = artifacts + "/admin-report-measured.txt";
        ASSERT_EQ(std::system((start + "--window-size=" + std::to_string(width) +
                               ",2000 --virtual-time-budget=10000 --dump-dom \"file://" +
                               framing(width) + "\" >\"" + measured + "\" 2>>\"" + log + "\"")
                                  .c_str()),
                  0)
            << readFile(log);
        const std::string dumped = readFile(measured);
        std::smatch found;
        ASSERT_TRUE(std::regex_search(dumped, found,
                                      std::regex("data-width=\"([0-9]+)\" data-smallest=\"([0-9.]+)"
                                                 " ?([^\"]*)\" data-cut=\"([^\"]*)\" "
                                                 "data-cued=\"([^\"]*)\"")))
            << dumped.substr(0, 2000);
        EXPECT_EQ(std::stoi(found[1]), width);
        EXPECT_GE(std::stod(found[2]), 12.0) << width << " px wide: \"" << found[3] << "\"";
        EXPECT_EQ(found[4], "") << width << " px wide: cut off with no sign that they scroll";
        if (width > 1000) {
            EXPECT_EQ(found[5], "") << "every column in sight on a desktop";
        }
        const std::string picture = artifacts + "/admin-report-" + std::to_string(width) + ".png";
        fs::remove(picture);
        ASSERT_EQ(
            std::system((start + "--window-size=" + std::to_string(width) +
                         ",2000 --screenshot=\"" + picture + "\"" + url + " >>\"" + log + "\" 2>&1")
                            .c_str()),
            0)
            << readFile(log);
        const std::string png = readFile(picture);
        ASSERT_GT(png.size(), 24u);
        EXPECT_EQ(png.substr(1, 3), "PNG");
        const auto big = [&png](std::size_t at) {
            return static_cast<unsigned char>(png[at]) << 24 |
                   static_cast<unsigned char>(png[at + 1]) << 16 |
                   static_cast<unsigned char>(png[at + 2]) << 8 |
                   static_cast<unsigned char>(png[at + 3]);
        };
        EXPECT_EQ(big(16), width) << "width";
    }
#endif
}

} // namespace
} // namespace quorvel::admin::testing
