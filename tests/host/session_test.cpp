#include "lib/gold_file.h"
#include "lib/module_loader.h"
#include "lib/runner.h"
#include "lib/session.h"
#include "lib/workdir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using namespace quorvel;
using namespace quorvel::host;

namespace {

class HostSession : public ::testing::Test {
protected:
    std::filesystem::path dir = makeFreshFolder();
    LoadedModule module{FAKE_MODULE_PATH};
    std::ostringstream transcript;
    Session session{module.talk(), &transcript, dir};

    ~HostSession() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Runs lines; the first bad line or failed check is returned.
    std::optional<std::string> play(const std::string& script) {
        std::istringstream in(script);
        std::string line;
        while (std::getline(in, line)) {
            auto action = parseLine(line);
            if (!action) {
                continue;
            }
            if (auto failure = session.run(*action)) {
                return failure;
            }
        }
        return std::nullopt;
    }

    std::vector<std::string> pendingTexts() const {
        std::vector<std::string> texts;
        for (const Received& r : session.pending()) {
            texts.push_back(r.text);
        }
        return texts;
    }
};

} // namespace

TEST_F(HostSession, HandshakeHandsOverCallbackAndVersion) {
    EXPECT_EQ(play("handshake 6.1\nexpect console \"fake connected 393217\"\nexpect nothing more"),
              std::nullopt);
    EXPECT_NE(transcript.str().find("<- console \"fake connected 393217\""), std::string::npos);
}

TEST_F(HostSession, TypedCommandsAreParsedIntoNameAndFinal) {
    EXPECT_EQ(play("handshake\nenter Bob\nBob !Hello   there  you \nBob !help  ARADIUS"),
              std::nullopt);
    EXPECT_EQ(pendingTexts(), (std::vector<std::string>{"fake connected 393217",
                                                        "entering Bob ship 8 freq 0 tile 512,512",
                                                        "command [hello] [there  you ] from Bob",
                                                        "help [ARADIUS]"}));
    const Received& help = session.pending().back();
    EXPECT_EQ(help.chatType, Private);
    EXPECT_EQ(help.targetName, "Bob");
}

TEST_F(HostSession, ZoneReactionsComeBackAfterTalkReturns) {
    EXPECT_EQ(play("handshake\nenter Bob ship=1\nskip\nBob !do *setship 3\n"
                   "expect private Bob \"*setship 3\"\n"
                   "expect console \"ship changed Bob ship 2 freq 0 tile 512,512\"\n"
                   "expect nothing more\nexpect ship Bob 3"),
              std::nullopt);
    EXPECT_EQ(transcript.str().find("talk re-entered"), std::string::npos);
    // Zone lines that change nothing are carried out without an event.
    EXPECT_EQ(play("Bob !do *setship 3\nexpect private Bob \"*setship 3\"\nexpect nothing more"),
              std::nullopt);
    EXPECT_EQ(
        play("Bob !do *warpto 10 20\nskip 1\n"
             "expect console \"moved Bob ship 2 freq 0 tile 10,20\"\nexpect position Bob 10 20"),
        std::nullopt);
}

TEST_F(HostSession, TheBotIsAPlayerToo) {
    EXPECT_EQ(play("handshake\njoin Robo ship=2\nenter Bob\nskip\n"
                   "Bob !bot *spec\n"
                   "expect private Robo \"*spec\"\n"
                   "expect console \"spectating Robo ship 8 freq 0 tile 512,512\"\n"
                   "expect ship Robo spectator\nexpect players 2\npart\nexpect players 1"),
              std::nullopt);
    EXPECT_THROW(play("part"), ScriptError);
    EXPECT_THROW(play("leave Robo"), ScriptError);
}

TEST_F(HostSession, JackpotAnswerAndArenaMessagesReachTheModule) {
    EXPECT_EQ(play("handshake\nenter Bob\nskip\njackpot 1500\nBob !pub ?jackpot\n"
                   "expect public \"?jackpot\"\n"
                   "expect console \"chat 0 [Current Jackpot: 1500]\"\n"
                   "Bob !sound 5 *arena Hi  \n"
                   "expect public sound 5 \"*arena Hi  \"\n"
                   "expect console \"chat 0 [Hi  ]\"\nexpect nothing more"),
              std::nullopt);
}

