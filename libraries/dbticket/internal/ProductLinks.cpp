#include "ProductLinks.h"

#include <cctype>
#include <functional>
#include <memory>

#include "DBRecord.h"
#include "FormatString.h"

namespace {

// "(type_c='agg' OR type_c='cmt' ...)", or with "<>" and AND its negation.
std::string MaterialTypes(const char* compare, const char* join)
{
    std::string terms;
    for (const char* type : kMaterialTypes)
        terms += (terms.empty() ? "" : join) + std::string("type_c") + compare + "'" + type + "'";
    return "(" + terms + ")";
}

}  // namespace

std::string MaterialLinksSql(const std::string& linkid)
{
    return "SELECT productid_c,amount_c,position_c FROM productlinker_t, product_t WHERE LOWER(linkid_c)=LOWER(" +
           SqlQuote(linkid) + ") AND LOWER(productid_c)=LOWER(id_c) AND " + MaterialTypes("=", " OR ") +
           " ORDER BY type_c,position_c";
}

std::string ProductLinksSql(const std::string& linkid)
{
    return "SELECT productid_c,amount_c,price_c,position_c,LOWER(unitmeasure_c) AS unitmeasure_c FROM "
           "productlinker_t, product_t WHERE LOWER(linkid_c)=LOWER(" +
           SqlQuote(linkid) + ") AND LOWER(productid_c)=LOWER(id_c) AND " + MaterialTypes("<>", " AND ") +
           " ORDER BY position_c";
}

namespace {

bool LoadLinks(const DBOperation& op, const std::string& conninfo, const std::string& query,
               std::vector<DBProduct*>& list,
               const std::function<void(PgSqlDatabase& db, unsigned row, DBProduct& line)>& complete)
{
    return op.EachRow(query, [&](PgSqlDatabase& db, unsigned row) {
        auto line = std::make_unique<DBProduct>(conninfo);
        line->LoadById(db.GetString(row, "productid_c"));
        line->amount_c = db.GetFloat(row, "amount_c");
        line->position_c = db.GetInt(row, "position_c");
        complete(db, row, *line);
        list.push_back(line.release());
    });
}

}  // namespace

bool LoadMaterialLinks(const DBOperation& op, const std::string& conninfo, const std::string& query,
                       float batchsize, std::vector<DBProduct*>& list)
{
    return LoadLinks(op, conninfo, query, list, [&](PgSqlDatabase&, unsigned, DBProduct& line) {
        line.target_c = line.amount_c * batchsize;
        line.adjustedtarget_c = 0;
        line.actual_c = 0;
        line.moisture_c = 0;
    });
}

bool LoadProductLinks(const DBOperation& op, const std::string& conninfo, const std::string& linkid,
                      std::vector<DBProduct*>& list)
{
    return LoadLinks(op, conninfo, ProductLinksSql(linkid), list, [](PgSqlDatabase& db, unsigned row, DBProduct& line) {
        line.UnitPrice(db.GetFloat(row, "price_c"));
        line.target_c = line.amount_c;
        line.adjustedtarget_c = 0;
        line.actual_c = line.target_c;
        line.moisture_c = 0;
    });
}

namespace {

bool StartsWithoutCase(const std::string& text, const std::string& prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

}  // namespace

std::string FormulaLinkClash(const std::string& id)
{
    if (StartsWithoutCase(id, "Batch"))
        return "an identifier beginning with Batch would share a queued batch's lines";
    bool digits = id.size() > 3;
    for (size_t i = 3; i < id.size(); ++i)
        digits = digits && std::isdigit(static_cast<unsigned char>(id[i]));
    if (StartsWithoutCase(id, "Job") && digits)
        return "Job and a number would share a job's lines";
    return "";
}

std::string ProductUsersSql(const std::string& id)
{
    const std::string product = "LOWER(l.productid_c)=LOWER(" + SqlQuote(id) + ")";
    return "SELECT user_c FROM (SELECT 1 AS o, 'formula ''' || f.id_c || '''' AS user_c FROM productlinker_t l, "
           "formula_t f WHERE LOWER(l.linkid_c)=LOWER(f.id_c) AND " +
           product +
           " UNION ALL SELECT 2, 'job ''' || j.id_c || ''' of customer ''' || j.customerid_c || '''' FROM "
           "productlinker_t l, job_t j WHERE LOWER(l.linkid_c)=LOWER('Job' || j.entry_c) AND " +
           product +
           " UNION ALL SELECT 3, 'batch ''' || b.id_c || '''' FROM productlinker_t l, batch_t b WHERE "
           "LOWER(l.linkid_c)=LOWER('Batch' || b.id_c) AND " +
           product + ") u ORDER BY o, user_c LIMIT 1";
}

std::string LinkDeleteSql(const std::string& linkid, const char* type)
{
    return "DELETE FROM productlinker_t WHERE LOWER(linkid_c)=LOWER(" + SqlQuote(linkid) + ") AND producttype_c='" +
           type + "'";
}

std::string LinkInsertSql(const std::string& linkid, const DBProduct& line, bool withPrice)
{
    if (withPrice)
        return "INSERT INTO productlinker_t(linkid_c,productid_c,amount_c,price_c,producttype_c,position_c) values(" +
               SqlQuote(linkid) + "," + SqlQuote(line.Id()) +
               FormatString(",%f,%.2f,'prod',%i) ", line.amount_c, line.UnitPrice(), line.position_c);
    return "INSERT INTO productlinker_t(linkid_c,productid_c,amount_c,producttype_c,position_c) values(" +
           SqlQuote(linkid) + "," + SqlQuote(line.Id()) +
           FormatString(",%f,'matl',%i) ", line.amount_c, line.position_c);
}

bool ReplaceLinks(const DBOperation& op, const std::string& linkid, const char* type,
                  const std::vector<DBProduct*>& lines, FailureReport report)
{
    bool withPrice = std::string(type) == "prod";
    std::vector<Bound> numbers;
    for (const DBProduct* line : lines)
        if (line) {
            numbers.push_back({"the amount of " + line->Id(), line->amount_c});
            if (withPrice)
                numbers.push_back({"the price of " + line->Id(), line->UnitPrice()});
        }
    if (!CheckNumbers(op, numbers))
        return false;
    return op.Transaction([&](const DBOperation::Step& step) {
        // Held until the transaction ends: a second rewrite of the same set
        // waits here and then sees this one's links, never half of them.
        if (!step(DBOperation::Kind::Tuples, "SELECT pg_advisory_xact_lock(hashtext(LOWER(" + SqlQuote(linkid) + ")))",
                  report))
            return false;
        if (!step(DBOperation::Kind::Command, LinkDeleteSql(linkid, type), report))
            return false;
        for (const DBProduct* line : lines)
            if (line && !step(DBOperation::Kind::Command, LinkInsertSql(linkid, *line, withPrice), report))
                return false;
        return true;
    });
}
