#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "DBTicket.h"
#include "FixedPaths.h"
#include "FormatString.h"
#include "viewer.h"
#include "eticket.h"

namespace {

// ---------------------------------------------------------------- requests

struct RequestCase {
    const char* query;  // null: QUERY_STRING unset
    Request request;
};

void PrintTo(const RequestCase& c, std::ostream* os)
{
    *os << (c.query ? c.query : "(unset)");
}

class ParseRequestTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(ParseRequestTest, PicksTheFourNames)
{
    Request r = ParseRequest(GetParam().query);
    EXPECT_EQ(GetParam().request.com, r.com);
    EXPECT_EQ(GetParam().request.printer, r.printer);
    EXPECT_EQ(GetParam().request.id, r.id);
    EXPECT_EQ(GetParam().request.plant, r.plant);
    EXPECT_EQ(GetParam().request.code, r.code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseRequestTest,
    ::testing::Values(RequestCase{"com=view&id=T123&printer=lp&plant=2", {"view", "lp", "T123", "2", ""}},
                      RequestCase{"id=T1&printer=lp", {"", "lp", "T1", "", ""}},
                      RequestCase{"com=verify&id=T1&code=1a2b+3c4d", {"verify", "", "T1", "", "1a2b 3c4d"}},
                      RequestCase{"com=view&com=save&id=T1", {"save", "", "T1", "", ""}},
                      RequestCase{"id=T1&id=T2&plant=1&plant=3", {"", "", "T2", "3", ""}},
                      RequestCase{"COM=view&Id=T1&other=x&id=T9", {"", "", "T9", "", ""}},
                      RequestCase{"id=O%27Neil+7", {"", "", "O'Neil 7", "", ""}},
                      RequestCase{"id=T1=com=save", {"", "", "T1=com=save", "", ""}},
                      RequestCase{"", {"", "", "", "", ""}},
                      RequestCase{nullptr, {"", "", "", "", ""}}));

// ------------------------------------------------------------- environment

using Vars = std::map<std::string, std::string>;

// The environment as the scripts see it: a later entry overwrites.
Vars Exported(const DBTicket& ticket, const std::string& plant = "1")
{
    Vars vars;
    for (const auto& [name, value] : TicketEnvironment(ticket, plant))
        vars[name] = value;
    return vars;
}

void ExpectSet(const Vars& vars, const std::string& name, const std::string& value)
{
    auto it = vars.find(name);
    ASSERT_NE(vars.end(), it) << name << " is not exported";
    EXPECT_EQ(value, it->second) << name;
}

void ExpectAbsent(const Vars& vars, const std::string& name)
{
    EXPECT_EQ(0u, vars.count(name)) << name;
}

void ExpectLine(const Vars& vars, const std::string& prefix, const std::string& desc, const std::string& target,
                const std::string& actual)
{
    ExpectSet(vars, prefix + "desc", desc);
    ExpectSet(vars, prefix + "target", target);
    ExpectSet(vars, prefix + "actual", actual);
}

DBProduct* Line(std::vector<DBProduct*>& list, const std::string& type, const std::string& description,
                float amount, float target = 0, float actual = 0, float price = 0)
{
    auto* line = new DBProduct("");
    line->Type(type);
    line->Description(description);
    line->amount_c = amount;
    line->target_c = target;
    line->actual_c = actual;
    line->UnitPrice(price);
    list.push_back(line);
    return line;
}

class EnvironmentTest : public ::testing::Test {
protected:
    EnvironmentTest() : ticket(new DBTicket(""))
    {
        ticket->Entry(4711);
        ticket->Batchsize(8.5f);
        ticket->DateBatched("2026-12-01");
        ticket->TimeBatched("07:52:10");
        ticket->PrintPrices(true);
        ticket->PrintWeights(true);
        ticket->WaterTrim(2.5f);
        ticket->Subtotal(1000.25f);
        ticket->Tax(70.0f);
        ticket->Total(1070.25f);
        ticket->customer->Name("Hillside Builders");
        ticket->customer->Street("12 Quarry Road");
        ticket->customer->City("Ashford");
        ticket->customer->State("OR");
        ticket->customer->Zipcode("97001");
        ticket->job->Id("J500");
        ticket->job->Deliverto("Lot 7 foundation");
        ticket->job->Street("44 Ridge Lane");
        ticket->job->City("Brenton");
        ticket->job->State("WA");
        ticket->job->Zipcode("98001");
        ticket->job->QuantityOrdered(120);
        ticket->job->QuantityDelivered(42.5f);
        ticket->formula->Id("F3000");
        ticket->formula->Description("3000 PSI 1in stone");
        ticket->formula->Price(95.5f);
        ticket->formula->MaxWaterAmount(40.25f);
        ticket->truck->Id("T12");
    }

