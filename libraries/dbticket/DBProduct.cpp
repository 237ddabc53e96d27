#include "DBProduct.h"

#include "DBRecord.h"
#include "Progress.h"
#include "ProductLinks.h"
#include "FormatString.h"
#include "XmlElement.h"

const char* const kMaterialTypes[4] = {"agg", "cmt", "admix", "water"};

DBProduct::DBProduct(std::string conninfo)
    : DBObject(std::move(conninfo)),
      amount_c(0.0f),
      position_c(0),
      target_c(0.0f),
      cumtarget_c(0.0f),
      adjustedtarget_c(0.0f),
      actual_c(0.0f),
      cumactual_c(0.0f),
      moisture_c(0.0f),
      over_c(false),
      low_tol_c(0.0f),
      high_tol_c(0.0f),
      scale_start_c(0.0),
      scale_end_c(0.0)
{
}

// The stock is set when a product is added; it and the usage totals are
// left to Update afterwards.
const RecordTable<Product>& ProductTable()
{
    using namespace col;
    using P = Product;
    static const RecordTable<Product> table = {"product_t", "product_t", "productid_c", {
        {"entry_c", &P::Entry, &P::Entry, 0},
        {"id_c", &P::Id, &P::Id, Default | Written | Snapshot | Listed},
        {"type_c", &P::Type, &P::Type, Default | Stored | Snapshot | Option | Listed},
        {"description_c", &P::Description, &P::Description, Default | Stored | Snapshot | Option | Listed},
        {"usmetric_c", &P::UsMetric, &P::UsMetric, Default | Stored | Snapshot | Option},
        {"unitmeasure_c", &P::UnitMeasure, &P::UnitMeasure, Default | Stored | Snapshot | Option},
        {"taxable_c", &P::Taxable, &P::Taxable, Default | Stored | Snapshot | Option},
        {"unitprice_c", &P::UnitPrice, &P::UnitPrice, Default | Stored | Snapshot | Option | Listed},
        {"balance_c", &P::Balance, &P::Balance, Default | Load | Insert | Shown},
        {"targetusage1_c", &P::TargetUsage1, &P::TargetUsage1, Load | Shown},
        {"adjtargetusage1_c", &P::AdjTargetUsage1, &P::AdjTargetUsage1, Load | Shown},
        {"actualusage1_c", &P::ActualUsage1, &P::ActualUsage1, Load | Shown},
        {"usage1date_c", &P::Usage1Date, &P::Usage1Date, Load | Shown},
        {"targetusage2_c", &P::TargetUsage2, &P::TargetUsage2, Load | Shown},
        {"adjtargetusage2_c", &P::AdjTargetUsage2, &P::AdjTargetUsage2, Load | Shown},
        {"actualusage2_c", &P::ActualUsage2, &P::ActualUsage2, Load | Shown},
        {"usage2date_c", &P::Usage2Date, &P::Usage2Date, Load | Shown},
        {"user_c", &P::User, &P::User, Written},
        {"modified_c", &P::Modified, &P::Modified, Written},
    }};
    return table;
}

// A product line's elements: the line's element around them is the ticket's.
std::string DBProduct::xmlString() const
{
    std::string xml;
    for (const RecordColumn<Product>& column : ProductTable().With(col::SnapshotOut))
        xml += XmlColumn(column, *this);
    return xml;
}

void DeleteProducts(std::vector<DBProduct*>& list)
{
    for (DBProduct* product : list)
        delete product;
    list.clear();
}

// ---- product_t ----

namespace {

constexpr LogFamily kFamily = LogFamily::Compact;

const RecordTable<Product>& kTable = ProductTable();
using col::Insert;
using col::Load;
using col::Update;

}  // namespace

std::string ProductInsertSql(const Product& p)
{
    return WrittenRow(kTable, p, Insert).Insert("product_t");
}

std::string ProductUpdateSql(const Product& p)
{
    return WrittenRow(kTable, p, Update).Update("product_t", FormatString("WHERE entry_c = %i", p.Entry()));
}

bool DBProduct::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM product_w ORDER BY position_c", kTable,
                         *this);
}

bool DBProduct::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Product> fields = kTable.Only({"id_c"}) + kTable.With(Load);
    return LoadRecord(op,
                      "SELECT " + Columns(fields, ", ") + FormatString(" FROM product_t WHERE entry_c=%i", entry),
                      fields, *this);
}

bool DBProduct::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Product> fields = kTable.Only({"entry_c"}) + kTable.With(Load);
    return LoadRecord(op,
                      "SELECT " + Columns(fields, ", ") + " FROM product_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
                      fields, *this);
}

