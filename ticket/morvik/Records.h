#ifndef MORVIK_RECORDS_H
#define MORVIK_RECORDS_H

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "Cli.h"
#include "Customer.h"
#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBProduct.h"
#include "DBTruck.h"
#include "DBTicket.h"
#include "DBTicketHistory.h"
#include "RecordColumns.h"
#include "Formula.h"
#include "Job.h"
#include "Output.h"
#include "Product.h"
#include "Truck.h"

// The fields of the records as morvik shows, exports and sets them, each
// named after its column without "_c". One table per record and use, written
// once here.

// One field's value, typed as its column is.
using FieldValue = ColumnValue;

// The value on one line of a "name: value" listing; flags as t and f.
std::string Shown(const FieldValue& value);
void WriteValue(JsonWriter& json, const FieldValue& value);

// A field read from a record: a getter or a data member. Given a setter as
// well, it is also an option "--name VALUE" of the commands that write the
// record; the setter's type, or the conversion the table names, says how
// strictly the text converts.
template <class R>
struct Column {
    // A column of the record's table, named without "_c"; an option when
    // the table says so.
    Column(const RecordColumn<R>& column) : name(column.Name()), get(column.get)
    {
        if (!column.Has(col::Option))
            return;
        if (column.Has(col::Percent))
            set = [put = column.set, what = "--" + name](R& r, const std::string& text) {
                put(r, ParsePercent(what, text));
            };
        else
            set = [put = column.set, kind = column.kind, what = "--" + name](R& r, const std::string& text) {
                put(r, Parsed(kind, what, text));
            };
    }
    template <class T>
    Column(const char* name, T (R::*getter)() const)
        : name(name), get([getter](const R& r) { return FieldValue((r.*getter)()); })
    {
    }
    template <class T>
    Column(const char* name, T R::*member) : name(name), get([member](const R& r) { return FieldValue(r.*member); })
    {
    }
    template <class T, class S>
    Column(const char* name, T (R::*getter)() const, void (R::*setter)(S))
        : Column(name, getter, setter, &Column::Convert<std::decay_t<S>>)
    {
    }
    // A field whose values are narrower than its type: a percent.
    template <class T, class S, class V>
    Column(const char* name, T (R::*getter)() const, void (R::*setter)(S),
           V (*parse)(const std::string&, const std::string&))
        : Column(name, getter)
    {
        set = [what = "--" + this->name, setter, parse](R& r, const std::string& text) {
            (r.*setter)(parse(what, text));
        };
    }

    std::string name;
    std::function<FieldValue(const R&)> get;
    // Empty for a field no option sets.
    std::function<void(R&, const std::string&)> set;

private:
    // The conversion the column's type says: every float a record holds is
    // an amount, a price or a rate, none negative.
    static FieldValue Parsed(FieldValue::Kind kind, const std::string& what, const std::string& text)
    {
        switch (kind) {
        case FieldValue::Real: return FieldValue(ParseAmount(what, text));
        case FieldValue::Double: return FieldValue(static_cast<double>(ParseAmount(what, text)));
        case FieldValue::Integer: return FieldValue(ParseInt(what, text));
        case FieldValue::Flag: return FieldValue(ParseFlag(what, text));
        case FieldValue::Text: break;
        }
        return FieldValue(text);
    }
    // The conversion the setter's type says. Every figure a record holds as
    // float is an amount, a price or a rate: none is negative.
    template <class V>
    static V Convert(const std::string& what, const std::string& text)
    {
        return Parse(what, text, static_cast<V*>(nullptr));
    }
    static std::string Parse(const std::string&, const std::string& text, std::string*) { return text; }
    static float Parse(const std::string& what, const std::string& text, float*) { return ParseAmount(what, text); }
    static int Parse(const std::string& what, const std::string& text, int*) { return ParseInt(what, text); }
    static bool Parse(const std::string& what, const std::string& text, bool*) { return ParseFlag(what, text); }
};

template <class R>
using Columns = std::vector<Column<R>>;

// The record parameter takes its type from the table, so a persistent object
// is passed as it is.
template <class R>
struct RecordOf {
    using type = R;
};

// The columns of a record's table that take part in any of `uses`.
template <class R>
Columns<R> Taken(const RecordTable<R>& table, unsigned uses)
{
    Columns<R> columns;
    for (const RecordColumn<R>& column : table.With(uses))
        columns.emplace_back(column);
    return columns;
}

// The columns among `columns` whose accessors are B's, as columns of B.
template <class B, class R>
Columns<B> Declared(const ColumnList<R>& columns)
{
    Columns<B> declared;
    for (const RecordColumn<R>& column : columns)
        if (column.template Of<B>())
            declared.emplace_back(column.template As<B>());
    return declared;
}

// What the office shows of a record: the stored fields of its snapshot
// section, then what only the record's table holds.
template <class R>
Columns<R> ShownColumns(const RecordTable<R>& table)
{
    Columns<R> columns;
    for (const RecordColumn<R>& column : table.columns)
        if ((column.Has(col::Snapshot) && column.Has(col::Written)) || column.Has(col::Shown))
            columns.emplace_back(column);
    return columns;
}

// Writes `columns` of `record` as "name: value" lines.
template <class R>
std::string ShowLines(const Columns<R>& columns, const typename RecordOf<R>::type& record)
{
    std::string text;
    for (const Column<R>& column : columns)
        text += column.name + ": " + Shown(column.get(record)) + "\n";
    return text;
}

// Writes `columns` of `record` as members of the open JSON object.
template <class R>
void WriteMembers(JsonWriter& json, const Columns<R>& columns, const typename RecordOf<R>::type& record)
{
    for (const Column<R>& column : columns)
        WriteValue(json.Key(column.name), column.get(record));
}

// Applies every option of `columns` the command line gives.
template <class R>
void ApplyOptions(const Columns<R>& columns, const Args& args, typename RecordOf<R>::type& record)
{
    for (const Column<R>& column : columns)
        if (column.set && args.Has(column.name))
            column.set(record, args.Value(column.name));
}

// The help lines of the options of `columns`.
template <class R>
std::vector<OptionDef> OptionDefs(const Columns<R>& columns)
{
    std::vector<OptionDef> defs;
    for (const Column<R>& column : columns)
        if (column.set)
            defs.push_back({column.name, "VALUE", "", false});
    return defs;
}

namespace records {

// What a ticket snapshot holds of each record, in snapshot order; the fields
// that "add" and "set" take as options have their setter.
extern const Columns<Customer> kCustomer;
extern const Columns<Job> kJob;
extern const Columns<Formula> kFormula;
extern const Columns<Truck> kTruck;
extern const Columns<Product> kProduct;
// The batching figures of a material line and of an extra-product line.
extern const Columns<DBProduct> kMaterialLine;
extern const Columns<DBProduct> kProductLine;
// The ticket's own fields: the columns of its row, then the snapshot's batch section.
extern const Columns<Ticket> kTicketRow;
extern const Columns<Ticket> kTicketBatch;
extern const Columns<DBTicket> kTicketBatching;
// One event of a ticket's history, as stored.
extern const Columns<TicketEvent> kTicketEvent;

// The batch fields "batch queue" takes beyond the ones it always sets.
extern const Columns<Ticket> kBatchOptions;

}  // namespace records

#endif
