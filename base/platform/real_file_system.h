// The machine's file system: platform_common.cpp reads, platform_posix.cpp
// and platform_windows.cpp write. Only the platform layer knows this class;
// everyone else has realFileSystem().
#pragma once

#include "base/platform/platform.h"

namespace quorvel::platform {

class RealFileSystem final : public FileSystem {
public:
    Status readFileInto(const std::string& path, const std::function<char*(std::size_t)>& place,
                        std::size_t& size) override;
    Status forEachLine(const std::string& path, std::size_t chunkBytes, std::size_t maxLineBytes,
                       const LineReader& onLine) override;
    using FileSystem::replaceFile;
    Status replaceFile(const std::string& path, std::string_view bytes,
                       const BeforeRename& beforeRename) override;
    Status renameFile(const std::string& from, const std::string& to) override;
    Status removeFile(const std::string& path) override;
    Status openAppendFile(const std::string& path, std::unique_ptr<AppendFile>& file) override;
};

} // namespace quorvel::platform