    void Products(int count)
    {
        for (int i = 1; i <= count; ++i)
            Line(ticket->prod_v, "extra", FormatString("Extra %i", i), 0.5f * i, 0, 0, 10.0f * i);
    }

    // Seven lines of each weighed type, interleaved as a batch lists them.
    void SevenOfEachType()
    {
        for (int i = 1; i <= 7; ++i)
            for (const char* type : {"agg", "cmt", "admix"})
                Line(ticket->matl_v, type, FormatString("%s %i", type, i), 1, 100.0f * i, 100.0f * i + 0.5f);
    }

    std::unique_ptr<DBTicket> ticket;
};

TEST_F(EnvironmentTest, TicketCustomerJobFormulaAndTruckFields)
{
    Vars vars = Exported(*ticket, "2");
    ExpectSet(vars, "plant", "2");
    ExpectSet(vars, "ticket", "4711");
    ExpectSet(vars, "customerline1", "Hillside Builders");
    ExpectSet(vars, "customerline2", "12 Quarry Road");
    ExpectSet(vars, "customerline3", "Ashford OR 97001");
    ExpectSet(vars, "jobid", "J500");
    ExpectSet(vars, "jobline1", "Lot 7 foundation");
    ExpectSet(vars, "jobline2", "44 Ridge Lane");
    ExpectSet(vars, "jobline3", "Brenton WA 98001");
    ExpectSet(vars, "jobqordered", "120.00");
    ExpectSet(vars, "jobqdelivered", "42.50");
    ExpectSet(vars, "formulaid", "F3000");
    ExpectSet(vars, "formuladesc", "3000 PSI 1in stone");
    ExpectSet(vars, "formulaprice", "95.50");
    ExpectSet(vars, "formulatotal", "811.75");
    ExpectSet(vars, "truckid", "T12");
    ExpectSet(vars, "datebatched", "2026-12-01");
    ExpectSet(vars, "timebatched", "07:52:10");
    ExpectSet(vars, "batchsize", "8.50");
    ExpectSet(vars, "printweights", "t");
    ExpectSet(vars, "subtotal", "1000.25");
    ExpectSet(vars, "tax", "70.00");
    ExpectSet(vars, "total", "1070.25");
}

TEST_F(EnvironmentTest, FourProductsLeaveTheOtherFourSlotsEmpty)
{
    Products(4);
    Vars vars = Exported(*ticket);
    for (int i = 1; i <= 4; ++i) {
        ExpectSet(vars, FormatString("prod%idesc", i), FormatString("Extra %i", i));
        ExpectSet(vars, FormatString("prod%iquan", i), FormatString("%.2f", 0.5 * i));
        ExpectSet(vars, FormatString("prod%iprice", i), FormatString("%.2f", 10.0 * i));
        ExpectSet(vars, FormatString("prod%itotal", i), FormatString("%.2f", 5.0 * i * i));
    }
    for (int i = 5; i <= 8; ++i)
        for (const char* field : {"desc", "quan", "price", "total"})
            ExpectSet(vars, FormatString("prod%i%s", i, field), "");
}

TEST_F(EnvironmentTest, ANinthProductIsDropped)
{
    Products(9);
    Vars vars = Exported(*ticket);
    ExpectSet(vars, "prod8desc", "Extra 8");
    ExpectSet(vars, "prod8total", "320.00");
    for (const char* field : {"desc", "quan", "price", "total"})
        ExpectAbsent(vars, FormatString("prod9%s", field));
}

TEST_F(EnvironmentTest, WithoutPricesOnlyDescriptionAndQuantityAreSet)
{
    Products(2);
    ticket->PrintPrices(false);
    Vars vars = Exported(*ticket);
    ExpectSet(vars, "prod1desc", "Extra 1");
    ExpectSet(vars, "prod2quan", "1.00");
    for (int i = 1; i <= 8; ++i) {
        ExpectSet(vars, FormatString("prod%iprice", i), "");
        ExpectSet(vars, FormatString("prod%itotal", i), "");
    }
    ExpectSet(vars, "subtotal", "");
    ExpectSet(vars, "tax", "");
    ExpectSet(vars, "total", "");
    // The formula's own figures are no price block.
    ExpectSet(vars, "formulaprice", "95.50");
}

TEST_F(EnvironmentTest, SixMaterialsOfEachTypeAndTheSeventhDropped)
{
    SevenOfEachType();
    Line(ticket->matl_v, "fiber", "not weighed", 1, 5, 5);
    Vars vars = Exported(*ticket);
    for (const char* type : {"agg", "cmt", "admix"}) {
        for (int i = 1; i <= 6; ++i)
            ExpectLine(vars, FormatString("%s%i", type, i), FormatString("%s %i", type, i),
                       FormatString("%.2f", 100.0 * i), FormatString("%.2f", 100.0 * i + 0.5));
        ExpectAbsent(vars, FormatString("%s7desc", type));
    }
    ExpectAbsent(vars, "fiber1desc");
    // No water line among them.
    ExpectLine(vars, "water1", "", "", "");
    ExpectSet(vars, "maxwater", "");
    ExpectSet(vars, "watertrim", "");
}

TEST_F(EnvironmentTest, EveryWaterLineIsExportedWithTheMaximumAndTrim)
{
    Line(ticket->matl_v, "water", "Water", 30, 255, 250);
    Line(ticket->matl_v, "agg", "Sand", 1, 1000, 1010);
    Line(ticket->matl_v, "water", "Hot water", 10, 85, 86.25f);
    std::vector<std::pair<std::string, std::string>> env = TicketEnvironment(*ticket, "1");
    Vars vars = Exported(*ticket);
    ExpectLine(vars, "water1", "Water", "255.00", "250.00");
    ExpectLine(vars, "water2", "Hot water", "85.00", "86.25");
    ExpectAbsent(vars, "water3desc");
    // Two spaces after the word.
    ExpectSet(vars, "maxwater", "Max  40.25");
    ExpectSet(vars, "watertrim", "Trim  2.50");
    int maxwater = 0;
    for (const auto& entry : env)
        if (entry.first == "maxwater") {
            EXPECT_EQ("Max  40.25", entry.second);
            ++maxwater;
        }
    EXPECT_EQ(2, maxwater);
}

TEST_F(EnvironmentTest, NoMaterialIsExportedWithoutWeightsOrWithoutAFormulaId)
{
    SevenOfEachType();
    Line(ticket->matl_v, "water", "Water", 30, 255, 250);
    for (bool weights : {false, true}) {
        ticket->PrintWeights(weights);
        ticket->formula->Id(weights ? "" : "F3000");
        Vars vars = Exported(*ticket);
        ExpectSet(vars, "printweights", weights ? "t" : "f");
        for (const char* type : {"agg", "cmt", "admix"})
            for (int i = 1; i <= 6; ++i)
                ExpectLine(vars, FormatString("%s%i", type, i), "", "", "");
        ExpectLine(vars, "water1", "", "", "");
        ExpectSet(vars, "maxwater", "");
        ExpectSet(vars, "watertrim", "");
    }
}

TEST_F(EnvironmentTest, NullSlotsAreSkippedAndTheNextLineTakesTheirNumber)
{
    ticket->prod_v.push_back(nullptr);
    Line(ticket->prod_v, "extra", "Fuel", 1, 0, 0, 25);
    ticket->prod_v.push_back(nullptr);
    Line(ticket->prod_v, "extra", "Fiber", 2, 0, 0, 6.75f);
    ticket->matl_v.push_back(nullptr);
    Line(ticket->matl_v, "agg", "Sand", 1, 1000, 1010);
    ticket->matl_v.push_back(nullptr);
    Line(ticket->matl_v, "water", "Water", 30, 255, 250);
    Vars vars = Exported(*ticket);
    ExpectSet(vars, "prod1desc", "Fuel");
    ExpectSet(vars, "prod2desc", "Fiber");
    ExpectSet(vars, "prod2total", "13.50");
    ExpectSet(vars, "prod3desc", "");
    ExpectLine(vars, "agg1", "Sand", "1000.00", "1010.00");
    ExpectLine(vars, "agg2", "", "", "");
    ExpectLine(vars, "water1", "Water", "255.00", "250.00");
}

TEST(EnvironmentDefaultsTest, AFailedLoadExportsTheDefaultsInTableOrder)
{
    DBTicket empty("");
    Environment env = TicketEnvironment(empty, "");

    std::vector<std::string> names = {"plant",        "ticket",       "customerline1", "customerline2",
                                      "customerline3", "jobid",       "jobline1",      "jobline2",
                                      "jobline3",     "jobqordered",  "jobqdelivered", "formulaid",
                                      "formuladesc",  "formulaprice", "formulatotal",  "truckid",
                                      "datebatched",  "timebatched",  "batchsize",     "printweights"};
    for (int i = 1; i <= 8; ++i)
        for (const char* field : {"desc", "quan", "price", "total"})
            names.push_back(FormatString("prod%i%s", i, field));
    for (const char* type : {"agg", "cmt", "admix"})
        for (int i = 1; i <= 6; ++i)
            for (const char* field : {"desc", "target", "actual"})
                names.push_back(FormatString("%s%i%s", type, i, field));
    for (const char* name : {"water1desc", "water1target", "water1actual", "maxwater", "watertrim", "subtotal",
                             "tax", "total"})
        names.push_back(name);

    std::vector<std::string> exported;
    for (const auto& entry : env)
        exported.push_back(entry.first);
    EXPECT_EQ(names, exported);

    Vars vars = Exported(empty, "");
    ExpectSet(vars, "ticket", "0");
    ExpectSet(vars, "batchsize", "1.00");
    ExpectSet(vars, "customerline3", "  ");
    ExpectSet(vars, "jobqordered", "0.00");
    ExpectSet(vars, "formulatotal", "0.00");
    ExpectSet(vars, "printweights", "f");
    ExpectSet(vars, "prod1quan", "");
    ExpectSet(vars, "subtotal", "");
}

// ------------------------------------------------------ pages and commands

const std::string kHeader = "Content-type: text/html\n\n\n";
const std::string kViewHead =
    kHeader +
    "<html>\n<head>\n<title>Ticket Image</title>\n</head>\n<body>\n<center>\n"
    "<div style=\"position:absolute;left:-1000px;width:500px\">\n";
const std::string kSavePage = kHeader +
                              "<html>\n<head>\n<title>Ticket</title>\n"
                              "<meta http-equiv=\"REFRESH\" content=\"0;url=/tickets/ticket\">\n"
                              "</head>\n</body>\n</html>\n";
const std::string kPrintPage = kHeader +
                               "<html>\n<head>\n<title>Ticket Status</title>\n</head>\n"
                               "<body onload=\"window.opener.refreshlist();\">\n<center>\n"
                               "<h1>Ticket Successfully Printed!!!</h1>\nYou may now close this window.\n"
                               "</center>\n</body>\n</html>\n";
const std::string kRefusalPage = kHeader +
                                 "<html>\n<head>\n<title>Ticket Request Refused</title>\n</head>\n<body>\n"
                                 "<center>\n<h1>Invalid ticket request</h1>\n</center>\n</body>\n</html>\n";

std::string ViewTail(const std::string& imageId)
{
    return "</div>\n<img src=\"/tickets/sorvane_" + imageId +
           ".gif\" style=\"position:absolute;left:5px;top:5px;width:425px;height:550px\">\n"
           "</center>\n</body>\n</html>\n";
}

const std::string kVelmora = fixedpaths::kVelmora;
const std::string kImage = std::string(fixedpaths::kImageDir) + "sorvane_";

// A view works in files of its request's own: the image path, a dot and the
// process number.
const std::string kTag = "." + std::to_string(getpid());

std::vector<std::string> ViewCommands(const std::string& image)
{
    const std::string work = image + kTag;
    return {std::string(fixedpaths::kPsTemplate) + " > " + work + ".ps",
            std::string(fixedpaths::kTicketToGif) + " " + work + "<" + fixedpaths::kInputFile,
            "mv -f " + work + ".gif " + image + ".gif", "rm -f " + work + ".ps"};
}

// Stands in for the database, the environment, the shell and standard
// output, and records what the request did to each, in order.
class ServeTest : public ::testing::Test {
protected:
    struct Run {
        std::string command;
        std::string pageSoFar;
        size_t exportedSoFar;
    };

