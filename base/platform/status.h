// What came of anything done with a file: it was done, the file is not
// there, or it failed, with the reason in words. A file that is not there is
// not a file that could not be read: a file that exists but cannot be read
// (locked, no permission, an I/O error) must never be taken for an empty
// one, or a save would replace what was never loaded.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace quorvel::platform {

class Status {
public:
    enum class Code : std::uint8_t { ok, notFound, failed };

    // Done.
    Status() = default;
    // Not done: there is no such file. The reason may be left empty where
    // the caller needs no words for it.
    static Status notFound(std::string reason = {}) {
        return Status(Code::notFound, std::move(reason));
    }
    // Not done, for the reason given.
    static Status failed(std::string reason) { return Status(Code::failed, std::move(reason)); }

    bool ok() const { return code_ == Code::ok; }
    bool isNotFound() const { return code_ == Code::notFound; }
    bool isFailed() const { return code_ == Code::failed; }
    Code code() const { return code_; }
    // Empty when done.
    const std::string& reason() const { return reason_; }

    bool operator==(const Status&) const = default;

private:
    Status(Code code, std::string reason) : code_(code), reason_(std::move(reason)) {}

    Code code_ = Code::ok;
    std::string reason_;
};

} // namespace quorvel::platform
