#include "lib/session.h"

#include "lib/gold_file.h"
#include "lib/text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace quorvel::host {

namespace {

// The module calls back through a plain function; this is the session whose
// `talk` call is running.
Session* activeSession = nullptr;

// More events than this for one action means the module and the zone keep
// answering each other.
constexpr std::size_t settleLimit = 100000;

std::string versionText(Word version) {
    return std::to_string(version >> 16) + "." + std::to_string(version & 0xffff) + " (" +
           std::to_string(version) + ")";
}

std::string eventName(Word code) {
    switch (code) {
    case PlayerEntering:
        return "PlayerEntering";
    case PlayerLeaving:
        return "PlayerLeaving";
    case PlayerShipChanged:
        return "PlayerShipChanged";
    case PlayerTeamChanged:
        return "PlayerTeamChanged";
    case PlayerSpectating:
        return "PlayerSpectating";
    case PlayerMoved:
        return "PlayerMoved";
    default:
        return "event " + std::to_string(code);
    }
}

void setEnvironment(const std::string& name, const std::string& value, bool remove) {
#if defined(_WIN32)
    _putenv_s(name.c_str(), remove ? "" : value.c_str());
#else
    if (remove) {
        unsetenv(name.c_str());
    } else {
        setenv(name.c_str(), value.c_str(), 1);
    }
#endif
}

} // namespace

Session::Session(TalkFunction talk, std::ostream* transcript, std::filesystem::path workDir)
    : talk_(talk), out_(transcript), workDir_(std::move(workDir)) {
    arenas_.push_back(std::make_unique<Arena>());
    selectBot(1, {});
}

Session::~Session() {
    if (activeSession == this) {
        activeSession = nullptr;
    }
}

void Session::say(const std::string& text) {
    if (out_ == nullptr) {
        return;
    }
    if (!lazyHeader_.empty()) {
        *out_ << "  " << lazyHeader_ << '\n';
        lazyHeader_.clear();
    }
    *out_ << "  " << text << '\n';
}

Session::Bot* Session::findBot(Word handle) const {
    for (const auto& bot : bots_) {
        if (bot->handle == handle) {
            return bot.get();
        }
    }
    return nullptr;
}

// A new handle is a new bot, in the default arena unless one is named. A bot
// may be placed in another arena until its first event: the module keeps the
// lists of the arena it was handed in its handshake.
void Session::selectBot(Word handle, const std::string& arenaName) {
    Bot* bot = findBot(handle);
    if (bot == nullptr) {
        bots_.push_back(std::make_unique<Bot>());
        bot = bots_.back().get();
        bot->handle = handle;
        bot->arena = arenas_.front().get();
    }
    if (!arenaName.empty() && !equalIgnoringCase(bot->arena->name(), arenaName)) {
        if (bot->started) {
            throw ScriptError("bot handle " + std::to_string(handle) + " is in " +
                              bot->arena->title() + " since its first event");
        }
        Arena* arena = nullptr;
        for (const auto& a : arenas_) {
            if (!a->name().empty() && equalIgnoringCase(a->name(), arenaName)) {
                arena = a.get();
            }
        }
        if (arena == nullptr) {
            arenas_.push_back(std::make_unique<Arena>(arenaName));
            arena = arenas_.back().get();
        }
        bot->arena = arena;
    }
    bot_ = bot;
}

std::string Session::tag(const Bot& bot) const {
    bool several = bots_.size() > 1 || !bot.arena->name().empty();
    return several ? "[" + std::to_string(bot.handle) + "] " : std::string();
}

void QUORVEL_CALL Session::callback(BotEvent& event) {
    if (activeSession != nullptr) {
        activeSession->receive(event);
    }
}

