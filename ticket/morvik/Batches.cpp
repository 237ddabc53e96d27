// batch queue, list, show, void and finish.

#include <memory>

#include "Actions.h"
#include "FormatString.h"
#include "Records.h"

namespace {

const char* const kVoid = "VOID";

int ParseEntry(const Args& args)
{
    int entry = ParseInt("ENTRY", args.Positional()[0]);
    if (entry <= 0)
        throw UsageError("ENTRY must be a batch entry number above 0");
    return entry;
}

std::string BatchName(int entry)
{
    return FormatString("batch %i", entry);
}

// A queued batch with its master records and lines. The load succeeds with
// nothing read when no row has the entry; the identifier it reads tells.
std::unique_ptr<DBTicket> LoadBatch(const Context& ctx, int entry)
{
    auto batch = std::make_unique<DBTicket>(ctx.conninfo);
    bool loaded = batch->LoadByEntry(entry);
    if (!loaded && !batch->ErrorMsg().empty())
        throw Failure(BatchName(entry) + ": " + OneMessage(batch->ErrorMsg()));
    if (batch->Id().empty())
        throw Failure(BatchName(entry) + " not found");
    return batch;
}

void Queue(Context& ctx, const Args& args)
{
    const std::string jobId = args.Required("job");
    const std::string customerId = args.Required("customer");
    const std::string truckId = args.Required("truck");
    float size = ParseSize("--size", args.Required("size"));
    int cycles = args.Has("cycles") ? ParseInt("--cycles", args.Value("cycles")) : 1;
    if (cycles < 1)
        throw UsageError("--cycles must be 1 or more");
    if (args.Has("id") && args.Value("id").empty())
        throw UsageError("--id is empty");
    // The options' values are checked before the database is read.
    Ticket checked;
    ApplyOptions(records::kBatchOptions, args, checked);

    LoadOrder order;
    order.job = jobId;
    order.customer = customerId;
    order.truck = truckId;
    order.size = size;
    order.cycles = cycles;
    order.id = args.Value("id", "");
    order.choose = [&](Ticket& batch) { ApplyOptions(records::kBatchOptions, args, batch); };
    DBTicket batch(ctx.conninfo);
    if (!batch.QueueLoad(order))
        throw Failure(OneMessage(batch.ErrorMsg()));
    ctx.out << batch.Entry() << "\n";
}

std::string State(const Ticket& batch)
{
    return batch.TimeToBatch() == kVoid ? "void" : OneLine(batch.TimeToBatch());
}

void List(Context& ctx, const Args&)
{
    DBTicket reader(ctx.conninfo);
    std::vector<Ticket> batches;
    Check(reader.ListBatches(batches), reader, "listing the batches");
    std::vector<std::vector<std::string>> rows;
    for (const Ticket& b : batches)
        rows.push_back({FormatString("%i", b.Entry()), OneLine(b.Id()), OneLine(b.JobId()), OneLine(b.CustomerId()),
                        OneLine(b.FormulaId()), OneLine(b.TruckId()), Number(b.Batchsize()),
                        FormatString("%i", b.Cycles()), State(b)});
    ctx.out << AlignedTable(rows);
}

void Show(Context& ctx, const Args& args)
{
    int entry = ParseEntry(args);
    std::unique_ptr<DBTicket> batch = LoadBatch(ctx, entry);
    const Columns<Ticket> shown = {
        {"entry", &Ticket::Entry},
        {"id", &Ticket::Id},
        {"jobid", &Ticket::JobId},
        {"customerid", &Ticket::CustomerId},
        {"formulaid", &Ticket::FormulaId},
        {"truckid", &Ticket::TruckId},
        {"driver", &Ticket::Driver},
        {"batchsize", &Ticket::Batchsize},
        {"cycles", &Ticket::Cycles},
        {"deliverto", &Ticket::Deliverto},
        {"instructions", &Ticket::Instructions},
        {"formulaprice", &Ticket::FormulaPrice},
        {"salestax", &Ticket::SalesTax},
        {"timetobatch", &Ticket::TimeToBatch},
    };
    ctx.out << ShowLines(shown, *batch);
    if (batch->TimeToBatch() == kVoid)
        ctx.out << "void: t\n";
    for (const DBProduct* matl : batch->matl_v)
        if (matl)
            ctx.out << "material: " << OneLine(matl->Id()) << " " << Number(matl->target_c) << "\n";
    for (const DBProduct* prod : batch->prod_v)
        if (prod)
            ctx.out << "product: " << OneLine(prod->Id()) << " " << Number(prod->amount_c) << "@"
                    << Number(prod->UnitPrice()) << "\n";
}

void Void(Context& ctx, const Args& args)
{
    DBTicket batch(ctx.conninfo);
    if (!batch.VoidQueued(ParseEntry(args)))
        throw Failure(OneMessage(batch.ErrorMsg()));
}

std::vector<Reading> Readings(const Args& args, const std::string& option, ParseNumber value)
{
    std::vector<Reading> list;
    for (const std::string& text : args.Values(option)) {
        Quantity q = ParseQuantity("--" + option, text, false, value);
        list.push_back({q.id, q.amount});
    }
    return list;
}

void Finish(Context& ctx, const Args& args)
{
    int entry = ParseEntry(args);
    std::vector<Reading> actuals = Readings(args, "actual", ParseAmount);
    std::vector<Reading> moistures = Readings(args, "moisture", ParsePercent);
    DBTicket ticket(ctx.conninfo);
    if (!ticket.FinishBatch(entry, actuals, moistures))
        throw Failure(OneMessage(ticket.ErrorMsg()));
    ctx.out << ticket.Id() << "\n";
}

}  // namespace

std::vector<Action> BatchActions()
{
    return {
        {"batch", "queue", "", 0, 0,
         "queues a load of a job: prints its entry number. --size is what one cycle batches; a load of "
         "--cycles N is N such cycles",
         {{"job", "JOB", "the job", false, true},
          {"customer", "CUSTOMER", "the job's customer", false, true},
          {"truck", "TRUCK", "the truck", false, true},
          {"size", "SIZE", "the batch size of each cycle", false, true},
          {"cycles", "N", "the number of cycles, 1 unless given"},
          {"id", "ID", "the batch identifier, Entry and the entry number unless given"},
          {"ordernumber", "VALUE", ""},
          {"instructions", "VALUE", "instead of the job's"},
          {"mixer", "VALUE", ""},
          {"salestax", "PERCENT", "instead of the job's rate"},
          {"printweights", "t|f", ""},
          {"printprices", "t|f", ""},
          {"printticket", "t|f", "instead of the customer's choice"},
          {"plant", "VALUE", ""}},
         AllOrNothing(Queue)},
        {"batch", "list", "", 0, 0, "lists the queue by entry number", {}, OneVersion(List)},
        {"batch", "show", "ENTRY", 1, 1, "shows a batch and each material's target for its size", {},
         OneVersion(Show)},
        {"batch", "void", "ENTRY", 1, 1, "voids a queued batch", {}, AllOrNothing(Void)},
        {"batch", "finish", "ENTRY", 1, 1,
         "stores the batch's next cycle as a ticket, books its usage, queues the remaining cycles, takes the batch "
         "off the queue and prints the ticket identifier (T and the ticket's entry number)",
         {{"actual", "PRODUCT=VALUE", "what a material weighed; the others weigh their adjusted target", true},
          {"moisture", "PRODUCT=PERCENT", "a material's moisture; its adjusted target is the wet weight", true}},
         AllOrNothing(Finish)},
    };
}
