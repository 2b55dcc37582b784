// The whole module through its one export, the way a host drives it: the
// fuzz input is decoded into a session of one bot in a private working
// folder seeded with the example arena's files. The handshake comes first;
// then players enter and leave with any names and fields, move, kill, change
// ship and freq, type commands and help with any text, the zone sends arena
// messages, flag wins and goals, the clock ticks, an operator edits or
// damages the files; at the end every player leaves and the host terminates
// the bot.
//
// The session keeps the host's side of the contract, so that any fault is
// the module's: a record handed to talk is alive and listed, a player who
// left is off the list and freed at once, the lists are consistent, and
// talk is never called from inside the callback. Every record the module
// hands back is checked: a known code, a text, a private line only to a
// listed player. At the end, the gold.dat and inv.dat the bot saved must
// hold each name once (unless the session wrote that file itself).
//
// The module keeps one state per bot handle for as long as it is loaded, so
// every session starts by having a God-level operator empty the gold and
// inventory data and put the services back to their starting switches. The
// jackpot and rabbit clocks still run on from the sessions before, so an
// input that fails only after others is replayed with them (the replay test
// plays the whole corpus in one process).
#include <quorvel/host_abi.h>

#include "fuzz_input.h"
#include "scratch_folder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace quorvel;
using quorvel::fuzz::fail;
using quorvel::fuzz::FuzzInput;

namespace {

constexpr Word botHandle = 1;
constexpr std::size_t mostPlayers = 48;
constexpr std::size_t mostFlags = 16;

constexpr std::string_view commandNames[] = {
    "about",    "alloff",   "aradius",  "awarpoff", "awarpon",    "buy",       "check",
    "givegold", "gold",     "goldload", "goldsave", "gratio",     "hide",      "hship",
    "hteam",    "inv",      "invload",  "invsave",  "ioff",       "ion",       "iwarpoff",
    "iwarpon",  "lendgold", "newpick",  "notcheck", "playergold", "resetgold", "resetinv",
    "show",     "shutup",   "start",    "status",   "stop",       "takegold",  "twarpoff",
    "twarpon",  "version",  "zload",    "zoff",     "zon",        "zsave",     "zship",
    "zstatus",  "zteam",    "help",
};

constexpr std::string_view words[] = {
    "use",        "inv",        "arena",      "flags",       "points", "bounty", "reset",
    "guns",       "bombs",      "multi",      "super",       "shield", "thor",   "prize",
    "portal",     "mod",        "sop",        "all",         "0",      "1",      "-1",
    "2147483647", "2147483648", "4294967295", "-2147483648",
};

constexpr std::string_view pooledNames[] = {
    "Bob", "bob2", "Alice", "ZED", "a", "Rabbit", "Lord Of The Flags 1", "x:y", " ", "~",
};

constexpr const char* seededFiles[] = {"quorvel.ini", "WarpTeam.ini", "WarpArea.ini",
                                       "Ghoulset.ini"};
constexpr const char* editableFiles[] = {"quorvel.ini",  "WarpTeam.ini", "WarpArea.ini",
                                         "Ghoulset.ini", "gold.dat",     "inv.dat",
                                         "gold.log"};

std::string seededText(const char* name) {
    bool found = false;
    std::string text = fuzz::readFile(std::string(QUORVEL_EXAMPLE_ARENA) + "/" + name, &found);
    if (!found) {
        fail(std::string("the example arena has no ") + name);
    }
    return text;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) {
            return false;
        }
    }
    return true;
}

void copyField(char (&field)[20], std::string_view text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), std::min(text.size(), sizeof field - 1));
}

Word ref(const void* pointer) {
    return reinterpret_cast<Word>(pointer);
}

class Session;
Session* current = nullptr;

// QUORVEL_FUZZ_TRACE=1 prints every event and every record of the module,
// to see what an input plays.
const bool tracing = std::getenv("QUORVEL_FUZZ_TRACE") != nullptr;

class Session {
public:
    explicit Session(FuzzInput& input) : input_(input) {}

    void play() {
        current = this;
        handshake();
        prologue();
        while (!input_.empty()) {
            step();
        }
        epilogue();
        current = nullptr;
    }

