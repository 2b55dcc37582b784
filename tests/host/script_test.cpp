#include "lib/script.h"
#include "lib/script_actions.h"
#include "lib/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

using namespace quorvel::host;

namespace {

Action parse(std::string_view line) {
    auto a = parseLine(line);
    EXPECT_TRUE(a.has_value()) << line;
    return a.value_or(Action{});
}

std::string errorOf(std::string_view line) {
    try {
        parseLine(line);
    } catch (const ScriptError& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(Script, CommentsAndBlankLinesAreNoActions) {
    EXPECT_FALSE(parseLine("").has_value());
    EXPECT_FALSE(parseLine("   \t ").has_value());
    EXPECT_FALSE(parseLine("  # enter Bob").has_value());
    // A '#' after the first word is text, not a comment.
    EXPECT_EQ(parse("Bob !buy arena #1 team").text, "!buy arena #1 team");
}

TEST(Script, QuotedNamesAndEscapesKeepEveryByte) {
    Action a =
        parse(R"(enter "Dr Who" squad="Red Team" freq=3 ship=spectator access=smod x=500 y=-2)");
    EXPECT_EQ(a.kind, ActionKind::Enter);
    EXPECT_EQ(a.name, "Dr Who");
    EXPECT_EQ(a.fields.squad, "Red Team");
    EXPECT_EQ(a.fields.freq, 3);
    EXPECT_EQ(a.fields.ship, 8);
    EXPECT_EQ(a.fields.access, 3u);
    EXPECT_EQ(a.fields.tileX, 500);
    EXPECT_EQ(a.fields.tileY, -2);

    Action e = parse(R"(expect private "Dr Who" sound 5 "  say \"hi\" \\ \x7f  ")");
    EXPECT_EQ(e.kind, ActionKind::ExpectLine);
    EXPECT_EQ(e.line.kind, LineKind::Private);
    EXPECT_EQ(e.line.target, "Dr Who");
    EXPECT_EQ(e.line.sound, 5u);
    EXPECT_EQ(e.line.text, "  say \"hi\" \\ \x7f  ");
    // The transcript's quoting reads back to the same text.
    EXPECT_EQ(parse("expect console " + quoteText(e.line.text)).line.text, e.line.text);
}

TEST(Script, TypedCommandsKeepTheirTextAsWritten) {
    Action a = parse("Bob !buy use guns  ");
    EXPECT_EQ(a.kind, ActionKind::Type);
    EXPECT_EQ(a.name, "Bob");
    EXPECT_EQ(a.text, "!buy use guns  ");
    Action q = parse(R"("Dr Who" "!help aradius ")");
    EXPECT_EQ(q.name, "Dr Who");
    EXPECT_EQ(q.text, "!help aradius ");
    Action t = parse(R"(type tick "!gold")");
    EXPECT_EQ(t.kind, ActionKind::Type);
    EXPECT_EQ(t.name, "tick");
    EXPECT_EQ(t.text, "!gold");
    EXPECT_EQ(parse("note !not a command").kind, ActionKind::Note);
}

TEST(Script, NumbersVersionsAndExpectations) {
    EXPECT_EQ(parse("handshake").numbers.at(0), 393217);
    EXPECT_EQ(parse("handshake 7.0").numbers.at(0), 7 << 16);
    EXPECT_EQ(parse("version 393216").numbers.at(0), 393216);
    EXPECT_EQ(parse("tick").numbers.at(0), 1);
    EXPECT_EQ(parse("tick 600").numbers.at(0), 600);
    Action raw = parse("raw 40 1 -2");
    EXPECT_EQ(raw.numbers, (std::vector<std::int64_t>{40, 1, -2}));
    EXPECT_EQ(parse("expect ship Bob 3").numbers.at(0), 2);
    EXPECT_EQ(parse("expect ship Bob spectator").numbers.at(0), 8);
    EXPECT_EQ(parse("expect ship Bob spec").numbers.at(0), 8);
    EXPECT_EQ(parse("expect gold bob -2").numbers.at(0), 4294967294);
    EXPECT_TRUE(parse("expect gold bob none").absent);
    EXPECT_TRUE(parse("expect file gold.dat missing").absent);
    EXPECT_EQ(parse("expect nothing more").kind, ActionKind::ExpectNothingMore);
    EXPECT_EQ(parse("skip").numbers.at(0), -1);
    EXPECT_EQ(parse("skip 2").numbers.at(0), 2);
    EXPECT_EQ(parse("chat private \"x\"").numbers.at(0), 5);
    EXPECT_EQ(parse("enter A access=God").fields.access, 12u);
    EXPECT_EQ(parse("enter A access=4000000000").fields.access, 4000000000u);
    Action handle = parse("handle 2 \"two b\"");
    EXPECT_EQ(handle.numbers.at(0), 2);
    EXPECT_EQ(handle.name, "two b");
    EXPECT_EQ(parse("handle 2").name, "");
    EXPECT_EQ(parse("handle 0").numbers.at(0), 0);
    EXPECT_EQ(parse("wait-for a-ready").numbers.at(0), 30);
    EXPECT_EQ(parse("wait-for a-ready 5").name, "a-ready");
    EXPECT_FALSE(parse("expect console \"x\"").line.contains);
    EXPECT_TRUE(parse("expect console contains \"gold.lock\"").line.contains);
    Action later = parse("skip to private Bob sound 3 contains \"x\"");
    EXPECT_EQ(later.kind, ActionKind::ExpectLine);
    EXPECT_TRUE(later.line.later && later.line.contains);
    EXPECT_EQ(later.line.target, "Bob");
    EXPECT_EQ(later.line.sound, 3u);
    EXPECT_EQ(parse("skip 2").kind, ActionKind::Skip);
}

TEST(Script, BadLinesSayWhatIsWrong) {
    EXPECT_NE(errorOf("dance Bob").find("unknown action \"dance\""), std::string::npos);
    EXPECT_NE(errorOf("tick ten").find("bad number \"ten\""), std::string::npos);
    EXPECT_NE(errorOf("tick 0").find("out of range"), std::string::npos);
    EXPECT_NE(errorOf("ship Bob 9").find("out of range"), std::string::npos);
    EXPECT_NE(errorOf("enter Bob colour=red").find("unknown player field"), std::string::npos);
    EXPECT_NE(errorOf("enter \"Bob").find("not closed"), std::string::npos);
    EXPECT_NE(errorOf(R"(arena "a\qb")").find("unknown escape"), std::string::npos);
    EXPECT_NE(errorOf("expect public hello").find("double quotes"), std::string::npos);
    EXPECT_NE(errorOf("enter ABCDEFGHIJKLMNOPQRST").find("19 characters"), std::string::npos);
    EXPECT_NE(errorOf("kill Bob").find("usage: kill KILLER KILLED"), std::string::npos);
    EXPECT_NE(errorOf("raw 10 0").find("carries host records"), std::string::npos);
    EXPECT_NE(errorOf("expect colour Bob").find("unknown expectation"), std::string::npos);
    EXPECT_NE(errorOf("handle 2 \"\"").find("arena name"), std::string::npos);
    EXPECT_NE(errorOf("skip to nothing").find("usage: skip to console"), std::string::npos);
    EXPECT_NE(errorOf("wait-for x 3601").find("out of range"), std::string::npos);
}

TEST(Script, HelpListsTheActionsInColumns) {
    const std::vector<std::string>& help = actionSummaries();
    auto has = [&](const std::string& line) {
        return std::find(help.begin(), help.end(), line) != help.end();
    };
    EXPECT_EQ(help.front(), "Module and bot:");
    EXPECT_TRUE(has("  handle N [ARENA]             send the following events for bot handle N "
                    "(default 1);"));
    EXPECT_TRUE(
        has("                               a new bot is in ARENA, or in the default arena"));
    EXPECT_TRUE(has("  flag X Y | flags clear       put a flag on the map at tile X Y | remove all "
                    "flags"));
    EXPECT_TRUE(has("  chat arena|public|private|N \"TEXT\"  a chat message of any type arrives"));
    EXPECT_TRUE(has("  expect lock on|off           expect timer MINUTES  expect objects [N ..]"));
    EXPECT_TRUE(
        has("  expect prizes NAME [N ..]    expect gold NAME AMOUNT|none (read from gold.dat)"));
}

// The README's tables of actions hold every action of the table, written
// as usage messages write it, and nothing else; and name every alias.
TEST(Script, TheReadmeListsTheActionsOfTheTable) {
    std::ifstream in(QUORVEL_SOURCE_DIR "/host/README.md");
    ASSERT_TRUE(in);
    std::string readme(std::istreambuf_iterator<char>(in), {});
    std::set<std::string> documented;
    bool inActionTable = false;
    std::size_t from = 0;
    for (std::size_t end; (end = readme.find('\n', from)) != std::string::npos; from = end + 1) {
        std::string row = readme.substr(from, end - from);
        inActionTable = row.starts_with("| Action |") || (inActionTable && row.starts_with('|'));
        if (inActionTable && row.starts_with("| `")) {
            std::string form = row.substr(3, row.find('`', 3) - 3);
            for (std::size_t bar; (bar = form.find("\\|")) != std::string::npos;) {
                form.erase(bar, 1);
            }
            documented.insert(form);
        }
    }
    std::set<std::string> table;
    for (const ActionRow& row : actionRows()) {
        table.insert(actionForm(row));
        if (!row.alias.empty()) {
            EXPECT_TRUE(readme.find("`" + std::string(row.alias) + "`") != std::string::npos ||
                        readme.find("`" + std::string(row.alias) + " ") != std::string::npos)
                << row.alias;
        }
    }
    std::vector<std::string> undocumented, unknown;
    std::ranges::set_difference(table, documented, std::back_inserter(undocumented));
    std::ranges::set_difference(documented, table, std::back_inserter(unknown));
    EXPECT_EQ(undocumented, std::vector<std::string>{}) << "in the table, not in the README";
    EXPECT_EQ(unknown, std::vector<std::string>{}) << "in the README, not in the table";
}
