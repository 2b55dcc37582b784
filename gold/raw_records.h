// Reading a file of fixed-size records straight into a vector of records
// laid out the same way (gold.dat into the ledger, inv.dat into the book):
// the bytes land in the vector's own storage, with no copy between.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <vector>

namespace quorvel {

template <typename Record> class RawRecordLoad {
    static_assert(std::is_trivially_copyable_v<Record>);

public:
    // Room at the end of `records` for `bytes` of file records; where they go.
    char* makeRoom(std::vector<Record>& records, std::size_t bytes) {
        roomFrom_ = records.size();
        records.resize(*roomFrom_ + (bytes + sizeof(Record) - 1) / sizeof(Record));
        return reinterpret_cast<char*>(records.data() + *roomFrom_);
    }

    // Gives the room back after a failed read. A read that failed before it
    // asked for room (the file could not be opened) made none, and every
    // record held stays.
    void giveBack(std::vector<Record>& records) {
        if (roomFrom_) {
            records.resize(*roomFrom_);
            roomFrom_.reset();
        }
    }

    // Keeps the whole records among the `bytes` read into the room (a
    // trailing part-record is dropped), in place of those held before when
    // `replacing`. Answers the position of the first record kept.
    std::size_t keep(std::vector<Record>& records, std::size_t bytes, bool replacing) {
        std::size_t from = roomFrom_.value_or(records.size());
        roomFrom_.reset();
        records.resize(from + bytes / sizeof(Record));
        if (replacing) {
            records.erase(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(from));
            from = 0;
        }
        return from;
    }

private:
    // Where the room made for a read begins, until the read is kept or
    // given back.
    std::optional<std::size_t> roomFrom_;
};

// A 32-bit number as the files store it (little-endian) read in place.
inline std::uint32_t fromLittleEndian(std::uint32_t stored) {
    if constexpr (std::endian::native == std::endian::big) {
        return (stored >> 24) | ((stored >> 8) & 0xFF00u) | ((stored << 8) & 0xFF0000u) |
               (stored << 24);
    }
    return stored;
}

} // namespace quorvel