void Session::receive(const BotEvent& event) {
    Bot* from = findBot(event.handle);
    if (from == nullptr) {
        from = talking_ != nullptr ? talking_ : bot_;
    }
    Received r;
    r.handle = event.handle;
    r.bot = from->handle;
    r.code = event.code;
    r.tick = ticks_;
    if (event.code == Echo) {
        const auto* text = reinterpret_cast<const char*>(event.value[0]);
        r.text = text != nullptr ? text : "";
    } else if (event.code == Say) {
        r.chatType = event.value[0];
        r.sound = event.value[1];
        r.target = event.value[2];
        const auto* text = reinterpret_cast<const char*>(event.value[3]);
        r.text = text != nullptr ? text : "";
        if (r.chatType == Private && r.target <= 65535) {
            if (PlayerSlot* p = from->arena->findIdent(static_cast<std::uint16_t>(r.target))) {
                r.targetName = p->name();
            }
        }
    }
    std::string line = "<- " + tag(*from) + describeReceived(r);
    if (!inTalk_) {
        line += "   (sent outside a call of talk)";
    }
    if (r.handle != from->handle) {
        line += "   (for handle " + std::to_string(r.handle) + ")";
    }
    say(line);
    ++recordsReceived_;
    from->pending.push_back(r);
    lastRecords_.push_back(r);
    toCarryOut_.push_back(std::move(r));
}

void Session::callTalk(BotEvent& event) {
    Session* previous = activeSession;
    Bot* previousBot = talking_;
    activeSession = this;
    talking_ = findBot(event.handle);
    inTalk_ = true;
    ++eventsSent_;
    auto start = std::chrono::steady_clock::now();
    try {
        talk_(event);
    } catch (...) {
        // The action is abandoned with whatever the zone still had to do.
        timeInTalk_ += std::chrono::steady_clock::now() - start;
        inTalk_ = false;
        activeSession = previous;
        talking_ = previousBot;
        reports_.clear();
        toCarryOut_.clear();
        lazyHeader_.clear();
        throw ScriptError("the module let an exception out of talk (event " +
                          std::to_string(event.code) + ")");
    }
    timeInTalk_ += std::chrono::steady_clock::now() - start;
    inTalk_ = false;
    activeSession = previous;
    talking_ = previousBot;
}

void Session::hand(Bot& bot, BotEvent e, const std::string& description) {
    e.handle = bot.handle;
    say("-> " + tag(bot) + description);
    callTalk(e);
}

void Session::deliver(BotEvent e, const std::string& description) {
    hand(*bot_, e, description);
    settle();
}

// Every bot that hears it has the event before the zone carries out what any
// of them sent, as the bots of a real host each get the arena's packet before
// the zone has their answers.
void Session::deliverToArena(BotEvent e, const std::string& description) {
    for (Bot* bot : hearers(*bot_)) {
        hand(*bot, e, description);
    }
    settle();
}

std::vector<Session::Bot*> Session::hearers(Bot& bot) const {
    if (!bot.arena->eventsToEveryBot) {
        return {&bot};
    }
    std::vector<Bot*> in;
    for (const auto& other : bots_) {
        if (other->arena == bot.arena && (other.get() == &bot || other->connected)) {
            in.push_back(other.get());
        }
    }
    std::sort(in.begin(), in.end(),
              [](const Bot* a, const Bot* b) { return a->handle < b->handle; });
    return in;
}

// The zone carries out every line the module has sent so far, then the host
// passes on the next event that came back; lines the module sends in answer
// join the end of the queue, as they would reach a real zone after the
// reports already on their way.
void Session::settle() {
    std::size_t rounds = 0;
    while (!toCarryOut_.empty() || !reports_.empty()) {
        while (!toCarryOut_.empty()) {
            Received line = std::move(toCarryOut_.front());
            toCarryOut_.pop_front();
            Bot* from = findBot(line.bot);
            ZoneOutcome outcome = carryOut(line, *from->arena);
            for (const std::string& note : outcome.notes) {
                say("   zone: " + note);
            }
            for (ZoneReport& report : outcome.reports) {
                reports_.push_back({from, std::move(report)});
            }
        }
        if (reports_.empty()) {
            break;
        }
        if (++rounds > settleLimit) {
            reports_.clear();
            toCarryOut_.clear();
            lazyHeader_.clear();
            throw ScriptError("the module and the zone keep answering each other (more than " +
                              std::to_string(settleLimit) + " events for one action)");
        }
        Report next = std::move(reports_.front());
        reports_.pop_front();
        const ZoneReport& report = next.report;
        BotEvent e{};
        e.code = report.code;
        std::string description;
        if (report.code == ChatMessage) {
            e.value[0] = ArenaMessage;
            e.value[3] = reinterpret_cast<Word>(report.text.c_str());
            description = "ChatMessage arena " + quoteText(report.text);
        } else {
            e.value[0] = reinterpret_cast<Word>(&report.player->record);
            description = eventName(report.code) + " " + describePlayer(*report.player);
        }
        // What the zone did is seen by every bot of the arena; an answer
        // only by the bot that asked.
        if (report.askerOnly) {
            hand(*next.bot, e, description);
        } else {
            for (Bot* bot : hearers(*next.bot)) {
                hand(*bot, e, description);
            }
        }
    }
}

