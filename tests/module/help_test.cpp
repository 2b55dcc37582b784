#include "support/test_arena.h"

#include <gtest/gtest.h>

#include "module/service_registry.h"

#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

struct TopicLines {
    const char* topic;
    Texts lines;
};

const Texts plainPlayerList = {
    "!about (About this bot spawn.)",
    "!status (current bountyrabbit.)",
    "!zstatus (current zombies game status.)",
    "Gold Store/Invintory commands: !gold !lendgold !buy !inv !show !hide",
};

const Texts plainModList = {
    "Ext: Flag commands: !aradius !shutup !start",
    "Ext: Bounty Rabbit commands: !newpick !stop",
    "Ext: Star Wars Ship Checker commands: !check !notcheck",
    "Ext: Auto Team/Area Warp commands: !Twarpon !Twarpoff !Awarpon !Awarpoff !warpon !warpoff "
    "!alloff",
    "Ext: Zombie commands: !zon !zoff !zship !zteam !hship !hteam !zsave !zload",
    "Ext: Gold Store/Invintory commands: !givegold !takegold !playergold !goldload !goldsave "
    "!invload !invsave !ion !ioff",
};

const std::string sopLine = "Ext: Gold Store/Invintory commands: !resetgold !resetinv";

const Texts modTopicList = {
    "Ext: Flag commands: !aradius !shutup !start",
    "Ext: Bounty Rabbit commands: !newpick !stop",
    "Ext: Star Wars Ship Checker commands: !check !notcheck",
    "Ext: Auto Team/Area Warp commands: !twarpon !twarpoff !awarpon !awarpoff !iwarpon !iwarpoff "
    "!alloff",
    "Ext: Zombie commands: !zon !zoff !zship !zteam !hship !hteam !zsave !zload",
    "Ext: Gold Store/Invintory commands: !givegold !takegold !playergold !goldload !goldsave "
    "!invload !invsave",
};

const TopicLines staffTopics[] = {
    {"aradius",
     {"!aradius (Shows what the antiwarp radius is set to)",
      "!aradius <tiles> (Set distance from center to check antiwarp.)"}},
    {"shutup", {"!shutup (Stop announcing flag victories, doesn't stop antiwarp checking.)"}},
    {"start", {"!start (Start announcing flag victories.)"}},
    {"newpick", {"!newpick (choose a new bounty rabbit.)"}},
    {"stop", {"!stop (end the bounty rabbit game early.)"}},
    {"check", {"!check (start ship checking for freqs 0, 1, and 2.)"}},
    {"notcheck", {"!notcheck (stop ship checking for freqs 0, 1, and 2.)"}},
    {"twarpon", {"!twarpon (Start Auto Team Warping to tiles specified in WarpTeam.ini.)"}},
    {"twarpoff", {"!twarpoff (Stop Auto Team Warping.)"}},
    {"awarpon",
     {"!awarpon (Start Auto Area Warping to and from tiles specified in WarpArea.ini.)"}},
    {"awarpoff", {"!awarpoff (Stop Auto Area Warping.)"}},
    {"iwarpon",
     {"!iwarpon (Start Auto Team Warping on Insert to tiles specified in WarpTeam.ini.)"}},
    {"iwarpoff", {"!iwarpoff (Stop Auto Team Warping on Insert.)"}},
    {"alloff", {"!alloff (Stop all Auto Warping Functions.)"}},
    {"zon", {"!zon (Start Zombies game.)"}},
    {"zoff", {"!zoff (Stop Zombies game.)"}},
    {"zship", {"!zship <number> (Set Zombie ship.)"}},
    {"zteam", {"!zteam <number> (Set Zombie team.)"}},
    {"hship", {"!hship <number> (Set Human ship.)"}},
    {"hteam", {"!hteam <number> (Set Human team.)"}},
    {"zsave", {"!zsave (Save new Zombies game settings.)"}},
    {"zload", {"!zload (Load Zombies game settings.)"}},
    {"givegold",
     {"!givegold", "Syntax: Player:Ammount", "Gives Gold to specified player's account."}},
    {"takegold",
     {"!takegold", "Syntax: Player:Ammount", "Takes Gold from specified player's account."}},
    {"goldsave", {"!goldsave (Saves Gold Database manually.)"}},
    {"goldload", {"!goldload (Loads Gold Database manually.)"}},
    {"playergold", {"!playergold", "Syntax: Player", "See player's Gold account."}},
    {"invsave", {"!invsave (Saves Inventory Database manually.)"}},
    {"invload",
     {"!invload (Loads Inventory Database manually, be sure to use this before people start "
      "entering... fix planned in future.)"}},
    {"ion",
     {"!ion (Starts using Store/Inventory functions, be sure to use this before people start "
      "entering the arena... will fix in future.)"}},
    {"ioff", {"!ioff (Stops using Store/Inventory functions.)"}},
};