bool DBProduct::List(std::vector<Product>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Product> fields = kTable.Only({"entry_c", "id_c"}) + kTable.With(Load);
    return LoadRecords(op, "SELECT " + Columns(fields, ", ") + " FROM product_t ORDER BY id_c", fields, records);
}

bool DBProduct::Unique()
{
    return CheckUnique(*this, "SELECT entry_c,description_c FROM product_t WHERE id_c=" + SqlQuote(Id()), Entry(),
                       Id(), "Product", "description_c");
}

bool DBProduct::Unique(std::string id)
{
    return CheckUnique(*this, "SELECT entry_c,description_c FROM product_t WHERE id_c=" + SqlQuote(id), Entry(), id,
                       "Product", "description_c");
}

void DBProduct::DateTimeModified()
{
    Modified(ModifiedStamp(HourPad::Zero));
}

bool DBProduct::Save(bool update)
{
    BEGIN_OPERATION(op);
    if (!CheckNumbers(op, {{"unitprice", UnitPrice()}}))
        return false;
    if (!Unique())
        return false;
    DateTimeModified();
    return SaveRow(op, *this, update ? ProductUpdateSql(*this) : ProductInsertSql(*this), Id());
}

bool DBProduct::NextEntry()
{
    int entry = 0;
    if (!OPERATION.NextVal("product_s", entry, FailureReport::Standard()))
        return false;
    Entry(entry);
    return true;
}

bool DBProduct::Update(std::string, std::string, std::string, int, float target, float adjustedtarget, float actual)
{
    BEGIN_OPERATION(op);
    Progress("PRODUCT UPDATE\nGET CURRENT VALUES\n");
    // A missing row is no error: the booking goes on with the values in memory.
    const Fields<Product> usage = kTable.With(col::Shown);
    if (!LoadRecord(op, "SELECT " + Columns(usage, ", ") + FormatString(" FROM product_t WHERE entry_c=%i", Entry()),
                    usage, *this))
        return false;
    Progress("UPDATE VALUES\n");
    // The server adds to the stored totals, so two tickets booking the same
    // product at once both count; the stored result comes back.
    const Fields<Product> totals = kTable.Only({"balance_c", "targetusage1_c", "targetusage2_c", "adjtargetusage1_c",
                                                "adjtargetusage2_c", "actualusage1_c", "actualusage2_c"});
    std::string sql = FormatString("UPDATE product_t SET balance_c = COALESCE(balance_c,0) - %f, "
                                   "targetusage1_c = COALESCE(targetusage1_c,0) + %f, "
                                   "targetusage2_c = COALESCE(targetusage2_c,0) + %f, "
                                   "adjtargetusage1_c = COALESCE(adjtargetusage1_c,0) + %f, "
                                   "adjtargetusage2_c = COALESCE(adjtargetusage2_c,0) + %f, "
                                   "actualusage1_c = COALESCE(actualusage1_c,0) + %f, "
                                   "actualusage2_c = COALESCE(actualusage2_c,0) + %f "
                                   "WHERE entry_c = %i RETURNING ",
                                   actual, target, target, adjustedtarget, adjustedtarget, actual, actual, Entry()) +
                      Columns(totals, ", ");
    bool booked = BookUsage(op, sql, totals, *this, [&] {
        Balance(Balance() - actual);
        TargetUsage1(TargetUsage1() + target);
        TargetUsage2(TargetUsage2() + target);
        AdjTargetUsage1(AdjTargetUsage1() + adjustedtarget);
        AdjTargetUsage2(AdjTargetUsage2() + adjustedtarget);
        ActualUsage1(ActualUsage1() + actual);
        ActualUsage2(ActualUsage2() + actual);
    });
    if (booked)
        Progress("PRODUCT UPDATE COMPLETE\n");
    return booked;
}

bool DBProduct::Delete()
{
    BEGIN_OPERATION(op);
    // A list that lost its product would drop the line without a word, and
    // find it again when a new product takes the identifier. The row is
    // locked first: a list being written with the product is waited for, and
    // one written after finds the product gone.
    bool found = false;
    if (!LockRow(op, "product_t", Entry(), false, &found))
        return false;
    std::string user;
    bool used = false;
    if (!op.Exists(ProductUsersSql(Id()), used, [&](PgSqlDatabase& db) { user = db.GetString(0, "user_c"); }))
        return false;
    if (used)
        return op.Refuse("product '" + Id() + "' is in use by " + user);
    return op.Run(DBOperation::Kind::Command, FormatString("DELETE FROM product_t WHERE entry_c=%i", Entry()));
}

bool DBProduct::Lock(bool shared)
{
    BEGIN_OPERATION(op);
    return LockRow(op, "product_t", Entry(), shared);
}
