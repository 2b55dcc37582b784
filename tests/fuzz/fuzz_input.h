// Reads a fuzzer's bytes as a sequence of small decisions. Running out of
// bytes is never an error: every read then gives zero or an empty text, so
// any input decodes into something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::size_t remaining() const { return size_ - at_; }

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool flag() { return (byte() & 1u) != 0; }

    std::uint16_t u16() {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | (std::uint16_t{byte()} << 8));
    }

    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | (std::uint32_t{u16()} << 16);
    }

    // A number in [0, count), count > 0.
    std::size_t pick(std::size_t count) { return byte() % count; }

    // A text of up to `limit` bytes, its length given by one byte first.
    std::string text(std::size_t limit) {
        std::size_t length = byte();
        if (length > limit) {
            length = limit;
        }
        if (length > remaining()) {
            length = remaining();
        }
        std::string out(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return out;
    }

    // Everything not read yet.
    std::string_view rest() {
        std::string_view out(reinterpret_cast<const char*>(data_ + at_), remaining());
        at_ = size_;
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

} // namespace quorvel::fuzz
