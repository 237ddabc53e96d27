// velmora and sorvane under load and when what they depend on is gone: the
// real binaries and outside scripts against the test cluster, a capturing
// lpr first on PATH, every run bounded by a timeout so a hang fails.

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "8418.h"
#include "FixedPaths.h"
#include "PgFixture.h"
#include "Process.h"
#include "SampleTickets.h"

namespace {

const std::string kConfigDir = fixedpaths::kConfigDir;
const std::string kImageDir = fixedpaths::kImageDir;
const std::string kSaveFile = fixedpaths::kSaveFile;
const std::string kSaveDir = kSaveFile.substr(0, kSaveFile.rfind('/'));
const std::string kSaveDirAside = kSaveDir + ".aside";
const int kConcurrent = 50;

std::string Listing(const std::string& dir)
{
    return RunProcess({"/bin/ls", "-A", dir}).out;
}

class RobustnessTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        MakeDirs(kConfigDir);
        MakeDirs(kImageDir);
        MakeDirs(kSaveDir);
        WriteFile(kConfigDir + "database.f", "[database]\nhost addr=localhost\n");
        WriteFile(kConfigDir + "printers.f", "[ticket1]\ncopies=1\n[web]\n");
        // The real scripts and velmora at their fixed paths, as sorvane runs them.
        ASSERT_EQ(0, RunProcess({INSTALL_SCRIPTS, fixedpaths::kRoot}).exitStatus);
        ASSERT_EQ(0, RunProcess({"/usr/bin/install", "-D", VELMORA_BINARY, fixedpaths::kVelmora}).exitStatus);
        bin = scratch.Path() + "/bin";
        jobs = scratch.Path() + "/jobs";
        MakeDirs(bin);
        ASSERT_EQ(0, symlink(FAKE_LPR, (bin + "/lpr").c_str()));
    }

    void TearDown() override
    {
        std::remove((kConfigDir + "database.f").c_str());
        std::remove((kConfigDir + "printers.f").c_str());
        std::remove((kImageDir + "sorvane_T1001.gif").c_str());
        if (FileExists(kSaveDirAside)) {
            std::remove(kSaveDir.c_str());
            std::rename(kSaveDirAside.c_str(), kSaveDir.c_str());
        }
        PgFixture::TearDown();
    }

    void Store(const DBTicket& ticket) { Exec(samples::InsertStatement(ticket)); }

    // Entries of `env` come after the defaults and so replace them.
    ProcessResult Velmora(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
    {
        std::vector<std::string> argv = {VELMORA_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<std::string> all = {"PATH=" + bin + ":/usr/bin:/bin", "LPR_CAPTURE_DIR=" + jobs};
        all.insert(all.end(), env.begin(), env.end());
        return RunProcess(Bounded(argv), all);
    }

    ProcessResult Sorvane(const std::string& query, const std::vector<std::string>& env = {})
    {
        std::vector<std::string> all = {"PATH=" + bin + ":/usr/bin:/bin", "LPR_CAPTURE_DIR=" + jobs,
                                        "QUERY_STRING=" + query};
        all.insert(all.end(), env.begin(), env.end());
        return RunProcess(Bounded({SORVANE_BINARY}), all);
    }

    TempDir scratch;
    std::string bin;
    std::string jobs;
};

TEST_F(RobustnessTest, FiftyConcurrentPrintsTakeFiftyInvoicesEachStoredAndPrintedOnItsOwnTicket)
{
    std::vector<std::unique_ptr<DBTicket>> tickets;
    for (int i = 1; i <= kConcurrent; ++i) {
        tickets.push_back(samples::Imperial());
        tickets.back()->Id("C" + std::to_string(i));
        // The attached records are found by the entry number.
        tickets.back()->Entry(1000 + i);
        Store(*tickets.back());
    }
    std::vector<ProcessResult> results(kConcurrent);
    std::vector<std::thread> requests;
    for (int i = 0; i < kConcurrent; ++i)
        requests.emplace_back([&, i] {
            // A capture directory per request: the capturing lpr numbers jobs by counting.
            results[i] = Velmora({"print", "ticket1", tickets[i]->Id(), "1", "no"},
                                 {"LPR_CAPTURE_DIR=" + jobs + "/" + tickets[i]->Id()});
        });
    for (std::thread& request : requests)
        request.join();

    std::string all;
    for (int n = 1; n <= kConcurrent; ++n)
        all += (n > 1 ? "," : "") + std::to_string(n);
    EXPECT_EQ(all, Query("SELECT string_agg(invoice_c::text, ',' ORDER BY invoice_c) FROM ticket_t").value_or(""));
    for (int i = 0; i < kConcurrent; ++i) {
        DBTicket& ticket = *tickets[i];
        EXPECT_EQ(0, results[i].exitStatus) << ticket.Id() << "\n" << results[i].err;
        ticket.Invoice(std::stoi(Query("SELECT invoice_c FROM ticket_t WHERE id_c='" + ticket.Id() + "'").value_or("0")));
        std::ostringstream form;
        PrintTicket(form, &ticket, "1", "no", 0, 0, "", true, true);
        EXPECT_EQ(form.str(), ReadFile(jobs + "/" + ticket.Id() + "/001.data")) << ticket.Id();
        EXPECT_FALSE(FileExists(jobs + "/" + ticket.Id() + "/002.data")) << ticket.Id();
    }
}

TEST_F(RobustnessTest, FiftyConcurrentViewsOfOneTicketEachFindTheWholeImage)
{
    Store(*samples::Imperial());
    const std::string query = "com=view&id=T1001&plant=1";
    const std::string gif = kImageDir + "sorvane_T1001.gif";
    ProcessResult alone = Sorvane(query);
    ASSERT_NE(std::string::npos, alone.out.find("<img src=\"/tickets/sorvane_T1001.gif\"")) << alone.out;
    const std::string image = ReadFile(gif);
    ASSERT_EQ(0, RunProcess({"/usr/bin/giftopnm", gif}).exitStatus);
    const std::string files = Listing(kImageDir);

    std::vector<ProcessResult> results(kConcurrent);
    std::vector<std::string> images(kConcurrent);
    std::vector<std::thread> requests;
    for (int i = 0; i < kConcurrent; ++i)
        requests.emplace_back([&, i] {
            results[i] = Sorvane(query);
            images[i] = ReadFile(gif);
        });
    for (std::thread& request : requests)
        request.join();

    for (int i = 0; i < kConcurrent; ++i) {
        EXPECT_EQ(0, results[i].exitStatus) << i;
        EXPECT_EQ(alone.out, results[i].out) << i;
        // The scripts and rm complain on standard error when a file they
        // need was taken from under them.
        EXPECT_EQ(alone.err, results[i].err) << i;
        EXPECT_TRUE(image == images[i]) << "request " << i << " found an image of " << images[i].size()
                                        << " bytes, not the whole one of " << image.size();
    }
    EXPECT_EQ(files, Listing(kImageDir));
}

// A dependency gone: the program still answers what it always answers,
// says why in its log (standard error) and ends with status 0.
struct Failure {
    const char* name;
    std::vector<std::string> (*arrange)();  // takes the dependency away; returns extra environment
    bool sorvane;
    std::vector<std::string> request;  // velmora's arguments, or sorvane's query string
    std::string answer;                // velmora's whole output, or a line of sorvane's page
    std::string reason;                // in the log; sorvane keeps none of its own
};

std::vector<std::string> DatabaseStopped()
{
    std::string port = std::to_string(FreePort());
    WriteFile(kConfigDir + "database.f", "[database]\nhost addr=127.1\nport=" + port + "\n");
    return {"PGHOST=127.0.0.1", "PGPORT=" + port};
}

std::vector<std::string> LprMissing()
{
    return {"PATH=/nonexistent"};
}

std::vector<std::string> ScriptsMissing()
{
    std::remove(fixedpaths::kPsTemplate);
    std::remove(fixedpaths::kTicketToGif);
    return {};
}

// Not even root can create a file in a directory that is a plain file.
std::vector<std::string> SaveDirUnwritable()
{
    std::rename(kSaveDir.c_str(), kSaveDirAside.c_str());
    WriteFile(kSaveDir, "");
    return {};
}

const std::string kViewLine = "<img src=\"/tickets/sorvane_T1001.gif\"";
const std::string kPrintLine = "<h1>Ticket Successfully Printed!!!</h1>";
const std::string kSaveLine = "<meta http-equiv=\"REFRESH\" content=\"0;url=/tickets/ticket\">";

const Failure kFailures[] = {
    // The ticket as a failed load leaves it is not to be printed.
    {"VelmoraPrintWithTheDatabaseStopped", DatabaseStopped, false, {"print", "ticket1", "T1001", "1", "no"},
     "1\n2\n3\n", "Connection refused"},
    {"VelmoraPrintWithoutLpr", LprMissing, false, {"print", "ticket1", "T1001", "1", "no"}, "1\n2\n3\n4\n",
     "lpr: not found"},
    {"VelmoraSaveIntoAnUnwritableDirectory", SaveDirUnwritable, false, {"save", "web", "T1001", "1", "yes"}, "",
     "cannot create " + kSaveFile},
    {"SorvaneViewWithTheDatabaseStopped", DatabaseStopped, true, {"com=view&id=T1001&plant=1"}, kViewLine, ""},
    {"SorvaneViewWithoutTheScripts", ScriptsMissing, true, {"com=view&id=T1001&plant=1"}, kViewLine,
     "morvik2_ps_ticket.sh: not found"},
    {"SorvanePrintWithoutLpr", LprMissing, true, {"printer=ticket1&id=T1001&plant=1"}, kPrintLine,
     "lpr: not found"},
    {"SorvaneSaveIntoAnUnwritableDirectory", SaveDirUnwritable, true, {"com=save&printer=web&id=T1001"}, kSaveLine,
     "cannot create " + kSaveFile},
};

void PrintTo(const Failure& failure, std::ostream* out)
{
    *out << failure.name;
}

class FailureTest : public RobustnessTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailureTest, AnswersLogsTheReasonAndEndsWithStatusZero)
{
    const Failure& failure = GetParam();
    Store(*samples::Imperial());
    std::vector<std::string> env = failure.arrange();
    ProcessResult r = failure.sorvane ? Sorvane(failure.request[0], env) : Velmora(failure.request, env);
    EXPECT_EQ(0, r.exitStatus) << r.err;
    if (failure.sorvane) {
        EXPECT_EQ(0u, r.out.rfind("Content-type: text/html\n\n\n", 0)) << r.out;
        EXPECT_NE(std::string::npos, r.out.find("\n" + failure.answer)) << r.out;
        EXPECT_EQ("</html>\n", r.out.substr(r.out.size() - std::min<size_t>(r.out.size(), 8)));
        EXPECT_FALSE(FileExists(kImageDir + "sorvane_T1001.ps"));
    } else {
        EXPECT_EQ(failure.answer, r.out);
    }
    if (!failure.reason.empty()) {
        EXPECT_NE(std::string::npos, r.err.find(failure.reason)) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Gone, FailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<Failure>& info) { return info.param.name; });

}  // namespace
