#include "economy_arena.h"
#include "support/faulty_file_system.h"

#include "base/platform/machine.h"
#include "base/platform/platform.h"
#include "gold/file_economy.h"

#include <filesystem>

namespace quorvel::testing {
namespace {

// One inv.dat record built by hand: 20 name bytes, then eight little-endian
// counts.
std::string invRecord(std::string name, std::array<std::int32_t, 8> counts,
                      std::string afterName = "") {
    name += afterName;
    name.resize(20, '\0');
    for (std::int32_t count : counts) {
        auto value = static_cast<std::uint32_t>(count);
        for (int i = 0; i < 4; ++i) {
            name.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
        }
    }
    return name;
}

TEST(InventoryFile, LoadsWholeRecordsAndMarksTheBookLoaded) {
    {
        TestArena arena;
        arena.writeFile("inv.dat",
                        invRecord("Bob", {1, 2, 3, 4, 5, 6, 7, 8}) +
                            invRecord("Twenty_Characters_Ab", {0, 0, 0, 0, 0, 0, 0, -1}));
        openStore(arena);
        const InventoryBook& book = arena.inventory();
        ASSERT_EQ(book.size(), 2u);
        EXPECT_TRUE(arena.economy().inventoryLoaded());
        EXPECT_EQ(book.records()[0].counts, (std::array<std::int32_t, 8>{1, 2, 3, 4, 5, 6, 7, 8}));
        ASSERT_NE(book.find("twenty_characters_ab"), nullptr);
        EXPECT_EQ(book.find("TWENTY_CHARACTERS_AB")->counts[7], -1);
        EXPECT_EQ(book.find("BOB"), &book.records()[0]);
    }
    {
        // 60 bytes: one record and a part-record that is ignored.
        TestArena arena;
        arena.writeFile("inv.dat", invRecord("Ann", {9, 0, 0, 0, 0, 0, 0, 0}) + "12345678");
        openStore(arena);
        EXPECT_EQ(arena.inventory().size(), 1u);
        EXPECT_TRUE(arena.economy().inventoryLoaded());
    }
    {
        TestArena arena;
        arena.writeFile("inv.dat", "");
        openStore(arena);
        EXPECT_EQ(arena.inventory().size(), 0u);
        EXPECT_TRUE(arena.economy().inventoryLoaded());
    }
    {
        TestArena arena;
        openStore(arena);
        EXPECT_EQ(arena.inventory().size(), 0u);
        EXPECT_FALSE(arena.economy().inventoryLoaded());
    }
}

TEST(InventoryFile, SaveWritesFiftyTwoByteRecordsThatLoadBackTheSame) {
    TestArena arena;
    // Stray bytes after a name's terminator are not kept or written back.
    const std::string original =
        invRecord("Bob", {1, -2, 3, 2147483647, 0, 0, 0, 70000}, "\0junk") +
        invRecord("Twenty_Characters_Ab", {5, 0, 0, 0, 0, 0, 0, 0}) +
        invRecord("bob", {7, 7, 7, 7, 7, 7, 7, 7});
    arena.writeFile("inv.dat", original);
    openStore(arena);
    arena.inventory().appendEmpty("Newcomer");
    ASSERT_TRUE(arena.economy().saveInventory().ok());
    const std::string expected = invRecord("Bob", {1, -2, 3, 2147483647, 0, 0, 0, 70000}) +
                                 invRecord("Twenty_Characters_Ab", {5, 0, 0, 0, 0, 0, 0, 0}) +
                                 invRecord("bob", {7, 7, 7, 7, 7, 7, 7, 7}) +
                                 invRecord("Newcomer", {});
    EXPECT_EQ(arena.readFile("inv.dat"), expected);
    EXPECT_FALSE(arena.fileExists(platform::temporaryNameFor("inv.dat")));

    arena.inventory().clear();
    const LoadResult loaded = arena.economy().loadInventory(LoadMode::append);
    EXPECT_TRUE(loaded.status.ok());
    EXPECT_TRUE(loaded.findings.empty());
    const auto& records = arena.inventory().records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2].counts[0], 7); // a later duplicate is kept in place
    EXPECT_EQ(arena.inventory().find("BOB")->counts[1], -2);
    EXPECT_TRUE(sentExactly(arena.take(), {}));
}

