// The crash-safe save routine, the folder lock and the line reader as the
// operating system sees them.
#include "base/platform/machine.h"
#include "base/platform/platform.h"
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quorvel::testing {
namespace {

platform::FileSystem& files = platform::realPlatform();

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

struct Line {
    std::string text;
    bool ended = true;
    bool tooLong = false;
    bool operator==(const Line&) const = default;
};

void PrintTo(const Line& line, std::ostream* out) {
    *out << '"' << line.text << '"' << (line.ended ? "" : " unended")
         << (line.tooLong ? " too long" : "");
}

std::vector<Line> linesOf(const std::string& path, std::size_t chunkBytes,
                          std::size_t maxLineBytes) {
    std::vector<Line> lines;
    platform::Status read = files.forEachLine(
        path, chunkBytes, maxLineBytes, [&](std::string_view text, bool ended, bool tooLong) {
            lines.push_back({std::string(text), ended, tooLong});
        });
    EXPECT_TRUE(read.ok()) << read.reason();
    return lines;
}

TEST(FileReplacement, AReplacedFileKeepsItsPermissionsEvenPastAStaleTemporaryFile) {
    TestArena arena;
    arena.writeFile("gold.dat", "old");
    ASSERT_EQ(::chmod("gold.dat", 0600), 0);
    // A crash left a temporary file of another mode behind.
    arena.writeFile(platform::temporaryNameFor("gold.dat"), "half");
    ASSERT_EQ(::chmod(platform::temporaryNameFor("gold.dat").c_str(), 0666), 0);

    ASSERT_TRUE(files.replaceFile("gold.dat", "new").ok());
    EXPECT_EQ(arena.readFile("gold.dat"), "new");
    EXPECT_EQ(permissionsOf("gold.dat"), 0600u);
    EXPECT_FALSE(arena.fileExists(platform::temporaryNameFor("gold.dat")));

    ASSERT_EQ(::chmod("gold.dat", 0640), 0);
    ASSERT_TRUE(files.replaceFile("gold.dat", "newer").ok());
    EXPECT_EQ(permissionsOf("gold.dat"), 0640u);
}

TEST(FileReplacement, AWriteThatStopsPartWayLeavesTheOldFileAndNoTemporaryOne) {
    TestArena arena;
    arena.writeFile("gold.dat", "old");
    // A process whose files cannot grow past 10 bytes: its save stops there.
    OtherProcess saver([] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{10, 10};
        ::setrlimit(RLIMIT_FSIZE, &small);
        return files.replaceFile("gold.dat", std::string(100, 'n')).reason() + "|" +
               platform::temporaryNameFor("gold.dat");
    });
    ASSERT_GT(saver.pid(), 0);
    const std::string temporary = saver.said().substr(saver.said().rfind('|') + 1);
    EXPECT_EQ(saver.said().rfind("cannot write " + temporary + ": ", 0), 0u) << saver.said();
    EXPECT_EQ(arena.readFile("gold.dat"), "old");
    EXPECT_FALSE(arena.fileExists(temporary));
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
    ASSERT_TRUE(files.replaceFile("gold.dat", "mine").ok());
    EXPECT_EQ(arena.readFile(other.said()), "theirs, half written");
    EXPECT_EQ(arena.readFile("gold.dat"), "mine");

    // Either process's temporary name tells the file it was to replace; no
    // other name does, and the folder's are listed by name.
    EXPECT_EQ(platform::fileReplacedThrough(mine), "gold.dat");
    EXPECT_EQ(platform::fileReplacedThrough(other.said()), "gold.dat");
    EXPECT_EQ(platform::fileReplacedThrough(platform::temporaryNameFor("Ghoulset.ini")),
              "Ghoulset.ini");
    for (const char* name :
         {"gold.dat", "gold.dat.saving.", "gold.dat.saving.12-0badf00", ".saving.1-0badf00d",
          "gold.dat.saving.x1-0badf00d", "gold.dat.saving.12-0BADF00D", "gold.dat.saving.-0badf00d",
          "gold.dat.saving.12-0badf00d.old"}) {
        EXPECT_FALSE(platform::fileReplacedThrough(name)) << name;
    }
    arena.writeFile("inv.dat.saving.7-0000abcd", "");
    arena.writeFile("gold.dat.saving.12-0badf00d.old", "");
    std::vector<std::string> expected{other.said(), "inv.dat.saving.7-0000abcd"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(platform::temporaryFilesIn(arena.directory()), expected);
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

    ASSERT_TRUE(files.replaceFile("gold.dat", "new").ok());
    EXPECT_TRUE(fs::is_symlink("gold.dat"));
    EXPECT_TRUE(fs::is_symlink("kept/hop"));
    EXPECT_EQ(arena.readFile("kept/real.dat"), "new");
    EXPECT_EQ(permissionsOf("kept/real.dat"), 0600u);
    const auto kept = std::distance(fs::directory_iterator("kept"), fs::directory_iterator());
    EXPECT_EQ(kept, 2) << "a temporary file is left beside the file replaced";

    // A link naming a file not there yet gets that file made.
    fs::create_symlink("kept/new.dat", "inv.dat");
    ASSERT_TRUE(files.replaceFile("inv.dat", "made").ok());
    EXPECT_TRUE(fs::is_symlink("inv.dat"));
    EXPECT_EQ(arena.readFile("kept/new.dat"), "made");

    // One naming a folder that is not there cannot be saved through, and
    // says where it would have gone.
    fs::create_symlink("gone/lost.dat", "lost.dat");
    platform::Status refused = files.replaceFile("lost.dat", "lost");
    EXPECT_TRUE(refused.isFailed());
    EXPECT_NE(refused.reason().find("gone/lost.dat"), std::string::npos) << refused.reason();
    EXPECT_TRUE(fs::is_symlink("lost.dat"));

    // Nor can links going round in a circle.
    fs::create_symlink("round.b", "round.a");
    fs::create_symlink("round.a", "round.b");
    refused = files.replaceFile("round.a", "never");
    EXPECT_TRUE(refused.isFailed());
    EXPECT_NE(refused.reason().find("round.a"), std::string::npos) << refused.reason();
    EXPECT_TRUE(fs::is_symlink("round.a"));
}

TEST(FileReplacement, AFolderLockHasOneHolderAtATime) {
    TestArena arena;
    platform::FileLock first;
    platform::FileLock second;
    EXPECT_TRUE(first.stillNamed().isFailed());
    ASSERT_TRUE(first.acquire("quorvel.lock").ok());
    EXPECT_TRUE(first.held());
    EXPECT_TRUE(first.stillNamed().ok());
    EXPECT_EQ(arena.readFile("quorvel.lock"), std::to_string(::getpid()) + "\n");
    platform::Status refused = second.acquire("quorvel.lock");
    EXPECT_TRUE(refused.isFailed());
    EXPECT_FALSE(second.held());
    EXPECT_NE(refused.reason().find("it is held by another lock of this process"),
              std::string::npos)
        << refused.reason();
    first.release();
    EXPECT_FALSE(first.held());
    EXPECT_EQ(arena.readFile("quorvel.lock"), "");
    EXPECT_TRUE(second.acquire("quorvel.lock").ok());
    second.release();

    // Another process holds it until the system takes it back from the dead.
    OtherProcess holder([] {
        auto* lock = new platform::FileLock; // held until the process dies
        platform::Status taken = lock->acquire("quorvel.lock");
        return taken.ok() ? std::string("taken") : taken.reason();
    });
    ASSERT_GT(holder.pid(), 0);
    ASSERT_EQ(holder.said(), "taken");
    refused = first.acquire("quorvel.lock");
    EXPECT_TRUE(refused.isFailed());
    EXPECT_NE(refused.reason().find("it is held by another process (process id " +
                                    std::to_string(holder.pid()) + ")"),
              std::string::npos)
        << refused.reason();
    holder.kill();
    platform::Status taken = first.acquire("quorvel.lock");
    EXPECT_TRUE(taken.ok()) << taken.reason();

    // The name taken away, or given to another file, is told apart from the
    // file held; the lock itself stays on the file it holds.
    std::filesystem::rename("quorvel.lock", "quorvel.lock.old");
    platform::Status named = first.stillNamed();
    EXPECT_EQ(named.reason(), "quorvel.lock was removed or renamed");
    arena.writeFile("quorvel.lock", "");
    named = first.stillNamed();
    EXPECT_EQ(named.reason(), "quorvel.lock was replaced by another file");
    EXPECT_TRUE(second.acquire("quorvel.lock").ok());
    EXPECT_TRUE(second.stillNamed().ok());
    platform::FileLock third;
    EXPECT_FALSE(third.acquire("quorvel.lock.old").ok());
    std::filesystem::rename("quorvel.lock.old", "quorvel.lock");
    EXPECT_TRUE(first.stillNamed().ok());
    EXPECT_EQ(second.stillNamed().reason(), "quorvel.lock was replaced by another file");
    second.release();

    // A lock that cannot be made at all says why, and not that it is held.
    refused = second.acquire("no-folder/quorvel.lock");
    EXPECT_TRUE(refused.isFailed());
    EXPECT_NE(refused.reason().find("no-folder/quorvel.lock: No such file or directory"),
              std::string::npos)
        << refused.reason();
}

TEST(FileReplacement, LinesAreReadInChunksWithoutKeepingOverlongOnes) {
    TestArena arena;
    const std::string overlong(26, 'x'); // one past the longest line allowed
    arena.writeFile("gold.log",
                    "first\n\nexactly twenty-five bytes\n" + overlong + "\nafter\r\nlast");
    arena.writeFile("cut.log", "whole\n" + overlong);
    const std::vector<Line> expected = {
        {"first"},        {""},        {"exactly twenty-five bytes"},
        {"", true, true}, {"after\r"}, {"last", false}};
    const std::vector<Line> cut = {{"whole"}, {"", false, true}};
    for (std::size_t chunk : {1u, 7u, 24u, 4096u}) {
        EXPECT_EQ(linesOf("gold.log", chunk, 25), expected) << "chunks of " << chunk;
        EXPECT_EQ(linesOf("cut.log", chunk, 25), cut) << "chunks of " << chunk;
    }
    arena.writeFile("empty.log", "");
    EXPECT_TRUE(linesOf("empty.log", 7, 25).empty());
}

TEST(FileReplacement, ALineReadTellsAMissingFileFromOneThatCannotBeRead) {
    TestArena arena;
    int lines = 0;
    auto count = [&](std::string_view, bool, bool) { ++lines; };
    platform::Status read = files.forEachLine("no-such.log", 7, 64, count);
    EXPECT_TRUE(read.isNotFound());

    std::filesystem::create_directory("folder.log");
    read = files.forEachLine("folder.log", 7, 64, count);
    EXPECT_TRUE(read.isFailed());
    EXPECT_NE(read.reason().find("folder.log"), std::string::npos) << read.reason();

    // Opens, but the first read fails: nothing is mapped at address 0.
    read = files.forEachLine("/proc/self/mem", 7, 64, count);
    EXPECT_TRUE(read.isFailed());
    EXPECT_NE(read.reason().find("cannot read /proc/self/mem"), std::string::npos) << read.reason();
    EXPECT_EQ(lines, 0);

    arena.writeFile("locked.log", "secret\n");
    ASSERT_EQ(::chmod("locked.log", 0200), 0);
    if (std::ifstream("locked.log").good()) {
        GTEST_SKIP() << "a file without read permission is still readable to this user (root)";
    }
    read = files.forEachLine("locked.log", 7, 64, count);
    EXPECT_TRUE(read.isFailed());
    EXPECT_NE(read.reason().find("locked.log"), std::string::npos) << read.reason();
    EXPECT_EQ(lines, 0);
}

} // namespace
} // namespace quorvel::testing
