// Loading a queued batch from the live tables: batch_t, the master data and
// the batch's links.

#include "DBTicket.h"

#include "DBRecord.h"
#include "DBTicketSite.h"
#include "FormatString.h"
#include "ProductLinks.h"

namespace {

const Fields<Ticket> kDefaults = {
    {"id_c", &Ticket::Id},
    {"ordernumber_c", &Ticket::OrderNumber},
    {"timetobatch_c", &Ticket::TimeToBatch},
    {"jobid_c", &Ticket::JobId},
    {"customerid_c", &Ticket::CustomerId},
    {"formulaid_c", &Ticket::FormulaId},
    {"truckid_c", &Ticket::TruckId},
    {"batchsize_c", &Ticket::Batchsize},
    {"returned_c", &Ticket::Returned},
    {"watertrim_c", &Ticket::WaterTrim},
    {"mixer_c", &Ticket::Mixer},
    {"cycles_c", &Ticket::Cycles},
    {"salestax_c", &Ticket::SalesTax},
    {"printweights_c", &Ticket::PrintWeights},
    {"printprices_c", &Ticket::PrintPrices},
    {"printticket_c", &Ticket::PrintTicket},
    {"deliverto_c", &Ticket::Deliverto},
    {"street_c", &Ticket::Street},
    {"city_c", &Ticket::City},
    {"state_c", &Ticket::State},
    {"zipcode_c", &Ticket::Zipcode},
    {"instructions_c", &Ticket::Instructions},
    {"driver_c", &Ticket::Driver},
    {"plant_c", &Ticket::Plant},
};

// The batch columns before timecreated_c, which is selected but not read...
const Fields<Ticket> kQueued = {
    {"ordernumber_c", &Ticket::OrderNumber},
    {"timetobatch_c", &Ticket::TimeToBatch},
};

// ...and after it.
const Fields<Ticket> kBatch = {
    {"customerid_c", &Ticket::CustomerId},
    {"jobid_c", &Ticket::JobId},
    {"formulaid_c", &Ticket::FormulaId},
    {"truckid_c", &Ticket::TruckId},
    {"batchsize_c", &Ticket::Batchsize},
    {"returned_c", &Ticket::Returned},
    {"watertrim_c", &Ticket::WaterTrim},
    {"mixer_c", &Ticket::Mixer},
    {"cycles_c", &Ticket::Cycles},
    {"salestax_c", &Ticket::SalesTax},
    {"printweights_c", &Ticket::PrintWeights},
    {"printprices_c", &Ticket::PrintPrices},
    {"printticket_c", &Ticket::PrintTicket},
    {"subtotal_c", &Ticket::Subtotal},
    {"tax_c", &Ticket::Tax},
    {"total_c", &Ticket::Total},
    {"deliverto_c", &Ticket::Deliverto},
    {"street_c", &Ticket::Street},
    {"city_c", &Ticket::City},
    {"state_c", &Ticket::State},
    {"zipcode_c", &Ticket::Zipcode},
    {"instructions_c", &Ticket::Instructions},
    {"driver_c", &Ticket::Driver},
    {"formulaprice_c", &Ticket::FormulaPrice},
    {"plant_c", &Ticket::Plant},
};

}  // namespace

bool DBTicket::LoadDefaults()
{
    return ApplyDefaults(OPERATION, "SELECT column_c, default_c FROM ticket_w ORDER BY position_c",
                         kDefaults, *this);
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
    const Fields<Ticket> fields =
        Fields<Ticket>{{"entry_c", &Ticket::Entry}, {"id_c", &Ticket::Id}} + kQueued + kBatch;
    return LoadRecords(op, "SELECT " + Columns(fields, ",") + " FROM batch_t ORDER BY entry_c", fields, records);
}

// The batch row selected by `where` after the key column `key`, then its
// master records and lines while the row's connection stays open.
bool DBTicket::LoadBatch(const DBOperation& op, const std::string& key, const std::string& where)
{
    const Field<Ticket> keyField = key == "id_c" ? Field<Ticket>("id_c", &Ticket::Id)
                                                 : Field<Ticket>("entry_c", &Ticket::Entry);
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
    for (const char* type : {"agg", "cmt", "admix", "water"}) {
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
