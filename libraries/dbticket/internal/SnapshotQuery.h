#ifndef SNAPSHOTQUERY_H
#define SNAPSHOTQUERY_H

#include <initializer_list>
#include <string>

#include "PgSqlDatabase.h"

// Statements that read values out of a ticket's snapshot (ticket_t.xmldata_c)
// on the server, one select item per value.
namespace snapshot {

struct Item {
    std::string path;   // element path below the root, e.g. "batch_t/ordernumber_c"
    std::string alias;  // column name the value is read under
};

// "pgxml_xpath(...) AS alias, " for each item; the last one ends in a blank.
std::string SelectItems(std::initializer_list<Item> items);
std::string SelectItems(const Item* items, size_t count);

// The ticket identifier goes into the statement as an escaped SQL literal.
std::string WhereId(const std::string& id);
std::string WhereEntry(int entry);

// A text value of a row (row 0 unless said) with the snapshot's XML escapes undone.
std::string Text(PgSqlDatabase& db, const std::string& alias, unsigned row = 0);

}  // namespace snapshot

#endif
