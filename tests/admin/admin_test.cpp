// quorvel-admin's commands on small folders: what each shows, every kind of
// problem check finds, and set and import refused while a host holds the
// folder, journaled when not, and kept by the next module start; and a
// folder whose economy is in a database, moved there and back.
#include "admin_files.h"

#include "admin/progress.h"

#include "base/platform/machine.h"
#include "base/platform/odbc.h"
#include "base/platform/platform.h"
#include "base/text/text_rules.h"
#include "gold/database_economy.h"
#include "gold/database_schema.h"
#include "gold/journal_format.h"
#include "gold/record_checks.h"
#include "support/full_disk.h"
#include "support/test_arena.h"
#include "support/throwaway_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>
#include <thread>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

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

// The fields of a journal row after the time, up to the bot (a record's
// sequence number and part left out).
std::vector<std::string> withoutTime(std::vector<std::string> row) {
    row.resize(std::min<std::size_t>(row.size(), 8));
    row.erase(row.begin());
    return row;
}

// A journal line as the module writes it: `fields` are time, cause, by,
// account, field, change and after; the bot is 1. A line written before
// records ends there; a record's line carries its sequence number and part.
std::string journalLine(const std::vector<std::string>& fields, std::uint64_t seq = 0,
                        std::uint32_t part = 0, std::uint32_t parts = 0) {
    std::string line;
    for (const std::string& field : fields) {
        line += field + "\t";
    }
    line += "1";
    if (seq != 0) {
        line +=
            "\t" + std::to_string(seq) + "\t" + std::to_string(part) + "/" + std::to_string(parts);
    }
    return line + "\n";
}

// A folder upgraded to records: gold.log.1 and the start of gold.log hold
// lines written before records, the rest of gold.log records, among them a
// loan cut short by a crash after its first line (Bob's debit; Cy's credit
// was being written, and the next start closed it off) and the saves made
// after that start. gold.dat and inv.dat hold what the whole changes left.
void writeUpgradedFolder(const Folder& folder) {
    folder.write(
        "gold.log.1",
        journalLine({"2026-12-07T10:00:00Z", "givegold", "Mo", "Bob", "gold", "+400", "400"}) +
            journalLine({"2026-12-07T10:00:05Z", "save", "-", "*", "gold", "saved", "1"}));
    const std::string importTime = "2026-12-08T09:10:04Z";
    std::string imported;
    const std::vector<std::array<std::string, 3>> import = {{"Bob", "+48", "100"},
                                                            {"Al", "-2", "50"},
                                                            {"Cy", "+10", "10"},
                                                            {"Dee", "+10", "10"},
                                                            {"Eve", "+10", "10"}};
    for (std::uint32_t at = 0; at < import.size(); ++at) {
        imported += journalLine({importTime, "admin import", "Opal", import[at][0], "gold",
                                 import[at][1], import[at][2]},
                                4, at + 1, 5);
    }
    folder.write(
        "gold.log",
        journalLine({"2026-12-08T09:00:00Z", "kill Al", "Bob", "Bob", "gold", "+2", "402"}) +
            journalLine({"2026-12-08T09:10:00Z", "kill Bob", "Al", "Al", "gold", "+2", "2"}, 1, 1,
                        1) +
            journalLine({"2026-12-08T09:10:02Z", "loan", "Bob", "Al", "gold", "+50", "52"}, 2, 1,
                        2) +
            journalLine({"2026-12-08T09:10:02Z", "loan", "Bob", "Bob", "gold", "-50", "352"}, 2, 2,
                        2) +
            journalLine({"2026-12-08T09:10:03Z", "purchase guns", "Bob", "Bob", "guns", "+1", "1"},
                        3, 1, 2) +
            journalLine(
                {"2026-12-08T09:10:03Z", "purchase guns", "Bob", "Bob", "gold", "-300", "52"}, 3, 2,
                2) +
            imported +
            journalLine({"2026-12-08T09:10:06Z", "kill Cy", "Bob", "Bob", "gold", "+2", "102"}, 5,
                        1, 1) +
            journalLine({"2026-12-08T09:10:08Z", "loan", "Bob", "Bob", "gold", "-20", "82"}, 6, 1,
                        2) +
            "2026-12-08T09:10:08Z\tloan\tBob\tCy\tgo\t\t\n" +
            journalLine({"2026-12-08T09:20:00Z", "save", "-", "*", "gold", "saved", "5"}) +
            journalLine({"2026-12-08T09:20:00Z", "save", "-", "*", "inventory", "saved", "1"}));
    folder.write("gold.dat", goldRecord("Bob", 102) + goldRecord("Al", 50) + goldRecord("Cy", 10) +
                                 goldRecord("Dee", 10) + goldRecord("Eve", 10));
    folder.write("inv.dat", inventoryRecord("Bob", {1, 0, 0, 0, 0, 0, 0, 0}));
}

// A session the module plays in `folder`: a Mod gives each of `pilots`
// pilots some gold, every third of them buys a gun into the inventory (300
// gold), and the bot terminates, saving gold.dat and inv.dat. Returns each
// pilot's balance and gun count as gold.log last wrote them.
struct Played {
    std::map<std::string, std::uint32_t> balances;
    std::map<std::string, std::int32_t> guns;
    std::uint64_t gold() const {
        std::uint64_t sum = 0;
        for (const auto& [name, amount] : balances) {
            sum += amount;
        }
        return sum;
    }
};

Played playSession(const Folder& folder, std::uint32_t pilots) {
    folder.write("quorvel.ini", "[Settings]\nInventory=1\n");
    Played played;
    quorvel::testing::TestArena arena(folder.path, 7);
    arena.handshake();
    auto& mod = arena.addPlayer({.name = "Warden", .accessLevel = 2});
    for (std::uint32_t n = 1; n <= pilots; ++n) {
        const std::string name = "Pilot" + std::to_string(n);
        const std::uint32_t amount = n * 37 % 1000 + 1 + (n % 3 == 0 ? 300 : 0);
        arena.command(mod, "givegold", name + ":" + std::to_string(amount));
        played.balances[name] = amount;
        if (n % 3 == 0) {
            auto& pilot = arena.addPlayer({.name = name, .ship = 1});
            arena.command(pilot, "buy", "inv guns");
            played.balances[name] -= 300;
            played.guns[name] = 1;
        }
    }
    arena.terminate();
    return played;
}

// A module start in `folder`, with `during` played while it runs, then a
// terminate that saves.
void startModule(
    const Folder& folder,
    const std::function<void(quorvel::testing::TestArena&, PlayerRecord&)>& during = {}) {
    quorvel::testing::TestArena arena(folder.path, 7);
    arena.handshake();
    auto& mod = arena.addPlayer({.name = "Warden", .accessLevel = 2});
    if (during) {
        during(arena, mod);
    }
    arena.terminate();
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
             "problem: gold.log:3: not a journal line (it does not hold seven, eight or ten "
             "fields)",
         }) {
        EXPECT_TRUE(contains(run.out, problem));
    }
    // What the module applies of quorvel.ini and what it refuses, counted.
    EXPECT_TRUE(std::regex_search(
        run.out, std::regex("\nquorvel.ini: [1-9][0-9]* values applied, 2 refused \\(each told "
                            "below as the module tells it")))
        << run.out;
    EXPECT_TRUE(contains(run.out, "note: A module start here would say: \"Recovered 2 changes "
                                  "from gold.log.\""));
    // The module closed off the line a crash cut short, and passes over it.
    EXPECT_TRUE(contains(run.out, "note: gold.log:2: a line cut short (by a crash or a full disk) "
                                  "and closed off by the module"));
    EXPECT_TRUE(contains(run.out, "\n15 problems, 2 notes.\n"));
    // Not even the copy a module start keeps of a damaged gold.dat.
    EXPECT_EQ(folder.snapshot(), before);
}

TEST(AdminCheck, TheDatabaseSectionInTheModulesWordsAndNeverItsPassword) {
    Folder folder;
    // A shared economy, one number wrong, its server not there: the economy
    // named, the password not.
    folder.write("quorvel.ini",
                 "[Database]\nEconomy=Database\n"
                 "Connection=Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;PWD=hunter2\n"
                 "HostId=zone-east-1\nPollSeconds=0\n");
    Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "\neconomy: database, host zone-east-1, connection "
                                  "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;PWD=***\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "problem: quorvel.ini error: Database:PollSeconds must be a "
                                  "number from 1 to 3600; the default 1 is used\n"));
    EXPECT_TRUE(contains(run.out, "problem: cannot connect to the database Driver={PostgreSQL "
                                  "Unicode};Server=127.0.0.1;Port=1;PWD=***: "));
    EXPECT_TRUE(contains(run.out, "\n2 problems, 1 note.\n")) << run.out;
    EXPECT_FALSE(contains(run.out + run.err, "hunter2"));

    // Neither connection nor host: the store stays closed, and says why.
    folder.write("quorvel.ini", "[Database]\nEconomy=database\nOfflinePurchases=2\n");
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 2) << run.out << run.err; // no economy to read
    for (const char* line : {
             "economy: database, host not named, connection not given; the store stays closed\n",
             "problem: quorvel.ini error: Database:Connection is missing and Economy is "
             "database; the store stays closed\n",
             "problem: quorvel.ini error: Database:HostId is missing and Economy is database; "
             "the store stays closed\n",
             "problem: quorvel.ini error: Database:OfflinePurchases must be 0 or 1; the "
             "default 0 is used\n",
             "\n3 problems, 1 note.\n",
         }) {
        EXPECT_TRUE(contains(run.out, line)) << line << run.out;
    }

    // The folder's files: no economy line, and a password in a section the
    // files do not use is not shown either.
    folder.write("quorvel.ini", "[Database]\nEconomy=files\nConnection=Pwd=hunter2\n");
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_FALSE(contains(run.out, "economy:"));
    EXPECT_FALSE(contains(run.out, "hunter2"));
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
    std::filesystem::create_directory(folder.path + "/Ghoulset.ini");
    const Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_TRUE(contains(run.out, "  gold.dat      could not be read\n"));
    EXPECT_TRUE(contains(run.out, "problem: Could not read gold.dat: "));
    // The zombies game's own words for it, as a module start tells them.
    EXPECT_TRUE(contains(run.out, "  Ghoulset.ini  could not be read\n"));
    EXPECT_TRUE(contains(run.out, "problem: Could not read Ghoulset.ini: "));
    EXPECT_TRUE(contains(run.out, ". The zombies game plays with the default settings, and "
                                  "Ghoulset.ini is not saved until it can be read.\n"));

    const Outcome nowhere = admin({"check", folder.path + "/no-such-folder"});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_TRUE(
        contains(nowhere.err, "cannot work in the folder " + folder.path + "/no-such-folder: "));
}

