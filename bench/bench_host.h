// A host for the benchmarks: it loads the release module with dlopen, owns
// the player records and the lists the way a host does, and hands every
// event to the module's one export, `talk`. Each host works in a fresh
// folder of its own, so the module's files (quorvel.ini, gold.dat, inv.dat,
// gold.log, WarpArea.ini ...) never mix between benchmarks.
#pragma once

#include <quorvel/host_abi.h>

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::bench {

struct Seat {
    std::string name;
    std::uint16_t team = 0;
    std::uint8_t ship = 0;
    std::uint32_t accessLevel = 0;
    std::int32_t tileX = 100;
    std::int32_t tileY = 100;
    bool antiwarp = false;
};

class BenchHost {
public:
    BenchHost();
    ~BenchHost();
    BenchHost(const BenchHost&) = delete;
    BenchHost& operator=(const BenchHost&) = delete;

    const std::string& directory() const { return directory_; }
    void writeFile(const std::string& name, std::string_view bytes) const;
    std::uint64_t fileSize(const std::string& name) const;
    // Empties gold.log between timed runs; the module appends to it with
    // O_APPEND, so its next line lands at the new end.
    void emptyJournal() const;

    PlayerRecord& add(const Seat& seat);

    void handshake();
    void terminate();
    void tick();
    void enter(const PlayerRecord& player);
    void move(const PlayerRecord& player);
    void kill(const PlayerRecord& killed, const PlayerRecord& killer);
    void command(const PlayerRecord& player, const char* name, const char* text);

    // Lines the module sent, and the ident of the last private line.
    std::uint64_t linesSent() const;
    std::uint16_t lastPrivateTarget() const;

private:
    void send(Word code, Word v0 = 0, Word v1 = 0, Word v2 = 0, Word v3 = 0);
    void rebuildList();

    std::string previousDirectory_;
    std::string directory_;
    std::list<PlayerRecord> records_;
    std::vector<HostListNode> nodes_;
    HostList players_{nullptr};
    HostList flags_{nullptr};
    std::uint16_t nextIdent_ = 1;
    Word handle_ = 0; // a new bot for each host: the module keeps a spawn per handle
};

// The module's `talk`, loaded once from the release build.
TalkFunction loadedTalk();

} // namespace quorvel::bench
