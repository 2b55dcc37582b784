#include "flaggame/flag_game.h"
#include "gold/admin_commands.h"
#include "gold/store_commands.h"
#include "module/command_budget.h"
#include "module/commands.h"
#include "rabbit/rabbit.h"
#include "shipcheck/ship_checker.h"
#include "warps/auto_warper.h"
#include "zombies/zombies.h"

#include <span>

namespace quorvel {
namespace {

struct NamedCommand {
    std::string_view name;
    CommandBody body;
};

// SOp and up: each tested on its own.
constexpr NamedCommand sopCommands[] = {
    {"resetgold", commandResetgold},
    {"resetinv", commandResetinv},
};

// Mod and up, in test order; the first that matches acts.
constexpr NamedCommand staffCommands[] = {
    {"aradius", commandAradius},   {"shutup", commandShutup},     {"start", commandStart},
    {"newpick", commandNewpick},   {"stop", commandStop},         {"check", commandCheck},
    {"notcheck", commandNotcheck}, {"twarpon", commandTwarpon},   {"twarpoff", commandTwarpoff},
    {"awarpon", commandAwarpon},   {"awarpoff", commandAwarpoff}, {"iwarpon", commandIwarpon},
    {"iwarpoff", commandIwarpoff}, {"alloff", commandAlloff},     {"zon", commandZon},
    {"zoff", commandZoff},         {"zship", commandZship},       {"hship", commandHship},
    {"zteam", commandZteam},       {"hteam", commandHteam},       {"zsave", commandZsave},
    {"zload", commandZload},       {"givegold", commandGivegold}, {"playergold", commandPlayergold},
    {"takegold", commandTakegold}, {"goldsave", commandGoldsave}, {"goldload", commandGoldload},
    {"invsave", commandInvsave},   {"invload", commandInvload},   {"ion", commandIon},
    {"ioff", commandIoff},
};

// Every level, in test order.
constexpr NamedCommand playerCommands[] = {
    {"about", commandAbout},       {"status", commandStatus}, {"zstatus", commandZstatus},
    {"gratio", commandGratio},     {"gold", commandGold},     {"buy", commandBuy},
    {"lendgold", commandLendgold}, {"inv", commandInv},       {"show", commandShow},
    {"hide", commandHide},
};

constexpr NamedCommand versionCommand = {"version", commandVersion};

bool runFirstMatch(std::span<const NamedCommand> table, std::string_view name, BotSpawn& spawn,
                   const PlayerRecord& sender, std::string_view text) {
    for (const NamedCommand& command : table) {
        if (command.name == name) {
            command.body(spawn, sender, text);
            return true;
        }
    }
    return false;
}

std::string_view textOrEmpty(const char* text) {
    return text == nullptr ? std::string_view{} : std::string_view{text};
}

} // namespace

void handleCommand(BotSpawn& spawn, const PlayerRecord& sender, const ChatCommand& command) {
    const std::uint32_t level = sender.accessLevel;
    if (level > God) {
        return;
    }
    if (!withinCommandBudget(spawn, sender)) {
        return;
    }
    const std::string_view name = textOrEmpty(command.name);
    const std::string_view text = textOrEmpty(command.final);
    if (level >= SOp) {
        for (const NamedCommand& sop : sopCommands) {
            if (sop.name == name) {
                sop.body(spawn, sender, text);
            }
        }
    }
    if (level >= SMod && name == versionCommand.name) {
        versionCommand.body(spawn, sender, text);
    }
    if (level >= Mod && runFirstMatch(staffCommands, name, spawn, sender, text)) {
        return; // staff and player command names never overlap
    }
    runFirstMatch(playerCommands, name, spawn, sender, text);
}

} // namespace quorvel
