#include "base/platform/platform.h"
#include "base/platform/real_platform.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <string>
#include <utility>

namespace quorvel::platform {
namespace {

// A FILETIME counts 100 ns from 1601-01-01.
std::int64_t unixNanoseconds(const FILETIME& time) {
    constexpr std::int64_t from1601To1970 = 116444736000000000;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (static_cast<std::int64_t>(ticks) - from1601To1970) * 100;
}

FileStamp stampOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FileStamp{(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                     unixNanoseconds(info.ftLastWriteTime),
                     (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::string describeLastError(const char* what, const std::string& path) {
    DWORD code = GetLastError();
    char message[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   message, sizeof message, nullptr);
    std::string text = std::string(what) + " " + path + ": " + message;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

// A path as GetFinalPathNameByHandle gives it, without the prefix that
// lifts the length limit: \\?\C:\dir\file is C:\dir\file, and
// \\?\UNC\server\share\file is \\server\share\file.
std::string withoutLongPrefix(std::string_view path) {
    if (path.starts_with("\\\\?\\UNC\\")) {
        return "\\" + std::string(path.substr(7));
    }
    if (path.starts_with("\\\\?\\")) {
        path.remove_prefix(4);
    }
    return std::string(path);
}

// The file a save of `path` replaces: `path` itself, or, when it is a
// symbolic link, the file at the end of its links. A link naming a file not
// there yet gets it made (empty) here, and `made` is set so that a failed
// save can take it away again.
Status fileBehindLinks(const std::string& path, std::string& target, bool& made) {
    target = path;
    made = false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return {};
    }
    // Opening follows the links to their end.
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileA(path.c_str(), 0, sharing, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        file = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, sharing, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return Status::failed(
                describeLastError("cannot create the file behind the link", path));
        }
        made = true;
    }
    if (file == INVALID_HANDLE_VALUE) {
        return Status::failed(describeLastError("cannot follow the link", path));
    }
    std::string name(MAX_PATH, '\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleA(file, name.data(), static_cast<DWORD>(name.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            Status failed = Status::failed(describeLastError("cannot follow the link", path));
            if (made) {
                // Deleted by its handle: deleting by name would take the link.
                FILE_DISPOSITION_INFO gone{};
                gone.DeleteFile = TRUE;
                SetFileInformationByHandle(file, FileDispositionInfo, &gone, sizeof gone);
                made = false;
            }
            CloseHandle(file);
            return failed;
        }
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        name.assign(length, '\0'); // the size it needs, its NUL included
    }
    CloseHandle(file);
    target = withoutLongPrefix(name);
    return {};
}

} // namespace

std::string currentDirectory() {
    // A first call with too small a buffer answers the size it needs, the
    // terminating NUL included; the folder may change between two calls, so
    // ask again until it fits.
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return ".";
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(length, '\0');
    }
}

std::string joinPath(std::string_view directory, std::string_view file) {
    std::string path(directory);
    // The root of a drive is named with its separator ("C:\").
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) {
        path += '\\';
    }
    path += file;
    return path;
}

std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t maxLength) {
    std::string buffer(maxLength + 1, '\0');
    std::string sectionText(section), keyText(key), fallbackText(fallback);
    DWORD length =
        GetPrivateProfileStringA(sectionText.c_str(), keyText.c_str(), fallbackText.c_str(),
                                 buffer.data(), static_cast<DWORD>(buffer.size()), path.c_str());
    buffer.resize(length);
    return buffer;
}

std::uint32_t tickCount() {
    return GetTickCount();
}

Status RealPlatform::replaceFile(const std::string& path, std::string_view bytes,
                                 const BeforeRename& beforeRename) {
    // Renamed over, a link would become a plain file and the file it points
    // to (kept elsewhere by the operator, say) would stop being saved.
    std::string target;
    bool made = false;
    if (Status followed = fileBehindLinks(path, target, made); !followed.ok()) {
        return followed;
    }
    const std::string temporary = temporaryNameFor(target);
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Status failed = Status::failed(describeLastError("cannot create", temporary));
        if (made) {
            DeleteFileA(target.c_str());
        }
        return failed;
    }
    std::string error;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        // A write that takes nothing would never finish the loop.
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            error = describeLastError("cannot write", temporary);
            ok = false;
        }
        done += written;
    }
    if (ok && !FlushFileBuffers(file)) {
        error = describeLastError("cannot flush", temporary);
        ok = false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (ok && !GetFileInformationByHandle(file, &info)) {
        error = describeLastError("cannot examine", temporary);
        ok = false;
    }
    if (!CloseHandle(file) && ok) {
        error = describeLastError("cannot close", temporary);
        ok = false;
    }
    // The rename keeps the file's index and its last write time.
    if (ok && beforeRename) {
        if (Status noted = beforeRename(stampOf(info)); !noted.ok()) {
            DeleteFileA(temporary.c_str());
            if (made) {
                DeleteFileA(target.c_str());
            }
            return noted;
        }
    }
    if (ok && !MoveFileExA(temporary.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = describeLastError("cannot replace", target);
        ok = false;
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
        if (made) {
            DeleteFileA(target.c_str());
        }
        return Status::failed(error);
    }
    return {};
}

std::uint64_t processId() {
    return GetCurrentProcessId();
}

bool seekFile(std::FILE* file, std::uint64_t byte) {
    errno = 0;
    return byte <= static_cast<std::uint64_t>(std::numeric_limits<__int64>::max()) &&
           ::_fseeki64(file, static_cast<__int64>(byte), SEEK_SET) == 0;
}

std::int64_t wallClockNanoseconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return unixNanoseconds(now);
}