    // The host's callback.
    static void QUORVEL_CALL receive(BotEvent& record) {
        if (current == nullptr) {
            fail("the module called back outside talk");
        }
        current->check(record);
    }

private:
    void check(const BotEvent& record) {
        if (!inTalk_) {
            fail("the module called back outside talk");
        }
        if (record.handle != botHandle) {
            fail("a record for handle " + std::to_string(record.handle));
        }
        if (record.code == Echo) {
            if (record.value[0] == 0) {
                fail("a console line without text");
            }
            if (tracing) {
                std::fprintf(stderr, "    console: %s\n",
                             reinterpret_cast<const char*>(record.value[0]));
            }
            (void)std::strlen(reinterpret_cast<const char*>(record.value[0]));
            return;
        }
        if (record.code != Say) {
            fail("a record with command code " + std::to_string(record.code));
        }
        if (record.value[3] == 0) {
            fail("a chat line without text");
        }
        const std::string text(reinterpret_cast<const char*>(record.value[3]));
        if (tracing) {
            std::fprintf(stderr, "    say type %zu to #%zu: %s\n",
                         static_cast<std::size_t>(record.value[0]),
                         static_cast<std::size_t>(record.value[2]), text.c_str());
        }
        if (record.value[0] == Private) {
            bool listed = false;
            for (const PlayerRecord* player : listed_) {
                listed = listed || player->ident == record.value[2];
            }
            if (!listed) {
                fail("a private line to #" + std::to_string(record.value[2]) +
                     ", who is not in the arena: " + text);
            }
        } else if (record.value[0] != Public) {
            fail("a chat line of type " + std::to_string(record.value[0]) + ": " + text);
        }
    }

    void talkWith(Word code, std::initializer_list<Word> values = {}) {
        BotEvent event{};
        event.handle = botHandle;
        event.code = code;
        std::size_t slot = 0;
        for (Word value : values) {
            event.value[slot++] = value;
        }
        if (tracing && code != Tick) {
            trace(event);
        }
        inTalk_ = true;
        talk(event);
        inTalk_ = false;
    }

    void trace(const BotEvent& event) const {
        std::string line = "event " + std::to_string(event.code);
        const Word code = event.code;
        if (code == PlayerEntering || code == PlayerMoved || code == PlayerKilled ||
            code == PlayerShipChanged || code == PlayerSpectating || code == PlayerTeamChanged ||
            code == PlayerLeaving || code == CommandTyped || code == HelpRequested) {
            const auto* player = reinterpret_cast<const PlayerRecord*>(event.value[0]);
            line += " #" + std::to_string(player->ident) + " " + player->name + " ship " +
                    std::to_string(player->ship) + " freq " + std::to_string(player->team) +
                    " tile " + std::to_string(player->tileX) + "," + std::to_string(player->tileY);
        }
        if (code == CommandTyped || code == HelpRequested) {
            const auto* typed = reinterpret_cast<const ChatCommand*>(event.value[1]);
            line += " !" + std::string(typed->name) + " [" + typed->final + "]";
        }
        if (code == PlayerKilled) {
            line +=
                " by " + std::string(reinterpret_cast<const PlayerRecord*>(event.value[1])->name);
        }
        if (code == ChatMessage) {
            line += " type " + std::to_string(event.value[0]) + " [" +
                    reinterpret_cast<const char*>(event.value[3]) + "]";
        }
        std::fprintf(stderr, "%s\n", line.c_str());
    }

    void handshake() {
        talkWith(Handshake,
                 {hostVersion(6, 1 + input_.pick(4)), reinterpret_cast<Word>(&Session::receive),
                  ref(&playerList_), ref(&flagList_)});
    }

    void staffCommand(const PlayerRecord& op, const char* name, const char* text = "") {
        ChatCommand typed{name, text};
        talkWith(CommandTyped, {ref(&op), ref(&typed)});
    }

    // Every session starts from the same state of the bot.
    void prologue() {
        PlayerRecord& op = addRecord("Quorvel Fuzz Op", 12, 8, 0);
        talkWith(PlayerEntering, {ref(&op)});
        for (const char* name : {"resetgold", "resetinv", "twarpon", "awarpon", "iwarpon", "zoff",
                                 "notcheck", "start", "stop"}) {
            staffCommand(op, name);
        }
        staffCommand(op, "aradius", "10");
        leave(op);
    }

