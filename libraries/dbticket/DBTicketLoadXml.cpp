// Loading a stored ticket from its snapshot.

#include "DBTicket.h"

#include <memory>

#include "DBTicketSite.h"
#include "FormatString.h"
#include "SnapshotQuery.h"

namespace {

const snapshot::Item kTicketItems[] = {
    {"batch_t/ordernumber_c", "ordernumber_c"},
    {"batch_t/timecreated_c", "timecreated_c"},
    {"batch_t/timetobatch_c", "timetobatch_c"},
    {"batch_t/timestarted_c", "timestarted_c"},
    {"batch_t/timefinished_c", "timefinished_c"},
    {"batch_t/datebatched_c", "datebatched_c"},
    {"batch_t/timebatched_c", "timebatched_c"},
    {"customer_t/id_c", "customerid_c"},
    {"job_t/id_c", "jobid_c"},
    {"formula_t/id_c", "formulaid_c"},
    {"truck_t/id_c", "truckid_c"},
    {"batch_t/batchsize_c", "batchsize_c"},
    {"batch_t/returned_c", "returned_c"},
    {"batch_t/watertrim_c", "watertrim_c"},
    {"batch_t/mixer_c", "mixer_c"},
    {"batch_t/cycles_c", "cycles_c"},
    {"batch_t/salestax_c", "salestax_c"},
    {"batch_t/printweights_c", "printweights_c"},
    {"batch_t/printprices_c", "printprices_c"},
    {"batch_t/printticket_c", "printticket_c"},
    {"batch_t/formulaprice_c", "formulaprice_c"},
    {"batch_t/subtotal_c", "subtotal_c"},
    {"batch_t/tax_c", "tax_c"},
    {"batch_t/total_c", "total_c"},
    {"batch_t/slumpwater_c", "slumpwater_c"},
    {"batch_t/manualbatch_c", "manualbatch_c"},
    {"batch_t/manualweighup_c", "manualweighup_c"},
    {"batch_t/manualdischarge_c", "manualdischarge_c"},
    {"batch_t/mixtime_c", "mixtime_c"},
    {"batch_t/mixingtime_c", "mixingtime_c"},
    {"batch_t/simulatedbatch_c", "simulatedbatch_c"},
    {"batch_t/agg1scalestart_c", "agg1scalestart_c"},
    {"batch_t/agg1scaleend_c", "agg1scaleend_c"},
    {"batch_t/cmt1scalestart_c", "cmt1scalestart_c"},
    {"batch_t/cmt1scaleend_c", "cmt1scaleend_c"},
    {"job_t/deliverto_c", "deliverto_c"},
    {"job_t/street_c", "street_c"},
    {"job_t/city_c", "city_c"},
    {"job_t/state_c", "state_c"},
    {"job_t/zipcode_c", "zipcode_c"},
    {"job_t/instructions_c", "instructions_c"},
    {"truck_t/driver_c", "driver_c"},
    {"materials_t/nummatl_c", "nummatl_c"},
    {"products_t/numprod_c", "numprod_c"},
};

// The elements of one material entry; a product entry has the first nine.
const char* const kLineElements[] = {
    "id_c", "type_c", "description_c", "usmetric_c", "unitmeasure_c", "taxable_c", "unitprice_c",
    "amount_c", "position_c", "target_c", "cumtarget_c", "adjustedtarget_c", "actual_c", "cumactual_c",
    "moisture_c", "over_c", "low_tol_c", "high_tol_c", "scale_start_c", "scale_end_c",
};
const size_t kMaterialElements = 20;
const size_t kProductElements = 9;

// One material or product entry of the snapshot of ticket `entry`.
std::string LineStatement(const char* list, const char* prefix, size_t elements, int number, int entry)
{
    std::string sql = "SELECT ";
    for (size_t i = 0; i < elements; ++i) {
        std::string element = kLineElements[i];
        sql += FormatString("pgxml_xpath(ticket_t.xmldata_c, '//ticket_t/%s[@num=%d]/", list, number) + element +
               "/text()'::text, ''::text, ''::text) AS " + prefix + element.substr(0, element.size() - 2) + ", ";
    }
    return sql + "id_c " + FormatString("FROM ticket_t WHERE entry_c=%d", entry);
}

void ReadLine(PgSqlDatabase& db, const std::string& prefix, bool material, DBProduct& line)
{
    line.Id(snapshot::Text(db, prefix + "id"));
    line.Type(snapshot::Text(db, prefix + "type"));
    line.Description(snapshot::Text(db, prefix + "description"));
    line.UsMetric(snapshot::Text(db, prefix + "usmetric"));
    line.UnitMeasure(snapshot::Text(db, prefix + "unitmeasure"));
    line.Taxable(db.GetBool(0, prefix + "taxable"));
    line.UnitPrice(db.GetFloat(0, prefix + "unitprice"));
    line.amount_c = db.GetFloat(0, prefix + "amount");
    line.position_c = db.GetInt(0, prefix + "position");
    if (!material)
        return;
    line.target_c = db.GetFloat(0, prefix + "target");
    line.cumtarget_c = db.GetFloat(0, prefix + "cumtarget");
    line.adjustedtarget_c = db.GetFloat(0, prefix + "adjustedtarget");
    line.actual_c = db.GetFloat(0, prefix + "actual");
    line.cumactual_c = db.GetFloat(0, prefix + "cumactual");
    line.moisture_c = db.GetFloat(0, prefix + "moisture");
    line.over_c = db.GetBool(0, prefix + "over");
    line.low_tol_c = db.GetFloat(0, prefix + "low_tol");
    line.high_tol_c = db.GetFloat(0, prefix + "high_tol");
    line.scale_start_c = db.GetFloat(0, prefix + "scale_start");
    line.scale_end_c = db.GetFloat(0, prefix + "scale_end");
}

}  // namespace