BotEvent Session::event(Word code) {
    bot_->started = true;
    BotEvent e{};
    e.handle = bot_->handle;
    e.code = code;
    return e;
}

PlayerSlot& Session::player(const std::string& name) {
    PlayerSlot* p = arena().find(name);
    if (p == nullptr) {
        throw ScriptError("no player named " + quoteText(name) + " is in " + arena().title());
    }
    return *p;
}

std::filesystem::path Session::fileIn(const std::string& name) const {
    std::filesystem::path path(name);
    if (name.empty() || path.has_parent_path() || path.is_absolute() || name == "." ||
        name == "..") {
        throw ScriptError("a file name of the working directory is a bare name, not " +
                          quoteText(name));
    }
    return workDir_ / path;
}

std::optional<std::string> Session::run(const Action& a) {
    lastRecords_.clear();
    switch (a.kind) {
    case ActionKind::Handshake:
    case ActionKind::Terminate:
    case ActionKind::Raw:
    case ActionKind::PrizeRefresh:
    case ActionKind::Join:
    case ActionKind::Part:
        runBotEvent(a);
        break;
    case ActionKind::Enter:
    case ActionKind::Leave:
    case ActionKind::Set:
    case ActionKind::Move:
    case ActionKind::Ship:
    case ActionKind::Freq:
    case ActionKind::Spectate:
    case ActionKind::Kill:
    case ActionKind::Type:
        runPlayerAction(a);
        break;
    case ActionKind::Chat:
    case ActionKind::Tick:
    case ActionKind::FlagWin:
    case ActionKind::Goal:
    case ActionKind::Flag:
    case ActionKind::ClearFlags:
    case ActionKind::Jackpot:
        runArenaAction(a);
        break;
    case ActionKind::WriteFile:
    case ActionKind::RemoveFile:
    case ActionKind::SetGold:
    case ActionKind::Environment:
        runHostAction(a);
        break;
    case ActionKind::Handle:
    case ActionKind::Events:
    case ActionKind::Note:
    case ActionKind::Show:
    case ActionKind::Help:
    case ActionKind::Quit:
    case ActionKind::Crash:
        runSessionAction(a);
        break;
    case ActionKind::ExpectLine:
    case ActionKind::ExpectNothingMore:
    case ActionKind::Skip:
    case ActionKind::ExpectState:
    case ActionKind::WaitForFile:
        return runCheck(a);
    }
    return std::nullopt;
}

// The events of the module and of the bot itself.
void Session::runBotEvent(const Action& a) {
    switch (a.kind) {
    case ActionKind::Handshake: {
        bot_->connected = true;
        BotEvent e = event(Handshake);
        e.value[0] = static_cast<Word>(a.numbers.at(0));
        e.value[1] = reinterpret_cast<Word>(&Session::callback);
        e.value[2] = reinterpret_cast<Word>(arena().playerList());
        e.value[3] = reinterpret_cast<Word>(arena().flagList());
        deliver(e, "Handshake version " + versionText(e.value[0]));
        break;
    }
    case ActionKind::Terminate:
        deliver(event(Terminate), "Terminate");
        bot_->connected = false;
        break;
    case ActionKind::Raw: {
        BotEvent e = event(static_cast<Word>(a.numbers.at(0)));
        std::string values;
        for (std::size_t i = 1; i < a.numbers.size(); ++i) {
            e.value[i - 1] = static_cast<Word>(a.numbers[i]);
            values += " " + std::to_string(a.numbers[i]);
        }
        deliver(e, "event " + std::to_string(e.code) + values);
        break;
    }
    case ActionKind::PrizeRefresh:
        deliver(event(PrizeRefresh), "event 29 (prize refresh)");
        break;
    case ActionKind::Join:
        join(a.name, a.fields);
        break;
    case ActionKind::Part:
        part();
        break;
    default:
        break;
    }
}

