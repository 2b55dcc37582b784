#include "base/messages/zone_lines.h"

#include "base/text/text_rules.h"

namespace quorvel::zone {

std::string arena(std::string_view text) {
    return "*arena " + std::string(text);
}

std::string objectOn(std::int64_t object) {
    return "*objon " + decimal(static_cast<std::int32_t>(object));
}

std::string prize(std::int32_t prizeNumber) {
    return "*prize#" + decimal(prizeNumber);
}

std::string setShip(std::int32_t ship) {
    return "*setship " + decimal(ship);
}

std::string setFreq(std::int32_t freq) {
    return "*setfreq " + decimal(freq);
}

std::string warpTo(std::int32_t tileX, std::int32_t tileY) {
    return "*warpto " + decimal(tileX) + " " + decimal(tileY);
}

} // namespace quorvel::zone
