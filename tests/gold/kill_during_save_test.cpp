// The host is killed while it saves: a child process holds a ledger and an
// inventory book of tens of thousands of accounts and saves gold.dat and
// inv.dat again and again through !goldsave and !invsave, with every account
// changed between saves; the parent kills it with SIGKILL at seeded random
// moments spread over the saves. After every kill each file must be the whole
// previous version or the whole new one, byte for byte, and a bot started in
// the folder must load it and save over whatever temporary file was left.
#include "book_versions.h"
#include "support/test_arena.h"

#include "base/platform/machine.h"
#include "base/platform/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t accountCount = 20000;
constexpr int killCount = 200;
constexpr const char* goldSaved = "Gold accounts saved for backup purposes.";
constexpr const char* inventorySaved = "Inventory Database saved for backup purposes.";

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct Folder {
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-savekill-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        writeFile(path + "/quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// What the child says on the pipe: 'G' / 'I' before it starts saving version
// N of gold.dat / inv.dat, 'g' / 'i' once the save has answered, 'E' when a
// save was not answered as done, 'L' when it did not load what the folder
// holds.
void announce(int pipe, char what, std::uint64_t version) {
    char line[32];
    int length = std::snprintf(line, sizeof line, "%c %llu\n", what,
                               static_cast<unsigned long long>(version));
    // One short write: it is on the pipe whole or not at all.
    if (::write(pipe, line, static_cast<std::size_t>(length)) != length) {
        std::_Exit(3);
    }
}

// The child is the bot started again after the last kill: it must load the
// versions the last kill left on disk, then it saves over whatever temporary
// files are lying about.
[[noreturn]] void saveUntilKilled(const std::string& folder, const BookVersions& book,
                                  std::uint64_t onDiskGold, std::uint64_t onDiskInventory,
                                  std::uint64_t firstVersion, int pipe) {
    ::alarm(120); // never outlives a parent that failed to kill it
    TestArena arena(folder, 7);
    arena.handshake();
    if (!book.holds(arena, onDiskGold, onDiskInventory)) {
        announce(pipe, 'L', onDiskGold);
        std::_Exit(2);
    }
    PlayerRecord& keeper = arena.addPlayer({.name = "Keeper", .accessLevel = 2});
    arena.take();
    const BookVersions::Places places = BookVersions::placesIn(arena);
    for (std::uint64_t version = firstVersion;; ++version) {
        book.apply(places, version, version);
        announce(pipe, 'G', version);
        arena.command(keeper, "goldsave");
        announce(pipe, 'g', version);
        announce(pipe, 'I', version);
        arena.command(keeper, "invsave");
        announce(pipe, 'i', version);
        if (arena.takeTexts() != std::vector<std::string>{goldSaved, inventorySaved}) {
            announce(pipe, 'E', version);
        }
    }
}

// Reads whole lines from the pipe until `enough` says stop or the pipe ends.
template <typename Enough> void readLines(int pipe, std::string& buffer, Enough enough) {
    char chunk[4096];
    while (!enough(buffer)) {
        ssize_t n = ::read(pipe, chunk, sizeof chunk);
        if (n <= 0) {
            return;
        }
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

// Whole lines starting with `what`.
std::size_t countOf(const std::string& lines, char what) {
    std::size_t count = 0;
    std::size_t start = 0;
    for (std::size_t end = lines.find('\n'); end != std::string::npos;
         start = end + 1, end = lines.find('\n', start)) {
        count += lines[start] == what ? 1 : 0;
    }
    return count;
}

// The version of the last line starting with `what`.
std::optional<std::uint64_t> lastVersion(const std::string& lines, char what) {
    std::optional<std::uint64_t> found;
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > 2 && line[0] == what) {
            found = std::stoull(line.substr(2));
        }
    }
    return found;
}

struct KillRound {
    std::string said;          // everything the child announced
    Clock::duration startup{}; // from the fork to the first save
    Clock::duration cycle{};   // the time of one gold + inventory save, when measured
};

// Starts a child saving from `firstVersion`, waits for its first save to
// begin, lets it run for `delay` (or, with `measure`, for three whole
// cycles, timed) and kills it.
KillRound killDuringSaves(const Folder& folder, const BookVersions& book, std::uint64_t onDiskGold,
                          std::uint64_t onDiskInventory, std::uint64_t firstVersion,
                          std::chrono::microseconds delay, bool measure) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const Clock::time_point forked = Clock::now();
    pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        saveUntilKilled(folder.path, book, onDiskGold, onDiskInventory, firstVersion, fds[1]);
    }
    ::close(fds[1]);
    KillRound round;
    readLines(fds[0], round.said,
              [](const std::string& lines) { return countOf(lines, 'G') >= 1; });
    round.startup = Clock::now() - forked;
    if (measure) {
        const Clock::time_point first = Clock::now();
        readLines(fds[0], round.said,
                  [](const std::string& lines) { return countOf(lines, 'G') >= 4; });
        round.cycle = (Clock::now() - first) / 3;
    } else {
        std::this_thread::sleep_for(delay);
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
        << "the saving child ended by itself (status " << status << "): " << round.said;
    readLines(fds[0], round.said, [](const std::string&) { return false; });
    ::close(fds[0]);
    return round;
}

std::uint32_t littleEndianAt(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t byte = 0; byte < 4 && at + byte < bytes.size(); ++byte) {
        value |= std::uint32_t{static_cast<unsigned char>(bytes[at + byte])} << (8 * byte);
    }
    return value;
}

