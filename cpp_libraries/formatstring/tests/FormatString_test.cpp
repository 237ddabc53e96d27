#include "FormatString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The first attempt holds up to 1022 characters; the lengths around that
// limit must come out whole whichever attempt produced them.
class FormatStringLength : public ::testing::TestWithParam<size_t> {};

TEST_P(FormatStringLength, ArgumentTextComesOutWhole)
{
    std::string text(GetParam(), 'x');
    text.back() = 'z';
    EXPECT_EQ(FormatString("%s", text.c_str()), text);
}

TEST_P(FormatStringLength, LiteralFormatComesOutWhole)
{
    std::string text(GetParam(), 'y');
    text.back() = 'z';
    EXPECT_EQ(FormatString(text), text);
}

INSTANTIATE_TEST_SUITE_P(AroundFirstBuffer, FormatStringLength,
                         ::testing::Values(1, 1021, 1022, 1023, 1024, 1025, 100000));

TEST(FormatString, SecondAttemptReadsTheSameArguments)
{
    std::string head(700, 'a');
    std::string tail(900, 'b');
    std::string result = FormatString("%s %d %s|%.2f", head.c_str(), -42, tail.c_str(), 8.5);
    EXPECT_EQ(result, head + " -42 " + tail + "|8.50");
}

TEST(FormatString, ShortFormats)
{
    EXPECT_EQ(FormatString(""), "");
    EXPECT_EQ(FormatString("%%"), "%");
    EXPECT_EQ(FormatString("%i%%", 15), "15%");
    EXPECT_EQ(FormatString("%s:%d:%s ", "unit", 7, "fn"), "unit:7:fn ");
}

}
