// pgxml_xpath against pgxml_xpath_parsed, the XPath reading it stands in
// for, on snapshots the writer built with a random text in every leaf.

#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FormatString.h"
#include "PgFixture.h"
#include "PgSqlDatabase.h"
#include "SampleTickets.h"

namespace {

// Any byte the writer keeps as it is, with XML specials, line ends and
// entity lookalikes more often; sometimes empty or blanks only.
std::string RandomText(std::mt19937& rng)
{
    static const char* const kPieces[] = {"&", "<", ">", "'", "\"", "\r", "\n", "\r\n", "\t",
                                          " ", "&amp;", "&#13;", "]]>", "&lt;x&gt;"};
    std::uniform_int_distribution<int> length(0, 14), pick(0, 13), byte(0x20, 0xff), coin(0, 2);
    int n = length(rng);
    std::string text;
    for (int i = 0; i < n; ++i) {
        if (n == 14)
            text += " \t\r\n"[i % 4];
        else if (coin(rng) == 0)
            text += kPieces[pick(rng)];
        else
            text += static_cast<char>(byte(rng));
    }
    return text;
}

struct Snapshot {
    std::string xml;
    std::vector<std::string> paths;  // every leaf the writer wrote, kept or not
};

// The writer's snapshot of a ticket with the given lines, each leaf's text
// replaced by a random one or, now and then, the leaf left out.
Snapshot Randomised(int materials, int products, std::mt19937& rng)
{
    DBTicket ticket("");
    for (int i = 0; i < materials; ++i)
        samples::AddLine(ticket.matl_v, "M", "agg", "", 1, 1, 1, 0);
    for (int i = 0; i < products; ++i)
        samples::AddLine(ticket.prod_v, "P", "extra", "", 1, 1, 0, 0);
    const std::string xml = ticket.xmlString();
    std::bernoulli_distribution dropped(0.05);

    Snapshot snapshot;
    std::vector<std::string> steps;
    size_t at = 0;
    while (at < xml.size()) {
        size_t end = xml.find('>', at);
        std::string tag = xml.substr(at + 1, end - at - 1);
        at = end + 1;
        if (tag[0] == '/') {
            steps.pop_back();
            snapshot.xml += "<" + tag + ">";
        } else if (xml.compare(at, 1, "<") == 0 && xml.compare(at, 2, "</") != 0) {
            size_t blank = tag.find(' ');  // num="N" of an entry
            steps.push_back(blank == std::string::npos
                                ? tag
                                : tag.substr(0, blank) + "[@num=" + tag.substr(blank + 6, tag.size() - blank - 7) + "]");
            snapshot.xml += "<" + tag + ">";
        } else {
            std::string path = "/";
            for (const std::string& step : steps)
                path += "/" + step;
            snapshot.paths.push_back(path + "/" + tag + "/text()");
            at = xml.find('>', xml.find('<', at)) + 1;
            if (!dropped(rng))
                snapshot.xml += "<" + tag + ">" + XmlEncode(RandomText(rng)) + "</" + tag + ">";
        }
    }
    return snapshot;
}

// Paths into elements that are not there, and paths string search would
// misread, which go to the parser.
const std::vector<std::string> kOtherPaths = {
    "//ticket_t/customer_t/instructions_c/text()", "//ticket_t/truck_t/ordernumber_c/text()",
    "//ticket_t/materials_t/matl[@num=99]/id_c/text()", "//ticket_t/products_t/prod[@num=1]/target_c/text()",
    "//ticket_t/materials_t/id_c/text()", "//ticket_t/products_t/matl[@num=1]/id_c/text()",
    "//ticket_t/materials_t/matl[@num=01]/id_c/text()", "//ticket_t/job_t/*/text()",
    "//ticket_t//id_c/text()", "//ticket_t/ticket_t/batch_t/id_c/text()", "//ticket_t/batch_t/id_c",
};

struct DiffCase {
    const char* name;
    unsigned seed;
    int tickets;
    int minLines;
    int maxLines;
};

class PgXpathDiff : public PgFixture, public ::testing::WithParamInterface<DiffCase> {};

TEST_P(PgXpathDiff, SameValueAsTheParserForEveryPath)
{
    const DiffCase& c = GetParam();
    std::mt19937 rng(c.seed);
    std::uniform_int_distribution<int> lines(c.minLines, c.maxLines);
    PgSqlDatabase db(kOwnerConnInfo);
    for (int entry = 1; entry <= c.tickets; ++entry) {
        Snapshot snapshot = Randomised(lines(rng), lines(rng), rng);
        snapshot.paths.insert(snapshot.paths.end(), kOtherPaths.begin(), kOtherPaths.end());
        Exec(FormatString("INSERT INTO ticket_t (entry_c, xmldata_c) VALUES (%i, ", entry) +
             SqlQuote(snapshot.xml) + ")");

        std::string paths;
        for (const std::string& path : snapshot.paths)
            paths += (paths.empty() ? "" : ",") + SqlQuote(path);
        ASSERT_TRUE(db.ExecTuplesOk("SELECT path, pgxml_xpath(xmldata_c, path, '', '') AS fast, "
                                    "pgxml_xpath_parsed(xmldata_c, path, '', '') AS parsed "
                                    "FROM ticket_t, unnest(ARRAY[" + paths + "]) AS path " +
                                    FormatString("WHERE entry_c=%i", entry)))
            << db.ErrorMessage();
        ASSERT_EQ(db.Tuples(), static_cast<int>(snapshot.paths.size()));
        for (int row = 0; row < db.Tuples(); ++row) {
            auto value = [&](const char* column) {
                return db.GetIsNull(row, column) ? std::nullopt : std::optional(db.GetString(row, column));
            };
            EXPECT_EQ(value("fast"), value("parsed")) << db.GetString(row, "path") << " of ticket " << entry;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Snapshots, PgXpathDiff,
                         ::testing::Values(DiffCase{"few_lines", 9, 25, 0, 4},
                                           DiffCase{"many_lines", 10, 1, 30, 30}),
                         [](const ::testing::TestParamInfo<DiffCase>& info) { return info.param.name; });

// The fast reading is really taken: a snapshot the parser rejects for a
// stray "&" elsewhere still gives its intact values.
class PgXpathFastPath : public PgFixture {};

TEST_F(PgXpathFastPath, ReadsTheLeafWithoutParsingTheSnapshot)
{
    DBTicket ticket("");
    ticket.OrderNumber("PO 7");
    ticket.TimeCreated("07:30 & later");
    Exec("INSERT INTO ticket_t (entry_c, xmldata_c) VALUES (1, " + SqlQuote(ticket.xmlString()) + ")");
    EXPECT_EQ(Query("SELECT pgxml_xpath(xmldata_c, '//ticket_t/batch_t/ordernumber_c/text()', '', '') "
                    "FROM ticket_t"),
              "PO 7");
    PgSqlDatabase db(kOwnerConnInfo);
    EXPECT_EQ(db.ExecTuplesOk("SELECT pgxml_xpath_parsed(xmldata_c, '//ticket_t/batch_t/ordernumber_c/text()', "
                              "'', '') FROM ticket_t"),
              0);
}

// The batching times go into the snapshot unencoded, so a ">" in one stands
// there as it is; the parser hands it back escaped.
TEST_F(PgXpathFastPath, AnUnencodedTimeComesBackAsTheParserReadsIt)
{
    DBTicket ticket("");
    ticket.TimeCreated("07:30 > 07:00\r\n");
    Exec("INSERT INTO ticket_t (entry_c, xmldata_c) VALUES (1, " + SqlQuote(ticket.xmlString()) + ")");
    for (const char* function : {"pgxml_xpath", "pgxml_xpath_parsed"})
        EXPECT_EQ(Query(std::string("SELECT ") + function +
                        "(xmldata_c, '//ticket_t/batch_t/timecreated_c/text()', '', '') FROM ticket_t"),
                  "07:30 &gt; 07:00\n")
            << function;
}

}  // namespace
