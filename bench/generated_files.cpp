#include "generated_files.h"

#include <cstdint>

// gold.dat (24-byte records) and inv.dat (52-byte records) written apart
// from gold/'s encoders on purpose: the benchmarks load files another
// writer made, as the module loads the ones operators bring.
namespace quorvel::bench {
namespace {

void putLittleEndian(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFFu);
    }
}

} // namespace

std::string accountName(std::size_t index) {
    return "Pilot " + std::to_string(index);
}

std::string goldFileBytes(std::size_t accounts) {
    std::string bytes;
    bytes.reserve(accounts * 24);
    for (std::size_t i = 0; i < accounts; ++i) {
        putLittleEndian(bytes, static_cast<std::uint32_t>(1000 + i % 5000));
        std::string name = accountName(i);
        name.resize(20, '\0');
        bytes += name;
    }
    return bytes;
}

std::string inventoryFileBytes(std::size_t accounts) {
    std::string bytes;
    bytes.reserve(accounts * 52);
    for (std::size_t i = 0; i < accounts; ++i) {
        std::string name = accountName(i);
        name.resize(20, '\0');
        bytes += name;
        for (std::uint32_t k = 0; k < 8; ++k) {
            putLittleEndian(bytes, static_cast<std::uint32_t>((i + k) % 3));
        }
    }
    return bytes;
}

std::string settingsText(int maxWarpAreas) {
    return "[Settings]\nInventory=1\nMaxWarpTeams=4\nMaxWarpAreas=" + std::to_string(maxWarpAreas) +
           "\nAutoSave=0\n[Gold]\nKill=2\nTeamKill=5\nAntiInCenter=5\n";
}

std::string warpAreaText() {
    std::string text;
    for (int area = 0; area < 20; ++area) {
        const int left = 200 + area * 30;
        text += std::to_string(left) + " 600 " + std::to_string(left + 20) + " 620 512 " +
                std::to_string(300 + area) + "\n";
    }
    return text;
}

} // namespace quorvel::bench
