#include "DBCustomer.h"

#include "DBRecord.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;
const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");
const RecordTable<Customer>& kTable = CustomerTable();
using col::Booked;
using col::Insert;
using col::Load;
using col::Update;

}  // namespace

DBCustomer::DBCustomer(std::string conninfo) : DBObject(std::move(conninfo))
{
}

// Balance, credit status, memo and discount are not written, nor the usage
// that finished loads book on the server: an edit leaves them as they are.
const RecordTable<Customer>& CustomerTable()
{
    using namespace col;
    using C = Customer;
    static const RecordTable<Customer> table = {"customer_t", "customer_t", "customerid_c", {
        {"entry_c", &C::Entry, &C::Entry, 0},
        {"id_c", &C::Id, &C::Id, Default | Written | Snapshot | Listed},
        {"name_c", &C::Name, &C::Name, Default | Stored | Snapshot | Option | Listed},
        {"street_c", &C::Street, &C::Street, Default | Stored | Snapshot | Option},
        {"city_c", &C::City, &C::City, Default | Stored | Snapshot | Option | Listed},
        {"state_c", &C::State, &C::State, Default | Stored | Snapshot | Option},
        {"zipcode_c", &C::Zipcode, &C::Zipcode, Default | Stored | Snapshot | Option},
        {"phone_c", &C::Phone, &C::Phone, Default | Stored | Snapshot | Option | Listed},
        {"fax_c", &C::Fax, &C::Fax, Default | Stored | Snapshot | Option},
        {"email_c", &C::Email, &C::Email, Default | Stored | Snapshot | Option},
        {"contact_c", &C::Contact, &C::Contact, Default | Stored | Snapshot | Option},
        {"cellphone_c", &C::Cellphone, &C::Cellphone, Default | Stored | Snapshot | Option},
        {"taxexempt_c", &C::TaxExempt, &C::TaxExempt, Default | Stored | Snapshot | Option},
        {"printticket_c", &C::PrintTicket, &C::PrintTicket, Default | Stored | Snapshot | Option},
        // A new customer starts with no batches and no quantity.
        {"totalbatches_c", &C::TotalBatches, &C::TotalBatches, Load | Insert | Shown | Booked, "0"},
        {"totalyards_c", &C::TotalYards, &C::TotalYards, Load | Insert | Shown | Booked, "0.0"},
        {"usagedate_c", &C::UsageDate, &C::UsageDate, Load | Shown},
        {"discount_c", &C::Discount, &C::Discount, DefaultZero | Load | Shown},
        {"balance_c", &C::Balance, &C::Balance, Booked},
        {"user_c", &C::User, &C::User, Written},
        {"modified_c", &C::Modified, &C::Modified, Written},
    }};
    return table;
}

std::string DBCustomer::xmlString() const
{
    return XmlSection(kTable, *this);
}

bool DBCustomer::LoadXmlByEntry(int entry)
{
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBCustomer::LoadXmlById(std::string id)
{
    BEGIN_OPERATION(op);
    return LoadXml(op, snapshot::WhereId(id));
}

bool DBCustomer::LoadXml(const DBOperation& op, const std::string& where)
{
    return LoadSection(op, kTable, where, *this);
}

// ---- customer_t ----

std::string CustomerInsertSql(const Customer& c)
{
    return WrittenRow(kTable, c, Insert).Insert("customer_t");
}

std::string CustomerUpdateSql(const Customer& c)
{
    return WrittenRow(kTable, c, Update).Update("customer_t", FormatString("WHERE entry_c = %i", c.Entry()));
}

bool DBCustomer::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM customer_w ORDER BY position_c", kTable, *this);
}

bool DBCustomer::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Customer> fields = kTable.Only({"id_c"}) + kTable.With(Load);
    return LoadRecord(op, "SELECT " + Columns(fields, ",") + FormatString(" FROM customer_t WHERE entry_c=%i", entry),
                      fields, *this);
}

bool DBCustomer::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Customer> fields = kTable.Only({"entry_c"}) + kTable.With(Load);
    return LoadRecord(
        op, "SELECT " + Columns(fields, ",") + " FROM customer_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
        fields, *this);
}

