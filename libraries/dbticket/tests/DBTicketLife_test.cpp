// Units of work and a load's life against the test cluster: what a second
// finisher, a killed process or a stalled server leaves behind.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "DBTicket.h"
#include "MasterRecords.h"
#include "PgFixture.h"
#include "ProgressCapture.h"
#include "StallingProxy.h"
#include "UnitOfWork.h"

namespace {

class LifeUnitTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        Exec("INSERT INTO batchcounter_t(plant_c) VALUES (1)");
        ASSERT_TRUE(masters::SavePlant(kOwnerConnInfo));
    }

    // Queues a load of job J1 and returns its entry.
    int Queue(int cycles)
    {
        DBTicket batch(kOwnerConnInfo);
        LoadOrder order{"J1", "OHARA", "TR7", 8, cycles, "", [](Ticket& t) { t.Plant(1); }};
        EXPECT_TRUE(batch.QueueLoad(order)) << batch.ErrorMsg();
        return batch.Entry();
    }

    std::string Value(const std::string& sql) { return Query(sql).value_or("NULL"); }

    // What every booking of one load adds up to, in one line.
    std::string Bookings()
    {
        return Value("SELECT (SELECT count(*) FROM ticket_t) || ' tickets, ' || "
                     "(SELECT count(*) FROM payment_t) || ' payments, plant ' || "
                     "(SELECT loadsdelivered_c FROM batchcounter_t) || ', customer ' || "
                     "(SELECT totalbatches_c FROM customer_t) || ', job ' || "
                     "(SELECT loadsdelivered_c FROM job_t) || ', formula ' || "
                     "(SELECT totalbatches_c FROM formula_t) || ', truck ' || "
                     "(SELECT loadsdelivered_c FROM truck_t) || ', queued ' || "
                     "(SELECT string_agg(id_c || '/' || cycles_c, ' ' ORDER BY entry_c) FROM batch_t)");
    }
};

TEST_F(LifeUnitTest, TwoFinishersOfOneBatchMakeOneTicketAndBookItOnce)
{
    const int entry = Queue(3);
    // When each job link was last written.
    const std::string jobLinks = Value("SELECT string_agg(xmin::text, ',') FROM productlinker_t WHERE linkid_c='Job1'");

    // Both finishers start while the batch row is held, so they reach their
    // claim at the same moment it is let go.
    Exec("BEGIN");
    Exec("SELECT * FROM batch_t FOR UPDATE");
    DBTicket first(kOwnerConnInfo);
    DBTicket second(kOwnerConnInfo);
    bool firstDone = false;
    bool secondDone = false;
    std::thread a([&] { firstDone = first.FinishBatch(entry, {}, {}); });
    std::thread b([&] { secondDone = second.FinishBatch(entry, {}, {}); });
    EXPECT_TRUE(AwaitLockWaiters(2));
    Exec("COMMIT");
    a.join();
    b.join();

    ASSERT_NE(firstDone, secondDone) << first.ErrorMsg() << " / " << second.ErrorMsg();
    EXPECT_EQ("batch 1 not found", (firstDone ? second : first).ErrorMsg());
    EXPECT_EQ("T1", (firstDone ? first : second).Id());
    EXPECT_EQ("1 tickets, 1 payments, plant 1, customer 1, job 1, formula 1, truck 1, queued Entry2/2", Bookings());
    // The finish booked the job's deliveries without rewriting its links.
    EXPECT_EQ(jobLinks, Value("SELECT string_agg(xmin::text, ',') FROM productlinker_t WHERE linkid_c='Job1'"));
}

// A step of a load's life killed while it waits for a table the test holds.
struct Killed {
    const char* name;
    const char* lockedTable;
    bool finish;  // else a queueing
};

void PrintTo(const Killed& killed, std::ostream* out)
{
    *out << killed.name;
}

class LifeKilled : public LifeUnitTest, public ::testing::WithParamInterface<Killed> {};

