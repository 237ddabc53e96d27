// A load's life on the queue: queueing it, finishing its cycles into tickets
// and voiding it, each as one unit of work.

#include "DBTicket.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <memory>

#include "DBRecord.h"
#include "DBTicketSite.h"
#include "FormatString.h"

namespace {

const char* const kVoid = "VOID";

double Cents(double value)
{
    return std::round(value * 100) / 100;
}

std::string Named(const std::string& kind, const std::string& id)
{
    return kind + " '" + id + "'";
}

std::string BatchName(int entry)
{
    return FormatString("batch %i", entry);
}

bool SameId(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "Entry" and digits, in any letters: the identifiers the queue gives the
// batches it numbers itself, the remaining cycles of a load among them.
bool QueueNamed(const std::string& id)
{
    if (id.size() <= 5 || !SameId(id.substr(0, 5), "Entry"))
        return false;
    for (size_t i = 5; i < id.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(id[i])))
            return false;
    return true;
}

// A copy of each line's product, amount, position and (for an extra product)
// price: what a batch's links hold.
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

// Whether a load by identifier found its record; otherwise `owner` is told
// why: the database's message, or that `what` is not there.
template <class DB>
bool Found(bool loaded, const DB& record, DBObject& owner, const std::string& what)
{
    if (!loaded && !record.ErrorMsg().empty()) {
        owner.ErrorMsg(what + ": " + record.ErrorMsg());
        return false;
    }
    if (record.Entry() != 0)
        return true;
    owner.ErrorMsg(what + " not found");
    return false;
}

bool Refuse(DBObject& owner, const std::string& why)
{
    owner.ErrorMsg(why);
    return false;
}

// A failed step's message: what was being done, then why.
bool Refuse(DBObject& owner, const std::string& doing, const std::string& why)
{
    owner.ErrorMsg(why.empty() ? doing + " failed" : doing + ": " + why);
    return false;
}

// The unit's commit, with the reason it failed in `owner`.
bool Complete(UnitOfWork& unit, DBObject& owner, const std::string& doing)
{
    return unit.Commit() || Refuse(owner, doing, unit.ErrorMsg());
}

}  // namespace

