// "!help": the command list by operator level, or the lines of one topic.
//
// Plain "!help" lists the commands a level has; "!help topic" explains one
// command. SOp and up start at the SOp topics, Mod and SMod at the staff
// topics, everyone ends at the player topics, so staff asking about a player
// command get its lines too. Topics are matched after folding A to Z, and the
// whole text must be the topic: "aradius now" matches nothing.
#include "base/messages/senders.h"
#include "base/text/text_rules.h"
#include "module/bot_spawn.h"
#include "module/command_budget.h"
#include "module/commands.h"

#include <array>
#include <span>
#include <string>

namespace quorvel {
namespace {

// A topic answers with one to three lines; unused places stay empty.
struct Topic {
    std::string_view name;
    std::array<std::string_view, 3> lines;
};

// Plain "!help".
constexpr std::string_view playerList[] = {
    "!about (About this bot spawn.)",
    "!status (current bountyrabbit.)",
    "!zstatus (current zombies game status.)",
    "Gold Store/Invintory commands: !gold !lendgold !buy !inv !show !hide",
};
constexpr std::string_view modList[] = {
    "Ext: Flag commands: !aradius !shutup !start",
    "Ext: Bounty Rabbit commands: !newpick !stop",
    "Ext: Star Wars Ship Checker commands: !check !notcheck",
    "Ext: Auto Team/Area Warp commands: !Twarpon !Twarpoff !Awarpon !Awarpoff !warpon !warpoff "
    "!alloff",
    "Ext: Zombie commands: !zon !zoff !zship !zteam !hship !hteam !zsave !zload",
    "Ext: Gold Store/Invintory commands: !givegold !takegold !playergold !goldload !goldsave "
    "!invload !invsave !ion !ioff",
};
constexpr std::string_view sopList = "Ext: Gold Store/Invintory commands: !resetgold !resetinv";

// "!help mod" and "!help all": the staff list as the topics give it, with
// the warp commands spelt as typed and without !ion and !ioff.
constexpr std::string_view modTopicList[] = {
    "Ext: Flag commands: !aradius !shutup !start",
    "Ext: Bounty Rabbit commands: !newpick !stop",
    "Ext: Star Wars Ship Checker commands: !check !notcheck",
    "Ext: Auto Team/Area Warp commands: !twarpon !twarpoff !awarpon !awarpoff !iwarpon !iwarpoff "
    "!alloff",
    "Ext: Zombie commands: !zon !zoff !zship !zteam !hship !hteam !zsave !zload",
    "Ext: Gold Store/Invintory commands: !givegold !takegold !playergold !goldload !goldsave "
    "!invload !invsave",
};

constexpr Topic sopTopics[] = {
    {"resetgold", {"!resetgold (WARNING: Deletes Gold Database.)"}},
    {"resetinv", {"!resetinv (WARNING: Deletes Inventory Database.)"}},
};

// Tested in this order; the first that matches answers.
constexpr Topic staffTopics[] = {
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

constexpr Topic playerTopics[] = {
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

void sendLines(BotSpawn& spawn, const PlayerRecord& sender,
               std::span<const std::string_view> lines) {
    for (std::string_view line : lines) {
        sendPrivate(spawn, sender, line);
    }
}

void sendTopic(BotSpawn& spawn, const PlayerRecord& sender, const Topic& topic) {
    for (std::string_view line : topic.lines) {
        if (!line.empty()) {
            sendPrivate(spawn, sender, line);
        }
    }
}

// Sends the lines of the first topic named `topic`, if any.
void answerFirstTopic(BotSpawn& spawn, const PlayerRecord& sender, std::span<const Topic> topics,
                      std::string_view topic) {
    for (const Topic& candidate : topics) {
        if (candidate.name == topic) {
            sendTopic(spawn, sender, candidate);
            return;
        }
    }
}

void listCommands(BotSpawn& spawn, const PlayerRecord& sender, std::uint32_t level) {
    if (level <= Limited) {
        sendLines(spawn, sender, playerList);
    } else if (level == Mod) {
        sendLines(spawn, sender, modList);
    } else if (level >= SOp) {
        sendPrivate(spawn, sender, sopList);
    }
    // An SMod's plain "!help" has always been silent.
}

void explainTopic(BotSpawn& spawn, const PlayerRecord& sender, std::uint32_t level,
                  std::string_view topic) {
    if (level >= SOp) {
        if (topic == "sop" || topic == "all") {
            sendPrivate(spawn, sender, sopList);
        }
        // Each SOp topic on its own; nothing else stops here.
        for (const Topic& sop : sopTopics) {
            if (sop.name == topic) {
                sendTopic(spawn, sender, sop);
            }
        }
    }
    if (level >= Mod) {
        if (topic == "mod" || topic == "all") {
            sendLines(spawn, sender, modTopicList);
        } else {
            answerFirstTopic(spawn, sender, staffTopics, topic);
        }
    }
    answerFirstTopic(spawn, sender, playerTopics, topic);
}

} // namespace

void handleHelp(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command) {
    const std::uint32_t level = sender.accessLevel;
    if (level > God) {
        return;
    }
    if (!withinCommandBudget(spawn, sender)) {
        return;
    }
    const std::string_view typed = command.final == nullptr ? std::string_view{} : command.final;
    if (typed.empty()) {
        listCommands(spawn, sender, level);
    } else {
        explainTopic(spawn, sender, level, foldedCopy(typed));
    }
}

} // namespace quorvel
