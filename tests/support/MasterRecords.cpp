#include "MasterRecords.h"

#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBTicket.h"
#include "DBTruck.h"

namespace masters {

void AddLines(const std::string& conninfo, std::vector<DBProduct*>& list, const std::vector<Line>& lines)
{
    for (const Line& line : lines) {
        auto* product = new DBProduct(conninfo);
        product->Id(line.product);
        product->amount_c = line.amount;
        product->position_c = line.position;
        product->UnitPrice(line.price);
        list.push_back(product);
    }
}

bool SaveProduct(const std::string& conninfo, const std::string& id, const std::string& type,
                 const std::string& description)
{
    DBProduct p(conninfo);
    p.Id(id);
    p.Type(type);
    p.Description(description);
    return p.Save(false);
}

bool SaveProducts(const std::string& conninfo, const std::vector<std::pair<std::string, std::string>>& products)
{
    for (const auto& [id, type] : products)
        if (!SaveProduct(conninfo, id, type, id))
            return false;
    return true;
}

bool SaveCustomer(const std::string& conninfo, const std::string& id, const std::string& name)
{
    DBCustomer c(conninfo);
    c.Id(id);
    c.Name(name);
    return c.Save(false);
}

bool SaveTruck(const std::string& conninfo, const std::string& id, const std::string& driver)
{
    DBTruck t(conninfo);
    t.Id(id);
    t.Driver(driver);
    return t.Save(false);
}

bool SaveFormula(const std::string& conninfo, const std::string& id, const std::string& description,
                 const std::vector<Line>& materials)
{
    DBFormula f(conninfo);
    f.Id(id);
    f.Description(description);
    AddLines(conninfo, f.matl_v, materials);
    return f.Save(false) && f.SaveMatl();
}

bool SaveJob(const std::string& conninfo, int entry, const std::string& id, const std::string& customer,
             const std::string& deliverto, const std::string& formula, float batchsize,
             const std::vector<Line>& materials, const std::vector<Line>& products)
{
    DBJob j(conninfo);
    j.Entry(entry);
    j.Id(id);
    j.CustomerId(customer);
    j.Deliverto(deliverto);
    j.FormulaId(formula);
    j.Batchsize(batchsize);
    AddLines(conninfo, j.matl_v, materials);
    AddLines(conninfo, j.prod_v, products);
    return j.Save(false) && j.SaveMatl() && j.SaveProd();
}

bool SavePlant(const std::string& conninfo)
{
    return SaveProducts(conninfo, {{"SAND", "agg"}, {"STONE", "agg"}, {"CEM", "cmt"}, {"AIR", "admix"},
                                   {"WATER", "water"}, {"PUMP", "fee"}}) &&
           SaveCustomer(conninfo, "OHARA", "O'Hara Ltd") && SaveTruck(conninfo, "TR7", "J\xf6rg") &&
           SaveFormula(conninfo, "MIX30", "30 MPa pump mix",
                       {{"SAND", 0.45f, 1}, {"STONE", 0.55f, 2}, {"CEM", 0.125f, 3}, {"AIR", 0.25f, 4},
                        {"WATER", 0.0625f, 5}}) &&
           SaveJob(conninfo, 1, "J1", "OHARA", "Harbour Rd 4", "MIX30", 8, {}, {{"PUMP", 1, 1, 45}});
}

int QueueJ1(const std::string& conninfo)
{
    DBTicket batch(conninfo);
    LoadOrder order{"J1", "OHARA", "TR7", 8, 1, "", [](Ticket& t) { t.Plant(1); }};
    return batch.QueueLoad(order) ? batch.Entry() : 0;
}

}  // namespace masters