TEST_F(HostSession, LockedArenaRefusesOwnMovesOutOfSpectatorMode) {
    EXPECT_EQ(play("handshake\nenter Bob\nenter Ann ship=2\nskip\nBob !pub *lock\nskip\n"
                   "expect lock on\nship Bob 1\nexpect ship Bob spectator\nexpect nothing more\n"
                   "ship Ann 4\nexpect console \"ship changed Ann ship 3 freq 0 tile 512,512\"\n"
                   "Bob !do *setship 5\nskip\nexpect ship Bob 5"),
              std::nullopt);
    EXPECT_NE(transcript.str().find("locked"), std::string::npos);
}

TEST_F(HostSession, LeavingPlayerIsOffTheListDuringItsEvent) {
    EXPECT_EQ(play("handshake\nenter Bob\nenter Ann\nskip\nleave Bob\n"
                   "expect console \"leaving Bob\"\nexpect players 1"),
              std::nullopt);
    EXPECT_THROW(play("spectate Bob"), ScriptError);
    EXPECT_EQ(session.arena().players().front()->name(), "Ann");
}

TEST_F(HostSession, KillsCountAndEventsCarryBothPlayers) {
    EXPECT_EQ(play("handshake\nenter Bob\nenter Ann\nskip\nkill Ann Bob\nkill Ann Bob\n"
                   "expect console \"Ann killed Bob\"\nexpect console \"Ann killed Bob\""),
              std::nullopt);
    EXPECT_EQ(session.arena().find("ann")->record.wins, 2);
    EXPECT_EQ(session.arena().find("BOB")->record.losses, 2);
}

TEST_F(HostSession, FailedExpectationsSayWhatCame) {
    play("handshake");
    auto wrong = play("expect console \"fake connected\"");
    ASSERT_TRUE(wrong.has_value());
    EXPECT_NE(wrong->find("expected: console \"fake connected\""), std::string::npos);
    EXPECT_NE(wrong->find("received: console \"fake connected 393217\""), std::string::npos);
    auto none = play("expect public \"x\"");
    ASSERT_TRUE(none.has_value());
    EXPECT_NE(none->find("nothing"), std::string::npos);
    play("enter Bob\nBob !tell a  \n");
    auto trailing = play("skip 1\nexpect private Bob \"a\"");
    ASSERT_TRUE(trailing.has_value());
    EXPECT_NE(trailing->find("received: private \"Bob\" \"a  \""), std::string::npos);
    play("Bob !tell b");
    auto more = play("expect nothing more");
    ASSERT_TRUE(more.has_value());
    EXPECT_NE(more->find("1 unchecked line"), std::string::npos);
    auto ship = play("expect ship Bob 1");
    ASSERT_TRUE(ship.has_value());
    EXPECT_NE(ship->find("found:    ship of \"Bob\" spectator"), std::string::npos);
}

TEST_F(HostSession, EndlessReactionsAreStopped) {
    play("handshake\nenter Bob ship=3");
    EXPECT_THROW(play("Bob !pingpong"), ScriptError);
}

TEST_F(HostSession, ExceptionsFromTheModuleAreReported) {
    play("handshake\nenter Bob");
    try {
        play("Bob !throw");
        ADD_FAILURE() << "no error";
    } catch (const ScriptError& e) {
        EXPECT_NE(std::string(e.what()).find("exception out of talk (event 20)"),
                  std::string::npos);
    }
    // The session goes on.
    EXPECT_EQ(play("skip\nBob !tell ok\nexpect private Bob \"ok\""), std::nullopt);
}

