#ifndef RECORDCHECK_H
#define RECORDCHECK_H

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DBTicket.h"
#include "RecordColumns.h"

// Builders and comparisons that walk a record's column table, so that no test
// names the fields by hand and a new column is filled and compared with the
// rest as soon as its table has it.
namespace records {

// Distinct values, one column after another, chosen by the column's kind:
// texts with an apostrophe, double quotes, '&', '<', '>', a Latin-1 letter
// and a literal "&amp;", which comes back changed unless written encoded
// (digits and separators where the snapshot writes the text as it is);
// floats with more decimals than money keeps, money with two, every other
// one negative; counting integers; flags alternating, so that no two
// neighbouring flags agree.
class Values {
public:
    explicit Values(int start = 1) : n(start) {}

    template <class R>
    ColumnValue For(const RecordColumn<R>& column)
    {
        return Next(column.kind, column.Has(col::Money), column.Has(col::Unencoded));
    }
    ColumnValue Next(ColumnValue::Kind kind, bool money, bool unencoded);

private:
    int n;
    bool flag = false;
};

// Sets each of `columns` to the next of `values`.
template <class R>
void Fill(const ColumnList<R>& columns, R& record, Values& values)
{
    for (const RecordColumn<R>& column : columns)
        column.set(record, values.For(column));
}

// The columns of `columns` for which `keep` holds.
template <class R, class Keep>
ColumnList<R> Where(ColumnList<R> columns, Keep keep)
{
    columns.erase(std::remove_if(columns.begin(), columns.end(), [&](const RecordColumn<R>& c) { return !keep(c); }),
                  columns.end());
    return columns;
}

// Half a cent, and the float error of a value read back.
constexpr double kTwoDecimals = 0.0051;

// One column of two records, by its kind; money travels with two decimals,
// so it is compared to the cent.
template <class R>
void ExpectSameColumn(const RecordColumn<R>& column, const R& want, const R& got)
{
    ColumnValue w = column.get(want);
    ColumnValue g = column.get(got);
    switch (w.kind) {
    case ColumnValue::Text: EXPECT_EQ(w.text, g.text) << column.column; break;
    case ColumnValue::Integer: EXPECT_EQ(w.integer, g.integer) << column.column; break;
    case ColumnValue::Flag: EXPECT_EQ(w.flag, g.flag) << column.column; break;
    case ColumnValue::Real:
    case ColumnValue::Double:
        if (column.Has(col::Money))
            EXPECT_NEAR(w.real, g.real, kTwoDecimals) << column.column;
        else
            EXPECT_FLOAT_EQ(static_cast<float>(w.real), static_cast<float>(g.real)) << column.column;
        break;
    }
}

template <class R>
void ExpectSameColumns(const ColumnList<R>& columns, const R& want, const R& got)
{
    for (const RecordColumn<R>& column : columns)
        ExpectSameColumn(column, want, got);
}

// Every flag of the ticket, its attached records and its lines turned the
// other way: a flag that is never read is false in one of the two tickets.
void FlipFlags(DBTicket& ticket);

// Every column of the ticket, its attached records and its lines takes a
// value of `values`, but the identifiers, which a snapshot load finds the
// ticket and its sections by, and the columns it reads from another section,
// which take that section's value.
void FillLoaded(DBTicket& ticket, Values& values);

// Every column of every table of the ticket, its attached records and its
// lines takes a value of `values`, so that an element written from the wrong
// source shows.
void FillAll(DBTicket& ticket, Values& values);

// A line's snapshot columns: a material's all, an extra product's the
// product's and the Extra ones. A column the snapshot writes or reads is
// compared, so one written and no longer read fails.
void ExpectSameLine(const DBProduct& want, const DBProduct& got, bool material);
void ExpectSameLines(const std::vector<DBProduct*>& want, const std::vector<DBProduct*>& got, bool material);

// Everything the snapshot loaders fill: the ticket row's and batch section's
// columns, the counts as the lists' lengths, the attached records' snapshot
// columns (written or read) and the lines.
void ExpectSameTicket(const DBTicket& want, const DBTicket& got);

}  // namespace records

#endif
