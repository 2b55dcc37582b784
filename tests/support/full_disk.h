// A real full disk: a file written in the folder until the file system
// refuses more with ENOSPC (a small tmpfs the test mounted).
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace quorvel::testing {

inline void fillFileSystem(const std::string& filler) {
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::string chunk(4096, 'x');
    while (::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    const int why = errno;
    ::close(fd);
    ASSERT_EQ(why, ENOSPC);
}

} // namespace quorvel::testing
