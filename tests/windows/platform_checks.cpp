// Checks of the platform layer's file handling that differ most between
// Windows and POSIX: crash-safe replacement (through a link too), renames
// over an existing file, the journal's shared append file, the folder lock,
// reading lines in chunks, file stamps and the tick count. Built
// for Linux (a ctest) and for Windows (run under Wine by
// scripts/check-windows). Prints one line per failed check; exits 1 when
// any failed.
#include "base/platform/machine.h"
#include "base/platform/platform.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
namespace platform = quorvel::platform;

namespace {

platform::FileSystem& files = platform::realPlatform();
int failures = 0;
int checks = 0;

void check(bool ok, const std::string& what) {
    ++checks;
    if (!ok) {
        ++failures;
        std::cout << "FAILED: " << what << '\n';
    }
}

std::string contentOf(const std::string& path) {
    std::string bytes;
    return files.readFile(path, bytes).ok() ? bytes : "(no file)";
}

// Where a check has no use for a save's answer: the file is set up for it.
void put(const std::string& path, std::string_view bytes) {
    const platform::Status saved = files.replaceFile(path, bytes);
    check(saved.ok(), "a file is set up for a check: " + saved.reason());
}

std::string here(const char* name) {
    return platform::joinPath(platform::currentDirectory(), name);
}

void relativeNamesMeetTheWorkingDirectory() {
    std::ofstream("probe.txt", std::ios::binary) << "probe";
    check(contentOf(here("probe.txt")) == "probe",
          "a file written by its bare name is found at currentDirectory() joined with it");
    const std::string folder = platform::currentDirectory();
    check(!folder.empty() && folder.back() != '/' && folder.back() != '\\',
          "currentDirectory() has no trailing separator: " + folder);
}

void replacingFiles() {
    // Bytes a text-mode stream would change: CR LF, a lone LF, NUL, Ctrl-Z.
    const std::string bytes("one\r\ntwo\nthree\0four\x1a five", 25);
    const std::string path = here("data.bin");
    check(files.replaceFile(path, bytes).ok(), "replaceFile creates a new file");
    check(contentOf(path) == bytes, "replaceFile writes the bytes unchanged");
    check(files.replaceFile(path, "second").ok(), "replaceFile replaces an existing file");
    check(contentOf(path) == "second", "the replaced file holds the new bytes only");
    check(!fs::exists(platform::temporaryNameFor(path)), "no temporary file is left after a save");

    // A folder where the temporary file should go: the save cannot start.
    fs::create_directory(platform::temporaryNameFor(path));
    platform::Status blocked = files.replaceFile(path, "third");
    check(blocked.isFailed() && !blocked.reason().empty(),
          "a save that cannot be made is reported");
    check(contentOf(path) == "second", "a failed save leaves the old file whole");
    fs::remove(platform::temporaryNameFor(path));

    // Someone reading the file while it is saved: Windows may refuse the
    // replacement, POSIX allows it. Either way the answer must tell the truth.
    {
        std::ifstream reader(path, std::ios::binary);
        platform::Status busy = files.replaceFile(path, "fourth");
        reader.close();
        const std::string now = contentOf(path);
        check(busy.ok() ? now == "fourth" : now == "second",
              std::string("a save over a file held open reports what happened (") +
                  (busy.ok() ? "ok" : busy.reason()) + ", file holds \"" + now + "\")");
        check(!fs::exists(platform::temporaryNameFor(path)),
              "a save over a file held open leaves no temporary file");
    }
}

void temporaryNames() {
    const std::string path = here("gold.dat");
    const std::string temporary = platform::temporaryNameFor(path);
    check(temporary == platform::temporaryNameFor(path),
          "one process always saves through the same temporary file");
    check(temporary.rfind(path + ".saving.", 0) == 0 &&
              temporary.find(std::to_string(platform::processId())) != std::string::npos,
          "the temporary file is named after the file and the process: " + temporary);
    const std::string name = fs::path(temporary).filename().string();
    check(platform::fileReplacedThrough(name) == "gold.dat",
          "a temporary name tells the file it was to replace: " + name);
    check(!platform::fileReplacedThrough("gold.dat.saving.old"),
          "a name no save gives is not taken for a temporary one");
    put(temporary, "left by a save");
    const std::vector<std::string> found = platform::temporaryFilesIn(platform::currentDirectory());
    check(found == std::vector<std::string>{name}, "the folder's temporary files are listed");
    const platform::Status removed = files.removeFile(temporary);
    check(removed.ok() && !fs::exists(temporary),
          "a temporary file is removed: " + removed.reason());
    check(files.removeFile(temporary).isNotFound(), "a file not there is not found to remove");
}

bool isLink(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
    return fs::is_symlink(path);
#endif
}

// Makes a symbolic link, or says why not: Windows lets only some users make
// them, and Wine answers that it made one without making it.
bool makeLink(const std::string& target, const std::string& link) {
#ifdef _WIN32
    const DWORD unprivileged = 0x2; // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    CreateSymbolicLinkA(link.c_str(), target.c_str(), unprivileged);
#else
    std::error_code ignored;
    fs::create_symlink(target, link, ignored);
#endif
    return isLink(link);
}

void savingThroughALink() {
    const std::string target = here("linked-target.dat");
    const std::string link = here("linked.dat");
    put(target, "old");
    if (!makeLink(target, link)) {
        std::cout << "skipped: a save through a link (no link could be made here)\n";
        return;
    }
    platform::Status saved = files.replaceFile(link, "new");
    check(saved.ok(), "a save through a link succeeds: " + saved.reason());
    check(isLink(link), "a save through a link leaves the link a link");
    check(contentOf(target) == "new", "a save through a link replaces the file it points to");
}

void lockingAFolder() {
    const std::string path = here("quorvel.lock");
    platform::FileLock first;
    platform::FileLock second;
    platform::Status taken = first.acquire(path);
    check(taken.ok() && first.held(), "a free lock is taken: " + taken.reason());
    platform::Status named = first.stillNamed();
    check(named.ok(), "a held lock file is still named by its path: " + named.reason());
    // Windows refuses to rename a held lock file; where it can be renamed,
    // the holder sees that its path no longer names the file it holds.
    std::error_code moved;
    fs::rename(path, path + ".old", moved);
    if (!moved) {
        named = first.stillNamed();
        check(named.isFailed() && named.reason().find("removed or renamed") != std::string::npos,
              "a renamed lock file is told apart: " + named.reason());
        fs::rename(path + ".old", path, moved);
    }
    check(first.stillNamed().ok(), "the lock file under its name again is the one held");
    check(contentOf(path) == std::to_string(platform::processId()) + "\n",
          "the lock file names its holder and can be read while held: " + contentOf(path));
    platform::Status refused = second.acquire(path);
    check(refused.isFailed() && !second.held(), "a held lock is refused to a second holder");
    check(refused.reason().find("it is held by") != std::string::npos,
          "a refused lock says it is held: " + refused.reason());
    first.release();
    taken = second.acquire(path);
    check(taken.ok(), "a released lock is taken again: " + taken.reason());
    second.release();
    check(contentOf(path).empty(), "a released lock file names no holder");
}

void readingLines() {
    const std::string path = here("lines.log");
    put(path, "one\r\ntwo\n" + std::string(20, 'x') + "\nthree");
    std::vector<std::string> lines;
    platform::Status read =
        files.forEachLine(path, 3, 10, [&](std::string_view text, bool ended, bool tooLong) {
            lines.push_back(std::string(text) + (ended ? "|" : "") + (tooLong ? "!" : ""));
        });
    const std::vector<std::string> expected = {"one\r|", "two|", "|!", "three"};
    check(read.ok() && lines == expected,
          "lines are read in chunks, a too long one passed over: " + read.reason());
    lines.clear();
    read =
        files.forEachLineFrom(path, 5, 3, 10, [&](std::string_view text, bool ended, bool tooLong) {
            lines.push_back(std::string(text) + (ended ? "|" : "") + (tooLong ? "!" : ""));
        });
    check(read.ok() && lines == std::vector<std::string>(expected.begin() + 1, expected.end()),
          "lines are read from a byte where one begins: " + read.reason());
    read = files.forEachLine(here("no-such.log"), 3, 10, [](std::string_view, bool, bool) {});
    check(read.isNotFound(), "a missing file has no lines to read");
    read =
        files.forEachLine(platform::currentDirectory(), 3, 10, [](std::string_view, bool, bool) {});
    check(read.isFailed() && !read.reason().empty(),
          "a folder cannot be read line by line: " + read.reason());
}

void renamingOverAnOlderFile() {
    const std::string from = here("log");
    const std::string to = here("log.1");
    put(to, "older");
    put(from, "newer");
    check(files.renameFile(from, to).ok(), "renameFile replaces an older file");
    check(contentOf(to) == "newer" && !fs::exists(from), "the renamed file holds the moved bytes");
}

void sharedJournal() {
    const std::string path = here("journal.log");
    const std::string aside = here("journal.log.1");
    put(path, "old\n");
    std::unique_ptr<platform::AppendFile> first;
    std::unique_ptr<platform::AppendFile> second; // a second bot of the same host, same folder
    check(files.openAppendFile(path, first).ok() && first, "the journal opens");
    if (!first) {
        return;
    }
    check(first->size() == 4, "an opened journal counts the bytes already in it");
    platform::Status again = files.openAppendFile(path, second);
    check(again.ok() && second, "a second bot opens the same journal: " + again.reason());
    if (!second) {
        return;
    }
    check(first->append("a\n").ok(), "the first bot appends");
    check(second->append("b\n").ok(), "the second bot appends");
    check(first->sync().ok(), "the journal reaches the disk");
    check(contentOf(path) == "old\na\nb\n",
          "both bots' lines are in the journal, in order: " + contentOf(path));
    check(first->size() == 6, "the journal's size grows with what this bot appended");

    // The first bot rotates the journal while the second still holds it.
    first.reset();
    platform::Status moved = files.renameFile(path, aside);
    check(moved.ok(), "a journal another bot holds open is renamed: " + moved.reason());
    check(files.openAppendFile(path, first).ok() && first,
          "a fresh journal opens after the rotation");
    check(first && first->append("c\n").ok(), "the fresh journal takes lines");
    check(contentOf(path) == "c\n", "the fresh journal starts empty: " + contentOf(path));
}

void stampsAndClocks() {
    const std::string path = here("stamp.txt");
    check(!platform::fileStamp(here("no-such-file")).has_value(), "a missing file has no stamp");
    put(path, "12345");
    std::optional<platform::FileStamp> stamp = platform::fileStamp(path);
    check(stamp.has_value() && stamp->size == 5, "the stamp gives the file's size");
    const std::int64_t now = platform::wallClockNanoseconds();
    const std::int64_t minute = 60'000'000'000;
    check(stamp.has_value() && stamp->modified > now - minute && stamp->modified < now + minute,
          "the stamp's time is on the wall clock's scale");

    const std::uint32_t before = platform::tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::uint32_t elapsed = platform::tickCount() - before;
    check(elapsed >= 150 && elapsed < 5000,
          "the tick count counts milliseconds (" + std::to_string(elapsed) + " for 200 ms)");
}

} // namespace

int main() {
    const fs::path folder = fs::current_path() / "platform-checks.tmp";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    fs::current_path(folder);

    relativeNamesMeetTheWorkingDirectory();
    replacingFiles();
    temporaryNames();
    savingThroughALink();
    renamingOverAnOlderFile();
    lockingAFolder();
    readingLines();
    sharedJournal();
    stampsAndClocks();

    fs::current_path(folder.parent_path());
    if (failures == 0) {
        fs::remove_all(folder, ignored);
    }
    std::cout << checks << " checks, " << failures << " failed\n";
    return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