bool DBTicket::QueueLoad(const LoadOrder& order)
{
    BEGIN_OPERATION(op);
    UnitOfWork unit(ConnInfo());
    ClearError();
    // "%f" would store a smaller size as 0.
    if (!CheckNumbers(op, {{"the size", order.size, 0.0000005}, {"the cycles", static_cast<double>(order.cycles), 1}}))
        return false;

    // Everything the batch refers to is found before anything is written;
    // the identifiers are then taken in the letters they are stored in.
    const std::string what = Named("job", order.job) + " of " + Named("customer", order.customer);
    if (!Found(job->LoadById(order.job, order.customer), *job, *this, what))
        return false;
    if (!job->LoadByEntry(job->Entry()) && !job->ErrorMsg().empty())
        return Refuse(*this, what, job->ErrorMsg());
    if (job->FormulaId().empty())
        return Refuse(*this, what + " has no formula");
    if (job->customer->Entry() == 0)
        return Refuse(*this, Named("customer", job->CustomerId()) + " not found");
    if (job->formula->Entry() == 0 || job->formula->matl_v.empty())
        return Refuse(*this, Named("formula", job->FormulaId()) + " of " + what + " not found or without materials");
    if (!Found(truck->LoadById(order.truck), *truck, *this, Named("truck", order.truck)))
        return false;
    if (!truck->LoadByEntry(truck->Entry()) && !truck->ErrorMsg().empty())
        return Refuse(*this, Named("truck", order.truck), truck->ErrorMsg());
    if (truck->MaxLoadSize() > 0 &&
        !CheckNumbers(op, {{"the size for " + Named("truck", truck->Id()), order.size, 0, truck->MaxLoadSize()}}))
        return false;

    if (!LoadDefaults())
        return Refuse(*this, "reading the ticket defaults", ErrorMsg());
    if (!NextEntry())
        return Refuse(*this, "numbering the batch", ErrorMsg());
    const std::string own = FormatString("Entry%i", Entry());
    Id(order.id.empty() ? own : order.id);
    DBTicket queued(ConnInfo());
    queued.LoadById(Id());
    if (queued.Entry() != 0)
        return Refuse(*this, Named("batch", Id()) + " is already queued");
    if (QueueNamed(Id()) && !SameId(Id(), own))
        return Refuse(*this, Named("batch", Id()),
                      "Entry and a number name the batches the queue numbers itself, such as the rest of a load");
    // The batch's lines are filed under "Batch" and its identifier, where a
    // formula's own would be read as its.
    DBFormula taken(ConnInfo());
    taken.LoadById(BatchLinkId());
    if (taken.Entry() != 0) {
        // The formula is named in the letters it is stored in.
        taken.LoadByEntry(taken.Entry());
        return Refuse(*this, Named("batch", Id()),
                      "its lines would be filed as " + Named("formula", taken.Id()) + " files its own");
    }

    JobId(job->Id());
    CustomerId(job->CustomerId());
    FormulaId(job->FormulaId());
    TruckId(truck->Id());
    Driver(truck->Driver());
    Batchsize(order.size);
    Cycles(order.cycles);
    Deliverto(job->Deliverto());
    Street(job->Street());
    City(job->City());
    State(job->State());
    Zipcode(job->Zipcode());
    Instructions(job->Instructions());
    FormulaPrice(job->FormulaPrice());
    PrintTicket(job->customer->PrintTicket());
    // Taxed at the job's rate, or the default rate when the job names none;
    // never for a job that is not taxable or a customer exempt from tax.
    if (!job->Taxable() || job->customer->TaxExempt())
        SalesTax(0);
    else if (job->SalesTax() != 0)
        SalesTax(job->SalesTax());
    if (order.choose)
        order.choose(*this);
    if (!CheckNumbers(op, {{"the sales tax", SalesTax(), 0, 100}}) || !PlantKnown(op))
        return false;

    DeleteProducts(matl_v);
    DeleteProducts(prod_v);
    CopyLines(job->formula->matl_v, matl_v);
    CopyLines(job->prod_v, prod_v);
    // A load whose price no float holds could be queued but never finished.
    double price = static_cast<double>(FormulaPrice()) * Batchsize();
    for (const DBProduct* prod : prod_v)
        price += static_cast<double>(prod->UnitPrice()) * prod->amount_c;
    if (!CheckNumbers(op, {{"the price of the load", price, 0, FLT_MAX}}))
        return false;

    const std::string doing = "queueing " + Named("batch", Id());
    if (!Batch(false) || !SaveMatl() || !SaveProd())
        return Refuse(*this, doing, ErrorMsg());
    return Complete(unit, *this, doing);
}

// A plant without its delivery counters would have its loads go uncounted.
bool DBTicket::PlantKnown(const DBOperation& op)
{
    bool known = false;
    if (!op.Exists(FormatString("SELECT plant_c FROM batchcounter_t WHERE plant_c=%i", Plant()), known))
        return false;
    return known || op.Refuse(FormatString("plant %i has no delivery counters", Plant()));
}

bool DBTicket::ClaimBatch(int entry)
{
    BEGIN_OPERATION(op);
    bool found = false;
    if (!op.Exists(FormatString("SELECT entry_c FROM batch_t WHERE entry_c=%i FOR UPDATE", entry), found))
        return false;
    if (!found)
        ErrorMsg(BatchName(entry) + " not found");
    return found;
}