TEST(AdminCheck, AGoldDatOtherThanTheJournalsLastValuesIsAProblem) {
    // What the whole changes left: the cut loan and the line the next start
    // closed off are notes, and gold.dat agrees.
    Folder folder;
    writeUpgradedFolder(folder);
    Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(contains(run.out, "note: gold.log:14: a line cut short (by a crash or a full "
                                  "disk) and closed off"));
    EXPECT_TRUE(contains(run.out, "note: gold.log:13: change 6 (loan at 2026-12-08T09:10:08Z) "
                                  "was cut short by a crash or a full disk, 1 of its 2 lines "
                                  "written: it never happened, and the module does not apply "
                                  "it.\n"));
    EXPECT_TRUE(contains(run.out, "\nNo problems, 4 notes.\n"));

    // A gold.dat that took the cut loan's debit, and an inv.dat without
    // Bob's gun.
    folder.write("gold.dat", goldRecord("Bob", 82) + goldRecord("Al", 50) + goldRecord("Cy", 10) +
                                 goldRecord("Dee", 10) + goldRecord("Eve", 10));
    folder.write("inv.dat", inventoryRecord("Bob", {0, 0, 0, 0, 0, 0, 0, 0}));
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "problem: gold.dat disagrees with gold.log on 1 account, 102 "
                                  "gold in all: a module start here loads another balance than "
                                  "the last one gold.log wrote for it"));
    EXPECT_TRUE(contains(run.out, "\n    Bob: a module start loads 82, gold.log last wrote 102 "
                                  "(gold.log:12)\n"));
    EXPECT_TRUE(contains(run.out, "problem: inv.dat disagrees with gold.log on 1 item count: "));
    EXPECT_TRUE(contains(run.out, "\n    Bob's guns: a module start loads 0, gold.log last "
                                  "wrote 1 (gold.log:5)\n"));
    EXPECT_TRUE(contains(run.out, "\n2 problems, 4 notes.\n"));

    // A reset of gold empties every account: no value before it counts.
    folder.write(
        "gold.log",
        folder.read("gold.log") +
            journalLine({"2026-12-08T09:30:00Z", "resetgold", "Mo", "*", "gold", "reset", "0"}, 7,
                        1, 1) +
            journalLine({"2026-12-08T09:30:01Z", "givegold", "Mo", "Al", "gold", "+5", "5"}, 8, 1,
                        1));
    folder.write("gold.dat", goldRecord("Al", 5));
    run = admin({"check", folder.path});
    EXPECT_FALSE(contains(run.out, "gold.dat disagrees")) << run.out;
}

// A record with a line the module does not write (a field that names
// nothing), or whose lines disagree on their count, is cut: a module start
// applies none of it, and check's own reading of the journal calls it cut.
// A time that is not a time harms no change: both apply it. Where the two
// readings differed, check blamed gold.dat for balances the journal gave it.
TEST(AdminCheck, ItAndAModuleStartReadDamagedRecordsAlike) {
    Folder folder;
    folder.write("gold.dat", goldRecord("Bob", 100) + goldRecord("Al", 100));
    folder.write(
        "gold.log",
        journalLine({"2026-12-08T10:00:00Z", "loan", "Al", "Bob", "gold", "+10", "110"}, 1, 1, 2) +
            journalLine({"2026-12-08T10:00:00Z", "loan", "Al", "Al", "gold", "-10", "90"}, 1, 2,
                        2) +
            journalLine({"2026-12-08T10:00:01Z", "loan", "Al", "Bob", "gold", "+5", "115"}, 2, 1,
                        2) +
            journalLine({"2026-12-08T10:00:01Z", "loan", "Al", "Al", "gunz", "-5", "85"}, 2, 2, 2) +
            journalLine({"2026-12-08T10:00:02Z", "loan", "Al", "Bob", "gold", "+7", "117"}, 3, 1,
                        3) +
            journalLine({"2026-12-08T10:00:02Z", "loan", "Al", "Al", "gold", "-7", "83"}, 3, 2, 2) +
            journalLine({"yesterday", "givegold", "Mo", "Al", "gold", "+1", "91"}, 4, 1, 1));
    const Outcome run = admin({"check", folder.path});
    EXPECT_TRUE(contains(run.out, "problem: gold.log:4: not a journal line (\"gunz\" is neither "
                                  "gold, an item nor inventory); the module passes over it.\n"));
    EXPECT_TRUE(contains(run.out, "note: gold.log:3: change 2 (loan at 2026-12-08T10:00:01Z) was "
                                  "cut short"));
    EXPECT_TRUE(contains(run.out, "note: gold.log:5: change 3 (loan at 2026-12-08T10:00:02Z) was "
                                  "cut short"));
    EXPECT_TRUE(contains(run.out, "note: gold.log:6: change 3 (loan at 2026-12-08T10:00:02Z) was "
                                  "cut short"));
    EXPECT_TRUE(contains(run.out, "problem: gold.log:7: its time \"yesterday\" is not a time; the "
                                  "module applies the change all the same.\n"));
    // The first loan and the gift, nothing of the cut ones.
    EXPECT_TRUE(contains(run.out, "note: A module start here would say: \"Recovered 3 changes "
                                  "from gold.log.\""));
    EXPECT_FALSE(contains(run.out, "disagrees")) << run.out;

    const Outcome gold = admin({"gold", folder.path, "--format", "csv"});
    EXPECT_EQ(gold.status, 0) << gold.err;
    EXPECT_TRUE(contains(gold.out, "Bob,110\n"));
    EXPECT_TRUE(contains(gold.out, "Al,91\n"));
}

// A start applies nothing before each table's last save, and reads nothing
// before the first line it may apply either: where that line begins is
// counted in bytes as the journal is read, and is not known (the journal is
// read again from its start) once a line too long to hand on was passed
// over. A read begun even a byte a line late would cut the line of Bob's
// guns and lose them; Al's kills before the saves are never paid again.
TEST(AdminCheck, ItAndAModuleStartApplyOnlyWhatFollowsTheLastSaves) {
    const auto line = [](std::string time, std::string cause, std::string account,
                         std::string field, std::string change, std::string after,
                         std::uint64_t seq) {
        return journalLine(
            {"2026-12-08T10:00:0" + time + "Z", cause, account, account, field, change, after}, seq,
            1, 1);
    };
    // Lines enough that a count a byte short or over for each goes past a
    // line's time, which plays no part in what it does.
    std::string note;
    for (int i = 0; i < 30; ++i) {
        note += "a note someone left\r\n";
    }
    const std::string tooLong = std::string(journalLongestLine + 10, 'x') + "\n";
    const std::string kills = line("0", "kill Bob", "Al", "gold", "+2", "102", 1) +
                              line("0", "kill Bob", "Al", "gold", "+1", "103", 2);
    const std::string inventorySaved = line("1", "save", "*", "inventory", "saved", "1", 3);
    const std::string guns = line("2", "purchase guns", "Bob", "guns", "+1", "1", 4);
    const std::string goldSaved = line("3", "save", "*", "gold", "saved", "2", 5);
    const std::string after = line("4", "kill Al", "Bob", "gold", "+3", "103", 6);
    const std::string later = line("5", "kill Al", "Bob", "gold", "+4", "107", 7);
    // gold.log.1 and gold.log: the saves in one or the other, and a line
    // too long to read before them.
    const std::vector<std::pair<std::string, std::string>> journals = {
        {note + kills + inventorySaved + guns + goldSaved + after, later},
        {note + kills, inventorySaved + guns + goldSaved + after + later},
        {note + tooLong + kills + inventorySaved + guns + goldSaved + after, later},
        {note + kills, tooLong + inventorySaved + guns + goldSaved + after + later},
    };
    for (const auto& [rotated, current] : journals) {
        Folder folder;
        folder.write("gold.dat", goldRecord("Bob", 100) + goldRecord("Al", 103));
        folder.write("inv.dat", inventoryRecord("Bob", {}));
        folder.write("gold.log.1", rotated);
        folder.write("gold.log", current);
        const Outcome run = admin({"check", folder.path});
        EXPECT_TRUE(contains(run.out, "note: A module start here would say: \"Recovered 3 "
                                      "changes from gold.log.\""))
            << run.out;
        EXPECT_FALSE(contains(run.out, "disagrees")) << run.out;
        const Outcome gold = admin({"gold", folder.path, "--format", "csv"});
        EXPECT_TRUE(contains(gold.out, "Bob,107\n")) << gold.out;
        EXPECT_TRUE(contains(gold.out, "Al,103\n")) << gold.out;
        const Outcome items = admin({"items", folder.path, "--format", "csv"});
        EXPECT_TRUE(contains(items.out, "Bob,1,0,0,0,0,0,0,0,1\n")) << items.out;
    }
    // gold.log.1 not read again since the saves are in gold.log is still
    // found unreadable when it is.
    Folder folder;
    folder.write("gold.dat", goldRecord("Bob", 100) + goldRecord("Al", 103));
    folder.write("inv.dat", inventoryRecord("Bob", {}));
    std::filesystem::create_directory(folder.path + "/gold.log.1");
    folder.write("gold.log", inventorySaved + guns + goldSaved + after + later);
    const Outcome run = admin({"check", folder.path});
    EXPECT_TRUE(contains(run.out, "problem: gold.log.1 could not be read (cannot read gold.log.1: "
                                  "it is not a file)."))
        << run.out;
}

