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
#include "SampleTickets.h"

namespace {

using samples::AddLine;

class LifeTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        MakeDirs(fixedpaths::kConfigDir);
        WriteFile(std::string(fixedpaths::kConfigDir) + "database.f", "[database]\nhost addr=localhost\n");
        Exec("INSERT INTO batchcounter_t(plant_c) VALUES (1)");
        // Products, customer, truck, formula and job, all through the library.
        ASSERT_TRUE(masters::SaveProducts(kOwnerConnInfo, {{"SAND", "agg"}, {"STONE", "agg"}, {"CEM", "cmt"},
                                                           {"AIR", "admix"}, {"WATER", "water"}, {"PUMP", "fee"}}));
        ASSERT_TRUE(masters::SaveCustomer(kOwnerConnInfo, "OHARA", "O'Hara Ltd"));
        ASSERT_TRUE(masters::SaveTruck(kOwnerConnInfo, "TR7", "J\xf6rg"));
        ASSERT_TRUE(masters::SaveFormula(kOwnerConnInfo, "MIX30", "30 MPa pump mix",
                                         {{"SAND", 0.45f, 1}, {"STONE", 0.55f, 2}, {"CEM", 0.125f, 3},
                                          {"AIR", 0.25f, 4}, {"WATER", 0.0625f, 5}}));
        ASSERT_TRUE(masters::SaveJob(kOwnerConnInfo, 1, "J1", "OHARA", "Harbour Rd 4", "MIX30", 8, {},
                                     {{"PUMP", 1, 1, 45}}));
    }

    void TearDown() override
    {
        std::remove((std::string(fixedpaths::kConfigDir) + "database.f").c_str());
        PgFixture::TearDown();
    }

    // Queues a batch for the job the way the office does: the job's site and
    // price, the formula's materials and the job's products as its links.
    int Queue(const std::string& id, float size, int cycles)
    {
        DBJob job(kOwnerConnInfo);
        EXPECT_TRUE(job.LoadById("J1", "OHARA"));
        DBTicket q(kOwnerConnInfo);
        EXPECT_TRUE(q.LoadDefaults() && q.NextEntry());
        q.Id(id);
        q.JobId("J1");
        q.CustomerId("OHARA");
        q.FormulaId("MIX30");
        q.TruckId("TR7");
        q.Batchsize(size);
        q.Cycles(cycles);
        q.Deliverto(job.Deliverto());
        q.FormulaPrice(job.FormulaPrice());
        for (const DBProduct* m : job.formula->matl_v)
            AddLine(q.matl_v, m->Id(), m->Type(), "", m->amount_c, 0, 0, 0)->position_c = m->position_c;
        for (const DBProduct* p : job.prod_v)
            AddLine(q.prod_v, p->Id(), p->Type(), "", p->amount_c, 0, 0, 0)->UnitPrice(p->UnitPrice());
        EXPECT_TRUE(q.Batch(false) && q.SaveMatl() && q.SaveProd()) << q.ErrorMsg();
        return q.Entry();
    }

    std::string Value(const std::string& sql) { return Query(sql).value_or("NULL"); }
    double Number(const std::string& sql) { return std::atof(Value(sql).c_str()); }
};

