// One session of the substitute host: the arena, the link to the module's
// `talk`, the zone's reactions, the lines still to be checked and the
// transcript. Actions run one at a time; every event goes to the module one
// call at a time and the zone's reactions to it are carried out after that
// call has returned, until nothing more follows.
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
    const std::deque<Received>& pending() const { return pending_; }
    Arena& arena() { return arena_; }
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
    TalkFunction talk_;
    std::ostream* out_;
    std::filesystem::path workDir_;
    Arena arena_;
    Word handle_ = 1;
    PlayerSlot* bot_ = nullptr;
    std::uint64_t ticks_ = 0;
    std::uint64_t eventsSent_ = 0;
    std::uint64_t recordsReceived_ = 0;
    std::chrono::nanoseconds timeInTalk_{0};
    bool recording_ = false;
    bool quit_ = false;
    bool inTalk_ = false;
    std::string lazyHeader_;
    std::deque<Received> pending_;
    std::vector<Received> lastRecords_;
    std::deque<Received> toCarryOut_;
    std::deque<ZoneReport> reports_;

    static void QUORVEL_CALL callback(BotEvent& event);
    void receive(const BotEvent& event);
    void callTalk(BotEvent& event);
    void deliver(BotEvent event, const std::string& description);
    void settle();

    BotEvent event(Word code) const;
    PlayerSlot& player(const std::string& name);
    std::filesystem::path fileIn(const std::string& name) const;
    void runTicks(std::int64_t count);
    void typeLine(PlayerSlot& p, const std::string& text);
    void leave(PlayerSlot& p);
    void show(const std::string& name);
    std::optional<std::string> checkLine(const LineExpectation& want);
    std::optional<std::string> checkNothingMore();
    std::optional<std::string> checkState(const Action& a);
};

} // namespace quorvel::host

#endif
