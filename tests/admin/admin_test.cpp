// quorvel-admin's commands on small folders: what each shows, every kind of
// problem check finds, and set and import refused while a host holds the
// folder, journaled when not, and kept by the next module start.
#include "admin_files.h"

#include "base/platform/platform.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace quorvel::admin::testing {
namespace {

// The operator's login name, as gold.log records it.
class OperatorNamed {
public:
    explicit OperatorNamed(const char* name) {
        if (const char* old = std::getenv("USER")) {
            previous_ = old;
        }
        ::setenv("USER", name, 1);
    }
    ~OperatorNamed() {
        if (previous_) {
            ::setenv("USER", previous_->c_str(), 1);
        } else {
            ::unsetenv("USER");
        }
    }

private:
    std::optional<std::string> previous_;
};

std::vector<std::vector<std::string>> journalRows(const std::string& journal) {
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : splitText(journal, '\n')) {
        rows.push_back(splitText(line, '\t'));
    }
    return rows;
}

// The fields of a journal row after the time.
std::vector<std::string> withoutTime(std::vector<std::string> row) {
    row.erase(row.begin());
    return row;
}

TEST(AdminCheck, TheExampleArenaIsCleanAndNothingIsWritten) {
    Folder folder;
    for (const auto& entry :
         std::filesystem::directory_iterator(QUORVEL_SOURCE_DIR "/examples/arena")) {
        std::filesystem::copy(entry.path(), folder.path);
    }
    const auto before = folder.snapshot();
    const Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "  quorvel.ini   read, "));
    EXPECT_TRUE(contains(run.out, "  gold.dat      not there\n"));
    EXPECT_TRUE(contains(run.out, "\nNo problems.\n"));
    EXPECT_EQ(folder.snapshot(), before);
}

TEST(AdminCheck, FindsEveryKindOfProblemInTheModulesWordsAndWritesNothing) {
    Folder folder;
    folder.write("quorvel.ini", "[Settings]\nInventory=1\nMaxWarpTeams=3\nMaxWarpAreas=3\n"
                                "[Gold]\nKill=two\n[Store]\nThor=0\nPortal=-5\n");
    folder.write("WarpTeam.ini", "500 500\n2000 10\n520 -3\n600 600 601 700\n");
    folder.write("WarpArea.ini", "100 100 120 120 110 110\n300 300 301 400 10 10\n"
                                 "200 200 250 250 5000 5\n");
    folder.write("Ghoulset.ini", "0 1\n1 x\n");
    folder.write("gold.dat", goldRecord("Bob", 100) + goldRecord("Al", 5) + goldRecord("BOB", 7) +
                                 "\1\2\3\4\5");
    folder.write("inv.dat", inventoryRecord("Bob", {1, 0, 0, 0, 0, 0, 0, 0}) + "0123456789");
    // gold.log.1 ends in a line cut short, and gold.log follows it.
    folder.write("gold.log.1", "2026-12-08T20:00:00Z\tkill Al\tBob\tBob\tgold\t+2\t102\t1");
    folder.write("gold.log", "2026-12-08T20:00:01Z\tkill Bob\tAl\tAl\tgold\t+2\t7\t1\n"
                             "2026-12-08T20:00:02Z\tgivegold\tMo\tAl\tgo\t\t\n"
                             "this is not a journal line\n"
                             "2026-12-08T20:00:03Z\tkill Bob\tAl\tAl\tgold\t+2\t9\t1\n");
    const auto before = folder.snapshot();

    const Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    for (const char* problem : {
             // The module's own words.
             "problem: quorvel.ini error: Gold:Kill must be numeric\n",
             "problem: quorvel.ini error: Store:Portal must not be negative; the default 100 is "
             "used\n",
             "problem: WarpArea.ini error: the destination of area 1 leads back into the area, "
             "it is not used\n",
             "problem: Warning: gold.dat is damaged: 5 stray bytes after 3 whole records; the "
             "whole records are loaded.\n",
             // What only a look at the whole file sees.
             "problem: quorvel.ini: Store:Thor is 0: the store gives it away for nothing.\n",
             "problem: WarpTeam.ini: the place of freq 1, 2000 10, is off the map (tiles 0 to "
             "1023).\n",
             "problem: WarpTeam.ini: the place of freq 2, 520 -3, is off the map",
             "problem: WarpTeam.ini: the insert rectangle 600 600 601 700 is empty",
             "problem: WarpArea.ini: area 2, 300 300 301 400, is empty",
             "problem: WarpArea.ini: area 3 sends players to 5000 5, off the map",
             "problem: Ghoulset.ini: only 3 numbers of eight could be read",
             "problem: gold.dat: records 1 and 3 hold the same name (\"Bob\", \"BOB\"); the "
             "module uses only the first of them.\n",
             "problem: inv.dat: 10 stray bytes after 1 whole record;",
             "problem: gold.log.1:1: a line without its line end in the middle of the journal",
             "problem: gold.log:2: a line cut short (by a crash or a full disk) and closed off",
             "problem: gold.log:3: not a journal line (it does not hold seven or eight fields)",
         }) {
        EXPECT_TRUE(contains(run.out, problem));
    }
    EXPECT_TRUE(contains(run.out, "note: A module start here would say: \"Recovered 2 changes "
                                  "from gold.log.\""));
    EXPECT_TRUE(contains(run.out, "\n16 problems, 1 note.\n"));
    // Not even the copy a module start keeps of a damaged gold.dat.
    EXPECT_EQ(folder.snapshot(), before);
}

