#include "base/platform/platform.h"

#include "base/platform/ini_reader.h"
#include "base/platform/real_platform.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quorvel::platform {
namespace {

FileStamp stampOf(const struct stat& status) {
    return FileStamp{static_cast<std::uint64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                         static_cast<std::int64_t>(status.st_mtim.tv_nsec),
                     static_cast<std::uint64_t>(status.st_ino)};
}

std::string describeErrno(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Writes everything, or fails with the reason.
bool writeAll(int fd, std::string_view bytes, const std::string& path, std::string& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = describeErrno("cannot write", path);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A journal open for appending: the descriptor, and its size.
class PosixAppendFile final : public AppendFile {
public:
    PosixAppendFile(int fd, std::string path, std::uint64_t size)
        : fd_(fd), path_(std::move(path)), size_(size) {}
    ~PosixAppendFile() override { ::close(fd_); }

    Status append(std::string_view bytes) override {
        // One write call per line, so a line is either in the file or not.
        while (!bytes.empty()) {
            ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return Status::failed(describeErrno("cannot write", path_));
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            size_ += static_cast<std::uint64_t>(n);
        }
        return {};
    }

    Status sync() override {
        if (::fsync(fd_) != 0) {
            return Status::failed(describeErrno("cannot flush", path_));
        }
        return {};
    }

    std::uint64_t size() const override { return size_; }

private:
    int fd_;
    std::string path_;
    std::uint64_t size_;
};

// Links followed before giving up, as many as the kernel follows.
constexpr int maxLinksFollowed = 40;

// The file a save of `path` replaces: `path` itself, or, when it is a
// symbolic link, the file at the end of its links, which need not exist yet.
// Nothing (with errno set) when the links go round in a circle.
std::optional<std::string> fileBehindLinks(const std::string& path) {
    std::string current = path;
    for (int followed = 0; followed <= maxLinksFollowed; ++followed) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        // The link's size is its target's length, except where it is 0.
        std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0) {
                // Changed under us: the save goes to what the name is now.
                return current;
            }
            if (static_cast<std::size_t>(n) < target.size()) {
                target.resize(static_cast<std::size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
        // A relative target is read from the link's own folder.
        if (!target.empty() && target.front() != '/') {
            const std::size_t slash = current.rfind('/');
            if (slash != std::string::npos) {
                target.insert(0, current, 0, slash + 1);
            }
        }
        current = std::move(target);
    }
    errno = ELOOP;
    return std::nullopt;
}

void syncDirectoryOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

std::string currentDirectory() {
    std::string buffer(256, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return ".";
        }
        buffer.resize(buffer.size() * 2);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

std::string joinPath(std::string_view directory, std::string_view file) {
    std::string path(directory);
    path += '/';
    path += file;
    return path;
}

std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t maxLength) {
    // As the Windows reader does, a file that cannot be read gives the
    // fallback.
    std::string content;
    if (!realPlatform().readFile(path, content).ok()) {
        content.clear();
    }
    return iniValueOrDefault(content, section, key, fallback, maxLength);
}

std::uint32_t tickCount() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

Status RealPlatform::replaceFile(const std::string& path, std::string_view bytes,
                                 const BeforeRename& beforeRename) {
    // Renamed over, a link would become a plain file and the file it points
    // to (kept elsewhere by the operator, say) would stop being saved.
    const std::optional<std::string> behind = fileBehindLinks(path);
    if (!behind) {
        return Status::failed(describeErrno("cannot follow the links of", path));
    }
    const std::string& target = *behind;
    const std::string temporary = temporaryNameFor(target);
    // The new file keeps the old one's permissions: an operator who made
    // gold.dat readable to the host's user alone keeps it so.
    ::mode_t mode = 0644;
    bool replacing = false;
    if (struct stat old{}; ::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
        replacing = true;
    }
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        if (target != path) {
            return Status::failed(describeErrno("cannot create", temporary + " beside " + target +
                                                                     ", the file " + path +
                                                                     " links to"));
        }
        return Status::failed(describeErrno("cannot create", temporary));
    }
    // A stale temporary file left by a crash keeps its own mode through
    // O_TRUNC, and the umask may have widened or narrowed a new one.
    if (replacing && ::fchmod(fd, mode) != 0) {
        const std::string reason = describeErrno("cannot set the permissions of", temporary);
        ::close(fd);
        ::unlink(temporary.c_str());
        return Status::failed(reason);
    }
    std::string error;
    bool written = writeAll(fd, bytes, temporary, error);
    if (written && ::fsync(fd) != 0) {
        error = describeErrno("cannot flush", temporary);
        written = false;
    }
    struct stat made {};
    if (written && ::fstat(fd, &made) != 0) {
        error = describeErrno("cannot examine", temporary);
        written = false;
    }
    if (::close(fd) != 0 && written) {
        error = describeErrno("cannot close", temporary);
        written = false;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        return Status::failed(error);
    }
    if (beforeRename) {
        if (Status noted = beforeRename(stampOf(made)); !noted.ok()) {
            ::unlink(temporary.c_str());
            return noted;
        }
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = describeErrno("cannot rename over", target);
        ::unlink(temporary.c_str());
        return Status::failed(error);
    }
    syncDirectoryOf(target);
    return {};
}

std::uint64_t processId() {
    return static_cast<std::uint64_t>(::getpid());
}

bool seekFile(std::FILE* file, std::uint64_t byte) {
    errno = 0;
    return byte <= static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) &&
           ::fseeko(file, static_cast<off_t>(byte), SEEK_SET) == 0;
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return stampOf(status);
}

std::int64_t wallClockNanoseconds() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 +
           static_cast<std::int64_t>(now.tv_nsec);
}

