// The parts of the platform layer the standard library does alike everywhere.
#include "base/platform/platform.h"
#include "base/platform/real_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace quorvel::platform {
namespace {

Status failedRead(const char* what, const std::string& path, int error) {
    return Status::failed(std::string(what) + " " + path + ": " + std::strerror(error));
}

// Something other than a file under the name (a folder, a device) opens on
// some systems but has no length to read.
std::optional<Status> notAFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (error || type == std::filesystem::file_type::regular ||
        type == std::filesystem::file_type::not_found) {
        return std::nullopt;
    }
    return Status::failed("cannot read " + path + ": it is not a file");
}

// The file's length from its end, or 0 when it cannot be told.
std::size_t lengthOf(std::FILE* file) {
    std::size_t length = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        length = end > 0 ? static_cast<std::size_t>(end) : 0;
    }
    std::rewind(file);
    return length;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file for reading, or says why not: missing, or failed.
OpenFile openForReading(const std::string& path, Status& result) {
    if (auto refused = notAFile(path)) {
        result = *refused;
        return nullptr;
    }
    errno = 0;
    OpenFile file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            result = Status::notFound();
        } else {
            result = failedRead("cannot open", path, error);
        }
    }
    return file;
}

// A word of this process's own, drawn once: process ids repeat between
// machines sharing a folder, and between containers on one machine.
std::uint32_t processToken() {
    static const std::uint32_t token = [] {
        try {
            std::random_device device;
            return static_cast<std::uint32_t>(device());
        } catch (const std::exception&) {
            const auto now = static_cast<std::uint64_t>(wallClockNanoseconds());
            return static_cast<std::uint32_t>(now ^ (now >> 32));
        }
    }();
    return token;
}

} // namespace

std::optional<std::string> environmentValue(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

Platform& realPlatform() {
    static RealPlatform machine;
    return machine;
}

Status RealPlatform::lockFile(const std::string& path, std::unique_ptr<HeldLock>& lock) {
    lock.reset();
    auto taken = std::make_unique<FileLock>();
    Status status = taken->acquire(path);
    if (status.ok()) {
        lock = std::move(taken);
    }
    return status;
}

Status FileSystem::readFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::size_t size = 0;
    Status read = readFileInto(
        path,
        [&bytes](std::size_t length) {
            bytes.resize(length);
            return bytes.data();
        },
        size);
    bytes.resize(read.ok() ? size : 0);
    return read;
}

Status RealPlatform::readFileInto(const std::string& path,
                                  const std::function<char*(std::size_t)>& place,
                                  std::size_t& size) {
    size = 0;
    Status refused;
    OpenFile file = openForReading(path, refused);
    if (file == nullptr) {
        return refused;
    }
    const std::size_t length = lengthOf(file.get());
    char* into = place(length);
    while (size < length) {
        const std::size_t n = std::fread(into + size, 1, length - size, file.get());
        if (n == 0) {
            break;
        }
        size += n;
    }
    const bool broken = std::ferror(file.get()) != 0;
    const int error = errno;
    file.reset();
    if (broken) {
        return failedRead("cannot read", path, error == 0 ? EIO : error);
    }
    return {};
}

