// The batch queue: queued batches and their links, the cycles of a load,
// voiding and taking batches off the queue.

#include "DBTicket.h"

#include "DBRecord.h"
#include "DBTicketSite.h"
#include "FormatString.h"
#include "ProductLinks.h"

namespace {

const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

// The batch_t row as the insert and the update write it, after the entry the
// insert begins with.
const Fields<Ticket> kBatchRow = Narrowed<Ticket>(TicketTable().Only(
    {"id_c", "ordernumber_c", "timetobatch_c", "jobid_c", "customerid_c", "formulaid_c", "truckid_c", "batchsize_c",
     "returned_c", "watertrim_c", "mixer_c", "cycles_c", "salestax_c", "printweights_c", "printprices_c",
     "printticket_c", "subtotal_c", "tax_c", "total_c", "deliverto_c", "street_c", "city_c", "state_c", "zipcode_c",
     "instructions_c", "driver_c", "formulaprice_c", "plant_c"}));

}  // namespace

std::string BatchInsertSql(const Ticket& t)
{
    const Fields<Ticket> entry = Narrowed<Ticket>(TicketTable().Only({"entry_c"}));
    return WrittenRow(entry + kBatchRow, t, col::Insert).Insert("batch_t");
}

std::string BatchUpdateSql(const Ticket& t)
{
    return WrittenRow(kBatchRow, t, col::Update).Update("batch_t", FormatString("WHERE entry_c = %i", t.Entry()));
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