// Whatever the name's length, the bytes after its terminator are dropped and
// the name itself kept whole, bytes of 128 and up and of 1 included.
TEST(InventoryFile, StrayBytesAfterEveryTerminatorPositionAreDropped) {
    TestArena arena;
    const std::string letters = "Ab\x01\x80"
                                "Cd\xFF\x7F"
                                "efGH\x01\x01"
                                "ij\x80\x80"
                                "KLmn";
    std::string file;
    std::string expected;
    for (std::size_t length = 0; length <= 20; ++length) {
        const std::string name = letters.substr(0, length);
        std::string field = name + std::string(1, '\0') + std::string(20, '\xFF');
        field.resize(20);
        file += invRecord(field, {static_cast<std::int32_t>(length), 0, 0, 0, 0, 0, 0, 0});
        expected += invRecord(name, {static_cast<std::int32_t>(length), 0, 0, 0, 0, 0, 0, 0});
    }
    arena.writeFile("inv.dat", file);
    openStore(arena);
    ASSERT_TRUE(arena.economy().saveInventory().ok());
    EXPECT_EQ(arena.readFile("inv.dat"), expected);
    for (std::size_t length = 1; length <= 20; ++length) {
        const InventoryRecord* found = arena.inventory().find(letters.substr(0, length));
        ASSERT_NE(found, nullptr) << length;
        EXPECT_EQ(found->counts[0], static_cast<std::int32_t>(length));
    }
}

TEST(InventoryFile, AFailedSaveLeavesTheOldFileWholeAndSaysSo) {
    FaultyFileSystem disk;
    TestArena arena;
    const std::string original = invRecord("Bob", {1, 0, 0, 0, 0, 0, 0, 0});
    arena.writeFile("inv.dat", original);
    arena.usePlatform(disk);
    openStore(arena);
    auto& staff = arena.addPlayer({.name = "Mod", .accessLevel = 2});
    for (int i = 0; i < 40; ++i) {
        arena.economy().createInventory("Player" + std::to_string(i));
    }

    disk.fillDisk();
    platform::Status saved = arena.economy().saveInventory();
    disk.makeRoom();
    EXPECT_TRUE(saved.isFailed());
    EXPECT_EQ(arena.readFile("inv.dat"), original);
    auto sent = arena.take();
    EXPECT_TRUE(sent.empty()); // the store returns it; whoever saved tells the console

    // The temporary file cannot be made at all: staff hear it failed.
    std::filesystem::create_directory(platform::temporaryNameFor("inv.dat"));
    arena.command(staff, "invsave");
    sent = arena.take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].code, Echo);
    EXPECT_EQ(sent[0].text.find("Could not save inv.dat: "), 0u) << sent[0].text;
    EXPECT_EQ(sent[1].target, staff.ident);
    EXPECT_EQ(sent[1].text.find("Inventory Database could not be saved: "), 0u) << sent[1].text;
    EXPECT_NE(sent[1].text.find("inv.dat.saving"), std::string::npos) << sent[1].text;
    // Chat names the file, never the host's folders.
    EXPECT_EQ(sent[1].text.find(arena.directory()), std::string::npos) << sent[1].text;
    EXPECT_EQ(arena.readFile("inv.dat"), original);

    // Terminate tries too, and reports on the console.
    arena.terminate();
    sent = arena.take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].text.find("Could not save inv.dat: "), 0u) << sent[0].text;
    EXPECT_EQ(arena.readFile("inv.dat"), original);

    // The host reconnects: gold.log brings back the records no save kept.
    std::filesystem::remove(platform::temporaryNameFor("inv.dat"));
    arena.handshake();
    arena.take();
    arena.command(staff, "invsave");
    EXPECT_TRUE(sentExactly(arena.take(),
                            {privateLine(staff, "Inventory Database saved for backup purposes.")}));
    EXPECT_EQ(arena.readFile("inv.dat")->size(), 41u * 52u);
}

} // namespace
} // namespace quorvel::testing