    void epilogue() {
        while (!listed_.empty()) {
            leave(*listed_.front());
        }
        if (joined_) {
            talkWith(ArenaLeft);
        }
        talkWith(Terminate);
        if (!edited_.contains("gold.dat")) {
            checkSavedFile("gold.dat", 24, 4, 19);
        }
        if (!edited_.contains("inv.dat")) {
            checkSavedFile("inv.dat", 52, 0, 20);
        }
    }

    // The module makes one account and one inventory record per name;
    // unless the operator wrote the file by hand during the session, what
    // Terminate saved holds whole records and no name twice.
    static void checkSavedFile(const char* file, std::size_t recordSize, std::size_t nameAt,
                               std::size_t nameSize) {
        bool found = false;
        const std::string bytes = fuzz::readFile(file, &found);
        if (!found) {
            return;
        }
        if (bytes.size() % recordSize != 0) {
            fail(std::string("the saved ") + file + " has " + std::to_string(bytes.size()) +
                 " bytes");
        }
        std::vector<std::string> names;
        for (std::size_t at = 0; at < bytes.size(); at += recordSize) {
            std::string name = bytes.substr(at + nameAt, nameSize);
            name = name.substr(0, name.find('\0'));
            for (const std::string& earlier : names) {
                if (sameNameIgnoringCase(earlier, name)) {
                    fail(std::string("the saved ") + file + " holds \"" + name + "\" twice");
                }
            }
            names.push_back(std::move(name));
        }
    }

    PlayerRecord& addRecord(std::string_view name, std::uint32_t level, std::uint8_t ship,
                            std::uint16_t team) {
        auto record = std::make_unique<PlayerRecord>();
        std::memset(record.get(), 0, sizeof(PlayerRecord));
        record->ident = nextIdent_++;
        record->accessLevel = level;
        copyField(record->name, name);
        record->ship = ship;
        record->team = team;
        setPixels(*record, 512 * 16, 512 * 16);
        PlayerRecord& added = *record;
        owned_.push_back(std::move(record));
        listed_.push_back(&added);
        rebuildPlayers();
        return added;
    }

    // The player's PlayerLeaving, then off the list and freed: a module that
    // keeps a reference past this point reads freed memory.
    void leave(const PlayerRecord& player) {
        talkWith(PlayerLeaving, {ref(&player)});
        std::erase(listed_, &player);
        rebuildPlayers();
        std::erase_if(owned_, [&player](const auto& record) { return record.get() == &player; });
    }

    void rebuildPlayers() {
        playerNodes_.assign(listed_.size(), HostListNode{nullptr, nullptr});
        for (std::size_t i = 0; i < listed_.size(); ++i) {
            playerNodes_[i].record = listed_[i];
            playerNodes_[i].next = i + 1 < listed_.size() ? &playerNodes_[i + 1] : nullptr;
        }
        playerList_.head = playerNodes_.empty() ? nullptr : playerNodes_.data();
    }

    void rebuildFlags() {
        flagNodes_.assign(flags_.size(), HostListNode{nullptr, nullptr});
        std::size_t i = 0;
        for (const FlagRecord& flag : flags_) {
            flagNodes_[i].record = &flag;
            flagNodes_[i].next = i + 1 < flags_.size() ? &flagNodes_[i + 1] : nullptr;
            ++i;
        }
        flagList_.head = flagNodes_.empty() ? nullptr : flagNodes_.data();
    }

    static void setPixels(PlayerRecord& player, std::int32_t x, std::int32_t y) {
        player.pixelX = x;
        player.pixelY = y;
        player.tileX = x >> 4;
        player.tileY = y >> 4;
    }

    // Mostly on the map, now and then anywhere a 32-bit host value can be.
    std::int32_t pixel() {
        const std::uint8_t choice = input_.byte();
        if (choice < 0xF0) {
            return static_cast<std::int32_t>(input_.u16() % (1024 * 16));
        }
        return static_cast<std::int32_t>(input_.u32());
    }

    void place(PlayerRecord& player) {
        const std::int32_t x = pixel();
        setPixels(player, x, pixel());
        const std::uint8_t state = input_.byte();
        player.antiwarpOn = state & 1u;
        player.inSafetyZone = (state >> 1) & 1u;
    }

    std::uint32_t level() {
        const std::uint8_t choice = input_.byte();
        return choice < 0xF0 ? choice % 14u : input_.u32();
    }

