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
    std::string content;
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        content.append(buffer, n);
    }
    std::fclose(file);
    return content;
}

std::string temporaryNameFor(const std::string& path) { return path + ".saving"; }

} // namespace quorvel::platform
