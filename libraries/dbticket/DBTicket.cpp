#include "DBTicket.h"

#include <memory>

#include "FormatString.h"
#include "Mutex.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

DBTicket::DBTicket(std::string conninfo)
    : DBObject(conninfo),
      customer(new DBCustomer(conninfo)),
      job(new DBJob(conninfo)),
      formula(new DBFormula(conninfo)),
      truck(new DBTruck(conninfo)),
      agg1_scale_start(0.0),
      agg1_scale_end(0.0),
      cmt1_scale_start(0.0),
      cmt1_scale_end(0.0),
      mutex(new Mutex),
      nummatl_c(0),
      numprod_c(0),
      inspect_batch(false),
      manual_batch(false),
      manual_weighup(false),
      manual_discharge(false),
      simulated_batch(false),
      mixing_time(0),
      mix_time(0),
      slump_water(0)
{
}

DBTicket::~DBTicket()
{
    delete customer;
    customer = nullptr;
    delete job;
    job = nullptr;
    delete formula;
    formula = nullptr;
    delete truck;
    truck = nullptr;
    delete mutex;
    mutex = nullptr;
    DeleteProducts(matl_v);
    DeleteProducts(prod_v);
}

bool DBTicket::IsFormulaMetric() const
{
    if (!formula)
        return false;
    std::string units = formula->UsMetric();
    return units == "metric" || units == "Metric" || units == "METRIC";
}

namespace {

// Slots left empty by a failed load hold no product and are not written. The
// count and the numbering cover only the entries that are, so the snapshot
// reads back as exactly the products it holds, numbered 1 to the count.
int CountEntries(const std::vector<DBProduct*>& list)
{
    int count = 0;
    for (const DBProduct* product : list)
        if (product)
            ++count;
    return count;
}

std::string MaterialEntry(const DBProduct& matl, int num)
{
    return FormatString("<matl num=\"%i\">", num)
        + matl.xmlString()
        + XmlFloat("amount_c", matl.amount_c)
        + XmlInt("position_c", matl.position_c)
        + XmlFloat("target_c", matl.target_c)
        + XmlFloat("cumtarget_c", matl.cumtarget_c)
        + XmlFloat("adjustedtarget_c", matl.adjustedtarget_c)
        + XmlFloat("actual_c", matl.actual_c)
        + XmlFloat("cumactual_c", matl.cumactual_c)
        + XmlFloat("moisture_c", matl.moisture_c)
        + XmlFlag("over_c", matl.over_c)
        + XmlFloat("low_tol_c", matl.low_tol_c)
        + XmlFloat("high_tol_c", matl.high_tol_c)
        + XmlFloat("scale_start_c", matl.scale_start_c)
        + XmlFloat("scale_end_c", matl.scale_end_c)
        + "</matl>";
}

std::string ProductEntry(const DBProduct& prod, int num)
{
    return FormatString("<prod num=\"%i\">", num)
        + prod.xmlString()
        + XmlFloat("amount_c", prod.amount_c)
        + XmlInt("position_c", prod.position_c)
        + "</prod>";
}

}  // namespace

