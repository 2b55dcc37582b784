// An in-process stand-in for the host, for unit tests: it owns the player
// and flag records and their lists, hands events to one spawn, collects the
// records the module sends, and gives every test a fresh working directory.
#pragma once

#include <quorvel/host_abi.h>

#include "gold/file_economy.h"
#include "module/bot_spawn.h"

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::testing {

// One record the module handed to the host.
struct Sent {
    Word code = 0;     // Echo or Say
    Word chatType = 0; // Say only
    Word sound = 0;
    Word target = 0; // ident for a private line, 0 for a public one
    std::string text;

    bool operator==(const Sent&) const = default;
};
Sent console(std::string text);
Sent publicLine(std::string text, Word sound = 0);
Sent privateLine(const PlayerRecord& player, std::string text);
std::string describe(const Sent& sent); // for failure messages
// GoogleTest prints records with this.
void PrintTo(const Sent& sent, std::ostream* out);

struct PlayerSetup {
    std::string name;
    std::uint16_t team = 0;
    std::uint8_t ship = 0; // 0..7, 8 = spectator
    std::uint32_t accessLevel = 0;
    std::string squad;
    std::int32_t tileX = 512;
    std::int32_t tileY = 512;
};

class TestArena {
public:
    // `seed` sets QUORVEL_RANDOM_SEED for the spawn; files are seeded into
    // the fresh working directory before anything else happens.
    explicit TestArena(std::optional<std::uint32_t> seed = 7);
    // Works in `directory` (which must exist) and leaves it in place, so a
    // second arena can start again where a first one stopped.
    TestArena(const std::string& directory, std::optional<std::uint32_t> seed);
    // A second bot of the same host: works in `directory` too, with its own
    // handle, players and records.
    TestArena(const std::string& directory, std::optional<std::uint32_t> seed, Word handle);
    ~TestArena();
    TestArena(const TestArena&) = delete;
    TestArena& operator=(const TestArena&) = delete;

    BotSpawn& spawn() { return *spawn_; }
    // The bot reaches the operating system (its files, the working
    // directory, the clocks, the folder lock) through `system` from now on;
    // given before the handshake, so does the economy it opens. `system`
    // must outlive the arena.
    void usePlatform(platform::Platform& system) { spawn_->os = &system; }
    // The folder's economy the bot has a seat at (after an accepted
    // handshake; throws without one), and what it holds.
    FileEconomy& economy();
    GoldLedger& gold() { return economy().ledger(); }
    InventoryBook& inventory() { return economy().book(); }
    GoldJournal& journal() { return economy().journal(); }
    const std::string& directory() const { return directory_; }

    // Files in the working directory.
    void writeFile(const std::string& name, std::string_view bytes);
    std::optional<std::string> readFile(const std::string& name) const;
    bool fileExists(const std::string& name) const;

    // Players: appended to the host list in arrival order; removal takes the
    // record out of the list (the record itself stays alive until the arena
    // is destroyed, so a stale reference is caught by the sanitizers only if
    // the module reads it after the test frees it).
    PlayerRecord& addPlayer(const PlayerSetup& setup);
    void removePlayer(const PlayerRecord& player);
    void setPosition(PlayerRecord& player, std::int32_t tileX, std::int32_t tileY);
    void addFlag(std::uint16_t tileX, std::uint16_t tileY);

    // Events, handed straight to the spawn.
    void event(Word code, std::initializer_list<Word> values = {});
    void handshake(Word version = hostVersion(6, 1));
    void terminate();
    void tick(int count = 1);
    void joinArena(const PlayerRecord& me);
    void leaveArena();
    void enter(const PlayerRecord& player);  // PlayerEntering
    void enterNew(const PlayerSetup& setup); // addPlayer + PlayerEntering
    void move(const PlayerRecord& player);   // PlayerMoved
    void kill(const PlayerRecord& killed, const PlayerRecord& killer);
    void shipChange(PlayerRecord& player, std::uint8_t ship);
    void teamChange(PlayerRecord& player, std::uint16_t team);
    void spectate(PlayerRecord& player);    // ship 8 + PlayerSpectating
    void leave(const PlayerRecord& player); // PlayerLeaving, then off the list
    void arenaMessage(const std::string& text);
    void chat(ChatType type, const std::string& text);
    void command(const PlayerRecord& player, const std::string& name, const std::string& text = "");
    void help(const PlayerRecord& player, const std::string& topic = "");
    void flagWin(Word team);
    void goal(Word team);

    // What the module sent since the last take().
    std::vector<Sent> take();
    // The texts only, in order.
    std::vector<std::string> takeTexts();
    const std::vector<Sent>& pending() const { return sent_; }

private:
    void start(std::optional<std::uint32_t> seed);
    static void QUORVEL_CALL receive(BotEvent& record);
    void rebuildLists();

    std::string previousDirectory_;
    std::string directory_;
    bool ownsDirectory_ = true;
    std::optional<std::string> previousSeed_;
    Word handle_ = 1;
    std::unique_ptr<BotSpawn> spawn_;
    std::list<PlayerRecord> records_;   // stable addresses
    std::vector<PlayerRecord*> listed_; // host list order
    std::list<FlagRecord> flagRecords_;
    std::vector<HostListNode> playerNodes_;
    std::vector<HostListNode> flagNodes_;
    HostList playerList_{nullptr};
    HostList flagList_{nullptr};
    std::vector<Sent> sent_;
    std::uint16_t nextIdent_ = 1;
};

} // namespace quorvel::testing
