// Loading a stored ticket from its snapshot.

#include "DBTicket.h"

#include <memory>

#include "DBRecord.h"
#include "DBTicketSite.h"
#include "FormatString.h"
#include "SnapshotQuery.h"

namespace {

// One material or product entry of the snapshot of ticket `entry`: the
// product's elements, then the line's (an extra product's line only the
// Extra ones), each under the list's prefix and its name without "_c".
std::string LineStatement(const char* list, const char* prefix, bool material, int number, int entry)
{
    std::string sql = "SELECT ";
    auto select = [&](const char* element) {
        std::string name = element;
        sql += FormatString("pgxml_xpath(ticket_t.xmldata_c, '//ticket_t/%s[@num=%d]/", list, number) + name +
               "/text()'::text, ''::text, ''::text) AS " + prefix + name.substr(0, name.size() - 2) + ", ";
    };
    for (const RecordColumn<Product>& column : ProductTable().With(col::SnapshotIn))
        select(column.column);
    for (const RecordColumn<DBProduct>& column : LineTable().columns)
        if (material || column.Has(col::Extra))
            select(column.column);
    return sql + "id_c " + FormatString("FROM ticket_t WHERE entry_c=%d", entry);
}

void ReadLine(PgSqlDatabase& db, const std::string& prefix, bool material, DBProduct& line)
{
    for (const RecordColumn<Product>& column : ProductTable().With(col::SnapshotIn))
        column.SetText(line, snapshot::Text(db, prefix + column.Name()));
    for (const RecordColumn<DBProduct>& column : LineTable().columns)
        if (material || column.Has(col::Extra))
            column.SetText(line, snapshot::Text(db, prefix + column.Name()));
}

}  // namespace

bool DBTicket::LoadXmlById(std::string id)
{
    BEGIN_OPERATION(op);
    Id(id);
    return LoadXml(op, false, snapshot::WhereId(Id()));
}

bool DBTicket::LoadXmlByEntry(int entry)
{
    BEGIN_OPERATION(op);
    Entry(entry);
    return LoadXml(op, true, snapshot::WhereEntry(Entry()));
}

bool DBTicket::LoadXml(const DBOperation& op, bool byEntry, const std::string& where)
{
    std::vector<snapshot::Item> items = SnapshotItems(TicketTable());
    std::string sql = std::string("SELECT ") + (byEntry ? "id_c, " : "entry_c, ") +
                      "date_c, invoice_c, plant_c, void_c, user_c, modified_c, " +
                      snapshot::SelectItems(items.data(), items.size()) + "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        if (byEntry)
            Id(snapshot::Text(db, "id_c"));
        else
            Entry(db.GetInt(0, "entry_c"));
        Date(snapshot::Text(db, "date_c"));
        Invoice(db.GetInt(0, "invoice_c"));
        Plant(db.GetInt(0, "plant_c"));
        Void(db.GetBool(0, "void_c"));
        User(db.GetString(0, "user_c"));
        Modified(db.GetString(0, "modified_c"));
        ReadSnapshot(db, TicketTable(), *this);

        // The main connection stays open while the attached records load.
        if (!CustomerId().empty() && !customer->LoadXmlByEntry(Entry()))
            return false;
        if (!JobId().empty() && !job->LoadXmlByEntry(Entry()))
            return false;
        if (!FormulaId().empty() && !formula->LoadXmlByEntry(Entry()))
            return false;
        if (!TruckId().empty() && !truck->LoadXmlByEntry(Entry()))
            return false;
        if (!LoadXmlMatl(Entry(), Batchsize()))
            return false;
        return LoadXmlProd(Entry(), Batchsize());
    });
}

bool DBTicket::ListTickets(const std::string& date, std::vector<Ticket>& records)
{
    BEGIN_OPERATION(op);
    const RecordTable<DBTicket>& table = TicketTable();
    const Fields<DBTicket> listed = table.Only({"customerid_c", "jobid_c", "deliverto_c", "formulaid_c", "truckid_c",
                                                "driver_c", "batchsize_c", "total_c"});
    const Fields<Ticket> read = Narrowed<Ticket>(listed);
    std::vector<snapshot::Item> items;
    for (const RecordColumn<DBTicket>& column : listed)
        items.push_back(SnapshotItem(table, column));
    std::string sql = "SELECT id_c, entry_c, date_c, invoice_c, void_c, " +
                      snapshot::SelectItems(items.data(), items.size()) + "FROM ticket_t ";
    // Compared as a prefix of that many bytes, so no character of `date` is a pattern.
    if (!date.empty())
        sql += FormatString("WHERE substr(date_c, 1, %i)=", static_cast<int>(date.size())) + SqlQuote(date) + " ";
    sql += "ORDER BY entry_c";
    return op.EachRow(sql, [&](PgSqlDatabase& db, unsigned row) {
        Ticket t;
        t.Id(db.GetString(row, "id_c"));
        t.Entry(db.GetInt(row, "entry_c"));
        t.Date(db.GetString(row, "date_c"));
        t.Invoice(db.GetInt(row, "invoice_c"));
        t.Void(db.GetBool(row, "void_c"));
        for (const RecordColumn<Ticket>& column : read)
            column.SetText(t, snapshot::Text(db, column.column, row));
        records.push_back(t);
    });
}

bool DBTicket::LoadXmlMatl(int entry, float batchsize)
{
    BEGIN_OPERATION(op);
    Batchsize(batchsize);
    return LoadXmlLines(op, matl_v, NumMatl(), true, entry);
}

bool DBTicket::LoadXmlProd(int entry, float batchsize)
{
    BEGIN_OPERATION(op);
    Batchsize(batchsize);
    return LoadXmlLines(op, prod_v, NumProd(), false, entry);
}

bool DBTicket::LoadXmlLines(const DBOperation& op, std::vector<DBProduct*>& list, int count, bool material,
                            int entry)
{
    DeleteProducts(list);
    // A negative count in a damaged snapshot loads nothing.
    list.assign(count > 0 ? static_cast<size_t>(count) : 0, nullptr);
    op.Log(FormatString(material ? "MATL=%i" : "PROD=%i", count));
    const char* listPath = material ? "materials_t/matl" : "products_t/prod";
    const char* prefix = material ? "matl_" : "prod_";
    for (size_t i = 0; i < list.size(); ++i) {
        std::string sql = LineStatement(listPath, prefix, material, static_cast<int>(i) + 1, entry);
        bool ok = op.Run(DBOperation::Kind::Tuples, sql,
                         [&](PgSqlDatabase& db) {
                             // A line that cannot be read leaves its slot empty.
                             auto line = std::make_unique<DBProduct>(ConnInfo());
                             ReadLine(db, prefix, material, *line);
                             list[i] = line.release();
                             return true;
                         },
                         FailureReport::LogFixed("ZERO RESULTS FOR THIS ENTRY"));
        if (!ok)
            return false;
    }
    return true;
}

// Taken on the server by the schema's ticket_digest, as the history's digests
// are, from the bytes as stored, whatever a client would make of them.
bool DBTicket::SnapshotDigest(std::string& digest)
{
    BEGIN_OPERATION(op);
    return op.One(FormatString("SELECT id_c, ticket_digest(xmldata_c) AS digest_c "
                               "FROM ticket_t WHERE entry_c=%i",
                               Entry()),
                  [&](PgSqlDatabase& db) {
                      Id(db.GetString(0, "id_c"));
                      digest = db.GetString(0, "digest_c");
                  });
}
