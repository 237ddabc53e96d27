// Loading a queued batch from the live tables: batch_t, the master data and
// the batch's links.

#include "DBTicket.h"

#include "DBRecord.h"
#include "DBTicketSite.h"
#include "FormatString.h"
#include "ProductLinks.h"

namespace {

// The batch_t row as the loads select it, after their key column: the queue
// times, then timecreated_c, which is selected but not read, then the rest.
const Fields<Ticket> kQueued = Narrowed<Ticket>(TicketTable().Only({"ordernumber_c", "timetobatch_c"}));
const Fields<Ticket> kBatch = Narrowed<Ticket>(TicketTable().Only(
    {"customerid_c", "jobid_c", "formulaid_c", "truckid_c", "batchsize_c", "returned_c", "watertrim_c", "mixer_c",
     "cycles_c", "salestax_c", "printweights_c", "printprices_c", "printticket_c", "subtotal_c", "tax_c", "total_c",
     "deliverto_c", "street_c", "city_c", "state_c", "zipcode_c", "instructions_c", "driver_c", "formulaprice_c",
     "plant_c"}));

}  // namespace

bool DBTicket::LoadDefaults()
{
    return ApplyDefaults(OPERATION, "SELECT column_c, default_c FROM ticket_w ORDER BY position_c",
                         TicketTable(), *this);
}

bool DBTicket::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    return LoadBatch(op, "id_c", FormatString(" FROM batch_t WHERE entry_c=%i", entry));
}

// The ticket keeps `id` as given: its lines are linked under "Batch" and that text.
bool DBTicket::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    return LoadBatch(op, "entry_c", " FROM batch_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")");
}

bool DBTicket::ListBatches(std::vector<Ticket>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Ticket> fields = Narrowed<Ticket>(TicketTable().Only({"entry_c", "id_c"})) + kQueued + kBatch;
    return LoadRecords(op, "SELECT " + Columns(fields, ",") + " FROM batch_t ORDER BY entry_c", fields, records);
}

// The batch row selected by `where` after the key column `key`, then its
// master records and lines while the row's connection stays open.
bool DBTicket::LoadBatch(const DBOperation& op, const std::string& key, const std::string& where)
{
    const Fields<Ticket> keyField = Narrowed<Ticket>(TicketTable().Only({key.c_str()}));
    const Fields<Ticket> fields = keyField + kQueued + kBatch;
    std::string sql = "SELECT " + Columns(keyField + kQueued, ",") + ",timecreated_c," + Columns(kBatch, ",") + where;
    return LoadRecord(op, sql, fields, *this, [this] {
        if (!CustomerId().empty() && !customer->LoadById(CustomerId()))
            return false;
        if (!JobId().empty() && !job->LoadById(JobId(), CustomerId()))
            return false;
        if (!FormulaId().empty() && !formula->LoadById(FormulaId()))
            return false;
        if (!TruckId().empty() && !truck->LoadById(TruckId()))
            return false;
        if (!LoadMatl(BatchLinkId(), Batchsize()))
            return false;
        return LoadProd(BatchLinkId(), Batchsize());
    });
}

// One query per material type, so the list holds the aggregates, then the
// cements, the admixtures and the water, each by position.
bool DBTicket::LoadMatl(std::string id, float batchsize)
{
    BEGIN_OPERATION(op);
    DeleteProducts(matl_v);
    for (const char* type : kMaterialTypes) {
        std::string sql = "SELECT productid_c,amount_c,position_c FROM productlinker_t, product_t WHERE "
                          "LOWER(linkid_c)=LOWER(" +
                          SqlQuote(id) + ") AND LOWER(productid_c)=LOWER(id_c) AND type_c='" + type +
                          "' ORDER BY position_c";
        if (!LoadMaterialLinks(op, ConnInfo(), sql, batchsize, matl_v))
            return false;
    }
    return true;
}

// An extra product's quantity is absolute: the batch size does not scale it.
bool DBTicket::LoadProd(std::string id, float)
{
    BEGIN_OPERATION(op);
    DeleteProducts(prod_v);
    return LoadProductLinks(op, ConnInfo(), id, prod_v);
}