Status RealPlatform::renameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return Status::failed(describeErrno("cannot rename", from));
    }
    return {};
}

Status RealPlatform::removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0) {
        if (errno == ENOENT) {
            return Status::notFound();
        }
        return Status::failed(describeErrno("cannot remove", path));
    }
    return {};
}

Status RealPlatform::openAppendFile(const std::string& path, std::unique_ptr<AppendFile>& file) {
    file.reset();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Status::failed(describeErrno("cannot open", path));
    }
    struct stat status {};
    const std::uint64_t size =
        ::fstat(fd, &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    file = std::make_unique<PosixAppendFile>(fd, path, size);
    return {};
}

std::string_view textLineEnd() {
    return "\n";
}

Status FileLock::acquire(const std::string& path) {
    release();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return Status::failed(describeErrno("cannot open", path));
    }
    struct flock whole {}; // from the start, however long the file grows
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    int done = -1;
#ifdef F_OFD_SETLK
    // A lock of this open file, not of the process: a second FileLock of the
    // same process conflicts with it, and closing some other descriptor of
    // the file does not drop it. Kernels older than 3.15 refuse the command.
    done = ::fcntl(fd, F_OFD_SETLK, &whole);
    if (done != 0 && errno == EINVAL) {
        done = ::fcntl(fd, F_SETLK, &whole);
    }
#else
    done = ::fcntl(fd, F_SETLK, &whole);
#endif
    if (done != 0) {
        std::string reason;
        if (errno == EACCES || errno == EAGAIN) {
            char text[32];
            const ssize_t n = ::pread(fd, text, sizeof text, 0);
            reason = refusal(path, std::string_view(text, n > 0 ? static_cast<std::size_t>(n) : 0));
        } else {
            reason = describeErrno("cannot lock", path);
        }
        ::close(fd);
        return Status::failed(reason);
    }
    // The holder's id is for the operator only: the lock holds without it.
    const std::string holder = holderText();
    if (::ftruncate(fd, 0) == 0) {
        const ssize_t written = ::pwrite(fd, holder.data(), holder.size(), 0);
        static_cast<void>(written);
    }
    handle_ = fd;
    path_ = path;
    if (struct stat locked{}; ::fstat(fd, &locked) == 0) {
        heldVolume_ = static_cast<std::uint64_t>(locked.st_dev);
        heldFile_ = static_cast<std::uint64_t>(locked.st_ino);
    }
    return {};
}

Status FileLock::stillNamed() const {
    if (!held()) {
        return Status::failed("no lock is held");
    }
    // One look at the name: a check made before every record is written.
    struct stat named {};
    if (::stat(path_.c_str(), &named) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return Status::failed(path_ + " was removed or renamed");
        }
        return Status::failed(describeErrno("cannot examine", path_));
    }
    if (static_cast<std::uint64_t>(named.st_dev) != heldVolume_ ||
        static_cast<std::uint64_t>(named.st_ino) != heldFile_) {
        return Status::failed(path_ + " was replaced by another file");
    }
    return {};
}

void FileLock::release() {
    if (held()) {
        // Emptied while still held, so the file never names a process that
        // has let go of it cleanly.
        const int emptied = ::ftruncate(static_cast<int>(handle_), 0);
        static_cast<void>(emptied);
        ::close(static_cast<int>(handle_));
        handle_ = invalidHandle;
        path_.clear();
    }
}

std::string utcTimestamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace quorvel::platform
