#include "lib/gold_file.h"

#include "lib/script.h"
#include "lib/text.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace quorvel::host {

namespace {

constexpr std::size_t recordSize = 24;

std::vector<GoldEntry> parse(const std::string& bytes) {
    std::vector<GoldEntry> entries;
    for (std::size_t at = 0; at + recordSize <= bytes.size(); at += recordSize) {
        GoldEntry e;
        for (int i = 3; i >= 0; --i) {
            e.amount = (e.amount << 8) |
                       static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        }
        const char* name = bytes.data() + at + 4;
        e.name.assign(name, strnlen(name, 20));
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace

std::vector<GoldEntry> readGoldFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ScriptError("there is no " + path.filename().string() + " in the working directory");
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() % recordSize != 0) {
        throw ScriptError(path.filename().string() + " is " + std::to_string(bytes.size()) +
                          " bytes long, not a whole number of 24-byte records");
    }
    return parse(bytes);
}

std::optional<std::uint32_t> goldOf(const std::vector<GoldEntry>& entries, std::string_view name) {
    for (const GoldEntry& e : entries) {
        if (equalIgnoringCase(e.name, name)) {
            return e.amount;
        }
    }
    return std::nullopt;
}

void setGold(const std::filesystem::path& path, const std::string& name, std::uint32_t amount) {
    std::string bytes;
    if (std::ifstream in{path, std::ios::binary}) {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (bytes.size() % recordSize != 0) {
        throw ScriptError(path.filename().string() + " is not a whole number of records");
    }
    std::size_t at = 0;
    for (const GoldEntry& e : parse(bytes)) {
        if (equalIgnoringCase(e.name, name)) {
            break;
        }
        at += recordSize;
    }
    if (at == bytes.size()) {
        bytes.append(recordSize, '\0');
        std::memcpy(bytes.data() + at + 4, name.data(), name.size() < 19 ? name.size() : 19);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((amount >> (8 * i)) & 0xff);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw ScriptError("cannot write " + path.string());
    }
}

} // namespace quorvel::host
