// Numbers written back as the text of a warp file, one line per group.
#pragma once

#include <cstdint>
#include <string>

namespace quorvel::fuzz {

inline void appendNumber(std::string& text, std::int32_t value, bool endLine) {
    text += std::to_string(value);
    text += endLine ? "\r\n" : " ";
}

// How many groups a fuzz input asks for: mostly a handful, now and then any
// 32-bit count (a quorvel.ini may say anything).
template <typename Input> std::int32_t groupCount(Input& input) {
    const std::uint8_t choice = input.byte();
    if (choice >= 0xF0) {
        return static_cast<std::int32_t>(input.u32());
    }
    return static_cast<std::int32_t>(choice % 24) - 2;
}

} // namespace quorvel::fuzz
