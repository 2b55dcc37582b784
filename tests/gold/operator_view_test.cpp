// gold.log read the way an operator reads it: one tab-separated line per
// change, found with grep by cause, by whoever caused it, or by account.
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quorvel::testing {
namespace {

using Row = std::vector<std::string>;

// The rows whose column `column` equals `value`, without the time.
std::vector<Row> rowsWhere(const std::string& journal, std::size_t column,
                           const std::string& value) {
    std::vector<Row> rows;
    std::istringstream lines(journal);
    for (std::string line; std::getline(lines, line);) {
        Row fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '\t');) {
            fields.push_back(field);
        }
        if (fields.size() == 10 && fields[column] == value) {
            fields.erase(fields.begin());
            fields.resize(6); // not the bot (one bot here), the record's number or place
            rows.push_back(fields);
        }
    }
    return rows;
}

TEST(JournalForOperators, GiftsPurchasesAndStaffActionsCanBeFoundByGrep) {
    TestArena arena;
    arena.writeFile("quorvel.ini", "[Settings]\nInventory=1\n");
    arena.handshake();
    PlayerRecord& staff = arena.addPlayer({.name = "Staffer", .accessLevel = 2});
    PlayerRecord& bob = arena.addPlayer({.name = "Bob", .team = 1, .ship = 1});
    PlayerRecord& al = arena.addPlayer({.name = "Al", .team = 2, .ship = 2});
    arena.enter(bob);
    arena.enter(al);
    arena.command(staff, "givegold", "Bob:400");
    arena.command(staff, "givegold", "bob:0"); // nothing moves, nothing is written
    arena.kill(al, bob);
    arena.command(bob, "buy", "inv guns");
    arena.command(bob, "inv", "guns");
    arena.command(bob, "lendgold", "Al:50");
    arena.command(staff, "takegold", "Al:20");
    arena.command(staff, "goldsave");
    const std::string journal = arena.readFile("gold.log").value_or("");

    // Every gift Bob received: grep -P '\tBob\tgold\t\+' gold.log
    std::vector<Row> bobsGold = rowsWhere(journal, 3, "Bob");
    EXPECT_EQ(bobsGold, (std::vector<Row>{
                            {"entry", "Bob", "Bob", "inventory", "new", "0"},
                            {"givegold", "Staffer", "Bob", "gold", "+400", "400"},
                            {"kill Al", "Bob", "Bob", "gold", "+2", "402"},
                            {"purchase guns", "Bob", "Bob", "guns", "+1", "1"},
                            {"purchase guns", "Bob", "Bob", "gold", "-300", "102"},
                            {"inventory use", "Bob", "Bob", "guns", "-1", "0"},
                            {"loan", "Bob", "Bob", "gold", "-50", "52"},
                        }));
    // Everything staff member Staffer did: grep -P '^[^\t]*\t[^\t]*\tStaffer\t' gold.log
    EXPECT_EQ(rowsWhere(journal, 2, "Staffer"),
              (std::vector<Row>{
                  {"givegold", "Staffer", "Bob", "gold", "+400", "400"},
                  {"takegold", "Staffer", "Al", "gold", "-20", "30"},
              }));
    // Loans: grep -P '\tloan\t' gold.log
    EXPECT_EQ(rowsWhere(journal, 1, "loan"), (std::vector<Row>{
                                                 {"loan", "Bob", "Al", "gold", "+50", "50"},
                                                 {"loan", "Bob", "Bob", "gold", "-50", "52"},
                                             }));
    // The save is marked after gold.dat was replaced.
    EXPECT_EQ(rowsWhere(journal, 1, "save"),
              (std::vector<Row>{{"save", "-", "*", "gold", "saved", "2"}}));
}

} // namespace
} // namespace quorvel::testing
