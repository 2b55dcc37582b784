#include "support/test_arena.h"

#include "module/event_dispatch.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace quorvel::testing {
namespace {

TestArena* current = nullptr;
// The test program is the host process the arenas' bots run in: arenas
// working in one folder share its economy, as the bots of one host do.
EconomyFolders hostEconomies;
// Every arena alive: a record goes to the one whose bot sent it.
std::vector<TestArena*> live;

void copyName(char (&field)[20], const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

} // namespace

Sent console(std::string text) {
    return Sent{Echo, 0, 0, 0, std::move(text)};
}

Sent publicLine(std::string text, Word sound) {
    return Sent{Say, Public, sound, 0, std::move(text)};
}

Sent privateLine(const PlayerRecord& player, std::string text) {
    return Sent{Say, Private, 0, player.ident, std::move(text)};
}

std::string describe(const Sent& sent) {
    std::ostringstream out;
    if (sent.code == Echo) {
        out << "console \"" << sent.text << "\"";
    } else if (sent.chatType == Private) {
        out << "private to #" << sent.target << " \"" << sent.text << "\"";
    } else {
        out << "public(type " << sent.chatType << ", sound " << sent.sound << ") \"" << sent.text
            << "\"";
    }
    return out.str();
}

void PrintTo(const Sent& sent, std::ostream* out) {
    *out << describe(sent);
}

TestArena::TestArena(std::optional<std::uint32_t> seed) {
    previousDirectory_ = std::filesystem::current_path().string();
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a working directory");
    }
    directory_ = pattern;
    start(seed);
}

TestArena::TestArena(const std::string& directory, std::optional<std::uint32_t> seed) {
    previousDirectory_ = std::filesystem::current_path().string();
    directory_ = directory;
    ownsDirectory_ = false;
    start(seed);
}

TestArena::TestArena(const std::string& directory, std::optional<std::uint32_t> seed, Word handle)
    : handle_(handle) {
    previousDirectory_ = std::filesystem::current_path().string();
    directory_ = directory;
    ownsDirectory_ = false;
    start(seed);
}

FileEconomy& TestArena::economy() {
    if (!spawn_->gold.economy) {
        throw std::logic_error("the bot has no seat at an economy");
    }
    return dynamic_cast<FileEconomy&>(*spawn_->gold.economy);
}

void TestArena::start(std::optional<std::uint32_t> seed) {
    std::filesystem::current_path(directory_);
    if (const char* old = std::getenv("QUORVEL_RANDOM_SEED")) {
        previousSeed_ = old;
    }
    if (seed) {
        ::setenv("QUORVEL_RANDOM_SEED", std::to_string(*seed).c_str(), 1);
    }
    spawn_ = std::make_unique<BotSpawn>(handle_, platform::realPlatform(), hostEconomies);
    current = this;
    live.push_back(this);
}

TestArena::~TestArena() {
    current = nullptr;
    std::erase(live, this);
    spawn_.reset();
    if (previousSeed_) {
        ::setenv("QUORVEL_RANDOM_SEED", previousSeed_->c_str(), 1);
    } else {
        ::unsetenv("QUORVEL_RANDOM_SEED");
    }
    std::error_code ignored;
    std::filesystem::current_path(previousDirectory_, ignored);
    if (ownsDirectory_) {
        std::filesystem::remove_all(directory_, ignored);
    }
}

