// The module's only window on the operating system: the working directory,
// INI values, the millisecond tick count, the environment, the folder lock,
// and the file system the module reads and writes its files through (whole
// files, lines, crash-safe replacements, renames, removals, append-only
// journals).
// Everything above this layer is portable; the two implementations are
// platform_posix.cpp and platform_windows.cpp.
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

// The process's current working directory, without a trailing separator.
std::string currentDirectory();

// `directory` joined with `file` by the platform's separator.
std::string joinPath(std::string_view directory, std::string_view file);

// One value of an INI file, read the way the Windows profile reader does it,
// cut to `maxLength` characters; `fallback` when the file, section or key is
// missing.
std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t maxLength);

// Milliseconds since some fixed moment, wrapping at 2^32.
std::uint32_t tickCount();

// An environment variable, or nothing when it is not set.
std::optional<std::string> environmentValue(const char* name);

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
// the machine's own (realFileSystem()) unless a bot was given another, such
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
    [[nodiscard]] virtual Status forEachLine(const std::string& path, std::size_t chunkBytes,
                                             std::size_t maxLineBytes,
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

// The disk of the machine, as the operating system shows it.
FileSystem& realFileSystem();

// What tells one version of a file from the next without reading it.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970-01-01 UTC
    std::uint64_t id = 0;      // which file: the inode, or Windows' file index
    bool operator==(const FileStamp&) const = default;
};

// The file's size and modification time, or nothing when it does not exist
// or cannot be examined.
std::optional<FileStamp> fileStamp(const std::string& path);

// The wall clock, on the scale of FileStamp::modified.
std::int64_t wallClockNanoseconds();

// The name of the temporary file replaceFile writes beside `path`: the same
// for every call of one process, and never the same for two processes, so
// that two hosts saving into one folder (on one machine, or on several
// sharing it) cannot write into each other's temporary file.
std::string temporaryNameFor(const std::string& path);

// When `name` (a file's name, without its folder) is one temporaryNameFor
// gives, to this process or any other: the name of the file it was to
// replace. A process killed during a save leaves such a file behind.
std::optional<std::string> fileReplacedThrough(std::string_view name);

// The files in `folder` whose names temporaryNameFor gives, of any process
// and any file, by name (without the folder). Empty when the folder cannot
// be listed.
std::vector<std::string> temporaryFilesIn(const std::string& folder);

// The id the operating system gives this process.
std::uint64_t processId();

// The line end of a text file written on this platform.
std::string_view textLineEnd();

// An exclusive lock on a lock file, held by this object until released or
// destroyed; the operating system drops it when the process dies, however it
// dies. Two FileLocks on one file conflict even within one process (on
// systems without per-open-file locks, only between processes). The holder
// writes its process id into the file for the operator.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock without waiting, creating the file when missing; a lock
    // this object holds already is released first. Fails with the reason in
    // words, which says so when another holder has the lock.
    [[nodiscard]] Status acquire(const std::string& path);
    void release();
    bool held() const { return handle_ != invalidHandle; }

    // Whether the path the lock was taken on still names the file it holds:
    // a lock file removed, renamed or replaced while held keeps this lock on
    // a file no one else opens, and a second holder can lock the new one.
    // Failed with what became of the name (or when nothing is held).
    [[nodiscard]] Status stillNamed() const;

private:
    // What the holder writes into the file, and the reason a refusal gives
    // with what it found there.
    static std::string holderText();
    static std::string refusal(const std::string& path, std::string_view fileText);

    static constexpr std::intptr_t invalidHandle = -1;
    std::intptr_t handle_ = invalidHandle;
    std::string path_; // the path it was taken on, while held
    // Which file is held (device and inode where the system has them), as
    // looked up once when the lock was taken: the file held never changes.
    std::uint64_t heldVolume_ = 0;
    std::uint64_t heldFile_ = 0;
};

// The current time in UTC, as 2026-12-08T05:57:12Z.
std::string utcTimestamp();

} // namespace quorvel::platform