TEST(AdminCheck, NamesTheTemporaryFilesOfSavesThatNeverFinishedAndLeavesThem) {
    Folder folder;
    folder.write("gold.dat", goldRecord("Bob", 100));
    folder.write("gold.dat.saving.4242-0badf00d", goldRecord("Bob", 1));
    folder.write("Ghoulset.ini.saving.17-0000abcd", "1 1");
    // Not a name a save gives.
    folder.write("gold.dat.saving.old", "an operator's copy");
    const auto before = folder.snapshot();
    const Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    for (const auto& [name, file] :
         {std::pair{"gold.dat.saving.4242-0badf00d", "gold.dat"},
          std::pair{"Ghoulset.ini.saving.17-0000abcd", "Ghoulset.ini"}}) {
        EXPECT_TRUE(contains(run.out, "problem: " + std::string(name) + ": left by a save of " +
                                          file +
                                          " that never finished (its process stopped during "
                                          "it); the next module start here removes it.\n"))
            << run.out;
    }
    EXPECT_FALSE(contains(run.out, "gold.dat.saving.old"));
    EXPECT_TRUE(contains(run.out, "\n2 problems"));
    EXPECT_EQ(folder.snapshot(), before);
}

TEST(AdminCheck, AFileThatCannotBeReadIsExitStatusTwo) {
    Folder folder;
    std::filesystem::create_directory(folder.path + "/gold.dat");
    const Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "  gold.dat      could not be read\n"));
    EXPECT_TRUE(contains(run.out, "problem: Could not read gold.dat: "));

    const Outcome nowhere = admin({"check", folder.path + "/no-such-folder"});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_TRUE(
        contains(nowhere.err, "cannot work in the folder " + folder.path + "/no-such-folder: "));
}

class AdminListing : public ::testing::Test {
protected:
    void SetUp() override {
        folder.write("gold.dat", goldRecord("Bob", 402) + goldRecord("al", 88) +
                                     goldRecord("Cy", 1000) + goldRecord("BOB", 5));
        folder.write("inv.dat", inventoryRecord("Bob", {1, 0, 0, 0, 0, 2, 0, 0}) +
                                    inventoryRecord("Cy", {0, 0, 0, 0, 0, 0, 0, 5}));
        // A change no save has covered: shown, as a module start recovers it.
        folder.write("gold.log", "2026-12-08T09:00:00Z\tkill Al\tCy\tCy\tgold\t+2\t1002\t1\n");
    }
    Folder folder;
};