void Session::runPlayerAction(const Action& a) {
    switch (a.kind) {
    case ActionKind::Enter:
        sendPlayerEvent(PlayerEntering, arena().add(a.name, a.fields, false));
        break;
    case ActionKind::Leave:
        leave(player(a.name));
        break;
    case ActionKind::Set: {
        PlayerSlot& p = player(a.name);
        applyFields(p, a.fields);
        say("   set " + describePlayer(p));
        break;
    }
    case ActionKind::Move: {
        PlayerSlot& p = player(a.name);
        applyFields(p, a.fields);
        sendPlayerEvent(PlayerMoved, p);
        break;
    }
    case ActionKind::Ship:
        changeShip(player(a.name), *a.fields.ship);
        break;
    case ActionKind::Freq:
        changeFreq(player(a.name), *a.fields.freq);
        break;
    case ActionKind::Spectate:
        spectate(player(a.name));
        break;
    case ActionKind::Kill: {
        PlayerSlot& killer = player(a.name);
        kill(killer, player(a.other));
        break;
    }
    case ActionKind::Type:
        typeLine(player(a.name), a.text);
        break;
    default:
        break;
    }
}

// The zone's events and the arena's state.
void Session::runArenaAction(const Action& a) {
    switch (a.kind) {
    case ActionKind::Chat: {
        BotEvent e = event(ChatMessage);
        e.value[0] = static_cast<Word>(a.numbers.at(0));
        e.value[3] = reinterpret_cast<Word>(a.text.c_str());
        // A private message is for the bot it is sent to; the others are
        // heard by every bot of the arena.
        std::string description =
            "ChatMessage type " + std::to_string(e.value[0]) + " " + quoteText(a.text);
        if (e.value[0] == Private) {
            deliver(e, description);
        } else {
            deliverToArena(e, description);
        }
        break;
    }
    case ActionKind::Tick:
        runTicks(a.numbers.at(0));
        break;
    case ActionKind::FlagWin:
    case ActionKind::Goal: {
        bool won = a.kind == ActionKind::FlagWin;
        BotEvent e = event(won ? FlagGameWon : GoalScored);
        e.value[0] = static_cast<Word>(a.numbers.at(0));
        deliverToArena(e, (won ? "FlagGameWon by freq " : "GoalScored by freq ") +
                              std::to_string(e.value[0]));
        break;
    }
    case ActionKind::Flag:
        arena().addFlag(static_cast<std::uint16_t>(a.numbers.at(0)),
                        static_cast<std::uint16_t>(a.numbers.at(1)));
        say("   flag on the map at tile " + std::to_string(a.numbers[0]) + " " +
            std::to_string(a.numbers[1]));
        break;
    case ActionKind::ClearFlags:
        arena().clearFlags();
        say("   no flags on the map");
        break;
    case ActionKind::Jackpot:
        setJackpot(a);
        break;
    default:
        break;
    }
}

