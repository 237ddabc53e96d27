#include "DBTruck.h"

#include "SnapshotQuery.h"
#include "XmlElement.h"

DBTruck::DBTruck(std::string conninfo) : DBObject(std::move(conninfo))
{
}

std::string DBTruck::xmlString() const
{
    return "<truck_t>"
        + XmlEncoded("id_c", Id())
        + XmlEncoded("driver_c", Driver())
        + XmlEncoded("cellphone_c", Cellphone())
        + XmlFloat("dischargerate_c", DischargeRate())
        + XmlInt("dischargecode_c", DischargeCode())
        + XmlFloat("maxloadsize_c", MaxLoadSize())
        + XmlEncoded("onjob_c", OnJob())
        + XmlEncoded("offjob_c", OffJob())
        + XmlFloat("leftover_c", LeftOver())
        + "</truck_t>";
}

bool DBTruck::LoadXmlByEntry(int entry)
{
    DBOperation op(*this, DB_SITE(LogFamily::Compact));
    op.Trace();
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBTruck::LoadXmlById(std::string id)
{
    DBOperation op(*this, DB_SITE(LogFamily::Compact));
    op.Trace();
    return LoadXml(op, snapshot::WhereId(id));
}

bool DBTruck::LoadXml(const DBOperation& op, const std::string& where)
{
    std::string sql = "SELECT " +
                      snapshot::SelectItems({{"truck_t/id_c", "truckid_c"},
                                             {"truck_t/driver_c", "driver_c"},
                                             {"truck_t/cellphone_c", "cellphone_c"},
                                             {"truck_t/dischargerate_c", "dischargerate_c"},
                                             {"truck_t/dischargecode_c", "dischargecode_c"},
                                             {"truck_t/maxloadsize_c", "maxloadsize_c"},
                                             {"truck_t/onjob_c", "onjob_c"},
                                             {"truck_t/offjob_c", "offjob_c"},
                                             {"truck_t/leftover_c", "leftover_c"}}) +
                      "FROM ticket_t " + where;
    // Decoded like every other snapshot text, so a driver O'Brien stays O'Brien.
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        Id(Text(db, "truckid_c"));
        Driver(Text(db, "driver_c"));
        Cellphone(Text(db, "cellphone_c"));
        DischargeRate(db.GetFloat(0, "dischargerate_c"));
        DischargeCode(db.GetInt(0, "dischargecode_c"));
        MaxLoadSize(db.GetFloat(0, "maxloadsize_c"));
        OnJob(Text(db, "onjob_c"));
        OffJob(Text(db, "offjob_c"));
        LeftOver(db.GetFloat(0, "leftover_c"));
        return true;
    });
}
