#include "DBJob.h"

#include "SysLog.h"
#include "DBRecord.h"
#include "ProductLinks.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;
const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

const RecordTable<Job>& kTable = JobTable();
using col::Insert;
using col::Load;
using col::Update;

// What a finished load adds to, as the server returns it.
const Fields<Job> kDelivered = kTable.Only({"loadsdelivered_c", "quantitydelivered_c"});

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

// The insert writes every column as the update does, the price with its
// decimals and the sales tax included, except the entry and the deliveries,
// which only a new job writes: finished loads book them on the server. A
// snapshot's job names its customer and formula by their own sections.
const RecordTable<Job>& JobTable()
{
    using namespace col;
    using J = Job;
    using From = RecordColumn<Job>::ReadFrom;
    static const RecordTable<Job> table = {"job_t", "job_t", "jobid_c", {
        {"entry_c", &J::Entry, &J::Entry, Insert},
        {"id_c", &J::Id, &J::Id, Default | Written | Snapshot | Listed},
        {"customerid_c", &J::CustomerId, &J::CustomerId, Default | Stored | Snapshot | Listed, From{"customer_t/id_c"}},
        {"formulaid_c", &J::FormulaId, &J::FormulaId, Default | Stored | Snapshot | Listed, From{"formula_t/id_c"}},
        {"deliverto_c", &J::Deliverto, &J::Deliverto, Default | Stored | Snapshot | Option | Listed},
        {"street_c", &J::Street, &J::Street, Default | Stored | Snapshot | Option},
        {"city_c", &J::City, &J::City, Default | Stored | Snapshot | Option},
        {"state_c", &J::State, &J::State, Default | Stored | Snapshot | Option},
        {"zipcode_c", &J::Zipcode, &J::Zipcode, Default | Stored | Snapshot | Option},
        {"orderdate_c", &J::OrderDate, &J::OrderDate, Default | Stored | Snapshot | Option},
        {"deliverdate_c", &J::DeliverDate, &J::DeliverDate, Stored | Snapshot | Option},
        {"delivertime_c", &J::DeliverTime, &J::DeliverTime, Stored | Snapshot | Option},
        {"instructions_c", &J::Instructions, &J::Instructions, Default | Stored | Snapshot | Option},
        {"quantityordered_c", &J::QuantityOrdered, &J::QuantityOrdered, Default | Stored | Snapshot | Option},
        {"quantitydelivered_c", &J::QuantityDelivered, &J::QuantityDelivered, Load | Insert | Snapshot},
        {"loadsdelivered_c", &J::LoadsDelivered, &J::LoadsDelivered, Load | Insert | Snapshot},
        {"formulaprice_c", &J::FormulaPrice, &J::FormulaPrice, Stored | Snapshot | Option},
        {"batchsize_c", &J::Batchsize, &J::Batchsize, Default | Stored | Snapshot | Option},
        {"taxable_c", &J::Taxable, &J::Taxable, Default | Stored | Snapshot | Option},
        {"salestax_c", &J::SalesTax, &J::SalesTax, Default | Stored | Snapshot | Option | Percent},
        {"grandtotal_c", &J::GrandTotal, &J::GrandTotal, Default | Stored | Snapshot | Option},
        {"user_c", &J::User, &J::User, Written},
        {"modified_c", &J::Modified, &J::Modified, Written},
    }};
    return table;
}

std::string DBJob::xmlString() const
{
    return XmlSection(kTable, *this);
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
    return LoadSection(op, kTable, where, *this);
}

// ---- job_t ----

std::string JobInsertSql(const Job& j)
{
    return WrittenRow(kTable, j, Insert).Insert("job_t");
}

std::string JobUpdateSql(const Job& j)
{
    return WrittenRow(kTable, j, Update).Update("job_t", FormatString("WHERE entry_c = %i", j.Entry()));
}

std::string DBJob::LinkId() const
{
    return FormatString("Job%i", Entry());
}

bool DBJob::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM job_w ORDER BY position_c", kTable, *this);
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
    const Fields<Job> fields = kTable.Only({key.c_str()}) + kTable.With(Load);
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
    const Fields<Job> fields = kTable.Only({"entry_c", "id_c"}) + kTable.With(Load);
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
