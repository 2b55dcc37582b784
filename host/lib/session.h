// One session of the substitute host: the bots and their arenas, the link to
// the module's `talk`, the zone's reactions, the lines still to be checked and
// the transcript. Actions run one at a time; every event goes to the module
// one call at a time and the zone's reactions to it are carried out after that
// call has returned, until nothing more follows.
//
// Each bot (handle) is in one arena, whose player and flag lists it is handed
// in its handshake. Bots named without an arena share the default arena. The
// actions are for the current bot and its arena, and each bot has its own
// queue of unchecked lines. An arena's events go to the current bot only, or,
// once the scenario says `events all`, to every bot in it that had its
// handshake, as a real host hands them to each of its bots there.
#ifndef QUORVEL_HOST_SESSION_H
#define QUORVEL_HOST_SESSION_H

#include "lib/arena.h"
#include "lib/received.h"
#include "lib/script.h"
#include "lib/zone.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quorvel::host {

class Session {
public:
    // `transcript` gets the readable account of the session; null for none.
    Session(TalkFunction talk, std::ostream* transcript, std::filesystem::path workDir);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs one action. A bad action (unknown player, a file that cannot be
    // written) throws ScriptError; an expectation that is not met returns
    // the report of what was expected and what came.
    std::optional<std::string> run(const Action& action);

    // While recording, line expectations are not checked: the recorder
    // writes the lines that came instead.
    void setRecording(bool on) { recording_ = on; }
    bool quitRequested() const { return quit_; }

    const std::vector<Received>& lastRecords() const { return lastRecords_; }
    // The current bot's handle, arena and unchecked lines.
    Word handle() const { return bot_->handle; }
    const std::deque<Received>& pending() const { return bot_->pending; }
    Arena& arena() { return *bot_->arena; }
    std::uint64_t ticks() const { return ticks_; }

    // Counted over the whole session: the calls of `talk` (the events the
    // host handed over, the zone's reports included), the records the
    // module sent back, and the time spent inside `talk`.
    std::uint64_t eventsSent() const { return eventsSent_; }
    std::uint64_t recordsReceived() const { return recordsReceived_; }
    std::chrono::nanoseconds timeInTalk() const { return timeInTalk_; }

    // Prints a line of the transcript (nothing when there is none).
    void say(const std::string& text);

private:
    struct Bot {
        Word handle = 0;
        Arena* arena = nullptr;
        PlayerSlot* self = nullptr; // its own record, once it joined
        bool started = false;       // it had an event: its arena is settled
        bool connected = false;     // a handshake and no Terminate since
        std::deque<Received> pending;
    };
    // A zone report goes to the bot whose line caused it.
    struct Report {
        Bot* bot;
        ZoneReport report;
    };

    TalkFunction talk_;
    std::ostream* out_;
    std::filesystem::path workDir_;
    // Both live as long as the session: the module keeps the lists of the
    // arenas and the bots' records.
    std::vector<std::unique_ptr<Arena>> arenas_;
    std::vector<std::unique_ptr<Bot>> bots_;
    Bot* bot_ = nullptr;     // the current bot
    Bot* talking_ = nullptr; // the bot whose event `talk` is handling
    std::uint64_t ticks_ = 0;
    std::uint64_t eventsSent_ = 0;
    std::uint64_t recordsReceived_ = 0;
    std::chrono::nanoseconds timeInTalk_{0};
    bool recording_ = false;
    bool quit_ = false;
    bool inTalk_ = false;
    std::string lazyHeader_;
    std::vector<Received> lastRecords_;
    std::deque<Received> toCarryOut_;
    std::deque<Report> reports_;

    static void QUORVEL_CALL callback(BotEvent& event);
    void receive(const BotEvent& event);
    void callTalk(BotEvent& event);
    // Hands one event to one bot, without the zone's reactions.
    void hand(Bot& bot, BotEvent event, const std::string& description);
    // The bot's own event (handshake, a typed command...), then the zone's
    // reactions.
    void deliver(BotEvent event, const std::string& description);
    // An event of the current bot's arena to every bot that hears it, then
    // the zone's reactions.
    void deliverToArena(BotEvent event, const std::string& description);
    void settle();
    // The bots that hear the events of `bot`'s arena: `bot` alone, or in an
    // arena whose events go to every bot, `bot` and every other bot there
    // that is connected, in the order of their handles.
    std::vector<Bot*> hearers(Bot& bot) const;

    Bot* findBot(Word handle) const;
    void selectBot(Word handle, const std::string& arenaName);
    // "[2] " before events and records once there is more than one bot or
    // an arena with a name.
    std::string tag(const Bot& bot) const;
    BotEvent event(Word code);
    PlayerSlot& player(const std::string& name);
    std::filesystem::path fileIn(const std::string& name) const;
    // The actions, a group each.
    void runBotEvent(const Action& a);
    void runPlayerAction(const Action& a);
    void runArenaAction(const Action& a);
    void runHostAction(const Action& a);
    void runSessionAction(const Action& a);
    std::optional<std::string> runCheck(const Action& a);

    // A player event with the player's record as its first value.
    void sendPlayerEvent(Word code, PlayerSlot& p);
    void join(const std::string& name, const PlayerFields& fields);
    void part();
    void changeShip(PlayerSlot& p, std::uint8_t ship);
    void changeFreq(PlayerSlot& p, std::uint16_t freq);
    void spectate(PlayerSlot& p);
    void kill(PlayerSlot& killer, PlayerSlot& killed);
    void setJackpot(const Action& a);
    [[noreturn]] void crash();
    void runTicks(std::int64_t count);
    void typeLine(PlayerSlot& p, const std::string& text);
    void leave(PlayerSlot& p);
    void show(const std::string& name);
    std::optional<std::string> checkLine(const LineExpectation& want);
    std::optional<std::string> checkNothingMore();
    std::optional<std::string> checkState(const Action& a);
    std::optional<std::string> waitForFile(const std::string& name, std::int64_t seconds);
};

} // namespace quorvel::host

#endif