// Which of the versions gold.dat / inv.dat holds, byte for byte. The whole
// file is built only for a version whose first number it holds.
std::optional<std::uint64_t> goldVersionIn(const std::optional<std::string>& bytes,
                                           const std::vector<std::uint64_t>& candidates,
                                           const BookVersions& book) {
    for (std::uint64_t version : candidates) {
        if (bytes && littleEndianAt(*bytes, 0) == BookVersions::balance(version, 0) &&
            *bytes == book.goldBytes(version)) {
            return version;
        }
    }
    return std::nullopt;
}
std::optional<std::uint64_t> inventoryVersionIn(const std::optional<std::string>& bytes,
                                                const std::vector<std::uint64_t>& candidates,
                                                const BookVersions& book) {
    for (std::uint64_t version : candidates) {
        if (bytes &&
            littleEndianAt(*bytes, 20) ==
                static_cast<std::uint32_t>(BookVersions::count(version, 0, 0)) &&
            *bytes == book.inventoryBytes(version)) {
            return version;
        }
    }
    return std::nullopt;
}

std::string describeCandidates(const std::vector<std::uint64_t>& candidates) {
    std::string text;
    for (std::uint64_t version : candidates) {
        text += (text.empty() ? "" : " or ") + std::to_string(version);
    }
    return text;
}

// A temporary file where a kill left none, longer than the real file, so
// that a save which kept any of its bytes is caught.
void plantStaleTemporaries(const Folder& folder) {
    for (const char* name : {"gold.dat", "inv.dat"}) {
        const std::string temporary = platform::temporaryNameFor(folder.file(name));
        if (!std::filesystem::exists(temporary)) {
            writeFile(temporary,
                      std::string(std::filesystem::file_size(folder.file(name)) + 4096, '\xAB'));
        }
    }
}

// A bot started in the folder loads exactly the versions on disk and saves
// them again, answering that it did, and leaves no temporary file.
void restartAndSave(const Folder& folder, const BookVersions& book, std::uint64_t gold,
                    std::uint64_t inventory) {
    plantStaleTemporaries(folder);
    TestArena arena(folder.path, 7);
    arena.handshake();
    ASSERT_TRUE(book.holds(arena, gold, inventory))
        << "after a restart the bot does not hold gold version " << gold
        << " and inventory version " << inventory;
    PlayerRecord& keeper = arena.addPlayer({.name = "Keeper", .accessLevel = 2});
    arena.take();
    arena.command(keeper, "goldsave");
    arena.command(keeper, "invsave");
    EXPECT_EQ(arena.takeTexts(), (std::vector<std::string>{goldSaved, inventorySaved}));
    EXPECT_EQ(readFile(folder.file("gold.dat")), book.goldBytes(gold));
    EXPECT_EQ(readFile(folder.file("inv.dat")), book.inventoryBytes(inventory));
    for (const char* name : {"gold.dat", "inv.dat"}) {
        EXPECT_FALSE(std::filesystem::exists(platform::temporaryNameFor(folder.file(name))))
            << name << "'s temporary file is still there after a save";
    }
}

