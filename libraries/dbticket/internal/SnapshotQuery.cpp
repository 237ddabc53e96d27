#include "SnapshotQuery.h"

#include "FormatString.h"

namespace snapshot {

std::string SelectItems(const Item* items, size_t count)
{
    std::string sql;
    for (size_t i = 0; i < count; ++i) {
        sql += "pgxml_xpath(ticket_t.xmldata_c, '//ticket_t/" + items[i].path +
               "/text()'::text, ''::text, ''::text) AS " + items[i].alias;
        sql += i + 1 < count ? ", " : " ";
    }
    return sql;
}

std::string SelectItems(std::initializer_list<Item> items)
{
    return SelectItems(items.begin(), items.size());
}

std::string WhereId(const std::string& id)
{
    return "WHERE LOWER(id_c)=LOWER('" + SqlEscape(id) + "')";
}

std::string WhereEntry(int entry)
{
    return FormatString("WHERE entry_c=%i", entry);
}

std::string Text(PgSqlDatabase& db, const std::string& alias, unsigned row)
{
    return XmlDecode(db.GetString(row, alias));
}

}  // namespace snapshot