bool DBTicket::LoadXmlById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    return LoadXml(op, false, snapshot::WhereId(Id()));
}

bool DBTicket::LoadXmlByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    return LoadXml(op, true, snapshot::WhereEntry(Entry()));
}

bool DBTicket::LoadXml(const DBOperation& op, bool byEntry, const std::string& where)
{
    std::string sql = std::string("SELECT ") + (byEntry ? "id_c, " : "entry_c, ") +
                      "date_c, invoice_c, plant_c, void_c, user_c, modified_c, " +
                      snapshot::SelectItems(kTicketItems, sizeof kTicketItems / sizeof kTicketItems[0]) +
                      "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        if (byEntry)
            Id(Text(db, "id_c"));
        else
            Entry(db.GetInt(0, "entry_c"));
        Date(Text(db, "date_c"));
        Invoice(db.GetInt(0, "invoice_c"));
        Plant(db.GetInt(0, "plant_c"));
        Void(db.GetBool(0, "void_c"));
        User(db.GetString(0, "user_c"));
        Modified(db.GetString(0, "modified_c"));

        OrderNumber(Text(db, "ordernumber_c"));
        TimeCreated(Text(db, "timecreated_c"));
        TimeToBatch(Text(db, "timetobatch_c"));
        TimeStarted(Text(db, "timestarted_c"));
        TimeFinished(Text(db, "timefinished_c"));
        DateBatched(Text(db, "datebatched_c"));
        TimeBatched(Text(db, "timebatched_c"));
        CustomerId(Text(db, "customerid_c"));
        JobId(Text(db, "jobid_c"));
        FormulaId(Text(db, "formulaid_c"));
        TruckId(Text(db, "truckid_c"));
        Batchsize(db.GetFloat(0, "batchsize_c"));
        Returned(db.GetFloat(0, "returned_c"));
        WaterTrim(db.GetFloat(0, "watertrim_c"));
        Mixer(db.GetInt(0, "mixer_c"));
        Cycles(db.GetInt(0, "cycles_c"));
        SalesTax(db.GetFloat(0, "salestax_c"));
        PrintWeights(db.GetBool(0, "printweights_c"));
        PrintPrices(db.GetBool(0, "printprices_c"));
        PrintTicket(db.GetBool(0, "printticket_c"));
        FormulaPrice(db.GetFloat(0, "formulaprice_c"));
        Subtotal(db.GetFloat(0, "subtotal_c"));
        Tax(db.GetFloat(0, "tax_c"));
        Total(db.GetFloat(0, "total_c"));
        SlumpWater(db.GetInt(0, "slumpwater_c"));
        ManualBatch(db.GetBool(0, "manualbatch_c"));
        ManualWeighup(db.GetBool(0, "manualweighup_c"));
        ManualDischarge(db.GetBool(0, "manualdischarge_c"));
        MixTime(db.GetInt(0, "mixtime_c"));
        MixingTime(db.GetInt(0, "mixingtime_c"));
        SimulatedBatch(db.GetBool(0, "simulatedbatch_c"));
        agg1_scale_start = db.GetFloat(0, "agg1scalestart_c");
        agg1_scale_end = db.GetFloat(0, "agg1scaleend_c");
        cmt1_scale_start = db.GetFloat(0, "cmt1scalestart_c");
        cmt1_scale_end = db.GetFloat(0, "cmt1scaleend_c");
        Deliverto(Text(db, "deliverto_c"));
        Street(Text(db, "street_c"));
        City(Text(db, "city_c"));
        State(Text(db, "state_c"));
        Zipcode(Text(db, "zipcode_c"));
        Instructions(Text(db, "instructions_c"));
        Driver(Text(db, "driver_c"));
        NumMatl(db.GetInt(0, "nummatl_c"));
        NumProd(db.GetInt(0, "numprod_c"));

        // The main connection stays open while the attached records load.
        if (!CustomerId().empty() && !customer->LoadXmlByEntry(Entry()))
            return false;
        if (!JobId().empty() && !job->LoadXmlByEntry(Entry()))
            return false;
        if (!FormulaId().empty() && !formula->LoadXmlByEntry(Entry()))
            return false;
        if (!TruckId().empty() && !truck->LoadXmlByEntry(Entry()))
            return false;
        if (!LoadXmlMatl(Entry(), Batchsize()))
            return false;
        return LoadXmlProd(Entry(), Batchsize());
    });
}