Status RealPlatform::forEachLineFrom(const std::string& path, std::uint64_t fromByte,
                                     std::size_t chunkBytes, std::size_t maxLineBytes,
                                     const LineReader& onLine) {
    Status result;
    OpenFile file = openForReading(path, result);
    if (file == nullptr) {
        return result;
    }
    if (fromByte != 0 && !seekFile(file.get(), fromByte)) {
        return failedRead("cannot read", path, errno == 0 ? EIO : errno);
    }
    std::string chunk(std::max<std::size_t>(chunkBytes, 1), '\0');
    // The start of a line the chunks so far have not ended; a line within
    // one chunk is passed straight from it.
    std::string pending;
    // The line being read has passed maxLineBytes: the rest of it is skipped.
    bool tooLong = false;
    for (;;) {
        errno = 0;
        const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), file.get());
        if (n == 0) {
            break;
        }
        std::string_view rest(chunk.data(), n);
        for (std::size_t end = rest.find('\n'); end != std::string_view::npos;
             end = rest.find('\n')) {
            const std::string_view piece = rest.substr(0, end);
            rest.remove_prefix(end + 1);
            if (tooLong || pending.size() + piece.size() > maxLineBytes) {
                onLine({}, true, true);
            } else if (pending.empty()) {
                onLine(piece, true, false);
            } else {
                pending += piece;
                onLine(pending, true, false);
            }
            pending.clear();
            tooLong = false;
        }
        if (tooLong) {
            continue;
        }
        if (pending.size() + rest.size() > maxLineBytes) {
            tooLong = true;
            pending.clear();
        } else if (!rest.empty()) {
            // Grown by doubling, but never past the longest line allowed.
            const std::size_t needed = pending.size() + rest.size();
            if (needed > pending.capacity()) {
                pending.reserve(std::min(maxLineBytes, std::max(needed, 2 * pending.capacity())));
            }
            pending += rest;
        }
    }
    const bool broken = std::ferror(file.get()) != 0;
    const int error = errno;
    file.reset();
    if (broken) {
        return failedRead("cannot read", path, error == 0 ? EIO : error);
    }
    if (tooLong) {
        onLine({}, false, true);
    } else if (!pending.empty()) {
        onLine(pending, false, false);
    }
    return result;
}

// A temporary file's name: the file's own, this mark, the process id in
// decimal, a hyphen, and the process's token in eight hexadecimal digits.
constexpr std::string_view temporaryMark = ".saving.";
constexpr std::size_t tokenDigits = 8;

std::string temporaryNameFor(const std::string& path) {
    char token[16];
    std::snprintf(token, sizeof token, "%08x", static_cast<unsigned>(processToken()));
    return path + std::string(temporaryMark) + std::to_string(processId()) + "-" + token;
}

std::optional<std::string> fileReplacedThrough(std::string_view name) {
    const std::size_t mark = name.rfind(temporaryMark);
    if (mark == std::string_view::npos || mark == 0) {
        return std::nullopt;
    }
    const std::string_view tail = name.substr(mark + temporaryMark.size());
    const std::size_t hyphen = tail.find('-');
    if (hyphen == 0 || hyphen == std::string_view::npos ||
        tail.size() - hyphen - 1 != tokenDigits) {
        return std::nullopt;
    }
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isHex = [&isDigit](char c) { return isDigit(c) || (c >= 'a' && c <= 'f'); };
    const std::string_view id = tail.substr(0, hyphen);
    const std::string_view token = tail.substr(hyphen + 1);
    if (!std::all_of(id.begin(), id.end(), isDigit) ||
        !std::all_of(token.begin(), token.end(), isHex)) {
        return std::nullopt;
    }
    return std::string(name.substr(0, mark));
}

std::vector<std::string> temporaryFilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (fileReplacedThrough(name) && !entry->is_directory(error)) {
            names.push_back(std::move(name));
        }
        error.clear();
    }
    std::sort(names.begin(), names.end());
    return names;
}

FileLock::~FileLock() {
    release();
}

std::string FileLock::holderText() {
    return std::to_string(processId()) + "\n";
}

std::string FileLock::refusal(const std::string& path, std::string_view fileText) {
    std::string reason = "cannot lock " + path + ": it is held by ";
    const std::string digits(fileText.substr(0, fileText.find_first_not_of("0123456789")));
    const std::uint64_t holder = digits.empty() ? 0 : std::strtoull(digits.c_str(), nullptr, 10);
    if (holder == 0) {
        reason += "another process";
    } else if (holder == processId()) {
        reason += "another lock of this process";
    } else {
        reason += "another process (process id " + std::to_string(holder) + ")";
    }
    return reason;
}

} // namespace quorvel::platform
