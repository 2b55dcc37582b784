#include "module/lifecycle.h"

#include "base/messages/senders.h"
#include "module/bot_spawn.h"
#include "module/plugin_settings.h"
#include "module/service_registry.h"

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
        sendConsoleLines(spawn, readSettings(spawn));
        route<on::Started>(spawn);
        spawn.accepted = true;
    }
}

void terminateSpawn(BotSpawn& spawn) {
    // A bot whose handshake never came, or was refused, loaded nothing and
    // saves nothing.
    if (spawn.accepted) {
        route<on::Stopping>(spawn);
    }
    sendConsole(spawn, disconnectedText);
    route<on::Stopped>(spawn);
}

void runTick(BotSpawn& spawn) {
    ++spawn.secondsRun;
    // quorvel.ini is looked at once a second, before the services' tick, so
    // a new value counts from this second on.
    if (spawn.accepted) {
        sendConsoleLines(spawn, reloadSettings(spawn).lines);
    }
    // The services' lines of this tick wait with the rest when the budget
    // is spent, so the new second sends the zone's lines among them first.
    route<on::Tick>(spawn);
    sendQueuedLines(spawn);
}

} // namespace quorvel
