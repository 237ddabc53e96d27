// batch queue, list, show, void and finish.

#include "Batches.h"

#include <cmath>
#include <memory>

#include "Actions.h"
#include "DBJob.h"
#include "DBTruck.h"
#include "FormatString.h"
#include "Records.h"

namespace {

const char* const kVoid = "VOID";

double Cents(double value)
{
    return std::round(value * 100) / 100;
}

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

// The product, amount, position and (for an extra product) price of each
// line: what a batch's links hold.
void CopyLines(const std::vector<DBProduct*>& from, std::vector<DBProduct*>& to)
{
    for (const DBProduct* source : from) {
        if (!source)
            continue;
        auto line = std::make_unique<DBProduct>(source->ConnInfo());
        static_cast<Product&>(*line) = *source;
        line->amount_c = source->amount_c;
        line->position_c = source->position_c;
        to.push_back(line.release());
    }
}

void Queue(Context& ctx, const Args& args)
{
    const std::string jobId = args.Required("job");
    const std::string customerId = args.Required("customer");
    const std::string truckId = args.Required("truck");
    float size = ParseReal("--size", args.Required("size"));
    if (!(size > 0))
        throw UsageError("--size must be above 0");
    int cycles = args.Has("cycles") ? ParseInt("--cycles", args.Value("cycles")) : 1;
    if (cycles < 1)
        throw UsageError("--cycles must be 1 or more");
    if (args.Has("id") && args.Value("id").empty())
        throw UsageError("--id is empty");
    // The options' values are checked before the database is read.
    Ticket checked;
    ApplyOptions(records::kBatchOptions, args, checked);

    // Everything the batch refers to is found before anything is written.
    DBJob job(ctx.conninfo);
    std::string what = Named("job", jobId) + " of " + Named("customer", customerId);
    RequireFound(job.LoadById(jobId, customerId), job, what);
    StoredId(job);
    if (job.FormulaId().empty())
        throw Failure(what + " has no formula");
    if (job.customer->Entry() == 0)
        throw Failure(Named("customer", job.CustomerId()) + " not found");
    if (job.formula->Entry() == 0 || job.formula->matl_v.empty())
        throw Failure(Named("formula", job.FormulaId()) + " of " + what + " not found or without materials");
    DBTruck truck(ctx.conninfo);
    RequireFound(truck.LoadById(truckId), truck, Named("truck", truckId));
    StoredId(truck);

    DBTicket batch(ctx.conninfo);
    Check(batch.LoadDefaults(), batch, "reading the ticket defaults");
    Check(batch.NextEntry(), batch, "numbering the batch");
    // "Entry" and the number is the identifier the queue gives a cycle, too.
    batch.Id(args.Value("id", FormatString("Entry%i", batch.Entry())));
    DBTicket queued(ctx.conninfo);
    queued.LoadById(batch.Id());
    if (queued.Entry() != 0)
        throw Failure(Named("batch", batch.Id()) + " is already queued");

    batch.JobId(job.Id());
    batch.CustomerId(job.CustomerId());
    batch.FormulaId(job.FormulaId());
    batch.TruckId(truck.Id());
    batch.Driver(truck.Driver());
    batch.Batchsize(size);
    batch.Cycles(cycles);
    batch.Deliverto(job.Deliverto());
    batch.Street(job.Street());
    batch.City(job.City());
    batch.State(job.State());
    batch.Zipcode(job.Zipcode());
    batch.Instructions(job.Instructions());
    batch.FormulaPrice(job.FormulaPrice());
    batch.PrintTicket(job.customer->PrintTicket());
    // Taxed at the job's rate, or the default rate when the job names none;
    // never for a job that is not taxable or a customer exempt from tax.
    if (!job.Taxable() || job.customer->TaxExempt())
        batch.SalesTax(0);
    else if (job.SalesTax() != 0)
        batch.SalesTax(job.SalesTax());
    ApplyOptions(records::kBatchOptions, args, batch);

    CopyLines(job.formula->matl_v, batch.matl_v);
    CopyLines(job.prod_v, batch.prod_v);

    Check(batch.Batch(false), batch, "queueing " + Named("batch", batch.Id()));
    if (!batch.SaveMatl() || !batch.SaveProd()) {
        std::string message = OneMessage(batch.ErrorMsg());
        // A batch without all its lines would be made wrong: it leaves the queue.
        batch.Delete();
        throw Failure("queueing the lines of " + Named("batch", batch.Id()) + ": " + message);
    }
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
    int entry = ParseEntry(args);
    std::unique_ptr<DBTicket> batch = LoadBatch(ctx, entry);
    Check(batch->VoidBatch(), *batch, "voiding " + BatchName(entry));
}

std::vector<Quantity> Quantities(const Args& args, const std::string& option)
{
    std::vector<Quantity> list;
    for (const std::string& text : args.Values(option))
        list.push_back(ParseQuantity("--" + option, text, false));
    return list;
}

void Finish(Context& ctx, const Args& args)
{
    int entry = ParseEntry(args);
    std::vector<Quantity> actuals = Quantities(args, "actual");
    std::vector<Quantity> moistures = Quantities(args, "moisture");
    std::unique_ptr<DBTicket> t = LoadBatch(ctx, entry);
    if (t->TimeToBatch() == kVoid)
        throw Failure(BatchName(entry) + " is void");
    const std::string batchId = t->Id();

    WeighUp(*t, actuals, moistures);
    t->GetDateTimeStart();
    t->GetDateTime();
    Check(t->NextTicketEntry(), *t, "numbering the ticket of " + BatchName(entry));
    // The ticket sequence makes the identifier unique among tickets.
    t->Id(FormatString("T%i", t->Entry()));
    PriceTicket(*t, t->prod_v);
    Check(t->Save(false), *t, "storing " + Named("ticket", t->Id()));

    // The ticket stands from here on: a step that fails is reported, and the
    // steps after it still run.
    std::string problems;
    if (!t->Update())
        problems += "booking the usage of " + Named("ticket", t->Id()) + ": " + OneMessage(t->ErrorMsg()) + "; ";
    if (t->Cycles() > 1 && t->NextCycle() == 0)
        problems += "queueing the remaining cycles of " + BatchName(entry) + " failed; ";
    DBTicket done(ctx.conninfo);
    done.Id(batchId);
    if (!done.Delete())
        problems += "taking " + BatchName(entry) + " off the queue: " + OneMessage(done.ErrorMsg()) + "; ";
    ctx.out << t->Id() << "\n";
    if (!problems.empty())
        throw Failure(problems.substr(0, problems.size() - 2));
}

}  // namespace

