#include "module/bot_spawn.h"
#include "module/command_budget.h"
#include "module/commands.h"

namespace quorvel {

std::string_view textOrEmpty(const char* text) {
    return text == nullptr ? std::string_view{} : std::string_view{text};
}

bool answersTo(BotSpawn& spawn, const PlayerRecord& sender) {
    return sender.accessLevel <= God && withinCommandBudget(spawn, sender);
}

FoundCommand findCommand(const BotSpawn& spawn, std::string_view name) {
    for (const ServiceSlot& slot : spawn.services) {
        for (const Command& command : slot.table->commands) {
            if (command.name == name) {
                return {&command, &slot};
            }
        }
    }
    return {};
}

void handleCommand(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command) {
    if (!answersTo(spawn, sender)) {
        return;
    }
    const FoundCommand found = findCommand(spawn, textOrEmpty(command.name));
    if (found.command != nullptr && sender.accessLevel >= found.command->lowestLevel) {
        found.command->run(*found.slot->state, sender, textOrEmpty(command.final));
    }
}

} // namespace quorvel
