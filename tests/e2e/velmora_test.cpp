// velmora end to end: the real binary against the test cluster, with a
// capturing lpr first on PATH.

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "8418.h"
#include "FixedPaths.h"
#include "PgFixture.h"
#include "Process.h"
#include "SampleTickets.h"
#include "print.h"

namespace {

const char* const kVelmora = VELMORA_BINARY;
const char* const kFakeLpr = FAKE_LPR;

std::string Dir(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

std::string Layout(DBTicket& ticket, int before, int after, const std::string& name, bool prices, bool weights)
{
    std::ostringstream out;
    PrintTicket(out, &ticket, "1", "yes", before, after, name, prices, weights);
    return out.str();
}

class VelmoraTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        MakeDirs(std::string(fixedpaths::kConfigDir));
        MakeDirs(Dir(fixedpaths::kSaveFile));
        std::remove(fixedpaths::kSaveFile);
        WriteDatabaseConfig("[database]\nhost addr=localhost\n");
        WritePrinters("");
        bin = scratch.Path() + "/bin";
        jobs = scratch.Path() + "/jobs";
        MakeDirs(bin);
        ASSERT_EQ(0, symlink(kFakeLpr, (bin + "/lpr").c_str()));
        imperial = samples::Imperial();
        Store(*imperial);
    }

    void TearDown() override
    {
        std::remove((std::string(fixedpaths::kConfigDir) + "database.f").c_str());
        std::remove((std::string(fixedpaths::kConfigDir) + "printers.f").c_str());
        SetCompress(10);
        PgFixture::TearDown();
    }

    void Store(DBTicket& ticket) { Exec(samples::InsertStatement(ticket)); }

    void WriteDatabaseConfig(const std::string& text)
    {
        WriteFile(std::string(fixedpaths::kConfigDir) + "database.f", text);
    }
    void WritePrinters(const std::string& text)
    {
        WriteFile(std::string(fixedpaths::kConfigDir) + "printers.f", text);
    }

    std::vector<std::string> Command(const std::vector<std::string>& args, bool valgrind = false) const
    {
        std::vector<std::string> argv;
        if (valgrind)
            argv = {"/usr/bin/valgrind", "--quiet", "--error-exitcode=99", "--leak-check=full",
                    "--errors-for-leak-kinds=definite,indirect,possible", "--show-leak-kinds=definite,indirect,possible"};
        argv.push_back(kVelmora);
        argv.insert(argv.end(), args.begin(), args.end());
        return argv;
    }

    ProcessResult Velmora(const std::vector<std::string>& args, bool valgrind = false)
    {
        const char* path = std::getenv("PATH");
        return RunProcess(Command(args, valgrind),
                          {"PATH=" + bin + ":" + (path ? path : "/usr/bin:/bin"), "LPR_CAPTURE_DIR=" + jobs});
    }

    std::string Job(int n, const char* part) const
    {
        char name[16];
        std::snprintf(name, sizeof name, "/%03d.", n);
        return ReadFile(jobs + name + part);
    }
    int JobCount() const { return FileExists(jobs) ? Count(jobs, ".args") : 0; }

    static int Count(const std::string& dir, const std::string& suffix)
    {
        ProcessResult ls = RunProcess({"/bin/ls", dir});
        int n = 0;
        std::istringstream names(ls.out);
        for (std::string name; std::getline(names, name);)
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                ++n;
        return n;
    }

    std::string Invoice(const std::string& id)
    {
        return Query("SELECT invoice_c FROM ticket_t WHERE id_c='" + id + "'").value_or("NULL");
    }

    TempDir scratch;
    std::string bin;
    std::string jobs;
    std::unique_ptr<DBTicket> imperial;
};

TEST_F(VelmoraTest, FewerThanFiveArgumentsIsAUsageError)
{
    ProcessResult r = Velmora({"print", "ticket1", "T1001", "1"});
    EXPECT_EQ(2, r.exitStatus);
    EXPECT_NE(std::string::npos, r.err.find("usage: velmora command printer id plant reprint"));
    EXPECT_EQ("", r.out);
    EXPECT_EQ(std::string::npos, r.err.find("LoadXmlById"));
    EXPECT_EQ(0, JobCount());
    EXPECT_EQ("0", Invoice("T1001"));
}

