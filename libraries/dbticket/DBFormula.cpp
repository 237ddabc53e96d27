#include "DBFormula.h"

#include "DBRecord.h"
#include "ProductLinks.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;
const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

const RecordTable<Formula>& kTable = FormulaTable();
using col::Booked;
using col::Insert;
using col::Load;
using col::Update;

}  // namespace

DBFormula::DBFormula(std::string conninfo) : DBObject(std::move(conninfo)), nummatl_c(0)
{
}

DBFormula::~DBFormula()
{
    DeleteProducts(matl_v);
}

// The water-cement ratio has no default; user and stamp are not loaded. A
// new formula starts with no batches, and the count is booked on the server
// by finished loads: an edit leaves it.
const RecordTable<Formula>& FormulaTable()
{
    using namespace col;
    using F = Formula;
    static const RecordTable<Formula> table = {"formula_t", "formula_t", "formulaid_c", {
        {"entry_c", &F::Entry, &F::Entry, 0},
        {"id_c", &F::Id, &F::Id, Default | Written | Snapshot | Listed},
        {"description_c", &F::Description, &F::Description, Default | Stored | Snapshot | Option | Listed},
        {"usmetric_c", &F::UsMetric, &F::UsMetric, Default | Stored | Snapshot | Option},
        {"maxwateramount_c", &F::MaxWaterAmount, &F::MaxWaterAmount,
         Default | Stored | Snapshot | Option | QuotedInUpdate},
        {"watercementratio_c", &F::WaterCementRatio, &F::WaterCementRatio, Stored | Snapshot | Option | QuotedInUpdate},
        {"taxable_c", &F::Taxable, &F::Taxable, Default | Stored | Snapshot | Option},
        {"price_c", &F::Price, &F::Price, Default | Stored | Snapshot | Option | QuotedInUpdate | Listed},
        {"totalbatches_c", &F::TotalBatches, &F::TotalBatches, Load | Insert | Shown | Booked, "0"},
        {"usagedate_c", &F::UsageDate, &F::UsageDate, Load | Shown},
        {"user_c", &F::User, &F::User, Written},
        {"modified_c", &F::Modified, &F::Modified, Written},
    }};
    return table;
}

std::string DBFormula::xmlString() const
{
    return XmlSection(kTable, *this);
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
    return LoadSection(op, kTable, where, *this);
}

// ---- formula_t ----

std::string FormulaInsertSql(const Formula& f)
{
    return WrittenRow(kTable, f, Insert).Insert("formula_t");
}

std::string FormulaUpdateSql(const Formula& f)
{
    return WrittenRow(kTable, f, Update).Update("formula_t", FormatString("WHERE entry_c = %i", f.Entry()));
}

bool DBFormula::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM formula_w ORDER BY position_c", kTable, *this);
}

bool DBFormula::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Formula> fields = kTable.Only({"id_c"}) + kTable.With(Load);
    return LoadRecord(op, "SELECT " + Columns(fields, ",") + FormatString(" FROM formula_t WHERE entry_c=%i", entry),
                      fields, *this, [this] { return LoadMatl(Id()); });
}

bool DBFormula::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Formula> fields = kTable.Only({"entry_c"}) + kTable.With(Load);
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
    const Fields<Formula> fields = kTable.Only({"entry_c", "id_c"}) + kTable.With(Load);
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
                     kTable.With(Booked), *this, nullptr, kSaveFailure);
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
