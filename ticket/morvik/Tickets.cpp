// ticket list, show, void and export.

#include "Tickets.h"

#include <cstdlib>
#include <memory>

#include "8418.h"
#include "Actions.h"
#include "FormatString.h"
#include "Records.h"
#include "eticket.h"

namespace {

// A stored ticket read from its snapshot. The load succeeds with nothing read
// when no row has the identifier; the entry number it reads tells.
std::unique_ptr<DBTicket> LoadTicket(const Context& ctx, const std::string& id)
{
    auto ticket = std::make_unique<DBTicket>(ctx.conninfo);
    RequireFound(ticket->LoadXmlById(id), *ticket, Named("ticket", id));
    return ticket;
}

std::string ParseDateOption(const Args& args)
{
    return args.Has("date") ? ParseDate("--date", args.Value("date")) : "";
}

void List(Context& ctx, const Args& args)
{
    DBTicket reader(ctx.conninfo);
    std::vector<Ticket> tickets;
    Check(reader.ListTickets(ParseDateOption(args), tickets), reader, "listing the tickets");
    std::vector<std::vector<std::string>> rows;
    for (const Ticket& t : tickets)
        rows.push_back({OneLine(t.Id()), OneLine(t.Date()), FormatString("%i", t.Invoice()), OneLine(t.CustomerId()),
                        OneLine(t.JobId()), OneLine(t.FormulaId()), OneLine(t.TruckId()), Number(t.Batchsize()),
                        FormatString("%.2f", t.Total()), t.Void() ? "void" : ""});
    ctx.out << AlignedTable(rows);
}

void Show(Context& ctx, const Args& args)
{
    std::unique_ptr<DBTicket> ticket = LoadTicket(ctx, args.Positional()[0]);
    ViewTicket(ctx.out, *ticket, "1", "yes");
}

void Void(Context& ctx, const Args& args)
{
    // Why a ticket was voided is what its history must answer.
    std::string reason = args.Required("reason");
    if (reason.empty())
        throw UsageError("--reason must say why the ticket is voided");
    std::unique_ptr<DBTicket> ticket = LoadTicket(ctx, args.Positional()[0]);
    Check(ticket->VoidStored(reason), *ticket, "voiding " + Named("ticket", ticket->Id()));
}

void Export(Context& ctx, const Args& args)
{
    bool one = !args.Positional().empty();
    if (one == args.Has("date"))
        throw UsageError("ticket export takes either a ticket ID or --date YYYY-MM-DD");
    std::string format = args.Value("format", one ? "json" : "csv");
    if (one ? format != "json" && format != "pdf" : format != "csv")
        throw UsageError(one ? "a ticket exports as --format json or --format pdf"
                             : "a day's tickets export as --format csv");
    if (one) {
        // Found by its identifier in any letter case, read again by its entry
        // for the identifier as stored.
        int entry = LoadTicket(ctx, args.Positional()[0])->Entry();
        DBTicket ticket(ctx.conninfo);
        Check(ticket.LoadXmlByEntry(entry), ticket, "reading " + Named("ticket", args.Positional()[0]));
        std::string digest;
        Check(ticket.SnapshotDigest(digest), ticket, "reading the snapshot of " + Named("ticket", ticket.Id()));
        if (format == "pdf") {
            ctx.out << TicketPdf(ticket, digest, WebBaseUrl());
            return;
        }
        DBTicketHistory history(ctx.conninfo);
        std::vector<TicketEvent> events;
        Check(history.Load(ticket.Id(), events), history, "reading the history of " + Named("ticket", ticket.Id()));
        ctx.out << TicketJson(ticket, digest, events);
        return;
    }
    DBTicket reader(ctx.conninfo);
    std::vector<Ticket> tickets;
    Check(reader.ListTickets(ParseDateOption(args), tickets), reader, "reading the tickets");
    ctx.out << TicketsCsv(tickets);
}

// The page drawn and converted by the outside programs, from the variables
// this process exports to them.
std::string RenderPdf(const Environment& env)
{
    for (const auto& [name, value] : env)
        ::setenv(name.c_str(), value.c_str(), 1);
    std::string bytes;
    if (!CaptureOutput(PdfCommand(), bytes) || !IsPdf(bytes))
        throw Failure("the ticket page could not be made into a PDF");
    return bytes;
}

void WriteLines(JsonWriter& json, const char* name, const std::vector<DBProduct*>& lines,
                const Columns<DBProduct>& batching)
{
    json.Key(name).BeginArray();
    for (const DBProduct* line : lines) {
        if (!line)
            continue;
        json.BeginObject();
        WriteMembers(json, records::kProduct, *line);
        WriteMembers(json, batching, *line);
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace

std::string TicketPdf(const DBTicket& ticket, const std::string& digest, const std::string& base)
{
    return RenderPdf(ETicketEnvironment(ticket, FormatString("%i", ticket.Plant()), digest, base));
}

std::string TicketJson(const DBTicket& ticket, const std::string& digest, const std::vector<TicketEvent>& events)
{
    JsonWriter json;
    json.BeginObject();
    WriteMembers(json, records::kTicketRow, ticket);
    WriteMembers(json, records::kTicketBatch, ticket);
    WriteMembers(json, records::kTicketBatching, ticket);
    json.Key("customer").BeginObject();
    WriteMembers(json, records::kCustomer, *ticket.customer);
    json.EndObject();
    json.Key("job").BeginObject();
    WriteMembers(json, records::kJob, *ticket.job);
    json.EndObject();
    json.Key("formula").BeginObject();
    WriteMembers(json, records::kFormula, *ticket.formula);
    json.EndObject();
    json.Key("truck").BeginObject();
    WriteMembers(json, records::kTruck, *ticket.truck);
    json.EndObject();
    WriteLines(json, "materials", ticket.matl_v, records::kMaterialLine);
    WriteLines(json, "products", ticket.prod_v, records::kProductLine);
    json.Key("digest").String(digest);
    json.Key("events").BeginArray();
    for (const TicketEvent& event : events) {
        json.BeginObject();
        WriteMembers(json, records::kTicketEvent, event);
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    return json.Text();
}

std::string TicketsCsv(const std::vector<Ticket>& tickets)
{
    std::string csv = CsvRecord({"identifier", "invoice", "date", "customer", "job", "delivery site", "formula",
                                 "truck", "driver", "batch size", "total", "void"});
    for (const Ticket& t : tickets)
        csv += CsvRecord({t.Id(), CsvField::Number(FormatString("%i", t.Invoice())), t.Date(), t.CustomerId(),
                          t.JobId(), t.Deliverto(), t.FormulaId(), t.TruckId(), t.Driver(),
                          CsvField::Number(Number(t.Batchsize())), CsvField::Number(FormatString("%.2f", t.Total())),
                          t.Void() ? "true" : "false"});
    return csv;
}

std::vector<Action> TicketActions()
{
    std::vector<Action> actions = {
        {"ticket", "list", "", 0, 0, "lists the stored tickets by entry number, or those of one day",
         {{"date", "YYYY-MM-DD", "only the tickets stored that day"}}, OneVersion(List)},
        {"ticket", "show", "ID", 1, 1, "writes a ticket as velmora view does", {}, OneVersion(Show)},
        {"ticket", "void", "ID", 1, 1, "voids a stored ticket, saying why in its history",
         {{"reason", "TEXT", "why the ticket is voided", false, true}}, AllOrNothing(Void)},
        {"ticket", "export", "[ID]", 0, 1,
         "writes one ticket as a JSON document or a PDF e-ticket, or a day's tickets as CSV (texts in UTF-8)",
         {{"date", "YYYY-MM-DD", "every ticket stored that day, as CSV"},
          {"format", "json|pdf|csv", "json or pdf for one ticket, csv for a day"}},
         OneVersion(Export)},
    };
    std::vector<Action> history = HistoryActions();
    actions.insert(actions.end(), history.begin(), history.end());
    return actions;
}
