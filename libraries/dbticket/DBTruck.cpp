#include "DBTruck.h"

#include "DBRecord.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Compact;

const Fields<Truck> kDefaults = {
    {"id_c", &Truck::Id},
    {"driver_c", &Truck::Driver},
    {"cellphone_c", &Truck::Cellphone},
    {"dischargerate_c", &Truck::DischargeRate},
    {"dischargecode_c", &Truck::DischargeCode},
    {"maxloadsize_c", &Truck::MaxLoadSize},
};

// Everything after the key column of a single-truck load.
const Fields<Truck> kRow = {
    {"driver_c", &Truck::Driver},
    {"cellphone_c", &Truck::Cellphone},
    {"dischargerate_c", &Truck::DischargeRate},
    {"dischargecode_c", &Truck::DischargeCode},
    {"maxloadsize_c", &Truck::MaxLoadSize},
    {"loadsdelivered_c", &Truck::LoadsDelivered},
    {"yardsdelivered_c", &Truck::YardsDelivered},
    {"usagedate_c", &Truck::UsageDate},
    {"user_c", &Truck::User},
    {"modified_c", &Truck::Modified},
};

const Fields<Truck> kDelivered = {
    {"loadsdelivered_c", &Truck::LoadsDelivered},
    {"yardsdelivered_c", &Truck::YardsDelivered},
};

}  // namespace

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
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBTruck::LoadXmlById(std::string id)
{
    BEGIN_OPERATION(op);
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

// ---- truck_t ----

namespace {

// The delivery counters and the usage date are left to Update.
SqlRow TruckColumns(const Truck& t)
{
    return SqlRow()
        .Text("id_c", t.Id())
        .Text("driver_c", t.Driver())
        .Text("cellphone_c", t.Cellphone())
        .Real("dischargerate_c", t.DischargeRate())
        .Int("dischargecode_c", t.DischargeCode())
        .Real("maxloadsize_c", t.MaxLoadSize())
        .Text("user_c", t.User())
        .Text("modified_c", t.Modified());
}

}  // namespace

std::string TruckInsertSql(const Truck& t)
{
    return TruckColumns(t).Insert("truck_t");
}

std::string TruckUpdateSql(const Truck& t)
{
    return TruckColumns(t).Update("truck_t", FormatString("WHERE entry_c = %i", t.Entry()));
}

bool DBTruck::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM truck_w ORDER BY position_c", kDefaults, *this);
}

bool DBTruck::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Truck> fields = Field<Truck>("id_c", &Truck::Id) + kRow;
    return LoadRecord(op, "SELECT " + Columns(fields, ", ") + FormatString(" FROM truck_t WHERE entry_c=%i", entry),
                      fields, *this);
}

bool DBTruck::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Truck> fields = Field<Truck>("entry_c", &Truck::Entry) + kRow;
    return LoadRecord(op,
                      "SELECT " + Columns(fields, ", ") + " FROM truck_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
                      fields, *this);
}

bool DBTruck::List(std::vector<Truck>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Truck> fields = Fields<Truck>{{"entry_c", &Truck::Entry}, {"id_c", &Truck::Id}} + kRow;
    return LoadRecords(op, "SELECT " + Columns(fields, ", ") + " FROM truck_t ORDER BY id_c", fields, records);
}

bool DBTruck::Unique()
{
    return Unique(Id());
}

// The text names the identifier that was checked, whichever it is.
bool DBTruck::Unique(std::string id)
{
    return CheckUnique(*this, "SELECT entry_c,driver_c FROM truck_t WHERE id_c=" + SqlQuote(id), Entry(), id,
                       "Driver", "driver_c");
}

void DBTruck::DateTimeModified()
{
    Modified(ModifiedStamp(HourPad::Zero));
}

bool DBTruck::Save(bool update)
{
    BEGIN_OPERATION(op);
    if (!CheckNumbers(op, {{"maxloadsize", MaxLoadSize()}, {"dischargerate", DischargeRate()}}))
        return false;
    if (!Unique())
        return false;
    DateTimeModified();
    return SaveRow(op, *this, update ? TruckUpdateSql(*this) : TruckInsertSql(*this), Id());
}

bool DBTruck::NextEntry()
{
    int entry = 0;
    if (!OPERATION.NextVal("truck_s", entry, FailureReport::Standard()))
        return false;
    Entry(entry);
    return true;
}

bool DBTruck::Update(float yards)
{
    BEGIN_OPERATION(op);
    const Fields<Truck> current = kDelivered + Fields<Truck>{{"usagedate_c", &Truck::UsageDate}};
    if (!LoadRecord(op, "SELECT " + Columns(current, ", ") + FormatString(" FROM truck_t WHERE entry_c=%i", Entry()),
                    current, *this))
        return false;
    // The server adds to the stored counters, so two loads of one truck
    // finishing at once both count; the stored result comes back.
    std::string sql = FormatString("UPDATE truck_t SET loadsdelivered_c = COALESCE(loadsdelivered_c,0) + 1, "
                                   "yardsdelivered_c = COALESCE(yardsdelivered_c,0) + %f WHERE entry_c = %i RETURNING ",
                                   yards, Entry()) +
                      Columns(kDelivered, ", ");
    return BookUsage(op, sql, kDelivered, *this, [&] {
        LoadsDelivered(LoadsDelivered() + 1);
        YardsDelivered(YardsDelivered() + yards);
    });
}

bool DBTruck::Delete()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command, FormatString("DELETE FROM truck_t WHERE entry_c=%i", Entry()));
}

bool DBTruck::Lock(bool shared)
{
    BEGIN_OPERATION(op);
    return LockRow(op, "truck_t", Entry(), shared);
}
