// The machine's platform with a disk that a test can fill: while it is
// full, a save fails the way a full disk fails it (the file it would have
// replaced stays as it was) and an append writes nothing, each with the
// reason a full disk gives. Every other call goes to the machine. A bot or
// an economy given it works through it (TestArena::usePlatform).
//
// A test may also look at every write before it is made (writesCheckedBy):
// the check sees what is written where and may refuse it, which fails that
// one write as a disk that refuses it would (a refused replacement leaves the
// file as it was), or end the process there and then, as a crash would.
#pragma once

#include "base/platform/platform.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quorvel::testing {

class FaultyFileSystem final : public platform::PlatformWrapper {
public:
    FaultyFileSystem() : PlatformWrapper(platform::realPlatform()) {}

    void fillDisk() { full_ = true; }
    void makeRoom() { full_ = false; }
    bool full() const { return full_; }

    // The reason a write into `path` gives while the disk is full.
    static std::string noRoomIn(const std::string& path);

    enum class Write { append, replace, rename };
    // Called before each write with its kind and the file it goes to (for a
    // rename, the file renamed over); true refuses it. For a replacement
    // `bytes` are the new contents, for an append the bytes appended.
    using WriteCheck =
        std::function<bool(Write kind, const std::string& path, std::string_view bytes)>;
    void writesCheckedBy(WriteCheck check) { check_ = std::move(check); }
    // Whether the check refuses this write (false without a check).
    bool refuses(Write kind, const std::string& path, std::string_view bytes) const {
        return check_ && check_(kind, path, bytes);
    }

    using platform::FileSystem::replaceFile;
    platform::Status replaceFile(const std::string& path, std::string_view bytes,
                                 const BeforeRename& beforeRename) override;
    platform::Status renameFile(const std::string& from, const std::string& to) override;
    platform::Status openAppendFile(const std::string& path,
                                    std::unique_ptr<platform::AppendFile>& file) override;

private:
    bool full_ = false;
    WriteCheck check_;
};

} // namespace quorvel::testing
