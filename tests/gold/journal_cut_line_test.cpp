// gold.log ending in a line cut short, as a full disk or a machine that went
// down part-way through a write leaves it: the next change written must stay
// a line of its own and come back after a crash, and the cut line must never
// be read as a change, wherever it was cut.
#include "support/test_arena.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace quorvel::testing {
namespace {

std::string goldRecord(std::uint32_t amount, const std::string& name) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((amount >> shift) & 0xFFu);
    }
    std::string field = name;
    field.resize(20, '\0');
    return bytes + field;
}

struct Folder {
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvel-cutline-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~Folder() { std::filesystem::remove_all(path); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path + "/" + name, std::ios::binary) << bytes;
    }
    std::string path;
};

TEST(JournalCutShort, TheNextChangeSurvivesWhereverTheLastLineWasCut) {
    const std::string whole = "2026-12-08T08:00:00Z\tgivegold\tWarden\tBob\tgold\t+1\t1001\n";
    const std::string cut = "2026-12-08T08:00:01Z\tgivegold\tWarden\tBob\tgold\t+74\t1075";
    for (std::size_t length = 1; length <= cut.size(); ++length) {
        SCOPED_TRACE("gold.log cut after " + std::to_string(length) +
                     " bytes: " + cut.substr(0, length));
        Folder folder;
        folder.write("quorvel.ini", "[Settings]\nInventory=1\nAutoSave=0\n");
        folder.write("gold.dat", goldRecord(1000, "Bob") + goldRecord(50, "Al"));
        folder.write("gold.log", whole + cut.substr(0, length));
        {
            TestArena arena(folder.path, 7);
            arena.handshake();
            ASSERT_EQ(arena.gold().balance("Bob"), 1001u);
            PlayerRecord& staff = arena.addPlayer({.name = "Warden", .accessLevel = 2});
            arena.command(staff, "givegold", "Al:5");
            ASSERT_EQ(arena.gold().balance("Al"), 55u);
        } // the host dies without Terminate
        TestArena arena(folder.path, 7);
        arena.handshake();
        EXPECT_EQ(arena.gold().balance("Al"), 55u);
        EXPECT_EQ(arena.gold().balance("Bob"), 1001u);
    }
}

} // namespace
} // namespace quorvel::testing
