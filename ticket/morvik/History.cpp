// ticket history, verify and seal: what happened to a ticket, and whether
// the history and the stored snapshots are still as they were written.

#include <memory>

#include "Actions.h"
#include "DBTicket.h"
#include "DBTicketHistory.h"
#include "FormatString.h"
#include "Output.h"

namespace {

// The operating-system user, and the web client a request came from.
std::string Who(const TicketEvent& e)
{
    return OneLine(e.client.empty() ? e.who : e.who + " for " + e.client);
}

std::string Details(const TicketEvent& e)
{
    if (e.kind == EventKindName(EventKind::Printed))
        return "printer " + OneLine(e.printer) + FormatString(", invoice %i, %i copies", e.invoice, e.copies);
    if (e.kind == EventKindName(EventKind::Voided))
        return "reason: " + OneLine(e.reason);
    return e.digest.empty() ? "" : "digest " + e.digest;
}

std::string Counted(long long n, const char* what)
{
    return FormatString("%lld %s%s", n, what, n == 1 ? "" : "s");
}

void History(Context& ctx, const Args& args)
{
    const std::string id = args.Positional()[0];
    DBTicketHistory history(ctx.conninfo);
    std::vector<TicketEvent> events;
    Check(history.Load(id, events), history, "reading the history of " + Named("ticket", id));
    if (events.empty()) {
        // A ticket stored before there was a history has none to show.
        DBTicket ticket(ctx.conninfo);
        RequireFound(ticket.LoadXmlById(id), ticket, Named("ticket", id));
    }
    std::vector<std::vector<std::string>> rows;
    for (const TicketEvent& e : events)
        rows.push_back({e.time, e.kind, Who(e), Details(e)});
    ctx.out << AlignedTable(rows);
}

void Verify(Context& ctx, const Args& args)
{
    const bool one = !args.Positional().empty();
    if (one && args.Has("date"))
        throw UsageError("ticket verify takes either a ticket ID or --date YYYY-MM-DD");
    const std::string id = one ? args.Positional()[0] : "";
    const std::string date = args.Has("date") ? ParseDate("--date", args.Value("date")) : "";
    DBTicketHistory history(ctx.conninfo);
    HistoryCheck check;
    Check(history.Check(id, date, check), history, "verifying the history");
    if (one && check.tickets == 0)
        throw Failure(Named("ticket", id) + " not found");
    for (const std::string& problem : check.problems)
        ctx.out << OneLine(problem) << "\n";
    // The last hash is what to keep elsewhere: a history rewritten from some
    // event on is told only by comparing it with a hash kept before.
    const long long problems = static_cast<long long>(check.problems.size());
    ctx.out << "verified " << Counted(check.tickets, "ticket") << " and " << Counted(check.events, "event") << ": "
            << Counted(problems, "problem") << "; last hash " << (check.lastHash.empty() ? "none" : check.lastHash)
            << "\n";
    if (problems != 0)
        throw Failure("the history shows " + Counted(problems, "problem"));
}

void Seal(Context& ctx, const Args&)
{
    DBTicketHistory history(ctx.conninfo);
    long long sealed = 0;
    Check(history.Seal(sealed), history, "sealing the tickets");
    ctx.out << "sealed " << Counted(sealed, "ticket") << "\n";
}

}  // namespace

std::vector<Action> HistoryActions()
{
    return {
        {"ticket", "history", "ID", 1, 1, "lists a ticket's events, oldest first: time, kind, who, details", {},
         OneVersion(History)},
        {"ticket", "verify", "[ID]", 0, 1,
         "checks the history's chain and that each ticket's snapshot is the one its history recorded",
         {{"date", "YYYY-MM-DD", "only the tickets stored that day"}}, OneVersion(Verify)},
        {"ticket", "seal", "", 0, 0, "records the snapshot's digest of every ticket that has no history yet", {},
         AllOrNothing(Seal)},
    };
}
