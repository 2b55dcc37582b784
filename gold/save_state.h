// gold.state: which changes each saved gold.dat and inv.dat already holds.
//
// Every change of the economy is a record of gold.log with a sequence
// number. A save of gold.dat holds every record numbered below the save's
// own number; gold.state says so for the very file the save wrote (its
// size, its modification time in nanoseconds and its identity: the inode,
// or Windows' file index, which the rename into place keeps), so recovery
// applies each later record exactly once even when gold.log could not be
// written at the time of the save. It is replaced before the data file is
// renamed into place, and names the file that was there before too, so
// whichever of the two a crash leaves behind is known.
//
//   quorvel gold.state 1
//   gold.dat 1207 4824 1796738230123456789 1311987
//   gold.dat 1100 4800 1796738110987654321 1311912
//   inv.dat 1206 10400 1796738230223456789 1311990
//   > 2026-12-08T05:57:12Z<TAB>loan<TAB>Al<TAB>Bob<TAB>gold<TAB>+100 ... 1205<TAB>1/2
//
// Lines after "> " are records gold.log refused at the time of the save.
#pragma once

#include "base/platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct SavedFile {
    std::uint64_t seq = 0;     // the file holds every record numbered below this
    platform::FileStamp stamp; // which file: size, modification time, identity

    bool operator==(const SavedFile&) const = default;
};

struct SaveState {
    static constexpr const char* fileName = "gold.state";
    // Newest first; the newest is the save in progress or done, the one
    // after it the file that was in place before.
    std::vector<SavedFile> gold;
    std::vector<SavedFile> inventory;
    // The records gold.log refused when the save was made, as gold.log would
    // hold them (each line with its line end): one file may hold a record
    // the other does not yet, and recovery finds the rest of it here.
    std::string records;

    // The entry that names the file of this stamp, if any.
    static std::optional<SavedFile> match(const std::vector<SavedFile>& saves,
                                          const std::optional<platform::FileStamp>& stamp);
    // The largest sequence number it names.
    std::uint64_t lastSeq() const;
};

std::string encodeSaveState(const SaveState& state);
// Nothing when the text is not a gold.state.
std::optional<SaveState> decodeSaveState(std::string_view text);

} // namespace quorvel
