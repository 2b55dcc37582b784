#include "base/text/text_rules.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(TextRules, Decimal) {
    EXPECT_EQ(decimal(std::int32_t{-5}), "-5");
    EXPECT_EQ(decimal(std::int32_t{0}), "0");
    EXPECT_EQ(decimal(std::int32_t{7}), "7");
    EXPECT_EQ(decimal(std::int32_t{-2147483647 - 1}), "-2147483648");
    // Gold amounts of 2^31 and more print as negative numbers.
    EXPECT_EQ(decimal(std::uint32_t{4294967294u}), "-2");
    EXPECT_EQ(decimal(std::uint32_t{2147483647u}), "2147483647");
}

TEST(TextRules, NumberReadingWrapsAndDoesNotValidate) {
    EXPECT_EQ(readNumber("-0042"), -42);
    EXPECT_EQ(readNumber("ff"), 165);
    EXPECT_EQ(readNumber("4294967306"), 10);
    EXPECT_EQ(readNumber(""), 0);
    EXPECT_EQ(readNumber("-"), 0);
}

TEST(TextRules, NumericTest) {
    for (const char* yes : {"12", "-12", "0", "007", "99999999999999999999999"}) {
        EXPECT_TRUE(isNumeric(yes)) << yes;
    }
    for (const char* no : {"1-2", "+5", " 5", "5 ", "", "-", "--1", "1.0", "x"}) {
        EXPECT_FALSE(isNumeric(no)) << no;
    }
}

TEST(TextRules, BoundedReadingNeverWraps) {
    EXPECT_EQ(readInt32("2147483647"), 2147483647);
    EXPECT_EQ(readInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(readInt32("2147483648"), std::nullopt);
    EXPECT_EQ(readInt32("-2147483649"), std::nullopt);
    EXPECT_EQ(readInt32("4294967306"), std::nullopt);
    EXPECT_EQ(readInt32("99999999999999999999999999"), std::nullopt);
    EXPECT_EQ(readInt32("12a"), std::nullopt);
    EXPECT_EQ(readBoundedNumber("8", 1, 8), 8);
    EXPECT_EQ(readBoundedNumber("9", 1, 8), std::nullopt);
    EXPECT_EQ(readBoundedNumber("-0", 0, 0), 0);
    EXPECT_EQ(readBoundedNumber("-12", -100, 100), -12);
    for (const char* no : {"1-2", "+5", " 5", "5 ", "", "-", "--1", "1.0", "x", "1/2", "9:"}) {
        EXPECT_EQ(readBoundedNumber(no, -100, 100), std::nullopt) << no;
    }
}

TEST(TextRules, CaseAndPrefixAndTrim) {
    EXPECT_TRUE(equalIgnoringCase("BoB", "bob"));
    EXPECT_FALSE(equalIgnoringCase("bob", "bob "));
    EXPECT_FALSE(equalIgnoringCase("\xC9", "\xE9")); // only A to Z fold
    EXPECT_TRUE(beginsWith("Current Jackpot: 5", "Current Jackpot: "));
    EXPECT_FALSE(beginsWith("current Jackpot: 5", "Current Jackpot: "));
    EXPECT_TRUE(beginsWith("anything", ""));
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(trim("\ta\t"), "\ta\t");
    EXPECT_EQ(trim("    "), "");
}

TEST(TextRules, SplitAtFirstSeparator) {
    std::string source = "Bob : 500";
    EXPECT_EQ(splitAt(source, ':'), "Bob");
    EXPECT_EQ(source, "500");

    source = "  no colon here ";
    EXPECT_EQ(splitAt(source, ':'), "no colon here");
    EXPECT_EQ(source, "  no colon here ");

    source = "a:b:c";
    EXPECT_EQ(splitAt(source, ':'), "a");
    EXPECT_EQ(source, "b:c");

    source = std::string("x:") + std::string(40000, 'y');
    splitAt(source, ':');
    EXPECT_EQ(source.size(), 32000u);
}

TEST(TextRules, FillToWidthAndParts) {
    EXPECT_EQ(fillToWidth("Name", 10), "Name      ");
    EXPECT_EQ(fillToWidth("abcdefghijklmnopqrstuvwxy", 19), "abcdefghijklmnopqrs");
    EXPECT_EQ(fillToWidth("", 3), "   ");
    EXPECT_EQ(leftPart("Bob", 1), "B");
    EXPECT_EQ(leftPart("Bob", 10), "Bob");
    EXPECT_EQ(rightPart("Bob", 2), "ob");
    EXPECT_EQ(rightPart("Bob", 10), "Bob");
    EXPECT_EQ(middlePart("Bob", 1, 32), "ob");
    EXPECT_EQ(middlePart("X", 1, 32), "");
    const char field[4] = {'a', 'b', 'c', 'd'}; // no terminator
    EXPECT_EQ(fieldText(field, sizeof field), "abcd");
}

} // namespace
} // namespace quorvel