bool DBTicket::ListTickets(const std::string& date, std::vector<Ticket>& records)
{
    BEGIN_OPERATION(op);
    std::string sql = "SELECT id_c, entry_c, date_c, invoice_c, void_c, " +
                      snapshot::SelectItems({{"customer_t/id_c", "customerid_c"},
                                             {"job_t/id_c", "jobid_c"},
                                             {"job_t/deliverto_c", "deliverto_c"},
                                             {"formula_t/id_c", "formulaid_c"},
                                             {"truck_t/id_c", "truckid_c"},
                                             {"truck_t/driver_c", "driver_c"},
                                             {"batch_t/batchsize_c", "batchsize_c"},
                                             {"batch_t/total_c", "total_c"}}) +
                      "FROM ticket_t ";
    // Compared as a prefix of that many bytes, so no character of `date` is a pattern.
    if (!date.empty())
        sql += FormatString("WHERE substr(date_c, 1, %i)=", static_cast<int>(date.size())) + SqlQuote(date) + " ";
    sql += "ORDER BY entry_c";
    return op.Run(DBOperation::Kind::Tuples, sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        for (unsigned row = 0; row < static_cast<unsigned>(db.Tuples()); ++row) {
            Ticket t;
            t.Id(db.GetString(row, "id_c"));
            t.Entry(db.GetInt(row, "entry_c"));
            t.Date(db.GetString(row, "date_c"));
            t.Invoice(db.GetInt(row, "invoice_c"));
            t.Void(db.GetBool(row, "void_c"));
            t.CustomerId(Text(db, "customerid_c", row));
            t.JobId(Text(db, "jobid_c", row));
            t.Deliverto(Text(db, "deliverto_c", row));
            t.FormulaId(Text(db, "formulaid_c", row));
            t.TruckId(Text(db, "truckid_c", row));
            t.Driver(Text(db, "driver_c", row));
            t.Batchsize(db.GetFloat(row, "batchsize_c"));
            t.Total(db.GetFloat(row, "total_c"));
            records.push_back(t);
        }
        return true;
    });
}

bool DBTicket::LoadXmlMatl(int entry, float batchsize)
{
    BEGIN_OPERATION(op);
    Batchsize(batchsize);
    return LoadXmlLines(op, matl_v, NumMatl(), true, entry);
}

bool DBTicket::LoadXmlProd(int entry, float batchsize)
{
    BEGIN_OPERATION(op);
    Batchsize(batchsize);
    return LoadXmlLines(op, prod_v, NumProd(), false, entry);
}

bool DBTicket::LoadXmlLines(const DBOperation& op, std::vector<DBProduct*>& list, int count, bool material,
                            int entry)
{
    DeleteProducts(list);
    // A negative count in a damaged snapshot loads nothing.
    list.assign(count > 0 ? static_cast<size_t>(count) : 0, nullptr);
    op.Log(FormatString(material ? "MATL=%i" : "PROD=%i", count));
    const char* listPath = material ? "materials_t/matl" : "products_t/prod";
    const char* prefix = material ? "matl_" : "prod_";
    for (size_t i = 0; i < list.size(); ++i) {
        std::string sql = LineStatement(listPath, prefix, material ? kMaterialElements : kProductElements,
                                        static_cast<int>(i) + 1, entry);
        bool ok = op.Run(DBOperation::Kind::Tuples, sql,
                         [&](PgSqlDatabase& db) {
                             // A line that cannot be read leaves its slot empty.
                             auto line = std::make_unique<DBProduct>(ConnInfo());
                             ReadLine(db, prefix, material, *line);
                             list[i] = line.release();
                             return true;
                         },
                         FailureReport::LogFixed("ZERO RESULTS FOR THIS ENTRY"));
        if (!ok)
            return false;
    }
    return true;
}
