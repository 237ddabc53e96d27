// morvik end to end: the real binary against the test cluster, a day at the
// plant from an empty database and the command lines it refuses; velmora
// prints what morvik stored, through a capturing lpr.

#include <algorithm>
#include <cstdlib>
#include <pwd.h>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "8418.h"
#include "DBTicket.h"
#include "DBTicketHistory.h"
#include "FixedPaths.h"
#include "PgFixture.h"
#include "Process.h"

namespace {

const char* const kMorvik = MORVIK_BINARY;
const std::string kDriver = "J\xf6rg";
const std::string kDriverUtf8 = "J\xc3\xb6rg";

class MorvikTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        MakeDirs(fixedpaths::kConfigDir);
        WriteFile(Config("database.f"), "[database]\nhost addr=localhost\n");
        Exec("INSERT INTO batchcounter_t(plant_c) VALUES (1)");
        // The master data of the day, every record through morvik.
        for (const char* line : {"SAND agg", "STONE agg", "CEM cmt", "WATER water"}) {
            std::istringstream words(line);
            std::string id, type;
            words >> id >> type;
            Ok({"product", "add", id, "--type", type, "--description", "Prod " + id, "--unitmeasure", "lb"});
        }
        Ok({"product", "add", "PUMP", "--type", "fee", "--description", "Pump", "--unitprice", "99"});
        Ok({"customer", "add", "OHARA", "--name", "O'Hara Ltd", "--city", "Ashford", "--printticket", "t"});
        Ok({"truck", "add", "TR7", "--driver", kDriver, "--maxloadsize", "10"});
        Ok({"formula", "add", "MIX30", "--description", "30 MPa", "--price", "87.65", "--material", "SAND=1300",
            "--material", "stone=1800", "--material", "CEM=517", "--material", "WATER=30"});
        Ok({"job", "add", "J1", "--customer", "ohara", "--formula", "mix30", "--deliverto", "Harbour Rd 4",
            "--product", "PUMP=1@45", "--taxable", "t", "--salestax", "7"});
    }

    void TearDown() override
    {
        std::remove(Config("database.f").c_str());
        std::remove(Config("printers.f").c_str());
        PgFixture::TearDown();
    }

    static std::string Config(const std::string& name) { return std::string(fixedpaths::kConfigDir) + name; }

    ProcessResult Morvik(std::vector<std::string> args)
    {
        args.insert(args.begin(), kMorvik);
        return RunProcess(args);
    }

    // Runs a command that must succeed and returns its standard output.
    std::string Ok(const std::vector<std::string>& args)
    {
        ProcessResult r = Morvik(args);
        EXPECT_EQ(0, r.exitStatus) << args[0] << " " << args[1] << ": " << r.err;
        return r.out;
    }

    std::string Value(const std::string& sql) { return Query(sql).value_or("NULL"); }

    // Runs velmora with the capturing lpr first on PATH; the jobs land in
    // the spool's "jobs".
    static ProcessResult Velmora(const TempDir& spool, std::vector<std::string> args,
                                 std::vector<std::string> env = {})
    {
        const std::string bin = spool.Path() + "/bin";
        MakeDirs(bin);
        if (!FileExists(bin + "/lpr")) {
            EXPECT_EQ(0, symlink(FAKE_LPR, (bin + "/lpr").c_str()));
        }
        const char* path = std::getenv("PATH");
        env.push_back("PATH=" + bin + ":" + (path ? path : "/usr/bin:/bin"));
        env.push_back("LPR_CAPTURE_DIR=" + spool.Path() + "/jobs");
        args.insert(args.begin(), VELMORA_BINARY);
        return RunProcess(args, env);
    }
};

