// The crash-safe save routine as the operating system sees it.
#include "frame/platform/platform.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quorvel::testing {
namespace {

mode_t permissionsOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

TEST(FileReplacement, AReplacedFileKeepsItsPermissionsEvenPastAStaleTemporaryFile) {
    TestArena arena;
    arena.writeFile("gold.dat", "old");
    ASSERT_EQ(::chmod("gold.dat", 0600), 0);
    // A crash left a temporary file of another mode behind.
    arena.writeFile(platform::temporaryNameFor("gold.dat"), "half");
    ASSERT_EQ(::chmod(platform::temporaryNameFor("gold.dat").c_str(), 0666), 0);

    ASSERT_TRUE(platform::replaceFile("gold.dat", "new"));
    EXPECT_EQ(arena.readFile("gold.dat"), "new");
    EXPECT_EQ(permissionsOf("gold.dat"), 0600u);
    EXPECT_FALSE(arena.fileExists(platform::temporaryNameFor("gold.dat")));

    ASSERT_EQ(::chmod("gold.dat", 0640), 0);
    ASSERT_TRUE(platform::replaceFile("gold.dat", "newer"));
    EXPECT_EQ(permissionsOf("gold.dat"), 0640u);
}

} // namespace
} // namespace quorvel::testing
