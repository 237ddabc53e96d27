// The finished ticket: storing it with its snapshot, booking its usage into
// the counters and the master data, voiding it, and the batch cycle's stamps.

#include "DBTicket.h"

#include "DBRecord.h"
#include "DBTicketHistory.h"
#include "DBTicketSite.h"
#include "FormatString.h"
#include "Progress.h"

namespace {

// The columns from ordernumber_c to xmldata_c, which the insert and the update
// share. The snapshot is taken once, and escaped like every other text.
SqlRow& TicketColumns(SqlRow& row, const DBTicket& t)
{
    return row.Text("ordernumber_c", t.OrderNumber())
        .Text("timecreated_c", t.TimeCreated())
        .Text("timetobatch_c", t.TimeToBatch())
        .Text("timestarted_c", t.TimeStarted())
        .Text("timefinished_c", t.TimeFinished())
        .Text("customerid_c", t.CustomerId())
        .Text("name_c", t.customer->Name())
        .Text("jobid_c", t.JobId())
        .Text("deliverto_c", t.Deliverto())
        .Text("formulaid_c", t.FormulaId())
        .Text("description_c", t.formula->Description())
        .Text("truckid_c", t.TruckId())
        .Text("driver_c", t.Driver())
        .Real("batchsize_c", t.Batchsize())
        .Real("returned_c", t.Returned())
        .Real("watertrim_c", t.WaterTrim())
        .Int("mixer_c", t.Mixer())
        .Int("cycles_c", t.Cycles())
        .Real("salestax_c", t.SalesTax())
        .Flag("printweights_c", t.PrintWeights())
        .Flag("printprices_c", t.PrintPrices())
        .Flag("printticket_c", t.PrintTicket())
        .Real("subtotal_c", t.Subtotal())
        .Real("tax_c", t.Tax())
        .Real("total_c", t.Total())
        .Text("street_c", t.Street())
        .Text("city_c", t.City())
        .Text("state_c", t.State())
        .Text("zipcode_c", t.Zipcode())
        .Text("instructions_c", t.Instructions())
        .Text("onjob_c", t.truck->OnJob())
        .Text("offjob_c", t.truck->OffJob())
        .Real("leftover_c", t.truck->LeftOver())
        .Int("plant_c", t.Plant())
        .Text("xmldata_c", t.xmlString());
}

}  // namespace

// A new ticket has no invoice yet, and no saved ticket is void.
std::string TicketInsertSql(const DBTicket& t)
{
    SqlRow row;
    row.Int("entry_c", t.Entry()).Text("id_c", t.Id()).Text("date_c", t.Date()).Raw("invoice_c", "0");
    return TicketColumns(row, t)
        .Flag("void_c", false)
        .Text("user_c", t.User())
        .Text("modified_c", t.Modified())
        .Insert("ticket_t");
}

std::string TicketUpdateSql(const DBTicket& t)
{
    SqlRow row;
    row.Int("invoice_c", t.Invoice());
    return TicketColumns(row, t)
        .Flag("void_c", false)
        .Text("user_c", t.User())
        .Text("modified_c", t.Modified())
        .TicketUpdate("ticket_t", FormatString("WHERE entry_c=%i", t.Entry()));
}

bool DBTicket::Save(bool update)
{
    DBOperation op = OPERATION;
    op.Log("SAVE TICKET TO DATABASE");
    DateTimeModified();
    // The ticket and its event in the history stand or fall together.
    UnitOfWork unit(ConnInfo());
    return op.Run(DBOperation::Kind::Command, update ? TicketUpdateSql(*this) : TicketInsertSql(*this)) &&
           RecordAndCommit(unit, *this, update ? EventKind::Rewritten : EventKind::Stored, Entry());
}

// Every booking below runs whatever the one before it did; the master-data
// bookings add on the server, so tickets finishing at once lose nothing.
bool DBTicket::Update()
{
    BEGIN_OPERATION(op);
    Progress("COUNTERS UPDATE\n");
    UpdateCounters();
    Progress("DATA UPDATE\n");
    if (!customer->Update(Plant(), Id(), Total(), Batchsize()))
        OPERATION.Log("CUSTOMER UPDATE FAILED");
    if (!job->Update(Batchsize()))
        OPERATION.Log("JOB UPDATE FAILED");
    if (!formula->Update())
        OPERATION.Log("FORMULA UPDATE FAILED");
    if (!truck->Update(Batchsize()))
        OPERATION.Log("TRUCK UPDATE FAILED");

    OPERATION.Log("MATERIAL UPDATE");
    for (DBProduct* matl : matl_v)
        if (matl)
            matl->Update(Id(), CustomerId(), JobId(), Plant(), matl->target_c, matl->adjustedtarget_c, matl->actual_c);
    OPERATION.Log("PRODUCT UPDATE");
    for (DBProduct* prod : prod_v)
        if (prod)
            prod->Update(Id(), CustomerId(), JobId(), Plant(), prod->target_c, prod->adjustedtarget_c, prod->actual_c);

    Progress("JOB UPDATE\n");
    if (!job->LoadById(JobId(), CustomerId()))
        return false;
    // What the loads delivered of each ordered product is kept in the job in
    // memory only: the links hold no such figure, and writing them back
    // would undo an office edit of the job made while the load was finished.
    for (const DBProduct* sold : prod_v)
        for (DBProduct* ordered : job->prod_v)
            if (sold && ordered && sold->Id() == ordered->Id())
                ordered->actual_c += sold->amount_c;
    Progress("DONE UPDATE\n");
    return true;
}

bool DBTicket::VoidTicket()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command, FormatString("UPDATE ticket_t SET void_c='t' WHERE entry_c=%i", Entry()),
                  nullptr, FailureReport::LogFixed("ERROR SAVING TO DATABASE"));
}

void DBTicket::GetDateTimeStart()
{
    std::string now = ModifiedStamp(HourPad::Zero);
    TimeCreated(now);
    TimeStarted(now);
}

void DBTicket::GetDateTime()
{
    std::time_t clock = std::time(nullptr);
    std::tm now = LocalTime(clock);
    TimeBatched(FormatString("%02d:%02d", now.tm_hour, now.tm_min));
    DateBatched(FormatString("%02d-%02d-%02d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900));
    TimeFinished(ModifiedStamp(HourPad::Zero, clock));
}

void DBTicket::DateTimeModified()
{
    std::string now = ModifiedStamp(HourPad::Zero);
    Date(now);
    Modified(now);
}