TEST_F(MorvikTest, MasterDataIsShownListedChangedAndDeleted)
{
    EXPECT_EQ("CEM    cmt    Prod CEM    0\n"
              "PUMP   fee    Pump        99\n"
              "SAND   agg    Prod SAND   0\n"
              "STONE  agg    Prod STONE  0\n"
              "WATER  water  Prod WATER  0\n",
              Ok({"product", "list"}));
    EXPECT_EQ("TR7  " + kDriver + "  10\n", Ok({"truck", "list"}));
    EXPECT_EQ("J1  OHARA  MIX30  Harbour Rd 4\n", Ok({"job", "list"}));

    // Found in any letter case, shown and saved with the stored identifier.
    Ok({"product", "set", "pump", "--unitprice", "101.5", "--description", "Pump, 42 m"});
    std::string pump = Ok({"product", "show", "Pump"});
    EXPECT_EQ(0u, pump.find("entry: 5\nid: PUMP\ntype: fee\ndescription: Pump, 42 m\n")) << pump;
    EXPECT_NE(std::string::npos, pump.find("\nunitprice: 101.5\n"));

    std::string formula = Ok({"formula", "show", "MIX30"});
    EXPECT_NE(std::string::npos,
              formula.find("price: 87.65\ntotalbatches: 0\nusagedate: \nmaterial: SAND 1300\nmaterial: STONE 1800\n"
                           "material: CEM 517\nmaterial: WATER 30\n"))
        << formula;
    Ok({"formula", "set", "MIX30", "--material", "SAND=1250", "--material", "CEM=500"});
    EXPECT_EQ("CEM:500 SAND:1250", Value("SELECT string_agg(productid_c || ':' || amount_c, ' ' ORDER BY productid_c) "
                                         "FROM productlinker_t WHERE linkid_c='MIX30'"));

    std::string job = Ok({"job", "show", "j1", "--customer", "OHARA"});
    EXPECT_NE(std::string::npos, job.find("id: J1\ncustomerid: OHARA\nformulaid: MIX30\ndeliverto: Harbour Rd 4\n"));
    EXPECT_NE(std::string::npos, job.find("\nformulaprice: 87.65\n"));
    EXPECT_NE(std::string::npos, job.find("\ncustomer: OHARA O'Hara Ltd\nformula: MIX30 30 MPa\nmaterial: SAND 1250\n"
                                          "material: CEM 500\nproduct: PUMP 1@45\n"))
        << job;

    Ok({"truck", "delete", "tr7"});
    EXPECT_EQ("", Ok({"truck", "list"}));
    EXPECT_EQ("0", Value("SELECT count(*) FROM truck_t"));
}

TEST_F(MorvikTest, ADayAtThePlant)
{
    EXPECT_EQ("1\n", Ok({"batch", "queue", "--job", "j1", "--customer", "ohara", "--truck", "tr7", "--size", "8",
                         "--printprices", "t", "--printweights", "t"}));
    EXPECT_EQ("2\n", Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "4",
                         "--cycles", "2", "--id", "Load-2"}));
    EXPECT_EQ("1  Entry1  J1  OHARA  MIX30  TR7  8  1\n"
              "2  Load-2  J1  OHARA  MIX30  TR7  4  2\n",
              Ok({"batch", "list"}));
    std::string batch = Ok({"batch", "show", "2"});
    EXPECT_NE(std::string::npos, batch.find("driver: " + kDriver + "\nbatchsize: 4\ncycles: 2\n"));
    EXPECT_NE(std::string::npos, batch.find("material: SAND 5200\nmaterial: STONE 7200\nmaterial: CEM 2068\n"
                                            "material: WATER 120\nproduct: PUMP 1@45\n"))
        << batch;

    EXPECT_EQ("T1\n", Ok({"batch", "finish", "1", "--actual", "sand=10450", "--moisture", "SAND=4.5"}));
    // 87.65 x 8 + 45 for the pump, and 7 % of that.
    EXPECT_EQ("746.2 52.23 798.43 10450 4.5 10868", Value("SELECT subtotal_c || ' ' || tax_c || ' ' || total_c || ' ' "
                                                          "|| pgxml_xpath(xmldata_c, '//matl[@num=1]/actual_c/text()', "
                                                          "'', '')::real || ' ' || pgxml_xpath(xmldata_c, "
                                                          "'//matl[@num=1]/moisture_c/text()', '', '')::real || ' ' || "
                                                          "pgxml_xpath(xmldata_c, '//matl[@num=1]/adjustedtarget_c/"
                                                          "text()', '', '')::real FROM ticket_t WHERE id_c='T1'"));

    // The first of two cycles: the second goes back into the queue.
    EXPECT_EQ("T2\n", Ok({"batch", "finish", "2"}));
    EXPECT_EQ("3  Entry3  J1  OHARA  MIX30  TR7  4  1\n", Ok({"batch", "list"}));
    EXPECT_EQ("T3\n", Ok({"batch", "finish", "3"}));
    EXPECT_EQ("", Ok({"batch", "list"}));
    EXPECT_EQ("0", Value("SELECT count(*) FROM productlinker_t WHERE linkid_c LIKE 'Batch%'"));

    // Every load is booked.
    EXPECT_EQ("3 16", Value("SELECT loadsdelivered_c || ' ' || yardsdelivered_c::float8 FROM batchcounter_t"));
    // The library books each total as the float it is: to the cent, not beyond.
    EXPECT_EQ("3 16 1645.01", Value("SELECT totalbatches_c || ' ' || totalyards_c::float8 || ' ' || "
                                    "round(balance_c, 2)::float8 FROM customer_t"));
    EXPECT_EQ("3 16", Value("SELECT loadsdelivered_c || ' ' || quantitydelivered_c::float8 FROM job_t"));
    EXPECT_EQ("3 16", Value("SELECT loadsdelivered_c || ' ' || yardsdelivered_c::float8 FROM truck_t"));
    EXPECT_EQ("20850", Value("SELECT actualusage1_c::float8 FROM product_t WHERE id_c='SAND'"));

    Ok({"ticket", "void", "t2", "--reason", "wrong truck"});
    EXPECT_EQ("t", Value("SELECT void_c FROM ticket_t WHERE id_c='T2'"));
    std::string today = Value("SELECT to_char(now(), 'YYYY-MM-DD')");
    std::string list = Ok({"ticket", "list", "--date", today});
    EXPECT_NE(std::string::npos, list.find("OHARA  J1  MIX30  TR7  4  423.29  void\n")) << list;
    EXPECT_EQ(3, std::count(list.begin(), list.end(), '\n'));
    EXPECT_EQ("", Ok({"ticket", "list", "--date", "2001-01-01"}));

    // velmora shows and prints what morvik stored.
    std::string shown = Ok({"ticket", "show", "T1"});
    EXPECT_EQ(RunProcess({VELMORA_BINARY, "view", "", "T1", "1", "yes"}).out, shown);
    EXPECT_NE(std::string::npos, shown.find("798.43"));

    TempDir spool;
    WriteFile(Config("printers.f"), "[ticket1]\ncopies=1\ncopy 1 name=CUSTOMER\n");
    ProcessResult print = Velmora(spool, {"print", "ticket1", "T1", "1", "no"});
    ASSERT_EQ(0, print.exitStatus) << print.err;
    EXPECT_EQ("1", Value("SELECT invoice_c FROM ticket_t WHERE id_c='T1'"));
    DBTicket stored(kOwnerConnInfo);
    ASSERT_TRUE(stored.LoadXmlById("T1"));
    std::ostringstream layout;
    PrintTicket(layout, &stored, "1", "no", 0, 0, "CUSTOMER", true, true);
    EXPECT_EQ(layout.str(), ReadFile(spool.Path() + "/jobs/001.data"));
}

