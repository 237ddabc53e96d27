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

// In snapshot order. The batch's site and driver are read back from the job
// and truck sections they were copied to; the ticket row's own columns come
// last and belong to no section.
const RecordTable<DBTicket>& TicketTable()
{
    using namespace col;
    using T = Ticket;
    using D = DBTicket;
    using From = RecordColumn<DBTicket>::ReadFrom;
    static const RecordTable<DBTicket> table = {"batch_t", "batch_t", "id_c", {
        {"id_c", &T::Id, &T::Id, Default | SnapshotOut},
        {"ordernumber_c", &T::OrderNumber, &T::OrderNumber, Default | Snapshot | Shown | Option},
        {"timecreated_c", &D::TimeCreated, &D::TimeCreated, Snapshot | Unencoded | Machine},
        {"timetobatch_c", &T::TimeToBatch, &T::TimeToBatch, Default | Snapshot | Unencoded | Shown},
        {"timestarted_c", &D::TimeStarted, &D::TimeStarted, Snapshot | Unencoded | Machine},
        {"timefinished_c", &D::TimeFinished, &D::TimeFinished, Snapshot | Unencoded | Machine},
        {"datebatched_c", &T::DateBatched, &T::DateBatched, Snapshot | Unencoded | Shown},
        {"timebatched_c", &T::TimeBatched, &T::TimeBatched, Snapshot | Unencoded | Shown},
        {"customerid_c", &T::CustomerId, &T::CustomerId, Default | SnapshotIn | Shown, From{"customer_t/id_c"}},
        {"jobid_c", &T::JobId, &T::JobId, Default | SnapshotIn | Shown, From{"job_t/id_c"}},
        {"formulaid_c", &T::FormulaId, &T::FormulaId, Default | SnapshotIn | Shown, From{"formula_t/id_c"}},
        {"truckid_c", &T::TruckId, &T::TruckId, Default | SnapshotIn | Shown, From{"truck_t/id_c"}},
        {"batchsize_c", &T::Batchsize, &T::Batchsize, Default | Snapshot | Shown},
        {"returned_c", &T::Returned, &T::Returned, Default | Snapshot | Shown},
        {"watertrim_c", &T::WaterTrim, &T::WaterTrim, Default | Snapshot | Shown},
        {"mixer_c", &T::Mixer, &T::Mixer, Default | Snapshot | Shown | Option},
        {"cycles_c", &T::Cycles, &T::Cycles, Default | Snapshot | Shown},
        {"salestax_c", &T::SalesTax, &T::SalesTax, Default | Snapshot | Shown | Option | Percent},
        {"printweights_c", &T::PrintWeights, &T::PrintWeights, Default | Snapshot | Shown | Option},
        {"printprices_c", &T::PrintPrices, &T::PrintPrices, Default | Snapshot | Shown | Option},
        {"printticket_c", &T::PrintTicket, &T::PrintTicket, Default | Snapshot | Shown | Option},
        {"formulaprice_c", &T::FormulaPrice, &T::FormulaPrice, Snapshot | Money | QuotedInUpdate | Shown},
        {"subtotal_c", &T::Subtotal, &T::Subtotal, Snapshot | Money | Shown},
        {"tax_c", &T::Tax, &T::Tax, Snapshot | Money | Shown},
        {"total_c", &T::Total, &T::Total, Snapshot | Money | Shown},
        {"slumpwater_c", &D::SlumpWater, &D::SlumpWater, Snapshot | Machine},
        {"manualbatch_c", &D::ManualBatch, &D::ManualBatch, Snapshot | Machine},
        {"manualweighup_c", &D::ManualWeighup, &D::ManualWeighup, Snapshot | Machine},
        {"manualdischarge_c", &D::ManualDischarge, &D::ManualDischarge, Snapshot | Machine},
        {"mixtime_c", &D::MixTime, &D::MixTime, Snapshot | Machine},
        {"mixingtime_c", &D::MixingTime, &D::MixingTime, Snapshot | Machine},
        {"simulatedbatch_c", &D::SimulatedBatch, &D::SimulatedBatch, Snapshot | Machine},
        {"agg1scalestart_c", &D::agg1_scale_start, Snapshot | Money | Machine},
        {"agg1scaleend_c", &D::agg1_scale_end, Snapshot | Money | Machine},
        {"cmt1scalestart_c", &D::cmt1_scale_start, Snapshot | Money | Machine},
        {"cmt1scaleend_c", &D::cmt1_scale_end, Snapshot | Money | Machine},
        {"deliverto_c", &T::Deliverto, &T::Deliverto, Default | SnapshotIn | Shown, From{"job_t/deliverto_c"}},
        {"street_c", &T::Street, &T::Street, Default | SnapshotIn | Shown, From{"job_t/street_c"}},
        {"city_c", &T::City, &T::City, Default | SnapshotIn | Shown, From{"job_t/city_c"}},
        {"state_c", &T::State, &T::State, Default | SnapshotIn | Shown, From{"job_t/state_c"}},
        {"zipcode_c", &T::Zipcode, &T::Zipcode, Default | SnapshotIn | Shown, From{"job_t/zipcode_c"}},
        {"instructions_c", &T::Instructions, &T::Instructions,
         Default | SnapshotIn | Shown | Option, From{"job_t/instructions_c"}},
        {"driver_c", &T::Driver, &T::Driver, Default | SnapshotIn | Shown, From{"truck_t/driver_c"}},
        {"nummatl_c", &D::NumMatl, &D::NumMatl, SnapshotIn, From{"materials_t/nummatl_c"}},
        {"numprod_c", &D::NumProd, &D::NumProd, SnapshotIn, From{"products_t/numprod_c"}},
        {"entry_c", &T::Entry, &T::Entry, 0},
        {"date_c", &T::Date, &T::Date, 0},
        {"invoice_c", &T::Invoice, &T::Invoice, 0},
        {"plant_c", &T::Plant, &T::Plant, Default | Option},
        {"void_c", &T::Void, &T::Void, 0},
        {"user_c", &T::User, &T::User, 0},
        {"modified_c", &T::Modified, &T::Modified, 0},
    }};
    return table;
}

// What a material line adds to its product in a snapshot; an extra
// product's line has the Extra ones only.
const RecordTable<DBProduct>& LineTable()
{
    using namespace col;
    using P = DBProduct;
    static const RecordTable<DBProduct> table = {"productlinker_t", "matl", "id_c", {
        {"amount_c", &P::amount_c, Snapshot | Extra},
        {"position_c", &P::position_c, Snapshot | Extra},
        {"target_c", &P::target_c, Snapshot},
        {"cumtarget_c", &P::cumtarget_c, Snapshot},
        {"adjustedtarget_c", &P::adjustedtarget_c, Snapshot},
        {"actual_c", &P::actual_c, Snapshot},
        {"cumactual_c", &P::cumactual_c, Snapshot},
        {"moisture_c", &P::moisture_c, Snapshot},
        {"over_c", &P::over_c, Snapshot},
        {"low_tol_c", &P::low_tol_c, Snapshot},
        {"high_tol_c", &P::high_tol_c, Snapshot},
        {"scale_start_c", &P::scale_start_c, Snapshot},
        {"scale_end_c", &P::scale_end_c, Snapshot},
    }};
    return table;
}
