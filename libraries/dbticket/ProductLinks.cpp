#include "ProductLinks.h"

#include <functional>
#include <memory>

#include "FormatString.h"

std::string MaterialLinksSql(const std::string& linkid)
{
    return "SELECT productid_c,amount_c,position_c FROM productlinker_t, product_t WHERE LOWER(linkid_c)=LOWER(" +
           SqlQuote(linkid) +
           ") AND LOWER(productid_c)=LOWER(id_c) AND (type_c='agg' OR type_c='cmt' OR type_c='admix' OR "
           "type_c='water') ORDER BY type_c,position_c";
}

std::string ProductLinksSql(const std::string& linkid)
{
    return "SELECT productid_c,amount_c,price_c,position_c,LOWER(unitmeasure_c) AS unitmeasure_c FROM "
           "productlinker_t, product_t WHERE LOWER(linkid_c)=LOWER(" +
           SqlQuote(linkid) +
           ") AND LOWER(productid_c)=LOWER(id_c) AND (type_c<>'agg' AND type_c<>'cmt' AND type_c<>'admix' AND "
           "type_c<>'water') ORDER BY position_c";
}

namespace {

bool LoadLinks(const DBOperation& op, const std::string& conninfo, const std::string& query,
               std::vector<DBProduct*>& list,
               const std::function<void(PgSqlDatabase& db, unsigned row, DBProduct& line)>& complete)
{
    return op.Run(DBOperation::Kind::Tuples, query, [&](PgSqlDatabase& db) {
        for (int row = 0; row < db.Tuples(); ++row) {
            auto line = std::make_unique<DBProduct>(conninfo);
            line->LoadById(db.GetString(row, "productid_c"));
            line->amount_c = db.GetFloat(row, "amount_c");
            line->position_c = db.GetInt(row, "position_c");
            complete(db, row, *line);
            list.push_back(line.release());
        }
        return true;
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