TEST_F(MorvikTest, ExportsHoldWhatWasStored)
{
    Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "2.5", "--ordernumber",
        "PO \"7\", line 2\nrush"});
    ASSERT_EQ("T1\n", Ok({"batch", "finish", "1"}));
    Ok({"ticket", "void", "T1", "--reason", "returned"});

    std::string json = Ok({"ticket", "export", "t1", "--format", "json"});
    EXPECT_EQ(0u, json.find("{\n  \"id\": \"T1\",\n  \"entry\": 1,\n  \"date\": \"" +
                            Value("SELECT date_c FROM ticket_t") + "\",\n  \"invoice\": 0,\n  \"plant\": 1,\n"
                            "  \"void\": true,\n"))
        << json;
    for (const std::string& member : std::vector<std::string>{
             "\n  \"ordernumber\": \"PO \\\"7\\\", line 2\\nrush\",\n", "\n  \"batchsize\": 2.5,\n",
             "\n  \"total\": " + Value("SELECT total_c FROM ticket_t") + ",\n",
             "\n  \"driver\": \"" + kDriverUtf8 + "\",\n", "\n    \"name\": \"O'Hara Ltd\",\n",
             "\n  \"materials\": [\n    {\n      \"id\": \"SAND\",\n      \"type\": \"agg\",\n",
             "\n      \"target\": 3250,\n", "\n  \"products\": [\n    {\n      \"id\": \"PUMP\",\n",
             "\n      \"unitprice\": 45,\n      \"amount\": 1,\n      \"position\": 1\n    }\n  ],\n  \"digest\": \"" +
                 Value("SELECT ticket_digest(xmldata_c) FROM ticket_t") + "\",\n  \"events\": [\n    {\n",
             "\n      \"kind\": \"voided\",\n", "\n      \"reason\": \"returned\",\n"})
        EXPECT_NE(std::string::npos, json.find(member)) << member << "\n" << json;

    // The e-ticket holds its texts as text, and says it is void.
    TempDir dir;
    WriteFile(dir.Path() + "/t1.pdf", Ok({"ticket", "export", "T1", "--format", "pdf"}));
    ProcessResult text = RunProcess({"/usr/bin/pdftotext", "-enc", "Latin1", dir.Path() + "/t1.pdf", "-"});
    ASSERT_EQ(0, text.exitStatus) << text.err;
    for (const char* shown : {"T1", "O'Hara Ltd", "Harbour Rd 4", "VOID"})
        EXPECT_NE(std::string::npos, text.out.find(shown)) << shown << "\n" << text.out;

    std::string today = Value("SELECT to_char(now(), 'YYYY-MM-DD')");
    EXPECT_EQ("identifier,invoice,date,customer,job,delivery site,formula,truck,driver,batch size,total,void\r\n"
              "T1,0," +
                  Value("SELECT date_c FROM ticket_t") + ",OHARA,J1,Harbour Rd 4,MIX30,TR7," + kDriverUtf8 + ",2.5," +
                  Value("SELECT total_c FROM ticket_t") + ",true\r\n",
              Ok({"ticket", "export", "--date", today, "--format", "csv"}));
}

