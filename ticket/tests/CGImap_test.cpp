#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "CGImap.h"
#include "CGIpair.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

Pairs Parse(const std::string& query)
{
    Pairs pairs;
    for (const CGIpair& pair : CGImap(query))
        pairs.emplace_back(pair.first, pair.second);
    return pairs;
}

struct QueryCase {
    const char* query;
    Pairs pairs;
};

void PrintTo(const QueryCase& c, std::ostream* os)
{
    *os << '"' << c.query << '"';
}

class QueryStringTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(QueryStringTest, GivesThePairsInOrder)
{
    EXPECT_EQ(GetParam().pairs, Parse(GetParam().query)) << GetParam().query;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QueryStringTest,
    ::testing::Values(
        QueryCase{"com=view&id=T123&printer=lp&plant=2", {{"com", "view"}, {"id", "T123"}, {"printer", "lp"}, {"plant", "2"}}},
        QueryCase{"id=A%20B+C", {{"id", "A B C"}}},
        QueryCase{"x=%41%6a", {{"x", "Aj"}}},
        QueryCase{"", {}},
        QueryCase{"a=1&b", {{"a", "1"}}},
        QueryCase{"a&b=2", {{"a&b", "2"}}},
        QueryCase{"a=1&=2&c=3", {{"a", "1"}}},
        // The last value is parsed once: its "=" is data.
        QueryCase{"a=1&n=x=y", {{"a", "1"}, {"n", "x=y"}}},
        QueryCase{"id=T1=com=save", {{"id", "T1=com=save"}}},
        QueryCase{"x=%zz", {{"x", "S"}}},
        // Split before decoding: encoded separators are data.
        QueryCase{"a%3Db=c%26d&e=f", {{"a=b", "c&d"}, {"e", "f"}}},
        QueryCase{"a=&b=2", {{"a", ""}, {"b", "2"}}},
        QueryCase{"a=1&", {{"a", "1"}}},
        QueryCase{"=1", {}},
        QueryCase{"n%00m=v%00w", {{std::string("n\0m", 3), std::string("v\0w", 3)}}},
        QueryCase{"com=print&com=view", {{"com", "print"}, {"com", "view"}}}));

struct DecodeCase {
    std::string encoded;
    std::string decoded;
};

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << '"' << c.encoded << '"';
}

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, DecodesByteForByte)
{
    EXPECT_EQ(GetParam().decoded, CGIpair::decodeURLString(GetParam().encoded)) << GetParam().encoded;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeTest,
    ::testing::Values(DecodeCase{"plain-text_1.", "plain-text_1."},
                      DecodeCase{"a+b++c", "a b  c"},
                      DecodeCase{"%2B%2b", "++"},
                      DecodeCase{"%41%61%4A%4a%7E", "AaJJ~"},
                      DecodeCase{"%e9%FF%80", "\xe9\xff\x80"},
                      DecodeCase{"%00", std::string(1, '\0')},
                      DecodeCase{"%25%32%30", "%20"},
                      // No validation: whatever the formula gives, kept to 8 bits.
                      DecodeCase{"%zz", "S"},
                      DecodeCase{"%g1", "\x01"},
                      DecodeCase{"%-1", "\xd1"},
                      DecodeCase{"%\xe9" "0", "\x90"},
                      // An escape cut short by the end decodes to nothing, and
                      // what came before it stays.
                      DecodeCase{"%", ""},
                      DecodeCase{"%4", ""},
                      DecodeCase{"ab%", "ab"},
                      DecodeCase{"ab%6", "ab"},
                      DecodeCase{"%41%4", "A"},
                      DecodeCase{"", ""}));

TEST(TranslateHexTest, LettersOfBothCasesAndOtherCharactersFollowTheFormula)
{
    EXPECT_EQ(0, CGIpair::translateHex('0'));
    EXPECT_EQ(9, CGIpair::translateHex('9'));
    EXPECT_EQ(10, CGIpair::translateHex('A'));
    EXPECT_EQ(15, CGIpair::translateHex('f'));
    EXPECT_EQ(35, CGIpair::translateHex('z'));
    // The at sign is not above 64: it takes the digit branch.
    EXPECT_EQ(16, CGIpair::translateHex('@'));
    // A byte above 127 is negative as a signed 8-bit code.
    EXPECT_EQ(-23 - 48, CGIpair::translateHex('\xe9'));
}

TEST(CGIpairTest, DecodesBothPartsAndIsTrueOnlyWithAName)
{
    CGIpair pair("a%20b", "c+d");
    EXPECT_EQ("a b", pair.first);
    EXPECT_EQ("c d", pair.second);
    EXPECT_TRUE(static_cast<bool>(pair));
    EXPECT_FALSE(static_cast<bool>(CGIpair()));
    EXPECT_FALSE(static_cast<bool>(CGIpair("", "value")));
    // A name that decodes to nothing is no name.
    EXPECT_FALSE(static_cast<bool>(CGIpair("%4", "value")));
}

}  // namespace
