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

// What the persistent classes share beyond the operation convention: tables
// of columns that fill a record from a defaults table or from a selected row,
// the uniqueness check, the long INSERT and UPDATE texts, and the stamps.

// One column of a table and the record setter it fills. The setter's type
// says how the column's text converts: a text as it is, a float with atof, an
// int with atoi, a flag true exactly for "t" (the same conversions the typed
// getters of PgSqlDatabase make).
template <class R>
class Field {
public:
    Field(const char* column, void (R::*set)(std::string)) : column(column), text(set) {}
    Field(const char* column, void (R::*set)(float)) : column(column), real(set) {}
    Field(const char* column, void (R::*set)(int)) : column(column), integer(set) {}
    Field(const char* column, void (R::*set)(bool)) : column(column), flag(set) {}

    // A float column whose text is never read: the setter always receives 0.
    static Field Zero(const char* column, void (R::*set)(float))
    {
        Field field(column, set);
        field.zero = true;
        return field;
    }

    const char* Column() const { return column; }

    void Set(R& record, const std::string& value) const
    {
        if (text)
            (record.*text)(value);
        else if (real)
            (record.*real)(zero ? 0.0f : static_cast<float>(std::atof(value.c_str())));
        else if (integer)
            (record.*integer)(std::atoi(value.c_str()));
        else
            (record.*flag)(value == "t");
    }

private:
    const char* column;
    void (R::*text)(std::string) = nullptr;
    void (R::*real)(float) = nullptr;
    void (R::*integer)(int) = nullptr;
    void (R::*flag)(bool) = nullptr;
    bool zero = false;
};

template <class R>
using Fields = std::vector<Field<R>>;

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
Fields<R> operator+(Field<R> first, const Fields<R>& rest)
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

// The column names joined by `separator`.
template <class R>
std::string Columns(const Fields<R>& fields, const char* separator)
{
    std::string list;
    for (const Field<R>& field : fields)
        list += (list.empty() ? "" : separator) + std::string(field.Column());
    return list;
}

// Copies row `row` of the result into the record, column by column.
template <class R>
void CopyRow(PgSqlDatabase& db, unsigned row, const Fields<R>& fields, Record<R>& record)
{
    for (const Field<R>& field : fields)
        field.Set(record, db.GetString(row, field.Column()));
}

// Every row of `query`, in row order, each copied into a new record.
template <class R>
bool LoadRecords(const DBOperation& op, const std::string& query, const Fields<R>& fields,
                 std::vector<Record<R>>& records)
{
    return op.Run(DBOperation::Kind::Tuples, query, [&](PgSqlDatabase& db) {
        for (int row = 0; row < db.Tuples(); ++row) {
            records.emplace_back();
            CopyRow(db, static_cast<unsigned>(row), fields, records.back());
        }
        return true;
    });
}

// Applies a `_w` table: `query` selects column_c and default_c in order; an
// empty default and a column the table does not know are passed over.
template <class R>
bool ApplyDefaults(const DBOperation& op, const std::string& query, const Fields<R>& fields, Record<R>& record)
{
    return op.Run(DBOperation::Kind::Tuples, query, [&](PgSqlDatabase& db) {
        for (int row = 0; row < db.Tuples(); ++row) {
            std::string column = db.GetString(row, "column_c");
            std::string value = db.GetString(row, "default_c");
            if (value.empty())
                continue;
            for (const Field<R>& field : fields)
                if (column == field.Column())
                    field.Set(record, value);
        }
        return true;
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
    return op.Run(
        DBOperation::Kind::Tuples, sql,
        [&](PgSqlDatabase& db) {
            if (db.Tuples() > 0) {
                CopyRow(db, 0, booked, record);
                if (returned)
                    returned(db);
            } else if (inMemory) {
                inMemory();
            }
            return true;
        },
        report);
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

// The modification stamp "YYYY-MM-DD HH:MM" in local time. Customers, jobs
// and formulas pad the hour with a blank, products and trucks with a zero.
enum class HourPad { Blank, Zero };
std::string ModifiedStamp(HourPad pad, std::time_t now = std::time(nullptr));

// Local time, broken down.
std::tm LocalTime(std::time_t now);

#endif
