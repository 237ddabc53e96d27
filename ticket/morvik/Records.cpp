#include "Records.h"

#include "FormatString.h"

std::string Shown(const FieldValue& v)
{
    switch (v.kind) {
    case FieldValue::Text: return OneLine(v.text);
    case FieldValue::Real: return Number(v.real);
    case FieldValue::Double: return Number(v.real, false);
    case FieldValue::Integer: return FormatString("%ld", v.integer);
    case FieldValue::Flag: break;
    }
    return v.flag ? "t" : "f";
}

void WriteValue(JsonWriter& json, const FieldValue& v)
{
    switch (v.kind) {
    case FieldValue::Text: json.String(v.text); break;
    case FieldValue::Real: json.Number(v.real); break;
    case FieldValue::Double: json.Number(v.real, false); break;
    case FieldValue::Integer: json.Integer(v.integer); break;
    case FieldValue::Flag: json.Bool(v.flag); break;
    }
}

namespace records {

const Columns<Customer> kCustomer = Taken(CustomerTable(), col::Snapshot);
const Columns<Truck> kTruck = Taken(TruckTable(), col::Snapshot);
const Columns<Job> kJob = Taken(JobTable(), col::Snapshot);
const Columns<Formula> kFormula = Taken(FormulaTable(), col::Snapshot);
const Columns<Product> kProduct = Taken(ProductTable(), col::Snapshot);
const Columns<DBProduct> kMaterialLine = Taken(LineTable(), col::Snapshot);
const Columns<DBProduct> kProductLine = Taken(LineTable(), col::Extra);
const Columns<Ticket> kTicketRow = Declared<Ticket>(
    TicketTable().Only({"id_c", "entry_c", "date_c", "invoice_c", "plant_c", "void_c", "user_c", "modified_c"}));
const Columns<Ticket> kTicketBatch = Declared<Ticket>(TicketTable().With(col::Shown));
const Columns<DBTicket> kTicketBatching = Taken(TicketTable(), col::Machine);
const Columns<Ticket> kBatchOptions = Declared<Ticket>(TicketTable().Only(
    {"ordernumber_c", "instructions_c", "mixer_c", "salestax_c", "printweights_c", "printprices_c", "printticket_c",
     "plant_c"}));

const Columns<TicketEvent> kTicketEvent = {
    {"event", &TicketEvent::event},
    {"time", &TicketEvent::time},
    {"kind", &TicketEvent::kind},
    {"who", &TicketEvent::who},
    {"client", &TicketEvent::client},
    {"printer", &TicketEvent::printer},
    {"invoice", &TicketEvent::invoice},
    {"copies", &TicketEvent::copies},
    {"reason", &TicketEvent::reason},
    {"digest", &TicketEvent::digest},
    {"hash", &TicketEvent::hash},
};

}  // namespace records
