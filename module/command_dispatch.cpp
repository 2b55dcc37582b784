#include "module/bot_spawn.h"
#include "module/command_budget.h"
#include "module/commands.h"
#include "module/service_registry.h"

namespace quorvel {

std::string_view textOrEmpty(const char* text) {
    return text == nullptr ? std::string_view{} : std::string_view{text};
}

bool answersTo(BotSpawn& spawn, const PlayerRecord& sender) {
    return sender.accessLevel <= God && withinCommandBudget(spawn, sender);
}

void handleCommand(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command) {
    if (!answersTo(spawn, sender)) {
        return;
    }
    withCommand(spawn, textOrEmpty(command.name), [&](const auto& found, auto& state) {
        if (sender.accessLevel >= found.lowestLevel) {
            found.run(state, sender, textOrEmpty(command.final));
        }
    });
}

} // namespace quorvel