const TopicLines playerTopics[] = {
    {"about", {"!about (About this bot spawn.)"}},
    {"status", {"!status (current bounty rabbit)"}},
    {"zstatus", {"!zstatus (current zombies game status)"}},
    {"gold", {"!gold (Displays your Gold account.)"}},
    {"lendgold",
     {"!lendgold Player:Ammount (Gives specified amount of Gold to specified player.)"}},
    {"buy",
     {"!buy (display list of all items avalible for purchas and there cost ect...)",
      "!buy use item (buy item in list for instant use.)",
      "!buy inv item (buy item in list to put in Inventory for later use)"}},
    {"inv", {"!inv item (use item in your Inventory.)"}},
    {"show",
     {"!show (shows private messages for gold given when you kill someone on another team."}},
    {"hide",
     {"!hide (stops showing private messages for gold given when you kill someone on another "
      "team."}},
};

Texts concat(Texts first, const Texts& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// Every help line is private to the asker.
Texts helpFor(TestArena& arena, const PlayerRecord& asker, const std::string& topic) {
    arena.take();
    arena.help(asker, topic);
    Texts texts;
    for (const Sent& sent : arena.take()) {
        EXPECT_EQ(sent.code, Say);
        EXPECT_EQ(sent.chatType, Private) << describe(sent);
        EXPECT_EQ(sent.target, asker.ident) << describe(sent);
        texts.push_back(sent.text);
    }
    return texts;
}

class HelpByLevel : public ::testing::Test {
protected:
    void SetUp() override { arena.handshake(); }

    const PlayerRecord& at(std::uint32_t level) {
        return arena.addPlayer({.name = "Level" + std::to_string(level), .accessLevel = level});
    }

    TestArena arena;
};

TEST_F(HelpByLevel, PlainHelpListsTheCommandsOfEachLevel) {
    EXPECT_EQ(helpFor(arena, at(0), ""), plainPlayerList);
    EXPECT_EQ(helpFor(arena, at(1), ""), plainPlayerList);
    EXPECT_EQ(helpFor(arena, at(2), ""), plainModList);
    EXPECT_EQ(helpFor(arena, at(3), ""), Texts{}); // an SMod's plain help is silent
    for (std::uint32_t level = 4; level <= 12; ++level) {
        EXPECT_EQ(helpFor(arena, at(level), ""), Texts{sopLine}) << "level " << level;
    }
    EXPECT_EQ(helpFor(arena, at(13), ""), Texts{});
    EXPECT_EQ(helpFor(arena, at(4000000000u), ""), Texts{});
}

TEST_F(HelpByLevel, TopicsAllModAndSopDependOnTheLevel) {
    EXPECT_EQ(helpFor(arena, at(0), "all"), Texts{});
    EXPECT_EQ(helpFor(arena, at(1), "mod"), Texts{});
    EXPECT_EQ(helpFor(arena, at(2), "all"), modTopicList);
    EXPECT_EQ(helpFor(arena, at(2), "mod"), modTopicList);
    EXPECT_EQ(helpFor(arena, at(2), "sop"), Texts{});
    EXPECT_EQ(helpFor(arena, at(3), "all"), modTopicList);
    EXPECT_EQ(helpFor(arena, at(5), "all"), concat({sopLine}, modTopicList));
    EXPECT_EQ(helpFor(arena, at(12), "ALL"), concat({sopLine}, modTopicList));
    EXPECT_EQ(helpFor(arena, at(4), "sop"), Texts{sopLine});
    EXPECT_EQ(helpFor(arena, at(4), "mod"), modTopicList);
    EXPECT_EQ(helpFor(arena, at(13), "all"), Texts{});
}

TEST_F(HelpByLevel, SopTopicsOnlyFromSopUp) {
    const Texts resetgold = {"!resetgold (WARNING: Deletes Gold Database.)"};
    const Texts resetinv = {"!resetinv (WARNING: Deletes Inventory Database.)"};
    for (std::uint32_t level : {0u, 1u, 2u, 3u}) {
        EXPECT_EQ(helpFor(arena, at(level), "resetgold"), Texts{}) << "level " << level;
        EXPECT_EQ(helpFor(arena, at(level), "resetinv"), Texts{}) << "level " << level;
    }
    for (std::uint32_t level : {4u, 8u, 12u}) {
        EXPECT_EQ(helpFor(arena, at(level), "resetgold"), resetgold) << "level " << level;
        EXPECT_EQ(helpFor(arena, at(level), "ResetInv"), resetinv) << "level " << level;
    }
}

TEST_F(HelpByLevel, EveryStaffTopicFromModUpAndNoneForPlayers) {
    const PlayerRecord& player = at(0);
    const PlayerRecord& limited = at(1);
    const PlayerRecord& mod = at(2);
    const PlayerRecord& smod = at(3);
    const PlayerRecord& god = at(12);
    for (const TopicLines& topic : staffTopics) {
        EXPECT_EQ(helpFor(arena, player, topic.topic), Texts{}) << topic.topic;
        EXPECT_EQ(helpFor(arena, limited, topic.topic), Texts{}) << topic.topic;
        EXPECT_EQ(helpFor(arena, mod, topic.topic), topic.lines) << topic.topic;
        EXPECT_EQ(helpFor(arena, smod, topic.topic), topic.lines) << topic.topic;
        EXPECT_EQ(helpFor(arena, god, topic.topic), topic.lines) << topic.topic;
    }
}

TEST_F(HelpByLevel, EveryPlayerTopicAtEveryLevelOnce) {
    for (const TopicLines& topic : playerTopics) {
        for (std::uint32_t level = 0; level <= 12; ++level) {
            EXPECT_EQ(helpFor(arena, at(level), topic.topic), topic.lines)
                << topic.topic << " at level " << level;
        }
        EXPECT_EQ(helpFor(arena, at(13), topic.topic), Texts{}) << topic.topic;
    }
}

TEST_F(HelpByLevel, TopicIsTheWholeTextFoldedToLowerCase) {
    const PlayerRecord& mod = at(2);
    const Texts aradius = {"!aradius (Shows what the antiwarp radius is set to)",
                           "!aradius <tiles> (Set distance from center to check antiwarp.)"};
    EXPECT_EQ(helpFor(arena, mod, "ARADIUS"), aradius);
    EXPECT_EQ(helpFor(arena, mod, "aRaDiUs"), aradius);
    EXPECT_EQ(helpFor(arena, mod, "aradius now"), Texts{});
    EXPECT_EQ(helpFor(arena, mod, "aradius "), Texts{});
    EXPECT_EQ(helpFor(arena, mod, "help"), Texts{});
    EXPECT_EQ(helpFor(arena, mod, "warpon"), Texts{});
    EXPECT_EQ(helpFor(arena, at(0), "GOLD"), Texts{"!gold (Displays your Gold account.)"});
}

// The README's table of commands names every command of the module, and
// "!help NAME" explains each of them (but !help itself) to a God, starting
// with its name.
TEST_F(HelpByLevel, EveryCommandOfTheReadmeHasATopic) {
    std::ifstream in(QUORVEL_SOURCE_DIR "/README.md");
    ASSERT_TRUE(in);
    std::set<std::string> documented;
    bool inTable = false;
    for (std::string row; std::getline(in, row);) {
        if (row.starts_with("| Command | Level |")) {
            inTable = true;
        } else if (inTable && !row.starts_with("|")) {
            break;
        } else if (inTable) {
            const std::string first = row.substr(0, row.find(" | "));
            static const std::regex command("`!([a-z]+)");
            for (std::sregex_iterator it(first.begin(), first.end(), command), end; it != end;
                 ++it) {
                documented.insert((*it)[1]);
            }
        }
    }
    std::set<std::string> commands;
    anyService(arena.spawn(), [&](const auto& table, const auto&) {
        for (const auto& command : table.commands) {
            commands.insert(std::string(command.name));
        }
        return false;
    });
    const PlayerRecord& god = at(12);
    for (const std::string& name : commands) {
        const Texts lines = helpFor(arena, god, name);
        ASSERT_FALSE(lines.empty()) << "no topic for !" << name;
        EXPECT_TRUE(lines.front().starts_with("!" + name)) << lines.front();
    }
    commands.insert("help"); // the module's own, whose topics are the others
    EXPECT_EQ(documented, commands);
    EXPECT_EQ(helpFor(arena, at(0), "gratio"), Texts{"!gratio (Displays how Gold is earned.)"});
    EXPECT_EQ(helpFor(arena, at(0), "version"), Texts{});
    EXPECT_EQ(helpFor(arena, at(3), "version"),
              Texts{"!version (Displays the name and version of this bot spawn.)"});
}

} // namespace
} // namespace quorvel::testing
