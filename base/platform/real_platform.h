// The machine as the operating system shows it: platform_common.cpp reads
// files and hands the calls other than the file system's to machine.h,
// platform_posix.cpp and platform_windows.cpp write. Only the platform layer
// knows this class; everyone else has realPlatform().
#pragma once

#include "base/platform/machine.h"
#include "base/platform/platform.h"

namespace quorvel::platform {

class RealPlatform final : public Platform {
public:
    Status readFileInto(const std::string& path, const std::function<char*(std::size_t)>& place,
                        std::size_t& size) override;
    Status forEachLineFrom(const std::string& path, std::uint64_t fromByte, std::size_t chunkBytes,
                           std::size_t maxLineBytes, const LineReader& onLine) override;
    using FileSystem::replaceFile;
    Status replaceFile(const std::string& path, std::string_view bytes,
                       const BeforeRename& beforeRename) override;
    Status renameFile(const std::string& from, const std::string& to) override;
    Status removeFile(const std::string& path) override;
    Status openAppendFile(const std::string& path, std::unique_ptr<AppendFile>& file) override;

    std::string currentDirectory() override { return platform::currentDirectory(); }
    std::string readIniValue(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view fallback,
                             std::size_t maxLength) override {
        return platform::readIniValue(path, section, key, fallback, maxLength);
    }
    std::uint32_t tickCount() override { return platform::tickCount(); }
    std::int64_t wallClockNanoseconds() override { return platform::wallClockNanoseconds(); }
    std::string utcTimestamp() override { return platform::utcTimestamp(); }
    std::optional<std::string> environmentValue(const char* name) override {
        return platform::environmentValue(name);
    }
    std::optional<FileStamp> fileStamp(const std::string& path) override {
        return platform::fileStamp(path);
    }
    std::uint64_t processId() override { return platform::processId(); }
    std::string temporaryNameFor(const std::string& path) override {
        return platform::temporaryNameFor(path);
    }
    std::vector<std::string> temporaryFilesIn(const std::string& folder) override {
        return platform::temporaryFilesIn(folder);
    }
    Status lockFile(const std::string& path, std::unique_ptr<HeldLock>& lock) override;
};

} // namespace quorvel::platform
