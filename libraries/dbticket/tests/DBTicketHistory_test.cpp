// The tickets' history against the test cluster: one chain with many
// writers, and every kind of tampering told apart from an untouched database.

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "DBTicket.h"
#include "DBTicketHistory.h"
#include "MasterRecords.h"
#include "PgFixture.h"
#include "SampleTickets.h"
#include "UnitOfWork.h"

namespace {

class HistoryTest : public PgFixture {
protected:
    void SetUp() override
    {
        PgFixture::SetUp();
        Exec("INSERT INTO batchcounter_t(plant_c) VALUES (1)");
        ASSERT_TRUE(masters::SavePlant(kOwnerConnInfo));
    }

    // Finishes a newly queued one-cycle load of job J1; the ticket's identifier.
    std::string Finish()
    {
        DBTicket t(kOwnerConnInfo);
        EXPECT_TRUE(t.FinishBatch(masters::QueueJ1(kOwnerConnInfo), {}, {})) << t.ErrorMsg();
        return t.Id();
    }

    // What velmora does for a print: the invoice number and the event, together.
    static bool Print(const std::string& id)
    {
        DBTicket t(kOwnerConnInfo);
        UnitOfWork unit(kOwnerConnInfo);
        DBTicketHistory history(kOwnerConnInfo);
        return t.LoadXmlById(id) && t.NextInvoice() &&
               history.Record(EventKind::Printed, t.Entry(), {"ticket1", t.Invoice(), 2, ""}) && unit.Commit();
    }

    HistoryCheck Verified()
    {
        DBTicketHistory history(kOwnerConnInfo);
        HistoryCheck check;
        EXPECT_TRUE(history.Check("", "", check)) << history.ErrorMsg();
        return check;
    }
};

struct Tampering {
    const char* name;
    const char* sql;  // run as the owner, with the history's refusal switched off
    std::vector<std::string> problems;
    int events;
};

void PrintTo(const Tampering& t, std::ostream* out)
{
    *out << t.name;
}

class HistoryTampering : public HistoryTest, public ::testing::WithParamInterface<Tampering> {};

TEST_P(HistoryTampering, IsToldByVerify)
{
    // Events 1 and 2 store T1 and T2, 3 prints T1, 4 rewrites T2, 5 voids T1.
    ASSERT_EQ("T1", Finish());
    ASSERT_EQ("T2", Finish());
    ASSERT_TRUE(Print("T1"));
    DBTicket t2(kOwnerConnInfo);
    ASSERT_TRUE(t2.LoadXmlById("T2"));
    t2.Instructions("Call before pouring");
    ASSERT_TRUE(t2.Save(true)) << t2.ErrorMsg();
    DBTicket t1(kOwnerConnInfo);
    ASSERT_TRUE(t1.LoadXmlById("T1"));
    ASSERT_TRUE(t1.VoidStored("wrong truck")) << t1.ErrorMsg();

    Exec(std::string("ALTER TABLE ticketevent_t DISABLE TRIGGER ticketevent_t_append_only; ") + GetParam().sql +
         "; ALTER TABLE ticketevent_t ENABLE TRIGGER ticketevent_t_append_only");
    HistoryCheck check = Verified();
    EXPECT_EQ(GetParam().problems, check.problems);
    EXPECT_EQ(2, check.tickets);
    EXPECT_EQ(GetParam().events, check.events);
    EXPECT_EQ(Query("SELECT hash_c FROM ticketevent_t ORDER BY event_c DESC LIMIT 1"), check.lastHash);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HistoryTampering,
    ::testing::Values(
        Tampering{"untouched", "SELECT 1", {}, 5},
        Tampering{"snapshot_byte", "UPDATE ticket_t SET xmldata_c=overlay(xmldata_c placing 'x' from 60) WHERE id_c='T2'",
                  {"ticket T2: snapshot changed"}, 5},
        Tampering{"ticket_deleted", "DELETE FROM ticket_t WHERE id_c='T1'", {"ticket T1: ticket removed"}, 5},
        Tampering{"event_deleted", "DELETE FROM ticketevent_t WHERE event_c=3", {"chain broken at event 4"}, 4},
        Tampering{"event_edited", "UPDATE ticketevent_t SET reason_c='typo' WHERE event_c=5",
                  {"chain broken at event 5"}, 5},
        // An edit that writes the edited event's hash anew breaks at the next.
        Tampering{"event_edited_and_rehashed",
                  "UPDATE ticketevent_t SET invoice_c=99 WHERE event_c=3; UPDATE ticketevent_t e SET "
                  "hash_c=ticketevent_hash((SELECT hash_c FROM ticketevent_t WHERE event_c=2), e) WHERE event_c=3",
                  {"chain broken at event 4"}, 5},
        Tampering{"events_swapped",
                  "UPDATE ticketevent_t SET event_c=0 WHERE event_c=1; UPDATE ticketevent_t SET event_c=1 WHERE "
                  "event_c=2; UPDATE ticketevent_t SET event_c=2 WHERE event_c=0",
                  {"chain broken at event 1", "chain broken at event 2", "chain broken at event 3"}, 5}),
    [](const ::testing::TestParamInfo<Tampering>& info) { return info.param.name; });

TEST_F(HistoryTest, ConcurrentFinishesAndPrintsMakeOneUnbrokenChain)
{
    const std::vector<std::string> stored = {Finish(), Finish(), Finish()};
    std::vector<int> queued;
    for (int i = 0; i < 3; ++i)
        queued.push_back(masters::QueueJ1(kOwnerConnInfo));

    // Everyone reaches the append while the test holds the history's lock,
    // so all of them append the moment it is let go.
    Exec("BEGIN");
    Exec("SELECT pg_advisory_xact_lock(hashtext('ticketevent_t'))");
    std::vector<std::thread> writers;
    std::vector<char> done(6, 0);
    for (int i = 0; i < 3; ++i) {
        writers.emplace_back([&, i] {
            DBTicket t(kOwnerConnInfo);
            done[i] = t.FinishBatch(queued[i], {}, {});
        });
        writers.emplace_back([&, i] { done[3 + i] = Print(stored[i]); });
    }
    EXPECT_TRUE(AwaitLockWaiters(6));
    Exec("COMMIT");
    for (std::thread& writer : writers)
        writer.join();

    EXPECT_EQ(std::vector<char>(6, 1), done);
    HistoryCheck check = Verified();
    EXPECT_EQ(std::vector<std::string>{}, check.problems);
    EXPECT_EQ(6, check.tickets);
    EXPECT_EQ(9, check.events);
}

TEST_F(HistoryTest, SealCoversTicketsStoredBeforeTheHistory)
{
    Finish();
    std::unique_ptr<DBTicket> old = samples::Imperial();
    Exec(samples::InsertStatement(*old));
    EXPECT_EQ(std::vector<std::string>{"ticket " + old->Id() + ": no history"}, Verified().problems);
    // The history takes no edits, however they are asked for.
    EXPECT_FALSE(TryExec("UPDATE ticketevent_t SET who_c='someone else'"));
    EXPECT_FALSE(TryExec("DELETE FROM ticketevent_t"));

    DBTicketHistory history(kOwnerConnInfo);
    long long sealed = 0;
    ASSERT_TRUE(history.Seal(sealed)) << history.ErrorMsg();
    EXPECT_EQ(1, sealed);
    HistoryCheck check = Verified();
    EXPECT_EQ(std::vector<std::string>{}, check.problems);
    EXPECT_EQ(2, check.events);
    ASSERT_TRUE(history.Seal(sealed));
    EXPECT_EQ(0, sealed);
}

}  // namespace
