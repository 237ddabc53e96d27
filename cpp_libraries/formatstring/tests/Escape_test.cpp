#include "FormatString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::string;

struct EscapeCase {
    string (*escape)(string);
    string input;
    string expected;
};

void PrintTo(const EscapeCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.input);
}

class Escapes : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(Escapes, GiveExpectedText)
{
    EXPECT_EQ(GetParam().escape(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sql, Escapes, ::testing::Values(
    EscapeCase{SqlEscape, "it's", "it''s"},
    EscapeCase{SqlEscape, "''", "''''"},
    EscapeCase{SqlEscape, "say \"hi\"", "say \"hi\""},
    EscapeCase{SqlEscape, "a\\b;--\xe9", "a\\b;--\xe9"}));

INSTANTIATE_TEST_SUITE_P(Encode, Escapes, ::testing::Values(
    EscapeCase{XmlEncode, "Sand & Gravel", "Sand &amp; Gravel"},
    EscapeCase{XmlEncode, "Owner's Yard", "Owner&apos;s Yard"},
    EscapeCase{XmlEncode, "a<b>c\"", "a&lt;b&gt;c&quot;"},
    EscapeCase{XmlEncode, "''&&<<", "&apos;&apos;&amp;&amp;&lt;&lt;"},
    EscapeCase{XmlEncode, "&amp;", "&amp;amp;"},
    EscapeCase{XmlEncode, "tab\tnl\ncr\r", "tab\tnl\ncr\r"},
    EscapeCase{XmlEncode, "esc\x1b" "ff\x0c" "vt\x0b" "\x01\x08\x0e\x1f", "esc ff vt     "},
    EscapeCase{XmlEncode, "\x7f\x80\xe9\xff", "\x7f\x80\xe9\xff"}));

INSTANTIATE_TEST_SUITE_P(Shell, Escapes, ::testing::Values(
    EscapeCase{ShellQuote, "ticket1", "ticket1"},
    EscapeCase{ShellQuote, "T-1_2.a/b", "T-1_2.a/b"},
    EscapeCase{ShellQuote, "", "''"},
    EscapeCase{ShellQuote, "x;touch /tmp/p", "'x;touch /tmp/p'"},
    EscapeCase{ShellQuote, "$(id) `id` a b", "'$(id) `id` a b'"},
    EscapeCase{ShellQuote, "O'Brien", "'O'\\''Brien'"}));

INSTANTIATE_TEST_SUITE_P(Html, Escapes, ::testing::Values(
    EscapeCase{HtmlEscape, "T1001", "T1001"},
    EscapeCase{HtmlEscape, "\"><script>x('&')</script>", "&quot;&gt;&lt;script&gt;x(&#39;&amp;&#39;)&lt;/script&gt;"}));

INSTANTIATE_TEST_SUITE_P(Decode, Escapes, ::testing::Values(
    EscapeCase{XmlDecode, "&amp;&apos;&quot;&lt;&gt;", "&'\"<>"},
    EscapeCase{XmlDecode, "&amp;amp;&amp;lt;", "&amp;&lt;"},
    EscapeCase{XmlDecode, "a & b &#39; &ax; x&", "a & b &#39; &ax; x&"},
    EscapeCase{XmlDecode, "&a", "&a"},
    // Only the first letters count; the entity's length is dropped as is.
    EscapeCase{XmlDecode, "&lXYZ&gtx;y&amXY-", "<Z>;y&-"},
    // Near the end the replacement takes only what is left.
    EscapeCase{XmlDecode, "&l", "<"},
    EscapeCase{XmlDecode, "&gt", ">"},
    EscapeCase{XmlDecode, "end&q", "end\""},
    EscapeCase{XmlDecode, "&ap", "'"},
    EscapeCase{XmlDecode, "&am", "&"}));

// Control bytes other than tab, newline and carriage return become spaces,
// so the round trip holds for every other text.
TEST(XmlRoundTrip, EveryTextWithoutControlBytes)
{
    string all;
    for (int b = 1; b < 256; ++b)
        if (b >= 0x20 || b == '\t' || b == '\n' || b == '\r')
            all += static_cast<char>(b);
    EXPECT_EQ(XmlDecode(XmlEncode(all)), all);
    for (char c : all)
        EXPECT_EQ(XmlDecode(XmlEncode(string(3, c))), string(3, c)) << static_cast<int>(c);
    for (string text : {"", "&q", "&a", "x&", "&#39;", "&lt;&gt;", "&&''\"\"<<>>"})
        EXPECT_EQ(XmlDecode(XmlEncode(text)), text);
}

TEST(XmlEncode, LeavesNoByteForbiddenInXmlText)
{
    string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    for (char c : XmlEncode(all)) {
        unsigned char b = static_cast<unsigned char>(c);
        EXPECT_TRUE(b >= 0x20 || c == '\t' || c == '\n' || c == '\r') << static_cast<int>(b);
        EXPECT_TRUE(c != '<' && c != '>' && c != '\'' && c != '"') << c;
    }
}

}
