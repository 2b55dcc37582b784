#include "module/lifecycle.h"

#include "base/messages/senders.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"

namespace quorvel {
namespace {

constexpr Word supportedMajor = 6;
constexpr Word lowestMinor = 1;

constexpr const char* connectedText = "DLL plugin connected.";
constexpr const char* outOfDateText = "DLL plugin cannot connect.  This plugin is out of date.";
constexpr const char* needsLatestText =
    "DLL plugin cannot connect.  This plugin requires the latest version of MERVBot.";
constexpr const char* disconnectedText = "DLL plugin disconnected.";

} // namespace

void receiveHandshake(BotSpawn& spawn, const BotEvent& event) {
    const auto version = static_cast<std::uint32_t>(event.value[0]);
    const Word major = version >> 16;
    const Word minor = version & 0xFFFFu;
    spawn.hostCallback = reinterpret_cast<HostCallback>(event.value[1]);
    spawn.players = reinterpret_cast<const HostList*>(event.value[2]);
    spawn.flags = reinterpret_cast<const HostList*>(event.value[3]);
    if (major > supportedMajor) {
        sendConsole(spawn, outOfDateText);
        spawn.stopped = true;
    } else if (major < supportedMajor || minor < lowestMinor) {
        sendConsole(spawn, needsLatestText);
        spawn.stopped = true;
    } else {
        sendConsole(spawn, connectedText);
        loadSettings(spawn);
        spawn.routes.started.run();
        spawn.accepted = true;
    }
}

void terminateSpawn(BotSpawn& spawn) {
    // A bot whose handshake never came, or was refused, loaded nothing and
    // saves nothing.
    if (spawn.accepted) {
        spawn.routes.stopping.run();
    }
    sendConsole(spawn, disconnectedText);
    spawn.routes.stopped.run();
}

void runTick(BotSpawn& spawn) {
    ++spawn.secondsRun;
    // The services' lines of this tick wait with the rest when the budget
    // is spent, so the new second sends the zone's lines among them first.
    spawn.routes.tick.run();
    sendQueuedLines(spawn);
}

} // namespace quorvel
