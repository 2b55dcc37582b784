// The module's only window on the operating system: one Platform object,
// injected into every bot, carries the working directory, INI values, the
// clocks, the environment, file stamps, temporary names, the folder lock,
// and the file system the module reads and writes its files through (whole
// files, lines, crash-safe replacements, renames, removals, append-only
// journals). A test replaces any one call by deriving from PlatformWrapper.
// Everything above this layer is portable; the two implementations are
// platform_posix.cpp and platform_windows.cpp (machine.h declares them).
#pragma once

#include "base/platform/status.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::platform {

// `directory` joined with `file` by the platform's separator.
std::string joinPath(std::string_view directory, std::string_view file);

// Called for each line of a file read line by line, without its line end
// ('\n'; a '\r' before it stays in the text); `ended` is false only for a
// last line that has no line end. A line longer than the longest allowed is
// not delivered whole: it is passed as one call with `tooLong` true and an
// empty text, once its end (or the file's) is reached.
using LineReader = std::function<void(std::string_view line, bool ended, bool tooLong)>;

// An append-only file for a journal: each append reaches the operating
// system at once (a crash of the process loses nothing); sync() takes it to
// the disk (a power loss loses what was not synced). Destroying it closes it.
class AppendFile {
public:
    AppendFile() = default;
    virtual ~AppendFile() = default;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // One call writes the bytes whole, or as far as the disk takes them.
    [[nodiscard]] virtual Status append(std::string_view bytes) = 0;
    [[nodiscard]] virtual Status sync() = 0;
    // Bytes in the file, counted from its size at open.
    virtual std::uint64_t size() const = 0;
};

// The files the module reads and writes, reached through this object only:
// the machine's own (realPlatform()) unless a bot was given another, such
// as a test's whose disk fills up. Names are taken as they are: relative to
// the working directory unless absolute.
struct FileStamp;

class FileSystem {
public:
    FileSystem() = default;
    virtual ~FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // The whole file read straight into storage of the caller's:
    // `place(size)` is called once with the file's size and returns where the
    // bytes go (at least that many). Bytes added to the file while it is read
    // are not read. `size` is set to the number of bytes read.
    [[nodiscard]] virtual Status readFileInto(const std::string& path,
                                              const std::function<char*(std::size_t)>& place,
                                              std::size_t& size) = 0;

    // Reads the file in chunks of `chunkBytes` and hands each line to
    // `onLine`; a line longer than `maxLineBytes` is passed over as too long.
    // Memory stays within chunkBytes + maxLineBytes, whatever the file's
    // size. Not found, or failed when it exists but cannot be opened or read
    // (permissions, an I/O error, a folder). The lines before a read error
    // have been delivered by then, a cut-short last one has not.
    [[nodiscard]] Status forEachLine(const std::string& path, std::size_t chunkBytes,
                                     std::size_t maxLineBytes, const LineReader& onLine) {
        return forEachLineFrom(path, 0, chunkBytes, maxLineBytes, onLine);
    }
    // The same from byte `fromByte` on, which begins a line: a reader that
    // knows where the lines it wants begin reads nothing before them.
    [[nodiscard]] virtual Status forEachLineFrom(const std::string& path, std::uint64_t fromByte,
                                                 std::size_t chunkBytes, std::size_t maxLineBytes,
                                                 const LineReader& onLine) = 0;

    // Replaces `path` with `bytes` so that a crash or a full disk leaves
    // either the old file or the new one, never a mix: the bytes go to a
    // temporary file beside it (temporaryNameFor), which is flushed to disk
    // and then renamed over `path`. On any failure the temporary file is
    // removed and `path` is left as it was. When `path` is a symbolic link,
    // the file at the end of its links is the one replaced (and created, when
    // the link names a file not there yet): the link stays a link, and the
    // temporary file goes beside that file.
    //
    // `beforeRename`, when given, is called once the temporary file is
    // flushed and before it is renamed, with its stamp (which the rename
    // keeps): what it returns, when not ok, fails the replacement.
    using BeforeRename = std::function<Status(const FileStamp& written)>;
    [[nodiscard]] virtual Status replaceFile(const std::string& path, std::string_view bytes,
                                             const BeforeRename& beforeRename) = 0;
    [[nodiscard]] Status replaceFile(const std::string& path, std::string_view bytes) {
        return replaceFile(path, bytes, {});
    }

    // Renames `from` to `to`, replacing `to` when it exists.
    [[nodiscard]] virtual Status renameFile(const std::string& from, const std::string& to) = 0;

    // Removes the file; not found when there is none.
    [[nodiscard]] virtual Status removeFile(const std::string& path) = 0;

    // Opens `path` for appending, creating it when missing; `file` holds it
    // when done, and nothing otherwise.
    [[nodiscard]] virtual Status openAppendFile(const std::string& path,
                                                std::unique_ptr<AppendFile>& file) = 0;

    // The whole file in `bytes` (emptied first).
    [[nodiscard]] Status readFile(const std::string& path, std::string& bytes);
};

// What tells one version of a file from the next without reading it.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970-01-01 UTC
    std::uint64_t id = 0;      // which file: the inode, or Windows' file index
    bool operator==(const FileStamp&) const = default;
};

// When `name` (a file's name, without its folder) is one temporaryNameFor
// gives, to this process or any other: the name of the file it was to
// replace. A process killed during a save leaves such a file behind.
std::optional<std::string> fileReplacedThrough(std::string_view name);