TEST_F(MorvikTest, EveryEventOfATicketIsInItsHistoryAndVerified)
{
    Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "8"});
    ASSERT_EQ("T1\n", Ok({"batch", "finish", "1"}));
    TempDir spool;
    WriteFile(Config("printers.f"), "[ticket1]\ncopies=2\n");
    const std::string saveFile = fixedpaths::kSaveFile;
    MakeDirs(saveFile.substr(0, saveFile.rfind('/')));
    ASSERT_EQ(0, Velmora(spool, {"print", "ticket1", "T1", "1", "no"}).exitStatus);
    // As sorvane runs it for a web request; the client is untrusted text.
    ASSERT_EQ(0, Velmora(spool, {"save", "web", "t1", "1", "yes"},
                         {std::string(kWebClientVariable) + "=alice@10.0.0.5\x1b"})
                     .exitStatus);
    Ok({"ticket", "void", "T1", "--reason", "wrong truck"});
    ProcessResult again = Morvik({"ticket", "void", "T1", "--reason", "twice"});
    EXPECT_EQ(1, again.exitStatus);
    EXPECT_EQ("morvik: voiding ticket 'T1': already void\n", again.err);

    const passwd* pw = getpwuid(getuid());
    const std::string user = pw ? pw->pw_name : "";
    // Each line's time (the server's) becomes "T", the blanks between columns "|".
    const std::string history = std::regex_replace(Ok({"ticket", "history", "t1"}),
                                                   std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"), "T");
    EXPECT_EQ("T|stored|" + user + "|digest " + Value("SELECT ticket_digest(xmldata_c) FROM ticket_t") + "\nT|printed|" +
                  user + "|printer ticket1, invoice 1, 2 copies\nT|saved|" + user + " for alice@10.0.0.5?\nT|voided|" +
                  user + "|reason: wrong truck\n",
              std::regex_replace(history, std::regex(" {2,}"), "|"));

    const std::string lastHash = Value("SELECT hash_c FROM ticketevent_t ORDER BY event_c DESC LIMIT 1");
    EXPECT_EQ("verified 1 ticket and 4 events: 0 problems; last hash " + lastHash + "\n", Ok({"ticket", "verify"}));
    Exec("UPDATE ticket_t SET xmldata_c=replace(xmldata_c, 'Harbour', 'Harbor')");
    ProcessResult tampered = Morvik({"ticket", "verify", "T1"});
    EXPECT_EQ(1, tampered.exitStatus);
    EXPECT_EQ("ticket T1: snapshot changed\nverified 1 ticket and 4 events: 1 problem; last hash " + lastHash + "\n",
              tampered.out);
    EXPECT_EQ("morvik: the history shows 1 problem\n", tampered.err);
}

// Identifiers are untrusted text: quotes, Latin-1 bytes, SQL, leading dashes
// and very long values are stored and found like any other.
TEST_F(MorvikTest, HostileIdentifiersAreJustText)
{
    const std::string longText(20000, 'x');
    for (const std::string& id : {std::string("O'Neil's \xe9"), std::string("x'); DROP TABLE product_t; --"),
                                  std::string("--dash"), std::string("K") + longText}) {
        ProcessResult add = Morvik({"product", "add", "--description", longText, "--type", "fee", "--", id});
        ASSERT_EQ(0, add.exitStatus) << add.err;
        std::string shown = Ok({"product", "show", "--", id});
        EXPECT_EQ(0u, shown.find("entry: ")) << shown.substr(0, 200);
        EXPECT_NE(std::string::npos, shown.find("\nid: " + id + "\ntype: fee\ndescription: " + longText + "\n"));
        Ok({"product", "delete", "--", id});
    }
    EXPECT_EQ("5", Value("SELECT count(*) FROM product_t"));
}

struct Refusal {
    std::vector<std::string> args;
    int status;
    std::string message;  // the start of the one line on standard error
};

void PrintTo(const Refusal& r, std::ostream* os)
{
    for (const std::string& arg : r.args)
        *os << arg << " ";
}

class MorvikRefuses : public MorvikTest, public ::testing::WithParamInterface<Refusal> {};

// Each refusal exits with its status and one line, and leaves every table as it was.
TEST_P(MorvikRefuses, WithOneLineAndWritesNothing)
{
    Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "8"});
    Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "8"});
    Ok({"batch", "void", "2"});
    std::string before = Contents();
    ProcessResult r = Morvik(GetParam().args);
    EXPECT_EQ(GetParam().status, r.exitStatus);
    EXPECT_EQ(0u, r.err.find(GetParam().message)) << r.err;
    EXPECT_EQ(1, std::count(r.err.begin(), r.err.end(), '\n')) << r.err;
    EXPECT_EQ("", r.out);
    EXPECT_EQ(before, Contents());
}

