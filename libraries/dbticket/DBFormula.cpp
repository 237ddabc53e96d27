#include "DBFormula.h"

#include "SnapshotQuery.h"
#include "XmlElement.h"

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
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBFormula::LoadXmlById(std::string id)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
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
