#include "DBCustomer.h"

#include "SnapshotQuery.h"
#include "XmlElement.h"

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
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBCustomer::LoadXmlById(std::string id)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
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
