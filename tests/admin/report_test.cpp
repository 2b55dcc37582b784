// The report of an hour of generated play, checked as a person sees it:
// the page opened in headless Chromium loads without a console message, and
// its tables and charts show the numbers the files hold, worked out here
// from the raw files. The screenshot stays in the build folder.
#include "admin_files.h"

#include <gtest/gtest.h>

#include <algorithm>
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
const std::string screenshot = artifacts + "/admin-report.png";
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
    EXPECT_NE(shown.find("<polyline class=\"line\" points=\""), std::string::npos);
    EXPECT_GE(count("<rect "), 5);
    expectTheNumbers(shown, expected);

    // A phone's width.
    fs::remove(screenshot);
    ASSERT_EQ(std::system((start + "--window-size=412,2400 --screenshot=\"" + screenshot + "\"" +
                           url + " >>\"" + log + "\" 2>&1")
                              .c_str()),
              0)
        << readFile(log);
    const std::string png = readFile(screenshot);
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    const auto big = [&png](std::size_t at) {
        return static_cast<unsigned char>(png[at]) << 24 |
               static_cast<unsigned char>(png[at + 1]) << 16 |
               static_cast<unsigned char>(png[at + 2]) << 8 |
               static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(big(16), 412) << "width";
    EXPECT_EQ(big(20), 2400) << "height";
#endif
}

} // namespace
} // namespace quorvel::admin::testing
