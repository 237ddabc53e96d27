// sorvane end to end: the real CGI binary against the test cluster, with
// recording stand-ins at the fixed paths of the two image scripts and of
// velmora.

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FixedPaths.h"
#include "PgFixture.h"
#include "Process.h"
#include "SampleTickets.h"

namespace {

const char* const kSorvane = SORVANE_BINARY;
const std::string kImage = std::string(fixedpaths::kImageDir) + "sorvane_";
const std::string kInput = "stand-in converter input\n";

std::string Dir(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

// A file of the test's own at a fixed path. Whatever stood there (the real
// scripts of the build) is moved aside and put back afterwards.
class StandIn {
public:
    StandIn(std::string path, const std::string& text, bool executable) : path(std::move(path))
    {
        MakeDirs(Dir(this->path));
        saved = FileExists(this->path) && std::rename(this->path.c_str(), Aside().c_str()) == 0;
        WriteFile(this->path, text);
        if (executable)
            chmod(this->path.c_str(), 0755);
    }
    ~StandIn()
    {
        std::remove(path.c_str());
        if (saved)
            std::rename(Aside().c_str(), path.c_str());
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

private:
    std::string Aside() const { return path + ".saved-by-sorvane-test"; }

    std::string path;
    bool saved = false;
};

// Each call is numbered and leaves N.name, N.args (one per line), N.env and
// N.stdin in $SORVANE_CAPTURE; then the script does its part.
std::string Recorder(const std::string& name, const std::string& part)
{
    return "#!/bin/sh\n"
           "dir=${SORVANE_CAPTURE:?}\n"
           "n=$(( $(cat \"$dir/count\" 2>/dev/null || echo 0) + 1 ))\n"
           "echo $n > \"$dir/count\"\n"
           "call=\"$dir/$n\"\n"
           "echo " + name + " > \"$call.name\"\n"
           ": > \"$call.args\"\n"
           "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$call.args\"; done\n"
           "env > \"$call.env\"\n"
           "cat > \"$call.stdin\"\n" +
           part;
}

struct Call {
    std::string name;
    std::vector<std::string> args;
    std::map<std::string, std::string> env;
    std::string stdinText;
    std::string ps;  // the PostScript file as the converter found it

    // An empty variable is exported too; an unexported one shows as such.
    std::string Var(const std::string& variable) const
    {
        auto it = env.find(variable);
        return it == env.end() ? "(unset)" : it->second;
    }
};

class SorvaneTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        MakeDirs(fixedpaths::kImageDir);
        capture = scratch.Path() + "/capture";
        cwd = scratch.Path() + "/cwd";
        MakeDirs(capture);
        MakeDirs(cwd);
        standIns.emplace_back(new StandIn(fixedpaths::kPsTemplate,
                                          Recorder("ps", "printf '%%!PS ticket %s for %s\\n' \"$ticket\" "
                                                         "\"$customerline1\"\n"),
                                          true));
        standIns.emplace_back(new StandIn(fixedpaths::kTicketToGif,
                                          Recorder("gif", "cp \"$1.ps\" \"$call.ps\"\n"
                                                          "printf GIF89a > \"$1.gif\"\n"
                                                          "echo \"converted $1\"\n"),
                                          true));
        // velmora's progress lines, which must not reach the page.
        standIns.emplace_back(new StandIn(fixedpaths::kVelmora, Recorder("velmora", "printf '1\\n2\\n3\\n4\\n'\n"), true));
        standIns.emplace_back(new StandIn(fixedpaths::kInputFile, kInput, false));
        Exec(samples::InsertStatement(*samples::Imperial()));
    }

    void TearDown() override
    {
        standIns.clear();
        for (const std::string& id : viewed)
            std::remove((kImage + id + ".gif").c_str());
        PgFixture::TearDown();
    }

    // sorvane as the web server starts it, in a working directory of the
    // test's own, so that a command smuggled in would leave a file there.
    ProcessResult Sorvane(const std::string* query)
    {
        std::vector<std::string> env = {"SORVANE_CAPTURE=" + capture};
        if (query)
            env.push_back("QUERY_STRING=" + *query);
        return RunProcess({"/bin/sh", "-c", "cd \"$0\" && exec \"$1\"", cwd, kSorvane}, env);
    }
    ProcessResult Sorvane(const std::string& query) { return Sorvane(&query); }

    ProcessResult View(const std::string& id, const std::string& query)
    {
        viewed.push_back(id);
        return Sorvane(query);
    }

    std::vector<Call> Calls() const
    {
        std::vector<Call> calls;
        int count = FileExists(capture + "/count") ? std::stoi(ReadFile(capture + "/count")) : 0;
        for (int n = 1; n <= count; ++n) {
            std::string base = capture + "/" + std::to_string(n);
            Call call;
            call.name = ReadFile(base + ".name");
            call.name.pop_back();
            std::istringstream args(ReadFile(base + ".args"));
            for (std::string arg; std::getline(args, arg);)
                call.args.push_back(arg);
            std::istringstream env(ReadFile(base + ".env"));
            for (std::string line; std::getline(env, line);) {
                std::string::size_type eq = line.find('=');
                if (eq != std::string::npos)
                    call.env[line.substr(0, eq)] = line.substr(eq + 1);
            }
            call.stdinText = ReadFile(base + ".stdin");
            call.ps = ReadFile(base + ".ps");
            calls.push_back(call);
        }
        return calls;
    }

    // What a smuggled command would have made in the working directory.
    std::string LeftInWorkingDirectory() const { return RunProcess({"/bin/ls", "-A", cwd}).out; }

    TempDir scratch;
    std::string capture;
    std::string cwd;
    std::vector<std::unique_ptr<StandIn>> standIns;
    std::vector<std::string> viewed;
};

const std::string kHeader = "Content-type: text/html\n\n\n";

// The files a view works in: the ticket's image path, a dot and the number of
// the request's process, given to the converter as its one argument.
std::string WorkBase(const Call& converter, const std::string& id)
{
    const std::string prefix = kImage + id + ".";
    std::string base = converter.args.size() == 1 ? converter.args[0] : "";
    EXPECT_EQ(0u, base.rfind(prefix, 0)) << base;
    EXPECT_TRUE(base.size() > prefix.size() &&
                base.find_first_not_of("0123456789", prefix.size()) == std::string::npos)
        << base;
    return base;
}

std::string ViewPage(const std::string& id, const std::string& converterOutput)
{
    return kHeader +
           "<html>\n<head>\n<title>Ticket Image</title>\n</head>\n<body>\n<center>\n"
           "<div style=\"position:absolute;left:-1000px;width:500px\">\n" +
           converterOutput + "</div>\n<img src=\"/tickets/sorvane_" + id +
           ".gif\" style=\"position:absolute;left:5px;top:5px;width:425px;height:550px\">\n"
           "</center>\n</body>\n</html>\n";
}

const std::string kPrintPage = kHeader +
                               "<html>\n<head>\n<title>Ticket Status</title>\n</head>\n"
                               "<body onload=\"window.opener.refreshlist();\">\n<center>\n"
                               "<h1>Ticket Successfully Printed!!!</h1>\nYou may now close this window.\n"
                               "</center>\n</body>\n</html>\n";

TEST_F(SorvaneTest, ViewMakesTheImageFromTheStoredTicket)
{
    ProcessResult r = View("T1001", "com=view&id=T1001&plant=2&printer=lp");
    EXPECT_EQ(0, r.exitStatus);
    std::vector<Call> calls = Calls();
    ASSERT_EQ(2u, calls.size());
    const std::string work = WorkBase(calls[1], "T1001");
    EXPECT_EQ(ViewPage("T1001", "converted " + work + "\n"), r.out);
    const Call& ps = calls[0];
    EXPECT_EQ("ps", ps.name);
    EXPECT_TRUE(ps.args.empty());
    EXPECT_EQ("2", ps.Var("plant"));
    EXPECT_EQ("101", ps.Var("ticket"));
    EXPECT_EQ("Hillside Builders", ps.Var("customerline1"));
    EXPECT_EQ("Ashford OR 97001", ps.Var("customerline3"));
    EXPECT_EQ("Lot 7 foundation", ps.Var("jobline1"));
    EXPECT_EQ("811.75", ps.Var("formulatotal"));
    EXPECT_EQ("8.50", ps.Var("batchsize"));
    EXPECT_EQ("Fuel surcharge", ps.Var("prod1desc"));
    EXPECT_EQ("25.00", ps.Var("prod1total"));
    EXPECT_EQ("Concrete sand", ps.Var("agg1desc"));
    EXPECT_EQ("15240.00", ps.Var("agg2actual"));
    EXPECT_EQ("Water", ps.Var("water1desc"));
    EXPECT_EQ("", ps.Var("cmt2desc"));

    const Call& gif = calls[1];
    EXPECT_EQ("gif", gif.name);
    EXPECT_EQ(kInput, gif.stdinText);
    EXPECT_EQ("%!PS ticket 101 for Hillside Builders\n", gif.ps);
    EXPECT_EQ("Hillside Builders", gif.Var("customerline1"));

    EXPECT_FALSE(FileExists(work + ".ps"));
    EXPECT_FALSE(FileExists(work + ".gif"));
    EXPECT_EQ("GIF89a", ReadFile(kImage + "T1001.gif"));
}

TEST_F(SorvaneTest, PrintAndSaveHandVelmoraTheRequestAndKeepItsOutputOffThePage)
{
    ProcessResult print = Sorvane("printer=ticket1&id=T1001&plant=1");
    EXPECT_EQ(0, print.exitStatus);
    EXPECT_EQ(kPrintPage, print.out);
    EXPECT_NE(std::string::npos, print.err.find("1\n2\n3\n4\n"));

    ProcessResult save = Sorvane("com=save&id=T1001");
    EXPECT_EQ(0, save.exitStatus);
    EXPECT_EQ(0u, save.out.rfind(kHeader, 0));
    EXPECT_NE(std::string::npos, save.out.find("content=\"0;url=/tickets/ticket\""));

    std::vector<Call> calls = Calls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ("velmora", calls[0].name);
    EXPECT_EQ((std::vector<std::string>{"print", "ticket1", "T1001", "1", "yes"}), calls[0].args);
    EXPECT_EQ("Hillside Builders", calls[0].Var("customerline1"));
    EXPECT_EQ("", calls[0].stdinText);
    // An empty printer and plant are still arguments of their own.
    EXPECT_EQ((std::vector<std::string>{"save", "", "T1001", "", "yes"}), calls[1].args);
}

TEST_F(SorvaneTest, AnUnsetQueryStringPrintsWithEmptyValues)
{
    ProcessResult r = Sorvane(nullptr);
    EXPECT_EQ(0, r.exitStatus);
    EXPECT_EQ(kPrintPage, r.out);
    std::vector<Call> calls = Calls();
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ((std::vector<std::string>{"print", "", "", "", "yes"}), calls[0].args);
    EXPECT_EQ("0", calls[0].Var("ticket"));
}

TEST_F(SorvaneTest, HostileIdsRunNothingAndNameNoOtherFile)
{
    const std::string shellId = "1;touch p $(touch q) `touch r`";
    ProcessResult print = Sorvane("id=1;touch+p+%24(touch+q)+%60touch+r%60");
    EXPECT_EQ(kPrintPage, print.out);

    const std::string viewId = "$(touch s);touch t'u";
    ProcessResult view = View(viewId, "com=view&id=%24(touch+s);touch+t'u");
    EXPECT_EQ(0, view.exitStatus);
    const std::string work = WorkBase(Calls().at(2), viewId);
    EXPECT_EQ(ViewPage("$(touch s);touch t&#39;u", "converted " + work + "\n"), view.out);
    EXPECT_EQ("GIF89a", ReadFile(kImage + viewId + ".gif"));
    EXPECT_FALSE(FileExists(work + ".ps"));

    ProcessResult escape = Sorvane("com=view&id=../sorvane-escape");
    EXPECT_EQ(0, escape.exitStatus);
    EXPECT_EQ(0u, escape.out.rfind(kHeader, 0));
    EXPECT_NE(std::string::npos, escape.out.find("Invalid ticket request"));

    for (const char* id : {"x' OR '1'='1", "T1001'; DELETE FROM ticket_t; --"}) {
        std::string query = std::string("id=") + id;
        EXPECT_EQ(kPrintPage, Sorvane(query).out) << id;
    }

    EXPECT_EQ("", LeftInWorkingDirectory());
    EXPECT_EQ("1", Query("SELECT count(*) FROM ticket_t").value_or(""));

    std::vector<Call> calls = Calls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ((std::vector<std::string>{"print", "", shellId, "", "yes"}), calls[0].args);
    EXPECT_EQ((std::vector<std::string>{"print", "", "x' OR '1'='1", "", "yes"}), calls[3].args);
    // Nothing was found for it, and the defaults were exported.
    EXPECT_EQ("0", calls[3].Var("ticket"));
    EXPECT_EQ("", calls[3].Var("customerline1"));
    EXPECT_EQ("1.00", calls[3].Var("batchsize"));
    EXPECT_EQ("T1001'; DELETE FROM ticket_t; --", calls[4].args[2]);
}

}  // namespace
