#include "DBFormula.h"

#include "DBRecord.h"
#include "ProductLinks.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;
const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

// The water-cement ratio has no default.
const Fields<Formula> kDefaults = {
    {"id_c", &Formula::Id},
    {"description_c", &Formula::Description},
    {"usmetric_c", &Formula::UsMetric},
    {"maxwateramount_c", &Formula::MaxWaterAmount},
    {"taxable_c", &Formula::Taxable},
    {"price_c", &Formula::Price},
};

// Everything after the key column of a single-formula load; user and stamp
// are not loaded.
const Fields<Formula> kRow = {
    {"description_c", &Formula::Description},
    {"usmetric_c", &Formula::UsMetric},
    {"maxwateramount_c", &Formula::MaxWaterAmount},
    {"watercementratio_c", &Formula::WaterCementRatio},
    {"taxable_c", &Formula::Taxable},
    {"price_c", &Formula::Price},
    {"totalbatches_c", &Formula::TotalBatches},
    {"usagedate_c", &Formula::UsageDate},
};

// What a finished batch changes, as the server returns it.
const Fields<Formula> kBooked = {
    {"totalbatches_c", &Formula::TotalBatches},
};

}  // namespace

DBFormula::DBFormula(std::string conninfo) : DBObject(std::move(conninfo)), nummatl_c(0)
{
}

DBFormula::~DBFormula()
{
    DeleteProducts(matl_v);
}

std::string DBFormula::xmlString() const
{
    return "<formula_t>"
        + XmlEncoded("id_c", Id())
        + XmlEncoded("description_c", Description())
        + XmlEncoded("usmetric_c", UsMetric())
        + XmlFloat("maxwateramount_c", MaxWaterAmount())
        + XmlFloat("watercementratio_c", WaterCementRatio())
        + XmlFlag("taxable_c", Taxable())
        + XmlFloat("price_c", Price())
        + "</formula_t>";
}

bool DBFormula::LoadXmlByEntry(int entry)
{
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBFormula::LoadXmlById(std::string id)
{
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereId(id));
}

bool DBFormula::LoadXml(const DBOperation& op, const std::string& where)
{
    std::string sql = "SELECT " +
                      snapshot::SelectItems({{"formula_t/id_c", "formulaid_c"},
                                             {"formula_t/description_c", "description_c"},
                                             {"formula_t/usmetric_c", "usmetric_c"},
                                             {"formula_t/maxwateramount_c", "maxwateramount_c"},
                                             {"formula_t/watercementratio_c", "watercementratio_c"},
                                             {"formula_t/taxable_c", "taxable_c"},
                                             {"formula_t/price_c", "price_c"}}) +
                      "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        Id(Text(db, "formulaid_c"));
        Description(Text(db, "description_c"));
        UsMetric(Text(db, "usmetric_c"));
        MaxWaterAmount(db.GetFloat(0, "maxwateramount_c"));
        WaterCementRatio(db.GetFloat(0, "watercementratio_c"));
        Taxable(db.GetBool(0, "taxable_c"));
        Price(db.GetFloat(0, "price_c"));
        return true;
    });
}

// ---- formula_t ----

// A new formula starts with no batches; its entry comes from the table.
std::string FormulaInsertSql(const Formula& f)
{
    return SqlRow()
        .Text("id_c", f.Id())
        .Text("description_c", f.Description())
        .Text("usmetric_c", f.UsMetric())
        .Real("maxwateramount_c", f.MaxWaterAmount())
        .Real("watercementratio_c", f.WaterCementRatio())
        .Flag("taxable_c", f.Taxable())
        .Real("price_c", f.Price())
        .Raw("totalbatches_c", "0")
        .Text("user_c", f.User())
        .Text("modified_c", f.Modified())
        .Insert("formula_t");
}

// The batch count is booked on the server by finished loads; an edit leaves it.
std::string FormulaUpdateSql(const Formula& f)
{
    return SqlRow()
        .Text("id_c", f.Id())
        .Text("description_c", f.Description())
        .Text("usmetric_c", f.UsMetric())
        .UpdateReal("maxwateramount_c", f.MaxWaterAmount())
        .UpdateReal("watercementratio_c", f.WaterCementRatio())
        .Flag("taxable_c", f.Taxable())
        .UpdateReal("price_c", f.Price())
        .Text("user_c", f.User())
        .Text("modified_c", f.Modified())
        .Update("formula_t", FormatString("WHERE entry_c = %i", f.Entry()));
}