const std::vector<std::string> kQueue = {"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7"};

std::vector<std::string> Queue(std::vector<std::string> more)
{
    more.insert(more.begin(), kQueue.begin(), kQueue.end());
    return more;
}

INSTANTIATE_TEST_SUITE_P(
    Usage, MorvikRefuses,
    ::testing::Values(
        Refusal{Queue({"--size", "8x"}), 2, "usage: --size: '8x' is not a number"},
        Refusal{Queue({"--size", "0"}), 2, "usage: --size must be above 0"},
        Refusal{Queue({"--size", "nan"}), 2, "usage: --size: 'nan' is not a number"},
        Refusal{Queue({"--size", "8", "--cycles", "2.5"}), 2, "usage: --cycles: '2.5' is not a whole number"},
        Refusal{Queue({"--size", " 8"}), 2, "usage: --size: ' 8' is not a number"},
        Refusal{Queue({"--size", "8", "--printticket", "yes"}), 2, "usage: --printticket: 'yes' is not t or f"},
        Refusal{{"product", "set", "SAND", "--unitprice", "abc"}, 2, "usage: --unitprice: 'abc' is not a number"},
        Refusal{{"product", "add", "X", "--colour", "red"}, 2, "usage: unknown option --colour"},
        Refusal{{"product", "add", "X", "--type"}, 2, "usage: --type needs a value"},
        Refusal{{"product", "add", "X", "--type", "a", "--type", "b"}, 2, "usage: --type given twice"},
        Refusal{{"product", "add"}, 2, "usage: wrong number of operands"},
        Refusal{{"product", "paint"}, 2, "usage: unknown action product paint"},
        Refusal{{"widget", "list"}, 2, "usage: unknown kind widget"},
        Refusal{{"batch", "finish", "1x"}, 2, "usage: ENTRY: '1x' is not a whole number"},
        Refusal{{"ticket", "list", "--date", "2026-02-30"}, 2, "usage: --date: '2026-02-30' is not a date"},
        Refusal{{"ticket", "export", "T1", "--format", "csv"}, 2, "usage: a ticket exports as --format json"},
        Refusal{{"ticket", "void", "T1"}, 2, "usage: --reason is required"},
        Refusal{{"ticket", "void", "T1", "--reason", ""}, 2, "usage: --reason must say why the ticket is voided"},
        Refusal{{"ticket", "verify", "T1", "--date", "2026-12-08"}, 2,
                "usage: ticket verify takes either a ticket ID or --date YYYY-MM-DD"},
        Refusal{{"job", "show", "J1"}, 2, "usage: --customer is required"},
        Refusal{{"formula", "add", "F2"}, 2, "usage: formula add needs at least one --material"},
        Refusal{{"formula", "add", "F2", "--material", "SAND"}, 2, "usage: --material: 'SAND' is not PRODUCT=AMOUNT"},
        Refusal{{"job", "add", "J2", "--customer", "OHARA", "--formula", "MIX30", "--product", "PUMP=1@x"}, 2,
                "usage: --product PUMP price: 'x' is not a number"}));

const std::vector<std::string> kJobSet = {"job", "set", "J1", "--customer", "OHARA"};

std::vector<std::string> JobSet(std::vector<std::string> more)
{
    more.insert(more.begin(), kJobSet.begin(), kJobSet.end());
    return more;
}

// Figures no load has: negative amounts and prices, percents beyond 0 to
// 100, a size the database would store as 0.
INSTANTIATE_TEST_SUITE_P(
    Numbers, MorvikRefuses,
    ::testing::Values(
        Refusal{Queue({"--size", "1e-7"}), 2, "usage: --size must be above 0"},
        Refusal{Queue({"--size", "8", "--salestax", "-200"}), 2, "usage: --salestax must be from 0 to 100"},
        Refusal{{"batch", "finish", "1", "--actual", "CEM=-99999"}, 2, "usage: --actual CEM must not be negative"},
        Refusal{{"batch", "finish", "1", "--moisture", "SAND=-500"}, 2,
                "usage: --moisture SAND must be from 0 to 100"},
        Refusal{{"formula", "add", "F2", "--material", "SAND=1300", "--material", "CEM=-517"}, 2,
                "usage: --material CEM must not be negative"},
        Refusal{{"formula", "set", "MIX30", "--price", "-87.65"}, 2, "usage: --price must not be negative"},
        Refusal{{"job", "add", "J2", "--customer", "OHARA", "--formula", "MIX30", "--product", "PUMP=1@-5"}, 2,
                "usage: --product PUMP price must not be negative"},
        Refusal{JobSet({"--salestax", "-200"}), 2, "usage: --salestax must be from 0 to 100"}));