std::string DBTicket::xmlString() const
{
    std::string xml = "<ticket_t><batch_t>";
    xml += XmlEncoded("id_c", Id());
    xml += XmlEncoded("ordernumber_c", OrderNumber());
    // The batching times hold digits and separators only and go in unencoded.
    xml += XmlElement("timecreated_c", TimeCreated());
    xml += XmlElement("timetobatch_c", TimeToBatch());
    xml += XmlElement("timestarted_c", TimeStarted());
    xml += XmlElement("timefinished_c", TimeFinished());
    xml += XmlElement("datebatched_c", DateBatched());
    xml += XmlElement("timebatched_c", TimeBatched());
    xml += XmlFloat("batchsize_c", Batchsize());
    xml += XmlFloat("returned_c", Returned());
    xml += XmlFloat("watertrim_c", WaterTrim());
    xml += XmlInt("mixer_c", Mixer());
    xml += XmlInt("cycles_c", Cycles());
    xml += XmlFloat("salestax_c", SalesTax());
    xml += XmlFlag("printweights_c", PrintWeights());
    xml += XmlFlag("printprices_c", PrintPrices());
    xml += XmlFlag("printticket_c", PrintTicket());
    xml += XmlFloat2("formulaprice_c", FormulaPrice());
    xml += XmlFloat2("subtotal_c", Subtotal());
    xml += XmlFloat2("tax_c", Tax());
    xml += XmlFloat2("total_c", Total());
    xml += XmlInt("slumpwater_c", SlumpWater());
    xml += XmlFlag("manualbatch_c", ManualBatch());
    xml += XmlFlag("manualweighup_c", ManualWeighup());
    xml += XmlFlag("manualdischarge_c", ManualDischarge());
    xml += XmlInt("mixtime_c", MixTime());
    xml += XmlInt("mixingtime_c", MixingTime());
    xml += XmlFlag("simulatedbatch_c", SimulatedBatch());
    xml += XmlFloat2("agg1scalestart_c", agg1_scale_start);
    xml += XmlFloat2("agg1scaleend_c", agg1_scale_end);
    xml += XmlFloat2("cmt1scalestart_c", cmt1_scale_start);
    xml += XmlFloat2("cmt1scaleend_c", cmt1_scale_end);
    xml += "</batch_t>";

    job->Deliverto(Deliverto());
    job->Street(Street());
    job->City(City());
    job->State(State());
    job->Zipcode(Zipcode());
    job->Instructions(Instructions());
    truck->Driver(Driver());

    xml += customer->xmlString();
    xml += job->xmlString();
    xml += formula->xmlString();
    xml += truck->xmlString();

    xml += "<materials_t>" + XmlInt("nummatl_c", CountEntries(matl_v));
    int num = 0;
    for (const DBProduct* matl : matl_v)
        if (matl)
            xml += MaterialEntry(*matl, ++num);
    xml += "</materials_t>";

    xml += "<products_t>" + XmlInt("numprod_c", CountEntries(prod_v));
    num = 0;
    for (const DBProduct* prod : prod_v)
        if (prod)
            xml += ProductEntry(*prod, ++num);
    xml += "</products_t>";

    xml += "</ticket_t>";
    return xml;
}

// ---- loading from the snapshot ----

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
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    Id(id);
    return LoadXml(op, false, snapshot::WhereId(Id()));
}

bool DBTicket::LoadXmlByEntry(int entry)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
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

bool DBTicket::LoadXmlMatl(int entry, float batchsize)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    Batchsize(batchsize);
    return LoadXmlLines(op, matl_v, NumMatl(), true, entry);
}

bool DBTicket::LoadXmlProd(int entry, float batchsize)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
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

// ---- numbering ----

bool DBTicket::NextEntry()
{
    int entry = 0;
    if (!DBOperation(*this, DB_SITE(LogFamily::Spaced)).NextVal("batch_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBTicket::NextTicketEntry()
{
    int entry = 0;
    if (!DBOperation(*this, DB_SITE(LogFamily::Spaced)).NextVal("ticket_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBTicket::NextInvoice()
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    int invoice = 0;
    if (!op.NextVal("invoice_s", invoice))
        return false;
    Invoice(invoice);
    // The row is found as the load found it, whatever letters the id was typed in.
    std::string sql = FormatString("UPDATE ticket_t SET invoice_c=%i WHERE LOWER(id_c)=LOWER('%s')", Invoice(),
                                   SqlEscape(Id()).c_str());
    return op.Run(DBOperation::Kind::Command, sql, nullptr, FailureReport::LogFixed("ERROR SAVING TO DATABASE"));
}

bool DBTicket::UpdateCounters()
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    std::string where = FormatString("WHERE plant_c=%d", Plant());
    bool counted = op.Run(DBOperation::Kind::Tuples,
                          "SELECT loadsdelivered_c,yardsdelivered_c FROM batchcounter_t " + where,
                          [&](PgSqlDatabase& db) {
                              if (db.Tuples() == 1)
                                  return true;
                              ErrorMsg(db.ErrorMessage());
                              return false;
                          },
                          FailureReport::StoreOnly());
    if (!counted)
        return false;
    // The server adds to the stored values, so two bookings of one plant at
    // the same moment both count.
    std::string sql = FormatString("UPDATE batchcounter_t SET loadsdelivered_c=loadsdelivered_c+1,"
                                   "yardsdelivered_c=yardsdelivered_c+%f ",
                                   Batchsize()) +
                      where;
    return op.Run(DBOperation::Kind::Command, sql);
}
