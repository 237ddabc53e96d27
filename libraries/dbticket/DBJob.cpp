#include "DBJob.h"

#include "SysLog.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

DBJob::DBJob(std::string conninfo)
    : DBObject(conninfo),
      customer(new DBCustomer(conninfo)),
      formula(new DBFormula(conninfo)),
      nummatl_c(0),
      numprod_c(0)
{
}

DBJob::~DBJob()
{
    SYSLOG("%s:%d:%s \n");
    delete customer;
    customer = nullptr;
    delete formula;
    formula = nullptr;
    DeleteProducts(matl_v);
    DeleteProducts(prod_v);
}

std::string DBJob::xmlString() const
{
    return "<job_t>"
        + XmlEncoded("id_c", Id())
        + XmlEncoded("customerid_c", CustomerId())
        + XmlEncoded("formulaid_c", FormulaId())
        + XmlEncoded("deliverto_c", Deliverto())
        + XmlEncoded("street_c", Street())
        + XmlEncoded("city_c", City())
        + XmlEncoded("state_c", State())
        + XmlEncoded("zipcode_c", Zipcode())
        + XmlEncoded("orderdate_c", OrderDate())
        + XmlEncoded("deliverdate_c", DeliverDate())
        + XmlEncoded("delivertime_c", DeliverTime())
        + XmlEncoded("instructions_c", Instructions())
        + XmlFloat("quantityordered_c", QuantityOrdered())
        + XmlFloat("quantitydelivered_c", QuantityDelivered())
        + XmlInt("loadsdelivered_c", LoadsDelivered())
        + XmlFloat("formulaprice_c", FormulaPrice())
        + XmlFloat("batchsize_c", Batchsize())
        + XmlFlag("taxable_c", Taxable())
        + XmlFloat("salestax_c", SalesTax())
        + XmlFloat("grandtotal_c", GrandTotal())
        + "</job_t>";
}

bool DBJob::LoadXmlByEntry(int entry)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    return LoadXml(op, snapshot::WhereEntry(entry));
}

bool DBJob::LoadXmlById(std::string id)
{
    DBOperation op(*this, DB_SITE(LogFamily::Spaced));
    op.Trace();
    return LoadXml(op, snapshot::WhereId(id));
}

bool DBJob::LoadXml(const DBOperation& op, const std::string& where)
{
    std::string sql = "SELECT " +
                      snapshot::SelectItems({{"job_t/id_c", "jobid_c"},
                                             {"customer_t/id_c", "customerid_c"},
                                             {"formula_t/id_c", "formulaid_c"},
                                             {"job_t/deliverto_c", "deliverto_c"},
                                             {"job_t/street_c", "street_c"},
                                             {"job_t/city_c", "city_c"},
                                             {"job_t/state_c", "state_c"},
                                             {"job_t/zipcode_c", "zipcode_c"},
                                             {"job_t/orderdate_c", "orderdate_c"},
                                             {"job_t/deliverdate_c", "deliverdate_c"},
                                             {"job_t/delivertime_c", "delivertime_c"},
                                             {"job_t/instructions_c", "instructions_c"},
                                             {"job_t/quantityordered_c", "quantityordered_c"},
                                             {"job_t/quantitydelivered_c", "quantitydelivered_c"},
                                             {"job_t/loadsdelivered_c", "loadsdelivered_c"},
                                             {"job_t/formulaprice_c", "formulaprice_c"},
                                             {"job_t/batchsize_c", "batchsize_c"},
                                             {"job_t/taxable_c", "taxable_c"},
                                             {"job_t/salestax_c", "salestax_c"},
                                             {"job_t/grandtotal_c", "grandtotal_c"}}) +
                      "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        using snapshot::Text;
        Id(Text(db, "jobid_c"));
        CustomerId(Text(db, "customerid_c"));
        FormulaId(Text(db, "formulaid_c"));
        Deliverto(Text(db, "deliverto_c"));
        Street(Text(db, "street_c"));
        City(Text(db, "city_c"));
        State(Text(db, "state_c"));
        Zipcode(Text(db, "zipcode_c"));
        OrderDate(Text(db, "orderdate_c"));
        DeliverDate(Text(db, "deliverdate_c"));
        DeliverTime(Text(db, "delivertime_c"));
        Instructions(Text(db, "instructions_c"));
        QuantityOrdered(db.GetFloat(0, "quantityordered_c"));
        QuantityDelivered(db.GetFloat(0, "quantitydelivered_c"));
        LoadsDelivered(db.GetInt(0, "loadsdelivered_c"));
        FormulaPrice(db.GetFloat(0, "formulaprice_c"));
        Batchsize(db.GetFloat(0, "batchsize_c"));
        Taxable(db.GetBool(0, "taxable_c"));
        SalesTax(db.GetFloat(0, "salestax_c"));
        GrandTotal(db.GetFloat(0, "grandtotal_c"));
        return true;
    });
}
