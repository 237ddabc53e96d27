#include "SampleTickets.h"

#include "FormatString.h"

namespace samples {

DBProduct* AddLine(std::vector<DBProduct*>& list, const std::string& id, const std::string& type,
                   const std::string& description, float amount, float target, float actual, float moisture)
{
    DBProduct* line = new DBProduct("");
    line->Id(id);
    line->Type(type);
    line->Description(description);
    line->amount_c = amount;
    line->position_c = static_cast<int>(list.size()) + 1;
    line->target_c = target;
    line->actual_c = actual;
    line->moisture_c = moisture;
    list.push_back(line);
    return line;
}

namespace {

std::unique_ptr<DBTicket> Base(int entry, const std::string& id)
{
    auto t = std::make_unique<DBTicket>("");
    t->Entry(entry);
    t->Id(id);
    t->Date("2026-12-01");
    t->Plant(1);
    t->PrintTicket(true);
    t->PrintPrices(true);
    t->PrintWeights(true);
    t->DateBatched("2026-12-01");
    t->TimeBatched("07:52:10");
    t->TimeCreated("2026-12-01 07:30:00");
    t->TimeStarted("2026-12-01 07:45:00");
    t->TimeFinished("2026-12-01 07:52:10");
    t->User("dispatch");
    t->Modified("2026-12-01 07:52:11");
    return t;
}

void Customer(DBTicket& t, const std::string& id, const std::string& name, const std::string& street,
              const std::string& city, const std::string& state, const std::string& zip)
{
    t.CustomerId(id);
    t.customer->Id(id);
    t.customer->Name(name);
    t.customer->Street(street);
    t.customer->City(city);
    t.customer->State(state);
    t.customer->Zipcode(zip);
    t.customer->PrintTicket(true);
}

void Formula(DBTicket& t, const std::string& id, const std::string& description, const std::string& units,
             float price)
{
    t.FormulaId(id);
    t.formula->Id(id);
    t.formula->Description(description);
    t.formula->UsMetric(units);
    t.formula->Price(price);
    t.FormulaPrice(price);
}

void Truck(DBTicket& t, const std::string& id, const std::string& driver)
{
    t.TruckId(id);
    t.truck->Id(id);
    t.truck->Driver(driver);
    t.Driver(driver);
}

void Job(DBTicket& t, const std::string& id, float ordered, float delivered, int loads)
{
    t.JobId(id);
    t.job->Id(id);
    t.job->CustomerId(t.CustomerId());
    t.job->FormulaId(t.FormulaId());
    t.job->QuantityOrdered(ordered);
    t.job->QuantityDelivered(delivered);
    t.job->LoadsDelivered(loads);
}

void Totals(DBTicket& t, float products)
{
    float subtotal = t.FormulaPrice() * t.Batchsize() + products;
    t.Subtotal(subtotal);
    t.Tax(subtotal * 0.07f);
    t.Total(subtotal + t.Tax());
}

}  // namespace

std::unique_ptr<DBTicket> Imperial()
{
    auto t = Base(101, "T1001");
    Customer(*t, "C100", "Hillside Builders", "12 Quarry Road", "Ashford", "OR", "97001");
    Formula(*t, "F3000", "3000 PSI 1in stone", "us", 95.5f);
    Truck(*t, "T12", "Bob Kessler");
    Job(*t, "J500", 120.0f, 42.5f, 5);
    t->Deliverto("Lot 7 foundation");
    t->Street("44 Ridge Lane");
    t->City("Ashford");
    t->State("OR");
    t->Zipcode("97001");
    t->Instructions("Call on arrival\nBack in from the north gate");
    t->OrderNumber("PO-7781");
    t->Batchsize(8.5f);
    AddLine(t->matl_v, "SAND", "agg", "Concrete sand", 1300, 11050, 11120, 5.0f);
    AddLine(t->matl_v, "STONE1", "agg", "1in washed stone", 1800, 15300, 15240, 1.5f);
    AddLine(t->matl_v, "CEM1", "cmt", "Type I/II cement", 517, 4394, 4410, 0);
    AddLine(t->matl_v, "AIR", "admix", "Air entrainer", 4, 34, 34.5f, 0);
    AddLine(t->matl_v, "WATER", "water", "Water", 30, 255, 250, 0);
    DBProduct* fuel = AddLine(t->prod_v, "FUEL", "surcharge", "Fuel surcharge", 1, 1, 0, 0);
    fuel->UnitPrice(25.0f);
    DBProduct* fiber = AddLine(t->prod_v, "FIBER", "extra", "Fiber mesh", 8.5f, 8.5f, 0, 0);
    fiber->UnitPrice(6.75f);
    Totals(*t, 25.0f + 8.5f * 6.75f);
    return t;
}

std::unique_ptr<DBTicket> Metric()
{
    auto t = Base(102, "M2002");
    Customer(*t, "C200", "Northern Civil Ltd", "Unit 4 Mill Street", "Carrow", "NS", "B3K 5X5");
    Formula(*t, "M30", "30 MPa 20mm", "metric", 142.0f);
    Truck(*t, "K7", "Anna Lindqvist");
    Job(*t, "J600", 60.0f, 12.0f, 2);
    t->Deliverto("Bridge deck pour");
    t->Street("Route 2 overpass");
    t->City("Carrow");
    t->Zipcode("B3K 5X5");
    t->Batchsize(6.0f);
    t->PrintPrices(false);
    AddLine(t->matl_v, "SAND", "agg", "Fine aggregate", 780, 4680, 4702, 4.2f);
    AddLine(t->matl_v, "G20", "agg", "20mm gravel", 1050, 6300, 6288, 0.8f);
    AddLine(t->matl_v, "GU", "cmt", "GU cement", 340, 2040, 2046, 0);
    AddLine(t->matl_v, "SLAG", "cmt", "Slag cement", 60, 360, 362, 0);
    AddLine(t->matl_v, "WRA", "admix", "Water reducer", 1200, 7200, 7150, 0);
    AddLine(t->matl_v, "WATER", "water", "Water", 150, 900, 905, 0);
    Totals(*t, 0);
    return t;
}

std::unique_ptr<DBTicket> NoFormula()
{
    auto t = Base(103, "N3003");
    Customer(*t, "C300", "Walk-in cash sale", "", "", "", "");
    Truck(*t, "P1", "Yard pickup");
    t->Batchsize(1.0f);
    t->FormulaPrice(0);
    DBProduct* blocks = AddLine(t->prod_v, "BLOCK", "extra", "Ecology blocks", 4, 4, 0, 0);
    blocks->UnitPrice(45.0f);
    Totals(*t, 180.0f);
    return t;
}

std::unique_ptr<DBTicket> SpecialTexts()
{
    auto t = Base(104, "X4004");
    Customer(*t, "C&400", "Sand & Gravel <Caf\xe9 M\xfcller>", "Owner's Yard, \"Gate 3\"", "Gro\xdf" "bach", "BY",
             "80331");
    Formula(*t, "F<25>", "C25/30 \"pump\" & fibre", "us", 101.25f);
    Truck(*t, "T'9", "Se\xe1n O'Brien");
    Job(*t, "J&700", 30.0f, 10.0f, 1);
    t->Deliverto("Ma\xefs & Fils");
    t->Street("1 Rue de l'\xc9glise");
    t->City("Z\xfcrich");
    t->State("ZH");
    t->Zipcode("8001");
    t->Instructions("Gate code <4711> & ring\n\"Do not\" block the drive\nAsk for J\xf6rg\fbring ID");
    t->OrderNumber("A&B'C\"D<E>");
    t->Batchsize(3.25f);
    AddLine(t->matl_v, "SAND", "agg", "Sand & grit", 900, 2925, 2950, 3.5f);
    AddLine(t->matl_v, "CEM", "cmt", "Zement <CEM I>", 320, 1040, 1038, 0);
    AddLine(t->matl_v, "WATER", "water", "Wasser", 20, 65, 66, 0);
    DBProduct* pump = AddLine(t->prod_v, "PUMP", "extra", "Pump & boom \"36m\"", 1, 1, 0, 0);
    pump->UnitPrice(150.0f);
    Totals(*t, 150.0f);
    return t;
}

std::unique_ptr<DBTicket> Large()
{
    auto t = Base(105, "L5005");
    Customer(*t, "C500", "Metro Paving Partners", "900 Industrial Pkwy", "Lakeview", "MN", "55401");
    Formula(*t, "F4000HE", "4000 PSI high early", "us", 118.0f);
    Truck(*t, "T31", "Dana Whitfield");
    Job(*t, "J800", 400.0f, 180.0f, 20);
    t->Deliverto("Runway apron");
    t->Street("Airport Rd");
    t->City("Lakeview");
    t->State("MN");
    t->Zipcode("55401");
    t->Instructions("Apron section 3\nWashout at pit B");
    t->Batchsize(10.0f);
    const char* kinds[] = {"agg", "agg", "agg", "agg", "cmt", "cmt", "cmt", "admix", "admix", "admix", "admix",
                           "water"};
    for (int i = 0; i < 12; ++i) {
        float amount = 100.0f + 37.0f * i;
        AddLine(t->matl_v, FormatString("MAT%02d", i + 1), kinds[i], FormatString("Material number %d", i + 1),
                amount, amount * 10, amount * 10 + i - 5, kinds[i][0] == 'a' && kinds[i][1] == 'g' ? 2.5f : 0);
    }
    float products = 0;
    for (int i = 0; i < 8; ++i) {
        DBProduct* p = AddLine(t->prod_v, FormatString("EXTRA%d", i + 1), "extra",
                               FormatString("Extra product %d", i + 1), 1.0f + i, 1.0f + i, 0, 0);
        p->UnitPrice(5.0f * (i + 1));
        products += (1.0f + i) * 5.0f * (i + 1);
    }
    Totals(*t, products);
    return t;
}

std::vector<std::unique_ptr<DBTicket>> All()
{
    std::vector<std::unique_ptr<DBTicket>> all;
    all.push_back(Imperial());
    all.push_back(Metric());
    all.push_back(NoFormula());
    all.push_back(SpecialTexts());
    all.push_back(Large());
    return all;
}

std::string InsertStatement(const DBTicket& ticket)
{
    return FormatString("INSERT INTO ticket_t (entry_c, id_c, date_c, invoice_c, plant_c, void_c, user_c, "
                        "modified_c, xmldata_c) VALUES (%i, '%s', '%s', %i, %i, '%s', '%s', '%s', '%s')",
                        ticket.Entry(), SqlEscape(ticket.Id()).c_str(), SqlEscape(ticket.Date()).c_str(),
                        ticket.Invoice(), ticket.Plant(), ticket.Void() ? "t" : "f",
                        SqlEscape(ticket.User()).c_str(), SqlEscape(ticket.Modified()).c_str(),
                        SqlEscape(ticket.xmlString()).c_str());
}

}  // namespace samples
