#include "DBJob.h"

#include "SysLog.h"
#include "DBRecord.h"
#include "ProductLinks.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;
const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

const Fields<Job> kDefaults = {
    {"id_c", &Job::Id},
    {"customerid_c", &Job::CustomerId},
    {"formulaid_c", &Job::FormulaId},
    {"deliverto_c", &Job::Deliverto},
    {"street_c", &Job::Street},
    {"city_c", &Job::City},
    {"state_c", &Job::State},
    {"zipcode_c", &Job::Zipcode},
    {"orderdate_c", &Job::OrderDate},
    {"instructions_c", &Job::Instructions},
    {"quantityordered_c", &Job::QuantityOrdered},
    {"batchsize_c", &Job::Batchsize},
    {"salestax_c", &Job::SalesTax},
    {"grandtotal_c", &Job::GrandTotal},
    {"taxable_c", &Job::Taxable},
};

// Everything after the key column of a single-job load.
const Fields<Job> kRow = {
    {"customerid_c", &Job::CustomerId},
    {"formulaid_c", &Job::FormulaId},
    {"deliverto_c", &Job::Deliverto},
    {"street_c", &Job::Street},
    {"city_c", &Job::City},
    {"state_c", &Job::State},
    {"zipcode_c", &Job::Zipcode},
    {"orderdate_c", &Job::OrderDate},
    {"deliverdate_c", &Job::DeliverDate},
    {"delivertime_c", &Job::DeliverTime},
    {"instructions_c", &Job::Instructions},
    {"quantityordered_c", &Job::QuantityOrdered},
    {"quantitydelivered_c", &Job::QuantityDelivered},
    {"loadsdelivered_c", &Job::LoadsDelivered},
    {"formulaprice_c", &Job::FormulaPrice},
    {"batchsize_c", &Job::Batchsize},
    {"taxable_c", &Job::Taxable},
    {"salestax_c", &Job::SalesTax},
    {"grandtotal_c", &Job::GrandTotal},
};

const Fields<Job> kDelivered = {
    {"loadsdelivered_c", &Job::LoadsDelivered},
    {"quantitydelivered_c", &Job::QuantityDelivered},
};

}  // namespace

DBJob::DBJob(std::string conninfo)
    : DBObject(conninfo),
      customer(new DBCustomer(conninfo)),
      formula(new DBFormula(conninfo)),
      nummatl_c(0),
      numprod_c(0)
{
}

DBJob::~DBJob()
{
    SYSLOG("%s:%d:%s \n");
    delete customer;
    customer = nullptr;
    delete formula;
    formula = nullptr;
    DeleteProducts(matl_v);
    DeleteProducts(prod_v);
}

std::string DBJob::xmlString() const
{
    return "<job_t>"
        + XmlEncoded("id_c", Id())
        + XmlEncoded("customerid_c", CustomerId())
        + XmlEncoded("formulaid_c", FormulaId())
        + XmlEncoded("deliverto_c", Deliverto())
        + XmlEncoded("street_c", Street())
        + XmlEncoded("city_c", City())
        + XmlEncoded("state_c", State())
        + XmlEncoded("zipcode_c", Zipcode())
        + XmlEncoded("orderdate_c", OrderDate())
        + XmlEncoded("deliverdate_c", DeliverDate())
        + XmlEncoded("delivertime_c", DeliverTime())
        + XmlEncoded("instructions_c", Instructions())
        + XmlFloat("quantityordered_c", QuantityOrdered())
        + XmlFloat("quantitydelivered_c", QuantityDelivered())
        + XmlInt("loadsdelivered_c", LoadsDelivered())
        + XmlFloat("formulaprice_c", FormulaPrice())
        + XmlFloat("batchsize_c", Batchsize())
        + XmlFlag("taxable_c", Taxable())
        + XmlFloat("salestax_c", SalesTax())
        + XmlFloat("grandtotal_c", GrandTotal())
        + "</job_t>";
}

bool DBJob::LoadXmlByEntry(int entry)
{
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBJob::LoadXmlById(std::string id)
{
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereId(id));
}

