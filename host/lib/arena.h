// The arena as the host keeps it: the players and flags it owns and hands to
// the module as lists in arrival order, and the zone's own state (lock, game
// timer, objects, jackpot) that the module's lines change.
#ifndef QUORVEL_HOST_ARENA_H
#define QUORVEL_HOST_ARENA_H

#include "lib/script.h"
#include "quorvel/host_abi.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::host {

// One player: the record the module borrows, plus what the zone gave it that
// the record does not hold.
struct PlayerSlot {
    PlayerRecord record{};
    std::int32_t bounty = 0;
    std::vector<int> prizes; // every "*prize#N" and "*prize #N", in order
    bool isBot = false;

    std::string name() const;
};

class Arena {
public:
    // The default arena has no name; the others are named by the scenario.
    explicit Arena(std::string name = {});
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;

    // Lookup by name ignores ASCII case, first match in arrival order.
    PlayerSlot* find(std::string_view name);
    PlayerSlot* findIdent(std::uint16_t ident);
    const std::vector<std::unique_ptr<PlayerSlot>>& players() const { return players_; }

    // Appends a player (a fresh ident unless fields give one) and relinks the
    // list. Throws ScriptError for a name or ident already in the arena.
    PlayerSlot& add(const std::string& name, const PlayerFields& fields, bool isBot);
    // Unlinks a player from the list; the caller keeps the record alive while
    // the module still hears about it.
    std::unique_ptr<PlayerSlot> remove(PlayerSlot* slot);

    void addFlag(std::uint16_t tileX, std::uint16_t tileY);
    void clearFlags();
    std::size_t flagCount() const { return flags_.size(); }

    const HostList* playerList() const { return &playerList_; }
    const HostList* flagList() const { return &flagList_; }

    const std::string& name() const { return name_; }
    // "the arena", or "arena \"two\"" for a named one: for messages.
    std::string title() const;

    bool locked = false;
    std::int32_t timerMinutes = 0;
    std::int32_t jackpot = 0;
    // What the zone says after "Current Jackpot: " instead of the number,
    // when a scenario words it (an answer the module cannot read).
    std::optional<std::string> jackpotAnswer;
    std::vector<std::uint32_t> objectsOn;
    // Whether the arena's events go to every bot in it (connected ones, in
    // the order of their handles) or to the current bot only, as a session
    // starts.
    bool eventsToEveryBot = false;

private:
    std::string name_;
    std::vector<std::unique_ptr<PlayerSlot>> players_;
    std::vector<std::unique_ptr<FlagRecord>> flags_;
    std::vector<HostListNode> playerNodes_;
    std::vector<HostListNode> flagNodes_;
    HostList playerList_{};
    HostList flagList_{};
    std::uint16_t nextIdent_ = 1;

    void relinkPlayers();
    void relinkFlags();
};

// Applies fields to a record: tiles set the pixels (tile * 16) and pixels set
// the tiles (pixel / 16, rounded down).
void applyFields(PlayerSlot& slot, const PlayerFields& fields);

// "Bob" (ident 2, freq 0, ship 1, Player, tile 512 512 ...): for the transcript.
std::string describePlayer(const PlayerSlot& slot);

} // namespace quorvel::host

#endif
