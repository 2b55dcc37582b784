// Saving onto a full disk: gold.dat, inv.dat and Ghoulset.ini stay as they
// were, no temporary file is left behind, the console and the staff member
// who asked are told why, and gold.log still brings the unsaved changes back
// after the host dies. The disk is a real small tmpfs filled to the last page
// when this machine lets the test mount one; the same checks also run on a
// full disk played by the bot's file system, so they run everywhere.
#include "support/faulty_file_system.h"
#include "support/full_disk.h"
#include "support/test_arena.h"

#include "base/platform/machine.h"
#include "base/platform/platform.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace quorvel::testing {
namespace {

using Texts = std::vector<std::string>;

constexpr std::size_t fillerAccounts = 1500;

std::string goldRecord(std::uint32_t amount, const std::string& name) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((amount >> shift) & 0xFFu);
    }
    std::string field = name;
    field.resize(20, '\0');
    return bytes + field;
}

std::string inventoryRecord(const std::string& name, std::int32_t guns) {
    std::string bytes = name;
    bytes.resize(20, '\0');
    for (std::size_t item = 0; item < 8; ++item) {
        const auto value = static_cast<std::uint32_t>(item == 0 ? guns : 0);
        for (int shift = 0; shift < 32; shift += 8) {
            bytes += static_cast<char>((value >> shift) & 0xFFu);
        }
    }
    return bytes;
}

// Bob 1000 and Al 50 among many others, so that neither file fits into the
// slack of a page.
std::string goldFile(std::uint32_t bob) {
    std::string bytes = goldRecord(bob, "Bob") + goldRecord(50, "Al");
    for (std::size_t i = 0; i < fillerAccounts; ++i) {
        bytes += goldRecord(static_cast<std::uint32_t>(i), "Filler" + std::to_string(i));
    }
    return bytes;
}
std::string inventoryFile(std::int32_t bobsGuns) {
    std::string bytes = inventoryRecord("Bob", bobsGuns);
    for (std::size_t i = 0; i < fillerAccounts; ++i) {
        bytes += inventoryRecord("Filler" + std::to_string(i), static_cast<std::int32_t>(i));
    }
    return bytes;
}

std::string lines(std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* part : parts) {
        text += (text.empty() ? "" : std::string(platform::textLineEnd())) + part;
    }
    return text;
}

const std::string ghoulsetBefore = lines({"3 1", "4 4", "0 0 0 0"});

enum class Disk { RealTmpfs, InjectedFault };

void PrintTo(Disk disk, std::ostream* out) {
    *out << (disk == Disk::RealTmpfs ? "a real tmpfs" : "a full disk played by the file system");
}

std::string describe(const ::testing::TestParamInfo<Disk>& info) {
    return info.param == Disk::RealTmpfs ? "RealTmpfs" : "InjectedFault";
}

