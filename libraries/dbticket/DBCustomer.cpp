#include "DBCustomer.h"

#include "DBRecord.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

namespace {

constexpr LogFamily kFamily = LogFamily::Spaced;
const FailureReport kSaveFailure = FailureReport::LogFixed("ERROR SAVING TO DATABASE");

const Fields<Customer> kDefaults = {
    {"id_c", &Customer::Id},
    {"name_c", &Customer::Name},
    {"street_c", &Customer::Street},
    {"city_c", &Customer::City},
    {"state_c", &Customer::State},
    {"zipcode_c", &Customer::Zipcode},
    {"phone_c", &Customer::Phone},
    {"fax_c", &Customer::Fax},
    {"email_c", &Customer::Email},
    {"contact_c", &Customer::Contact},
    {"cellphone_c", &Customer::Cellphone},
    {"taxexempt_c", &Customer::TaxExempt},
    {"printticket_c", &Customer::PrintTicket},
    Field<Customer>::Zero("discount_c", &Customer::Discount),
};

// Everything after the key column of a single-customer load; the balance,
// credit status, memo, user and stamp are not loaded.
const Fields<Customer> kRow = {
    {"name_c", &Customer::Name},
    {"street_c", &Customer::Street},
    {"city_c", &Customer::City},
    {"state_c", &Customer::State},
    {"zipcode_c", &Customer::Zipcode},
    {"phone_c", &Customer::Phone},
    {"fax_c", &Customer::Fax},
    {"email_c", &Customer::Email},
    {"contact_c", &Customer::Contact},
    {"cellphone_c", &Customer::Cellphone},
    {"taxexempt_c", &Customer::TaxExempt},
    {"printticket_c", &Customer::PrintTicket},
    {"totalbatches_c", &Customer::TotalBatches},
    {"totalyards_c", &Customer::TotalYards},
    {"usagedate_c", &Customer::UsageDate},
    {"discount_c", &Customer::Discount},
};

const Fields<Customer> kBooked = {
    {"totalbatches_c", &Customer::TotalBatches},
    {"totalyards_c", &Customer::TotalYards},
    {"balance_c", &Customer::Balance},
};

}  // namespace

DBCustomer::DBCustomer(std::string conninfo) : DBObject(std::move(conninfo))
{
}

std::string DBCustomer::xmlString() const
{
    return "<customer_t>"
        + XmlEncoded("id_c", Id())
        + XmlEncoded("name_c", Name())
        + XmlEncoded("street_c", Street())
        + XmlEncoded("city_c", City())
        + XmlEncoded("state_c", State())
        + XmlEncoded("zipcode_c", Zipcode())
        + XmlEncoded("phone_c", Phone())
        + XmlEncoded("fax_c", Fax())
        + XmlEncoded("email_c", Email())
        + XmlEncoded("contact_c", Contact())
        + XmlEncoded("cellphone_c", Cellphone())
        + XmlFlag("taxexempt_c", TaxExempt())
        + XmlFlag("printticket_c", PrintTicket())
        + "</customer_t>";
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
    std::string sql = "SELECT " +
                      snapshot::SelectItems({{"customer_t/id_c", "customerid_c"},
                                             {"customer_t/name_c", "name_c"},
                                             {"customer_t/street_c", "street_c"},
                                             {"customer_t/city_c", "city_c"},
                                             {"customer_t/state_c", "state_c"},
                                             {"customer_t/zipcode_c", "zipcode_c"},
                                             {"customer_t/phone_c", "phone_c"},
                                             {"customer_t/fax_c", "fax_c"},
                                             {"customer_t/email_c", "email_c"},
                                             {"customer_t/contact_c", "contact_c"},
                                             {"customer_t/cellphone_c", "cellphone_c"},
                                             {"customer_t/taxexempt_c", "taxexempt_c"},
                                             {"customer_t/printticket_c", "printticket_c"}}) +
                      "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        Id(Text(db, "customerid_c"));
        Name(Text(db, "name_c"));
        Street(Text(db, "street_c"));
        City(Text(db, "city_c"));
        State(Text(db, "state_c"));
        Zipcode(Text(db, "zipcode_c"));
        Phone(Text(db, "phone_c"));
        Fax(Text(db, "fax_c"));
        Email(Text(db, "email_c"));
        Contact(Text(db, "contact_c"));
        Cellphone(Text(db, "cellphone_c"));
        TaxExempt(db.GetBool(0, "taxexempt_c"));
        PrintTicket(db.GetBool(0, "printticket_c"));
        return true;
    });
}

// ---- customer_t ----

namespace {

SqlRow CustomerColumns(const Customer& c)
{
    return SqlRow()
        .Text("id_c", c.Id())
        .Text("name_c", c.Name())
        .Text("street_c", c.Street())
        .Text("city_c", c.City())
        .Text("state_c", c.State())
        .Text("zipcode_c", c.Zipcode())
        .Text("phone_c", c.Phone())
        .Text("fax_c", c.Fax())
        .Text("email_c", c.Email())
        .Text("contact_c", c.Contact())
        .Text("cellphone_c", c.Cellphone())
        .Flag("taxexempt_c", c.TaxExempt())
        .Flag("printticket_c", c.PrintTicket());
}

}  // namespace

// A new customer starts with no batches and no quantity.
std::string CustomerInsertSql(const Customer& c)
{
    return CustomerColumns(c)
        .Raw("totalbatches_c", "0")
        .Raw("totalyards_c", "0.0")
        .Text("user_c", c.User())
        .Text("modified_c", c.Modified())
        .Insert("customer_t");
}

// Balance, credit status, memo and discount are not written, nor the usage
// that finished loads book on the server: an edit leaves them as they are.
std::string CustomerUpdateSql(const Customer& c)
{
    return CustomerColumns(c)
        .Text("user_c", c.User())
        .Text("modified_c", c.Modified())
        .Update("customer_t", FormatString("WHERE entry_c = %i", c.Entry()));
}

bool DBCustomer::LoadDefaults()
{
    return ApplyDefaults(OPERATION,
                         "SELECT column_c, default_c FROM customer_w ORDER BY position_c", kDefaults, *this);
}

bool DBCustomer::LoadByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    const Fields<Customer> fields = Field<Customer>("id_c", &Customer::Id) + kRow;
    return LoadRecord(op, "SELECT " + Columns(fields, ",") + FormatString(" FROM customer_t WHERE entry_c=%i", entry),
                      fields, *this);
}

bool DBCustomer::LoadById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    const Fields<Customer> fields = Field<Customer>("entry_c", &Customer::Entry) + kRow;
    return LoadRecord(
        op, "SELECT " + Columns(fields, ",") + " FROM customer_t WHERE LOWER(id_c)=LOWER(" + SqlQuote(id) + ")",
        fields, *this);
}

bool DBCustomer::List(std::vector<Customer>& records)
{
    BEGIN_OPERATION(op);
    const Fields<Customer> fields =
        Fields<Customer>{{"entry_c", &Customer::Entry}, {"id_c", &Customer::Id}} + kRow;
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
    bool found = op.Run(
        DBOperation::Kind::Tuples,
        "SELECT totalbatches_c,totalyards_c,balance_c FROM customer_t WHERE id_c=" + SqlQuote(Id()),
        [&](PgSqlDatabase& db) {
            if (db.Tuples() != 1)
                return false;
            CopyRow(db, 0, kBooked, *this);
            return true;
        },
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
                      Columns(kBooked, ", ") + FormatString(", balance_c - %.2f AS prevbalance_c", total);
    bool booked = BookUsage(
        op, sql, kBooked, *this,
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