    std::uint16_t team() {
        const std::uint8_t choice = input_.byte();
        if (choice < 0xE0) {
            return choice % 4u;
        }
        if (choice < 0xF0) {
            return static_cast<std::uint16_t>(98 + choice % 4u);
        }
        return input_.u16();
    }

    void scores(PlayerRecord& player) {
        player.flagsCarried = input_.byte() % 4u;
        player.flagPoints = static_cast<std::int32_t>(input_.u32());
        player.wins = input_.u16();
        player.losses = input_.u16();
    }

    std::string newName() {
        const std::uint8_t choice = input_.byte();
        std::string name = choice < 0x80 ? std::string(pooledNames[choice % std::size(pooledNames)])
                                         : input_.text(19);
        name = name.substr(0, std::min(name.find('\0'), std::size_t{19}));
        return name;
    }

    // A zone has one player of a name, whatever its case, and no nameless one.
    bool nameTaken(std::string_view name) const {
        if (name.empty()) {
            return true;
        }
        for (const PlayerRecord* player : listed_) {
            if (sameNameIgnoringCase(player->name, name)) {
                return true;
            }
        }
        return false;
    }

    PlayerRecord* anyPlayer() {
        if (listed_.empty()) {
            return nullptr;
        }
        return listed_[input_.pick(listed_.size())];
    }

    void enterPlayer() {
        const std::string name = newName();
        if (listed_.size() >= mostPlayers || nameTaken(name)) {
            return;
        }
        const std::uint32_t access = level();
        const std::uint8_t ship = input_.byte() % 9u;
        PlayerRecord& player = addRecord(name, access, ship, team());
        copyField(player.squad, input_.text(19));
        place(player);
        scores(player);
        talkWith(PlayerEntering, {ref(&player)});
    }

    // The typed text, as the host hands it over: blanks after the command
    // name are gone.
    std::string commandText() {
        std::string text;
        switch (input_.pick(5)) {
        case 0:
            text = input_.text(80);
            break;
        case 1:
        case 2: {
            const PlayerRecord* other = anyPlayer();
            text = other != nullptr ? std::string(other->name) : newName();
            if (input_.flag()) {
                text += ":" + std::to_string(static_cast<std::int32_t>(input_.u32()));
            }
            break;
        }
        case 3:
            text = std::string(words[input_.pick(std::size(words))]);
            if (input_.flag()) {
                text += " " + std::string(words[input_.pick(std::size(words))]);
            }
            break;
        default:
            text = std::string(words[input_.pick(std::size(words))]) + " " + input_.text(40);
            break;
        }
        text = text.substr(0, text.find('\0'));
        const std::size_t first = text.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : text.substr(first);
    }