TEST_P(LifeKilled, LeavesEverythingAsItWas)
{
    const int entry = Queue(2);
    const std::string before = Contents();

    Exec("BEGIN");
    Exec(std::string("LOCK TABLE ") + GetParam().lockedTable + " IN EXCLUSIVE MODE");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DBTicket t(kOwnerConnInfo);
        LoadOrder order{"J1", "OHARA", "TR7", 4, 1, "", nullptr};
        _exit(GetParam().finish ? t.FinishBatch(entry, {}, {}) : t.QueueLoad(order));
    }
    bool waiting = AwaitLockWaiters(1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    Exec("ROLLBACK");
    ASSERT_TRUE(waiting) << GetParam().name << " never reached the locked table";

    EXPECT_EQ(before, Contents());
    // The batch is still whole: finishing it now makes the one ticket.
    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.FinishBatch(entry, {}, {})) << t.ErrorMsg();
    EXPECT_EQ("1 tickets, 1 payments, plant 1, customer 1, job 1, formula 1, truck 1, queued " +
                  std::string(GetParam().finish ? "Entry2/1" : "Entry3/1"),
              Bookings())
        << "a killed queueing's entry number is not given back";
}

INSTANTIATE_TEST_SUITE_P(AtAnyStep, LifeKilled,
                         ::testing::Values(Killed{"finish_booking_the_payment", "payment_t", true},
                                           Killed{"finish_booking_the_material", "product_t", true},
                                           Killed{"queue_writing_the_links", "productlinker_t", false}),
                         [](const ::testing::TestParamInfo<Killed>& info) { return info.param.name; });

TEST_F(LifeUnitTest, WhatAUnitDidIsGoneUnlessItCommits)
{
    const std::string before = Contents();
    {
        UnitOfWork unit(kOwnerConnInfo);
        ASSERT_TRUE(masters::SaveProduct(kOwnerConnInfo, "GRAVEL", "agg", "left without commit"));
    }
    EXPECT_EQ(before, Contents());

    // A failed statement fails the unit: the commit rolls back what came before.
    {
        UnitOfWork unit(kOwnerConnInfo);
        ASSERT_TRUE(masters::SaveProduct(kOwnerConnInfo, "GRAVEL", "agg", "before the failure"));
        DBTicket first(kOwnerConnInfo);
        first.Entry(1);
        first.Id("TX");
        ASSERT_TRUE(first.Save(false)) << first.ErrorMsg();
        DBTicket twin(kOwnerConnInfo);
        twin.Entry(2);
        twin.Id("tx");
        EXPECT_FALSE(twin.Save(false));
        EXPECT_FALSE(unit.Ok());
        EXPECT_FALSE(unit.Commit());
    }
    EXPECT_EQ(before, Contents());

    // A joined unit left without commit fails the unit it joined.
    {
        UnitOfWork outer(kOwnerConnInfo);
        {
            UnitOfWork inner(kOwnerConnInfo);
            ASSERT_TRUE(masters::SaveProduct(kOwnerConnInfo, "GRAVEL", "agg", "inner"));
        }
        EXPECT_FALSE(outer.Ok());
        EXPECT_FALSE(outer.Commit());
    }
    EXPECT_EQ(before, Contents());

    {
        UnitOfWork unit(kOwnerConnInfo);
        ASSERT_TRUE(masters::SaveProduct(kOwnerConnInfo, "GRAVEL", "agg", "committed"));
        EXPECT_TRUE(unit.Commit());
    }
    EXPECT_EQ("committed", Value("SELECT description_c FROM product_t WHERE id_c='GRAVEL'"));
}

