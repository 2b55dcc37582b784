// The module's only window on the operating system: the working directory,
// INI values, the millisecond tick count, the environment, and whole-file
// reads and crash-safe replacements. Everything above this layer is
// portable; the two implementations are platform_posix.cpp and
// platform_windows.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// The outcome of a file operation: ok, or the reason in words.
struct FileResult {
    bool ok = true;
    std::string error;
    explicit operator bool() const { return ok; }
};

// How a read ended: a file that is not there is not a file that could not be
// read. A file that exists but cannot be read (locked, no permission, an I/O
// error) must never be treated as empty: a save would then replace what was
// never loaded.
enum class ReadStatus { read, missing, failed };

struct ReadResult {
    ReadStatus status = ReadStatus::read;
    std::string bytes; // the whole file when read
    std::string error; // the reason in words when failed
};

// The whole file in bytes.
ReadResult readFile(const std::string& path);

// The whole file read straight into storage of the caller's: `place(size)` is
// called once with the file's size and returns where the bytes go (at least
// that many). Bytes added to the file while it is read are not read.
// `size` is set to the number of bytes read.
ReadResult readFileInto(const std::string& path, const std::function<char*(std::size_t)>& place,
                        std::size_t& size);

// The whole file in bytes, or nothing when it is missing or cannot be read:
// for files where the two mean the same (a warp table, the journal's older
// half).
std::optional<std::string> readWholeFile(const std::string& path);

// Reads the file in chunks of `chunkBytes` and calls `onLine` for each line
// without its line end ('\n'; a '\r' before it stays in the text); `ended`
// is false only for a last line that has no line end. A line longer than
// `maxLineBytes` is not delivered whole: it is passed as one call with
// `tooLong` true and an empty text, once its end (or the file's) is reached.
// Memory stays within chunkBytes + maxLineBytes, whatever the file's size.
// Returns read, missing (no such file) or failed (it exists but cannot be
// opened or read: permissions, an I/O error, a folder) with the reason in
// ReadResult::error; ReadResult::bytes stays empty. The lines before a read
// error have been delivered by then, a cut-short last one has not.
ReadResult
forEachLine(const std::string& path, std::size_t chunkBytes, std::size_t maxLineBytes,
            const std::function<void(std::string_view line, bool ended, bool tooLong)>& onLine);

// What tells one version of a file from the next without reading it.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds since 1970-01-01 UTC
    bool operator==(const FileStamp&) const = default;
};

// The file's size and modification time, or nothing when it does not exist
// or cannot be examined.
std::optional<FileStamp> fileStamp(const std::string& path);

// The wall clock, on the scale of FileStamp::modified.
std::int64_t wallClockNanoseconds();

// Replaces `path` with `bytes` so that a crash or a full disk leaves either
// the old file or the new one, never a mix: the bytes go to a temporary file
// beside it, which is flushed to disk and then renamed over `path`. On any
// failure the temporary file is removed and `path` is left as it was.
// When `path` is a symbolic link, the file at the end of its links is the one
// replaced (and created, when the link names a file not there yet): the link
// stays a link, and the temporary file goes beside that file.
FileResult replaceFile(const std::string& path, std::string_view bytes);

// Renames `from` to `to`, replacing `to` when it exists.
FileResult renameFile(const std::string& from, const std::string& to);

// The name of the temporary file replaceFile writes beside `path`: the same
// for every call of one process, and never the same for two processes, so
// that two hosts saving into one folder (on one machine, or on several
// sharing it) cannot write into each other's temporary file.
std::string temporaryNameFor(const std::string& path);

// The id the operating system gives this process.
std::uint64_t processId();

// The line end of a text file written on this platform.
std::string_view textLineEnd();

// An append-only file for a journal: each append reaches the operating
// system at once (a crash of the process loses nothing); sync() takes it to
// the disk (a power loss loses what was not synced).
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    FileResult open(const std::string& path);
    FileResult append(std::string_view bytes);
    FileResult sync();
    void close();
    bool isOpen() const { return handle_ != invalidHandle; }
    // Bytes in the file, counted from its size at open.
    std::uint64_t size() const { return size_; }

private:
    static constexpr std::intptr_t invalidHandle = -1;
    std::intptr_t handle_ = invalidHandle;
    std::uint64_t size_ = 0;
    std::string path_;
};

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
    FileResult acquire(const std::string& path);
    void release();
    bool held() const { return handle_ != invalidHandle; }

private:
    // What the holder writes into the file, and the reason a refusal gives
    // with what it found there.
    static std::string holderText();
    static std::string refusal(const std::string& path, std::string_view fileText);

    static constexpr std::intptr_t invalidHandle = -1;
    std::intptr_t handle_ = invalidHandle;
};

// The current time in UTC, as 2026-12-08T05:57:12Z.
std::string utcTimestamp();

// Test aid: the next replaceFile calls fail after writing `bytesBeforeFailure`
// bytes (as a full disk would), `failures` times. Zero failures switches the
// fault off.
void injectWriteFault(std::size_t bytesBeforeFailure, int failures);

} // namespace quorvel::platform
