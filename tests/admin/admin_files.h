// Folders for the quorvel-admin tests: made fresh, filled with files the
// test encodes itself (not with the module's writers), and compared whole.
#pragma once

#include "admin/admin.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace quorvel::admin::testing {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline Outcome admin(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    Outcome run;
    run.status = runAdmin(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

class Folder {
public:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-admin-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder");
        }
        path = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool exists(const std::string& name) const {
        return std::filesystem::exists(path + "/" + name);
    }
    // Every entry of the folder with its bytes (a folder as "<folder>").
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> entries;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            const std::string name = entry.path().filename().string();
            entries[name] = entry.is_directory() ? "<folder>" : read(name);
        }
        return entries;
    }

    std::string path;
};

// gold.dat's record: the balance, 4 bytes little-endian, then the name in
// 20 zero-padded bytes.
inline std::string goldRecord(const std::string& name, std::uint32_t amount) {
    std::string record;
    for (int shift = 0; shift < 32; shift += 8) {
        record += static_cast<char>((amount >> shift) & 0xFF);
    }
    record += name;
    record.resize(24, '\0');
    return record;
}

// inv.dat's record: the name in 20 zero-padded bytes, then guns, bombs,
// multi, super, shield, thor, prize and portal, 4 bytes little-endian each.
inline std::string inventoryRecord(const std::string& name, std::array<std::int32_t, 8> counts) {
    std::string record = name;
    record.resize(20, '\0');
    for (std::int32_t count : counts) {
        for (int shift = 0; shift < 32; shift += 8) {
            record += static_cast<char>((static_cast<std::uint32_t>(count) >> shift) & 0xFF);
        }
    }
    return record;
}

// Says what was looked for where, when it is not there.
inline ::testing::AssertionResult contains(const std::string& text, const std::string& piece) {
    if (text.find(piece) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << piece << "\" is not in:\n" << text;
}

inline std::vector<std::string> splitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

} // namespace quorvel::admin::testing
