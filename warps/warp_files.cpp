#include "warps/warp_files.h"

#include "base/text/text_rules.h"

#include <string>

namespace quorvel {
namespace {

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Hands out the file's numbers one by one. Once a number is missing or
// damaged it hands out nothing more and remembers which.
class NumberStream {
public:
    explicit NumberStream(std::string_view text) : rest_(text) {
        // Editors that save in UTF-8 may put a byte order mark first.
        if (rest_.starts_with(byteOrderMark)) {
            rest_.remove_prefix(byteOrderMark.size());
        }
    }

    std::optional<std::int32_t> next() {
        if (stop_ != Stop::none) {
            return std::nullopt;
        }
        std::size_t start = 0;
        while (start < rest_.size() && isWhiteSpace(rest_[start])) {
            ++start;
        }
        if (start == rest_.size()) {
            stop_ = Stop::ended;
            return std::nullopt;
        }
        std::size_t end = start;
        while (end < rest_.size() && !isWhiteSpace(rest_[end])) {
            ++end;
        }
        std::optional<std::int32_t> number = readInt32(rest_.substr(start, end - start));
        rest_.remove_prefix(end);
        if (!number) {
            stop_ = Stop::damaged;
        }
        return number;
    }

    // Fills every slot or none; a partial group is dropped.
    template <std::size_t N> bool nextGroup(std::int32_t (&values)[N]) {
        for (std::int32_t& value : values) {
            std::optional<std::int32_t> number = next();
            if (!number) {
                return false;
            }
            value = *number;
        }
        return true;
    }

    // Ok while every number asked for was read; failed for the reason the
    // text ended too soon, or for the one a number was damaged.
    platform::Status status(std::string_view ended, std::string_view damaged) const {
        switch (stop_) {
        case Stop::ended:
            return platform::Status::failed(std::string(ended));
        case Stop::damaged:
            return platform::Status::failed(std::string(damaged));
        case Stop::none:
            break;
        }
        return {};
    }

private:
    enum class Stop : std::uint8_t { none, ended, damaged };

    std::string_view rest_;
    Stop stop_ = Stop::none;
};

} // namespace

WarpTeamFile readWarpTeamFile(std::optional<std::string_view> text, std::int32_t teams,
                              bool withInsert) {
    WarpTeamFile file;
    if (!text) {
        file.status = platform::Status::notFound(std::string(warpTeamFileMissing));
        return file;
    }
    NumberStream numbers(*text);
    // The count comes from quorvel.ini and may be far larger than the file:
    // the list grows only with what is actually read.
    for (std::int32_t team = 0; team < teams; ++team) {
        std::int32_t pair[2];
        if (!numbers.nextGroup(pair)) {
            break;
        }
        file.places.push_back({pair[0], pair[1]});
    }
    if (withInsert) {
        file.insertLeft = numbers.next();
        if (file.insertLeft && *file.insertLeft != 0 && *file.insertLeft != -1) {
            std::int32_t rest[3];
            if (numbers.nextGroup(rest)) {
                file.insertRectangle = WarpRectangle{*file.insertLeft, rest[0], rest[1], rest[2]};
            }
        }
    }
    file.status = numbers.status(warpTeamFileShort, warpTeamFileDamaged);
    return file;
}

WarpAreaFile readWarpAreaFile(std::optional<std::string_view> text, std::int32_t areas) {
    WarpAreaFile file;
    if (!text) {
        file.status = platform::Status::notFound(std::string(warpAreaFileMissing));
        return file;
    }
    NumberStream numbers(*text);
    for (std::int32_t area = 0; area < areas; ++area) {
        std::int32_t record[6];
        if (!numbers.nextGroup(record)) {
            break;
        }
        file.records.push_back(
            {WarpRectangle{record[0], record[1], record[2], record[3]}, {record[4], record[5]}});
    }
    file.status = numbers.status(warpAreaFileShort, warpAreaFileDamaged);
    return file;
}

bool insideRectangle(const WarpRectangle& rectangle, std::int32_t tileX, std::int32_t tileY) {
    return rectangle.left < tileX && tileX < rectangle.right && rectangle.top < tileY &&
           tileY < rectangle.bottom;
}

} // namespace quorvel