TEST_F(LifeUnitTest, ReadsInOneReadOnlyUnitSeeOneVersion)
{
    DBTicket stored(kOwnerConnInfo);
    ASSERT_TRUE(stored.FinishBatch(Queue(1), {}, {})) << stored.ErrorMsg();

    UnitOfWork read(kOwnerConnInfo, UnitOfWork::Access::ReadOnly);
    DBTicket before(kOwnerConnInfo);
    ASSERT_TRUE(before.LoadXmlById("T1"));
    Exec("UPDATE ticket_t SET invoice_c=7, void_c=true");
    DBTicket during(kOwnerConnInfo);
    ASSERT_TRUE(during.LoadXmlById("T1"));
    EXPECT_EQ(0, during.Invoice());
    EXPECT_FALSE(during.Void());
    DBProduct written(kOwnerConnInfo);
    written.Id("GRAVEL");
    EXPECT_FALSE(written.Save(false)) << "a read-only unit writes nothing";
}

// Every booking step of a finish says so, in order, wherever the program
// sends the library's progress.
TEST_F(LifeUnitTest, AFinishReportsEachBookingStepToTheProgressSink)
{
    const int entry = Queue(1);
    DBTicket t(kOwnerConnInfo);
    std::string progress;
    {
        ProgressCapture capture;
        ASSERT_TRUE(t.FinishBatch(entry, {}, {})) << t.ErrorMsg();
        progress = capture.Text();
    }
    std::string lines;
    for (const std::vector<DBProduct*>* list : {&t.matl_v, &t.prod_v})
        for (const DBProduct* line : *list)
            if (line)
                lines += "PRODUCT UPDATE\nGET CURRENT VALUES\nUPDATE VALUES\nPRODUCT UPDATE COMPLETE\n";
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("COUNTERS UPDATE\nDATA UPDATE\n" + lines + "JOB UPDATE\nDONE UPDATE\n", progress);
}

TEST_F(LifeUnitTest, AServerThatStopsAnsweringCostsOneWaitOnOneConnection)
{
    StallingProxy proxy(std::string(getenv("PGHOST")) + "/.s.PGSQL." + Port());
    const std::string conninfo =
        "hostaddr=127.0.0.1 port=" + std::to_string(proxy.Port()) + " dbname=morvik2 user=morvik2 connect_timeout=2";
    UnitOfWork unit(conninfo);
    DBTicket batch(conninfo);
    ASSERT_TRUE(batch.LoadByEntry(Queue(1))) << batch.ErrorMsg();
    EXPECT_EQ("J1", batch.JobId());

    proxy.Stall();
    EXPECT_FALSE(batch.Save(false));
    EXPECT_EQ("no answer from the server within 2 seconds\n", batch.ErrorMsg());
    // Nothing more is sent: every later operation fails at once, with the same reason.
    EXPECT_FALSE(batch.Update());
    EXPECT_FALSE(batch.NextCycle() > 0);
    EXPECT_FALSE(batch.Delete());
    EXPECT_EQ("no answer from the server within 2 seconds\n", batch.ErrorMsg());
    EXPECT_FALSE(unit.Commit());
    EXPECT_EQ(1, proxy.Connections());
}

}  // namespace