bool DBJob::LoadXml(const DBOperation& op, const std::string& where)
{
    std::string sql = "SELECT " +
                      snapshot::SelectItems({{"job_t/id_c", "jobid_c"},
                                             {"customer_t/id_c", "customerid_c"},
                                             {"formula_t/id_c", "formulaid_c"},
                                             {"job_t/deliverto_c", "deliverto_c"},
                                             {"job_t/street_c", "street_c"},
                                             {"job_t/city_c", "city_c"},
                                             {"job_t/state_c", "state_c"},
                                             {"job_t/zipcode_c", "zipcode_c"},
                                             {"job_t/orderdate_c", "orderdate_c"},
                                             {"job_t/deliverdate_c", "deliverdate_c"},
                                             {"job_t/delivertime_c", "delivertime_c"},
                                             {"job_t/instructions_c", "instructions_c"},
                                             {"job_t/quantityordered_c", "quantityordered_c"},
                                             {"job_t/quantitydelivered_c", "quantitydelivered_c"},
                                             {"job_t/loadsdelivered_c", "loadsdelivered_c"},
                                             {"job_t/formulaprice_c", "formulaprice_c"},
                                             {"job_t/batchsize_c", "batchsize_c"},
                                             {"job_t/taxable_c", "taxable_c"},
                                             {"job_t/salestax_c", "salestax_c"},
                                             {"job_t/grandtotal_c", "grandtotal_c"}}) +
                      "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        Id(Text(db, "jobid_c"));
        CustomerId(Text(db, "customerid_c"));
        FormulaId(Text(db, "formulaid_c"));
        Deliverto(Text(db, "deliverto_c"));
        Street(Text(db, "street_c"));
        City(Text(db, "city_c"));
        State(Text(db, "state_c"));
        Zipcode(Text(db, "zipcode_c"));
        OrderDate(Text(db, "orderdate_c"));
        DeliverDate(Text(db, "deliverdate_c"));
        DeliverTime(Text(db, "delivertime_c"));
        Instructions(Text(db, "instructions_c"));
        QuantityOrdered(db.GetFloat(0, "quantityordered_c"));
        QuantityDelivered(db.GetFloat(0, "quantitydelivered_c"));
        LoadsDelivered(db.GetInt(0, "loadsdelivered_c"));
        FormulaPrice(db.GetFloat(0, "formulaprice_c"));
        Batchsize(db.GetFloat(0, "batchsize_c"));
        Taxable(db.GetBool(0, "taxable_c"));
        SalesTax(db.GetFloat(0, "salestax_c"));
        GrandTotal(db.GetFloat(0, "grandtotal_c"));
        return true;
    });
}

// ---- job_t ----

namespace {

// Every column but the entry: the insert writes them as the update does, the
// price with its decimals and the sales tax included, except the deliveries,
// which only a new job writes: finished loads book them on the server.
SqlRow& JobColumns(SqlRow& row, const Job& j, bool deliveries)
{
    row.Text("id_c", j.Id())
        .Text("customerid_c", j.CustomerId())
        .Text("formulaid_c", j.FormulaId())
        .Text("deliverto_c", j.Deliverto())
        .Text("street_c", j.Street())
        .Text("city_c", j.City())
        .Text("state_c", j.State())
        .Text("zipcode_c", j.Zipcode())
        .Text("orderdate_c", j.OrderDate())
        .Text("deliverdate_c", j.DeliverDate())
        .Text("delivertime_c", j.DeliverTime())
        .Text("instructions_c", j.Instructions())
        .Real("quantityordered_c", j.QuantityOrdered());
    if (deliveries)
        row.Real("quantitydelivered_c", j.QuantityDelivered()).Int("loadsdelivered_c", j.LoadsDelivered());
    return row.Real("formulaprice_c", j.FormulaPrice())
        .Real("batchsize_c", j.Batchsize())
        .Flag("taxable_c", j.Taxable())
        .Real("salestax_c", j.SalesTax())
        .Real("grandtotal_c", j.GrandTotal())
        .Text("user_c", j.User())
        .Text("modified_c", j.Modified());
}

}  // namespace

std::string JobInsertSql(const Job& j)
{
    SqlRow row;
    row.Int("entry_c", j.Entry());
    return JobColumns(row, j, true).Insert("job_t");
}

std::string JobUpdateSql(const Job& j)
{
    SqlRow row;
    return JobColumns(row, j, false).Update("job_t", FormatString("WHERE entry_c = %i", j.Entry()));
}

std::string DBJob::LinkId() const
{
    return FormatString("Job%i", Entry());
}

bool DBJob::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM job_w ORDER BY position_c", kDefaults, *this);
}

bool DBJob::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    return LoadRow(op, FormatString(" FROM job_t WHERE entry_c=%i", entry), "id_c");
}

bool DBJob::LoadById(std::string id, std::string customerid)
{
    BEGIN_OPERATION(op);
    Id(id);
    CustomerId(customerid);
    return LoadRow(op,
                   " FROM job_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ") AND LOWER(customerid_c)=LOWER(" +
                       SqlQuote(customerid) + ")",
                   "entry_c");
}

// The job row selected by `where` after the key column `key`, then its
// customer, formula, materials and extra products while the row's connection
// stays open.
bool DBJob::LoadRow(const DBOperation& op, const std::string& where, const std::string& key)
{
    const Fields<Job> fields =
        (key == "id_c" ? Field<Job>("id_c", &Job::Id) : Field<Job>("entry_c", &Job::Entry)) + kRow;
    return LoadRecord(op, "SELECT " + Columns(fields, ",") + where, fields, *this, [this] {
        if (!CustomerId().empty() && !customer->LoadById(CustomerId()))
            return false;
        if (!FormulaId().empty() && !formula->LoadById(FormulaId()))
            return false;
        if (!LoadMatl(LinkId(), Batchsize()))
            return false;
        return LoadProd(LinkId(), Batchsize());
    });
}

