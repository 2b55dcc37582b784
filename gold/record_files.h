// What gold.dat and inv.dat share on loading and saving: a file that exists
// but cannot be read is reported and never saved over, since a save would
// replace records that were never loaded.
#pragma once

#include "frame/messages/senders.h"
#include "frame/platform/platform.h"
#include "frame/spawn/bot_spawn.h"
#include "gold/gold_files.h"

#include <string>
#include <string_view>

namespace quorvel {

// Reads the file at `path` straight into `book` (the gold ledger or the
// inventory book). A missing file loads nothing (and empties the book when
// replacing); a file that cannot be read leaves the book as it was, is
// reported, and holds back the book's saves. `size` is the bytes read.
template <typename Book>
platform::ReadResult readRecordFile(BotSpawn& spawn, Book& book, const std::string& path,
                                    std::string_view fileName, std::string_view recordsWord,
                                    LoadMode mode, std::size_t& size) {
    platform::ReadResult read = platform::readFileInto(
        path, [&book](std::size_t length) { return book.rawSpaceFor(length); }, size);
    if (read.status != platform::ReadStatus::read) {
        book.dropRaw();
    }
    if (read.status == platform::ReadStatus::failed) {
        book.holdSaves(read.error);
        sendConsole(spawn, "Could not read " + std::string(fileName) + ": " + read.error +
                               ". Its " + std::string(recordsWord) + " are not loaded, and " +
                               std::string(fileName) + " is not saved until it can be read.");
        return read;
    }
    book.releaseSaves();
    if (read.status == platform::ReadStatus::missing) {
        if (mode == LoadMode::replace) {
            book.clear();
        }
        return read;
    }
    book.adoptRaw(size, mode == LoadMode::replace);
    return read;
}

// The refusal of a save while the book's file could not be read, echoed to
// the console; ok when the save may go ahead.
template <typename Book>
platform::FileResult refuseHeldSave(BotSpawn& spawn, const Book& book, std::string_view fileName,
                                    std::string_view recordsWord) {
    if (book.savesHeldBecause().empty()) {
        return {};
    }
    platform::FileResult held{false, "it could not be read when its " + std::string(recordsWord) +
                                         " were loaded (" + book.savesHeldBecause() +
                                         "), and a save would overwrite them"};
    sendConsole(spawn, "Could not save " + std::string(fileName) + ": " + held.error +
                           ". The previous " + std::string(fileName) + " is unchanged.");
    return held;
}

} // namespace quorvel