INSTANTIATE_TEST_SUITE_P(
    NotFoundOrTaken, MorvikRefuses,
    ::testing::Values(
        Refusal{{"product", "add", "SAND", "--type", "agg"}, 1,
                "morvik: ID 'SAND' already exists.  Please use a unique ID. ID 'SAND' is assigned to Product"},
        Refusal{{"product", "add", "sand"}, 1, "morvik: product 'sand' already exists as product 'SAND'"},
        Refusal{{"job", "add", "j1", "--customer", "OHARA", "--formula", "MIX30"}, 1,
                "morvik: job 'j1' already exists as job 'J1'"},
        Refusal{{"product", "show", "GRAVEL"}, 1, "morvik: product 'GRAVEL' not found"},
        Refusal{{"product", "delete", "GRAVEL"}, 1, "morvik: product 'GRAVEL' not found"},
        Refusal{{"job", "show", "J1", "--customer", "NOPE"}, 1, "morvik: job 'J1' of customer 'NOPE' not found"},
        Refusal{{"job", "add", "J2", "--customer", "NOPE", "--formula", "MIX30"}, 1,
                "morvik: customer 'NOPE' not found"},
        Refusal{{"job", "add", "J2", "--customer", "OHARA", "--formula", "MIX30", "--product", "SAND=1"}, 1,
                "morvik: product 'SAND' is a material"},
        Refusal{{"formula", "add", "F2", "--material", "PUMP=1"}, 1, "morvik: product 'PUMP' is not a material"},
        Refusal{{"formula", "add", "F2", "--material", "GRAVEL=1"}, 1, "morvik: product 'GRAVEL' not found"},
        Refusal{Queue({"--size", "8", "--id", "entry1"}), 1, "morvik: batch 'entry1' is already queued"},
        // The rest of a load is queued as Entry and its new entry number.
        Refusal{Queue({"--size", "8", "--id", "ENTRY4", "--cycles", "2"}), 1,
                "morvik: batch 'ENTRY4': Entry and a number name the batches the queue numbers itself"},
        Refusal{{"batch", "queue", "--job", "J9", "--customer", "OHARA", "--truck", "TR7", "--size", "8"}, 1,
                "morvik: job 'J9' of customer 'OHARA' not found"},
        Refusal{{"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "NOPE", "--size", "8"}, 1,
                "morvik: truck 'NOPE' not found"},
        Refusal{{"batch", "show", "99"}, 1, "morvik: batch 99 not found"},
        Refusal{{"batch", "finish", "99"}, 1, "morvik: batch 99 not found"},
        Refusal{{"batch", "finish", "2"}, 1, "morvik: batch 2 is void"},
        Refusal{{"batch", "finish", "1", "--actual", "GRAVEL=5"}, 1, "morvik: batch 1 has no material 'GRAVEL'"},
        Refusal{{"ticket", "show", "T9"}, 1, "morvik: ticket 'T9' not found"},
        Refusal{{"ticket", "void", "T9", "--reason", "x"}, 1, "morvik: ticket 'T9' not found"},
        Refusal{{"ticket", "history", "T9"}, 1, "morvik: ticket 'T9' not found"},
        Refusal{{"ticket", "verify", "T9"}, 1, "morvik: ticket 'T9' not found"}));

// What would leave the data wrong: a list that loses a product, a load the
// truck cannot carry or no plant counts, links that meet another record's.
INSTANTIATE_TEST_SUITE_P(
    WouldCorrupt, MorvikRefuses,
    ::testing::Values(
        Refusal{{"product", "delete", "STONE"}, 1,
                "morvik: deleting product 'STONE': product 'STONE' is in use by formula 'MIX30'"},
        Refusal{{"product", "delete", "pump"}, 1,
                "morvik: deleting product 'PUMP': product 'PUMP' is in use by job 'J1' of customer 'OHARA'"},
        Refusal{Queue({"--size", "10.5"}), 1, "morvik: the size for truck 'TR7' must be from 0 to 10, not 10.5"},
        Refusal{Queue({"--size", "8", "--plant", "-7"}), 1, "morvik: plant -7 has no delivery counters"},
        Refusal{{"formula", "add", "BatchEntry12", "--material", "CEM=1"}, 1,
                "morvik: adding formula 'BatchEntry12': an identifier beginning with Batch would share"},
        Refusal{{"formula", "add", "job1", "--material", "CEM=1"}, 1,
                "morvik: adding formula 'job1': Job and a number would share a job's lines"}));

// Two clerks change different fields of one customer while a finish holds
// its row: each edit keeps the other's.
TEST_F(MorvikTest, ClerksEditingOneRecordAtOnceKeepBothEdits)
{
    Exec("BEGIN");
    Exec("SELECT * FROM customer_t FOR UPDATE");
    ProcessResult phone;
    ProcessResult city;
    std::thread first([&] { phone = Morvik({"customer", "set", "OHARA", "--phone", "555 0101"}); });
    std::thread second([&] { city = Morvik({"customer", "set", "ohara", "--city", "Zeta"}); });
    EXPECT_TRUE(AwaitLockWaiters(2));
    Exec("COMMIT");
    first.join();
    second.join();
    EXPECT_EQ(0, phone.exitStatus) << phone.err;
    EXPECT_EQ(0, city.exitStatus) << city.err;
    EXPECT_EQ("555 0101 Zeta", Value("SELECT phone_c || ' ' || city_c FROM customer_t"));
}

// Clerks adding one customer at once, in any letter case: every one has
// checked that it is new before any of them writes it.
TEST_F(MorvikTest, ClerksAddingOneRecordAtOnceMakeOneRecord)
{
    Exec("BEGIN");
    Exec("LOCK TABLE customer_t IN SHARE MODE");
    std::vector<ProcessResult> results(4);
    std::vector<std::thread> clerks;
    for (size_t i = 0; i < results.size(); ++i)
        clerks.emplace_back([&, i] { results[i] = Morvik({"customer", "add", i % 2 ? "dup" : "DUP"}); });
    EXPECT_TRUE(AwaitLockWaiters(static_cast<int>(results.size())));
    Exec("COMMIT");
    for (std::thread& clerk : clerks)
        clerk.join();

    EXPECT_EQ("1", Value("SELECT count(*) FROM customer_t WHERE LOWER(id_c)='dup'"));
    int refused = 0;
    for (const ProcessResult& r : results)
        if (r.exitStatus == 1 && r.err.find("already exists") != std::string::npos && r.out.empty())
            ++refused;
    EXPECT_EQ(3, refused);
    EXPECT_EQ(0, Morvik({"customer", "delete", "Dup"}).exitStatus);
    EXPECT_EQ("0", Value("SELECT count(*) FROM customer_t WHERE LOWER(id_c)='dup'"));
}

struct Unwritable {
    std::vector<std::string> args;  // "TODAY" stands for the day's date
    int status;
    std::string err;       // all of standard error
    std::string contents;  // the identifiers in batch_t, then in ticket_t, afterwards
};

void PrintTo(const Unwritable& u, std::ostream* os)
{
    for (const std::string& arg : u.args)
        *os << arg << " ";
}

class MorvikUnwritable : public MorvikTest, public ::testing::WithParamInterface<Unwritable> {};

// With standard output on a full disk whatever was to be printed is lost: the
// run fails with one line that names any record it stored all the same.
TEST_P(MorvikUnwritable, FailsAndNamesWhatWasStored)
{
    Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "8"});
    Ok({"batch", "queue", "--job", "J1", "--customer", "OHARA", "--truck", "TR7", "--size", "4"});
    ASSERT_EQ("T1\n", Ok({"batch", "finish", "1"}));
    std::vector<std::string> argv = {kMorvik};
    for (const std::string& arg : GetParam().args)
        argv.push_back(arg == "TODAY" ? Value("SELECT to_char(now(), 'YYYY-MM-DD')") : arg);
    ProcessResult r = RunProcess(argv, {}, "/dev/full");
    EXPECT_EQ(GetParam().status, r.exitStatus);
    EXPECT_EQ(GetParam().err, r.err);
    EXPECT_EQ(GetParam().contents, Value("SELECT coalesce((SELECT string_agg(id_c, ' ' ORDER BY entry_c) FROM batch_t), '') || "
                                         "' / ' || (SELECT string_agg(id_c, ' ' ORDER BY entry_c) FROM ticket_t)"));
}

