// gold.dat as the module writes it: 24-byte records, the amount as a
// little-endian uint32 and then a 20-byte NUL-terminated name. Written apart
// from gold/ on purpose, so the tests compare two readers: a layout changed
// by mistake in gold/record_layouts.h shows here as balances that differ.
#ifndef QUORVEL_HOST_GOLD_FILE_H
#define QUORVEL_HOST_GOLD_FILE_H

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::host {

struct GoldEntry {
    std::uint32_t amount = 0;
    std::string name;
};

// Throws ScriptError when the file is missing or its length is not a
// multiple of 24.
std::vector<GoldEntry> readGoldFile(const std::filesystem::path& path);

// The first entry whose name matches ignoring ASCII case.
std::optional<std::uint32_t> goldOf(const std::vector<GoldEntry>& entries, std::string_view name);

// Sets the amount of the first matching record, or appends one.
void setGold(const std::filesystem::path& path, const std::string& name, std::uint32_t amount);

} // namespace quorvel::host

#endif