namespace {

// A step of a load's life given numbers that make no sense, and the start of
// the text it refuses them with.
struct Nonsense {
    const char* name;
    std::function<bool(DBTicket&, int queued)> step;
    const char* refusal;
};

void PrintTo(const Nonsense& nonsense, std::ostream* out)
{
    *out << nonsense.name;
}

LoadOrder Order(float size, std::function<void(Ticket&)> choose = nullptr)
{
    return LoadOrder{"J1", "OHARA", "TR7", size, 1, "", std::move(choose)};
}

class LifeRefuses : public LifeUnitTest, public ::testing::WithParamInterface<Nonsense> {};

TEST_P(LifeRefuses, BeforeAnythingIsWritten)
{
    Exec("UPDATE truck_t SET maxloadsize_c = 10");
    const int queued = Queue(1);
    const std::string before = Contents();
    DBTicket t(kOwnerConnInfo);
    EXPECT_FALSE(GetParam().step(t, queued));
    EXPECT_EQ(0u, t.ErrorMsg().find(GetParam().refusal)) << t.ErrorMsg();
    EXPECT_EQ(before, Contents());
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, LifeRefuses,
    ::testing::Values(
        Nonsense{"size_stored_as_0", [](DBTicket& t, int) { return t.QueueLoad(Order(1e-7f)); },
                 "the size must be 5e-07 or more"},
        Nonsense{"size_not_finite", [](DBTicket& t, int) { return t.QueueLoad(Order(HUGE_VALF)); },
                 "the size is not a number"},
        Nonsense{"size_above_the_truck", [](DBTicket& t, int) { return t.QueueLoad(Order(3e38f)); },
                 "the size for truck 'TR7' must be from 0 to 10"},
        Nonsense{"sales_tax", [](DBTicket& t, int) { return t.QueueLoad(Order(8, [](Ticket& b) { b.SalesTax(-200); })); },
                 "the sales tax must be from 0 to 100"},
        Nonsense{"unknown_plant", [](DBTicket& t, int) { return t.QueueLoad(Order(8, [](Ticket& b) { b.Plant(-7); })); },
                 "plant -7 has no delivery counters"},
        Nonsense{"negative_actual", [](DBTicket& t, int queued) { return t.FinishBatch(queued, {{"CEM", -99999}}, {}); },
                 "the actual of CEM must be 0 or more"},
        Nonsense{"moisture", [](DBTicket& t, int queued) { return t.FinishBatch(queued, {}, {{"SAND", -500}}); },
                 "the moisture of SAND must be from 0 to 100"},
        Nonsense{"infinite_total",
                 [](DBTicket& t, int) {
                     UnitOfWork unit(t.ConnInfo());
                     bool booked = t.customer->LoadById("OHARA") && t.customer->Update(1, "T9", HUGE_VALF, 8);
                     t.ErrorMsg(t.customer->ErrorMsg());
                     return booked && unit.Commit();
                 },
                 "a number to be written is not finite"}),
    [](const ::testing::TestParamInfo<Nonsense>& info) { return info.param.name; });

// A formula stored before such names were refused keeps its lines.
TEST_F(LifeUnitTest, ABatchIsNotNamedSoThatItsLinesAreAFormulas)
{
    Exec("INSERT INTO formula_t(id_c) VALUES ('BatchMIX30')");
    const std::string before = Contents();
    DBTicket t(kOwnerConnInfo);
    LoadOrder order = Order(8);
    order.id = "mix30";
    EXPECT_FALSE(t.QueueLoad(order));
    EXPECT_EQ("batch 'mix30': its lines would be filed as formula 'BatchMIX30' files its own", t.ErrorMsg());
    EXPECT_EQ(before, Contents());
}

// Its usage would be booked nowhere.
TEST_F(LifeUnitTest, ALoadWhoseCustomerWasDeletedIsNotFinished)
{
    const int entry = Queue(1);
    Exec("DELETE FROM customer_t");
    const std::string before = Contents();
    DBTicket t(kOwnerConnInfo);
    EXPECT_FALSE(t.FinishBatch(entry, {}, {}));
    EXPECT_EQ("customer 'OHARA' of batch 1 not found", t.ErrorMsg());
    EXPECT_EQ(before, Contents());
}

// Money is booked to the cent, however many loads.
TEST_F(LifeUnitTest, ABalanceAddsUpToTheCent)
{
    UnitOfWork unit(kOwnerConnInfo);
    DBCustomer customer(kOwnerConnInfo);
    ASSERT_TRUE(customer.LoadById("OHARA"));
    for (int load = 0; load < 200; ++load)
        ASSERT_TRUE(customer.Update(1, "T" + std::to_string(load), 916.72f, 8)) << customer.ErrorMsg();
    ASSERT_TRUE(unit.Commit());
    EXPECT_EQ("183344.00 183344.00 183344.00",
              Value("SELECT balance_c || ' ' || (SELECT sum(adjust_c) FROM payment_t) || ' ' || "
                    "(SELECT newbalance_c FROM payment_t WHERE name_c='Id T199') FROM customer_t"));
}

}  // namespace