TEST_F(VelmoraTest, ViewWritesTheStoredTicketToStandardOutput)
{
    ProcessResult r = Velmora({"view", "", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_EQ(Layout(*imperial, 0, 0, "View Copy", true, true), r.out);
    EXPECT_NE(std::string::npos, r.err.find("ticket["));
    EXPECT_NE(std::string::npos, r.err.find(":main command=view printer= id=T1001 plant=1 reprint=yes"));
    EXPECT_NE(std::string::npos, r.err.find(":LoadXmlById \n"));
    EXPECT_EQ(0, JobCount());
    EXPECT_EQ("0", Invoice("T1001"));
}

TEST_F(VelmoraTest, EverySampleShowsAsItWasStored)
{
    for (auto& ticket : samples::All()) {
        if (ticket->Id() == "T1001")
            continue;
        Store(*ticket);
        ProcessResult r = Velmora({"view", "", ticket->Id(), "1", "yes"});
        EXPECT_EQ(0, r.exitStatus);
        // A control character in a text cannot stand in the snapshot: it is
        // stored as a blank, and the ticket stays readable.
        std::string instructions = ticket->Instructions();
        std::replace(instructions.begin(), instructions.end(), '\f', ' ');
        ticket->Instructions(instructions);
        EXPECT_EQ(Layout(*ticket, 0, 0, "View Copy", true, true), r.out) << ticket->Id();
    }
}

TEST_F(VelmoraTest, PrintWithAnEmptyPrinterIsAView)
{
    ProcessResult r = Velmora({"print", "", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_EQ(Layout(*imperial, 0, 0, "View Copy", true, true), r.out);
    EXPECT_EQ(0, JobCount());
    EXPECT_EQ("0", Invoice("T1001"));
}

TEST_F(VelmoraTest, PrintSendsEachCopyAsItsOwnJobWithANewInvoice)
{
    WritePrinters("[ticket1]\nraw=t\ncode=4\ncopies=2\nlines before=2\nlines after=-1\n"
                  "copy 1 name=CUSTOMER\ncopy 2 name=OFFICE\ncopy 2 print prices=f\n");
    Exec("SELECT setval('invoice_s', 41)");
    ProcessResult r = Velmora({"print", "ticket1", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_EQ("1\n2\n3\n4\n", r.out);
    EXPECT_EQ("42", Invoice("T1001"));
    EXPECT_NE(std::string::npos, r.err.find(":main GET NEXT INVOICE\n"));
    EXPECT_NE(std::string::npos, r.err.find(":main PRINT COPY #1\n"));
    EXPECT_NE(std::string::npos, r.err.find(":main PRINT COPY #2\n"));

    ASSERT_EQ(2, JobCount());
    EXPECT_EQ("-l\n-Pticket1\n", Job(1, "args"));
    EXPECT_EQ("-l\n-Pticket1\n", Job(2, "args"));
    imperial->Invoice(42);
    SetCompress(4);
    EXPECT_EQ(Layout(*imperial, 2, -1, "CUSTOMER", true, true), Job(1, "data"));
    EXPECT_EQ(Layout(*imperial, 2, -1, "OFFICE", false, true), Job(2, "data"));
    EXPECT_NE(std::string::npos, Job(1, "data").find('\x0f'));
    EXPECT_NE(Job(1, "data"), Job(2, "data"));
}

TEST_F(VelmoraTest, ATicketNotFoundTakesNoInvoiceNumber)
{
    WritePrinters("[ticket1]\ncopies=1\n");
    ASSERT_EQ(0, Velmora({"print", "ticket1", "T999", "1", "no"}).exitStatus);
    ASSERT_EQ(0, Velmora({"print", "ticket1", "T1001", "1", "no"}).exitStatus);
    EXPECT_EQ("1", Invoice("T1001"));
}

TEST_F(VelmoraTest, AbsurdCopiesAndBlankLinesAreCappedAndSaidInTheLog)
{
    WritePrinters("[ticket1]\ncopies=2000000000\nlines before=2000000000\nlines after=99999999999\n");
    ProcessResult r = Velmora({"print", "ticket1", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_NE(std::string::npos, r.err.find("printer ticket1: copies=2000000000 is more than 50, 50 used"));
    EXPECT_NE(std::string::npos, r.err.find("printer ticket1: lines before=2000000000 is more than 500, 500 used"));
    EXPECT_NE(std::string::npos, r.err.find("printer ticket1: lines after=2147483647 is more than 500, 500 used"));
    ASSERT_EQ(50, JobCount());
    imperial->Invoice(1);
    EXPECT_EQ(Layout(*imperial, 500, 500, "", true, true), Job(50, "data"));
}

TEST_F(VelmoraTest, EveryPrintTakesTheNextInvoiceAndStoresItOnTheRowFound)
{
    WritePrinters("[ticket1]\ncopies=1\n");
    ASSERT_EQ(0, Velmora({"print", "ticket1", "T1001", "1", "no"}).exitStatus);
    EXPECT_EQ("1", Invoice("T1001"));
    // The load ignores letter case; so does the invoice update.
    ASSERT_EQ(0, Velmora({"print", "ticket1", "t1001", "1", "yes"}).exitStatus);
    EXPECT_EQ("2", Invoice("T1001"));
    EXPECT_EQ(2, JobCount());
}

TEST_F(VelmoraTest, ThePseudoPrinterLogTakesNoInvoiceAndSendsAnEmptyJob)
{
    WritePrinters("[log]\ncopies=3\n");
    ProcessResult r = Velmora({"print", "log", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_EQ("1\n2\n3\n", r.out);
    EXPECT_EQ("0", Invoice("T1001"));
    EXPECT_NE(std::string::npos, r.err.find("GET NEXT INVOICE"));
    EXPECT_EQ(std::string::npos, r.err.find("PRINT COPY"));
    ASSERT_EQ(1, JobCount());
    EXPECT_EQ("-l\n-Plog\n", Job(1, "args"));
    EXPECT_EQ("", Job(1, "data"));
}

TEST_F(VelmoraTest, NoJobWithoutPrintFlagOrCopiesButTheInvoiceIsTaken)
{
    auto quiet = samples::Metric();
    quiet->PrintTicket(false);
    Store(*quiet);
    WritePrinters("[ticket1]\ncopies=2\n");

    ProcessResult noFlag = Velmora({"print", "ticket1", "M2002", "1", "yes"});
    EXPECT_EQ("1\n2\n3\n", noFlag.out);
    EXPECT_EQ("1", Invoice("M2002"));

    ProcessResult noSection = Velmora({"print", "elsewhere", "T1001", "1", "yes"});
    EXPECT_EQ("1\n2\n3\n4\n", noSection.out);
    EXPECT_EQ("2", Invoice("T1001"));
    EXPECT_EQ(0, JobCount());
}

TEST_F(VelmoraTest, OnlyTheStoredTextTMakesThePrintRaw)
{
    WritePrinters("[cooked]\nraw=f\ncopies=1\n[truthy]\nraw=true\ncopies=1\n");
    Velmora({"print", "cooked", "T1001", "1", "yes"});
    Velmora({"print", "truthy", "T1001", "1", "yes"});
    ASSERT_EQ(2, JobCount());
    EXPECT_EQ("-Pcooked\n", Job(1, "args"));
    EXPECT_EQ("-Ptruthy\n", Job(2, "args"));
}

TEST_F(VelmoraTest, APrinterNameIsOneLiteralArgument)
{
    std::string marker = scratch.Path() + "/p";
    std::string printer = "x;touch " + marker + " $(touch " + marker + ") 'q";
    WritePrinters("[" + printer + "]\ncopies=1\n");
    ProcessResult r = Velmora({"print", printer, "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_FALSE(FileExists(marker));
    ASSERT_EQ(1, JobCount());
    EXPECT_EQ("-l\n-P" + printer + "\n", Job(1, "args"));
}

TEST_F(VelmoraTest, AFailingSpoolerIsLoggedAndTheExitStatusStaysZero)
{
    WritePrinters("[ticket1]\ncopies=1\n");
    const char* path = std::getenv("PATH");
    ProcessResult r = RunProcess(Command({"print", "ticket1", "T1001", "1", "yes"}),
                                 {"PATH=" + bin + ":" + (path ? path : "/usr/bin:/bin"), "LPR_CAPTURE_DIR=" + jobs,
                                  "LPR_EXIT_STATUS=3"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_NE(std::string::npos, r.err.find("lpr ended with status 3"));
}

TEST_F(VelmoraTest, SaveReplacesTheWebCopyWholeAndTakesNoInvoice)
{
    WritePrinters("[web]\nlines before=1\nlines after=2\ncopies=5\n");
    auto metric = samples::Metric();
    Store(*metric);

    ASSERT_EQ(0, Velmora({"save", "web", "T1001", "1", "yes"}).exitStatus);
    EXPECT_EQ(Layout(*imperial, 1, 2, "REPRINT", true, true), ReadFile(fixedpaths::kSaveFile));
    ProcessResult second = Velmora({"save", "web", "M2002", "1", "yes"});
    EXPECT_EQ(0, second.exitStatus);
    EXPECT_EQ("", second.out);
    EXPECT_EQ(Layout(*metric, 1, 2, "REPRINT", true, true), ReadFile(fixedpaths::kSaveFile));

    EXPECT_EQ(0, JobCount());
    EXPECT_EQ("0", Invoice("T1001"));
    // Only the finished file is left in the web directory, readable by the web server.
    EXPECT_EQ(1, Count(Dir(fixedpaths::kSaveFile), ""));
    struct stat st;
    ASSERT_EQ(0, stat(fixedpaths::kSaveFile, &st));
    EXPECT_EQ(0644u, st.st_mode & 0777u);
}

TEST_F(VelmoraTest, UnknownAndHostileIdsLoadNothingAndBreakNothing)
{
    auto quoted = samples::Metric();
    quoted->Id("O'Neil-7");
    Store(*quoted);
    for (std::string id : {"NOPE", "x' OR '1'='1", "T1001'; DELETE FROM ticket_t; --"}) {
        ProcessResult r = Velmora({"view", "", id, "1", "yes"});
        EXPECT_EQ(0, r.exitStatus) << id;
        EXPECT_NE(std::string::npos, r.err.find("zero results for query")) << id;
        EXPECT_EQ(std::string::npos, r.err.find("ERROR:")) << id;
    }
    EXPECT_EQ("2", Query("SELECT count(*) FROM ticket_t").value_or(""));

    ProcessResult r = Velmora({"view", "", "o'neil-7", "1", "yes"});
    EXPECT_EQ(Layout(*quoted, 0, 0, "View Copy", true, true), r.out);
}

TEST_F(VelmoraTest, AnUnreachableDatabaseStillEndsWithStatusZero)
{
    WriteDatabaseConfig("[database]\nhost addr=127.0.0.3\nport=1\n");
    ProcessResult r = Velmora({"view", "", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_NE(std::string::npos, r.err.find("    QUERY: SELECT entry_c, date_c"));
    DBTicket empty("");
    empty.Id("T1001");
    EXPECT_EQ(Layout(empty, 0, 0, "View Copy", true, true), r.out);
}

TEST_F(VelmoraTest, ARemoteHostIsReachedOverTcp)
{
    WriteDatabaseConfig("[database]\nhost addr=127.1\nport=" + Port() + "\ndbname=morvik2\nuser=morvik2\n");
    ProcessResult r = Velmora({"view", "", "T1001", "1", "yes"});
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_EQ(Layout(*imperial, 0, 0, "View Copy", true, true), r.out) << r.err;
}

TEST_F(VelmoraTest, ViewAndPrintRunCleanUnderValgrind)
{
    auto special = samples::SpecialTexts();
    Store(*special);
    WritePrinters("[ticket1]\ncode=9\ncopies=2\n");
    for (const char* id : {"T1001", "X4004", "MISSING"}) {
        ProcessResult view = Velmora({"view", "", id, "1", "yes"}, true);
        EXPECT_EQ(0, view.exitStatus) << id << "\n" << view.err;
        ProcessResult print = Velmora({"print", "ticket1", id, "1", "yes"}, true);
        EXPECT_EQ(0, print.exitStatus) << id << "\n" << print.err;
    }
}

}  // namespace