    std::string commandName() {
        const std::uint8_t choice = input_.byte();
        if (choice < 0xE0) {
            return std::string(commandNames[choice % std::size(commandNames)]);
        }
        std::string name = input_.text(16);
        name = name.substr(0, name.find('\0'));
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + 32);
            }
        }
        return name;
    }

    void typeCommand(bool help) {
        PlayerRecord* player = anyPlayer();
        if (player == nullptr) {
            return;
        }
        const std::string name = help ? "help" : commandName();
        const std::string text = commandText();
        ChatCommand typed{name.c_str(), text.c_str()};
        talkWith(help ? HelpRequested : CommandTyped, {ref(player), ref(&typed)});
    }

    void chatMessage() {
        constexpr Word types[] = {ArenaMessage, Public, Private, 1, 3, 4, 6, 7, 9};
        const Word type = types[input_.pick(std::size(types))];
        std::string text;
        if (input_.flag()) {
            text = "Current Jackpot: " + input_.text(24);
        } else {
            text = input_.text(120);
        }
        text = text.substr(0, text.find('\0'));
        talkWith(ChatMessage, {type, 0, 0, ref(text.c_str())});
    }

    Word teamWord() { return input_.flag() ? Word{input_.byte() % 4u} : Word{input_.u32()}; }

    void changeFlags() {
        if (input_.flag() && flags_.size() < mostFlags) {
            const std::uint16_t x = input_.u16();
            flags_.push_back(FlagRecord{x, input_.u16()});
        } else if (!flags_.empty()) {
            auto at = flags_.begin();
            std::advance(at, static_cast<long>(input_.pick(flags_.size())));
            flags_.erase(at);
        }
        rebuildFlags();
    }

    void editFile() {
        const char* name = editableFiles[input_.pick(std::size(editableFiles))];
        edited_.insert(name);
        if (input_.byte() < 0x10) {
            std::remove(name);
            return;
        }
        fuzz::writeFile(name, input_.text(255));
    }

    void ignoredEvent() {
        constexpr Word codes[] = {4,  6,  7,  8,  9,  13, 14, 22, 23, 24, 25, 26,
                                  28, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 255};
        talkWith(codes[input_.pick(std::size(codes))]);
    }

    void step() {
        switch (input_.pick(20)) {
        case 0:
        case 1:
            enterPlayer();
            break;
        case 2:
            if (PlayerRecord* player = anyPlayer()) {
                leave(*player);
            }
            break;
        case 3:
            if (PlayerRecord* player = anyPlayer()) {
                place(*player);
                talkWith(PlayerMoved, {ref(player)});
            }
            break;
        case 4:
            if (PlayerRecord* killed = anyPlayer()) {
                PlayerRecord* killer = anyPlayer();
                talkWith(PlayerKilled, {ref(killed), ref(killer), 0});
            }
            break;
        case 5:
            if (PlayerRecord* player = anyPlayer()) {
                player->ship = input_.byte() % 8u;
                talkWith(PlayerShipChanged, {ref(player), 0, 0});
            }
            break;
        case 6:
            if (PlayerRecord* player = anyPlayer()) {
                player->ship = 8;
                talkWith(PlayerSpectating, {ref(player), 0, 0});
            }
            break;
        case 7:
            if (PlayerRecord* player = anyPlayer()) {
                player->team = team();
                talkWith(PlayerTeamChanged, {ref(player), 0, 0});
            }
            break;
        case 8: {
            const std::uint8_t n = input_.byte();
            const int count = n < 200 ? n + 1 : (n - 199) * 60;
            for (int i = 0; i < count; ++i) {
                talkWith(Tick);
            }
            break;
        }
        case 9:
        case 10:
        case 11:
            typeCommand(false);
            break;
        case 12:
            typeCommand(true);
            break;
        case 13:
            chatMessage();
            break;
        case 14:
            talkWith(input_.flag() ? FlagGameWon : GoalScored, {teamWord(), 0});
            break;
        case 15:
            talkWith(PrizeRefresh, {0, 0, 0, 0, 0});
            break;
        case 16:
            if (!joined_) {
                if (PlayerRecord* me = anyPlayer()) {
                    joined_ = true;
                    talkWith(ArenaJoined, {0, ref(me), 0});
                }
            } else {
                joined_ = false;
                talkWith(ArenaLeft);
            }
            break;
        case 17:
            // The host's records change between events without a word.
            if (PlayerRecord* player = anyPlayer()) {
                scores(*player);
                if (input_.flag()) {
                    place(*player);
                }
            }
            changeFlags();
            break;
        case 18:
            editFile();
            break;
        default:
            if (input_.flag()) {
                ignoredEvent();
            } else {
                // The host stops the bot and starts it again.
                talkWith(Terminate);
                handshake();
            }
            break;
        }
    }

    FuzzInput& input_;
    bool inTalk_ = false;
    bool joined_ = false;
    std::set<std::string> edited_;
    std::uint16_t nextIdent_ = 1;
    std::vector<std::unique_ptr<PlayerRecord>> owned_;
    std::vector<PlayerRecord*> listed_;
    std::vector<HostListNode> playerNodes_;
    HostList playerList_{nullptr};
    std::list<FlagRecord> flags_;
    std::vector<HostListNode> flagNodes_;
    HostList flagList_{nullptr};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::string> seeds = [] {
        std::vector<std::string> texts;
        for (const char* name : seededFiles) {
            texts.push_back(seededText(name));
        }
        return texts;
    }();

    fuzz::ScratchFolder folder;
    FuzzInput input(data, size);
    // The first byte leaves some of the example files out.
    const std::uint8_t missing = input.byte();
    for (std::size_t i = 0; i < std::size(seededFiles); ++i) {
        if ((missing >> i & 1u) == 0) {
            fuzz::writeFile(seededFiles[i], seeds[i]);
        }
    }
    Session session(input);
    session.play();
    return 0;
}
