// "!help": the command list by operator level, or the lines of one topic.
//
// Plain "!help" lists the commands a level has: players and Limited get
// the player lines, a Mod the staff lines, SOp and up the SOp lines; an
// SMod's plain "!help" has always been silent. "!help mod" and "!help all"
// give staff the staff topic list, "!help sop" and "!help all" give SOps
// theirs. "!help NAME" explains a command the sender may use. Topics are
// matched after folding A to Z, and the whole text must be the topic:
// "aradius now" matches nothing.
#include "base/messages/senders.h"
#include "base/text/text_rules.h"
#include "module/bot_spawn.h"
#include "module/commands.h"
#include "module/service_registry.h"

#include <string>

namespace quorvel {
namespace {

// Every service's line of one list, in the order of the services.
void sendList(BotSpawn& spawn, const PlayerRecord& sender, std::string_view HelpLists::*list) {
    anyService(spawn, [&](const auto& table, const auto&) {
        if (const std::string_view line = table.help.*list; !line.empty()) {
            sendPrivate(spawn, sender, line);
        }
        return false;
    });
}

void listCommands(BotSpawn& spawn, const PlayerRecord& sender, std::uint32_t level) {
    if (level <= Limited) {
        sendList(spawn, sender, &HelpLists::player);
    } else if (level == Mod) {
        sendList(spawn, sender, &HelpLists::staff);
    } else if (level >= SOp) {
        sendList(spawn, sender, &HelpLists::sop);
    }
}

void explainTopic(BotSpawn& spawn, const PlayerRecord& sender, std::uint32_t level,
                  std::string_view topic) {
    if (level >= SOp && (topic == "sop" || topic == "all")) {
        sendList(spawn, sender, &HelpLists::sop);
    }
    if (level >= Mod && (topic == "mod" || topic == "all")) {
        sendList(spawn, sender, &HelpLists::staffTopic);
    }
    withCommand(spawn, topic, [&](const auto& found, const auto&) {
        if (level < found.lowestLevel) {
            return;
        }
        for (std::string_view line : found.topic) {
            if (!line.empty()) {
                sendPrivate(spawn, sender, line);
            }
        }
    });
}

} // namespace

void handleHelp(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command) {
    if (!answersTo(spawn, sender)) {
        return;
    }
    const std::uint32_t level = sender.accessLevel;
    const std::string_view typed = textOrEmpty(command.final);
    if (typed.empty()) {
        listCommands(spawn, sender, level);
    } else {
        explainTopic(spawn, sender, level, foldedCopy(typed));
    }
}

} // namespace quorvel
