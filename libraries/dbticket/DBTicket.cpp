#include "DBTicket.h"

#include "Mutex.h"

DBTicket::DBTicket(std::string conninfo)
    : DBObject(conninfo),
      customer(new DBCustomer(conninfo)),
      job(new DBJob(conninfo)),
      formula(new DBFormula(conninfo)),
      truck(new DBTruck(conninfo)),
      agg1_scale_start(0.0),
      agg1_scale_end(0.0),
      cmt1_scale_start(0.0),
      cmt1_scale_end(0.0),
      mutex(new Mutex),
      nummatl_c(0),
      numprod_c(0),
      inspect_batch(false),
      manual_batch(false),
      manual_weighup(false),
      manual_discharge(false),
      simulated_batch(false),
      mixing_time(0),
      mix_time(0),
      slump_water(0)
{
}

DBTicket::~DBTicket()
{
    delete customer;
    customer = nullptr;
    delete job;
    job = nullptr;
    delete formula;
    formula = nullptr;
    delete truck;
    truck = nullptr;
    delete mutex;
    mutex = nullptr;
    DeleteProducts(matl_v);
    DeleteProducts(prod_v);
}

bool DBTicket::IsFormulaMetric() const
{
    if (!formula)
        return false;
    std::string units = formula->UsMetric();
    return units == "metric" || units == "Metric" || units == "METRIC";
}

// Nothing else records what a truck can carry, so the ticket answers with
// its truck's largest load.
float DBTicket::MaxLoadSize() const
{
    return truck ? truck->MaxLoadSize() : 0.0f;
}

std::string DBTicket::BatchLinkId() const
{
    return "Batch" + Id();
}