void TestArena::writeFile(const std::string& name, std::string_view bytes) {
    std::ofstream out(std::filesystem::path(directory_) / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> TestArena::readFile(const std::string& name) const {
    std::ifstream in(std::filesystem::path(directory_) / name, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool TestArena::fileExists(const std::string& name) const {
    return std::filesystem::exists(std::filesystem::path(directory_) / name);
}

PlayerRecord& TestArena::addPlayer(const PlayerSetup& setup) {
    PlayerRecord& record = records_.emplace_back();
    std::memset(&record, 0, sizeof record);
    record.ident = nextIdent_++;
    record.accessLevel = setup.accessLevel;
    copyName(record.name, setup.name);
    copyName(record.squad, setup.squad);
    record.ship = setup.ship;
    record.team = setup.team;
    setPosition(record, setup.tileX, setup.tileY);
    listed_.push_back(&record);
    rebuildLists();
    return record;
}

void TestArena::removePlayer(const PlayerRecord& player) {
    listed_.erase(std::remove(listed_.begin(), listed_.end(), &player), listed_.end());
    rebuildLists();
}

void TestArena::setPosition(PlayerRecord& player, std::int32_t tileX, std::int32_t tileY) {
    player.tileX = tileX;
    player.tileY = tileY;
    // Pixels wrap on 32 bits for tiles far off the map, as a host's would.
    player.pixelX = static_cast<std::int32_t>(static_cast<std::uint32_t>(tileX) * 16u);
    player.pixelY = static_cast<std::int32_t>(static_cast<std::uint32_t>(tileY) * 16u);
}

void TestArena::addFlag(std::uint16_t tileX, std::uint16_t tileY) {
    flagRecords_.push_back(FlagRecord{tileX, tileY});
    rebuildLists();
}

void TestArena::rebuildLists() {
    playerNodes_.assign(listed_.size(), HostListNode{nullptr, nullptr});
    for (std::size_t i = 0; i < listed_.size(); ++i) {
        playerNodes_[i].record = listed_[i];
        playerNodes_[i].next = i + 1 < listed_.size() ? &playerNodes_[i + 1] : nullptr;
    }
    playerList_.head = playerNodes_.empty() ? nullptr : &playerNodes_[0];
    flagNodes_.assign(flagRecords_.size(), HostListNode{nullptr, nullptr});
    std::size_t i = 0;
    for (const FlagRecord& flag : flagRecords_) {
        flagNodes_[i].record = &flag;
        flagNodes_[i].next = i + 1 < flagRecords_.size() ? &flagNodes_[i + 1] : nullptr;
        ++i;
    }
    flagList_.head = flagNodes_.empty() ? nullptr : &flagNodes_[0];
}

void QUORVEL_CALL TestArena::receive(BotEvent& record) {
    TestArena* to = current;
    if (to == nullptr || to->handle_ != record.handle) {
        for (TestArena* arena : live) {
            if (arena->handle_ == record.handle) {
                to = arena;
            }
        }
    }
    if (to == nullptr) {
        return;
    }
    Sent sent;
    sent.code = record.code;
    if (record.code == Echo) {
        sent.text = reinterpret_cast<const char*>(record.value[0]);
    } else {
        sent.chatType = record.value[0];
        sent.sound = record.value[1];
        sent.target = record.value[2];
        sent.text = reinterpret_cast<const char*>(record.value[3]);
    }
    to->sent_.push_back(std::move(sent));
}

void TestArena::event(Word code, std::initializer_list<Word> values) {
    BotEvent record{};
    record.handle = handle_;
    record.code = code;
    std::size_t slot = 0;
    for (Word value : values) {
        record.value[slot++] = value;
    }
    current = this;
    handleEvent(*spawn_, record);
}

namespace {
Word ref(const void* record) {
    return reinterpret_cast<Word>(record);
}
} // namespace

void TestArena::handshake(Word version) {
    event(Handshake, {version, reinterpret_cast<Word>(&TestArena::receive), ref(&playerList_),
                      ref(&flagList_)});
}

void TestArena::terminate() {
    event(Terminate);
}

void TestArena::tick(int count) {
    for (int i = 0; i < count; ++i) {
        event(Tick);
    }
}

void TestArena::joinArena(const PlayerRecord& me) {
    event(ArenaJoined, {0, ref(&me), 0});
}

void TestArena::leaveArena() {
    event(ArenaLeft);
}

void TestArena::enter(const PlayerRecord& player) {
    event(PlayerEntering, {ref(&player)});
}

void TestArena::enterNew(const PlayerSetup& setup) {
    enter(addPlayer(setup));
}

void TestArena::move(const PlayerRecord& player) {
    event(PlayerMoved, {ref(&player)});
}

void TestArena::kill(const PlayerRecord& killed, const PlayerRecord& killer) {
    event(PlayerKilled, {ref(&killed), ref(&killer), 0});
}

void TestArena::shipChange(PlayerRecord& player, std::uint8_t ship) {
    player.ship = ship;
    event(PlayerShipChanged, {ref(&player), 0, 0});
}

void TestArena::teamChange(PlayerRecord& player, std::uint16_t team) {
    player.team = team;
    event(PlayerTeamChanged, {ref(&player), 0, 0});
}

void TestArena::spectate(PlayerRecord& player) {
    player.ship = 8;
    event(PlayerSpectating, {ref(&player), 0, 0});
}

void TestArena::leave(const PlayerRecord& player) {
    event(PlayerLeaving, {ref(&player)});
    removePlayer(player);
}

void TestArena::arenaMessage(const std::string& text) {
    chat(ArenaMessage, text);
}

void TestArena::chat(ChatType type, const std::string& text) {
    event(ChatMessage, {type, 0, 0, ref(text.c_str())});
}

void TestArena::command(const PlayerRecord& player, const std::string& name,
                        const std::string& text) {
    ChatCommand typed{name.c_str(), text.c_str()};
    event(CommandTyped, {ref(&player), ref(&typed)});
}

void TestArena::help(const PlayerRecord& player, const std::string& topic) {
    ChatCommand typed{"help", topic.c_str()};
    event(HelpRequested, {ref(&player), ref(&typed)});
}

void TestArena::flagWin(Word team) {
    event(FlagGameWon, {team, 0});
}

void TestArena::goal(Word team) {
    event(GoalScored, {team, 0});
}

std::vector<Sent> TestArena::take() {
    std::vector<Sent> taken;
    taken.swap(sent_);
    return taken;
}

std::vector<std::string> TestArena::takeTexts() {
    std::vector<std::string> texts;
    for (Sent& sent : take()) {
        texts.push_back(std::move(sent.text));
    }
    return texts;
}

} // namespace quorvel::testing