bool DBTicket::FinishBatch(int entry, const std::vector<Reading>& actuals, const std::vector<Reading>& moistures)
{
    BEGIN_OPERATION(op);
    UnitOfWork unit(ConnInfo());
    ClearError();
    const std::string name = BatchName(entry);
    // A step that failed says why; when a statement failed, the unit knows.
    auto fail = [&](const std::string& doing) {
        return Refuse(*this, doing, unit.Ok() ? ErrorMsg() : unit.ErrorMsg());
    };
    if (!ClaimBatch(entry))
        return false;
    if (!LoadByEntry(entry) && !ErrorMsg().empty())
        return fail(name);
    if (Id().empty())
        return Refuse(*this, name + " not found");
    if (TimeToBatch() == kVoid)
        return Refuse(*this, name + " is void");
    // A load whose customer, job, formula or truck was deleted since it was
    // queued would be stored with its usage booked nowhere.
    const std::pair<std::string, int> masters[] = {{Named("customer", CustomerId()), customer->Entry()},
                                                   {Named("job", JobId()), job->Entry()},
                                                   {Named("formula", FormulaId()), formula->Entry()},
                                                   {Named("truck", TruckId()), truck->Entry()}};
    for (const auto& [what, found] : masters)
        if (found == 0)
            return Refuse(*this, what + " of " + name + " not found");
    const std::string batchId = Id();

    if (!WeighUp(actuals, moistures))
        return false;
    GetDateTimeStart();
    GetDateTime();
    if (!NextTicketEntry())
        return fail("numbering the ticket of " + name);
    // The ticket sequence makes the identifier unique among tickets.
    Id(FormatString("T%i", Entry()));
    Price();
    if (!Save(false))
        return fail("storing " + Named("ticket", Id()));
    // A booking that failed is only logged by Update; here it fails the load.
    if (!Update() || !unit.Ok())
        return fail("booking the usage of " + Named("ticket", Id()));
    if (Cycles() > 1 && (NextCycle() == 0 || !unit.Ok()))
        return fail("queueing the remaining cycles of " + name);
    DBTicket done(ConnInfo());
    done.Id(batchId);
    if (!done.Delete()) {
        ErrorMsg(done.ErrorMsg());
        return fail("taking " + name + " off the queue");
    }
    return Complete(unit, *this, "finishing " + name);
}

bool DBTicket::VoidQueued(int entry)
{
    BEGIN_OPERATION(op);
    UnitOfWork unit(ConnInfo());
    ClearError();
    Entry(entry);
    if (!ClaimBatch(entry))
        return false;
    if (!VoidBatch())
        return Refuse(*this, "voiding " + BatchName(entry), ErrorMsg());
    return Complete(unit, *this, "voiding " + BatchName(entry));
}

bool DBTicket::WeighUp(const std::vector<Reading>& actuals, const std::vector<Reading>& moistures)
{
    DBOperation op = OPERATION;
    std::vector<Bound> readings;
    for (const Reading& r : actuals)
        readings.push_back({"the actual of " + r.product, r.value});
    for (const Reading& r : moistures)
        readings.push_back({"the moisture of " + r.product, r.value, 0, 100});
    if (!CheckNumbers(op, readings))
        return false;
    auto find = [&](const Reading& r) -> DBProduct* {
        for (DBProduct* matl : matl_v)
            if (matl && SameId(matl->Id(), r.product))
                return matl;
        ErrorMsg(BatchName(Entry()) + " has no material '" + r.product + "'");
        return nullptr;
    };
    for (const Reading& r : moistures) {
        DBProduct* matl = find(r);
        if (!matl)
            return false;
        matl->moisture_c = r.value;
    }
    for (DBProduct* matl : matl_v)
        if (matl) {
            matl->adjustedtarget_c = matl->target_c * (1 + matl->moisture_c / 100);
            matl->actual_c = matl->adjustedtarget_c;
        }
    for (const Reading& r : actuals) {
        DBProduct* matl = find(r);
        if (!matl)
            return false;
        matl->actual_c = r.value;
    }
    return true;
}

void DBTicket::Price()
{
    double subtotal = Cents(static_cast<double>(FormulaPrice()) * Batchsize());
    for (const DBProduct* prod : prod_v)
        if (prod)
            subtotal += Cents(static_cast<double>(prod->UnitPrice()) * prod->amount_c);
    double tax = Cents(subtotal * SalesTax() / 100);
    Subtotal(static_cast<float>(subtotal));
    Tax(static_cast<float>(tax));
    Total(static_cast<float>(subtotal + tax));
}
