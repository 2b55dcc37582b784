// Every line the module sends for the zone to carry out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::zone {

// To the whole arena.
inline constexpr std::string_view jackpotQuery = "?jackpot";
inline constexpr std::string_view lockArena = "*lock"; // toggles the lock
inline constexpr std::string_view specAll = "*specall";
inline constexpr std::string_view timerReset = "*timereset";
inline constexpr std::string_view timerTenMinutes = "*timer 10";
std::string arena(std::string_view text); // "*arena " + text, shown to everyone
std::string objectOn(std::int64_t object);

// To one player.
inline constexpr std::string_view bounty5000 = "*prize 5000";
inline constexpr std::string_view bounty6000 = "*prize 6000";
inline constexpr std::string_view removeAntiwarp = "*prize #-20";
inline constexpr std::string_view points10000 = "*points 10000";
inline constexpr std::string_view scoreReset = "*scorereset";
inline constexpr std::string_view spec = "*spec";
std::string prize(std::int32_t prizeNumber); // "*prize#" + number, no blank
std::string setShip(std::int32_t ship);      // ships 1 to 8
std::string setFreq(std::int32_t freq);
std::string warpTo(std::int32_t tileX, std::int32_t tileY);

} // namespace quorvel::zone
