// The list the help action prints; the README's reference follows it.
#include "lib/script.h"

namespace quorvel::host {

const std::vector<std::string>& actionSummaries() {
    static const std::vector<std::string> lines = {
        "Module and bot:",
        "  handshake [6.1]              send the handshake (version MAJOR.MINOR or a number)",
        "  terminate                    send Terminate",
        "  handle N [ARENA]             send the following events for bot handle N (default 1);",
        "                               a new bot is in ARENA, or in the default arena",
        "  join [NAME] [field=value..]  the bot enters the arena (ArenaJoined); default name "
        "Quorvel",
        "  part                         the bot leaves the arena (ArenaLeft)",
        "  raw CODE [V0 .. V5]          any event code with integer values",
        "  event29                      event 29 (the prize refresh)",
        "Players (NAME may be quoted: \"Dr Who\"; ships count 1 Warbird to 8 Shark):",
        "  enter NAME [field=value..]   a player enters; fields: ident squad freq ship access",
        "                               x y (tiles) px py (pixels) flags antiwarp safe points",
        "                               wins losses bounty",
        "  leave NAME                   a player leaves",
        "  set NAME field=value ..      change a record without an event",
        "  move NAME X Y [field=value]  the player is reported at tile X Y",
        "  ship NAME 1..8|spectator     the player changes ship (from spectator mode only while",
        "                               the arena is unlocked)",
        "  freq NAME N                  the player changes freq",
        "  spectate NAME                the player goes into spectator mode",
        "  kill KILLER KILLED           KILLER kills KILLED",
        "  NAME !command text           the player types a command (!help TOPIC asks for help)",
        "  type NAME \"!command text \"   the same, with the exact text in quotes",
        "Zone:",
        "  tick [N]                     N ticks of one second (default 1)",
        "  arena \"TEXT\"                 an arena message arrives (chat type 0)",
        "  chat arena|public|private|N \"TEXT\"  a chat message of any type arrives",
        "  flagwin FREQ                 FREQ wins the flag game",
        "  goal FREQ                    FREQ scores a goal",
        "  flag X Y | flags clear       put a flag on the map at tile X Y | remove all flags",
        "  jackpot N                    the jackpot the zone answers to ?jackpot",
        "Working directory:",
        "  file NAME \"CONTENTS\"         write a file (\\n for line ends)",
        "  remove NAME                  delete a file",
        "  gold NAME AMOUNT             set NAME's record in gold.dat (appended when missing)",
        "  env NAME [VALUE]             set (or without a value remove) an environment variable",
        "                               of the host process, e.g. env QUORVEL_RANDOM_SEED 9",
        "Expectations (lines the current bot sent, oldest first since the last check):",
        "  expect console \"TEXT\"",
        "  expect public [sound N] \"TEXT\"",
        "  expect private NAME [sound N] \"TEXT\"",
        "  expect arena [sound N] \"TEXT\"",
        "  expect nothing more          no unchecked line is left",
        "  skip [N] | drain             pass over N unchecked lines | all of them",
        "State checks:",
        "  expect ship NAME 1..8|spectator  expect freq NAME N  expect position NAME X Y",
        "  expect antiwarp NAME on|off  expect bounty NAME N  expect points NAME N",
        "  expect prizes NAME [N ..]    expect gold NAME AMOUNT|none (read from gold.dat)",
        "  expect lock on|off           expect timer MINUTES  expect objects [N ..]",
        "  expect file NAME \"CONTENTS\"|missing  expect file NAME contains \"TEXT\"",
        "  expect players N  expect jackpot N",
        "Other:",
        "  note TEXT                    print TEXT in the transcript",
        "  show [NAME]                  print the arena or one player",
        "  help                         this list",
        "  quit                         end the session",
    };
    return lines;
}

} // namespace quorvel::host