// The temporary gold.dat files in the folder whose names carry `pid`.
std::vector<std::string> temporariesOf(const Folder& folder, pid_t pid) {
    const std::string start = "gold.dat.saving." + std::to_string(pid) + "-";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path)) {
        if (entry.path().filename().string().starts_with(start)) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// A host killed while its save writes the temporary file leaves that file
// behind; the next open of the folder under its lock removes it, and any
// other file's (Ghoulset.ini's here), naming each on the console, and the
// file it was to replace is loaded as it was.
TEST(KillDuringSave, ATemporaryFileAKillLeftIsRemovedAtTheNextOpenAndNamed) {
    Folder folder;
    const std::string before = std::string("\x64\0\0\0Bob", 7) + std::string(17, '\0');
    const std::string huge(64u << 20, '\x11');
    std::string left;
    for (int attempt = 0; attempt < 20 && left.empty(); ++attempt) {
        writeFile(folder.file("gold.dat"), before);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(60);
            for (;;) {
                static_cast<void>(
                    platform::realPlatform().replaceFile(folder.file("gold.dat"), huge));
            }
        }
        // Killed as soon as its temporary file is there, before the save ends.
        const Clock::time_point until = Clock::now() + std::chrono::seconds(20);
        while (temporariesOf(folder, child).empty() && Clock::now() < until) {
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::vector<std::string> names = temporariesOf(folder, child);
        if (names.size() == 1 && readFile(folder.file("gold.dat")) == before) {
            left = names.front();
            break;
        }
        for (const std::string& name : names) {
            std::filesystem::remove(folder.file(name));
        }
    }
    ASSERT_FALSE(left.empty()) << "no kill landed inside the first save";
    const std::string ghoulset = "Ghoulset.ini.saving.31337-0badf00d";
    writeFile(folder.file(ghoulset), "1 1");
    writeFile(folder.file("gold.dat.saving.notes"), "an operator's file");

    TestArena arena(folder.path, 7);
    arena.handshake();
    const std::vector<std::string> said = arena.takeTexts();
    for (const std::string& name : {left, ghoulset}) {
        const std::string saved = name.substr(0, name.find(".saving."));
        const std::string line = "Removed " + name + ", left by a save of " + saved +
                                 " that never finished (its process stopped during it); " + saved +
                                 " is as it was before that save.";
        EXPECT_NE(std::find(said.begin(), said.end(), line), said.end()) << line;
        EXPECT_FALSE(std::filesystem::exists(folder.file(name))) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(folder.file("gold.dat.saving.notes")));
    EXPECT_EQ(arena.gold().balance("Bob"), 100u);
    // Not removed again by a bot that joins the open store.
    writeFile(folder.file(ghoulset), "1 1");
    TestArena second(folder.path, 7, 2);
    second.handshake();
    EXPECT_TRUE(std::filesystem::exists(folder.file(ghoulset)));
}

TEST(KillDuringSave, EveryKillLeavesAWholeVersionOfEachFile) {
    const Clock::time_point started = Clock::now();
    Folder folder;
    const BookVersions book(accountCount);
    writeFile(folder.file("gold.dat"), book.goldBytes(0));
    writeFile(folder.file("inv.dat"), book.inventoryBytes(0));

    std::mt19937 random(20261208);
    std::uint64_t onDiskGold = 0;
    std::uint64_t onDiskInventory = 0;
    Clock::duration cycle{};
    int killsWithNewGold = 0;
    int killsInsideASave = 0;
    int killsBetweenTheTwoFiles = 0;
    Clock::duration startups{};
    for (int round = 0; round < killCount; ++round) {
        const std::uint64_t firstVersion = static_cast<std::uint64_t>(round + 1) * 100000;
        std::chrono::microseconds delay{};
        if (round > 0) {
            const auto span = std::chrono::duration_cast<std::chrono::microseconds>(cycle);
            delay = std::chrono::microseconds(random() % (span.count() + 1));
        }
        if (round % 4 == 0) {
            plantStaleTemporaries(folder);
        }
        const KillRound kill = killDuringSaves(folder, book, onDiskGold, onDiskInventory,
                                               firstVersion, delay, round == 0);
        if (round == 0) {
            cycle = kill.cycle;
        }
        ASSERT_EQ(kill.said.find('L'), std::string::npos)
            << "kill " << round << ": the bot started after the last kill did not load gold "
            << "version " << onDiskGold << " and inventory version " << onDiskInventory;
        ASSERT_EQ(kill.said.find('E'), std::string::npos)
            << "a save in the child was not answered as done: " << kill.said;

        // Either the last version announced as saved (or what was on disk
        // before this child, if none was) or the one whose save had begun.
        const auto goldBegun = lastVersion(kill.said, 'G');
        const auto goldDone = lastVersion(kill.said, 'g');
        const auto inventoryBegun = lastVersion(kill.said, 'I');
        const auto inventoryDone = lastVersion(kill.said, 'i');
        std::vector<std::uint64_t> goldCandidates{goldDone.value_or(onDiskGold)};
        if (goldBegun && *goldBegun != goldCandidates[0]) {
            goldCandidates.push_back(*goldBegun);
        }
        std::vector<std::uint64_t> inventoryCandidates{inventoryDone.value_or(onDiskInventory)};
        if (inventoryBegun && *inventoryBegun != inventoryCandidates[0]) {
            inventoryCandidates.push_back(*inventoryBegun);
        }
        const bool insideASave = goldBegun != goldDone || inventoryBegun != inventoryDone;

        const auto gold = goldVersionIn(readFile(folder.file("gold.dat")), goldCandidates, book);
        ASSERT_TRUE(gold) << "kill " << round << ": gold.dat is neither version "
                          << describeCandidates(goldCandidates) << " whole; the child said:\n"
                          << kill.said;
        const auto inventory =
            inventoryVersionIn(readFile(folder.file("inv.dat")), inventoryCandidates, book);
        ASSERT_TRUE(inventory) << "kill " << round << ": inv.dat is neither version "
                               << describeCandidates(inventoryCandidates)
                               << " whole; the child said:\n"
                               << kill.said;
        killsWithNewGold += goldCandidates.size() > 1 && *gold == goldCandidates[1] ? 1 : 0;
        killsInsideASave += insideASave ? 1 : 0;
        killsBetweenTheTwoFiles += *gold != *inventory ? 1 : 0;
        onDiskGold = *gold;
        onDiskInventory = *inventory;

        startups += kill.startup;
    }
    restartAndSave(folder, book, onDiskGold, onDiskInventory);
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const auto ms = [](Clock::duration span) {
        return std::chrono::duration<double, std::milli>(span).count();
    };
    std::printf("%d kills in %.1f s (%zu accounts; a save cycle %.1f ms, a child's start "
                "%.1f ms on average); kills inside a save: %d, gold.dat already "
                "replaced by the version being saved: %d, gold.dat and inv.dat of different "
                "versions: %d\n",
                killCount, seconds, accountCount, ms(cycle), ms(startups) / killCount,
                killsInsideASave, killsWithNewGold, killsBetweenTheTwoFiles);
    // The kills must have landed inside saves, not only between them.
    EXPECT_GT(killsInsideASave, killCount / 4);
    EXPECT_GT(killsBetweenTheTwoFiles, 0);
}

} // namespace
} // namespace quorvel::testing