// A folder whose disk can be filled and emptied again.
class FullDisk : public ::testing::TestWithParam<Disk> {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-diskfull-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = std::filesystem::canonical(pattern).string();
        if (GetParam() == Disk::RealTmpfs) {
            if (std::optional<std::string> why = mountTmpfs()) {
                GTEST_SKIP() << "cannot mount a small tmpfs here (" << *why << "); "
                             << withoutTmpfs_;
            }
        }
        write("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=2\n");
        write("gold.dat", goldFile(1000));
        write("inv.dat", inventoryFile(2));
        write("Ghoulset.ini", ghoulsetBefore);
    }

    void TearDown() override {
        if (mounted_) {
            ::umount2(folder_.c_str(), MNT_DETACH);
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // Takes every free page of the file system (or has the bots' file system
    // fail every write the way a full disk does).
    void fill() {
        if (!mounted_) {
            files_.fillDisk();
            return;
        }
        quorvel::testing::fillFileSystem(folder_ + "/filler");
    }
    void makeRoom() {
        files_.makeRoom();
        std::filesystem::remove(folder_ + "/filler");
    }

    std::string reason(const std::string& temporaryName) const {
        return "cannot write " + temporaryName + ": " + std::strerror(ENOSPC);
    }
    std::string goldReason() const { return reason(platform::temporaryNameFor("gold.dat")); }
    std::string inventoryReason() const { return reason(platform::temporaryNameFor("inv.dat")); }
    std::string ghoulsetReason() const {
        return reason(platform::temporaryNameFor("Ghoulset.ini"));
    }

    std::optional<std::string> read(const std::string& name) const {
        std::ifstream in(folder_ + "/" + name, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(folder_ + "/" + name, std::ios::binary) << bytes;
    }
    void expectNoTemporaryFiles() const {
        for (const char* name : {"gold.dat", "inv.dat", "Ghoulset.ini"}) {
            EXPECT_FALSE(std::filesystem::exists(platform::temporaryNameFor(folder_ + "/" + name)))
                << name << "'s temporary file was left behind";
        }
    }
    void expectFilesAsBefore() const {
        EXPECT_EQ(read("gold.dat"), goldFile(1000));
        EXPECT_EQ(read("inv.dat"), inventoryFile(2));
        EXPECT_EQ(read("Ghoulset.ini"), ghoulsetBefore);
        expectNoTemporaryFiles();
    }

    std::string folder_;
    FaultyFileSystem files_; // the bots' file system, full when no tmpfs is
    // What runs instead when no tmpfs can be mounted.
    std::string withoutTmpfs_ = "the InjectedFault variant runs the same checks on a full disk "
                                "played by the file system";

private:
    // A tmpfs of 512 KiB over the folder; the reason when it cannot be had.
    std::optional<std::string> mountTmpfs() {
        // In a mount namespace of our own the mount goes away with the
        // process, even one that dies before TearDown.
        static const bool ownNamespace =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        (void)ownNamespace;
        if (::mount("quorvel-diskfull", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=512k") != 0) {
            return std::string("mount: ") + std::strerror(errno);
        }
        mounted_ = true;
        return std::nullopt;
    }

    bool mounted_ = false;
};

// Staff save by hand: each of the three files fails with the reason, on the
// console and to the staff member, and saves again once there is room.
TEST_P(FullDisk, StaffSavesFailWithTheReasonAndKeepThePreviousFiles) {
    TestArena arena(folder_, 7);
    arena.usePlatform(files_);
    arena.handshake();
    PlayerRecord& staff = arena.addPlayer({.name = "Warden", .accessLevel = 2});
    arena.command(staff, "givegold", "Bob:100");
    arena.command(staff, "zship", "5");
    arena.take();

    fill();
    arena.command(staff, "goldsave");
    EXPECT_EQ(
        arena.take(),
        (std::vector<Sent>{console("Could not save gold.dat: " + goldReason() +
                                   ". The previous gold.dat is unchanged."),
                           privateLine(staff, "Gold accounts could not be saved: " + goldReason() +
                                                  ". The previous backup is unchanged.")}));
    arena.command(staff, "invsave");
    EXPECT_EQ(arena.take(),
              (std::vector<Sent>{
                  console("Could not save inv.dat: " + inventoryReason() +
                          ". The previous inv.dat is unchanged."),
                  privateLine(staff, "Inventory Database could not be saved: " + inventoryReason() +
                                         ". The previous backup is unchanged.")}));
    arena.command(staff, "zsave");
    EXPECT_EQ(
        arena.take(),
        (std::vector<Sent>{privateLine(staff, "Zombies game settings could not be saved to file: " +
                                                  ghoulsetReason())}));
    expectFilesAsBefore();

    makeRoom();
    arena.command(staff, "goldsave");
    arena.command(staff, "invsave");
    arena.command(staff, "zsave");
    EXPECT_EQ(arena.takeTexts(), (Texts{"Gold accounts saved for backup purposes.",
                                        "Inventory Database saved for backup purposes.",
                                        "Zombies game settings have been saved to file."}));
    EXPECT_EQ(read("gold.dat"), goldFile(1100));
    EXPECT_EQ(read("inv.dat"), inventoryFile(2));
    EXPECT_EQ(read("Ghoulset.ini"), lines({"3 1", "4 5", "0 0 0 0"}));
    expectNoTemporaryFiles();
}

// The saves nobody asked for: the autosave and the one at Terminate. Neither
// may report success or mark gold.log as saved, so a bot started after the
// host has gone still finds the unsaved changes.
TEST_P(FullDisk, AutosaveAndTerminateFailLoudlyAndTheJournalKeepsTheChanges) {
    {
        TestArena arena(folder_, 7);
        arena.usePlatform(files_);
        arena.handshake();
        PlayerRecord& staff = arena.addPlayer({.name = "Warden", .accessLevel = 2});
        arena.command(staff, "givegold", "Bob:100");
        arena.command(staff, "takegold", "Al:8");
        arena.command(staff, "zteam", "6");
        arena.take();

        fill();
        arena.tick(2);
        EXPECT_EQ(arena.takeTexts(), (Texts{"AutoSave...",
                                            "Could not save gold.dat: " + goldReason() +
                                                ". The previous gold.dat is unchanged.",
                                            "Could not save inv.dat: " + inventoryReason() +
                                                ". The previous inv.dat is unchanged."}));
        expectFilesAsBefore();

        arena.terminate();
        EXPECT_EQ(arena.takeTexts(), (Texts{"Could not save inv.dat: " + inventoryReason() +
                                                ". The previous inv.dat is unchanged.",
                                            "Could not save gold.dat: " + goldReason() +
                                                ". The previous gold.dat is unchanged.",
                                            "Ghoulset.ini could not be saved: " + ghoulsetReason(),
                                            "DLL plugin disconnected."}));
        expectFilesAsBefore();
    }
    // The host is started again once the operator has made room.
    makeRoom();
    TestArena arena(folder_, 7);
    arena.usePlatform(files_);
    arena.handshake();
    EXPECT_EQ(arena.takeTexts(),
              (Texts{"DLL plugin connected.", "Recovered 2 changes from gold.log."}));
    EXPECT_EQ(arena.gold().balance("Bob"), 1100u);
    EXPECT_EQ(arena.gold().balance("Al"), 42u);
    arena.tick(2);
    EXPECT_EQ(arena.takeTexts(), Texts{"AutoSave..."});
    std::string expected = goldFile(1100);
    expected.replace(24, 4, goldRecord(42, "Al").substr(0, 4));
    EXPECT_EQ(read("gold.dat"), expected);
    expectNoTemporaryFiles();
}

// A change gold.log cannot take: ending its cause returns the failure, the
// caller tells the console, and the console hears it in the same words once
// for each run of failures. (A real disk may take a few records more into
// the last page gold.log holds, so each run is waited for.)
TEST_P(FullDisk, AChangeTheJournalCannotTakeIsToldOnceFromWhatItsCauseReturns) {
    TestArena arena(folder_, 7);
    arena.usePlatform(files_);
    arena.handshake();
    PlayerRecord& staff = arena.addPlayer({.name = "Warden", .accessLevel = 2});
    arena.take();
    EconomyBackend& economy = arena.economy();
    // One record of two changes, the second under a cause nested in it.
    const auto giveTwice = [&economy] {
        EconomyBackend::Cause giving(economy, 1, "givegold", "Warden");
        economy.credit("Bob", 1);
        EconomyBackend::Cause again(economy, 1, "givegold again", "Warden");
        economy.credit("Bob", 1);
        EXPECT_TRUE(again.end().ok()) << "an inner cause writes no record of its own";
        return giving.end();
    };

    fill();
    platform::Status failed;
    for (int gift = 0; gift < 500 && failed.ok(); ++gift) {
        failed = giveTwice();
    }
    ASSERT_TRUE(failed.isFailed()) << "gold.log never ran out of room";
    EXPECT_NE(failed.reason(), "");
    EXPECT_TRUE(arena.take().empty()) << "the economy told the console what its caller hears";
    const Sent told = console("gold.log cannot be written (" + failed.reason() +
                              "); gold changes are kept in memory until the next save.");
    // The same run: neither a cause's end nor the console hears of it again.
    EXPECT_TRUE(giveTwice().ok());
    arena.command(staff, "givegold", "Bob:1");
    EXPECT_EQ(arena.take(), (std::vector<Sent>{privateLine(staff, "1 Gold given to Bob")}));

    // Written again (with every record waiting), and full again: the next
    // run is told once, from what the command's cause returned.
    makeRoom();
    EXPECT_TRUE(giveTwice().ok());
    fill();
    std::vector<Sent> sent;
    for (int gift = 0; gift < 500 && sent.size() < 2; ++gift) {
        arena.command(staff, "givegold", "Bob:1");
        sent = arena.take();
    }
    EXPECT_EQ(sent, (std::vector<Sent>{privateLine(staff, "1 Gold given to Bob"), told}));
    arena.command(staff, "givegold", "Bob:1");
    EXPECT_EQ(arena.take(), (std::vector<Sent>{privateLine(staff, "1 Gold given to Bob")}));
}

// gold.log itself on a full disk: the line that no longer fits is cut short
// by the file system. Once there is room again, the next change must still
// reach the journal as a line of its own and come back after a crash.
// A line cut short part-way needs the real file system: the full disk the
// file system plays writes nothing of a line that does not fit.
class FullFileSystem : public FullDisk {
protected:
    FullFileSystem() {
        withoutTmpfs_ = "JournalCutShort checks a gold.log cut short on any disk instead";
    }
};

TEST_P(FullFileSystem, AJournalLineCutShortByAFullDiskDoesNotSwallowTheNextOne) {
    {
        TestArena arena(folder_, 7);
        arena.handshake();
        PlayerRecord& staff = arena.addPlayer({.name = "Warden", .accessLevel = 2});
        arena.command(staff, "givegold", "Bob:1"); // gold.log has a page, partly used
        arena.take();
        fill();
        bool journalFailed = false;
        for (int gift = 0; gift < 500 && !journalFailed; ++gift) {
            arena.command(staff, "givegold", "Bob:1");
            for (const std::string& text : arena.takeTexts()) {
                journalFailed = journalFailed || text.rfind("gold.log cannot be written (", 0) == 0;
            }
        }
        ASSERT_TRUE(journalFailed) << "gold.log never ran out of room";
        makeRoom();
        arena.command(staff, "givegold", "Al:5");
        ASSERT_EQ(arena.gold().balance("Al"), 55u);
    } // the host dies without Terminate
    TestArena arena(folder_, 7);
    arena.handshake();
    EXPECT_EQ(arena.gold().balance("Al"), 55u) << *read("gold.log");
}

INSTANTIATE_TEST_SUITE_P(Saves, FullDisk, ::testing::Values(Disk::RealTmpfs, Disk::InjectedFault),
                         describe);
INSTANTIATE_TEST_SUITE_P(Journal, FullFileSystem, ::testing::Values(Disk::RealTmpfs), describe);

} // namespace
} // namespace quorvel::testing