TEST_F(HostSession, ManyTicksRunQuickly) {
    play("handshake");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(play("tick 100000"), std::nullopt);
    EXPECT_EQ(session.ticks(), 100000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(HostSession, FilesAndGoldOfTheWorkingDirectory) {
    auto noFile = play("expect gold Bob 5");
    ASSERT_TRUE(noFile.has_value());
    EXPECT_NE(noFile->find("there is no gold.dat"), std::string::npos);
    EXPECT_EQ(play("file Ghoulset.ini \"0 1\\n1 4\\n0 0 0 0\"\n"
                   "expect file Ghoulset.ini \"0 1\\n1 4\\n0 0 0 0\"\n"
                   "remove Ghoulset.ini\nexpect file Ghoulset.ini missing\n"
                   "gold Bob 70\ngold ann -2\ngold BOB 75\n"
                   "expect gold bob 75\nexpect gold ANN 4294967294\nexpect gold Cid none"),
              std::nullopt);
    EXPECT_EQ(readGoldFile(dir / "gold.dat").size(), 2u);
    EXPECT_THROW(play("file ../escape.txt \"x\""), ScriptError);
}

TEST_F(HostSession, RecordingWritesTheLinesThatCame) {
    std::ostringstream recorded;
    std::ostringstream errors;
    ScriptRunner runner(session, nullptr, errors, &recorded);
    std::istringstream script("# a session\nhandshake\nexpect console \"stale\"\nenter Bob\n"
                              "Bob !tell hi \"there\" \nexpect ship Bob spectator\n");
    EXPECT_EQ(runner.runScript(script, "t.scn"), Passed);
    runner.finishRecording();
    EXPECT_EQ(recorded.str(), "# a session\nhandshake\nexpect console \"fake connected 393217\"\n"
                              "enter Bob\nexpect console \"entering Bob ship 8 freq 0 tile "
                              "512,512\"\nBob !tell hi \"there\" \n"
                              "expect private \"Bob\" \"hi \\\"there\\\" \"\n"
                              "expect ship Bob spectator\nexpect nothing more\n");
}

TEST_F(HostSession, RunnerReportsFileAndLine) {
    std::ostringstream errors;
    ScriptRunner runner(session, nullptr, errors, nullptr);
    std::istringstream bad("handshake\n\nleave Nobody\n");
    EXPECT_EQ(runner.runScript(bad, "x.scn"), BadScenario);
    EXPECT_NE(errors.str().find("x.scn:3: error: no player named \"Nobody\""), std::string::npos);

    std::ostringstream errors2;
    ScriptRunner second(session, nullptr, errors2, nullptr);
    std::istringstream failing("expect console \"nope\"\nexpect console \"never reached\"\n");
    EXPECT_EQ(second.runScript(failing, "y.scn"), ExpectationFailed);
    EXPECT_NE(errors2.str().find("y.scn:1: expectation failed"), std::string::npos);
    EXPECT_EQ(errors2.str().find("y.scn:2"), std::string::npos);
}

TEST_F(HostSession, EnvironmentOfTheHostProcess) {
    EXPECT_EQ(play("env QUORVEL_HOST_TEST_VALUE \"a b\""), std::nullopt);
    ASSERT_NE(std::getenv("QUORVEL_HOST_TEST_VALUE"), nullptr);
    EXPECT_STREQ(std::getenv("QUORVEL_HOST_TEST_VALUE"), "a b");
    EXPECT_EQ(play("env QUORVEL_HOST_TEST_VALUE"), std::nullopt);
    EXPECT_EQ(std::getenv("QUORVEL_HOST_TEST_VALUE"), nullptr);
}

TEST_F(HostSession, EachBotPlaysInItsOwnArena) {
    // Ann has ident 1 in the default arena, Bob ident 1 in arena "two": a
    // private line of bot 2 to ident 1 is for that Bob, and so is its warp.
    EXPECT_EQ(play("handshake\nenter Ann\nenter Bob\ndrain\n"
                   "handle 2 two\nhandshake\nenter Bob\nenter Cid\ndrain\nBob !list\n"
                   "expect console \"list Bob Cid\"\nBob !do *warpto 10 20\n"
                   "expect private Bob \"*warpto 10 20\"\nexpect position Bob 10 20\n"
                   "expect players 2\n"
                   "handle 1\nexpect nothing more\nexpect position Ann 512 512\n"
                   "expect position Bob 512 512\nexpect players 2\n"
                   "handle 2 TWO\nexpect console \"moved Bob ship 8 freq 0 tile 10,20\"\n"
                   "expect nothing more"),
              std::nullopt);
    EXPECT_NE(transcript.str().find("  <- [2] private \"Bob\" \"*warpto 10 20\"\n"),
              std::string::npos);
    EXPECT_THROW(play("leave Ann"), ScriptError);
    // A bot stays in the arena of its first event; an unused one may move.
    EXPECT_THROW(play("handle 1 two"), ScriptError);
    EXPECT_EQ(play("handle 3\nhandle 3 two\nhandshake\nexpect players 2"), std::nullopt);
    EXPECT_EQ(play("handle 4\nhandshake\nexpect players 2\nshow Ann"), std::nullopt);
    // Handle 0 is a bot like any other: the module takes events for it.
    EXPECT_EQ(play("handle 0 zero\nhandshake\nenter Zed\ndrain\nZed !list\n"
                   "expect console \"list Zed\"\nZed !pub hi\nexpect public \"hi\"\n"
                   "handle 2\nexpect nothing more"),
              std::nullopt);
    EXPECT_NE(transcript.str().find("  <- [0] public \"hi\"\n"), std::string::npos);
}

// With "events all" the host hands every event of the arena to each bot in
// it that had its handshake, bot 1 first; what is said to one bot (a typed
// command, a private message, the zone's answer to ?jackpot) stays with it.
TEST_F(HostSession, EveryBotOfAnArenaHearsItsEvents) {
    EXPECT_EQ(play("handshake\nhandle 2\nhandshake\nhandle 3\nhandle 4 other\nhandshake\n"
                   "drain\nhandle 2\ndrain\nhandle 1\ndrain\nevents all\nenter Ann ship=1"),
              std::nullopt);
    EXPECT_NE(transcript.str().find("-> [1] PlayerEntering \"Ann\" (ident 1, freq 0, ship 1, "
                                    "Player, tile 512 512)\n"
                                    "  <- [1] console \"entering Ann ship 0 freq 0 tile 512,512\"\n"
                                    "  -> [2] PlayerEntering \"Ann\""),
              std::string::npos)
        << transcript.str();
    EXPECT_EQ(
        play("skip\nAnn !do *warpto 10 20\nexpect private Ann \"*warpto 10 20\"\n"
             "expect console \"moved Ann ship 0 freq 0 tile 10,20\"\n"
             "Ann !pub ?jackpot\nexpect public \"?jackpot\"\n"
             "expect console \"chat 0 [Current Jackpot: 0]\"\n"
             "Ann !pub *arena hi\nexpect public \"*arena hi\"\nexpect console \"chat 0 [hi]\"\n"
             "chat private \"psst\"\nexpect console \"chat 5 [psst]\"\n"
             "enter Bob ship=2\nkill Ann Bob\ngoal 1\n"
             "chat public \"all\"\nskip 3\nexpect console \"chat 2 [all]\"\n"
             "expect nothing more\n"
             "handle 2\nexpect console \"entering Ann ship 0 freq 0 tile 512,512\"\n"
             "expect console \"moved Ann ship 0 freq 0 tile 10,20\"\n"
             "expect console \"chat 0 [hi]\"\n"
             "expect console \"entering Bob ship 1 freq 0 tile 512,512\"\n"
             "expect console \"Ann killed Bob\"\nexpect console \"event 30\"\n"
             "expect console \"chat 2 [all]\"\nexpect nothing more\n"
             "handle 3\nexpect nothing more\nhandle 4\nexpect nothing more"),
        std::nullopt);
    // The zone's report of the warp bot 1 asked for goes to both, bot 1 first.
    EXPECT_NE(
        transcript.str().find("  -> [1] PlayerMoved \"Ann\" (ident 1, freq 0, ship 1, Player, "
                              "tile 10 20)\n"
                              "  <- [1] console \"moved Ann ship 0 freq 0 tile 10,20\"\n"
                              "  -> [2] PlayerMoved \"Ann\""),
        std::string::npos)
        << transcript.str();
    // One tick is a tick for each bot that hears the arena.
    std::uint64_t sent = session.eventsSent();
    EXPECT_EQ(play("handle 1\ntick"), std::nullopt);
    EXPECT_EQ(session.eventsSent() - sent, 2u);

    // A bot joining or parting is a player entering or leaving for the others.
    EXPECT_EQ(play("handle 2\njoin Second\nexpect console \"joined as Second\"\npart\n"
                   "expect console \"left the arena\"\nexpect nothing more\n"
                   "handle 1\nexpect console \"entering Second ship 8 freq 0 tile 512,512\"\n"
                   "expect console \"leaving Second\"\nexpect nothing more\nexpect players 2"),
              std::nullopt);
    // A bot that said goodbye hears no more; nor does anyone once events go
    // to the current bot only again.
    EXPECT_EQ(play("handle 2\nterminate\ndrain\nhandle 1\nenter Cid\n"
                   "expect console \"entering Cid ship 8 freq 0 tile 512,512\"\n"
                   "handle 2\nexpect nothing more\nhandshake\ndrain\nhandle 1\nevents current\n"
                   "enter Dee\nskip\nhandle 2\nexpect nothing more"),
              std::nullopt);
}

TEST_F(HostSession, LinesOfAnotherBotWaitInItsQueue) {
    std::ostringstream recorded;
    std::ostringstream errors;
    ScriptRunner runner(session, nullptr, errors, &recorded);
    std::istringstream script("handle 2\nhandshake\nhandle 1\nhandshake\nenter Bob\n"
                              "Bob !as 2 for two\nBob !as 7 stray\n");
    EXPECT_EQ(runner.runScript(script, "t.scn"), Passed);
    EXPECT_NE(recorded.str().find("Bob !as 2 for two\nhandle 2\nexpect console \"for two\"\n"
                                  "handle 1\nBob !as 7 stray\nexpect console \"stray\"\n"),
              std::string::npos)
        << recorded.str();
    // A line for no bot of the session stays with the bot that was talking.
    EXPECT_EQ(pendingTexts().back(), "stray");
    session.setRecording(false);
    EXPECT_EQ(play("handle 2\nskip 1\nexpect console \"for two\"\nexpect nothing more"),
              std::nullopt);
}

TEST_F(HostSession, PartOfALineAndALaterLine) {
    EXPECT_EQ(play("handshake\nenter Bob\nBob !tell one two three\n"
                   "expect console contains \"connected 39\"\n"
                   "skip to private Bob contains \"two\"\nexpect nothing more"),
              std::nullopt);
    auto part = play("Bob !tell one\nexpect private Bob contains \"two\"");
    ASSERT_TRUE(part.has_value());
    EXPECT_NE(part->find("expected: private \"Bob\" contains \"two\""), std::string::npos);
    auto later = play("Bob !tell one\nBob !tell three\nskip to private Bob \"two\"");
    ASSERT_TRUE(later.has_value());
    EXPECT_NE(later->find("none among 2 unchecked lines\n    private \"Bob\" \"one\"\n"),
              std::string::npos);
    EXPECT_EQ(play("expect nothing more"), std::nullopt);
}

TEST_F(HostSession, WaitForAFileAnotherProcessWrites) {
    EXPECT_EQ(play("file ready \"\"\nwait-for ready 0"), std::nullopt);
    std::thread writer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::ofstream(dir / "late") << "x";
    });
    EXPECT_EQ(play("wait-for late 20"), std::nullopt);
    writer.join();
    auto start = std::chrono::steady_clock::now();
    auto missing = play("wait-for never 1");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_TRUE(missing.has_value());
    EXPECT_NE(missing->find("no file never after 1 s"), std::string::npos);
    EXPECT_THROW(play("wait-for ../never"), ScriptError);
}