    void Serve(const char* query)
    {
        ViewerServices services{
            [this](DBTicket& ticket, const std::string& id, TicketProof* proof) {
                loads.push_back(id);
                if (id == "NONE")
                    return;
                ticket.Entry(101);
                ticket.Id("T123");
                ticket.Plant(4);
                ticket.customer->Name("Hillside <Builders>");
                if (proof)
                    *proof = {kDigest, "2026-12-09 06:05:00", voided};
            },
            [this](const std::string& name, const std::string& value) { exported.emplace_back(name, value); },
            [this](const std::string& command) { runs.push_back({command, out.str(), exported.size()}); },
            [this](const std::string& command, std::string& output) {
                runs.push_back({command, out.str(), exported.size()});
                output = made;
                return IsPdf(made);
            },
            out,
        };
        ::Serve(query, services);
    }

    std::vector<std::string> Commands() const
    {
        std::vector<std::string> commands;
        for (const Run& run : runs)
            commands.push_back(run.command);
        return commands;
    }

    std::string Exported(const std::string& name) const
    {
        std::string value = "(unset)";
        for (const auto& entry : exported)
            if (entry.first == name)
                value = entry.second;
        return value;
    }

    static constexpr const char* kDigest = "1a2b3c4d5e6f7a8b9c0d1e2f3a4b5c6d7e8f9a0b1c2d3e4f5a6b7c8d9e0f1a2b";
    bool voided = false;
    std::string made = "%PDF-1.7 the page";  // what the PDF command writes