bool DBJob::LoadMatl(std::string id, float batchsize)
{
    BEGIN_OPERATION(op);
    op.Trace();
    DeleteProducts(matl_v);
    return LoadMaterialLinks(op, ConnInfo(), MaterialLinksSql(id), batchsize, matl_v);
}

// An extra product's quantity is absolute: the batch size does not scale it.
bool DBJob::LoadProd(std::string id, float)
{
    BEGIN_OPERATION(op);
    op.Trace();
    DeleteProducts(prod_v);
    return LoadProductLinks(op, ConnInfo(), id, prod_v);
}

bool DBJob::List(std::vector<Job>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Job> fields = Fields<Job>{{"entry_c", &Job::Entry}, {"id_c", &Job::Id}} + kRow;
    return LoadRecords(op, "SELECT " + Columns(fields, ",") + " FROM job_t ORDER BY id_c, customerid_c", fields,
                       records);
}

bool DBJob::NextEntry()
{
    int entry = 0;
    if (!OPERATION.NextVal("job_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBJob::Unique()
{
    return CheckUnique(*this,
                       "SELECT entry_c,deliverto_c FROM job_t WHERE id_c=" + SqlQuote(Id()) +
                           " AND customerid_c=" + SqlQuote(CustomerId()),
                       Entry(), Id(), "Job", "deliverto_c");
}

bool DBJob::Unique(std::string id)
{
    return CheckUnique(*this,
                       "SELECT entry_c,deliverto_c FROM job_t WHERE id_c=" + SqlQuote(id) +
                           " AND customerid_c=" + SqlQuote(CustomerId()),
                       Entry(), id, nullptr, nullptr);
}

void DBJob::GetDateTime()
{
    std::tm now = LocalTime(std::time(nullptr));
    std::string today = FormatString("%02d-%02d-%02d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900);
    OrderDate(today);
    DeliverDate(today);
    DeliverTime(FormatString("%2d:%02d", now.tm_hour, now.tm_min));
}

void DBJob::DateTimeModified()
{
    Modified(ModifiedStamp(HourPad::Blank));
}

bool DBJob::Save(bool update)
{
    BEGIN_OPERATION(op);
    if (!CheckNumbers(op, {{"quantityordered", QuantityOrdered()}, {"formulaprice", FormulaPrice()},
                           {"batchsize", Batchsize()}, {"salestax", SalesTax(), 0, 100},
                           {"grandtotal", GrandTotal()}}))
        return false;
    if (!Unique())
        return false;
    DateTimeModified();
    return SaveRow(op, *this, update ? JobUpdateSql(*this) : JobInsertSql(*this), Id(), kSaveFailure);
}

bool DBJob::SaveMatl()
{
    BEGIN_OPERATION(op);
    return ReplaceLinks(op, LinkId(), "matl", matl_v, kSaveFailure);
}

bool DBJob::SaveProd()
{
    BEGIN_OPERATION(op);
    return ReplaceLinks(op, LinkId(), "prod", prod_v, kSaveFailure);
}

bool DBJob::Update(float amount)
{
    BEGIN_OPERATION(op);
    // The first row found gives the counts; without one the counts in memory stand.
    bool found = false;
    op.Exists("SELECT " + Columns(kDelivered, ",") + " FROM job_t WHERE (id_c=" + SqlQuote(Id()) +
                  " AND customerid_c=" + SqlQuote(CustomerId()) + ")",
              found, [&](PgSqlDatabase& db) { CopyRow(db, 0, kDelivered, *this); }, FailureReport::Silent());
    // The server adds to the stored counts, so two loads of one job finishing
    // at once both count; the stored result comes back.
    std::string sql = FormatString("UPDATE job_t SET loadsdelivered_c = COALESCE(loadsdelivered_c,0) + 1, "
                                   "quantitydelivered_c = COALESCE(quantitydelivered_c,0) + %f "
                                   "WHERE entry_c = %i RETURNING ",
                                   amount, Entry()) +
                      Columns(kDelivered, ", ");
    return BookUsage(
        op, sql, kDelivered, *this,
        [&] {
            LoadsDelivered(LoadsDelivered() + 1);
            QuantityDelivered(QuantityDelivered() + amount);
        },
        kSaveFailure);
}

bool DBJob::Delete()
{
    BEGIN_OPERATION(op);
    if (!DeleteMatl() || !DeleteProd())
        return false;
    return op.Run(DBOperation::Kind::Command, FormatString("DELETE FROM job_t WHERE entry_c=%i", Entry()), nullptr,
                  kSaveFailure);
}

bool DBJob::DeleteMatl()
{
    return OPERATION
        .Run(DBOperation::Kind::Command, LinkDeleteSql(LinkId(), "matl"), nullptr, kSaveFailure);
}

bool DBJob::DeleteProd()
{
    return OPERATION
        .Run(DBOperation::Kind::Command, LinkDeleteSql(LinkId(), "prod"), nullptr, kSaveFailure);
}

bool DBJob::Lock(bool shared)
{
    BEGIN_OPERATION(op);
    return LockRow(op, "job_t", Entry(), shared);
}
