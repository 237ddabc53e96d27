// velmora print through the real spooler: lpr of cups-bsd hands each copy to
// a private cupsd, whose raw queue sends it to a listening stand-in for the
// network ticket printer.

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "8418.h"
#include "FixedPaths.h"
#include "PgFixture.h"
#include "PrivateCups.h"
#include "Process.h"
#include "SampleTickets.h"
#include "print.h"

namespace {

const std::string kConfigDir = fixedpaths::kConfigDir;

class CupsPrintTest : public PgFixture {
protected:
    void TearDown() override
    {
        std::remove((kConfigDir + "database.f").c_str());
        std::remove((kConfigDir + "printers.f").c_str());
        SetCompress(10);
        PgFixture::TearDown();
    }
};

std::string Form(DBTicket& ticket, const std::string& name, bool prices, bool weights)
{
    std::ostringstream out;
    PrintTicket(out, &ticket, "1", "no", 2, -1, name, prices, weights);
    return out.str();
}

TEST_F(CupsPrintTest, EveryCopyReachesThePrinterAsAJobOfItsOwnByteForByte)
{
    if (std::string missing = PrivateCups::Missing(); !missing.empty())
        GTEST_SKIP() << "no print spooler to run: " << missing << " missing (Debian's cups and cups-bsd)";

    auto ticket = samples::SpecialTexts();
    Exec(samples::InsertStatement(*ticket));
    MakeDirs(kConfigDir);
    WriteFile(kConfigDir + "database.f", "[database]\nhost addr=localhost\n");
    WriteFile(kConfigDir + "printers.f",
              "[plant1]\nraw=t\ncode=4\ncopies=3\nlines before=2\nlines after=-1\n"
              "copy 1 name=CUSTOMER\ncopy 2 name=OFFICE\ncopy 2 print prices=f\n"
              "copy 3 name=DRIVER\ncopy 3 print weights=f\n");

    PrivateCups cups("plant1");
    ProcessResult r = RunProcess(Bounded({VELMORA_BINARY, "print", "plant1", ticket->Id(), "1", "no"}),
                                 {"CUPS_SERVER=" + cups.Server()});
    EXPECT_EQ(0, r.exitStatus) << r.err;
    EXPECT_EQ("1\n2\n3\n4\n", r.out);
    EXPECT_EQ(std::string::npos, r.err.find("lpr ended")) << r.err;
    std::vector<std::string> jobs = cups.Jobs();

    // The form as the layout draws it for the invoice the print took. A form
    // feed in a text is stored as a blank.
    ticket->Invoice(1);
    std::string instructions = ticket->Instructions();
    std::replace(instructions.begin(), instructions.end(), '\f', ' ');
    ticket->Instructions(instructions);
    SetCompress(4);
    ASSERT_EQ(3u, jobs.size());
    EXPECT_EQ(Form(*ticket, "CUSTOMER", true, true), jobs[0]);
    EXPECT_EQ(Form(*ticket, "OFFICE", false, true), jobs[1]);
    EXPECT_EQ(Form(*ticket, "DRIVER", true, false), jobs[2]);
    // The bytes a spooler that converts text would change are all there.
    EXPECT_EQ(0u, jobs[0].rfind("\n\n", 0));
    for (char byte : {'\x0f', '\x12', '\xfc'})
        EXPECT_NE(std::string::npos, jobs[0].find(byte)) << int(static_cast<unsigned char>(byte));
    EXPECT_EQ('\f', jobs[0].back());
}

}  // namespace
