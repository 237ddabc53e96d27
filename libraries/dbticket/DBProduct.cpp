#include "DBProduct.h"

#include "DBRecord.h"
#include "Progress.h"
#include "ProductLinks.h"
#include "FormatString.h"
#include "XmlElement.h"

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

std::string DBProduct::xmlString() const
{
    return XmlEncoded("id_c", Id())
        + XmlEncoded("type_c", Type())
        + XmlEncoded("description_c", Description())
        + XmlEncoded("usmetric_c", UsMetric())
        + XmlEncoded("unitmeasure_c", UnitMeasure())
        + XmlFlag("taxable_c", Taxable())
        + XmlFloat("unitprice_c", UnitPrice());
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

const Fields<Product> kDefaults = {
    {"id_c", &Product::Id},
    {"type_c", &Product::Type},
    {"description_c", &Product::Description},
    {"usmetric_c", &Product::UsMetric},
    {"unitmeasure_c", &Product::UnitMeasure},
    {"taxable_c", &Product::Taxable},
    {"unitprice_c", &Product::UnitPrice},
    {"balance_c", &Product::Balance},
};

// The stock and usage columns, in the order the loads select them.
const Fields<Product> kUsage = {
    {"balance_c", &Product::Balance},
    {"targetusage1_c", &Product::TargetUsage1},
    {"adjtargetusage1_c", &Product::AdjTargetUsage1},
    {"actualusage1_c", &Product::ActualUsage1},
    {"usage1date_c", &Product::Usage1Date},
    {"targetusage2_c", &Product::TargetUsage2},
    {"adjtargetusage2_c", &Product::AdjTargetUsage2},
    {"actualusage2_c", &Product::ActualUsage2},
    {"usage2date_c", &Product::Usage2Date},
};

// Everything after the key column of a single-product load.
const Fields<Product> kRow = Fields<Product>{
    {"type_c", &Product::Type},
    {"description_c", &Product::Description},
    {"usmetric_c", &Product::UsMetric},
    {"unitmeasure_c", &Product::UnitMeasure},
    {"taxable_c", &Product::Taxable},
    {"unitprice_c", &Product::UnitPrice},
} + kUsage;

// What a booking changes, as the server returns it.
const Fields<Product> kBooked = {
    {"balance_c", &Product::Balance},
    {"targetusage1_c", &Product::TargetUsage1},
    {"targetusage2_c", &Product::TargetUsage2},
    {"adjtargetusage1_c", &Product::AdjTargetUsage1},
    {"adjtargetusage2_c", &Product::AdjTargetUsage2},
    {"actualusage1_c", &Product::ActualUsage1},
    {"actualusage2_c", &Product::ActualUsage2},
};

}  // namespace

namespace {

SqlRow ProductColumns(const Product& p)
{
    return SqlRow()
        .Text("id_c", p.Id())
        .Text("type_c", p.Type())
        .Text("description_c", p.Description())
        .Text("usmetric_c", p.UsMetric())
        .Text("unitmeasure_c", p.UnitMeasure())
        .Flag("taxable_c", p.Taxable())
        .Real("unitprice_c", p.UnitPrice());
}

}  // namespace

std::string ProductInsertSql(const Product& p)
{
    return ProductColumns(p)
        .Real("balance_c", p.Balance())
        .Text("user_c", p.User())
        .Text("modified_c", p.Modified())
        .Insert("product_t");
}

// The stock and the usage totals are left to Update.
std::string ProductUpdateSql(const Product& p)
{
    return ProductColumns(p)
        .Text("user_c", p.User())
        .Text("modified_c", p.Modified())
        .Update("product_t", FormatString("WHERE entry_c = %i", p.Entry()));
}

bool DBProduct::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM product_w ORDER BY position_c", kDefaults,
                         *this);
}

bool DBProduct::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Product> fields = Field<Product>("id_c", &Product::Id) + kRow;
    return LoadRecord(op,
                      "SELECT " + Columns(fields, ", ") + FormatString(" FROM product_t WHERE entry_c=%i", entry),
                      fields, *this);
}

bool DBProduct::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Product> fields = Field<Product>("entry_c", &Product::Entry) + kRow;
    return LoadRecord(op,
                      "SELECT " + Columns(fields, ", ") + " FROM product_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
                      fields, *this);
}

bool DBProduct::List(std::vector<Product>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Product> fields = Fields<Product>{{"entry_c", &Product::Entry}, {"id_c", &Product::Id}} + kRow;
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
    if (!LoadRecord(op, "SELECT " + Columns(kUsage, ", ") + FormatString(" FROM product_t WHERE entry_c=%i", Entry()),
                    kUsage, *this))
        return false;
    Progress("UPDATE VALUES\n");
    // The server adds to the stored totals, so two tickets booking the same
    // product at once both count; the stored result comes back.
    std::string sql = FormatString("UPDATE product_t SET balance_c = COALESCE(balance_c,0) - %f, "
                                   "targetusage1_c = COALESCE(targetusage1_c,0) + %f, "
                                   "targetusage2_c = COALESCE(targetusage2_c,0) + %f, "
                                   "adjtargetusage1_c = COALESCE(adjtargetusage1_c,0) + %f, "
                                   "adjtargetusage2_c = COALESCE(adjtargetusage2_c,0) + %f, "
                                   "actualusage1_c = COALESCE(actualusage1_c,0) + %f, "
                                   "actualusage2_c = COALESCE(actualusage2_c,0) + %f "
                                   "WHERE entry_c = %i RETURNING ",
                                   actual, target, target, adjustedtarget, adjustedtarget, actual, actual, Entry()) +
                      Columns(kBooked, ", ");
    bool booked = BookUsage(op, sql, kBooked, *this, [&] {
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
