// The batch queue: queued batches and their links, the cycles of a load,
// voiding and taking batches off the queue.

#include "DBTicket.h"

#include "DBRecord.h"
#include "DBTicketSite.h"
#include "FormatString.h"
#include "ProductLinks.h"

namespace {

const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

// The columns from id_c to driver_c, which the insert and the update share.
SqlRow& BatchColumns(SqlRow& row, const Ticket& t)
{
    return row.Text("id_c", t.Id())
        .Text("ordernumber_c", t.OrderNumber())
        .Text("timetobatch_c", t.TimeToBatch())
        .Text("jobid_c", t.JobId())
        .Text("customerid_c", t.CustomerId())
        .Text("formulaid_c", t.FormulaId())
        .Text("truckid_c", t.TruckId())
        .Real("batchsize_c", t.Batchsize())
        .Real("returned_c", t.Returned())
        .Real("watertrim_c", t.WaterTrim())
        .Int("mixer_c", t.Mixer())
        .Int("cycles_c", t.Cycles())
        .Real("salestax_c", t.SalesTax())
        .Flag("printweights_c", t.PrintWeights())
        .Flag("printprices_c", t.PrintPrices())
        .Flag("printticket_c", t.PrintTicket())
        .Money("subtotal_c", t.Subtotal())
        .Money("tax_c", t.Tax())
        .Money("total_c", t.Total())
        .Text("deliverto_c", t.Deliverto())
        .Text("street_c", t.Street())
        .Text("city_c", t.City())
        .Text("state_c", t.State())
        .Text("zipcode_c", t.Zipcode())
        .Text("instructions_c", t.Instructions())
        .Text("driver_c", t.Driver());
}

}  // namespace

std::string BatchInsertSql(const Ticket& t)
{
    SqlRow row;
    row.Int("entry_c", t.Entry());
    return BatchColumns(row, t).Money("formulaprice_c", t.FormulaPrice()).Int("plant_c", t.Plant()).Insert("batch_t");
}

std::string BatchUpdateSql(const Ticket& t)
{
    SqlRow row;
    return BatchColumns(row, t)
        .UpdateReal("formulaprice_c", t.FormulaPrice())
        .Int("plant_c", t.Plant())
        .Update("batch_t", FormatString("WHERE entry_c = %i", t.Entry()));
}

bool DBTicket::Batch(bool update)
{
    BEGIN_OPERATION(op);
    return SaveRow(op, *this, update ? BatchUpdateSql(*this) : BatchInsertSql(*this), Id(), kSaveFailure);
}

int DBTicket::NextCycle()
{
    DBOperation op = OPERATION;
    // Each statement stands alone: a failure is logged and the next one runs.
    const FailureReport logged = FailureReport::LogOnly("ERROR SAVING TO DATABASE");
    int entry = 0;
    if (!op.NextVal("batch_s", entry, FailureReport::LogOnly())) {
        // Without a number there is no batch to queue; 0 is no batch's entry.
        op.Log("NO BATCH NUMBER, NOTHING QUEUED");
        return 0;
    }
    Ticket next = *this;
    next.Entry(entry);
    next.Id(FormatString("Entry%i", entry));
    next.Cycles(Cycles() - 1);
    op.Run(DBOperation::Kind::Command, BatchInsertSql(next), nullptr, logged);
    const std::string linkid = "Batch" + next.Id();
    for (const DBProduct* matl : matl_v)
        if (matl)
            op.Run(DBOperation::Kind::Command, LinkInsertSql(linkid, *matl, false), nullptr, logged);
    for (const DBProduct* prod : prod_v)
        if (prod)
            op.Run(DBOperation::Kind::Command, LinkInsertSql(linkid, *prod, true), nullptr, logged);
    return entry;
}

void DBTicket::Resize(float batchsize)
{
    Batchsize(batchsize);
    for (DBProduct* matl : matl_v)
        if (matl)
            matl->target_c = Batchsize() * matl->amount_c;
}

// Whoever queues a batch writes its lines here, in the forms NextCycle
// copies them in, so a batch reads back through LoadByEntry and LoadById.
// A set is replaced as one unit, as the master data's are.
bool DBTicket::SaveMatl()
{
    BEGIN_OPERATION(op);
    return ReplaceLinks(op, BatchLinkId(), "matl", matl_v, kSaveFailure);
}

bool DBTicket::SaveProd()
{
    BEGIN_OPERATION(op);
    return ReplaceLinks(op, BatchLinkId(), "prod", prod_v, kSaveFailure);
}

bool DBTicket::VoidBatch()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command,
                  FormatString("UPDATE batch_t SET timetobatch_c='VOID' WHERE entry_c=%i", Entry()), nullptr,
                  kSaveFailure);
}

// The batch row is found as its links are, in any letter case: a batch loaded
// by an identifier typed in other letters comes off the queue whole.
bool DBTicket::Delete()
{
    BEGIN_OPERATION(op);
    if (!DeleteMatl() || !DeleteProd())
        return false;
    return op.Run(DBOperation::Kind::Command, "DELETE FROM batch_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(Id()) + ")",
                  nullptr, kSaveFailure);
}

bool DBTicket::DeleteMatl()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command, LinkDeleteSql(BatchLinkId(), "matl"), nullptr, kSaveFailure);
}

bool DBTicket::DeleteProd()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command, LinkDeleteSql(BatchLinkId(), "prod"), nullptr, kSaveFailure);
}
