// The contract between a bot host and the Quorvel module.
//
// A host loads the module (libquorvel.so, Quorvel.dll), finds its one export
// `talk` by name and calls it with a BotEvent for everything that happens to
// one of its bots. The module answers by calling the HostCallback that the
// host handed over in the Handshake event.
//
// What a host must do:
//  - own every PlayerRecord, FlagRecord, ChatCommand and text an event refers
//    to, and keep them alive and unchanged for the whole call of `talk`;
//  - keep the player and flag lists it handed over in the handshake alive for
//    as long as it sends events for that bot (the module walks them on later
//    events, and keeps references to the bot's own record, to the rabbit and
//    to the zombies game's last human between events until the player leaves);
//  - call `talk` one event at a time, never from two threads at once and
//    never again from inside the callback (queue what the callback asks for
//    and act on it after `talk` has returned).
// Texts handed to the callback are only valid during the callback.
#ifndef QUORVEL_HOST_ABI_H
#define QUORVEL_HOST_ABI_H

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define QUORVEL_CALL __stdcall
#else
#define QUORVEL_CALL
#endif

#if defined(_WIN32)
// Windows builds export `talk` undecorated through the module's .def file.
#define QUORVEL_EXPORT
#else
#define QUORVEL_EXPORT __attribute__((visibility("default")))
#endif

namespace quorvel {

using Word = std::uintptr_t;

// One record in each direction: the handle of the bot, a code and six values
// (integers, or addresses of host-owned records and texts).
struct BotEvent {
    Word handle;
    Word code;
    Word value[6];
};
static_assert(sizeof(BotEvent) == 8 * sizeof(Word), "a BotEvent is eight words");

// Host to module: value slots the module reads are noted per code.
enum HostEventCode : Word {
    Handshake = 0, // [0] version (major << 16 | minor), [1] HostCallback,
                   // [2] const HostList* players, [3] const HostList* flags
    Terminate = 1,
    Tick = 2,        // once a second
    ArenaJoined = 3, // [1] the bot's own PlayerRecord
    ArenaLeft = 5,
    PlayerEntering = 10,    // [0] player
    PlayerMoved = 11,       // [0] player
    PlayerKilled = 12,      // [0] killed player, [1] killer
    PlayerShipChanged = 15, // [0] player
    PlayerSpectating = 16,  // [0] player
    PlayerTeamChanged = 17, // [0] player
    PlayerLeaving = 18,     // [0] player
    ChatMessage = 19,       // [0] ChatType, [3] text
    CommandTyped = 20,      // [0] player, [1] ChatCommand
    HelpRequested = 21,     // [0] player, [1] ChatCommand
    FlagGameWon = 27,       // [0] winning team
    PrizeRefresh = 29,      // no values read: the rabbit gets its bounty again
    GoalScored = 30,        // [0] scoring team
    LastEventCode = 39      // codes above are ignored
};

// Module to host: word 1 of a record handed to the callback.
enum HostCommand : Word {
    Echo = 0, // [0] text for the host's console
    Say = 1   // [0] ChatType, [1] sound (0 = none), [2] target ident (0 = public), [3] text
};

enum ChatType : Word { ArenaMessage = 0, Public = 2, Private = 5 };

using HostCallback = void(QUORVEL_CALL*)(BotEvent&);

struct PlayerRecord {
    std::uint16_t ident;
    std::uint32_t accessLevel;
    std::uint16_t flagsCarried;
    char name[20];
    char squad[20];
    std::uint8_t ship; // 0..7, 8 = spectator
    std::int32_t tileX;
    std::int32_t tileY;
    std::int32_t pixelX;
    std::int32_t pixelY;
    std::uint8_t antiwarpOn;
    std::uint8_t inSafetyZone;
    std::uint16_t team;
    std::int32_t flagPoints;
    std::uint16_t wins;
    std::uint16_t losses;
};

struct FlagRecord {
    std::uint16_t tileX, tileY;
};

struct ChatCommand {
    const char* name;  // the word after "!", lower case
    const char* final; // the text after the name, leading blanks removed
};

// The host's lists: `record` points to a PlayerRecord or a FlagRecord.
struct HostListNode {
    const void* record;
    const HostListNode* next;
};
struct HostList {
    const HostListNode* head;
};

constexpr Word hostVersion(Word major, Word minor) {
    return (major << 16) | minor;
}

using TalkFunction = void(QUORVEL_CALL*)(BotEvent&);

extern "C" QUORVEL_EXPORT void QUORVEL_CALL talk(BotEvent& event);

} // namespace quorvel

#endif
