// velmora: prints, saves or shows one stored ticket.
//
//   velmora command printer id plant reprint
//
// "print" sends the configured copies of the ticket to the printer's queue
// through lpr (taking a new invoice number first), "save" writes one copy for
// the web server, anything else writes the ticket to standard output.

#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include <pstreams/pstream.h>

#include "8418.h"
#include "ConfigRW.h"
#include "DBTicket.h"
#include "DBTicketHistory.h"
#include "UnitOfWork.h"
#include "DatabaseSettings.h"
#include "FixedPaths.h"
#include "SysLog.h"
#include "print.h"

namespace {

struct PrinterSettings {
    bool raw;
    int code;
    int copies;
    int lines_before;
    int lines_after;
};

// More copies or blank lines than any form or office needs come from a
// mistyped setting; printing them would tie the printer up for hours.
constexpr int kMostCopies = 50;
constexpr int kMostLines = 500;

int Capped(const std::string& printer, const char* key, int value, int most)
{
    if (value <= most)
        return value;
    SYSLOG("%s:%d:%s printer %s: %s=%d is more than %d, %d used\n", printer.c_str(), key, value, most, most);
    return most;
}

void Progress(const char* step)
{
    std::cout << step << std::endl;
}

// Waits for the spooler command; a spooler that failed is logged, since the
// exit status of velmora does not report it.
void CloseJob(redi::opstream& job)
{
    job.close();
    int status = job.rdbuf()->status();
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
        SYSLOG_AS("main", "%s:%d:%s lpr ended with status %i\n", WEXITSTATUS(status));
    else if (WIFSIGNALED(status))
        SYSLOG_AS("main", "%s:%d:%s lpr ended by signal %i\n", WTERMSIG(status));
}

void PrintPath(DBTicket& ticket, ConfigRW& printers, const std::string& printer, const PrinterSettings& settings,
               const std::string& plant, const std::string& reprint)
{
    Progress("1");
    std::string raw = settings.raw ? " -l" : "";
    // The printer name reaches lpr as one literal argument.
    std::string lpr = "lpr" + raw + " -P" + ShellQuote(printer);
    Progress("2");
    SYSLOG_AS("main", "%s:%d:%s GET NEXT INVOICE\n");
    // A ticket that was not found has no row to carry a number: the number
    // would be lost.
    // The print's event goes into the history with its invoice number, or
    // neither is kept.
    if (printer != "log" && ticket.Entry() != 0) {
        UnitOfWork numbering(ticket.ConnInfo());
        DBTicketHistory history(ticket.ConnInfo());
        int copies = ticket.PrintTicket() && settings.copies > 0 ? settings.copies : 0;
        if (ticket.NextInvoice() &&
            history.Record(EventKind::Printed, ticket.Entry(), {printer, ticket.Invoice(), copies, ""}))
            numbering.Commit();
    }
    Progress("3");
    SetCompress(settings.code);

    if (printer == "log") {
        redi::opstream job(lpr);
        PrintShortTicket(job, &ticket, plant, reprint, settings.lines_before, settings.lines_after, "", true, true);
        CloseJob(job);
        return;
    }
    if (!ticket.PrintTicket())
        return;
    Progress("4");
    // A negative copy count is not a usable setting: it prints nothing.
    for (int n = 1; n <= settings.copies; ++n) {
        SYSLOG_AS("main", "%s:%d:%s PRINT COPY #%i\n", n);
        std::string name = printers.ReadStringEntry(printer, FormatString("copy %i name", n), "");
        bool prices = printers.ReadBoolEntry(printer, FormatString("copy %i print prices", n), true);
        bool weights = printers.ReadBoolEntry(printer, FormatString("copy %i print weights", n), true);
        redi::opstream job(lpr);
        PrintTicket(job, &ticket, plant, reprint, settings.lines_before, settings.lines_after, name, prices, weights);
        CloseJob(job);
    }
}

// The copy is written whole to a new file beside the target and renamed over
// it, so the web server never serves a half-written or mixed ticket.
void SavePath(DBTicket& ticket, const PrinterSettings& settings, const std::string& plant, const std::string& reprint)
{
    std::ostringstream copy;
    PrintTicket(copy, &ticket, plant, reprint, settings.lines_before, settings.lines_after, "REPRINT", true, true);
    std::string text = copy.str();

    std::string target = fixedpaths::kSaveFile;
    std::string temp = target + ".XXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        SYSLOG_AS("main", "%s:%d:%s cannot create %s\n", temp.c_str());
        return;
    }
    bool ok = fchmod(fd, 0644) == 0;
    for (size_t done = 0; ok && done < text.size();) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        if (ok)
            done += static_cast<size_t>(n);
    }
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        SYSLOG_AS("main", "%s:%d:%s cannot write %s\n", target.c_str());
        unlink(temp.c_str());
        return;
    }
    if (ticket.Entry() != 0)
        DBTicketHistory(ticket.ConnInfo()).Record(EventKind::Saved, ticket.Entry());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::cerr << "usage: velmora command printer id plant reprint" << std::endl;
        return 2;
    }
    // A spooler that quits early must fail the write, not kill the program.
    signal(SIGPIPE, SIG_IGN);

    openlog("ticket", LOG_PID | LOG_PERROR, LOG_USER);
    ConfigRW::setPath(fixedpaths::kConfigDir);

    std::string command = argv[1];
    std::string printer = argv[2];
    std::string id = argv[3];
    std::string plant = argv[4];
    std::string reprint = argv[5];
    SYSLOG("%s:%d:%s command=%s printer=%s id=%s plant=%s reprint=%s\n", command.c_str(), printer.c_str(),
           id.c_str(), plant.c_str(), reprint.c_str());

    // Set by sorvane for a request that came through the web viewer.
    if (const char* client = getenv(kWebClientVariable))
        SetHistoryClient(client);

    DBTicket ticket(DatabaseConnInfo());
    {
        // One connection and one version of the ticket for the whole load.
        UnitOfWork read(ticket.ConnInfo(), UnitOfWork::Access::ReadOnly);
        ticket.LoadXmlById(id);
    }

    ConfigRW printers("printers.f");
    PrinterSettings settings;
    settings.raw = printers.ReadBoolEntry(printer, "raw", true);
    settings.code = printers.ReadIntEntry(printer, "code", 10);
    settings.copies = Capped(printer, "copies", printers.ReadIntEntry(printer, "copies", 0), kMostCopies);
    settings.lines_before =
        Capped(printer, "lines before", printers.ReadIntEntry(printer, "lines before", 0), kMostLines);
    settings.lines_after = Capped(printer, "lines after", printers.ReadIntEntry(printer, "lines after", 0), kMostLines);

    if (command == "print" && !printer.empty())
        PrintPath(ticket, printers, printer, settings, plant, reprint);
    else if (command == "save")
        SavePath(ticket, settings, plant, reprint);
    else
        ViewTicket(std::cout, ticket, plant, reprint);

    closelog();
    return 0;
}
