#include "eticket.h"

#include <gtest/gtest.h>

namespace {

const std::string kDigest = "1a2b3c4d5e6f7a8b9c0d1e2f3a4b5c6d7e8f9a0b1c2d3e4f5a6b7c8d9e0f1a2b";

TEST(ETicket, TheCodeIsTheDigestsFirstSixteenDigitsAndReadsAsTyped)
{
    EXPECT_EQ("1a2b-3c4d-5e6f-7a8b", VerificationCode(kDigest));
    for (const char* typed : {"1a2b-3c4d-5e6f-7a8b", "1A2B 3C4D 5E6F 7A8B", "1a2b3c4d5e6f7a8b"})
        EXPECT_TRUE(CodeMatches(typed, kDigest)) << typed;
    for (const char* wrong : {"1a2b-3c4d-5e6f-7a8c", "1a2b-3c4d-5e6f", "", "1a2b-3c4d-5e6f-7a8b-9c0d"})
        EXPECT_FALSE(CodeMatches(wrong, kDigest)) << wrong;
    EXPECT_FALSE(CodeMatches("", ""));
}

TEST(ETicket, TheAddressEncodesEveryValue)
{
    EXPECT_EQ("http://plant/cgi-bin/sorvane?com=verify&id=T%26%3D%201%E9%2F&code=1a2b-3c4d",
              VerificationAddress("http://plant/cgi-bin/sorvane", "T&= 1\xe9/", "1a2b-3c4d"));
}

}  // namespace
