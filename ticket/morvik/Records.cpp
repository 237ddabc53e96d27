#include "Records.h"

#include "FormatString.h"

std::string FieldValue::Shown() const
{
    switch (kind) {
    case Text: return OneLine(text);
    case Real: return Number(real);
    case Double: return Number(real, false);
    case Integer: return FormatString("%ld", integer);
    case Flag: break;
    }
    return flag ? "t" : "f";
}

void FieldValue::Write(JsonWriter& json) const
{
    switch (kind) {
    case Text: json.String(text); break;
    case Real: json.Number(real); break;
    case Double: json.Number(real, false); break;
    case Integer: json.Integer(integer); break;
    case Flag: json.Bool(flag); break;
    }
}

namespace records {

const Columns<Customer> kCustomer = {
    {"id", &Customer::Id},
    {"name", &Customer::Name, &Customer::Name},
    {"street", &Customer::Street, &Customer::Street},
    {"city", &Customer::City, &Customer::City},
    {"state", &Customer::State, &Customer::State},
    {"zipcode", &Customer::Zipcode, &Customer::Zipcode},
    {"phone", &Customer::Phone, &Customer::Phone},
    {"fax", &Customer::Fax, &Customer::Fax},
    {"email", &Customer::Email, &Customer::Email},
    {"contact", &Customer::Contact, &Customer::Contact},
    {"cellphone", &Customer::Cellphone, &Customer::Cellphone},
    {"taxexempt", &Customer::TaxExempt, &Customer::TaxExempt},
    {"printticket", &Customer::PrintTicket, &Customer::PrintTicket},
};

// The customer and the formula are options of their own: they name records.
const Columns<Job> kJob = {
    {"id", &Job::Id},
    {"customerid", &Job::CustomerId},
    {"formulaid", &Job::FormulaId},
    {"deliverto", &Job::Deliverto, &Job::Deliverto},
    {"street", &Job::Street, &Job::Street},
    {"city", &Job::City, &Job::City},
    {"state", &Job::State, &Job::State},
    {"zipcode", &Job::Zipcode, &Job::Zipcode},
    {"orderdate", &Job::OrderDate, &Job::OrderDate},
    {"deliverdate", &Job::DeliverDate, &Job::DeliverDate},
    {"delivertime", &Job::DeliverTime, &Job::DeliverTime},
    {"instructions", &Job::Instructions, &Job::Instructions},
    {"quantityordered", &Job::QuantityOrdered, &Job::QuantityOrdered},
    {"quantitydelivered", &Job::QuantityDelivered},
    {"loadsdelivered", &Job::LoadsDelivered},
    {"formulaprice", &Job::FormulaPrice, &Job::FormulaPrice},
    {"batchsize", &Job::Batchsize, &Job::Batchsize},
    {"taxable", &Job::Taxable, &Job::Taxable},
    {"salestax", &Job::SalesTax, &Job::SalesTax, ParsePercent},
    {"grandtotal", &Job::GrandTotal, &Job::GrandTotal},
};

const Columns<Formula> kFormula = {
    {"id", &Formula::Id},
    {"description", &Formula::Description, &Formula::Description},
    {"usmetric", &Formula::UsMetric, &Formula::UsMetric},
    {"maxwateramount", &Formula::MaxWaterAmount, &Formula::MaxWaterAmount},
    {"watercementratio", &Formula::WaterCementRatio, &Formula::WaterCementRatio},
    {"taxable", &Formula::Taxable, &Formula::Taxable},
    {"price", &Formula::Price, &Formula::Price},
};

const Columns<Truck> kTruck = {
    {"id", &Truck::Id},
    {"driver", &Truck::Driver, &Truck::Driver},
    {"cellphone", &Truck::Cellphone, &Truck::Cellphone},
    {"dischargerate", &Truck::DischargeRate, &Truck::DischargeRate},
    {"dischargecode", &Truck::DischargeCode, &Truck::DischargeCode},
    {"maxloadsize", &Truck::MaxLoadSize, &Truck::MaxLoadSize},
};

const Columns<Truck> kTruckTrip = {
    {"onjob", &Truck::OnJob},
    {"offjob", &Truck::OffJob},
    {"leftover", &Truck::LeftOver},
};

const Columns<Product> kProduct = {
    {"id", &Product::Id},
    {"type", &Product::Type, &Product::Type},
    {"description", &Product::Description, &Product::Description},
    {"usmetric", &Product::UsMetric, &Product::UsMetric},
    {"unitmeasure", &Product::UnitMeasure, &Product::UnitMeasure},
    {"taxable", &Product::Taxable, &Product::Taxable},
    {"unitprice", &Product::UnitPrice, &Product::UnitPrice},
};

const Columns<DBProduct> kMaterialLine = {
    {"amount", &DBProduct::amount_c},
    {"position", &DBProduct::position_c},
    {"target", &DBProduct::target_c},
    {"cumtarget", &DBProduct::cumtarget_c},
    {"adjustedtarget", &DBProduct::adjustedtarget_c},
    {"actual", &DBProduct::actual_c},
    {"cumactual", &DBProduct::cumactual_c},
    {"moisture", &DBProduct::moisture_c},
    {"over", &DBProduct::over_c},
    {"low_tol", &DBProduct::low_tol_c},
    {"high_tol", &DBProduct::high_tol_c},
    {"scale_start", &DBProduct::scale_start_c},
    {"scale_end", &DBProduct::scale_end_c},
};

const Columns<DBProduct> kProductLine = {
    {"amount", &DBProduct::amount_c},
    {"position", &DBProduct::position_c},
};

const Columns<Ticket> kTicketRow = {
    {"id", &Ticket::Id},
    {"entry", &Ticket::Entry},
    {"date", &Ticket::Date},
    {"invoice", &Ticket::Invoice},
    {"plant", &Ticket::Plant},
    {"void", &Ticket::Void},
    {"user", &Ticket::User},
    {"modified", &Ticket::Modified},
};

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

const Columns<Ticket> kTicketBatch = {
    {"ordernumber", &Ticket::OrderNumber},
    {"timetobatch", &Ticket::TimeToBatch},
    {"datebatched", &Ticket::DateBatched},
    {"timebatched", &Ticket::TimeBatched},
    {"customerid", &Ticket::CustomerId},
    {"jobid", &Ticket::JobId},
    {"formulaid", &Ticket::FormulaId},
    {"truckid", &Ticket::TruckId},
    {"batchsize", &Ticket::Batchsize},
    {"returned", &Ticket::Returned},
    {"watertrim", &Ticket::WaterTrim},
    {"mixer", &Ticket::Mixer},
    {"cycles", &Ticket::Cycles},
    {"salestax", &Ticket::SalesTax},
    {"printweights", &Ticket::PrintWeights},
    {"printprices", &Ticket::PrintPrices},
    {"printticket", &Ticket::PrintTicket},
    {"formulaprice", &Ticket::FormulaPrice},
    {"subtotal", &Ticket::Subtotal},
    {"tax", &Ticket::Tax},
    {"total", &Ticket::Total},
    {"deliverto", &Ticket::Deliverto},
    {"street", &Ticket::Street},
    {"city", &Ticket::City},
    {"state", &Ticket::State},
    {"zipcode", &Ticket::Zipcode},
    {"instructions", &Ticket::Instructions},
    {"driver", &Ticket::Driver},
};

const Columns<DBTicket> kTicketBatching = {
    {"timecreated", &DBTicket::TimeCreated},
    {"timestarted", &DBTicket::TimeStarted},
    {"timefinished", &DBTicket::TimeFinished},
    {"slumpwater", &DBTicket::SlumpWater},
    {"manualbatch", &DBTicket::ManualBatch},
    {"manualweighup", &DBTicket::ManualWeighup},
    {"manualdischarge", &DBTicket::ManualDischarge},
    {"mixtime", &DBTicket::MixTime},
    {"mixingtime", &DBTicket::MixingTime},
    {"simulatedbatch", &DBTicket::SimulatedBatch},
    {"agg1scalestart", &DBTicket::agg1_scale_start},
    {"agg1scaleend", &DBTicket::agg1_scale_end},
    {"cmt1scalestart", &DBTicket::cmt1_scale_start},
    {"cmt1scaleend", &DBTicket::cmt1_scale_end},
};

const Columns<Customer> kCustomerUsage = {
    {"totalbatches", &Customer::TotalBatches},
    {"totalyards", &Customer::TotalYards},
    {"usagedate", &Customer::UsageDate},
    {"discount", &Customer::Discount},
};

const Columns<Formula> kFormulaUsage = {
    {"totalbatches", &Formula::TotalBatches},
    {"usagedate", &Formula::UsageDate},
};

const Columns<Truck> kTruckUsage = {
    {"loadsdelivered", &Truck::LoadsDelivered},
    {"yardsdelivered", &Truck::YardsDelivered},
    {"usagedate", &Truck::UsageDate},
    {"user", &Truck::User},
    {"modified", &Truck::Modified},
};

const Columns<Product> kProductUsage = {
    {"balance", &Product::Balance},
    {"targetusage1", &Product::TargetUsage1},
    {"adjtargetusage1", &Product::AdjTargetUsage1},
    {"actualusage1", &Product::ActualUsage1},
    {"usage1date", &Product::Usage1Date},
    {"targetusage2", &Product::TargetUsage2},
    {"adjtargetusage2", &Product::AdjTargetUsage2},
    {"actualusage2", &Product::ActualUsage2},
    {"usage2date", &Product::Usage2Date},
};

const Columns<Ticket> kBatchOptions = {
    {"ordernumber", &Ticket::OrderNumber, &Ticket::OrderNumber},
    {"instructions", &Ticket::Instructions, &Ticket::Instructions},
    {"mixer", &Ticket::Mixer, &Ticket::Mixer},
    {"salestax", &Ticket::SalesTax, &Ticket::SalesTax, ParsePercent},
    {"printweights", &Ticket::PrintWeights, &Ticket::PrintWeights},
    {"printprices", &Ticket::PrintPrices, &Ticket::PrintPrices},
    {"printticket", &Ticket::PrintTicket, &Ticket::PrintTicket},
    {"plant", &Ticket::Plant, &Ticket::Plant},
};

}  // namespace records