    std::ostringstream out;
    std::vector<std::string> loads;
    Environment exported;
    std::vector<Run> runs;
};

struct VerifyCase {
    const char* query;
    bool voided;
    const char* title;
};

class VerifyServeTest : public ServeTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(VerifyServeTest, SaysWhatTheCodeShowsAndNothingMore)
{
    voided = GetParam().voided;
    Serve(GetParam().query);
    EXPECT_NE(std::string::npos, out.str().find(std::string("<h1>") + GetParam().title + "</h1>")) << out.str();
    // Only a matching code shows what the history says of the ticket.
    EXPECT_EQ(GetParam().title[0] != 'N' && GetParam().title[0] != 'C',
              out.str().find("<td>2026-12-09 06:05:00</td>") != std::string::npos)
        << out.str();
    EXPECT_EQ(std::string::npos, out.str().find("<Builders>")) << out.str();
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(exported.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VerifyServeTest,
    ::testing::Values(VerifyCase{"com=verify&id=t123&code=1A2B-3C4D-5E6F-7A8B", false, "Genuine ticket"},
                      VerifyCase{"com=verify&id=T123&code=1a2b-3c4d-5e6f-7a8b", true, "Void ticket"},
                      VerifyCase{"com=verify&id=T123&code=1a2b-3c4d-5e6f-7a8c", false, "Code does not match"},
                      VerifyCase{"com=verify&id=T123", false, "Code does not match"},
                      VerifyCase{"com=verify&id=NONE&code=1a2b-3c4d-5e6f-7a8b", false, "No such ticket"}));

TEST_F(ServeTest, APdfIsMadeWholeBeforeItsHeaderIsSent)
{
    // The plant printed is the ticket's own, whatever the request says.
    Serve("com=pdf&id=t123&plant=FORGED");
    EXPECT_EQ("Content-Type: application/pdf\nContent-Disposition: inline; filename=\"T123.pdf\"\n\n" + made,
              out.str());
    EXPECT_EQ(std::vector<std::string>{PdfCommand()}, Commands());
    EXPECT_EQ("4", Exported("plant"));
    EXPECT_EQ("1a2b-3c4d-5e6f-7a8b", Exported("verifycode"));

    for (const char* query : {"com=pdf&id=NONE", "com=pdf&id=T123"}) {
        out.str("");
        made = "gs: Unrecoverable error";
        Serve(query);
        EXPECT_EQ(kRefusalPage, out.str()) << query;
    }
}

TEST_F(ServeTest, ViewRunsTheScriptsInsideTheOffScreenElement)
{
    Serve("com=view&id=T123&printer=lp&plant=2");
    EXPECT_EQ(kViewHead + ViewTail("T123"), out.str());
    EXPECT_EQ(ViewCommands(kImage + "T123"), Commands());
    ASSERT_EQ(4u, runs.size());
    for (const Run& run : runs) {
        EXPECT_EQ(kViewHead, run.pageSoFar) << run.command;
        // The scripts read the ticket from the environment.
        EXPECT_EQ(exported.size(), run.exportedSoFar) << run.command;
    }
    EXPECT_EQ(std::vector<std::string>{"T123"}, loads);
    EXPECT_EQ("2", Exported("plant"));
    EXPECT_EQ("101", Exported("ticket"));
    EXPECT_EQ("Hillside <Builders>", Exported("customerline1"));
}

TEST_F(ServeTest, SaveRunsVelmoraBeforeThePage)
{
    Serve("com=save&printer=lp&id=T123&plant=2");
    EXPECT_EQ(kSavePage, out.str());
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ(kVelmora + " save lp T123 2 yes >&2", runs[0].command);
    EXPECT_EQ("", runs[0].pageSoFar);
    EXPECT_EQ(exported.size(), runs[0].exportedSoFar);
    EXPECT_EQ(std::vector<std::string>{"T123"}, loads);
}

class PrintServeTest : public ServeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PrintServeTest, AnyOtherCommandPrints)
{
    Serve(GetParam());
    EXPECT_EQ(kPrintPage, out.str());
    EXPECT_EQ(std::vector<std::string>{kVelmora + " print ticket1 T1001 1 yes >&2"}, Commands());
    ASSERT_EQ(1u, runs.size());
    EXPECT_EQ("", runs[0].pageSoFar);
    EXPECT_EQ(exported.size(), runs[0].exportedSoFar);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintServeTest,
                         ::testing::Values("printer=ticket1&id=T1001&plant=1",
                                           "com=print&printer=ticket1&id=T1001&plant=1",
                                           "com=VIEW&printer=ticket1&id=T1001&plant=1",
                                           "com=Save&printer=ticket1&id=T1001&plant=1",
                                           "com=view&printer=ticket1&id=T1001&plant=1&com=again"));

struct HostileCase {
    const char* query;
    std::string loaded;
    std::vector<std::string> commands;
    std::string page;
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.query;
}

class HostileServeTest : public ServeTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileServeTest, ValuesReachTheShellAsLiteralWords)
{
    Serve(GetParam().query);
    EXPECT_EQ(GetParam().commands, Commands());
    EXPECT_EQ(GetParam().page, out.str());
    EXPECT_EQ(std::vector<std::string>{GetParam().loaded}, loads);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileServeTest,
    ::testing::Values(
        HostileCase{"id=1;touch%20/tmp/p&printer=lp&plant=1", "1;touch /tmp/p",
                    {kVelmora + " print lp '1;touch /tmp/p' 1 yes >&2"}, kPrintPage},
        HostileCase{"com=save&id=%24(touch%20p)&printer=%60touch%20q%60&plant=1%26%26id", "$(touch p)",
                    {kVelmora + " save '`touch q`' '$(touch p)' '1&&id' yes >&2"}, kSavePage},
        // Only a view makes a file of the id.
        HostileCase{"com=save&id=../T1", "../T1", {kVelmora + " save '' ../T1 '' yes >&2"}, kSavePage},
        HostileCase{"id=x'%20OR%20'1'='1", "x' OR '1'='1",
                    {kVelmora + " print '' 'x'\\'' OR '\\''1'\\''='\\''1' '' yes >&2"}, kPrintPage},
        HostileCase{"id=T1%0Arm%20-rf%20x&printer=a%20b", "T1\nrm -rf x",
                    {kVelmora + " print 'a b' 'T1\nrm -rf x' '' yes >&2"}, kPrintPage},
        HostileCase{"com=view&id=%24(touch%20p)", "$(touch p)",
                    {std::string(fixedpaths::kPsTemplate) + " > '" + kImage + "$(touch p)" + kTag + ".ps'",
                     std::string(fixedpaths::kTicketToGif) + " '" + kImage + "$(touch p)" + kTag + "'<" +
                         fixedpaths::kInputFile,
                     "mv -f '" + kImage + "$(touch p)" + kTag + ".gif' '" + kImage + "$(touch p).gif'",
                     "rm -f '" + kImage + "$(touch p)" + kTag + ".ps'"},
                    kViewHead + ViewTail("$(touch p)")},
        HostileCase{"com=view&id=a%22b<c>'%26;x", "a\"b<c>'&;x",
                    {std::string(fixedpaths::kPsTemplate) + " > '" + kImage + "a\"b<c>'\\''&;x" + kTag + ".ps'",
                     std::string(fixedpaths::kTicketToGif) + " '" + kImage + "a\"b<c>'\\''&;x" + kTag + "'<" +
                         fixedpaths::kInputFile,
                     "mv -f '" + kImage + "a\"b<c>'\\''&;x" + kTag + ".gif' '" + kImage + "a\"b<c>'\\''&;x.gif'",
                     "rm -f '" + kImage + "a\"b<c>'\\''&;x" + kTag + ".ps'"},
                    kViewHead + ViewTail("a&quot;b&lt;c&gt;&#39;&amp;;x")}));

// A value longer than any real identifier, printer or plant.
const std::string kLongQuery = "com=view&id=T1&plant=" + std::string(8192, '7');
const char* const kTooLong = kLongQuery.c_str();

class RefusedServeTest : public ServeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RefusedServeTest, GetsTheErrorPageAndReachesNothing)
{
    Serve(GetParam());
    EXPECT_EQ(kRefusalPage, out.str());
    EXPECT_TRUE(runs.empty());
    EXPECT_TRUE(loads.empty());
    EXPECT_TRUE(exported.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedServeTest,
                         ::testing::Values("com=view&id=../../../etc/passwd", "com=view&id=..", "com=view&id=.",
                                           "com=view&id=", "com=view", "com=view&id=T1%2F..",
                                           "com=view&id=T1%00.png", "com=print&id=T1%00;rm",
                                           "com=save&id=T1&printer=lp%00x", "id=T1&plant=1%00",
                                           "com=view%00&id=T1", kTooLong));

}  // namespace
