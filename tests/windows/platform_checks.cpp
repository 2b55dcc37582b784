// Checks of the platform layer's file handling that differ most between
// Windows and POSIX: crash-safe replacement (through a link too), renames
// over an existing file, the journal's shared append file, the folder lock,
// reading lines in chunks, file stamps and the tick count. Built
// for Linux (a ctest) and for Windows (run under Wine by
// scripts/check-windows). Prints one line per failed check; exits 1 when
// any failed.
#include "base/platform/platform.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
namespace platform = quorvel::platform;

namespace {

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
    return platform::readWholeFile(path).value_or("(no file)");
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
    check(static_cast<bool>(platform::replaceFile(path, bytes)), "replaceFile creates a new file");
    check(contentOf(path) == bytes, "replaceFile writes the bytes unchanged");
    check(static_cast<bool>(platform::replaceFile(path, "second")),
          "replaceFile replaces an existing file");
    check(contentOf(path) == "second", "the replaced file holds the new bytes only");
    check(!fs::exists(platform::temporaryNameFor(path)), "no temporary file is left after a save");

    platform::injectWriteFault(3, 1);
    platform::FileResult full = platform::replaceFile(path, "third, longer than three bytes");
    check(!full.ok && !full.error.empty(), "a write that fails part-way is reported");
    check(contentOf(path) == "second", "a failed save leaves the old file whole");
    check(!fs::exists(platform::temporaryNameFor(path)),
          "a failed save removes its temporary file");

    // Someone reading the file while it is saved: Windows may refuse the
    // replacement, POSIX allows it. Either way the answer must tell the truth.
    {
        std::ifstream reader(path, std::ios::binary);
        platform::FileResult busy = platform::replaceFile(path, "fourth");
        reader.close();
        const std::string now = contentOf(path);
        check(busy.ok ? now == "fourth" : now == "second",
              std::string("a save over a file held open reports what happened (") +
                  (busy.ok ? "ok" : busy.error) + ", file holds \"" + now + "\")");
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
    platform::replaceFile(target, "old");
    if (!makeLink(target, link)) {
        std::cout << "skipped: a save through a link (no link could be made here)\n";
        return;
    }
    platform::FileResult saved = platform::replaceFile(link, "new");
    check(saved.ok, "a save through a link succeeds: " + saved.error);
    check(isLink(link), "a save through a link leaves the link a link");
    check(contentOf(target) == "new", "a save through a link replaces the file it points to");
}

void lockingAFolder() {
    const std::string path = here("quorvel.lock");
    platform::FileLock first;
    platform::FileLock second;
    platform::FileResult taken = first.acquire(path);
    check(taken.ok && first.held(), "a free lock is taken: " + taken.error);
    check(contentOf(path) == std::to_string(platform::processId()) + "\n",
          "the lock file names its holder and can be read while held: " + contentOf(path));
    platform::FileResult refused = second.acquire(path);
    check(!refused.ok && !second.held(), "a held lock is refused to a second holder");
    check(refused.error.find("it is held by") != std::string::npos,
          "a refused lock says it is held: " + refused.error);
    first.release();
    taken = second.acquire(path);
    check(taken.ok, "a released lock is taken again: " + taken.error);
    second.release();
    check(contentOf(path).empty(), "a released lock file names no holder");
}

void readingLines() {
    const std::string path = here("lines.log");
    platform::replaceFile(path, "one\r\ntwo\n" + std::string(20, 'x') + "\nthree");
    std::vector<std::string> lines;
    platform::ReadResult read =
        platform::forEachLine(path, 3, 10, [&](std::string_view text, bool ended, bool tooLong) {
            lines.push_back(std::string(text) + (ended ? "|" : "") + (tooLong ? "!" : ""));
        });
    const std::vector<std::string> expected = {"one\r|", "two|", "|!", "three"};
    check(read.status == platform::ReadStatus::read && lines == expected,
          "lines are read in chunks, a too long one passed over: " + read.error);
    read = platform::forEachLine(here("no-such.log"), 3, 10, [](std::string_view, bool, bool) {});
    check(read.status == platform::ReadStatus::missing, "a missing file has no lines to read");
    read = platform::forEachLine(platform::currentDirectory(), 3, 10,
                                 [](std::string_view, bool, bool) {});
    check(read.status == platform::ReadStatus::failed && !read.error.empty(),
          "a folder cannot be read line by line: " + read.error);
}

void renamingOverAnOlderFile() {
    const std::string from = here("log");
    const std::string to = here("log.1");
    platform::replaceFile(to, "older");
    platform::replaceFile(from, "newer");
    check(static_cast<bool>(platform::renameFile(from, to)), "renameFile replaces an older file");
    check(contentOf(to) == "newer" && !fs::exists(from), "the renamed file holds the moved bytes");
}

void sharedJournal() {
    const std::string path = here("journal.log");
    const std::string aside = here("journal.log.1");
    platform::replaceFile(path, "old\n");
    platform::AppendFile first;
    platform::AppendFile second; // a second bot of the same host, same folder
    check(static_cast<bool>(first.open(path)), "the journal opens");
    check(first.size() == 4, "an opened journal counts the bytes already in it");
    platform::FileResult again = second.open(path);
    check(static_cast<bool>(again), "a second bot opens the same journal: " + again.error);
    check(static_cast<bool>(first.append("a\n")), "the first bot appends");
    check(static_cast<bool>(second.append("b\n")), "the second bot appends");
    check(static_cast<bool>(first.sync()), "the journal reaches the disk");
    check(contentOf(path) == "old\na\nb\n",
          "both bots' lines are in the journal, in order: " + contentOf(path));
    check(first.size() == 6, "the journal's size grows with what this bot appended");

    // The first bot rotates the journal while the second still holds it.
    first.close();
    platform::FileResult moved = platform::renameFile(path, aside);
    check(static_cast<bool>(moved), "a journal another bot holds open is renamed: " + moved.error);
    check(static_cast<bool>(first.open(path)), "a fresh journal opens after the rotation");
    check(static_cast<bool>(first.append("c\n")), "the fresh journal takes lines");
    check(contentOf(path) == "c\n", "the fresh journal starts empty: " + contentOf(path));
    second.close();
    first.close();
}

void stampsAndClocks() {
    const std::string path = here("stamp.txt");
    check(!platform::fileStamp(here("no-such-file")).has_value(), "a missing file has no stamp");
    platform::replaceFile(path, "12345");
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
