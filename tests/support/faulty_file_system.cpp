#include "support/faulty_file_system.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace quorvel::testing {
namespace {

class FaultyAppendFile final : public platform::AppendFile {
public:
    FaultyAppendFile(const FaultyFileSystem& disk, std::unique_ptr<platform::AppendFile> file,
                     std::string path)
        : disk_(disk), file_(std::move(file)), path_(std::move(path)) {}

    platform::Status append(std::string_view bytes) override {
        if (disk_.full() || disk_.refuses(FaultyFileSystem::Write::append, path_, bytes)) {
            return platform::Status::failed(FaultyFileSystem::noRoomIn(path_));
        }
        return file_->append(bytes);
    }
    platform::Status sync() override { return file_->sync(); }
    std::uint64_t size() const override { return file_->size(); }

private:
    const FaultyFileSystem& disk_;
    std::unique_ptr<platform::AppendFile> file_;
    std::string path_;
};

} // namespace

std::string FaultyFileSystem::noRoomIn(const std::string& path) {
    return "cannot write " + path + ": " + std::strerror(ENOSPC);
}

platform::Status FaultyFileSystem::replaceFile(const std::string& path, std::string_view bytes,
                                               const BeforeRename& beforeRename) {
    if (full_ || refuses(Write::replace, path, bytes)) {
        // The new bytes never reach the file: its temporary one takes them.
        return platform::Status::failed(noRoomIn(temporaryNameFor(path)));
    }
    return target().replaceFile(path, bytes, beforeRename);
}

platform::Status FaultyFileSystem::renameFile(const std::string& from, const std::string& to) {
    if (refuses(Write::rename, to, from)) {
        return platform::Status::failed("cannot rename " + from + " to " + to + ": " +
                                        std::strerror(EIO));
    }
    return target().renameFile(from, to);
}

platform::Status FaultyFileSystem::openAppendFile(const std::string& path,
                                                  std::unique_ptr<platform::AppendFile>& file) {
    std::unique_ptr<platform::AppendFile> opened;
    platform::Status status = target().openAppendFile(path, opened);
    file.reset();
    if (status.ok()) {
        file = std::make_unique<FaultyAppendFile>(*this, std::move(opened), path);
    }
    return status;
}

} // namespace quorvel::testing