bool DBCustomer::List(std::vector<Customer>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Customer> fields = kTable.Only({"entry_c", "id_c"}) + kTable.With(Load);
    return LoadRecords(op, "SELECT " + Columns(fields, ",") + " FROM customer_t ORDER BY id_c", fields, records);
}

bool DBCustomer::Unique()
{
    return CheckUnique(*this, "SELECT entry_c,name_c FROM customer_t WHERE id_c=" + SqlQuote(Id()), Entry(), Id(),
                       "Customer", "name_c");
}

bool DBCustomer::Unique(std::string id)
{
    return CheckUnique(*this, "SELECT entry_c,name_c FROM customer_t WHERE id_c=" + SqlQuote(id), Entry(), id,
                       nullptr, nullptr);
}

void DBCustomer::DateTimeModified()
{
    Modified(ModifiedStamp(HourPad::Blank));
}

bool DBCustomer::Save(bool update)
{
    BEGIN_OPERATION(op);
    if (!Unique())
        return false;
    DateTimeModified();
    return SaveRow(op, *this, update ? CustomerUpdateSql(*this) : CustomerInsertSql(*this), Id(), kSaveFailure);
}

bool DBCustomer::NextEntry()
{
    BEGIN_OPERATION(op);
    int entry = 0;
    if (!op.NextVal("customer_s", entry))
        return false;
    Entry(entry);
    return true;
}

bool DBCustomer::Update(int plant, std::string id, float total, float yards)
{
    BEGIN_OPERATION(op);
    // Exactly one row for the identifier, or the load is not booked at all.
    bool found = op.One("SELECT totalbatches_c,totalyards_c,balance_c FROM customer_t WHERE id_c=" + SqlQuote(Id()),
                        [&](PgSqlDatabase& db) { CopyRow(db, 0, kTable.With(Booked), *this); },
                        FailureReport::Silent());
    if (!found)
        return false;

    // The server adds to the stored values, so two loads of one customer
    // finishing at once both count, and the payment line takes its balances
    // from this very update: the lines of a customer chain without a gap.
    // Money is booked to the cent: the float's "%f" text (916.719971 for
    // 916.72) would make every balance drift.
    std::string prevBalance = FormatString("%.2f", Balance());
    std::string newBalance = FormatString("%.2f", Balance() + total);
    std::string sql = FormatString("UPDATE customer_t SET totalbatches_c = COALESCE(totalbatches_c,0) + 1, "
                                   "totalyards_c = COALESCE(totalyards_c,0) + %f, "
                                   "balance_c = COALESCE(balance_c,0) + %.2f "
                                   "WHERE entry_c = %i RETURNING ",
                                   yards, total, Entry()) +
                      Columns(kTable.With(Booked), ", ") + FormatString(", balance_c - %.2f AS prevbalance_c", total);
    bool booked = BookUsage(
        op, sql, kTable.With(Booked), *this,
        [&] {
            TotalBatches(TotalBatches() + 1);
            TotalYards(TotalYards() + yards);
            Balance(Balance() + total);
        },
        kSaveFailure,
        [&](PgSqlDatabase& db) {
            prevBalance = db.GetString(0, "prevbalance_c");
            newBalance = db.GetString(0, "balance_c");
        });
    if (!booked)
        return false;

    // The balances come from the server as exact decimals and are written back
    // as they came, so no cent is lost to the record's float.
    return op.Run(DBOperation::Kind::Command,
                  "INSERT INTO payment_t(customerid_c,adjust_c,plant_c,name_c,prevbalance_c,newbalance_c) VALUES(" +
                      SqlQuote(Id()) + FormatString(",%.2f,%d,", total, plant) + SqlQuote("Id " + id) + "," +
                      prevBalance + "," + newBalance + ")",
                  nullptr, kSaveFailure);
}

bool DBCustomer::Delete()
{
    BEGIN_OPERATION(op);
    return op.Run(DBOperation::Kind::Command, FormatString("DELETE FROM customer_t WHERE entry_c=%i", Entry()),
                  nullptr, kSaveFailure);
}

bool DBCustomer::Lock(bool shared)
{
    BEGIN_OPERATION(op);
    return LockRow(op, "customer_t", Entry(), shared);
}
