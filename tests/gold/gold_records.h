// gold.dat records built byte by byte, the way the file lays them out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::testing {

// 4 bytes of amount, little-endian, then the 20-byte name field as given
// (padded with zeros when shorter).
inline std::string goldRecord(std::uint32_t amount, std::string_view nameField) {
    std::string bytes;
    bytes += static_cast<char>(amount & 0xFF);
    bytes += static_cast<char>((amount >> 8) & 0xFF);
    bytes += static_cast<char>((amount >> 16) & 0xFF);
    bytes += static_cast<char>((amount >> 24) & 0xFF);
    std::string name(nameField.substr(0, 20));
    name.resize(20, '\0');
    return bytes + name;
}

} // namespace quorvel::testing
