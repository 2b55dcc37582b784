#include "lib/gold_file.h"
#include "lib/script.h"
#include "lib/workdir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace quorvel::host;

TEST(GoldFile, ReadsRecordsAsTheModuleWritesThem) {
    std::filesystem::path dir = makeFreshFolder();
    std::filesystem::path path = dir / "gold.dat";
    // Bytes after the name's NUL carry no meaning.
    std::string bytes(48, '\0');
    bytes[0] = '\x01';
    bytes[1] = '\x02';
    std::string first = "Bob\0junk";
    bytes.replace(4, 8, "Bob\0junk", 8);
    bytes[24] = '\xff';
    bytes[25] = '\xff';
    bytes[26] = '\xff';
    bytes[27] = '\xff';
    bytes.replace(28, 3, "BOB");
    std::ofstream(path, std::ios::binary).write(bytes.data(), 48);

    auto entries = readGoldFile(path);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Bob");
    EXPECT_EQ(entries[0].amount, 0x0201u);
    EXPECT_EQ(entries[1].amount, 4294967295u);
    // First match, ignoring ASCII case only.
    EXPECT_EQ(goldOf(entries, "bob"), 0x0201u);
    EXPECT_EQ(goldOf(entries, "Bo"), std::nullopt);

    std::ofstream(path, std::ios::binary | std::ios::app).write("x", 1);
    EXPECT_THROW(readGoldFile(path), ScriptError);
    std::filesystem::remove_all(dir);
    EXPECT_THROW(readGoldFile(path), ScriptError);
}
