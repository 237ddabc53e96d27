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
        return ColumnValue(FormatString("%d O'Neil & \"&amp;\" <\xe9>", k));
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

// Calls `each(columns, record)` for the ticket, its attached records and each
// line, a line once with the product's columns and once with its own.
template <class Each>
void ForEachPart(DBTicket& ticket, Each each)
{
    each(TicketTable().columns, ticket);
    each(CustomerTable().columns, static_cast<Customer&>(*ticket.customer));
    each(JobTable().columns, static_cast<Job&>(*ticket.job));
    each(FormulaTable().columns, static_cast<Formula&>(*ticket.formula));
    each(TruckTable().columns, static_cast<Truck&>(*ticket.truck));
    for (std::vector<DBProduct*>* list : {&ticket.matl_v, &ticket.prod_v})
        for (DBProduct* line : *list)
            if (line) {
                each(ProductTable().columns, static_cast<Product&>(*line));
                each(LineTable().columns, *line);
            }
}

}  // namespace

void FlipFlags(DBTicket& ticket)
{
    ForEachPart(ticket, [](const auto& columns, auto& record) {
        for (const auto& column : columns)
            if (column.kind == ColumnValue::Flag)
                column.set(record, ColumnValue(!column.get(record).flag));
    });
}

void FillLoaded(DBTicket& ticket, Values& values)
{
    // A load finds the ticket and each section by its identifier, and reads
    // a column with a path of its own from that other section.
    ForEachPart(ticket, [&](const auto& columns, auto& record) {
        Fill(Where(columns, [](const auto& c) { return std::string(c.column) != "id_c" && !c.readFrom; }), record,
             values);
    });
}

void FillAll(DBTicket& ticket, Values& values)
{
    ForEachPart(ticket, [&](const auto& columns, auto& record) { Fill(columns, record, values); });
}

void ExpectSameLine(const DBProduct& want, const DBProduct& got, bool material)
{
    SCOPED_TRACE("line " + want.Id());
    ExpectSameColumns<Product>(ProductTable().With(col::Snapshot), want, got);
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
        ExpectSameColumns<Customer>(CustomerTable().With(col::Snapshot), *want.customer, *got.customer);
    }
    {
        SCOPED_TRACE("job");
        ExpectSameColumns<Job>(JobTable().With(col::Snapshot), *want.job, *got.job);
    }
    {
        SCOPED_TRACE("formula");
        ExpectSameColumns<Formula>(FormulaTable().With(col::Snapshot), *want.formula, *got.formula);
    }
    {
        SCOPED_TRACE("truck");
        ExpectSameColumns<Truck>(TruckTable().With(col::Snapshot), *want.truck, *got.truck);
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
