#include "RecordCheck.h"

#include "FormatString.h"

namespace records {

ColumnValue Values::Next(ColumnValue::Kind kind, bool money, bool unencoded)
{
    int k = n++;
    switch (kind) {
    case ColumnValue::Text:
        if (unencoded)
            return ColumnValue(FormatString("%02d:%02d:%02d", k / 3600 % 24, k / 60 % 60, k % 60));
        return ColumnValue(FormatString("%d O'C & <\xe9\">", k));
    case ColumnValue::Real:
    case ColumnValue::Double: {
        double magnitude = k + (money ? 0.25 : 0.375);
        return ColumnValue(k % 2 ? -magnitude : magnitude);
    }
    case ColumnValue::Integer: return ColumnValue(k);
    case ColumnValue::Flag:
        flag = !flag;
        return ColumnValue(flag);
    }
    return ColumnValue(k);
}

namespace {

// A snapshot load finds the ticket and each section by its identifier, and
// reads a column with a path of its own from that other section.
template <class R>
ColumnList<R> LoadedNotKeys(const ColumnList<R>& columns)
{
    return Where(columns, [](const RecordColumn<R>& c) { return std::string(c.column) != "id_c" && !c.readFrom; });
}

template <class R>
void Flip(const ColumnList<R>& columns, R& record)
{
    for (const RecordColumn<R>& column : columns)
        if (column.kind == ColumnValue::Flag)
            column.set(record, ColumnValue(!column.get(record).flag));
}

// What a snapshot line holds: the product's snapshot columns and the line's.
template <class Each>
void ForLines(DBTicket& ticket, Each each)
{
    for (std::vector<DBProduct*>* list : {&ticket.matl_v, &ticket.prod_v})
        for (DBProduct* line : *list)
            if (line)
                each(*line);
}

}  // namespace

void FlipFlags(DBTicket& ticket)
{
    Flip(TicketTable().columns, ticket);
    Flip<Customer>(CustomerTable().columns, *ticket.customer);
    Flip<Job>(JobTable().columns, *ticket.job);
    Flip<Formula>(FormulaTable().columns, *ticket.formula);
    Flip<Truck>(TruckTable().columns, *ticket.truck);
    ForLines(ticket, [](DBProduct& line) {
        Flip<Product>(ProductTable().columns, line);
        Flip(LineTable().columns, line);
    });
}

void FillLoaded(DBTicket& ticket, Values& values)
{
    Fill(LoadedNotKeys(TicketTable().columns), ticket, values);
    Fill<Customer>(LoadedNotKeys(CustomerTable().With(col::SnapshotIn)), *ticket.customer, values);
    Fill<Job>(LoadedNotKeys(JobTable().With(col::SnapshotIn)), *ticket.job, values);
    Fill<Formula>(LoadedNotKeys(FormulaTable().With(col::SnapshotIn)), *ticket.formula, values);
    Fill<Truck>(LoadedNotKeys(TruckTable().With(col::SnapshotIn)), *ticket.truck, values);
    ForLines(ticket, [&](DBProduct& line) {
        Fill<Product>(LoadedNotKeys(ProductTable().With(col::SnapshotIn)), line, values);
        Fill(LineTable().columns, line, values);
    });
}

void FillAll(DBTicket& ticket, Values& values)
{
    Fill(TicketTable().columns, ticket, values);
    Fill<Customer>(CustomerTable().columns, *ticket.customer, values);
    Fill<Job>(JobTable().columns, *ticket.job, values);
    Fill<Formula>(FormulaTable().columns, *ticket.formula, values);
    Fill<Truck>(TruckTable().columns, *ticket.truck, values);
    ForLines(ticket, [&](DBProduct& line) {
        Fill<Product>(ProductTable().columns, line, values);
        Fill(LineTable().columns, line, values);
    });
}

void ExpectSameLine(const DBProduct& want, const DBProduct& got, bool material)
{
    SCOPED_TRACE("line " + want.Id());
    ExpectSameColumns<Product>(ProductTable().With(col::SnapshotIn), want, got);
    ExpectSameColumns(material ? LineTable().columns : LineTable().With(col::Extra), want, got);
}

void ExpectSameLines(const std::vector<DBProduct*>& want, const std::vector<DBProduct*>& got, bool material)
{
    ASSERT_EQ(want.size(), got.size());
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_NE(nullptr, got[i]) << "slot " << i;
        ExpectSameLine(*want[i], *got[i], material);
    }
}

void ExpectSameTicket(const DBTicket& want, const DBTicket& got)
{
    // The counts are written from the lists, whatever the fields hold.
    auto notCount = [](const RecordColumn<DBTicket>& c) {
        return std::string(c.column) != "nummatl_c" && std::string(c.column) != "numprod_c";
    };
    ExpectSameColumns(Where(TicketTable().columns, notCount), want, got);
    EXPECT_EQ(static_cast<int>(want.matl_v.size()), got.NumMatl());
    EXPECT_EQ(static_cast<int>(want.prod_v.size()), got.NumProd());
    {
        SCOPED_TRACE("customer");
        ExpectSameColumns<Customer>(CustomerTable().With(col::SnapshotIn), *want.customer, *got.customer);
    }
    {
        SCOPED_TRACE("job");
        ExpectSameColumns<Job>(JobTable().With(col::SnapshotIn), *want.job, *got.job);
    }
    {
        SCOPED_TRACE("formula");
        ExpectSameColumns<Formula>(FormulaTable().With(col::SnapshotIn), *want.formula, *got.formula);
    }
    {
        SCOPED_TRACE("truck");
        ExpectSameColumns<Truck>(TruckTable().With(col::SnapshotIn), *want.truck, *got.truck);
    }
    {
        SCOPED_TRACE("materials");
        ExpectSameLines(want.matl_v, got.matl_v, true);
    }
    {
        SCOPED_TRACE("products");
        ExpectSameLines(want.prod_v, got.prod_v, false);
    }
}

}  // namespace records
