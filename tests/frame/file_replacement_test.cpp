// The crash-safe save routine and the folder lock as the operating system
// sees them.
#include "frame/platform/platform.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

mode_t permissionsOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

// Another process: it runs `body`, tells the parent what that answered on a
// pipe, and then waits to be killed.
class OtherProcess {
public:
    explicit OtherProcess(const std::function<std::string()>& body) {
        int ends[2];
        if (::pipe(ends) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ends[0]);
            const std::string said = body() + "\n";
            if (::write(ends[1], said.data(), said.size()) < 0) {
                ::_exit(1);
            }
            for (;;) {
                ::pause();
            }
        }
        ::close(ends[1]);
        char c = 0;
        while (pid_ > 0 && ::read(ends[0], &c, 1) == 1 && c != '\n') {
            said_ += c;
        }
        ::close(ends[0]);
    }
    ~OtherProcess() { kill(); }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    pid_t pid() const { return pid_; }
    const std::string& said() const { return said_; }
    // SIGKILL: the process gets no chance to tidy up after itself.
    void kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    std::string said_;
};

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

TEST(FileReplacement, EveryProcessSavesThroughATemporaryFileOfItsOwn) {
    TestArena arena;
    const std::string mine = platform::temporaryNameFor("gold.dat");
    EXPECT_EQ(platform::temporaryNameFor("gold.dat"), mine);
    EXPECT_EQ(mine.rfind("gold.dat.", 0), 0u) << mine;
    OtherProcess other([] { return platform::temporaryNameFor("gold.dat"); });
    ASSERT_GT(other.pid(), 0);
    EXPECT_EQ(other.said().rfind("gold.dat.", 0), 0u) << other.said();
    EXPECT_NE(other.said(), mine);

    // The other host's save in progress is not this one's to touch.
    arena.writeFile(other.said(), "theirs, half written");
    ASSERT_TRUE(platform::replaceFile("gold.dat", "mine"));
    EXPECT_EQ(arena.readFile(other.said()), "theirs, half written");
    EXPECT_EQ(arena.readFile("gold.dat"), "mine");
}

TEST(FileReplacement, ASaveThroughALinkReplacesTheFileAtItsEnd) {
    TestArena arena;
    namespace fs = std::filesystem;
    fs::create_directory("kept");
    arena.writeFile("kept/real.dat", "old");
    ASSERT_EQ(::chmod("kept/real.dat", 0600), 0);
    // gold.dat -> kept/hop -> real.dat, the second read from kept/.
    fs::create_symlink("real.dat", "kept/hop");
    fs::create_symlink("kept/hop", "gold.dat");

    ASSERT_TRUE(platform::replaceFile("gold.dat", "new"));
    EXPECT_TRUE(fs::is_symlink("gold.dat"));
    EXPECT_TRUE(fs::is_symlink("kept/hop"));
    EXPECT_EQ(arena.readFile("kept/real.dat"), "new");
    EXPECT_EQ(permissionsOf("kept/real.dat"), 0600u);
    const auto kept = std::distance(fs::directory_iterator("kept"), fs::directory_iterator());
    EXPECT_EQ(kept, 2) << "a temporary file is left beside the file replaced";

    // A link naming a file not there yet gets that file made.
    fs::create_symlink("kept/new.dat", "inv.dat");
    ASSERT_TRUE(platform::replaceFile("inv.dat", "made"));
    EXPECT_TRUE(fs::is_symlink("inv.dat"));
    EXPECT_EQ(arena.readFile("kept/new.dat"), "made");

    // One naming a folder that is not there cannot be saved through, and
    // says where it would have gone.
    fs::create_symlink("gone/lost.dat", "lost.dat");
    platform::FileResult refused = platform::replaceFile("lost.dat", "lost");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("gone/lost.dat"), std::string::npos) << refused.error;
    EXPECT_TRUE(fs::is_symlink("lost.dat"));

    // Nor can links going round in a circle.
    fs::create_symlink("round.b", "round.a");
    fs::create_symlink("round.a", "round.b");
    refused = platform::replaceFile("round.a", "never");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("round.a"), std::string::npos) << refused.error;
    EXPECT_TRUE(fs::is_symlink("round.a"));
}

TEST(FileReplacement, AFolderLockHasOneHolderAtATime) {
    TestArena arena;
    platform::FileLock first;
    platform::FileLock second;
    ASSERT_TRUE(first.acquire("quorvel.lock"));
    EXPECT_TRUE(first.held());
    EXPECT_EQ(arena.readFile("quorvel.lock"), std::to_string(::getpid()) + "\n");
    platform::FileResult refused = second.acquire("quorvel.lock");
    EXPECT_FALSE(refused.ok);
    EXPECT_FALSE(second.held());
    EXPECT_NE(refused.error.find("it is held by another lock of this process"), std::string::npos)
        << refused.error;
    first.release();
    EXPECT_FALSE(first.held());
    EXPECT_EQ(arena.readFile("quorvel.lock"), "");
    EXPECT_TRUE(second.acquire("quorvel.lock"));
    second.release();

    // Another process holds it until the system takes it back from the dead.
    OtherProcess holder([] {
        auto* lock = new platform::FileLock; // held until the process dies
        platform::FileResult taken = lock->acquire("quorvel.lock");
        return taken ? std::string("taken") : taken.error;
    });
    ASSERT_GT(holder.pid(), 0);
    ASSERT_EQ(holder.said(), "taken");
    refused = first.acquire("quorvel.lock");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("it is held by another process (process id " +
                                 std::to_string(holder.pid()) + ")"),
              std::string::npos)
        << refused.error;
    holder.kill();
    platform::FileResult taken = first.acquire("quorvel.lock");
    EXPECT_TRUE(taken.ok) << taken.error;

    // A lock that cannot be made at all says why, and not that it is held.
    refused = second.acquire("no-folder/quorvel.lock");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("no-folder/quorvel.lock: No such file or directory"),
              std::string::npos)
        << refused.error;
}

} // namespace
} // namespace quorvel::testing