const std::string kFull = "standard output could not be written: No space left on device\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, MorvikUnwritable,
    ::testing::Values(
        Unwritable{{"batch", "list"}, 1, "morvik: " + kFull, "Entry2 / T1"},
        Unwritable{{"ticket", "export", "--date", "TODAY"}, 1, "morvik: " + kFull, "Entry2 / T1"},
        Unwritable{{"ticket", "export", "T1"}, 1, "morvik: " + kFull, "Entry2 / T1"},
        Unwritable{{"batch", "--help"}, 1, "morvik: " + kFull, "Entry2 / T1"},
        Unwritable{Queue({"--size", "2"}), 1, "morvik: batch entry 3 was queued, but " + kFull, "Entry2 Entry3 / T1"},
        Unwritable{{"batch", "finish", "2"}, 1, "morvik: ticket T2 was stored, but " + kFull, " / T1 T2"},
        // Nothing to print, nothing lost.
        Unwritable{{"batch", "void", "2"}, 0, "", "Entry2 / T1"}));

TEST(MorvikHelp, ListsEveryActionAndNamesItsOptions)
{
    ProcessResult top = RunProcess({kMorvik, "--help"});
    EXPECT_EQ(0, top.exitStatus);
    for (const char* kind : {"product", "customer", "truck", "formula", "job"})
        for (const char* action : {" add ID", " show ID", " list", " set ID", " delete ID"})
            EXPECT_NE(std::string::npos, top.out.find(std::string("morvik ") + kind + action)) << kind << action;
    for (const char* action : {"batch queue", "batch list", "batch show ENTRY", "batch void ENTRY",
                               "batch finish ENTRY", "ticket list", "ticket show ID", "ticket void ID",
                               "ticket export [ID]"})
        EXPECT_NE(std::string::npos, top.out.find(std::string("morvik ") + action)) << action;

    struct {
        std::vector<std::string> action;
        std::vector<std::string> options;
    } helps[] = {
        {{"batch", "queue"}, {"--job JOB", "--customer CUSTOMER", "--truck TRUCK", "--size SIZE", "--cycles N"}},
        {{"batch", "finish"}, {"--actual PRODUCT=VALUE", "--moisture PRODUCT=PERCENT"}},
        {{"product", "add"}, {"--description VALUE", "--unitprice VALUE", "--taxable VALUE"}},
        {{"job", "set"}, {"--deliverto VALUE", "--formulaprice VALUE", "--product PRODUCT=AMOUNT[@PRICE]"}},
        {{"ticket", "export"}, {"--date YYYY-MM-DD", "--format json|pdf|csv"}},
    };
    for (const auto& help : helps) {
        std::vector<std::string> argv = {kMorvik};
        argv.insert(argv.end(), help.action.begin(), help.action.end());
        argv.push_back("--help");
        ProcessResult r = RunProcess(argv);
        EXPECT_EQ(0, r.exitStatus);
        for (const std::string& option : help.options)
            EXPECT_NE(std::string::npos, r.out.find(option)) << help.action[1] << " " << option << "\n" << r.out;
    }
}

