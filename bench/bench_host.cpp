#include "bench_host.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace quorvel::bench {
namespace {

std::uint64_t sentLines = 0;
std::uint16_t privateTarget = 0;
Word nextHandle = 1;

// The host's side of the callback: it takes each line as a host would queue
// it, reading the text once.
void QUORVEL_CALL receive(BotEvent& record) {
    ++sentLines;
    if (record.code == Say && record.value[0] == Private) {
        privateTarget = static_cast<std::uint16_t>(record.value[2]);
    }
    const char* text =
        reinterpret_cast<const char*>(record.code == Echo ? record.value[0] : record.value[3]);
    volatile std::size_t length = std::strlen(text);
    (void)length;
}

Word ref(const void* p) {
    return reinterpret_cast<Word>(p);
}

} // namespace

TalkFunction loadedTalk() {
    static TalkFunction talk = [] {
        void* module = ::dlopen(QUORVEL_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            throw std::runtime_error(std::string("cannot load the module: ") + ::dlerror());
        }
        auto found = reinterpret_cast<TalkFunction>(::dlsym(module, "talk"));
        if (found == nullptr) {
            throw std::runtime_error("the module has no talk");
        }
        return found;
    }();
    return talk;
}

BenchHost::BenchHost() {
    previousDirectory_ = std::filesystem::current_path().string();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quorvel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a working directory");
    }
    directory_ = pattern;
    std::filesystem::current_path(directory_);
}

BenchHost::~BenchHost() {
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory_, ignored);
    std::filesystem::remove_all(directory_, ignored);
}

void BenchHost::writeFile(const std::string& name, std::string_view bytes) const {
    const auto path = std::filesystem::path(directory_) / name;
    {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // Written an hour ago, as a zone's files are: the module trusts the
    // stamp of a file that has settled.
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                               std::chrono::hours(1));
}

std::uint64_t BenchHost::fileSize(const std::string& name) const {
    std::error_code error;
    auto size = std::filesystem::file_size(std::filesystem::path(directory_) / name, error);
    return error ? 0 : size;
}

void BenchHost::emptyJournal() const {
    const std::string path = (std::filesystem::path(directory_) / "gold.log").string();
    if (::truncate(path.c_str(), 0) != 0 && errno != ENOENT) {
        throw std::runtime_error("cannot empty gold.log");
    }
}

PlayerRecord& BenchHost::add(const Seat& seat) {
    PlayerRecord& record = records_.emplace_back();
    std::memset(&record, 0, sizeof record);
    record.ident = nextIdent_++;
    record.accessLevel = seat.accessLevel;
    std::memcpy(record.name, seat.name.data(), std::min(seat.name.size(), sizeof record.name - 1));
    record.ship = seat.ship;
    record.team = seat.team;
    record.tileX = seat.tileX;
    record.tileY = seat.tileY;
    record.pixelX = seat.tileX * 16;
    record.pixelY = seat.tileY * 16;
    record.antiwarpOn = seat.antiwarp ? 1 : 0;
    rebuildList();
    return record;
}

void BenchHost::rebuildList() {
    nodes_.assign(records_.size(), HostListNode{nullptr, nullptr});
    std::size_t i = 0;
    for (const PlayerRecord& record : records_) {
        nodes_[i].record = &record;
        nodes_[i].next = i + 1 < nodes_.size() ? &nodes_[i + 1] : nullptr;
        ++i;
    }
    players_.head = nodes_.empty() ? nullptr : &nodes_[0];
}

void BenchHost::send(Word code, Word v0, Word v1, Word v2, Word v3) {
    BotEvent event{};
    event.handle = handle_;
    event.code = code;
    event.value[0] = v0;
    event.value[1] = v1;
    event.value[2] = v2;
    event.value[3] = v3;
    loadedTalk()(event);
}

void BenchHost::handshake() {
    handle_ = nextHandle++;
    send(Handshake, hostVersion(6, 1), reinterpret_cast<Word>(&receive), ref(&players_),
         ref(&flags_));
}

void BenchHost::terminate() {
    send(Terminate);
}
void BenchHost::tick() {
    send(Tick);
}
void BenchHost::enter(const PlayerRecord& player) {
    send(PlayerEntering, ref(&player));
}
void BenchHost::move(const PlayerRecord& player) {
    send(PlayerMoved, ref(&player));
}
void BenchHost::kill(const PlayerRecord& killed, const PlayerRecord& killer) {
    send(PlayerKilled, ref(&killed), ref(&killer));
}

void BenchHost::command(const PlayerRecord& player, const char* name, const char* text) {
    ChatCommand typed{name, text};
    send(CommandTyped, ref(&player), ref(&typed));
}

std::uint64_t BenchHost::linesSent() const {
    return sentLines;
}
std::uint16_t BenchHost::lastPrivateTarget() const {
    return privateTarget;
}

} // namespace quorvel::bench
