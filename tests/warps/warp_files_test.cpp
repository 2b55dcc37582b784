#include "warps/warp_files.h"

#include <gtest/gtest.h>

namespace quorvel {

bool operator==(const WarpRectangle& a, const WarpRectangle& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

using Places = std::vector<TilePoint>;

TEST(WarpTeamFile, PairsThenTheInsertRectangleAcrossAnyWhiteSpace) {
    const std::string text = "500 500\n520\t520\r\n  490 490\n530 530\n";
    WarpTeamFile file = readWarpTeamFile(text, 2, true);
    EXPECT_EQ(file.places, (Places{{500, 500}, {520, 520}}));
    EXPECT_EQ(file.insertLeft, 490);
    ASSERT_TRUE(file.insertRectangle);
    EXPECT_EQ(*file.insertRectangle, (WarpRectangle{490, 490, 530, 530}));
    EXPECT_TRUE(file.status.ok());

    // Without warping on insert nothing after the pairs is read.
    file = readWarpTeamFile("500 500 520 520", 2, false);
    EXPECT_EQ(file.places.size(), 2u);
    EXPECT_FALSE(file.insertLeft);
    EXPECT_TRUE(file.status.ok());

    // Without team places the first number is the rectangle's left.
    file = readWarpTeamFile("490 491 530 531", 0, true);
    EXPECT_TRUE(file.places.empty());
    ASSERT_TRUE(file.insertRectangle);
    EXPECT_EQ(*file.insertRectangle, (WarpRectangle{490, 491, 530, 531}));

    // A negative count reads no places.
    file = readWarpTeamFile("7 8 9 10", -4, false);
    EXPECT_TRUE(file.places.empty());
    EXPECT_TRUE(file.status.ok());

    // A left of 0 or -1 ends the reading; words after what is needed and a
    // leading byte order mark do no harm.
    for (const char* left : {"0", "-1"}) {
        file = readWarpTeamFile(std::string("\xEF\xBB\xBF") + "1 2 " + left + " junk", 1, true);
        EXPECT_EQ(file.places, (Places{{1, 2}})) << left;
        EXPECT_EQ(file.insertLeft, std::stoi(left));
        EXPECT_FALSE(file.insertRectangle);
        EXPECT_TRUE(file.status.ok());
    }
}

TEST(WarpTeamFile, ShortOrDamagedFilesYieldOnlyWhatWasRead) {
    // Team 1's x without its y is no place.
    WarpTeamFile file = readWarpTeamFile("500 500 520", 2, true);
    EXPECT_EQ(file.places, (Places{{500, 500}}));
    EXPECT_FALSE(file.insertLeft);
    EXPECT_EQ(file.status.reason(), warpTeamFileShort);

    // A rectangle missing its bottom is no rectangle, though its left was read.
    file = readWarpTeamFile("500 500 490 490 530", 1, true);
    EXPECT_EQ(file.insertLeft, 490);
    EXPECT_FALSE(file.insertRectangle);
    EXPECT_EQ(file.status.reason(), warpTeamFileShort);

    // Nothing after a damaged token is taken, even when it looks fine.
    for (const char* damaged : {"5x0", "520,", "+520", "2147483648", "-2147483649",
                                "99999999999999999999", "-", "0x20"}) {
        file =
            readWarpTeamFile(std::string("500 500 ") + damaged + " 520 490 490 530 530", 3, true);
        EXPECT_EQ(file.places, (Places{{500, 500}})) << damaged;
        EXPECT_FALSE(file.insertLeft) << damaged;
        EXPECT_EQ(file.status.reason(), warpTeamFileDamaged) << damaged;
    }

    // The ends of the 32-bit range are numbers.
    file = readWarpTeamFile("-2147483648 2147483647", 1, false);
    EXPECT_EQ(file.places, (Places{{-2147483647 - 1, 2147483647}}));

    // An enormous count reads what is there and stops.
    file = readWarpTeamFile("1 2 3 4", 2147483647, true);
    EXPECT_EQ(file.places, (Places{{1, 2}, {3, 4}}));
    EXPECT_EQ(file.status.reason(), warpTeamFileShort);

    file = readWarpTeamFile("", 0, true);
    EXPECT_FALSE(file.insertLeft);
    EXPECT_EQ(file.status.reason(), warpTeamFileShort);
}

TEST(WarpAreaFile, CompleteRecordsInFileOrder) {
    WarpAreaFile file = readWarpAreaFile("1 2 3 4 5 6\n10 20 30 40 50 60\n", 2);
    ASSERT_EQ(file.records.size(), 2u);
    EXPECT_EQ(file.records[0].area, (WarpRectangle{1, 2, 3, 4}));
    EXPECT_EQ(file.records[0].destination, (TilePoint{5, 6}));
    EXPECT_EQ(file.records[1].area, (WarpRectangle{10, 20, 30, 40}));
    EXPECT_EQ(file.records[1].destination, (TilePoint{50, 60}));
    EXPECT_TRUE(file.status.ok());

    // Only as many records as the count asks for.
    EXPECT_EQ(readWarpAreaFile("1 2 3 4 5 6 7 8 9 10 11 12", 1).records.size(), 1u);
    EXPECT_TRUE(readWarpAreaFile("1 2 3 4 5 6", -1).records.empty());

    // A record without its destination is dropped.
    file = readWarpAreaFile("1 2 3 4 5 6 10 20 30 40 50", 2);
    EXPECT_EQ(file.records.size(), 1u);
    EXPECT_EQ(file.status.reason(), warpAreaFileShort);

    file = readWarpAreaFile("1 2 3 4 5 6 10 20 30 40 fifty 60", 3);
    EXPECT_EQ(file.records.size(), 1u);
    EXPECT_EQ(file.status.reason(), warpAreaFileDamaged);

    file = readWarpAreaFile(" \n\t", 2147483647);
    EXPECT_TRUE(file.records.empty());
    EXPECT_EQ(file.status.reason(), warpAreaFileShort);
}

TEST(WarpRectangle, BorderTilesAreOutside) {
    const WarpRectangle box{490, 490, 530, 530};
    EXPECT_TRUE(insideRectangle(box, 500, 500));
    EXPECT_TRUE(insideRectangle(box, 491, 529));
    EXPECT_FALSE(insideRectangle(box, 490, 500));
    EXPECT_FALSE(insideRectangle(box, 530, 500));
    EXPECT_FALSE(insideRectangle(box, 500, 490));
    EXPECT_FALSE(insideRectangle(box, 500, 530));
    // Comparisons are signed.
    EXPECT_TRUE(insideRectangle({-1, -1, 530, 530}, 0, 0));
}

} // namespace
} // namespace quorvel
