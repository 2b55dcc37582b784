#include "base/bot/bot.h"
#include "base/messages/senders.h"
#include "base/messages/zone_lines.h"
#include "base/text/text_rules.h"
#include "zombies/ghoulset_file.h"
#include "zombies/zombie_game.h"
#include "zombies/zombie_roles.h"
#include "zombies/zombies.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {
namespace {

constexpr std::string_view alreadyEnabled = "Zombies game functions are already enabled.";
constexpr std::string_view nowEnabled =
    "Zombies game functions are now enabled. All players speced to ensure the functionality of "
    "bot.  Please enter game at anytime before Zombies game starts.";
constexpr std::string_view alreadyDisabled = "Zombies game functions are already disabled.";
constexpr std::string_view nowDisabled = "Zombies game functions are now disabled.";
constexpr std::string_view invalidSyntax = "Invalid syntax";
constexpr std::string_view invalidShip = "Invalid ship number, valid numbers are 1 - 8";
constexpr std::string_view invalidFreq = "Invalid freq number, valid numbers are 0 - 9999";
constexpr std::string_view savedText = "Zombies game settings have been saved to file.";
constexpr std::string_view saveFailedText = "Zombies game settings could not be saved to file: ";
// Spelt as players have always seen it ("have ben", "do to"): deliberate.
constexpr std::string_view cannotReload =
    "Sorry but Zombies game settings cannot be reloaded do to the fact that the Zombies functions "
    "are running.";
constexpr std::string_view reloaded = "Zombies game settings have ben reloaded into bot.";
constexpr std::string_view notEnabled = "Zombie game functions not enabled at the moment, please "
                                        "ask a staff member to start the game.";
constexpr std::string_view notEnoughPlayers =
    "Game has not started yet due to not enough players being in the game (min=3).";
constexpr std::string_view humansLeftBefore = "Game has started and there are ";
constexpr std::string_view humansLeftAfter = " humans left for the zombies to kill.";
constexpr std::string_view startsInBefore = "Game has not started yet, new game will start in ";
constexpr std::string_view startsInAfter = " seconds.";

constexpr std::int32_t startAt = 60;

// One of the four setting commands: the field it changes, the field it must
// differ from, the range, and its words.
struct SettingChange {
    std::int32_t ZombieGame::*field;
    std::int32_t ZombieGame::*other;
    std::int64_t lowest;
    std::int64_t highest;
    std::string_view whileRunning;
    std::string_view outOfRange;
    std::string_view sameAsOther;
    std::string_view alreadySet;
    std::string_view doneBefore; // + the number
    bool namesShip;              // + " making the ... the " + ship name
    std::string_view doneAfter;
};

constexpr SettingChange zombieShipChange = {
    &ZombieGame::zombieShip,
    &ZombieGame::humanShip,
    1,
    8,
    "Sorry but I cannot allow you to change Zombie Ship since Zombies functions have been started.",
    invalidShip,
    "Zombie Ship can not be the same as Human Ship.",
    "Zombie Ship already set to that ship number.",
    "Zombie Ship set to ship number ",
    true,
    " making the Zombie Ship the ",
};

constexpr SettingChange humanShipChange = {
    &ZombieGame::humanShip,
    &ZombieGame::zombieShip,
    1,
    8,
    "Sorry but I cannot allow you to change Human Ship since Zombies functions have been started.",
    invalidShip,
    "Human Ship can not be the same as Zombie Ship.",
    "Human Ship already set to that ship number.",
    "Human Ship set to ship number ",
    true,
    " making the Human Ship the ",
};

constexpr SettingChange zombieTeamChange = {
    &ZombieGame::zombieTeam,
    &ZombieGame::humanTeam,
    0,
    9999,
    "Sorry but Zombie Team cannot be changed do to the fact that the Zombies functions are "
    "running.",
    invalidFreq,
    "Zombie Team can not be the same as Human Team.",
    "Zombie Team already set to that freq number.",
    "Zombie Team set to freq ",
    false,
    ".",
};

constexpr SettingChange humanTeamChange = {
    &ZombieGame::humanTeam,
    &ZombieGame::zombieTeam,
    0,
    9999,
    "Sorry but Human Team cannot be changed do to the fact that the Zombies functions are "
    "running.",
    invalidFreq,
    "Human Team can not be the same as Zombie Team.",
    "Human Team already set to that freq number.",
    "Human Team set to freq number ",
    false,
    ".",
};

void changeSetting(ZombieGame& game, const PlayerRecord& sender, std::string_view text,
                   const SettingChange& change) {
    if (game.zombiesOn) {
        sendPrivate(game.bot, sender, change.whileRunning);
        return;
    }
    if (text.empty() || !isNumeric(text)) {
        sendPrivate(game.bot, sender, invalidSyntax);
        return;
    }
    // Read exactly: a number past 32 bits is out of range, never wrapped
    // into a valid ship or freq.
    const std::optional<std::int64_t> read = readBoundedNumber(text, change.lowest, change.highest);
    if (!read) {
        sendPrivate(game.bot, sender, change.outOfRange);
        return;
    }
    const auto value = static_cast<std::int32_t>(*read);
    if (value == game.*change.other) {
        sendPrivate(game.bot, sender, change.sameAsOther);
        return;
    }
    if (value == game.*change.field) {
        sendPrivate(game.bot, sender, change.alreadySet);
        return;
    }
    game.*change.field = value;
    std::string reply(change.doneBefore);
    reply += decimal(value);
    reply += change.doneAfter;
    if (change.namesShip) {
        reply += shipName(value);
    }
    sendPrivate(game.bot, sender, reply);
}

} // namespace

