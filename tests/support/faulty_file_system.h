// The machine's file system on a disk that a test can fill: while it is
// full, a save fails the way a full disk fails it (the file it would have
// replaced stays as it was) and an append writes nothing, each with the
// reason a full disk gives. A bot or an economy given it reads and
// writes through it (TestArena::useFiles).
#pragma once

#include "base/platform/platform.h"

#include <memory>
#include <string>
#include <string_view>

namespace quorvel::testing {

class FaultyFileSystem final : public platform::FileSystem {
public:
    void fillDisk() { full_ = true; }
    void makeRoom() { full_ = false; }
    bool full() const { return full_; }

    // The reason a write into `path` gives while the disk is full.
    static std::string noRoomIn(const std::string& path);

    platform::Status readFileInto(const std::string& path,
                                  const std::function<char*(std::size_t)>& place,
                                  std::size_t& size) override;
    platform::Status forEachLine(const std::string& path, std::size_t chunkBytes,
                                 std::size_t maxLineBytes,
                                 const platform::LineReader& onLine) override;
    platform::Status replaceFile(const std::string& path, std::string_view bytes) override;
    platform::Status renameFile(const std::string& from, const std::string& to) override;
    platform::Status removeFile(const std::string& path) override;
    platform::Status openAppendFile(const std::string& path,
                                    std::unique_ptr<platform::AppendFile>& file) override;

private:
    bool full_ = false;
};

} // namespace quorvel::testing
