#ifndef DBRECORD_H
#define DBRECORD_H

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DBOperation.h"
#include "FormatString.h"
#include "RecordColumns.h"
#include "SnapshotQuery.h"
#include "XmlElement.h"

// What the persistent classes share beyond the operation convention: tables
// of columns that fill a record from a defaults table or from a selected row,
// the uniqueness check, the long INSERT and UPDATE texts, and the stamps.

template <class R>
using Fields = ColumnList<R>;

// The record parameter takes its type from the column table, so a derived
// persistent object can be passed as it is.
template <class T>
struct RecordOf {
    using type = T;
};
template <class R>
using Record = typename RecordOf<R>::type;

// `first` followed by `rest`: the loads by entry and by identifier select the
// same columns after a different key column.
template <class R>
Fields<R> operator+(RecordColumn<R> first, const Fields<R>& rest)
{
    Fields<R> all{std::move(first)};
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

template <class R>
Fields<R> operator+(Fields<R> first, const Fields<R>& rest)
{
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

// Columns of a derived record's table whose accessors are B's, as columns
// of B.
template <class B, class R>
Fields<B> Narrowed(const Fields<R>& fields)
{
    Fields<B> narrowed;
    for (const RecordColumn<R>& field : fields)
        narrowed.push_back(field.template As<B>());
    return narrowed;
}

// The column names joined by `separator`.
template <class R>
std::string Columns(const Fields<R>& fields, const char* separator)
{
    std::string list;
    for (const RecordColumn<R>& field : fields)
        list += (list.empty() ? "" : separator) + std::string(field.column);
    return list;
}

// Copies row `row` of the result into the record, column by column.
template <class R>
void CopyRow(PgSqlDatabase& db, unsigned row, const Fields<R>& fields, Record<R>& record)
{
    for (const RecordColumn<R>& field : fields)
        field.SetText(record, db.GetString(row, field.column));
}

// Every row of `query`, in row order, each copied into a new record.
template <class R>
bool LoadRecords(const DBOperation& op, const std::string& query, const Fields<R>& fields,
                 std::vector<Record<R>>& records)
{
    return op.EachRow(query, [&](PgSqlDatabase& db, unsigned row) {
        records.emplace_back();
        CopyRow(db, row, fields, records.back());
    });
}

// Applies a `_w` table: `query` selects column_c and default_c in order; an
// empty default and a column the table does not take defaults for are passed
// over.
template <class R>
bool ApplyDefaults(const DBOperation& op, const std::string& query, const RecordTable<R>& table,
                   Record<R>& record)
{
    const Fields<R> fields = table.With(col::Default | col::DefaultZero);
    return op.EachRow(query, [&](PgSqlDatabase& db, unsigned row) {
        std::string column = db.GetString(row, "column_c");
        std::string value = db.GetString(row, "default_c");
        if (value.empty())
            return;
        for (const RecordColumn<R>& field : fields)
            if (column == field.column)
                field.SetText(record, field.Has(col::DefaultZero) ? "0" : value);
    });
}

// A single-record load whose one row is copied into the record; `then` goes
// on while the connection is still open (attached records load there).
template <class R, class Then>
bool LoadRecord(const DBOperation& op, const std::string& query, const Fields<R>& fields, Record<R>& record,
                Then then)
{
    return op.LoadOne(query, [&](PgSqlDatabase& db) {
        CopyRow(db, 0, fields, record);
        return then();
    });
}

template <class R>
bool LoadRecord(const DBOperation& op, const std::string& query, const Fields<R>& fields, Record<R>& record)
{
    return LoadRecord<R>(op, query, fields, record, [] { return true; });
}

// Books a finished load's usage: `sql` (an UPDATE ... RETURNING) adds to the
// stored values on the server, so loads finishing at once all count, and the
// stored result comes back into the record: the `booked` columns, and what
// `returned` reads of the same row. When no row came back the record is not
// stored, and `inMemory` adds the same to the record instead (null when the
// record already holds the sum).
template <class R>
bool BookUsage(const DBOperation& op, const std::string& sql, const Fields<R>& booked, Record<R>& record,
               const std::function<void()>& inMemory, FailureReport report = FailureReport::Standard(),
               const std::function<void(PgSqlDatabase&)>& returned = nullptr)
{
    bool found = false;
    bool ran = op.Exists(
        sql, found,
        [&](PgSqlDatabase& db) {
            CopyRow(db, 0, booked, record);
            if (returned)
                returned(db);
        },
        report);
    if (ran && !found && inMemory)
        inMemory();
    return ran;
}

// The uniqueness check of the master data. `query` selects entry_c and the
// column that names a record (`holderColumn`); the identifier is taken when
// the first row found is another record than `entry`. The error text names
// `id`; with a `holder` ("Customer", "Mix", ...) it adds the sentence naming
// the record that has it. A query that fails counts as unique.
bool CheckUnique(DBObject& owner, const std::string& query, int entry, const std::string& id, const char* holder,
                 const char* holderColumn);

// A number a record would store, and the range it must lie in.
struct Bound {
    std::string name;
    double value;
    double low = 0;
    double high = HUGE_VAL;
};

// Whether every number is finite and in its range; otherwise the operation is
// refused with a text naming the first one that is not.
bool CheckNumbers(const DBOperation& op, const std::vector<Bound>& numbers);

// "SELECT entry_c FROM table WHERE entry_c=N FOR UPDATE" (or FOR SHARE):
// the row stays locked until the unit of work ends. When no row has the
// entry: false, with "table entry N not found", unless `found` is given to
// say so.
bool LockRow(const DBOperation& op, const char* table, int entry, bool shared, bool* found = nullptr);

// The uniqueness check's first sentence.
std::string AlreadyExists(const std::string& id);

// Runs the statement that writes the record `id` names. When a unique index
// refuses it (another clerk's record came first), the error text is the
// uniqueness check's.
bool SaveRow(const DBOperation& op, DBObject& owner, const std::string& sql, const std::string& id,
             FailureReport report = FailureReport::Standard());

// The values of one row to write, in statement order, rendered as an INSERT
// or an UPDATE. Texts are escaped and quoted here, so no caller can forget it.
class SqlRow {
public:
    SqlRow& Text(const char* column, const std::string& value) { return Add(column, SqlQuote(value)); }
    SqlRow& Real(const char* column, double value) { return Add(column, FormatString("%f", value)); }
    // An amount of money: to the cent, so no float digits past it are stored.
    SqlRow& Money(const char* column, double value) { return Add(column, FormatString("%.2f", value)); }
    // A decimal as the formula and batch updates write it: quoted, where their
    // inserts write it bare. The server reads both alike; those two statement
    // texts are kept as they are.
    SqlRow& UpdateReal(const char* column, double value) { return Add(column, FormatString("'%f'", value)); }
    SqlRow& Int(const char* column, int value) { return Add(column, FormatString("%i", value)); }
    SqlRow& Flag(const char* column, bool value) { return Add(column, value ? "'t'" : "'f'"); }
    // A value written as it stands, such as the 0 a new record starts with.
    SqlRow& Raw(const char* column, const std::string& value) { return Add(column, value); }

    // "INSERT INTO table(c1,c2) values(v1,v2)"
    std::string Insert(const char* table) const;
    // "UPDATE table SET c1 = v1, c2 = v2 " followed by `where`.
    std::string Update(const char* table, const std::string& where) const;
    // The update of a stored ticket, "UPDATE table SET c1=v1,c2=v2" followed
    // directly by `where`: no blanks, unlike every other update, and its text
    // is kept as it is.
    std::string TicketUpdate(const char* table, const std::string& where) const;

private:
    SqlRow& Add(const char* column, std::string value)
    {
        values.emplace_back(column, std::move(value));
        return *this;
    }

    std::vector<std::pair<std::string, std::string>> values;
};

// A column's value as `statement` (col::Insert or col::Update) writes it.
template <class R>
SqlRow& Write(SqlRow& row, const RecordColumn<R>& column, const Record<R>& record, col::Use statement)
{
    if (statement == col::Insert && column.fresh)
        return row.Raw(column.column, column.fresh);
    ColumnValue v = column.get(record);
    switch (v.kind) {
    case ColumnValue::Text: return row.Text(column.column, v.text);
    case ColumnValue::Integer: return row.Int(column.column, static_cast<int>(v.integer));
    case ColumnValue::Flag: return row.Flag(column.column, v.flag);
    case ColumnValue::Real:
    case ColumnValue::Double: break;
    }
    if (statement == col::Update && column.Has(col::QuotedInUpdate))
        return row.UpdateReal(column.column, v.real);
    if (column.Has(col::Money))
        return row.Money(column.column, v.real);
    return row.Real(column.column, v.real);
}

// `columns` as `statement` writes them, in the order given.
template <class R>
SqlRow WrittenRow(const Fields<R>& columns, const Record<R>& record, col::Use statement)
{
    SqlRow row;
    for (const RecordColumn<R>& column : columns)
        Write(row, column, record, statement);
    return row;
}

// The record's columns that `statement` writes, in table order.
template <class R>
SqlRow WrittenRow(const RecordTable<R>& table, const Record<R>& record, col::Use statement)
{
    return WrittenRow(table.With(statement), record, statement);
}

// One element of the snapshot: texts escaped, floats "%f" (money "%.2f"),
// flags t and f.
template <class R>
std::string XmlColumn(const RecordColumn<R>& column, const Record<R>& record)
{
    ColumnValue v = column.get(record);
    switch (v.kind) {
    case ColumnValue::Text:
        return column.Has(col::Unencoded) ? XmlElement(column.column, v.text) : XmlEncoded(column.column, v.text);
    case ColumnValue::Integer: return XmlInt(column.column, static_cast<int>(v.integer));
    case ColumnValue::Flag: return XmlFlag(column.column, v.flag);
    case ColumnValue::Real:
    case ColumnValue::Double: break;
    }
    return column.Has(col::Money) ? XmlFloat2(column.column, v.real) : XmlFloat(column.column, v.real);
}

// The record's snapshot section: its snapshot columns in table order.
template <class R>
std::string XmlSection(const RecordTable<R>& table, const Record<R>& record)
{
    std::string xml = std::string("<") + table.section + ">";
    for (const RecordColumn<R>& column : table.columns)
        if (column.Has(col::SnapshotOut))
            xml += XmlColumn(column, record);
    return xml + "</" + table.section + ">";
}

// The select item that reads `column` of the record's section from a
// snapshot, under the column's own name (the identifier under the table's
// name for it).
template <class R>
snapshot::Item SnapshotItem(const RecordTable<R>& table, const RecordColumn<R>& column)
{
    std::string name = column.column;
    if (column.readFrom)
        return {column.readFrom, name};
    return {std::string(table.section) + "/" + name, name == "id_c" ? table.snapshotId : name};
}

// The select items that read the record's snapshot columns, in table order.
template <class R>
std::vector<snapshot::Item> SnapshotItems(const RecordTable<R>& table)
{
    std::vector<snapshot::Item> items;
    for (const RecordColumn<R>& column : table.columns)
        if (column.Has(col::SnapshotIn))
            items.push_back(SnapshotItem(table, column));
    return items;
}

// Copies the values SnapshotItems selected into the record, each decoded as
// every snapshot text is.
template <class R>
void ReadSnapshot(PgSqlDatabase& db, const RecordTable<R>& table, Record<R>& record, unsigned row = 0)
{
    for (const RecordColumn<R>& column : table.columns)
        if (column.Has(col::SnapshotIn))
            column.SetText(record, snapshot::Text(db, SnapshotItem(table, column).alias, row));
}

// Reads the record's snapshot section from the ticket `where` selects.
template <class R>
bool LoadSection(const DBOperation& op, const RecordTable<R>& table, const std::string& where, Record<R>& record)
{
    std::vector<snapshot::Item> items = SnapshotItems(table);
    std::string sql = "SELECT " + snapshot::SelectItems(items.data(), items.size()) + "FROM ticket_t " + where;
    return op.LoadOne(sql, [&](PgSqlDatabase& db) {
        ReadSnapshot(db, table, record);
        return true;
    });
}

// The modification stamp "YYYY-MM-DD HH:MM" in local time. Customers, jobs
// and formulas pad the hour with a blank, products and trucks with a zero.
enum class HourPad { Blank, Zero };
std::string ModifiedStamp(HourPad pad, std::time_t now = std::time(nullptr));

// Local time, broken down.
std::tm LocalTime(std::time_t now);

#endif
