// A load's whole life through the library, against the test cluster: master
// data, a queued batch of two cycles, the finished ticket stored with its
// snapshot and booked, printed by the real velmora, voided, taken off.

#include <cmath>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "8418.h"
#include "DBTicket.h"
#include "FixedPaths.h"
#include "FormatString.h"
#include "MasterRecords.h"
#include "PgFixture.h"
#include "Process.h"

namespace {

class LifeTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        MakeDirs(fixedpaths::kConfigDir);
        WriteFile(std::string(fixedpaths::kConfigDir) + "database.f", "[database]\nhost addr=localhost\n");
        Exec("INSERT INTO batchcounter_t(plant_c) VALUES (1)");
        ASSERT_TRUE(masters::SavePlant(kOwnerConnInfo));
    }

    void TearDown() override
    {
        std::remove((std::string(fixedpaths::kConfigDir) + "database.f").c_str());
        PgFixture::TearDown();
    }

    std::string Value(const std::string& sql) { return Query(sql).value_or("NULL"); }
    double Number(const std::string& sql) { return std::atof(Value(sql).c_str()); }
};

TEST_F(LifeTest, AQueuedLoadIsMadeStoredBookedPrintedVoidedAndTakenOff)
{
    DBTicket q(kOwnerConnInfo);
    LoadOrder order;
    order.job = "j1";
    order.customer = "ohara";
    order.truck = "tr7";
    order.size = 8;
    order.cycles = 2;
    order.id = "Load-1";
    order.choose = [](Ticket& batch) { batch.Plant(1); };
    ASSERT_TRUE(q.QueueLoad(order)) << q.ErrorMsg();
    const int entry = q.Entry();

    DBTicket queued(kOwnerConnInfo);
    ASSERT_TRUE(queued.LoadById("LOAD-1")) << queued.ErrorMsg();
    EXPECT_EQ(entry, queued.Entry());
    EXPECT_EQ("J1 OHARA MIX30 TR7", queued.JobId() + " " + queued.CustomerId() + " " + queued.FormulaId() + " " +
                                        queued.TruckId());
    EXPECT_EQ("O'Hara Ltd", queued.customer->Name());
    EXPECT_EQ("J\xf6rg", queued.Driver());
    EXPECT_EQ("Harbour Rd 4", queued.Deliverto());
    std::string lines;
    for (const DBProduct* m : queued.matl_v)
        lines += FormatString("%s=%g ", m->Id().c_str(), m->target_c);
    EXPECT_EQ("SAND=3.6 STONE=4.4 CEM=1 AIR=2 WATER=0.5 ", lines);
    ASSERT_EQ(1u, queued.prod_v.size());
    EXPECT_FLOAT_EQ(45, queued.prod_v[0]->UnitPrice());

    // The first cycle is made and stored; the rest goes back into the queue.
    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.FinishBatch(entry, {{"sand", 3.7f}}, {{"STONE", 2}})) << t.ErrorMsg();
    EXPECT_EQ("T1", t.Id());
    EXPECT_FLOAT_EQ(4.488f, t.matl_v[1]->actual_c);
    // The snapshot holds the job as it was before this load was booked.
    t.job->LoadsDelivered(t.job->LoadsDelivered() - 1);
    t.job->QuantityDelivered(t.job->QuantityDelivered() - t.Batchsize());
    std::ostringstream stored;
    PrintTicket(stored, &t, "1", "yes", 0, 0, "View Copy", true, true);

    EXPECT_EQ("1 8", Value("SELECT loadsdelivered_c || ' ' || yardsdelivered_c::float8 FROM batchcounter_t"));
    EXPECT_EQ("1 8 45", Value("SELECT totalbatches_c || ' ' || totalyards_c::float8 || ' ' || balance_c::float8 "
                              "FROM customer_t"));
    EXPECT_EQ("Id T1 0 45", Value("SELECT name_c || ' ' || prevbalance_c::float8 || ' ' || "
                                  "newbalance_c::float8 FROM payment_t"));
    EXPECT_EQ("1 8", Value("SELECT loadsdelivered_c || ' ' || quantitydelivered_c::float8 FROM job_t"));
    EXPECT_EQ("1", Value("SELECT totalbatches_c FROM formula_t"));
    EXPECT_EQ("1 8", Value("SELECT loadsdelivered_c || ' ' || yardsdelivered_c::float8 FROM truck_t"));
    EXPECT_NEAR(3.7, Number("SELECT actualusage1_c FROM product_t WHERE id_c='SAND'"), 1e-4);
    EXPECT_NEAR(-3.7, Number("SELECT balance_c FROM product_t WHERE id_c='SAND'"), 1e-4);
    EXPECT_EQ("1", Value("SELECT actualusage2_c::float8 FROM product_t WHERE id_c='PUMP'"));
    EXPECT_EQ("PUMP:1:45", Value("SELECT productid_c || ':' || amount_c || ':' || price_c FROM productlinker_t "
                                 "WHERE linkid_c='Job1'"));

    // The finished batch is off the queue with its links; the rest is queued.
    EXPECT_EQ("Entry2 1", Value("SELECT string_agg(id_c || ' ' || cycles_c, ',') FROM batch_t"));
    EXPECT_EQ("BatchEntry2 Job1 MIX30",
              Value("SELECT string_agg(DISTINCT linkid_c, ' ' ORDER BY linkid_c) FROM productlinker_t"));

    // velmora prints the stored ticket exactly as the ticket in memory prints.
    ProcessResult view = RunProcess({VELMORA_BINARY, "view", "", "t1", "1", "yes"});
    EXPECT_EQ(0, view.exitStatus);
    EXPECT_EQ(stored.str(), view.out);

    ASSERT_TRUE(t.VoidTicket());
    EXPECT_EQ("t", Value("SELECT void_c FROM ticket_t WHERE id_c='T1'"));

    // The last cycle leaves nothing queued; a batch finished is not there to
    // finish again.
    DBTicket last(kOwnerConnInfo);
    ASSERT_TRUE(last.FinishBatch(2, {}, {})) << last.ErrorMsg();
    EXPECT_EQ("T2", last.Id());
    EXPECT_EQ("0", Value("SELECT count(*) FROM batch_t"));
    DBTicket again(kOwnerConnInfo);
    EXPECT_FALSE(again.FinishBatch(2, {}, {}));
    EXPECT_EQ("batch 2 not found", again.ErrorMsg());
}

}  // namespace