// The line end of a text file written on this platform.
std::string_view textLineEnd();

// A lock taken with Platform::lockFile: held until this object is
// destroyed; the operating system drops it when the process dies, however it
// dies.
class HeldLock {
public:
    HeldLock() = default;
    virtual ~HeldLock() = default;
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    // Whether the path the lock was taken on still names the file it holds:
    // a lock file removed, renamed or replaced while held keeps this lock on
    // a file no one else opens, and a second holder can lock the new one.
    // Failed with what became of the name.
    [[nodiscard]] virtual Status stillNamed() const = 0;
};

// Everything the module asks of the operating system: its files (the
// FileSystem it is) and the rest.
class Platform : public FileSystem {
public:
    // The process's current working directory, without a trailing separator.
    virtual std::string currentDirectory() = 0;

    // One value of an INI file, read the way the Windows profile reader does
    // it, cut to `maxLength` characters; `fallback` when the file, section or
    // key is missing.
    virtual std::string readIniValue(const std::string& path, std::string_view section,
                                     std::string_view key, std::string_view fallback,
                                     std::size_t maxLength) = 0;

    // Milliseconds since some fixed moment, wrapping at 2^32.
    virtual std::uint32_t tickCount() = 0;

    // The wall clock, on the scale of FileStamp::modified.
    virtual std::int64_t wallClockNanoseconds() = 0;

    // The wall clock in UTC, as 2026-12-08T05:57:12Z.
    virtual std::string utcTimestamp() = 0;

    // An environment variable, or nothing when it is not set.
    virtual std::optional<std::string> environmentValue(const char* name) = 0;

    // The file's size and modification time, or nothing when it does not
    // exist or cannot be examined.
    virtual std::optional<FileStamp> fileStamp(const std::string& path) = 0;

    // The id the operating system gives this process.
    virtual std::uint64_t processId() = 0;

    // The name of the temporary file replaceFile writes beside `path`: the
    // same for every call of one process, and never the same for two
    // processes.
    virtual std::string temporaryNameFor(const std::string& path) = 0;

    // The files in `folder` whose names temporaryNameFor gives, of any
    // process and any file, by name (without the folder). Empty when the
    // folder cannot be listed.
    virtual std::vector<std::string> temporaryFilesIn(const std::string& folder) = 0;

    // An exclusive lock on the lock file `path`, taken without waiting and
    // creating the file when missing; `lock` holds it when done, and nothing
    // otherwise. Two locks on one file conflict even within one process (on
    // systems without per-open-file locks, only between processes). Fails
    // with the reason in words, which says so when another holder has the
    // lock.
    [[nodiscard]] virtual Status lockFile(const std::string& path,
                                          std::unique_ptr<HeldLock>& lock) = 0;
};

// The machine, as the operating system shows it.
Platform& realPlatform();

// A Platform that hands every call to another one: a test derives from it
// and overrides only the call it changes.
class PlatformWrapper : public Platform {
public:
    explicit PlatformWrapper(Platform& target) : target_(target) {}
    Platform& target() const { return target_; }

    Status readFileInto(const std::string& path, const std::function<char*(std::size_t)>& place,
                        std::size_t& size) override {
        return target_.readFileInto(path, place, size);
    }
    Status forEachLineFrom(const std::string& path, std::uint64_t fromByte, std::size_t chunkBytes,
                           std::size_t maxLineBytes, const LineReader& onLine) override {
        return target_.forEachLineFrom(path, fromByte, chunkBytes, maxLineBytes, onLine);
    }
    using FileSystem::replaceFile;
    Status replaceFile(const std::string& path, std::string_view bytes,
                       const BeforeRename& beforeRename) override {
        return target_.replaceFile(path, bytes, beforeRename);
    }
    Status renameFile(const std::string& from, const std::string& to) override {
        return target_.renameFile(from, to);
    }
    Status removeFile(const std::string& path) override { return target_.removeFile(path); }
    Status openAppendFile(const std::string& path, std::unique_ptr<AppendFile>& file) override {
        return target_.openAppendFile(path, file);
    }
    std::string currentDirectory() override { return target_.currentDirectory(); }
    std::string readIniValue(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view fallback,
                             std::size_t maxLength) override {
        return target_.readIniValue(path, section, key, fallback, maxLength);
    }
    std::uint32_t tickCount() override { return target_.tickCount(); }
    std::int64_t wallClockNanoseconds() override { return target_.wallClockNanoseconds(); }
    std::string utcTimestamp() override { return target_.utcTimestamp(); }
    std::optional<std::string> environmentValue(const char* name) override {
        return target_.environmentValue(name);
    }
    std::optional<FileStamp> fileStamp(const std::string& path) override {
        return target_.fileStamp(path);
    }
    std::uint64_t processId() override { return target_.processId(); }
    std::string temporaryNameFor(const std::string& path) override {
        return target_.temporaryNameFor(path);
    }
    std::vector<std::string> temporaryFilesIn(const std::string& folder) override {
        return target_.temporaryFilesIn(folder);
    }
    Status lockFile(const std::string& path, std::unique_ptr<HeldLock>& lock) override {
        return target_.lockFile(path, lock);
    }

private:
    Platform& target_;
};

} // namespace quorvel::platform