// A gold.dat cut to a few bytes loaded no account, and the next save wrote
// an empty gold.dat over it, though gold.log held every account's last
// balance: check must not call that folder clean.
TEST(AdminCheck, AnEmptyGoldDatSavedOverTheAccountsIsFound) {
    Folder folder;
    constexpr std::uint32_t accounts = 421;
    const auto balance = [](std::uint32_t n) { return n * 37 % 1000 + 1; };
    std::string journal;
    std::string imported;
    // Lines written before records for the first 300, one import record for
    // the rest.
    for (std::uint32_t n = 1; n <= accounts; ++n) {
        const std::string amount = std::to_string(balance(n));
        if (n <= 300) {
            journal += journalLine({"2026-12-08T09:00:00Z", "givegold", "Mo",
                                    "Pilot" + std::to_string(n), "gold", "+" + amount, amount});
        } else {
            imported += journalLine({"2026-12-08T10:00:00Z", "admin import", "Opal",
                                     "Pilot" + std::to_string(n), "gold", "+" + amount, amount},
                                    1, n - 300, accounts - 300);
        }
    }
    folder.write("gold.log",
                 journal + imported +
                     journalLine({"2026-12-08T11:00:00Z", "save", "-", "*", "gold", "saved", "0"}));
    folder.write("gold.dat", "");
    const Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "  gold.dat      0 accounts, 0 bytes\n"));
    std::uint64_t total = 0;
    for (std::uint32_t n = 1; n <= accounts; ++n) {
        total += balance(n);
    }
    EXPECT_TRUE(contains(run.out, "problem: gold.dat disagrees with gold.log on 421 accounts, " +
                                      std::to_string(total) + " gold in all: "));
    std::string named;
    for (std::uint32_t n = 1; n <= 10; ++n) {
        named += "\n    Pilot" + std::to_string(n) +
                 ": a module start loads no account, gold.log last wrote " +
                 std::to_string(balance(n)) + " (gold.log:" + std::to_string(n) + ")";
    }
    EXPECT_TRUE(contains(run.out, named + "\n    and 411 more accounts.\n"));
    EXPECT_TRUE(contains(run.out, "\n1 problem, 2 notes.\n"));
}

// A gold.dat cut short under a played session: check names what the cut
// file lost (the names gold.log last wrote, and their gold), what a module
// start does about it, and what is left for the operator to do.
TEST(AdminCheck, ACutGoldDatSaysWhatItLostWhatAStartDoesAndWhatToDo) {
    Folder folder;
    const Played played = playSession(folder, 40);
    ASSERT_EQ(played.balances.size(), 40u);
    const std::string lost = std::to_string(played.balances.size()) + " accounts, " +
                             std::to_string(played.gold()) + " gold in all";
    std::string named;
    for (std::uint32_t n = 1; n <= 10; ++n) {
        const std::string name = "Pilot" + std::to_string(n);
        named += (n == 1 ? "" : ", ") + name + " " + std::to_string(played.balances.at(name));
    }
    std::filesystem::resize_file(folder.path + "/gold.dat", 10);
    const auto cut = folder.snapshot();

    // gold.log holds every balance: a start brings them all back.
    Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "\nproblem: Warning: gold.dat is damaged: 10 stray bytes after 0 "
                                  "whole records; the whole records are loaded.\n"));
    EXPECT_TRUE(contains(run.out, "\n    It lacks " + lost +
                                      ", that gold.log last wrote: " + named + " and 30 more.\n"));
    EXPECT_TRUE(contains(run.out, "\n    A module start here brings all 40 back from gold.log"));
    EXPECT_TRUE(contains(run.out, "Nothing is lost. To do: nothing"));
    EXPECT_TRUE(contains(run.out, "\n1 problem, ")) << run.out;
    EXPECT_EQ(folder.snapshot(), cut);

    // Without gold.log, nothing tells the balances: only a backup has them.
    std::filesystem::rename(folder.path + "/gold.log", folder.path + "/gold.log.away");
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "gold.dat was damaged: 40 accounts lost, 0 accounts recovered "
                                  "from gold.log, 40 not recovered."));
    EXPECT_TRUE(contains(run.out, "To do: stop the host and restore gold.dat from a backup"));
    EXPECT_FALSE(contains(run.out, "Nothing is lost"));
    std::filesystem::rename(folder.path + "/gold.log.away", folder.path + "/gold.log");

    // A start recovers every account, and the folder is clean after it.
    startModule(folder);
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 0) << run.out;
    const Outcome gold = admin({"gold", folder.path, "--format", "csv", "--top", "100"});
    for (const auto& [name, amount] : played.balances) {
        EXPECT_TRUE(contains(gold.out, name + "," + std::to_string(amount) + "\n"));
    }

    // Cut under a running host, and read again by !goldload: the reload
    // loads the cut file, and the host's save writes it over every
    // balance. gold.log still tells what each one was.
    startModule(folder, [&folder](quorvel::testing::TestArena& arena, PlayerRecord& mod) {
        std::filesystem::resize_file(folder.path + "/gold.dat", 10);
        arena.command(mod, "goldload");
    });
    ASSERT_EQ(folder.read("gold.dat").size(), 0u);
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "problem: gold.dat disagrees with gold.log on " + lost + ": "));
    EXPECT_TRUE(contains(run.out, "The reload of gold at gold.log:"));
    EXPECT_TRUE(contains(run.out, " (goldload by Warden at "));
    EXPECT_TRUE(contains(run.out, "To do: stop the host and restore gold.dat from a backup, or "
                                  "put back the balances gold.log last wrote with `quorvel-admin "
                                  "set NAME AMOUNT`"));
    EXPECT_TRUE(contains(run.out, "\n    Pilot1: a module start loads no account, gold.log last "
                                  "wrote " +
                                      std::to_string(played.balances.at("Pilot1")) +
                                      " (gold.log:"));
    EXPECT_TRUE(contains(run.out, "\n    and 30 more accounts.\n"));
}

// A line a crash cut short, that a module start has closed off since: the
// module passes over it by design, and nothing is left to repair.
TEST(AdminCheck, ALineACrashCutAndTheModuleClosedOffIsANote) {
    Folder folder;
    playSession(folder, 6);
    // The crash stopped a kill's line half-way.
    folder.write("gold.log", folder.read("gold.log") + "2026-12-08T10:00:00Z\tkill Al\tPil");
    Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(contains(run.out, "note: gold.log:"));
    EXPECT_TRUE(contains(run.out, ": the last line has no line end (a crash or a full disk stopped "
                                  "its write); the module passes over it. To do: nothing"));

    startModule(folder);
    const std::vector<std::string> lines = splitText(folder.read("gold.log"), '\n');
    const auto closed =
        std::find(lines.begin(), lines.end(), "2026-12-08T10:00:00Z\tkill Al\tPil\t\t");
    ASSERT_NE(closed, lines.end()) << folder.read("gold.log");
    const std::string where = "gold.log:" + std::to_string(closed - lines.begin() + 1) + ": ";
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(
        contains(run.out, "note: " + where +
                              "a line cut short (by a crash or a full disk) "
                              "and closed off by the module; the module passes over it. To do: "
                              "nothing"));
    EXPECT_TRUE(contains(run.out, "\nNo problems, 1 note.\n")) << run.out;
}

TEST(AdminCheck, RecordsNoModuleWroteAreDamage) {
    Folder folder;
    // Bob is an account; then a control byte, an empty name, 20 bytes
    // without an end, a DEL; Zoë's Latin-1 name is one a player can have.
    folder.write("gold.dat", goldRecord("Bob", 5) +
                                 goldRecord("\x01"
                                            "Al",
                                            5) +
                                 goldRecord("", 5) +
                                 goldRecord("Pilot", 5).replace(4, 20, 20, 'x') +
                                 goldRecord("Del\x7F", 5) + goldRecord("Zo\xEB", 5));
    // A negative count, a control byte; a name of 20 characters fills the
    // field without an end, as the module writes it.
    folder.write("inv.dat", inventoryRecord("Bob", {1, 0, 0, 0, 0, 0, 0, 0}) +
                                inventoryRecord("Al", {0, 0, -3, 0, 0, 0, 0, 0}) +
                                inventoryRecord("C\ty", {0, 0, 0, 0, 0, 0, 0, 0}) +
                                inventoryRecord("TwentyCharactersLong", {0, 0, 0, 0, 0, 0, 0, 2}));
    Outcome run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "problem: gold.dat is damaged: 4 of its 6 records (2, 3, 4 and "
                                  "5) hold no name a player can have"));
    EXPECT_TRUE(contains(run.out, "(1 empty, 2 with control bytes, 1 filling its 20 bytes with "
                                  "no end)"));
    // No player's name fills the field (the host's names end within 19
    // characters), nor does any purchase make a count below zero.
    EXPECT_TRUE(contains(run.out, "problem: inv.dat is damaged: 3 of its 4 records (2, 3 and 4) "
                                  "hold no name a player can have or a count no purchase makes (1 "
                                  "with control bytes, 1 filling its 20 bytes with no end, 1 with "
                                  "a count below zero)"));
    EXPECT_TRUE(contains(run.out,
                         "\n    A module start here loads all 4 as they stand, accounts no "
                         "player can ever use.\n"));
    EXPECT_TRUE(contains(run.out, "\n    A module start here loads all 3 as they stand, records no "
                                  "player can ever use.\n"));
    EXPECT_TRUE(contains(run.out, "To do: stop the host and restore inv.dat from a backup"));

    // 300 bytes of anything.
    std::string garbage;
    std::uint32_t state = 12345;
    for (int i = 0; i < 300; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    folder.write("gold.dat", garbage);
    folder.write("inv.dat", garbage);
    run = admin({"check", folder.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "problem: Warning: gold.dat is damaged: 12 stray bytes after "
                                  "12 whole records, of which "));
    EXPECT_TRUE(contains(run.out, " of its 12 records ("));
    EXPECT_TRUE(contains(run.out, "problem: Warning: inv.dat is damaged: 5 whole records, 40 "
                                  "stray bytes, "));
    EXPECT_TRUE(contains(run.out, " of its 5 records ("));

    // A played session's inv.dat overwritten with text: every name fills
    // its field and every count is one no purchase makes, though no byte is
    // a control byte and no count is below zero.
    Folder played;
    const Played session = playSession(played, 9);
    ASSERT_EQ(session.guns.size(), 3u);
    std::string text;
    while (text.size() < 300) {
        text += "The quick brown fox jumps over the lazy dog. ";
    }
    text.resize(300);
    played.write("inv.dat", text);
    run = admin({"check", played.path});
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_TRUE(contains(run.out, "\n    5 of its 5 records (1, 2, 3, 4 and 5) hold no name a "
                                  "player can have or a count no purchase makes (5 filling their "
                                  "20 bytes with no end, 5 with a count above 1000000)"));
    EXPECT_TRUE(contains(run.out, "\n    It lacks 3 records, 3 items in all, that gold.log last "
                                  "wrote: Pilot3 1, Pilot6 1 and Pilot9 1.\n"))
        << run.out;
    EXPECT_TRUE(contains(run.out, "To do: stop the host and restore inv.dat from a backup"));
}