void commandZon(ZombieGame& game, const PlayerRecord& sender, std::string_view) {
    if (game.zombiesOn) {
        sendPrivate(game.bot, sender, alreadyEnabled);
        return;
    }
    loadZombieSettings(game);
    game.zombiesOn = true;
    game.countdownArmed = false;
    sendPublic(game.bot, zone::specAll);
    sendPrivate(game.bot, sender, nowEnabled);
}

void commandZoff(ZombieGame& game, const PlayerRecord& sender, std::string_view) {
    if (!game.zombiesOn) {
        sendPrivate(game.bot, sender, alreadyDisabled);
        return;
    }
    // Only a running round locked the arena; a countdown left at 60 by an
    // earlier "!zoff" must not lock it again.
    const bool roundWasRunning = game.gameRunning;
    game.zombiesOn = false;
    game.gameRunning = false;
    if (roundWasRunning) {
        sendPublic(game.bot, zone::lockArena);
    }
    sendPrivate(game.bot, sender, nowDisabled);
}

void commandZship(ZombieGame& game, const PlayerRecord& sender, std::string_view text) {
    changeSetting(game, sender, text, zombieShipChange);
}

void commandHship(ZombieGame& game, const PlayerRecord& sender, std::string_view text) {
    changeSetting(game, sender, text, humanShipChange);
}

void commandZteam(ZombieGame& game, const PlayerRecord& sender, std::string_view text) {
    changeSetting(game, sender, text, zombieTeamChange);
}

void commandHteam(ZombieGame& game, const PlayerRecord& sender, std::string_view text) {
    changeSetting(game, sender, text, humanTeamChange);
}

void commandZsave(ZombieGame& game, const PlayerRecord& sender, std::string_view) {
    const platform::Status saved = saveZombieSettings(*game.bot.os, game);
    if (saved.ok()) {
        sendPrivate(game.bot, sender, savedText);
    } else {
        sendPrivate(game.bot, sender, std::string(saveFailedText) + saved.reason());
    }
}

void commandZload(ZombieGame& game, const PlayerRecord& sender, std::string_view) {
    if (game.zombiesOn) {
        sendPrivate(game.bot, sender, cannotReload);
        return;
    }
    loadZombieSettings(game);
    sendPrivate(game.bot, sender, reloaded);
}

void commandZstatus(ZombieGame& game, const PlayerRecord& sender, std::string_view) {
    if (!game.zombiesOn) {
        sendPrivate(game.bot, sender, notEnabled);
        return;
    }
    game.playingCount = static_cast<std::int32_t>(countInShips(game));
    const bool enough = game.playingCount >= 3;
    if (game.gameRunning && enough) {
        sendPrivate(game.bot, sender,
                    std::string(humansLeftBefore) + decimal(countHumans(game)) +
                        std::string(humansLeftAfter));
    } else if (!game.gameRunning && !enough) {
        sendPrivate(game.bot, sender, notEnoughPlayers);
    } else if (!game.gameRunning) {
        // Until the first full tick after "!zon" the countdown still holds
        // an old value; that tick starts it again from 0.
        const std::int32_t counted = game.countdownArmed ? game.startCountdown : 0;
        sendPrivate(game.bot, sender,
                    std::string(startsInBefore) + decimal(startAt - counted) +
                        std::string(startsInAfter));
    }
}

} // namespace quorvel