TEST_F(LifeTest, AQueuedLoadIsMadeStoredBookedPrintedVoidedAndTakenOff)
{
    const int entry = Queue("Load-1", 8, 2);

    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.LoadByEntry(entry)) << t.ErrorMsg();
    DBTicket byId(kOwnerConnInfo);
    ASSERT_TRUE(byId.LoadById("LOAD-1")) << byId.ErrorMsg();
    EXPECT_EQ(entry, byId.Entry());
    EXPECT_EQ("O'Hara Ltd", t.customer->Name());
    EXPECT_EQ("J\xf6rg", t.truck->Driver());
    EXPECT_EQ("Harbour Rd 4", t.Deliverto());
    std::string lines;
    for (const DBProduct* m : t.matl_v)
        lines += FormatString("%s=%g ", m->Id().c_str(), m->target_c);
    EXPECT_EQ("SAND=3.6 STONE=4.4 CEM=1 AIR=2 WATER=0.5 ", lines);
    ASSERT_EQ(byId.matl_v.size(), t.matl_v.size());
    ASSERT_EQ(1u, t.prod_v.size());
    EXPECT_FLOAT_EQ(45, t.prod_v[0]->UnitPrice());

    // The first cycle is made; the rest goes back into the queue.
    const int rest = t.NextCycle();
    DBTicket queued(kOwnerConnInfo);
    ASSERT_TRUE(queued.LoadByEntry(rest));
    EXPECT_EQ(1, queued.Cycles());
    EXPECT_EQ(t.matl_v.size(), queued.matl_v.size());
    EXPECT_EQ(1u, queued.prod_v.size());

    t.Resize(4);
    t.GetDateTimeStart();
    for (DBProduct* m : t.matl_v)
        m->actual_c = m->target_c * 1.01f;
    t.GetDateTime();
    ASSERT_TRUE(t.NextTicketEntry());
    t.Id(FormatString("T%i", t.Entry()));
    t.Total(395.5f);
    ASSERT_TRUE(t.Save(false)) << t.ErrorMsg();
    std::ostringstream stored;
    PrintTicket(stored, &t, "1", "yes", 0, 0, "View Copy", true, true);
    ASSERT_TRUE(t.Update()) << t.ErrorMsg();

    EXPECT_EQ("1 4", Value("SELECT loadsdelivered_c || ' ' || yardsdelivered_c::float8 FROM batchcounter_t"));
    EXPECT_EQ("1 4 395.5", Value("SELECT totalbatches_c || ' ' || totalyards_c::float8 || ' ' || balance_c::float8 "
                                 "FROM customer_t"));
    EXPECT_EQ("Id T1 0 395.5", Value("SELECT name_c || ' ' || prevbalance_c::float8 || ' ' || "
                                     "newbalance_c::float8 FROM payment_t"));
    EXPECT_EQ("1 4", Value("SELECT loadsdelivered_c || ' ' || quantitydelivered_c::float8 FROM job_t"));
    EXPECT_EQ("1", Value("SELECT totalbatches_c FROM formula_t"));
    EXPECT_EQ("1 4", Value("SELECT loadsdelivered_c || ' ' || yardsdelivered_c::float8 FROM truck_t"));
    EXPECT_NEAR(1.8 * 1.01, Number("SELECT actualusage1_c FROM product_t WHERE id_c='SAND'"), 1e-4);
    EXPECT_NEAR(-1.8 * 1.01, Number("SELECT balance_c FROM product_t WHERE id_c='SAND'"), 1e-4);
    EXPECT_EQ("1", Value("SELECT actualusage2_c::float8 FROM product_t WHERE id_c='PUMP'"));
    EXPECT_EQ("PUMP:1:45", Value("SELECT productid_c || ':' || amount_c || ':' || price_c FROM productlinker_t "
                                 "WHERE linkid_c='Job1'"));

    // velmora prints the stored ticket exactly as the ticket in memory printed
    // when it was stored.
    ProcessResult view = RunProcess({VELMORA_BINARY, "view", "", "t1", "1", "yes"});
    EXPECT_EQ(0, view.exitStatus);
    EXPECT_EQ(stored.str(), view.out);

    ASSERT_TRUE(t.VoidTicket());
    EXPECT_EQ("t", Value("SELECT void_c FROM ticket_t WHERE id_c='T1'"));

    // The finished batch comes off the queue; the queued rest stays.
    DBTicket done(kOwnerConnInfo);
    ASSERT_TRUE(done.LoadById("load-1"));
    ASSERT_TRUE(done.Delete()) << done.ErrorMsg();
    EXPECT_EQ(FormatString("Entry%i", rest), Value("SELECT string_agg(id_c, ' ') FROM batch_t"));
    EXPECT_EQ(FormatString("BatchEntry%i Job1 MIX30", rest),
              Value("SELECT string_agg(DISTINCT linkid_c, ' ' ORDER BY linkid_c) FROM productlinker_t"));
}

}  // namespace