std::optional<FileStamp> fileStamp(const std::string& path) {
    // Opened for no access at all: it shares with every reader and writer.
    HANDLE file =
        ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION data{};
    const bool examined = ::GetFileInformationByHandle(file, &data) != 0;
    ::CloseHandle(file);
    if (!examined) {
        return std::nullopt;
    }
    return stampOf(data);
}

Status RealPlatform::renameFile(const std::string& from, const std::string& to) {
    if (!MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Status::failed(describeLastError("cannot rename", from));
    }
    return {};
}

Status RealPlatform::removeFile(const std::string& path) {
    if (!DeleteFileA(path.c_str())) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return Status::notFound();
        }
        return Status::failed(describeLastError("cannot remove", path));
    }
    return {};
}

std::string_view textLineEnd() {
    return "\r\n";
}

namespace {

// A journal open for appending: the handle, and its size.
class WindowsAppendFile final : public AppendFile {
public:
    WindowsAppendFile(HANDLE file, std::string path, std::uint64_t size)
        : file_(file), path_(std::move(path)), size_(size) {}
    ~WindowsAppendFile() override { CloseHandle(file_); }

    Status append(std::string_view bytes) override {
        DWORD written = 0;
        if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            return Status::failed(describeLastError("cannot write", path_));
        }
        size_ += written;
        return {};
    }

    Status sync() override {
        if (!FlushFileBuffers(file_)) {
            return Status::failed(describeLastError("cannot flush", path_));
        }
        return {};
    }

    std::uint64_t size() const override { return size_; }

private:
    HANDLE file_;
    std::string path_;
    std::uint64_t size_;
};

} // namespace

Status RealPlatform::openAppendFile(const std::string& path, std::unique_ptr<AppendFile>& file) {
    file.reset();
    // Shared the way a POSIX file is: several bots of one host append to the
    // same journal, and one of them may rename it aside while the others
    // still hold it open.
    HANDLE handle = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return Status::failed(describeLastError("cannot open", path));
    }
    LARGE_INTEGER length{};
    const std::uint64_t size =
        GetFileSizeEx(handle, &length) ? static_cast<std::uint64_t>(length.QuadPart) : 0;
    file = std::make_unique<WindowsAppendFile>(handle, path, size);
    return {};
}

namespace {

// The byte locked: far past any lock file's end, where a lock keeps no one
// from reading the holder's id at the start (Windows locks are mandatory).
OVERLAPPED lockedByte() {
    OVERLAPPED where{};
    where.OffsetHigh = 0x7FFFFFFF;
    return where;
}

} // namespace

Status FileLock::acquire(const std::string& path) {
    release();
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return Status::failed(describeLastError("cannot open", path));
    }
    OVERLAPPED where = lockedByte();
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
        std::string reason;
        if (GetLastError() == ERROR_LOCK_VIOLATION) {
            char text[32];
            DWORD n = 0;
            if (!ReadFile(file, text, sizeof text, &n, nullptr)) {
                n = 0;
            }
            reason = refusal(path, std::string_view(text, n));
        } else {
            reason = describeLastError("cannot lock", path);
        }
        CloseHandle(file);
        return Status::failed(reason);
    }
    // The holder's id is for the operator only: the lock holds without it.
    const std::string holder = holderText();
    DWORD written = 0;
    if (SetEndOfFile(file)) {
        WriteFile(file, holder.data(), static_cast<DWORD>(holder.size()), &written, nullptr);
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    path_ = path;
    return {};
}

Status FileLock::stillNamed() const {
    if (!held()) {
        return Status::failed("no lock is held");
    }
    BY_HANDLE_FILE_INFORMATION locked{};
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), &locked)) {
        return Status::failed(describeLastError("cannot examine the file locked as", path_));
    }
    // Opened for no access at all, so that no holder's sharing refuses it.
    HANDLE file =
        CreateFileA(path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            return Status::failed(path_ + " was removed or renamed");
        }
        return Status::failed(describeLastError("cannot examine", path_));
    }
    BY_HANDLE_FILE_INFORMATION named{};
    const bool examined = GetFileInformationByHandle(file, &named) != 0;
    const std::string reason = examined ? "" : describeLastError("cannot examine", path_);
    CloseHandle(file);
    if (!examined) {
        return Status::failed(reason);
    }
    if (named.dwVolumeSerialNumber != locked.dwVolumeSerialNumber ||
        named.nFileIndexHigh != locked.nFileIndexHigh ||
        named.nFileIndexLow != locked.nFileIndexLow) {
        return Status::failed(path_ + " was replaced by another file");
    }
    return {};
}

void FileLock::release() {
    if (held()) {
        HANDLE file = reinterpret_cast<HANDLE>(handle_);
        // Emptied while still held, so the file never names a process that
        // has let go of it cleanly. Unlocked before the handle closes: the
        // system drops the lock of a closed handle only when it gets to it.
        SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        OVERLAPPED where = lockedByte();
        UnlockFileEx(file, 0, 1, 0, &where);
        CloseHandle(file);
        handle_ = invalidHandle;
        path_.clear();
    }
}

std::string utcTimestamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_s(&parts, &now);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

} // namespace quorvel::platform
