// The machine's own calls, as platform_posix.cpp and platform_windows.cpp
// make them: realPlatform() hands its calls here. The module never calls
// them directly but through the Platform its bot was given; the platform
// layer, the tools' own tests and the Windows checks do.
#pragma once

#include "base/platform/platform.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::platform {

// The process's current working directory, without a trailing separator.
std::string currentDirectory();

// One value of an INI file, read the way the Windows profile reader does it,
// cut to `maxLength` characters; `fallback` when the file, section or key is
// missing.
std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t maxLength);

// Milliseconds since some fixed moment, wrapping at 2^32.
std::uint32_t tickCount();

// An environment variable, or nothing when it is not set.
std::optional<std::string> environmentValue(const char* name);

// The file's size and modification time, or nothing when it does not exist
// or cannot be examined.
std::optional<FileStamp> fileStamp(const std::string& path);

// The wall clock, on the scale of FileStamp::modified.
std::int64_t wallClockNanoseconds();

// The current time in UTC, as 2026-12-08T05:57:12Z.
std::string utcTimestamp();

// The name of the temporary file replaceFile writes beside `path`: the same
// for every call of one process, and never the same for two processes, so
// that two hosts saving into one folder (on one machine, or on several
// sharing it) cannot write into each other's temporary file.
std::string temporaryNameFor(const std::string& path);

// The files in `folder` whose names temporaryNameFor gives, of any process
// and any file, by name (without the folder). Empty when the folder cannot
// be listed.
std::vector<std::string> temporaryFilesIn(const std::string& folder);

// Moves an open file's reading to byte `byte` from its start, past the 2 GiB
// a long reaches on Windows; false when the system refuses.
bool seekFile(std::FILE* file, std::uint64_t byte);

// The id the operating system gives this process.
std::uint64_t processId();

// An exclusive lock on a lock file, held by this object until released or
// destroyed; the operating system drops it when the process dies, however it
// dies. Two FileLocks on one file conflict even within one process (on
// systems without per-open-file locks, only between processes). The holder
// writes its process id into the file for the operator.
class FileLock final : public HeldLock {
public:
    FileLock() = default;
    ~FileLock() override;
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
    [[nodiscard]] Status stillNamed() const override;

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

} // namespace quorvel::platform
