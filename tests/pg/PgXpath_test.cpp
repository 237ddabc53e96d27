#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "FormatString.h"
#include "PgFixture.h"
#include "PgSqlDatabase.h"

namespace {

// Apostrophes doubled, nothing else touched: the bytes must reach the server
// exactly as the test wrote them.
std::string Literal(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

struct XpathCase {
    const char* name;
    std::string document;
    std::string path;
    std::optional<std::string> expected;
};

std::string Snapshot(const std::string& element, const std::string& text)
{
    return "<ticket_t><batch_t><" + element + ">" + text + "</" + element +
           "></batch_t></ticket_t>";
}

const char* const kOrderNumber = "//ticket_t/batch_t/ordernumber_c/text()";

class PgXpathElement : public PgFixture, public ::testing::WithParamInterface<XpathCase> {};

TEST_P(PgXpathElement, ReturnsTheAddressedText)
{
    const XpathCase& c = GetParam();
    EXPECT_EQ(Query("SELECT pgxml_xpath(" + Literal(c.document) + ", " + Literal(c.path) +
                    "::text, ''::text, ''::text)"),
              c.expected);
}

const std::string kMaterials =
    "<ticket_t><materials_t><nummatl_c>3</nummatl_c>"
    "<matl num=\"1\"><id_c>SAND</id_c></matl>"
    "<matl num=\"2\"><id_c>ROCK</id_c></matl>"
    "<matl num=\"3\"><id_c>CEMENT</id_c></matl>"
    "</materials_t></ticket_t>";

const std::string kSections =
    "<ticket_t><customer_t><id_c>C1</id_c></customer_t><job_t><id_c>J1</id_c></job_t></ticket_t>";

INSTANTIATE_TEST_SUITE_P(
    Documents, PgXpathElement,
    ::testing::Values(
        XpathCase{"latin1_letters", Snapshot("ordernumber_c", "Caf\xe9 Stra\xdf" "e \xff"),
                  kOrderNumber, "Caf\xe9 Stra\xdf" "e \xff"},
        XpathCase{"no_break_space", Snapshot("ordernumber_c", "12\xa0" "34"), kOrderNumber,
                  "12\xa0" "34"},
        XpathCase{"ampersand_stays_escaped", Snapshot("ordernumber_c", "Sand &amp; Gravel"),
                  kOrderNumber, "Sand &amp; Gravel"},
        XpathCase{"escaped_entity_text", Snapshot("ordernumber_c", "&amp;amp;"), kOrderNumber,
                  "&amp;amp;"},
        XpathCase{"apostrophe_plain", Snapshot("ordernumber_c", "O&apos;Hara O'Neil"),
                  kOrderNumber, "O'Hara O'Neil"},
        XpathCase{"double_quote_plain", Snapshot("ordernumber_c", "6&quot; slump \"wet\""),
                  kOrderNumber, "6\" slump \"wet\""},
        XpathCase{"angle_brackets_stay_escaped", Snapshot("ordernumber_c", "a&lt;b&gt;c"),
                  kOrderNumber, "a&lt;b&gt;c"},
        XpathCase{"blanks_and_tabs_kept", Snapshot("ordernumber_c", "  two  blanks\t"),
                  kOrderNumber, "  two  blanks\t"},
        XpathCase{"carriage_return_reference", Snapshot("ordernumber_c", "gate&#13;code"),
                  kOrderNumber, "gate\rcode"},
        XpathCase{"missing_element", Snapshot("id_c", "T1"), kOrderNumber, std::nullopt},
        XpathCase{"empty_element", Snapshot("ordernumber_c", ""), kOrderNumber, std::nullopt},
        XpathCase{"material_by_number", kMaterials,
                  "//ticket_t/materials_t/matl[@num=3]/id_c/text()", "CEMENT"},
        XpathCase{"material_number_absent", kMaterials,
                  "//ticket_t/materials_t/matl[@num=4]/id_c/text()", std::nullopt},
        XpathCase{"element_of_its_own_section", kSections, "//ticket_t/job_t/id_c/text()",
                  "J1"}),
    [](const ::testing::TestParamInfo<XpathCase>& info) { return info.param.name; });

class PgXpathTest : public PgFixture {};

TEST_F(PgXpathTest, NullDocumentGivesNull)
{
    EXPECT_EQ(Query("SELECT pgxml_xpath(NULL, " + Literal(kOrderNumber) + ", '', '')"),
              std::nullopt);
}

TEST_F(PgXpathTest, UnparsableDocumentFailsTheStatement)
{
    PgSqlDatabase db(kOwnerConnInfo);
    EXPECT_EQ(db.ExecTuplesOk("SELECT pgxml_xpath('<ticket_t><a>x</b></ticket_t>', " +
                              Literal(kOrderNumber) + ", '', '') AS v"),
              0);
}

std::string AllTextBytes()
{
    std::string text = "\t\n";
    for (int b = 0x20; b <= 0xff; ++b)
        text += static_cast<char>(b);
    return text;
}

struct RoundTrip {
    const char* name;
    std::string text;
};

// What a stored ticket goes through: encoded into the snapshot by the writer,
// saved without SQL escaping, selected by the viewer's role with the loaders'
// select item, decoded by the loader.
class PgXpathRoundTrip : public PgFixture, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(PgXpathRoundTrip, LoaderGetsTheWrittenTextBack)
{
    const std::string& text = GetParam().text;
    Exec("INSERT INTO ticket_t (entry_c, id_c, xmldata_c) VALUES (1, 'T1', "
         "'<ticket_t><job_t><instructions_c>" + XmlEncode(text) +
         "</instructions_c></job_t></ticket_t>')");

    PgSqlDatabase db(kViewerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk(
        "SELECT pgxml_xpath(ticket_t.xmldata_c, '//ticket_t/job_t/instructions_c/text()'::text, "
        "''::text, ''::text) AS instructions_c FROM ticket_t WHERE LOWER(id_c)=LOWER('t1')"))
        << db.ErrorMessage();
    ASSERT_EQ(db.Tuples(), 1);
    EXPECT_EQ(XmlDecode(db.GetString(0, "instructions_c")), text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PgXpathRoundTrip,
    ::testing::Values(RoundTrip{"ampersand", "Sand & Gravel"},
                      RoundTrip{"apostrophe", "Don't block gate"},
                      RoundTrip{"double_quotes", "6\" slump, \"wet\""},
                      RoundTrip{"angle_brackets", "a<b>c >> d"},
                      RoundTrip{"entity_lookalikes", "&amp; &lt;&apos;&quot; &#39;"},
                      RoundTrip{"latin1", "Caf\xe9 \xa0 Stra\xdf" "e \xff"},
                      RoundTrip{"every_text_byte", AllTextBytes()}),
    [](const ::testing::TestParamInfo<RoundTrip>& info) { return info.param.name; });

}