// An office edit of a record, and the usage that finished loads booked in
// its table.
struct Booked {
    std::vector<std::string> edit;
    const char* table;
    const char* columns;
    const char* values;
    const char* where = "";
};

class MorvikEdits : public MorvikTest, public ::testing::WithParamInterface<Booked> {};

// The figures are more than a float holds: an edit that wrote back what it
// had read would change them, and one that overlapped a finish would undo it.
TEST_P(MorvikEdits, LeaveTheBookedUsageAlone)
{
    const std::string table = GetParam().table;
    const std::string where = GetParam().where;
    const std::string booked = std::string("SELECT (") + GetParam().columns + ")::text FROM " + table + where;
    const std::string whole = "SELECT t::text FROM " + table + " t" + where;
    Exec("UPDATE " + table + " SET (" + GetParam().columns + ") = (" + GetParam().values + ")" + where);
    const std::string before = Value(booked);
    const std::string row = Value(whole);
    Ok(GetParam().edit);
    EXPECT_NE(row, Value(whole)) << "the edit changed nothing";
    EXPECT_EQ(before, Value(booked));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRecord, MorvikEdits,
    ::testing::Values(
        Booked{{"customer", "set", "OHARA", "--phone", "555 0101"}, "customer_t",
               "totalbatches_c, totalyards_c, balance_c, usagedate_c", "21, 12345678.91, 12345678.91, '2026-12-01'"},
        Booked{{"job", "set", "J1", "--customer", "OHARA", "--instructions", "gate 2"}, "job_t",
               "loadsdelivered_c, quantitydelivered_c", "21, 12345678.91"},
        Booked{{"formula", "set", "MIX30", "--description", "30 MPa, slump 4"}, "formula_t",
               "totalbatches_c, usagedate_c", "21, '2026-12-01'"},
        Booked{{"product", "set", "PUMP", "--description", "Pump, 36 m"}, "product_t",
               "balance_c, actualusage1_c, actualusage2_c", "12345678.91, 12345678.91, 21", " WHERE id_c='PUMP'"},
        Booked{{"truck", "set", "TR7", "--driver", "Ann"}, "truck_t",
               "loadsdelivered_c, yardsdelivered_c, usagedate_c", "21, 12345678.91, '2026-12-01'"}));

TEST_F(MorvikTest, AnUnreachableDatabaseIsARefusal)
{
    WriteFile(Config("database.f"), "[database]\nhost addr=127.0.0.3\nport=1\n");
    ProcessResult r = Morvik({"product", "list"});
    EXPECT_EQ(1, r.exitStatus);
    EXPECT_EQ(0u, r.err.find("morvik: listing the products: ")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("127.0.0.3"));
}

}  // namespace