// The files of the working directory and the environment of the process.
void Session::runHostAction(const Action& a) {
    switch (a.kind) {
    case ActionKind::WriteFile: {
        std::filesystem::path path = fileIn(a.name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << a.text;
        if (!out) {
            throw ScriptError("cannot write " + path.string());
        }
        say("   wrote " + a.name + " (" + std::to_string(a.text.size()) + " bytes)");
        break;
    }
    case ActionKind::RemoveFile: {
        std::error_code ec;
        std::filesystem::remove(fileIn(a.name), ec);
        say("   removed " + a.name);
        break;
    }
    case ActionKind::SetGold:
        setGold(fileIn("gold.dat"), a.name, static_cast<std::uint32_t>(a.numbers.at(0)));
        say("   gold.dat: " + quoteText(a.name) + " has " +
            std::to_string(static_cast<std::uint32_t>(a.numbers[0])));
        break;
    case ActionKind::Environment:
        setEnvironment(a.name, a.text, a.absent);
        say("   environment: " + a.name + (a.absent ? " removed" : "=" + quoteText(a.text)));
        break;
    default:
        break;
    }
}

void Session::runSessionAction(const Action& a) {
    switch (a.kind) {
    case ActionKind::Handle:
        selectBot(static_cast<Word>(a.numbers.at(0)), a.name);
        say("   events now go to bot handle " + std::to_string(bot_->handle) +
            (arena().name().empty() ? "" : " in " + arena().title()));
        break;
    case ActionKind::Events:
        arena().eventsToEveryBot = a.numbers.at(0) == 1;
        say("   events of " + arena().title() + " now go to " +
            (arena().eventsToEveryBot ? "every bot in it" : "the current bot only"));
        break;
    case ActionKind::Note:
        say("== " + a.text);
        break;
    case ActionKind::Show:
        show(a.name);
        break;
    case ActionKind::Help:
        if (out_ != nullptr) {
            for (const std::string& line : actionSummaries()) {
                *out_ << line << '\n';
            }
        }
        break;
    case ActionKind::Quit:
        quit_ = true;
        break;
    case ActionKind::Crash:
        crash();
    default:
        break;
    }
}

// Checks of the lines that came and of the state; a failure is returned.
std::optional<std::string> Session::runCheck(const Action& a) {
    switch (a.kind) {
    case ActionKind::ExpectLine:
        return recording_ ? std::nullopt : checkLine(a.line);
    case ActionKind::ExpectNothingMore:
        return recording_ ? std::nullopt : checkNothingMore();
    case ActionKind::Skip: {
        std::int64_t n = a.numbers.at(0);
        while (!bot_->pending.empty() && n != 0) {
            bot_->pending.pop_front();
            --n;
        }
        return std::nullopt;
    }
    case ActionKind::ExpectState:
        return checkState(a);
    case ActionKind::WaitForFile:
        return waitForFile(a.name, a.numbers.at(0));
    default:
        return std::nullopt;
    }
}

void Session::sendPlayerEvent(Word code, PlayerSlot& p) {
    BotEvent e = event(code);
    e.value[0] = reinterpret_cast<Word>(&p.record);
    deliverToArena(e, eventName(code) + " " + describePlayer(p));
}

void Session::join(const std::string& name, const PlayerFields& fields) {
    if (bot_->self != nullptr) {
        throw ScriptError("the bot is already in " + arena().title());
    }
    PlayerSlot& self = arena().add(name.empty() ? "Quorvel" : name, fields, true);
    bot_->self = &self;
    BotEvent e = event(ArenaJoined);
    e.value[1] = reinterpret_cast<Word>(&self.record);
    hand(*bot_, e, "ArenaJoined " + describePlayer(self));
    // The other bots of the arena see a player enter.
    BotEvent entering{};
    entering.code = PlayerEntering;
    entering.value[0] = reinterpret_cast<Word>(&self.record);
    for (Bot* other : hearers(*bot_)) {
        if (other != bot_) {
            hand(*other, entering, "PlayerEntering " + describePlayer(self));
        }
    }
    settle();
}

void Session::part() {
    if (bot_->self == nullptr) {
        throw ScriptError("the bot is not in " + arena().title());
    }
    deliver(event(ArenaLeft), "ArenaLeft");
    // The other bots of the arena see a player leave: off the list first,
    // freed after the event, as for any player.
    std::unique_ptr<PlayerSlot> owned = arena().remove(bot_->self);
    bot_->self = nullptr;
    BotEvent leaving{};
    leaving.code = PlayerLeaving;
    leaving.value[0] = reinterpret_cast<Word>(&owned->record);
    bool told = false;
    for (Bot* other : hearers(*bot_)) {
        if (other != bot_) {
            hand(*other, leaving, "PlayerLeaving " + describePlayer(*owned));
            told = true;
        }
    }
    if (told) {
        settle();
    }
}

// The player's own choice; a ship of 8 is spectator mode.
void Session::changeShip(PlayerSlot& p, std::uint8_t ship) {
    if (ship == 8) {
        spectate(p);
        return;
    }
    if (p.record.ship == 8 && arena().locked) {
        say("   zone: the arena is locked: " + quoteText(p.name()) + " stays in spectator mode");
        return;
    }
    if (p.record.ship == ship) {
        say("   zone: " + quoteText(p.name()) + " is already in ship " + shipText(ship));
        return;
    }
    p.record.ship = ship;
    sendPlayerEvent(PlayerShipChanged, p);
}

void Session::changeFreq(PlayerSlot& p, std::uint16_t freq) {
    if (p.record.team == freq) {
        say("   zone: " + quoteText(p.name()) + " is already on freq " +
            std::to_string(p.record.team));
        return;
    }
    p.record.team = freq;
    sendPlayerEvent(PlayerTeamChanged, p);
}

void Session::spectate(PlayerSlot& p) {
    if (p.record.ship == 8) {
        say("   zone: " + quoteText(p.name()) + " is already in spectator mode");
        return;
    }
    p.record.ship = 8;
    sendPlayerEvent(PlayerSpectating, p);
}

void Session::kill(PlayerSlot& killer, PlayerSlot& killed) {
    ++killer.record.wins;
    ++killed.record.losses;
    BotEvent e = event(PlayerKilled);
    e.value[0] = reinterpret_cast<Word>(&killed.record);
    e.value[1] = reinterpret_cast<Word>(&killer.record);
    deliverToArena(e,
                   "PlayerKilled " + quoteText(killed.name()) + " by " + quoteText(killer.name()));
}

void Session::setJackpot(const Action& a) {
    if (a.numbers.empty()) {
        arena().jackpotAnswer = a.text;
        say("   zone: answers the jackpot with " + quoteText(a.text));
    } else {
        arena().jackpot = static_cast<std::int32_t>(a.numbers.at(0));
        arena().jackpotAnswer.reset();
        say("   zone: the jackpot is " + std::to_string(arena().jackpot));
    }
}

// As a host killed by the system: no Terminate, no destructor, the module
// unloaded with whatever it held in memory.
void Session::crash() {
    say("crash: the host dies here");
    if (out_ != nullptr) {
        out_->flush();
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void Session::leave(PlayerSlot& p) {
    if (p.isBot) {
        throw ScriptError("a bot leaves the arena with part");
    }
    // Off the list first, so that nothing the module does for the leaving
    // player can pick it again; the record lives until the event is over.
    std::unique_ptr<PlayerSlot> owned = arena().remove(&p);
    sendPlayerEvent(PlayerLeaving, *owned);
}

void Session::typeLine(PlayerSlot& p, const std::string& text) {
    // "!buy use guns": the name is the word after "!", folded to lower case;
    // the final text is what follows, without the blanks before it.
    std::string body = text.substr(1);
    std::size_t blank = body.find(' ');
    std::string name = lowerAscii(body.substr(0, blank));
    std::string final;
    if (blank != std::string::npos) {
        std::size_t start = body.find_first_not_of(' ', blank);
        final = start == std::string::npos ? "" : body.substr(start);
    }
    ChatCommand command{name.c_str(), final.c_str()};
    Word code = name == "help" ? HelpRequested : CommandTyped;
    BotEvent e = event(code);
    e.value[0] = reinterpret_cast<Word>(&p.record);
    e.value[1] = reinterpret_cast<Word>(&command);
    deliver(e, std::string(code == HelpRequested ? "HelpRequested " : "CommandTyped ") +
                   quoteText(p.name()) + " name " + quoteText(name) + " final " + quoteText(final));
}

void Session::runTicks(std::int64_t count) {
    for (std::int64_t i = 0; i < count; ++i) {
        ++ticks_;
        BotEvent e = event(Tick);
        // Each bot's timer runs: every bot that hears the arena has the tick.
        for (Bot* bot : hearers(*bot_)) {
            lazyHeader_ = "-> " + tag(*bot) + "Tick #" + std::to_string(ticks_);
            e.handle = bot->handle;
            callTalk(e);
        }
        settle();
    }
    lazyHeader_.clear();
}

} // namespace quorvel::host
