#include "DBTruck.h"

#include "DBRecord.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Compact;

const RecordTable<Truck>& kTable = TruckTable();
using col::Booked;
using col::Insert;
using col::Load;
using col::Update;

}  // namespace

DBTruck::DBTruck(std::string conninfo) : DBObject(std::move(conninfo))
{
}

// The delivery counters and the usage date are left to Update; the trip
// fields belong to the snapshot alone.
const RecordTable<Truck>& TruckTable()
{
    using namespace col;
    using T = Truck;
    static const RecordTable<Truck> table = {"truck_t", "truck_t", "truckid_c", {
        {"entry_c", &T::Entry, &T::Entry, 0},
        {"id_c", &T::Id, &T::Id, Default | Written | Snapshot | Listed},
        {"driver_c", &T::Driver, &T::Driver, Default | Stored | Snapshot | Option | Listed},
        {"cellphone_c", &T::Cellphone, &T::Cellphone, Default | Stored | Snapshot | Option},
        {"dischargerate_c", &T::DischargeRate, &T::DischargeRate, Default | Stored | Snapshot | Option},
        {"dischargecode_c", &T::DischargeCode, &T::DischargeCode, Default | Stored | Snapshot | Option},
        {"maxloadsize_c", &T::MaxLoadSize, &T::MaxLoadSize, Default | Stored | Snapshot | Option | Listed},
        {"onjob_c", &T::OnJob, &T::OnJob, Snapshot},
        {"offjob_c", &T::OffJob, &T::OffJob, Snapshot},
        {"leftover_c", &T::LeftOver, &T::LeftOver, Snapshot},
        {"loadsdelivered_c", &T::LoadsDelivered, &T::LoadsDelivered, Load | Shown | Booked},
        {"yardsdelivered_c", &T::YardsDelivered, &T::YardsDelivered, Load | Shown | Booked},
        {"usagedate_c", &T::UsageDate, &T::UsageDate, Load | Shown},
        {"user_c", &T::User, &T::User, Stored | Shown},
        {"modified_c", &T::Modified, &T::Modified, Stored | Shown},
    }};
    return table;
}

std::string DBTruck::xmlString() const
{
    return XmlSection(kTable, *this);
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

// Decoded like every other snapshot text, so a driver O'Brien stays O'Brien.
bool DBTruck::LoadXml(const DBOperation& op, const std::string& where)
{
    return LoadSection(op, kTable, where, *this);
}

// ---- truck_t ----

std::string TruckInsertSql(const Truck& t)
{
    return WrittenRow(kTable, t, Insert).Insert("truck_t");
}

std::string TruckUpdateSql(const Truck& t)
{
    return WrittenRow(kTable, t, Update).Update("truck_t", FormatString("WHERE entry_c = %i", t.Entry()));
}

bool DBTruck::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM truck_w ORDER BY position_c", kTable, *this);
}

bool DBTruck::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Truck> fields = kTable.Only({"id_c"}) + kTable.With(Load);
    return LoadRecord(op, "SELECT " + Columns(fields, ", ") + FormatString(" FROM truck_t WHERE entry_c=%i", entry),
                      fields, *this);
}

bool DBTruck::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Truck> fields = kTable.Only({"entry_c"}) + kTable.With(Load);
    return LoadRecord(op,
                      "SELECT " + Columns(fields, ", ") + " FROM truck_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
                      fields, *this);
}

bool DBTruck::List(std::vector<Truck>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Truck> fields = kTable.Only({"entry_c", "id_c"}) + kTable.With(Load);
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
    const Fields<Truck> current = kTable.With(Booked) + kTable.Only({"usagedate_c"});
    if (!LoadRecord(op, "SELECT " + Columns(current, ", ") + FormatString(" FROM truck_t WHERE entry_c=%i", Entry()),
                    current, *this))
        return false;
    // The server adds to the stored counters, so two loads of one truck
    // finishing at once both count; the stored result comes back.
    std::string sql = FormatString("UPDATE truck_t SET loadsdelivered_c = COALESCE(loadsdelivered_c,0) + 1, "
                                   "yardsdelivered_c = COALESCE(yardsdelivered_c,0) + %f WHERE entry_c = %i RETURNING ",
                                   yards, Entry()) +
                      Columns(kTable.With(Booked), ", ");
    return BookUsage(op, sql, kTable.With(Booked), *this, [&] {
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