TEST_F(AdminListing, GoldInEveryFormatSortedAndCut) {
    Outcome run = admin({"gold", folder.path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "name  gold\n"
                       "Cy    1002\n"
                       "Bob    402\n"
                       "al      88\n");
    EXPECT_TRUE(contains(run.err, "Recovered 1 changes from gold.log. (changes not saved yet"));

    run = admin({"gold", folder.path, "--sort", "name", "--format", "csv"});
    EXPECT_EQ(run.out, "name,gold\nal,88\nBob,402\nCy,1002\n");
    run = admin({"gold", folder.path, "--top", "1", "--format", "json"});
    EXPECT_EQ(run.out, "[\n {\"name\": \"Cy\", \"gold\": 1002}\n]\n");
    // The module's matching: the case of A to Z ignored, the first record.
    run = admin({"gold", folder.path, "--name", "bOB"});
    EXPECT_EQ(run.out, "name  gold\nBob    402\n");
    run = admin({"gold", folder.path, "--name", "Nobody"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "no account named Nobody"));
}

TEST_F(AdminListing, ItemsInEveryFormat) {
    Outcome run = admin({"items", folder.path, "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "name,guns,bombs,multi,super,shield,thor,prize,portal,total\n"
                       "Cy,0,0,0,0,0,0,0,5,5\n"
                       "Bob,1,0,0,0,0,2,0,0,3\n");
    run = admin({"items", folder.path, "--name", "cy", "--format", "json"});
    EXPECT_EQ(run.out, "[\n {\"name\": \"Cy\", \"guns\": 0, \"bombs\": 0, \"multi\": 0, "
                       "\"super\": 0, \"shield\": 0, \"thor\": 0, \"prize\": 0, \"portal\": 5, "
                       "\"total\": 5}\n]\n");
    run = admin({"items", folder.path, "--sort", "name"});
    EXPECT_EQ(run.out, "name  guns  bombs  multi  super  shield  thor  prize  portal  total\n"
                       "Bob      1      0      0      0       0     2      0       0      3\n"
                       "Cy       0      0      0      0       0     0      0       5      5\n");
}

TEST(AdminHistory, OnePlayersChangesOldestFirstAcrossBothJournalFiles) {
    Folder folder;
    folder.write("gold.log.1", "2026-12-07T10:00:00Z\tgivegold\tMo\tBob\tgold\t+400\t400\t1\n"
                               "2026-12-07T10:00:05Z\tsave\t-\t*\tgold\tsaved\t1\t1\n");
    folder.write("gold.log", "2026-12-08T09:00:00Z\tkill Al\tBob\tBob\tgold\t+2\t402\t1\n"
                             "2026-12-08T09:00:01Z\tkill Bob\tAl\tAl\tgold\t+2\t2\t1\n"
                             "2026-12-08T09:00:02Z\tpurchase guns\tBob\tBob\tguns\t+1\t1\t1\n"
                             "2026-12-08T09:00:02Z\tpurchase guns\tBob\tBob\tgold\t-300\t102\t1\n"
                             "2026-12-08T09:00:03Z\tloan\tBob\tAl\tgold\t+50\t52\t1\n"
                             "2026-12-08T09:00:03Z\tloan\tBob\tBob\tgold\t-50\t52\t1\n");
    Outcome run = admin({"history", "bob", folder.path, "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "time,cause,by,field,change,after\n"
                       "2026-12-07T10:00:00Z,givegold,Mo,gold,+400,400\n"
                       "2026-12-08T09:00:00Z,kill Al,Bob,gold,+2,402\n"
                       "2026-12-08T09:00:02Z,purchase guns,Bob,guns,+1,1\n"
                       "2026-12-08T09:00:02Z,purchase guns,Bob,gold,-300,102\n"
                       "2026-12-08T09:00:03Z,loan,Bob,gold,-50,52\n");
    run = admin({"history", "Bob", folder.path, "--since", "2026-12-08", "--cause", "purchase"});
    EXPECT_EQ(run.out, "time                  cause          by   field  change  after\n"
                       "2026-12-08T09:00:02Z  purchase guns  Bob  guns   +1          1\n"
                       "2026-12-08T09:00:02Z  purchase guns  Bob  gold   -300      102\n");
    // A kill line is the killer's: Al's kill of Bob is in Al's history.
    run = admin({"history", "Al", folder.path, "--cause", "kill", "--format", "json"});
    EXPECT_EQ(run.out, "[\n {\"time\": \"2026-12-08T09:00:01Z\", \"cause\": \"kill Bob\", "
                       "\"by\": \"Al\", \"field\": \"gold\", \"change\": \"+2\", \"after\": 2}\n"
                       "]\n");
    run = admin({"history", "Nobody", folder.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "hold no change to Nobody"));
    run = admin({"history", "Bob", folder.path, "--since", "yesterday"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--since yesterday: not a time"));
}

TEST(AdminSet, RefusedWhileAHostHoldsTheFolder) {
    Folder folder;
    folder.write("gold.dat", goldRecord("Bob", 100));
    folder.write("names.csv", "Bob,5\n");
    platform::FileLock host;
    ASSERT_TRUE(host.acquire(folder.path + "/gold.lock").ok());
    const auto before = folder.snapshot();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"set", "Bob", "500", folder.path},
          std::vector<std::string>{"import", folder.path + "/names.csv", folder.path}}) {
        const Outcome run = admin(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_TRUE(contains(run.err, "cannot lock gold.lock: it is held by another"));
        EXPECT_TRUE(contains(run.err, "A host works in this folder: stop it first"));
    }
    EXPECT_EQ(folder.snapshot(), before);
}

TEST(AdminSet, JournaledAsTheOperatorsChangeAndKeptByTheNextModuleStart) {
    Folder folder;
    folder.write("gold.dat", goldRecord("Bob", 100) + goldRecord("Al", 10));
    // A kill no save has covered: brought back before the change, and saved with it.
    folder.write("gold.log", "2026-12-08T09:00:00Z\tkill Al\tBob\tBob\tgold\t+2\t102\t1\n");
    {
        OperatorNamed opal("Opal");
        const Outcome run = admin({"set", "bob", "500", folder.path});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Recovered 1 changes from gold.log.\n"
                           "Bob: 102 -> 500\n"
                           "Saved gold.dat (2 accounts); gold.log records the change as \"admin "
                           "set\" by Opal.\n");
        EXPECT_EQ(admin({"set", "Newcomer", "25", folder.path}).status, 0);
    }
    EXPECT_EQ(folder.read("gold.dat"),
              goldRecord("Bob", 500) + goldRecord("Al", 10) + goldRecord("Newcomer", 25));
    const auto rows = journalRows(folder.read("gold.log"));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(withoutTime(rows[1]),
              (std::vector<std::string>{"admin set", "Opal", "Bob", "gold", "+398", "500", "0"}));
    EXPECT_EQ(withoutTime(rows[2]),
              (std::vector<std::string>{"save", "-", "*", "gold", "saved", "2", "0"}));
    EXPECT_EQ(withoutTime(rows[3]), (std::vector<std::string>{"admin set", "Opal", "Newcomer",
                                                              "gold", "+25", "25", "0"}));

    // The module started in the folder finds the new balances and replays
    // nothing: no change undone, none applied twice.
    {
        quorvel::testing::TestArena arena(folder.path, 7);
        arena.handshake();
        EXPECT_EQ(arena.gold().balance("Bob"), 500u);
        EXPECT_EQ(arena.gold().balance("Al"), 10u);
        EXPECT_EQ(arena.gold().balance("Newcomer"), 25u);
        for (const std::string& line : arena.takeTexts()) {
            EXPECT_FALSE(contains(line, "Recovered"));
        }
    }
    const Outcome history =
        admin({"history", "Bob", folder.path, "--cause", "admin", "--format", "csv"});
    EXPECT_TRUE(contains(history.out, ",admin set,Opal,gold,+398,500\n"));
}

TEST(AdminImport, SetsEveryBalanceOfTheFileOrNoneWhenALineIsBad) {
    Folder folder;
    folder.write("gold.dat", goldRecord("Bob", 100) + goldRecord("Al", 10));
    const Folder files;
    files.write("bad.csv", "Bob,7\nAl,lots\n");
    files.write("twice.csv", "Bob,1\nbob,2\n");
    const auto before = folder.snapshot();
    Outcome run = admin({"import", files.path + "/bad.csv", folder.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "bad.csv:2: the amount \"lots\" is not a whole number"));
    run = admin({"import", files.path + "/twice.csv", folder.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "twice.csv:2: bob is on line 1 already"));
    EXPECT_EQ(folder.snapshot(), before);

    files.write("good.csv", "name,amount\r\nBob,7\r\n\"Al\", 60\r\n# a new player\r\nNewbie,5\r\n");
    {
        OperatorNamed opal("Opal");
        run = admin({"import", files.path + "/good.csv", folder.path});
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, "Bob: 100 -> 7\nAl: 10 -> 60\nNewbie: 0 -> 5\n"));
    const auto rows = journalRows(folder.read("gold.log"));
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(withoutTime(rows[0]),
              (std::vector<std::string>{"admin import", "Opal", "Bob", "gold", "-93", "7", "0"}));
    EXPECT_EQ(withoutTime(rows[3]),
              (std::vector<std::string>{"save", "-", "*", "gold", "saved", "3", "0"}));
    quorvel::testing::TestArena arena(folder.path, 7);
    arena.handshake();
    EXPECT_EQ(arena.gold().balance("Bob"), 7u);
    EXPECT_EQ(arena.gold().balance("Al"), 60u);
    EXPECT_EQ(arena.gold().balance("Newbie"), 5u);
}

TEST(AdminSet, ASaveThatFailsChangesNothing) {
    Folder folder;
    const std::string accounts = goldRecord("Bob", 100);
    folder.write("gold.dat", accounts);
    // The save's temporary file cannot be made: a folder has its name.
    std::filesystem::create_directory(folder.path + "/gold.dat" + platform::temporaryNameFor(""));
    const Outcome run = admin({"set", "Bob", "500", folder.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "Could not save gold.dat: cannot create gold.dat.saving."));
    EXPECT_TRUE(contains(run.err, "The previous gold.dat is unchanged. Nothing is changed; "
                                  "gold.log records the change as undone."));
    EXPECT_EQ(folder.read("gold.dat"), accounts);
    const auto rows = journalRows(folder.read("gold.log"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "admin set");
    EXPECT_EQ(rows[1][1], "admin set undone");
    EXPECT_EQ(rows[1][6], "100");
    std::filesystem::remove(folder.path + "/gold.dat" + platform::temporaryNameFor(""));
    quorvel::testing::TestArena arena(folder.path, 7);
    arena.handshake();
    EXPECT_EQ(arena.gold().balance("Bob"), 100u);
}

TEST(AdminCommands, EachAnswersHelpAndABadCommandLineIsStatusTwo) {
    for (const char* command : {"check", "gold", "items", "history", "set", "import", "report"}) {
        const Outcome run = admin({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_TRUE(contains(run.out, std::string("Usage: quorvel-admin ") + command)) << run.out;
    }
    EXPECT_EQ(admin({"--help"}).status, 0);
    Outcome run = admin({"weigh"});
    EXPECT_EQ(run.status, 2);
    run = admin({"gold", "--format", "xml"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--format"));
    run = admin({"set", "Bob", "-4", "."});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "the amount \"-4\" is not a whole number from 0 to"));
}

} // namespace
} // namespace quorvel::admin::testing
