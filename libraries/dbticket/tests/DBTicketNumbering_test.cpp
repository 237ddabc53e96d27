// Entry and invoice numbers and the plant's delivery counters against the
// test cluster.

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "DBTicket.h"
#include "FormatString.h"
#include "PgFixture.h"
#include "LogCapture.h"
#include "Process.h"
#include "SampleTickets.h"

namespace {

const char* const kUnreachable = "hostaddr=127.0.0.1 port=1 dbname=morvik2 user=morvik2";

class NumberingTest : public PgFixture {
protected:
    void Store(const DBTicket& ticket) { Exec(samples::InsertStatement(ticket)); }

    std::string InvoiceOf(const std::string& id)
    {
        return Query("SELECT invoice_c FROM ticket_t WHERE id_c='" + SqlEscape(id) + "'").value_or("NULL");
    }

    // "loads/yards" of every counter row, by plant.
    std::string Counters()
    {
        return Query("SELECT string_agg(plant_c || ':' || loadsdelivered_c || '/' || yardsdelivered_c::float8, ' ' "
                     "ORDER BY plant_c) FROM batchcounter_t")
            .value_or("");
    }

    std::string Logged(const std::function<void()>& action) { return CaptureLog(scratch.Path(), action); }

    TempDir scratch;
};

// ---- entry numbers ----

TEST_F(NumberingTest, EntryNumbersComeFromTheirOwnSequencesAndTheLastCallWins)
{
    Exec("SELECT setval('batch_s', 40)");
    Exec("SELECT setval('ticket_s', 70)");
    DBTicket t(kOwnerConnInfo);
    ASSERT_TRUE(t.NextEntry());
    EXPECT_EQ(41, t.Entry());
    ASSERT_TRUE(t.NextTicketEntry());
    EXPECT_EQ(71, t.Entry());
    ASSERT_TRUE(t.NextEntry());
    EXPECT_EQ(42, t.Entry());
    EXPECT_EQ(0, t.Invoice());
    EXPECT_EQ("f", Query("SELECT is_called FROM invoice_s").value_or(""));
}

// ---- invoices ----

TEST_F(NumberingTest, InvoicesAreConsecutiveAndStoredOnTheRowFoundInAnyLetterCase)
{
    Store(*samples::Imperial());
    Store(*samples::Metric());
    Exec("SELECT setval('invoice_s', 41)");

    DBTicket first(kOwnerConnInfo);
    ASSERT_TRUE(first.LoadXmlById("t1001"));
    ASSERT_TRUE(first.NextInvoice());
    EXPECT_EQ(42, first.Invoice());
    DBTicket second(kOwnerConnInfo);
    second.Id("m2002");
    ASSERT_TRUE(second.NextInvoice());
    EXPECT_EQ(43, second.Invoice());
    // A reprint replaces the number.
    ASSERT_TRUE(first.NextInvoice());
    EXPECT_EQ(44, first.Invoice());

    EXPECT_EQ("44", InvoiceOf("T1001"));
    EXPECT_EQ("43", InvoiceOf("M2002"));
}

struct InvoiceRowCase {
    const char* name;
    std::string id;
    const char* imperial;  // invoice_c of T1001 afterwards
    const char* quoted;    // invoice_c of O'Neil-7 afterwards
};

// Printed by name: gtest would otherwise dump the bytes, padding included.
void PrintTo(const InvoiceRowCase& c, std::ostream* os)
{
    *os << c.name;
}

class InvoiceRow : public NumberingTest, public ::testing::WithParamInterface<InvoiceRowCase> {};

TEST_P(InvoiceRow, TheNumberIsTakenAndLandsOnlyOnTheMatchingRow)
{
    const InvoiceRowCase& c = GetParam();
    Store(*samples::Imperial());
    auto quoted = samples::Metric();
    quoted->Id("O'Neil-7");
    Store(*quoted);

    DBTicket t(kOwnerConnInfo);
    t.Id(c.id);
    EXPECT_TRUE(t.NextInvoice()) << t.ErrorMsg();
    EXPECT_EQ(1, t.Invoice());
    EXPECT_EQ("", t.ErrorMsg());
    EXPECT_EQ(c.imperial, InvoiceOf("T1001"));
    EXPECT_EQ(c.quoted, InvoiceOf("O'Neil-7"));
}

INSTANTIATE_TEST_SUITE_P(Ids, InvoiceRow,
                         ::testing::Values(InvoiceRowCase{"Exact", "T1001", "1", "0"},
                                           InvoiceRowCase{"OtherCase", "t1001", "1", "0"},
                                           InvoiceRowCase{"Apostrophe", "o'neil-7", "0", "1"},
                                           InvoiceRowCase{"NoRow", "NOPE", "0", "0"},
                                           InvoiceRowCase{"Injection", "x' OR '1'='1", "0", "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NumberingTest, AFailedInvoiceUpdateStillUsesUpItsNumber)
{
    Store(*samples::Imperial());
    // The fixture's open transaction holds the table, so the update waits
    // for its lock and gives up at once; the sequence is not held.
    DBTicket t(std::string(kOwnerConnInfo) + " options='-c lock_timeout=1'");
    t.Id("T1001");
    Exec("BEGIN");
    Exec("LOCK TABLE ticket_t IN EXCLUSIVE MODE");
    bool ok = true;
    std::string log = Logged([&] { ok = t.NextInvoice(); });
    Exec("ROLLBACK");
    EXPECT_FALSE(ok);
    EXPECT_EQ(1, t.Invoice());
    EXPECT_NE(std::string::npos, t.ErrorMsg().find("lock timeout")) << t.ErrorMsg();
    EXPECT_TRUE(HasLine(log, "DBTicket.cpp", "NextInvoice",
                        "\n    QUERY: UPDATE ticket_t SET invoice_c=1 WHERE LOWER(id_c)=LOWER('T1001') \n"
                        "    ERROR: ERROR SAVING TO DATABASE \n"))
        << log;
    EXPECT_EQ("0", InvoiceOf("T1001"));

    ASSERT_TRUE(t.NextInvoice());
    EXPECT_EQ(2, t.Invoice());
    EXPECT_EQ("2", InvoiceOf("T1001"));
}

// A database whose default reads backslashes in literals as escapes.
class EscapingDatabase : public NumberingTest {
protected:
    void SetUp() override
    {
        NumberingTest::SetUp();
        Exec("ALTER DATABASE morvik2 SET standard_conforming_strings = off");
    }
    void TearDown() override
    {
        TryExec("ALTER DATABASE morvik2 RESET standard_conforming_strings");
        NumberingTest::TearDown();
    }
};

TEST_F(EscapingDatabase, AnIdentifierStaysOneText)
{
    Store(*samples::Imperial());
    const std::string id = "\\'); UPDATE ticket_t SET total_c=666; --";
    DBTicket t(kOwnerConnInfo);
    EXPECT_TRUE(t.LoadXmlById(id));
    t.NextInvoice();
    EXPECT_EQ("0", Query("SELECT count(*) FROM ticket_t WHERE total_c=666 OR invoice_c<>0").value_or(""));
}

// ---- delivery counters ----

struct NoCountCase {
    const char* name;
    int plant;
};

// Printed by name: gtest would otherwise dump the bytes, padding included.
void PrintTo(const NoCountCase& c, std::ostream* os)
{
    *os << c.name;
}

class CounterNotBooked : public NumberingTest, public ::testing::WithParamInterface<NoCountCase> {};

TEST_P(CounterNotBooked, WithoutExactlyOneRowForThePlant)
{
    Exec("INSERT INTO batchcounter_t VALUES (1, 5, 40), (4, 1, 2), (4, 3, 4)");
    const std::string before = Counters();
    DBTicket t(kOwnerConnInfo);
    t.Plant(GetParam().plant);
    t.Batchsize(8.5f);
    EXPECT_FALSE(t.UpdateCounters());
    EXPECT_EQ("", t.ErrorMsg());
    EXPECT_EQ(before, Counters());
}

INSTANTIATE_TEST_SUITE_P(Plants, CounterNotBooked,
                         ::testing::Values(NoCountCase{"NoRow", 7}, NoCountCase{"TwoRows", 4}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(NumberingTest, ABookingAddsOneLoadAndTheBatchToItsOwnPlantOnly)
{
    Exec("INSERT INTO batchcounter_t VALUES (1, 12, 100), (2, 12, 100), (3, 12, 100)");
    DBTicket t(kOwnerConnInfo);
    t.Plant(2);
    t.Batchsize(8.5f);
    ASSERT_TRUE(t.UpdateCounters()) << t.ErrorMsg();
    EXPECT_EQ("1:12/100 2:13/108.5 3:12/100", Counters());
}

TEST_F(NumberingTest, SimultaneousBookingsOfOnePlantAllCount)
{
    const int kThreads = 8;
    const int kEach = 25;
    Exec("INSERT INTO batchcounter_t VALUES (1, 12, 100), (2, 0, 0)");
    std::atomic<int> booked{0};
    Logged([&] {
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&] {
                DBTicket t(kOwnerConnInfo);
                t.Plant(1);
                t.Batchsize(8.5f);
                for (int n = 0; n < kEach; ++n)
                    if (t.UpdateCounters())
                        ++booked;
            });
        for (std::thread& thread : threads)
            thread.join();
    });
    EXPECT_EQ(kThreads * kEach, booked.load());
    EXPECT_EQ(FormatString("1:%d/%g 2:0/0", 12 + kThreads * kEach, 100 + kThreads * kEach * 8.5), Counters());
}

// ---- no server ----

TEST_F(NumberingTest, AnUnreachableServerTakesNoNumberAndBooksNothing)
{
    Exec("INSERT INTO batchcounter_t VALUES (1, 12, 100)");
    DBTicket t(kUnreachable);
    t.Entry(5);
    t.Invoice(6);
    t.Id("T1001");
    std::string log = Logged([&] {
        EXPECT_FALSE(t.NextEntry());
        EXPECT_FALSE(t.NextTicketEntry());
        EXPECT_FALSE(t.NextInvoice());
    });
    EXPECT_EQ(5, t.Entry());
    EXPECT_EQ(6, t.Invoice());
    // Taking a number fails without a trace.
    EXPECT_EQ("", t.ErrorMsg());
    EXPECT_EQ("", log);

    EXPECT_FALSE(t.UpdateCounters());
    EXPECT_NE(std::string::npos, t.ErrorMsg().find("127.0.0.1")) << t.ErrorMsg();
    EXPECT_EQ("1:12/100", Counters());
    EXPECT_EQ("f", Query("SELECT is_called FROM invoice_s").value_or(""));
}

}  // namespace
