// Ghoulset.ini as an operator may leave it: any bytes. Whatever is read must
// be written back as a file that reads the same, and a second write of it
// must give the same bytes.
#include "base/bot/bot.h"
#include "zombies/ghoulset_file.h"
#include "zombies/zombie_game.h"

#include "scratch_folder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace quorvel;
using quorvel::fuzz::fail;

namespace {

std::array<std::int32_t, 8> settingsOf(const ZombieGame& game) {
    return {game.humanTeam,     game.humanShip,     game.zombieTeam,    game.zombieShip,
            game.sanctuaryMinX, game.sanctuaryMinY, game.sanctuaryMaxX, game.sanctuaryMaxY};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Bot bot(0, platform::realPlatform());
    ZombieGame game(bot);
    applyMissingGhoulset(game);
    static_cast<void>(readGhoulsetText(game, text)); // whatever it holds
    const std::string written = ghoulsetText(game);

    // Start the second reading from other values, so that a field the
    // written text fails to set shows.
    ZombieGame again(bot);
    again.humanTeam = again.humanShip = again.zombieTeam = again.zombieShip = 77;
    again.sanctuaryMinX = again.sanctuaryMinY = again.sanctuaryMaxX = again.sanctuaryMaxY = 77;
    again.sanctuaryOn = !game.sanctuaryOn;
    if (readGhoulsetText(again, written) != ghoulsetNumbers) {
        fail("Ghoulset.ini written as \"" + written + "\" does not read as eight numbers");
    }
    if (settingsOf(again) != settingsOf(game) || again.sanctuaryOn != game.sanctuaryOn) {
        fail("Ghoulset.ini written as \"" + written + "\" reads back differently");
    }
    if (ghoulsetText(again) != written) {
        fail("a second write of the same settings gave other text");
    }

    // Through the file, as !zsave and !zload use it.
    fuzz::ScratchFolder folder;
    if (!saveZombieSettings(platform::realPlatform(), game).ok()) {
        fail("Ghoulset.ini could not be saved");
    }
    if (fuzz::readFile(ghoulsetFileName) != written) {
        fail("the saved Ghoulset.ini differs from its text");
    }
    return 0;
}
