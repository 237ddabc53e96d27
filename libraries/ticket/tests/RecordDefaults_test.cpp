#include <map>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBProduct.h"
#include "DBTicket.h"
#include "DBTruck.h"

namespace {

// Every column of a fresh record is zero, empty or false but the few named
// with their defaults: a loader that finds no row leaves exactly these values
// on the printed ticket.
template <class R>
void ExpectFresh(const ColumnList<R>& columns, const std::map<std::string, double>& defaults)
{
    R fresh;
    for (const RecordColumn<R>& column : columns) {
        auto named = defaults.find(column.column);
        double want = named == defaults.end() ? 0 : named->second;
        ColumnValue v = column.get(fresh);
        switch (v.kind) {
        case ColumnValue::Text: EXPECT_EQ("", v.text) << column.column; break;
        case ColumnValue::Integer: EXPECT_EQ(static_cast<long>(want), v.integer) << column.column; break;
        case ColumnValue::Flag: EXPECT_EQ(want != 0, v.flag) << column.column; break;
        case ColumnValue::Real:
        case ColumnValue::Double: EXPECT_FLOAT_EQ(want, v.real) << column.column; break;
        }
    }
}

// The ticket's table also holds the columns of the persistent ticket; these
// are the plain ticket's.
ColumnList<Ticket> TicketColumns()
{
    ColumnList<Ticket> columns;
    for (const RecordColumn<DBTicket>& column : TicketTable().columns)
        if (column.Of<Ticket>())
            columns.push_back(column.As<Ticket>());
    return columns;
}

struct FreshCase {
    const char* name;
    void (*check)();
};

void PrintTo(const FreshCase& c, std::ostream* os)
{
    *os << c.name;
}

class RecordDefaults : public testing::TestWithParam<FreshCase> {};

TEST_P(RecordDefaults, EveryColumnStartsAtItsDefault)
{
    GetParam().check();
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordDefaults,
    testing::Values(
        FreshCase{"Ticket",
                  [] {
                      ColumnList<Ticket> columns = TicketColumns();
                      EXPECT_FALSE(columns.empty());
                      ExpectFresh(columns, {{"plant_c", 1}, {"batchsize_c", 1}, {"cycles_c", 1}});
                  }},
        FreshCase{"Truck",
                  [] { ExpectFresh(TruckTable().columns, {{"dischargerate_c", 100}, {"dischargecode_c", 1}}); }},
        FreshCase{"Customer",
                  [] {
                      ExpectFresh(CustomerTable().columns, {});
                      // Fields of the record that are no column of its table.
                      Customer c;
                      EXPECT_EQ(1, c.CreditStatus());
                      EXPECT_EQ("", c.Memo());
                  }},
        FreshCase{"Job", [] { ExpectFresh(JobTable().columns, {}); }},
        FreshCase{"Product", [] { ExpectFresh(ProductTable().columns, {}); }},
        FreshCase{"Formula", [] { ExpectFresh(FormulaTable().columns, {}); }}),
    [](const testing::TestParamInfo<FreshCase>& info) { return std::string(info.param.name); });

}  // namespace
