// A stand-in module for testing the host on its own. It answers a few typed
// commands by sending lines, so that the zone's reactions can be driven:
//   !pub TEXT    public TEXT            !tell TEXT   private TEXT to the typer
//   !do TEXT     private TEXT to the typer (a zone command such as *setship 3)
//   !bot TEXT    private TEXT to the bot itself
//   !sound N TEXT  public TEXT with sound N
//   !pingpong    keeps answering ship changes of the typer with *setship
//   !throw       lets an exception out of talk
//   !list        the names in the player list of the last handshake
//   !as N TEXT   console TEXT sent as bot handle N
// and reports what it is told on the console. Its records carry the handle
// of the event it is handling.
#include "quorvel/host_abi.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

using namespace quorvel;

namespace {

HostCallback callback = nullptr;
Word handle = 0;
const HostList* players = nullptr;
const PlayerRecord* me = nullptr;
int depth = 0;
bool pingpong = false;

void send(Word code, Word v0, Word v1, Word v2, const std::string& text) {
    if (callback == nullptr) {
        return;
    }
    BotEvent e{};
    e.handle = handle;
    e.code = code;
    if (code == Echo) {
        e.value[0] = reinterpret_cast<Word>(text.c_str());
    } else {
        e.value[0] = v0;
        e.value[1] = v1;
        e.value[2] = v2;
        e.value[3] = reinterpret_cast<Word>(text.c_str());
    }
    callback(e);
}

void echo(const std::string& text) {
    send(Echo, 0, 0, 0, text);
}

const PlayerRecord* player(Word value) {
    return reinterpret_cast<const PlayerRecord*>(value);
}

std::string describe(const PlayerRecord* p) {
    return std::string(p->name) + " ship " + std::to_string(p->ship) + " freq " +
           std::to_string(p->team) + " tile " + std::to_string(p->tileX) + "," +
           std::to_string(p->tileY);
}

bool listed(const PlayerRecord* p) {
    for (const HostListNode* n = players ? players->head : nullptr; n != nullptr; n = n->next) {
        if (n->record == p) {
            return true;
        }
    }
    return false;
}

void command(const PlayerRecord* p, const ChatCommand* c) {
    std::string name = c->name;
    std::string final = c->final;
    if (name == "pub") {
        send(Say, Public, 0, 0, final);
    } else if (name == "tell" || name == "do") {
        send(Say, Private, 0, p->ident, final);
    } else if (name == "bot" && me != nullptr) {
        send(Say, Private, 0, me->ident, final);
    } else if (name == "sound") {
        std::size_t blank = final.find(' ');
        send(Say, Public, std::strtoul(final.c_str(), nullptr, 10), 0, final.substr(blank + 1));
    } else if (name == "throw") {
        --depth;
        throw std::runtime_error("fake failure");
    } else if (name == "list") {
        std::string names = "list";
        for (const HostListNode* n = players->head; n != nullptr; n = n->next) {
            names += std::string(" ") + static_cast<const PlayerRecord*>(n->record)->name;
        }
        echo(names);
    } else if (name == "as") {
        handle = std::strtoul(final.c_str(), nullptr, 10);
        echo(final.substr(final.find(' ') + 1));
    } else if (name == "pingpong") {
        pingpong = true;
        send(Say, Private, 0, p->ident, "*setship 1");
    } else {
        echo("command [" + name + "] [" + final + "] from " + p->name);
    }
}

} // namespace

extern "C" QUORVEL_EXPORT void QUORVEL_CALL talk(BotEvent& event) {
    handle = event.handle;
    if (++depth > 1) {
        echo("talk re-entered");
    }
    switch (event.code) {
    case Handshake:
        callback = reinterpret_cast<HostCallback>(event.value[1]);
        players = reinterpret_cast<const HostList*>(event.value[2]);
        echo("fake connected " + std::to_string(event.value[0]));
        break;
    case Terminate:
        echo("fake disconnected");
        break;
    case Tick:
        break;
    case ArenaJoined:
        me = player(event.value[1]);
        echo(std::string("joined as ") + me->name);
        break;
    case ArenaLeft:
        me = nullptr;
        echo("left the arena");
        break;
    case PlayerEntering:
        echo("entering " + describe(player(event.value[0])));
        break;
    case PlayerLeaving:
        echo(std::string("leaving ") + player(event.value[0])->name +
             (listed(player(event.value[0])) ? " (still listed)" : ""));
        break;
    case PlayerKilled:
        echo(std::string(player(event.value[1])->name) + " killed " + player(event.value[0])->name);
        break;
    case PlayerShipChanged:
        echo("ship changed " + describe(player(event.value[0])));
        if (pingpong) {
            send(Say, Private, 0, player(event.value[0])->ident,
                 player(event.value[0])->ship == 0 ? "*setship 2" : "*setship 1");
        }
        break;
    case PlayerTeamChanged:
        echo("freq changed " + describe(player(event.value[0])));
        break;
    case PlayerSpectating:
        echo("spectating " + describe(player(event.value[0])));
        break;
    case PlayerMoved:
        echo("moved " + describe(player(event.value[0])));
        break;
    case ChatMessage:
        echo("chat " + std::to_string(event.value[0]) + " [" +
             reinterpret_cast<const char*>(event.value[3]) + "]");
        break;
    case CommandTyped:
        command(player(event.value[0]), reinterpret_cast<const ChatCommand*>(event.value[1]));
        break;
    case HelpRequested:
        send(Say, Private, 0, player(event.value[0])->ident,
             std::string("help [") + reinterpret_cast<const ChatCommand*>(event.value[1])->final +
                 "]");
        break;
    default:
        echo("event " + std::to_string(event.code));
    }
    --depth;
}