TEST(RecordChecks, NamesAPlayerCanHaveAndCountsNotBelowZero) {
    const auto account = [](std::string_view name) {
        GoldAccount record;
        std::copy_n(name.begin(), std::min(name.size(), sizeof record.name), record.name);
        return plausibleAccount(record);
    };
    EXPECT_TRUE(account("Bob"));
    EXPECT_TRUE(account(" ~"));
    EXPECT_TRUE(account("Zo\xEB"));
    EXPECT_TRUE(account(std::string(19, 'x')));
    EXPECT_FALSE(account(std::string(20, 'x')));
    EXPECT_FALSE(account(""));
    EXPECT_FALSE(account("Bo\x1F"));
    EXPECT_FALSE(account("Bo\x7F"));
    EXPECT_TRUE(account(std::string("Bob\0\x01", 5))); // after the end: padding

    InventoryRecord record;
    std::copy_n("TwentyCharactersLong", 20, record.name);
    EXPECT_TRUE(plausibleInventory(record));
    record.counts[7] = -1;
    EXPECT_FALSE(plausibleInventory(record));
    record.counts[7] = 2147483647;
    EXPECT_TRUE(plausibleInventory(record));
    record.name[3] = '\n';
    EXPECT_FALSE(plausibleInventory(record));
    record.name[0] = '\0';
    EXPECT_FALSE(plausibleInventory(record));
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
    // The table ends with every account in use and their gold (BOB's later
    // record is never used); CSV and JSON hold the rows alone.
    EXPECT_EQ(run.out, "name  gold\n"
                       "Cy    1002\n"
                       "Bob    402\n"
                       "al      88\n"
                       "3 accounts, 1,492 gold\n");
    EXPECT_TRUE(contains(run.err, "Recovered 1 change from gold.log. (changes not saved yet"));

    run = admin({"gold", folder.path, "--sort", "name", "--format", "csv"});
    EXPECT_EQ(run.out, "name,gold\nal,88\nBob,402\nCy,1002\n");
    run = admin({"gold", folder.path, "--top", "1", "--format", "json"});
    EXPECT_EQ(run.out, "[\n {\"name\": \"Cy\", \"gold\": 1002}\n]\n");
    // --top cuts the rows, not the total: it counts every account.
    run = admin({"gold", folder.path, "--top", "2"});
    EXPECT_EQ(run.out, "name  gold\nCy    1002\nBob    402\n3 accounts, 1,492 gold\n");
    run = admin({"gold", folder.path, "--top", "0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "name  gold\n3 accounts, 1,492 gold\n");
    // A negative count of rows is refused, not read as a huge one.
    for (const char* negative : {"-1", "-3"}) {
        run = admin({"gold", folder.path, "--top", negative});
        EXPECT_EQ(run.status, 2) << negative;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(contains(run.err, std::string("--top ") + negative +
                                          ": not a number of rows (0 or more)"))
            << run.err;
    }
    // One account, and none.
    Folder single;
    single.write("gold.dat", goldRecord("Solo", 1));
    run = admin({"gold", single.path});
    EXPECT_EQ(run.out, "name  gold\nSolo     1\n1 account, 1 gold\n");
    Folder empty;
    run = admin({"gold", empty.path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "name  gold\nno accounts, no gold\n");
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
    // By the count of one item, highest first: Bob holds more thors, Cy
    // more items in all.
    run = admin({"items", folder.path, "--sort", "thor", "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "name,guns,bombs,multi,super,shield,thor,prize,portal,total\n"
                       "Bob,1,0,0,0,0,2,0,0,3\n"
                       "Cy,0,0,0,0,0,0,0,5,5\n");
    run = admin({"items", folder.path, "--sort", "guns", "--top", "1", "--format", "csv"});
    EXPECT_EQ(run.out, "name,guns,bombs,multi,super,shield,thor,prize,portal,total\n"
                       "Bob,1,0,0,0,0,2,0,0,3\n");
    run = admin({"items", folder.path, "--sort", "portal", "--format", "csv"});
    EXPECT_EQ(run.out, "name,guns,bombs,multi,super,shield,thor,prize,portal,total\n"
                       "Cy,0,0,0,0,0,0,0,5,5\n"
                       "Bob,1,0,0,0,0,2,0,0,3\n");
    // A word that is no item is refused with the words there are; gold has
    // no items to sort by.
    run = admin({"items", folder.path, "--sort", "lasers"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(contains(run.err, "--sort lasers: sort by balance, name, guns, bombs, multi, "
                                  "super, shield, thor, prize or portal"))
        << run.err;
    run = admin({"gold", folder.path, "--sort", "thor"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--sort thor: sort by balance or name")) << run.err;
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
    // Lines written before records are each a change of their own: the
    // loan's two lines are two changes, and Bob's history shows his.
    Outcome run = admin({"history", "bob", folder.path, "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "time,cause,by,account,field,change,after,record\n"
                       "2026-12-07T10:00:00Z,givegold,Mo,Bob,gold,+400,400,\n"
                       "2026-12-08T09:00:00Z,kill Al,Bob,Bob,gold,+2,402,\n"
                       "2026-12-08T09:00:02Z,purchase guns,Bob,Bob,guns,+1,1,\n"
                       "2026-12-08T09:00:02Z,purchase guns,Bob,Bob,gold,-300,102,\n"
                       "2026-12-08T09:00:03Z,loan,Bob,Bob,gold,-50,52,\n");
    run = admin({"history", "Bob", folder.path, "--since", "2026-12-08", "--cause", "purchase"});
    EXPECT_EQ(run.out, "time                  cause          by   account  field  change  after\n"
                       "2026-12-08T09:00:02Z  purchase guns  Bob  Bob      guns   +1          1\n"
                       "2026-12-08T09:00:02Z  purchase guns  Bob  Bob      gold   -300      102\n");
    // A kill line is the killer's: Al's kill of Bob is in Al's history.
    run = admin({"history", "Al", folder.path, "--cause", "kill", "--format", "json"});
    EXPECT_EQ(run.out, "[\n {\"time\": \"2026-12-08T09:00:01Z\", \"cause\": \"kill Bob\", "
                       "\"by\": \"Al\", \"account\": \"Al\", \"field\": \"gold\", "
                       "\"change\": \"+2\", \"after\": 2, \"record\": null}\n"
                       "]\n");
    run = admin({"history", "Nobody", folder.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "hold no change to Nobody"));
    run = admin({"history", "Bob", folder.path, "--since", "yesterday"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--since yesterday: not a time"));
    // --until ends before TIME: a change at TIME itself is not in it, nor is
    // anything in the minute or day it names.
    run = admin(
        {"history", "Bob", folder.path, "--until", "2026-12-08T09:00:02Z", "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "time,cause,by,account,field,change,after,record\n"
                       "2026-12-07T10:00:00Z,givegold,Mo,Bob,gold,+400,400,\n"
                       "2026-12-08T09:00:00Z,kill Al,Bob,Bob,gold,+2,402,\n");
    run = admin({"history", "Bob", folder.path, "--since", "2026-12-08T09:00:02Z", "--until",
                 "2026-12-08T09:00:03Z", "--format", "csv"});
    EXPECT_EQ(run.out, "time,cause,by,account,field,change,after,record\n"
                       "2026-12-08T09:00:02Z,purchase guns,Bob,Bob,guns,+1,1,\n"
                       "2026-12-08T09:00:02Z,purchase guns,Bob,Bob,gold,-300,102,\n");
    run = admin({"history", "Bob", folder.path, "--until", "2026-12-08", "--format", "csv"});
    EXPECT_EQ(run.out, "time,cause,by,account,field,change,after,record\n"
                       "2026-12-07T10:00:00Z,givegold,Mo,Bob,gold,+400,400,\n");
    run = admin({"history", "Bob", folder.path, "--until", "2026-12-07T10:00"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "hold no change to Bob that matches"));
    run = admin({"history", "Bob", folder.path, "--until", "tomorrow"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--until tomorrow: not a time like 2026-12-08")) << run.err;
    run = admin({"history", "Bob", folder.path, "--since", "2026-12-08", "--until", "2026-12-08"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--until 2026-12-08 is not after --since 2026-12-08")) << run.err;
}

// Journals kept aside and given with --journal: history and report read
// them oldest first by the times they hold (not the order given, not their
// names), a file given twice or overlapping another is read once, and the
// figures are those of the same records in one journal never rotated. A
// sequence begun again from 1 (a folder restored from a backup) is not taken
// for records read already: its times are others.
TEST(AdminHistory, KeptJournalsGiveTheFiguresOfOneJournalNeverRotated) {
    const auto line = [](const std::string& time, const std::string& cause, const std::string& by,
                         const std::string& account, const std::string& field,
                         const std::string& change, const std::string& after, std::uint64_t seq,
                         std::uint32_t part = 1, std::uint32_t parts = 1) {
        return journalLine({time, cause, by, account, field, change, after}, seq, part, parts);
    };
    // Before the folder was restored from a backup: numbered from 1 too.
    const std::string oldEra =
        line("2026-11-01T08:00:00Z", "givegold", "Mo", "Bob", "gold", "+100", "100", 1) +
        line("2026-11-01T08:05:00Z", "kill Al", "Bob", "Bob", "gold", "+2", "102", 2);
    const std::vector<std::string> records = {
        line("2026-12-01T10:00:00Z", "givegold", "Mo", "Bob", "gold", "+400", "400", 1),
        line("2026-12-01T10:01:00Z", "kill Al", "Bob", "Bob", "gold", "+2", "402", 2),
        line("2026-12-01T10:02:00Z", "loan", "Bob", "Al", "gold", "+50", "50", 3, 1, 2) +
            line("2026-12-01T10:02:00Z", "loan", "Bob", "Bob", "gold", "-50", "352", 3, 2, 2),
        line("2026-12-01T10:03:00Z", "save", "-", "*", "gold", "saved", "2", 4),
        line("2026-12-02T11:00:00Z", "purchase guns", "Bob", "Bob", "guns", "+1", "1", 5, 1, 2) +
            line("2026-12-02T11:00:00Z", "purchase guns", "Bob", "Bob", "gold", "-300", "52", 5, 2,
                 2),
        line("2026-12-02T11:01:00Z", "kill Bob", "Al", "Al", "gold", "+2", "52", 6),
        line("2026-12-03T12:00:00Z", "kill Cy", "Bob", "Bob", "gold", "+2", "54", 7),
        line("2026-12-03T12:00:00Z", "givegold", "Mo", "Cy", "gold", "+10", "10", 8),
    };
    const auto join = [&records](std::size_t from, std::size_t to) {
        std::string text;
        for (std::size_t i = from; i < to; ++i) {
            text += records[i];
        }
        return text;
    };
    const std::string goldDat = goldRecord("Bob", 54) + goldRecord("Al", 52);
    Folder whole;
    whole.write("gold.dat", goldDat);
    whole.write("gold.log", oldEra + join(0, records.size()));
    Folder rotated;
    rotated.write("gold.dat", goldDat);
    rotated.write("gold.log.1", join(4, 6));
    rotated.write("gold.log", join(6, 8));
    Folder kept; // as the module keeps them, and the file that is not one
    kept.write("gold.log.2026-11-02T0000Z", oldEra);
    kept.write("gold.log.2026-12-02T0000Z", join(0, 4));
    kept.write("notes.txt", "not a journal\n");
    Folder copies; // gold.log.1 copied aside by hand, overlapping both
    copies.write("monday.log", join(2, 6));

    const std::vector<std::string> given = {"--journal", copies.path + "/monday.log",
                                            "--journal", kept.path,
                                            "--journal", rotated.path + "/gold.log.1"};
    const auto withJournals = [&given](std::vector<std::string> args) {
        args.insert(args.end(), given.begin(), given.end());
        return admin(args);
    };
    for (const char* format : {"table", "csv"}) {
        for (const char* name : {"Bob", "Al"}) {
            const Outcome one = admin({"history", name, whole.path, "--format", format});
            ASSERT_EQ(one.status, 0) << one.err;
            // Without them the history stops at the last rotation.
            EXPECT_NE(admin({"history", name, rotated.path, "--format", format}).out, one.out);
            const Outcome run = withJournals({"history", name, rotated.path, "--format", format});
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_EQ(run.out, one.out);
        }
    }
    const Outcome run = withJournals({"history", "Bob", rotated.path});
    // Which files were read, oldest first; the folder's own gold.log.1 once.
    EXPECT_TRUE(contains(run.err, "quorvel-admin: journals read, oldest first: " + kept.path +
                                      "/gold.log.2026-11-02T0000Z, " + kept.path +
                                      "/gold.log.2026-12-02T0000Z, " + copies.path +
                                      "/monday.log, gold.log.1, gold.log\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "quorvel-admin: note: 4 changes found in more than one "
                                  "journal are counted once\n"))
        << run.err;
    EXPECT_FALSE(contains(run.err, "notes.txt"));
    // A journal given that is not there stops the command.
    const Outcome missing =
        admin({"history", "Bob", rotated.path, "--journal", kept.path + "/gold.log.9"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(contains(missing.err, kept.path + "/gold.log.9")) << missing.err;

    // The report: the same page but for the folder's name and the time it
    // was made.
    const auto page = [](const Folder& folder, const std::string& html) {
        std::string shown;
        const std::string name = std::filesystem::path(folder.path).filename().string();
        for (const std::string& text : splitText(html, '\n')) {
            if (!contains(text, name) && !contains(text, "<footer>")) {
                shown += text + "\n";
            }
        }
        return shown;
    };
    const Outcome wholeReport = admin({"report", whole.path});
    ASSERT_EQ(wholeReport.status, 0) << wholeReport.err;
    EXPECT_TRUE(contains(wholeReport.out, "<b>+568</b><span>gold earned</span>"));
    const Outcome rotatedReport = withJournals({"report", rotated.path});
    ASSERT_EQ(rotatedReport.status, 0) << rotatedReport.err;
    EXPECT_EQ(page(rotated, rotatedReport.out), page(whole, wholeReport.out));
    EXPECT_NE(page(rotated, admin({"report", rotated.path}).out), page(whole, wholeReport.out));
}

TEST(AdminHistory, ARecordIsOneChangeAndACutOneNeverHappened) {
    Folder folder;
    writeUpgradedFolder(folder);
    // The loan's both lines (Al's credit too), the purchase's two as one
    // change; of the import, Bob's line alone; the cut loan not at all.
    Outcome run = admin({"history", "Bob", folder.path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "time                  cause          by    account  field  change  after\n"
              "2026-12-07T10:00:00Z  givegold       Mo    Bob      gold   +400      400\n"
              "2026-12-08T09:00:00Z  kill Al        Bob   Bob      gold   +2        402\n"
              "2026-12-08T09:10:02Z  loan           Bob   Al       gold   +50        52\n"
              "                                           Bob      gold   -50       352\n"
              "2026-12-08T09:10:03Z  purchase guns  Bob   Bob      guns   +1          1\n"
              "                                           Bob      gold   -300       52\n"
              "2026-12-08T09:10:04Z  admin import   Opal  Bob      gold   +48       100\n"
              "2026-12-08T09:10:06Z  kill Cy        Bob   Bob      gold   +2        102\n");
    EXPECT_TRUE(contains(run.err, "quorvel-admin: note: gold.log:13: change 6 to Bob (loan at "
                                  "2026-12-08T09:10:08Z) was cut short by a crash or a full "
                                  "disk, 1 of its 2 lines written: it never happened, and is not "
                                  "listed\n"));
    // Every line in the history of its own account, with its record.
    run = admin({"history", "al", folder.path, "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "time,cause,by,account,field,change,after,record\n"
                       "2026-12-08T09:10:00Z,kill Bob,Al,Al,gold,+2,2,1\n"
                       "2026-12-08T09:10:02Z,loan,Bob,Al,gold,+50,52,2\n"
                       "2026-12-08T09:10:02Z,loan,Bob,Bob,gold,-50,352,2\n"
                       "2026-12-08T09:10:04Z,admin import,Opal,Al,gold,-2,50,4\n");
    EXPECT_FALSE(contains(run.err, "cut short"));
    run = admin({"history", "Cy", folder.path, "--format", "csv", "--cause", "admin"});
    EXPECT_EQ(run.out, "time,cause,by,account,field,change,after,record\n"
                       "2026-12-08T09:10:04Z,admin import,Opal,Cy,gold,+10,10,4\n");
}

TEST(AdminReport, CountsEachRecordOnceAndACutRecordNowhere) {
    Folder folder;
    writeUpgradedFolder(folder);
    const Outcome run = admin({"report", folder.path});
    EXPECT_EQ(run.status, 0) << run.err;
    // Seven changes: the gift and the first kill before records, then
    // five records; the cut loan is said, and counted in no figure.
    EXPECT_TRUE(contains(run.out, "UTC: 7 changes in the journal. 1 change was cut short by a "
                                  "crash or a full disk: it never happened and is counted "
                                  "nowhere here."));
    // Earned: 400 + 2 + 2 + 50 + 48 + 3 * 10 + 2; spent: 50 + 300 + 2.
    EXPECT_TRUE(contains(run.out, "<b>+534</b><span>gold earned</span>"));
    EXPECT_TRUE(contains(run.out, "<b>-352</b><span>gold spent</span>"));
    EXPECT_TRUE(contains(run.out, "<b>3</b><span>paid kills</span>"));
    // The loan is one change of the loans, its credit and debit both in it.
    EXPECT_TRUE(contains(run.out, "loans</td><td class=\"n\">+50</td><td class=\"n\">-50</td>"
                                  "<td class=\"n\">1</td>"));
    // The import is one staff action of five accounts.
    EXPECT_TRUE(contains(run.out, "<td>Opal</td><td>admin import</td><td>5 accounts</td>"
                                  "<td class=\"n\">+76 in all</td>"));
    EXPECT_TRUE(contains(run.out, "<td>Mo</td><td>givegold</td><td>Bob</td>"
                                  "<td class=\"n\">+400</td><td class=\"n\">400</td>"));

    // --until ends the period before TIME, as for history: the kill at
    // 09:10:00 and what follows are left out, the two changes before kept.
    const Outcome until = admin({"report", folder.path, "--until", "2026-12-08T09:10:00Z"});
    EXPECT_EQ(until.status, 0) << until.err;
    EXPECT_TRUE(contains(until.out, "UTC: 2 changes in the journal.")) << until.out;
    EXPECT_TRUE(contains(until.out, "<b>+402</b><span>gold earned</span>"));
    EXPECT_FALSE(contains(until.out, "admin import"));
    const Outcome bad = admin({"report", folder.path, "--until", "soon"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(contains(bad.err, "--until soon: not a time")) << bad.err;
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
        EXPECT_EQ(run.out, "Recovered 1 change from gold.log.\n"
                           "Bob: 102 -> 500\n"
                           "Saved gold.dat (2 accounts); gold.log records the change as \"admin "
                           "set\" by Opal.\n");
        EXPECT_EQ(admin({"set", "Newcomer", "25", folder.path}).status, 0);
    }
    {
        // One account is counted as one.
        Folder first;
        OperatorNamed opal("Opal");
        const Outcome run = admin({"set", "Solo", "7", first.path});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Solo: 0 -> 7\nSaved gold.dat (1 account); gold.log records the change "
                           "as \"admin set\" by Opal.\n");
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
    EXPECT_TRUE(contains(history.out, ",admin set,Opal,Bob,gold,+398,500,"));
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
    // history and report read what the import wrote, one line or one
    // record of it.
    const Outcome history = admin({"history", "Al", folder.path, "--format", "csv"});
    EXPECT_TRUE(contains(history.out, ",admin import,Opal,Al,gold,+50,60,")) << history.err;
    const Outcome report = admin({"report", folder.path});
    EXPECT_TRUE(contains(report.out, "<b>+55</b><span>gold earned</span>"));
    EXPECT_TRUE(contains(report.out, "<b>-93</b><span>gold spent</span>"));
    EXPECT_TRUE(contains(report.out, "<td>Opal</td><td>admin import</td>"));
    quorvel::testing::TestArena arena(folder.path, 7);
    arena.handshake();
    EXPECT_EQ(arena.gold().balance("Bob"), 7u);
    EXPECT_EQ(arena.gold().balance("Al"), 60u);
    EXPECT_EQ(arena.gold().balance("Newbie"), 5u);
}

// A name a spreadsheet would run as a formula is exported as text, and an
// import of the export finds the same accounts; a signed number stays a number.
TEST(AdminImport, AnExportedNameIsNeverAFormulaAndImportsBackTheSame) {
    Folder folder;
    const std::vector<std::string> names{
        "=1+1",    "=cmd|' /C calc'!A0", "@SUM(A1:A9)", "+Bob", "-300",
        "'quoted", "Back\\slash,\"x\""};
    std::string dat;
    for (std::size_t i = 0; i < names.size(); ++i) {
        dat += goldRecord(names[i], static_cast<std::uint32_t>(10 + i));
    }
    folder.write("gold.dat", dat);
    folder.write("gold.log",
                 "2026-12-08T09:00:00Z\tgivegold\t=1+1\t@SUM(A1:A9)\tgold\t+100\t112\t1\n"
                 "2026-12-08T09:00:01Z\tloan\t@SUM(A1:A9)\t@SUM(A1:A9)\tgold\t-300\t"
                 "0\t1\n");
    Outcome run = admin({"gold", folder.path, "--format", "csv", "--sort", "name"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < run.out.size();) {
        const std::size_t end = run.out.find('\n', at);
        lines.push_back(run.out.substr(at, end - at));
        at = end == std::string::npos ? run.out.size() : end + 1;
    }
    ASSERT_EQ(lines.size(), names.size() + 1) << run.out;
    std::string back = lines[0] + "\n";
    for (const std::string& line : lines) {
        std::string_view cell = line;
        if (!cell.empty() && cell.front() == '"') {
            cell.remove_prefix(1);
        }
        ASSERT_FALSE(cell.empty());
        EXPECT_EQ(std::string("=+@\t\r").find(cell.front()), std::string::npos) << line;
        EXPECT_FALSE(cell.front() == '-' && !cell.starts_with("-300,")) << line;
        if (&line != &lines[0]) {
            back += line.substr(0, line.rfind(',')) + ",50\n";
        }
    }
    EXPECT_TRUE(contains(run.out, "\n'=1+1,10\n"));
    EXPECT_TRUE(contains(run.out, "\n-300,14\n"));

    const Folder files;
    files.write("back.csv", back);
    run = admin({"import", files.path + "/back.csv", folder.path});
    ASSERT_EQ(run.status, 0) << run.err;
    // No account was made: every name found its own.
    run = admin({"gold", folder.path, "--format", "csv"});
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), names.size() + 1) << run.out;
    {
        quorvel::testing::TestArena arena(folder.path, 7);
        arena.handshake();
        for (const std::string& name : names) {
            EXPECT_EQ(arena.gold().balance(name), 50u) << name;
        }
    }

    run = admin({"history", "@sum(a1:a9)", folder.path, "--format", "csv"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(contains(run.out, ",givegold,'=1+1,'@SUM(A1:A9),gold,+100,112,\n")) << run.out;
    EXPECT_TRUE(contains(run.out, ",loan,'@SUM(A1:A9),'@SUM(A1:A9),gold,-300,0,\n")) << run.out;
}

// What a spreadsheet saves: a byte-order mark (and then UTF-8), CR LF or LF,
// quoted names with doubled quotes, amounts with thousands separators in
// quotes, blanks around unquoted fields. What cannot be read whole refuses
// the file, and names the line.
TEST(AdminImport, ReadsWhatASpreadsheetWritesAndRefusesWhatItCannotReadWhole) {
    Folder folder;
    const std::string accounts = goldRecord("Bob", 100) + goldRecord("Dr \"Q\"", 7) +
                                 goldRecord("Pilot3", 1) + goldRecord("Caf\xE9", 2);
    folder.write("gold.dat", accounts);
    const Folder files;
    const std::map<std::string, std::pair<std::string, std::string>> refused = {
        {"newline.csv", {"Bob,5\r\n\"Two\nLines\",5\r\n", "newline.csv:2: "}},
        {"open.csv", {"\"Open,5\n", "open.csv:1: "}},
        {"three.csv", {"Bob,5,6\n", "three.csv:1: expected name,amount"}},
        {"bare.csv", {"Dr \"Q\",5\n", "bare.csv:1: "}},
        {"after.csv", {"\"Bob\" x,5\n", "after.csv:1: "}},
        {"groups.csv", {"Bob,\"1,00\"\n", "groups.csv:1: the amount \"1,00\" is not"}},
        {"blank.csv", {"\" Bob\",5\n", "blank.csv:1: \" Bob\" begins or ends with a blank"}},
        {"euro.csv", {"\xEF\xBB\xBF\xE2\x82\xAC\xE2\x82\xBF,5\n", "euro.csv:1: "}},
    };
    for (const auto& [file, lines] : refused) {
        files.write(file, lines.first);
        const Outcome run = admin({"import", files.path + "/" + file, folder.path});
        EXPECT_EQ(run.status, 1) << file << ": " << run.out;
        EXPECT_TRUE(contains(run.err, lines.second)) << file;
    }
    EXPECT_TRUE(
        contains(admin({"import", files.path + "/newline.csv", folder.path}).err, "line break"));
    EXPECT_EQ(folder.read("gold.dat"), accounts);
    EXPECT_FALSE(folder.exists("gold.log"));

    // Saved as UTF-8 with its mark: Café is the account cp1252 spells so.
    files.write("sheet.csv", "\xEF\xBB\xBFname,amount\r\n"
                             "\"Dr \"\"Q\"\"\",10\r\n"
                             "Pilot3,\"1,000\"\n"
                             "  Bob , 20 \r\n"
                             "\r\n"
                             "\"Zed\",\"12,345,678\"\r\n"
                             "Caf\xC3\xA9,3\r\n");
    Outcome run;
    {
        OperatorNamed opal("Opal");
        run = admin({"import", files.path + "/sheet.csv", folder.path});
    }
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Dr \"Q\": 7 -> 10\n"
                       "Pilot3: 1 -> 1000\n"
                       "Bob: 100 -> 20\n"
                       "Zed: 0 -> 12345678\n"
                       "Caf\xC3\xA9: 2 -> 3\n"
                       "Saved gold.dat (5 accounts); gold.log records the changes as \"admin "
                       "import\" by Opal.\n");
    EXPECT_EQ(folder.read("gold.dat"), goldRecord("Bob", 20) + goldRecord("Dr \"Q\"", 10) +
                                           goldRecord("Pilot3", 1000) + goldRecord("Caf\xE9", 3) +
                                           goldRecord("Zed", 12345678));
}

// gold --format csv, then import of that file: every name finds its own
// account, whatever it holds (a comma, quotes, a leading #, the header's
// word), also once a spreadsheet has saved it again as UTF-8 with CR LF.
TEST(AdminImport, TheFoldersOwnExportImportsBackAndChangesNothing) {
    Folder folder;
    const std::string accounts = goldRecord("Bob", 100) + goldRecord("#1Ace", 5) +
                                 goldRecord("Dr \"Q\"", 7) + goldRecord("a,b", 9) +
                                 goldRecord("name", 3) + goldRecord("Caf\xE9", 4) +
                                 goldRecord("Back\\x41", 6);
    folder.write("gold.dat", accounts);
    folder.write("gold.log", "2026-12-08T09:00:00Z\tsave\t-\t*\tgold\tsaved\t7\t1\n");
    const std::string journal = folder.read("gold.log");
    const Outcome exported = admin({"gold", folder.path, "--format", "csv", "--sort", "name"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "name,gold\n"
                            "\"#1Ace\",5\n"
                            "\"a,b\",9\n"
                            "Back\\\\x41,6\n"
                            "Bob,100\n"
                            "Caf\xE9,4\n"
                            "\"Dr \"\"Q\"\"\",7\n"
                            "\"name\",3\n");
    std::string spreadsheet = "\xEF\xBB\xBF";
    for (const std::string& line : splitText(exported.out, '\n')) {
        spreadsheet += (line.find("Caf") == 0 ? "Caf\xC3\xA9,4" : line) + "\r\n";
    }
    const Folder files;
    files.write("own.csv", exported.out);
    files.write("resaved.csv", spreadsheet);
    for (const char* file : {"own.csv", "resaved.csv"}) {
        const Outcome run = admin({"import", files.path + "/" + file, folder.path});
        EXPECT_EQ(run.status, 0) << file << ": " << run.err;
        EXPECT_TRUE(contains(run.out, "#1Ace: holds 5 already\n")) << file;
        EXPECT_TRUE(contains(run.out, "0 accounts changed: gold.dat is left as it was.\n")) << file;
        EXPECT_EQ(folder.read("gold.dat"), accounts) << file;
        EXPECT_EQ(folder.read("gold.log"), journal) << file;
    }

    // A field a reader would trim or take apart is quoted.
    folder.write("gold.dat", goldRecord(" lead", 1) + goldRecord("trail ", 2) +
                                 goldRecord("say \"hi\"", 3) + goldRecord("Name", 4));
    EXPECT_EQ(admin({"gold", folder.path, "--format", "csv", "--sort", "name"}).out,
              "name,gold\n\" lead\",1\n\"Name\",4\n\"say \"\"hi\"\"\",3\n\"trail \",2\n");
}

// A name may hold any byte of cp1252; a UTF-8 terminal is shown its
// characters and never a control sequence (C2 9B is "erase display" there).
TEST_F(AdminListing, NamesReachATerminalAsTheirCp1252Characters) {
    const std::string hostile = "Ab\xC2\x9B"
                                "2J\x80";
    folder.write("gold.dat", goldRecord(hostile, 5) + goldRecord("Caf\xE9", 7));
    folder.write("gold.log",
                 "2026-12-08T09:00:00Z\tgivegold\t" + hostile + "\tCaf\xE9\tgold\t+2\t9\t1\n");
    const std::string shown = "Ab\xC3\x82\xE2\x80\xBA"
                              "2J\xE2\x82\xAC";
    for (const auto& command :
         {std::vector<std::string>{"gold", folder.path}, {"history", "caf\xE9", folder.path}}) {
        const Outcome run = admin(command);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(contains(run.out, shown)) << run.out;
        EXPECT_FALSE(contains(run.out, "\xC2\x9B")) << run.out;
        for (std::size_t i = 0; i + 1 < run.out.size(); ++i) {
            const auto lead = static_cast<unsigned char>(run.out[i]);
            const auto next = static_cast<unsigned char>(run.out[i + 1]);
            EXPECT_FALSE(lead == 0xC2 && next >= 0x80 && next <= 0x9F) << run.out;
        }
    }
    EXPECT_TRUE(contains(admin({"gold", folder.path}).out, "Caf\xC3\xA9"));
    const Outcome json = admin({"gold", folder.path, "--format", "json"});
    EXPECT_TRUE(contains(json.out, "\"Ab\\u00c2\\u203a2J\\u20ac\"")) << json.out;
    const Outcome report = admin({"report", folder.path});
    EXPECT_TRUE(contains(report.out, "<td>" + shown + "</td>")) << report.out;
    const Outcome missing = admin({"gold", folder.path, "--name", hostile + "x"});
    EXPECT_TRUE(contains(missing.err, shown + "x")) << missing.err;
}

// A change is journaled only once gold.dat holds it: a save that fails (its
// temporary file cannot be made; a full disk) leaves gold.dat and gold.log
// as they were, and a module start finds neither the change nor an account
// it would have made.
TEST(AdminSet, ASaveThatFailsLeavesNoTrace) {
    const std::string accounts = goldRecord("Bob", 100);
    const std::string journal = "2026-12-08T09:00:00Z\tsave\t-\t*\tgold\tsaved\t1\t1\n";
    const Folder files;
    files.write("names.csv", "Bob,500\nNewbie,5\n");
    const auto expectNoTrace = [&](const Folder& folder, const std::string& reason) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"set", "Newcomer", "25", folder.path},
              std::vector<std::string>{"import", files.path + "/names.csv", folder.path}}) {
            const Outcome run = admin(args);
            EXPECT_EQ(run.status, 1) << args[0];
            EXPECT_TRUE(contains(run.err, "Could not save gold.dat: " + reason)) << args[0];
            EXPECT_TRUE(contains(run.err, "The previous gold.dat is unchanged. Nothing is "
                                          "changed, and gold.log holds nothing of it."))
                << args[0];
            EXPECT_EQ(folder.read("gold.dat"), accounts) << args[0];
            EXPECT_EQ(folder.read("gold.log"), journal) << args[0];
        }
    };
    const auto expectModuleStartFindsNothing = [](const Folder& folder) {
        quorvel::testing::TestArena arena(folder.path, 7);
        arena.handshake();
        EXPECT_EQ(arena.gold().balance("Bob"), 100u);
        EXPECT_EQ(arena.gold().find("Newcomer"), nullptr);
        EXPECT_EQ(arena.gold().find("Newbie"), nullptr);
        EXPECT_EQ(arena.gold().size(), 1u);
        for (const std::string& line : arena.takeTexts()) {
            EXPECT_FALSE(contains(line, "Recovered")) << line;
        }
    };
    {
        Folder folder;
        folder.write("gold.dat", accounts);
        folder.write("gold.log", journal);
        // The save's temporary file cannot be made: a folder has its name.
        const std::string inTheWay = folder.path + "/" + platform::temporaryNameFor("gold.dat");
        std::filesystem::create_directory(inTheWay);
        expectNoTrace(folder, "cannot create " + platform::temporaryNameFor("gold.dat"));
        std::filesystem::remove(inTheWay);
        expectModuleStartFindsNothing(folder);
    }

    // A full disk, as a small tmpfs over the folder (root only): gold.log's
    // last page still takes a line, gold.dat's temporary file no byte.
    Folder folder;
    static const bool ownNamespace =
        ::unshare(CLONE_NEWNS) == 0 &&
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (!ownNamespace || ::mount("quorvel-admin-full", folder.path.c_str(), "tmpfs",
                                 MS_NOSUID | MS_NODEV, "size=64k") != 0) {
        GTEST_SKIP() << "no tmpfs can be mounted here: " << std::strerror(errno);
    }
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{folder.path};
    folder.write("gold.dat", accounts);
    folder.write("gold.log", journal);
    const std::string filler = folder.path + "/filler";
    const auto fill = [&filler] { quorvel::testing::fillFileSystem(filler); };
    fill();
    expectNoTrace(folder, "cannot write " + platform::temporaryNameFor("gold.dat") + ": " +
                              std::strerror(ENOSPC));
    std::filesystem::remove(filler);
    expectModuleStartFindsNothing(folder);

    // gold.log refusing the record once gold.dat holds the change (gold.log
    // links to the full disk, the folder has room): the change stands, and
    // the message says that gold.log does not show it.
    const Folder beside;
    beside.write("gold.dat", accounts);
    folder.write("full.log", "");
    fill();
    std::filesystem::create_symlink(folder.path + "/full.log", beside.path + "/gold.log");
    const Outcome run = admin({"set", "Newcomer", "25", beside.path});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "Saved gold.dat (2 accounts) with the change, but gold.log "
                                  "could not record it ("))
        << run.err;
    EXPECT_TRUE(contains(run.err, std::strerror(ENOSPC))) << run.err;
    EXPECT_EQ(beside.read("gold.dat"), accounts + goldRecord("Newcomer", 25));
    EXPECT_EQ(folder.read("full.log"), "");
    std::filesystem::remove(filler);
}

TEST(AdminCommands, EachAnswersHelpAndABadCommandLineIsStatusTwo) {
    for (const char* command : {"check", "gold", "items", "history", "set", "import", "report"}) {
        const Outcome run = admin({command, "--help"});
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_TRUE(contains(run.out, std::string("Usage: quorvel-admin ") + command)) << run.out;
    }
    EXPECT_EQ(admin({"--help"}).status, 0);
    // An unknown command is named, with the nearest one when it is a slip,
    // and the list of commands.
    const std::string commands = "The commands: check, gold, items, history, set, import, "
                                 "migrate, export, report.";
    Outcome run = admin({"weigh"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "quorvel-admin: unknown command weigh. " + commands + "\n");
    run = admin({"chek", "."});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "quorvel-admin: unknown command chek: did you mean check? " + commands + "\n");
    run = admin({"reprot"});
    EXPECT_TRUE(contains(run.err, "unknown command reprot: did you mean report?")) << run.err;
    run = admin({"Gold"});
    EXPECT_TRUE(contains(run.err, "unknown command Gold: did you mean gold?")) << run.err;
    // Arguments left over are named in the order they were typed.
    run = admin({"gold", ".", "first", "second", "third"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "The following arguments were not expected: first second third"))
        << run.err;
    // The version of the build.
    run = admin({"--version"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::regex_match(
        run.out, std::regex("quorvel-admin " QUORVEL_PROJECT_VERSION "( \\(git [^ )]+\\))?\n")))
        << run.out;
    run = admin({"gold", "--format", "xml"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.err, "--format"));
    run = admin({"set", "Bob", "-4", "."});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.err, "the amount \"-4\" is not a whole number from 0 to"));
}

// A long command's progress: on a terminal only, once its delay has passed,
// written over itself and erased whole; never on a stream that is not
// standard error on a terminal, as a test's captured output is.
TEST(AdminCommands, ProgressShowsOnlyOnATerminalAfterItsDelayAndIsErased) {
    std::ostringstream notTerminal;
    {
        Progress progress(notTerminal, false, std::chrono::seconds(0));
        progress.reading("gold.log", 50, 100);
        progress.clear();
    }
    EXPECT_EQ(notTerminal.str(), "");

    std::ostringstream early;
    {
        Progress progress(early, true, std::chrono::hours(1));
        progress.reading("gold.log", 50, 100);
    }
    EXPECT_EQ(early.str(), "");

    std::ostringstream terminal;
    Progress progress(terminal, true, std::chrono::seconds(0));
    progress.reading("gold.log.1", 1, 3);
    const std::string first = terminal.str();
    EXPECT_TRUE(first.starts_with("\rquorvel-admin: reading gold.log.1: 33% (")) << first;
    progress.reading("gold.log", 200, 100); // a file grown while read
    const std::string second = terminal.str().substr(first.size());
    EXPECT_TRUE(second.starts_with("\rquorvel-admin: reading gold.log: 100% (")) << second;
    // The longer line before is covered by spaces, not left half shown.
    EXPECT_EQ(second.size(), first.size()) << second;
    progress.clear();
    const std::string erased = terminal.str().substr(first.size() + second.size());
    // The line shown: after its '\r', up to the spaces that covered the first.
    const std::size_t shownWidth = second.find_last_not_of(' ');
    EXPECT_EQ(erased, "\r" + std::string(shownWidth, ' ') + "\r");
    progress.clear(); // nothing left to erase
    EXPECT_EQ(terminal.str().size(), first.size() + second.size() + erased.size());

    std::ostringstream captured;
    {
        CommandProgress command(captured);
        ASSERT_NE(commandProgress(), nullptr);
        EXPECT_FALSE(commandProgress()->shown());
    }
    EXPECT_EQ(commandProgress(), nullptr);
}

using quorvel::testing::ThrowawayServer;

// A folder whose economy is in a database of the test's own: migrate moves
// the folder's into it once, export writes it back as files a check finds
// clean, and the reading commands read the database.
class AdminDatabase : public ::testing::TestWithParam<ThrowawayServer::Kind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready()) << server.why();
        // The password is never shown: each run's output is searched for it.
        connection = server.connection() + "Pwd=" + password + ";";
        writeUpgradedFolder(folder);
        folder.write("quorvel.ini", databaseSection("Economy=database"));
        ASSERT_TRUE(db.open(server.connection(), 5).ok());
        dialect = dialectOf(db.dbmsName());
    }

    std::string databaseSection(const std::string& economy) const {
        return "[Database]\n" + economy + "\nConnection=" + connection + "\nHostId=zoneA\n";
    }

    Outcome run(const std::vector<std::string>& args) const {
        Outcome ran = admin(args);
        EXPECT_FALSE(contains(ran.out + ran.err, password)) << ran.out << ran.err;
        return ran;
    }

    // The accounts and inventory records, and the ledger's lines by outcome.
    std::string tables() {
        std::string text;
        EXPECT_TRUE(readAccounts(db, {}, [&text](const StoredAccount& account) {
                        text += account.name + "=" + std::to_string(account.gold) + " ";
                    }).ok());
        EXPECT_TRUE(readInventories(db, {}, [&text](const StoredInventory& record) {
                        text += record.name + ":";
                        for (std::int64_t count : record.counts) {
                            text += " " + std::to_string(count);
                        }
                        text += " ";
                    }).ok());
        EXPECT_TRUE(db.query("SELECT outcome, COUNT(*) FROM quorvel_ledger GROUP BY outcome "
                             "ORDER BY outcome",
                             {},
                             [&text](const platform::odbc::Connection::Row& row) {
                                 text += "outcome " + row[0].value_or("") + ": " +
                                         row[1].value_or("") + " lines ";
                             })
                        .ok());
        return text;
    }

    // A host's record of a kill, applied as a host applies it, later than
    // the move whatever the machine's clock says.
    void hostCredits(const std::string& name, std::int64_t amount, std::uint64_t seq) {
        quorvel::JournalEntry line;
        line.time = "2100-01-01T10:00:0" + std::to_string(seq) + "Z";
        line.cause = {"kill Al", name, 1};
        line.account = name;
        line.field = "gold";
        line.change = "+" + std::to_string(amount);
        line.after = "1";
        // Numbered as a host numbers its records: far above a folder's own.
        const DatabaseRecord record{4'000'000'000'000'000 + seq, false, {line}};
        std::vector<RecordOutcome> outcomes;
        ASSERT_TRUE(applyRecords(db, dialect, "zoneA", std::span(&record, 1), outcomes).ok());
        ASSERT_EQ(outcomes.front(), RecordOutcome::applied);
    }

    const std::string password = "hunter2secret";
    ThrowawayServer server{GetParam()};
    std::string connection;
    Folder folder;
    platform::odbc::Connection db;
    Dialect dialect = Dialect::unknown;
};

TEST_P(AdminDatabase, MigrateMovesTheFolderOnceAndTheCommandsReadTheDatabase) {
    // Refused while a host holds the folder, and when the folder would lose
    // an account: gold.dat holds a name twice.
    {
        platform::FileLock host;
        ASSERT_TRUE(host.acquire(folder.path + "/gold.lock").ok());
        const Outcome refused = run({"migrate", folder.path});
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(contains(refused.err, "cannot lock gold.lock"));
    }
    Folder twice;
    twice.write("quorvel.ini", databaseSection("Economy=database"));
    twice.write("gold.dat", goldRecord("Bob", 5) + goldRecord("BOB", 7));
    Outcome ran = run({"migrate", twice.path});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(contains(ran.err, "gold.dat: 1 record hold a name an earlier record holds"));
    // Nothing of it moved: the tables below hold the folder's alone.

    ran = run({"migrate", folder.path});
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(contains(ran.out, "as record 1 of zoneA/migrate: 5 accounts holding 182 gold, 1 "
                                  "inventory record, and 16 history lines"));
    EXPECT_TRUE(contains(ran.out, "Pwd=***"));
    const std::string moved = tables();
    EXPECT_EQ(moved, "Al=50 Bob=102 Cy=10 Dee=10 Eve=10 Bob: 1 0 0 0 0 0 0 0 outcome 1: 7 lines "
                     "outcome 2: 16 lines ");
    ran = run({"migrate", folder.path});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(contains(ran.out, "before (the database has seen record 1 of zoneA/migrate): "
                                  "nothing is moved again."));
    EXPECT_EQ(tables(), moved);

    // A host started in the folder finds gold.log's records in the ledger,
    // and sends none of them again.
    {
        quorvel::testing::TestArena host(folder.path, 7);
        host.handshake();
        auto* economy = dynamic_cast<DatabaseEconomy*>(host.spawn().gold.economy.get());
        ASSERT_NE(economy, nullptr);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!(economy->reachable() && economy->waiting() == 0) &&
               std::chrono::steady_clock::now() < until) {
            host.tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_EQ(economy->waiting(), 0u);
        host.terminate();
    }
    EXPECT_EQ(tables(), moved);

    // A host's change since, which gold.dat does not hold.
    hostCredits("Al", 40, 1);
    ran = run({"gold", folder.path, "--sort", "name", "--format", "csv"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_EQ(ran.out, "name,gold\nAl,90\nBob,102\nCy,10\nDee,10\nEve,10\n");
    ran = run({"items", folder.path, "--format", "csv"});
    EXPECT_EQ(ran.out, "name,guns,bombs,multi,super,shield,thor,prize,portal,total\n"
                       "Bob,1,0,0,0,0,0,0,0,1\n");
    ran = run({"history", "al", folder.path, "--format", "csv"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    const std::vector<std::string> lines = splitText(ran.out, '\n');
    ASSERT_FALSE(lines.empty());
    // The journal moved as history, the move, then the host's kill, in time
    // order: the last two lines are the move's and the host's.
    EXPECT_TRUE(contains(ran.out, "2026-12-08T09:10:02Z,loan,Bob,Al,gold,+50,52,"));
    EXPECT_TRUE(contains(lines[lines.size() - 2], ",admin migrate,"));
    EXPECT_TRUE(contains(lines[lines.size() - 2], ",Al,gold,+50,50,1"));
    EXPECT_EQ(lines.back(), "2100-01-01T10:00:01Z,kill Al,Al,Al,gold,+40,1,4000000000000001");

    bool held = false;
    std::string holder;
    ASSERT_TRUE(claimHost(db, dialect, "zoneA", "machine1/4711", 1000, 30, held, holder).ok());
    ran = run({"check", folder.path});
    EXPECT_EQ(ran.status, 0) << ran.out;
    EXPECT_TRUE(contains(ran.out, "tables of version 1, 5 accounts, 1 inventory record"));
    EXPECT_TRUE(contains(ran.out, "host zoneA    held by machine1/4711"));
    EXPECT_TRUE(contains(ran.out, "No problems"));

    // A balance changed behind the ledger's back.
    ASSERT_TRUE(
        db.execute("UPDATE quorvel_accounts SET gold = 7 WHERE folded = ?", {foldedCopy("Cy")})
            .ok());
    ran = run({"check", folder.path});
    EXPECT_EQ(ran.status, 1) << ran.out;
    EXPECT_TRUE(contains(ran.out, "disagree with its ledger on 1 account"));
    EXPECT_TRUE(contains(ran.out, "Cy: the account holds 7, its ledger's applied gold lines add "
                                  "up to 10"));
}

TEST_P(AdminDatabase, ExportWritesFilesACheckFindsCleanAndNeverOverwritesSilently) {
    ASSERT_EQ(run({"migrate", folder.path}).status, 0);
    hostCredits("Al", 40, 1);
    hostCredits("Zed", 3, 2);

    Folder exported;
    exported.write("quorvel.ini", databaseSection("Economy=database"));
    Outcome ran = run({"export", exported.path});
    ASSERT_EQ(ran.status, 0) << ran.err;
    EXPECT_TRUE(contains(ran.out, "gold.dat (6 accounts holding 225 gold), inv.dat (1 record)"));
    EXPECT_EQ(exported.read("gold.dat"), goldRecord("Al", 90) + goldRecord("Bob", 102) +
                                             goldRecord("Cy", 10) + goldRecord("Dee", 10) +
                                             goldRecord("Eve", 10) + goldRecord("Zed", 3));
    EXPECT_EQ(exported.read("inv.dat"), inventoryRecord("Bob", {1, 0, 0, 0, 0, 0, 0, 0}));
    // One folder's journal: numbered 1 to n in time order, then the marks
    // of the two saves.
    auto rows = journalRows(exported.read("gold.log"));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(withoutTime(rows.back()),
              (std::vector<std::string>{"save", "-", "*", "inventory", "saved", "1", "0"}));
    rows.pop_back();
    EXPECT_EQ(withoutTime(rows.back()),
              (std::vector<std::string>{"save", "-", "*", "gold", "saved", "6", "0"}));
    rows.pop_back();
    for (std::size_t at = 1; at < rows.size(); ++at) {
        ASSERT_EQ(rows[at].size(), 10u);
        EXPECT_LE(rows[at - 1][0], rows[at][0]);
        EXPECT_LE(std::stoull(rows[at - 1][8]), std::stoull(rows[at][8]));
    }
    EXPECT_EQ(rows.front()[8], "1");

    // As a folder of files: clean, and a module start loads the same.
    exported.write("quorvel.ini", databaseSection("Economy=files"));
    ran = run({"check", exported.path});
    EXPECT_EQ(ran.status, 0) << ran.out;
    EXPECT_TRUE(contains(ran.out, "No problems"));
    ran = run({"gold", exported.path, "--sort", "name", "--format", "csv"});
    EXPECT_EQ(ran.out, "name,gold\nAl,90\nBob,102\nCy,10\nDee,10\nEve,10\nZed,3\n");
    EXPECT_FALSE(contains(ran.err, "Recovered")); // nothing replayed over the balances

    // The folder's own economy files are not overwritten without --replace.
    exported.write("quorvel.ini", databaseSection("Economy=database"));
    const auto before = exported.snapshot();
    ran = run({"export", exported.path});
    EXPECT_EQ(ran.status, 1);
    EXPECT_TRUE(contains(ran.err, "holds an economy in files already (gold.dat, inv.dat, "
                                  "gold.log)"));
    EXPECT_EQ(exported.snapshot(), before);
    exported.write("gold.log.1", "stale\n");
    ran = run({"export", exported.path, "--replace"});
    EXPECT_EQ(ran.status, 0) << ran.err;
    EXPECT_FALSE(exported.exists("gold.log.1"));
}

INSTANTIATE_TEST_SUITE_P(Servers, AdminDatabase,
                         ::testing::Values(ThrowawayServer::Kind::postgres,
                                           ThrowawayServer::Kind::sqlite),
                         [](const ::testing::TestParamInfo<ThrowawayServer::Kind>& param) {
                             return param.param == ThrowawayServer::Kind::postgres ? "PostgreSQL"
                                                                                   : "SQLite";
                         });

} // namespace
} // namespace quorvel::admin::testing
