// The parts of the platform layer the standard library does alike everywhere.
#include "frame/platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace quorvel::platform {

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    // Sized from the file's length, so a large file is read in one go into
    // its final place; a file that grows meanwhile is still read to its end.
    std::size_t expected = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long length = std::ftell(file);
        expected = length > 0 ? static_cast<std::size_t>(length) : 0;
    }
    std::rewind(file);
    std::string content(expected + 1, '\0');
    std::size_t have = 0;
    for (;;) {
        if (have == content.size()) {
            content.resize(content.size() * 2);
        }
        const std::size_t n = std::fread(content.data() + have, 1, content.size() - have, file);
        if (n == 0) {
            break;
        }
        have += n;
    }
    std::fclose(file);
    content.resize(have);
    return content;
}

std::string temporaryNameFor(const std::string& path) { return path + ".saving"; }

} // namespace quorvel::platform
