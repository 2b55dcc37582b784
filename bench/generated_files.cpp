#include "generated_files.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

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

GeneratedFolder journalFolder(std::size_t lines, std::size_t accounts) {
    GeneratedFolder folder;
    std::string& text = folder.journal;
    text.reserve(lines * 90);
    // Balances and Thor's Hammers from those of goldFileBytes and
    // inventoryFileBytes (thor is the sixth count).
    std::vector<std::int64_t> gold(accounts);
    std::vector<std::int32_t> thor(accounts);
    for (std::size_t i = 0; i < accounts; ++i) {
        gold[i] = 1000 + static_cast<std::int64_t>(i % 5000);
        thor[i] = static_cast<std::int32_t>((i + 5) % 3);
    }
    std::vector<std::int64_t> goldSaved = gold;
    std::vector<std::int32_t> thorSaved = thor;
    std::uint64_t seq = 1796792905156192;
    std::uint64_t random = 88172645463325252ull;
    const auto next = [&random](std::size_t below) {
        random ^= random << 13;
        random ^= random >> 7;
        random ^= random << 17;
        return static_cast<std::size_t>(random % below);
    };
    std::size_t written = 0;
    std::int64_t second = 0;
    char stamp[32] = {};
    const auto line = [&](const std::string& cause, const std::string& by, const std::string& name,
                          const char* field, const std::string& change, std::int64_t after,
                          std::size_t part, std::size_t parts) {
        text += stamp;
        text += "\t" + cause + "\t" + by + "\t" + name + "\t" + field + "\t" + change + "\t" +
                std::to_string(after) + "\t1\t" + std::to_string(seq) + "\t" +
                std::to_string(part) + "/" + std::to_string(parts) + "\n";
        ++written;
    };
    const auto signedText = [](std::int64_t change) {
        return (change >= 0 ? "+" : "") + std::to_string(change);
    };
    const auto award = [&](const std::string& cause, std::size_t account, std::int64_t change) {
        gold[account] += change;
        line(cause, accountName(account), accountName(account), "gold", signedText(change),
             gold[account], 1, 1);
        ++seq;
    };
    while (written < lines) {
        // From 2026-12-09 at midnight, five lines a second or so (1.5
        // million lines in three and a half days).
        second += written % 5 == 0 ? 1 : 0;
        std::snprintf(stamp, sizeof stamp, "2026-12-%02dT%02d:%02d:%02dZ",
                      static_cast<int>(9 + second / 86400), static_cast<int>(second / 3600 % 24),
                      static_cast<int>(second / 60 % 60), static_cast<int>(second % 60));
        const std::size_t a = next(accounts);
        const std::size_t b = next(accounts);
        const std::size_t kind = next(100);
        if (written % 100000 == 60000) {
            for (const char* field : {"gold", "inventory"}) {
                line("save", "-", "*", field, "saved", static_cast<std::int64_t>(accounts), 1, 1);
                ++seq;
            }
            goldSaved = gold;
            thorSaved = thor;
        } else if (kind < 60 || (kind < 92 && gold[a] < 100)) {
            award("kill " + accountName(b), a, 2);
        } else if (kind < 72) {
            award("anti-warp", a, -5);
        } else if (kind < 78) {
            award("goal", a, 25);
        } else if (kind < 86) {
            gold[b] += 5;
            line("loan", accountName(a), accountName(b), "gold", "+5", gold[b], 1, 2);
            gold[a] -= 5;
            line("loan", accountName(a), accountName(a), "gold", "-5", gold[a], 2, 2);
            ++seq;
        } else if (kind < 92) {
            ++thor[a];
            line("purchase thor", accountName(a), accountName(a), "thor", "+1", thor[a], 1, 2);
            gold[a] -= 100;
            line("purchase thor", accountName(a), accountName(a), "gold", "-100", gold[a], 2, 2);
            ++seq;
        } else {
            line("entry", accountName(a), accountName(a), "inventory", "new", 0, 1, 1);
            ++seq;
        }
    }
    folder.goldDat = goldFileBytes(accounts);
    folder.inventoryDat = inventoryFileBytes(accounts);
    for (std::size_t i = 0; i < accounts; ++i) {
        for (std::size_t byte = 0; byte < 4; ++byte) {
            folder.goldDat[i * 24 + byte] =
                static_cast<char>((static_cast<std::uint32_t>(goldSaved[i]) >> (8 * byte)) & 0xFFu);
            folder.inventoryDat[i * 52 + 20 + 5 * 4 + byte] =
                static_cast<char>((static_cast<std::uint32_t>(thorSaved[i]) >> (8 * byte)) & 0xFFu);
        }
    }
    return folder;
}

} // namespace quorvel::bench