bool DBFormula::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM formula_w ORDER BY position_c", kDefaults, *this);
}

bool DBFormula::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Formula> fields = Field<Formula>("id_c", &Formula::Id) + kRow;
    return LoadRecord(op, "SELECT " + Columns(fields, ",") + FormatString(" FROM formula_t WHERE entry_c=%i", entry),
                      fields, *this, [this] { return LoadMatl(Id()); });
}

bool DBFormula::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Formula> fields = Field<Formula>("entry_c", &Formula::Entry) + kRow;
    return LoadRecord(
        op, "SELECT " + Columns(fields, ",") + " FROM formula_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
        fields, *this, [this] { return LoadMatl(Id()); });
}

bool DBFormula::LoadMatl(std::string id)
{
    BEGIN_OPERATION(op);
    DeleteProducts(matl_v);
    std::string sql = MaterialLinksSql(id);
    // A formula's lines are per unit of concrete: no load, so no target.
    if (!LoadMaterialLinks(op, ConnInfo(), sql, 0.0f, matl_v))
        return false;
    if (!matl_v.empty())
        return true;
    op.Fail(sql, "");
    return false;
}

bool DBFormula::List(std::vector<Formula>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Formula> fields = Fields<Formula>{{"entry_c", &Formula::Entry}, {"id_c", &Formula::Id}} + kRow;
    return LoadRecords(op, "SELECT " + Columns(fields, ",") + " FROM formula_t ORDER BY id_c", fields, records);
}

bool DBFormula::Unique()
{
    return CheckUnique(*this, "SELECT entry_c,description_c FROM formula_t WHERE id_c=" + SqlQuote(Id()), Entry(),
                       Id(), "Mix", "description_c");
}

bool DBFormula::Unique(std::string id)
{
    return CheckUnique(*this, "SELECT entry_c,description_c FROM formula_t WHERE id_c=" + SqlQuote(id), Entry(), id,
                       nullptr, nullptr);
}

void DBFormula::DateTimeModified()
{
    Modified(ModifiedStamp(HourPad::Blank));
}

bool DBFormula::Save(bool update)
{
    BEGIN_OPERATION(op);
    if (!CheckNumbers(op, {{"price", Price()}, {"maxwateramount", MaxWaterAmount()},
                           {"watercementratio", WaterCementRatio()}}))
        return false;
    // A new formula's links would be read as a batch's or a job's.
    std::string clash = FormulaLinkClash(Id());
    if (!update && !clash.empty())
        return op.Refuse(clash);
    if (!Unique())
        return false;
    DateTimeModified();
    return SaveRow(op, *this, update ? FormulaUpdateSql(*this) : FormulaInsertSql(*this), Id(), kSaveFailure);
}

bool DBFormula::SaveMatl()
{
    BEGIN_OPERATION(op);
    return ReplaceLinks(op, Id(), "matl", matl_v, kSaveFailure);
}

bool DBFormula::NextEntry()
{
    int entry = 0;
    if (!OPERATION.NextVal("formula_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBFormula::Update()
{
    BEGIN_OPERATION(op);
    // Counted in memory before the statement runs, whatever becomes of it;
    // the stored count replaces it when the row comes back.
    TotalBatches(TotalBatches() + 1);
    // The server counts, so two batches of one formula finishing at once
    // both count.
    return BookUsage(op,
                     FormatString("UPDATE formula_t SET totalbatches_c = COALESCE(totalbatches_c,0) + 1 "
                                  "WHERE entry_c = %i RETURNING totalbatches_c",
                                  Entry()),
                     kBooked, *this, nullptr, kSaveFailure);
}

bool DBFormula::Delete()
{
    BEGIN_OPERATION(op);
    DeleteMatl();
    return op.Run(DBOperation::Kind::Command, FormatString("DELETE FROM formula_t WHERE entry_c=%i", Entry()),
                  nullptr, kSaveFailure);
}

bool DBFormula::DeleteMatl()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command, LinkDeleteSql(Id(), "matl"), nullptr, kSaveFailure);
}

bool DBFormula::Lock(bool shared)
{
    BEGIN_OPERATION(op);
    return LockRow(op, "formula_t", Entry(), shared);
}