void WeighUp(DBTicket& batch, const std::vector<Quantity>& actuals, const std::vector<Quantity>& moistures)
{
    auto find = [&](const Quantity& q) -> DBProduct& {
        for (DBProduct* matl : batch.matl_v)
            if (matl && SameId(matl->Id(), q.id))
                return *matl;
        throw Failure(BatchName(batch.Entry()) + " has no material " + Quoted(q.id));
    };
    for (const Quantity& q : moistures)
        find(q).moisture_c = q.amount;
    for (DBProduct* matl : batch.matl_v)
        if (matl) {
            matl->adjustedtarget_c = matl->target_c * (1 + matl->moisture_c / 100);
            matl->actual_c = matl->adjustedtarget_c;
        }
    for (const Quantity& q : actuals)
        find(q).actual_c = q.amount;
}

void PriceTicket(Ticket& ticket, const std::vector<DBProduct*>& products)
{
    double subtotal = Cents(static_cast<double>(ticket.FormulaPrice()) * ticket.Batchsize());
    for (const DBProduct* prod : products)
        if (prod)
            subtotal += Cents(static_cast<double>(prod->UnitPrice()) * prod->amount_c);
    double tax = Cents(subtotal * ticket.SalesTax() / 100);
    ticket.Subtotal(static_cast<float>(subtotal));
    ticket.Tax(static_cast<float>(tax));
    ticket.Total(static_cast<float>(subtotal + tax));
}

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
         Queue},
        {"batch", "list", "", 0, 0, "lists the queue by entry number", {}, List},
        {"batch", "show", "ENTRY", 1, 1, "shows a batch and each material's target for its size", {}, Show},
        {"batch", "void", "ENTRY", 1, 1, "voids a queued batch", {}, Void},
        {"batch", "finish", "ENTRY", 1, 1,
         "stores the batch's next cycle as a ticket, books its usage, queues the remaining cycles, takes the batch "
         "off the queue and prints the ticket identifier (T and the ticket's entry number)",
         {{"actual", "PRODUCT=VALUE", "what a material weighed; the others weigh their adjusted target", true},
          {"moisture", "PRODUCT=PERCENT", "a material's moisture; its adjusted target is the wet weight", true}},
         Finish},
    };
}
