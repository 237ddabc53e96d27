// The batch queue, its cycles and the stored ticket against the test cluster:
// the edge cases of queueing, loading, cycling, saving and taking batches off.

#include <cmath>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "DBTicket.h"
#include "PgFixture.h"
#include "SampleTickets.h"

namespace {

using samples::AddLine;

class QueueTest : public PgFixture {
protected:
    // A queued batch of entry 41 with two materials and one extra product.
    std::unique_ptr<DBTicket> Queued(const std::string& id = "Entry41")
    {
        auto t = std::make_unique<DBTicket>(kOwnerConnInfo);
        t->Entry(41);
        t->Id(id);
        t->Cycles(2);
        t->Batchsize(8);
        t->FormulaPrice(12.5f);
        t->Instructions("Don't block gate");
        AddLine(t->matl_v, "SAND", "agg", "Sand", 0.25f, 2, 0, 0);
        AddLine(t->matl_v, "CEM", "cmt", "Cement", 0.5f, 4, 0, 0);
        AddLine(t->prod_v, "PUMP", "fee", "Pump", 2, 2, 2, 0)->UnitPrice(45.5f);
        return t;
    }

    std::string Value(const std::string& sql) { return Query(sql).value_or("NULL"); }
};

TEST(QueueSql, FormulaPriceAndQuotesAsEachStatementWritesThem)
{
    DBTicket t("");
    t.Entry(7);
    t.Instructions("Don't block gate");
    t.TimeToBatch("9 o'clock");
    t.FormulaPrice(12.5f);
    EXPECT_NE(std::string::npos, BatchInsertSql(t).find(",'Don''t block gate','',12.50,1)"));
    EXPECT_NE(std::string::npos, BatchUpdateSql(t).find("formulaprice_c = '12.500000', plant_c = 1 WHERE entry_c = 7"));
    // The snapshot is escaped like any other text (its times go in
    // unencoded), and the update runs on into its condition without a blank.
    EXPECT_NE(std::string::npos, TicketInsertSql(t).find("<timetobatch_c>9 o''clock</timetobatch_c>"));
    const std::string update = TicketUpdateSql(t);
    EXPECT_NE(std::string::npos, update.find("',void_c='f',user_c='',modified_c=''WHERE entry_c=7"));
    EXPECT_EQ(0u, update.find("UPDATE ticket_t SET invoice_c=0,ordernumber_c='',"));
}

TEST_F(QueueTest, NextCycleQueuesTheRestUnderANewEntryAndLeavesTheBatchAlone)
{
    Exec("SELECT setval('batch_s', 56)");
    auto t = Queued();
    ASSERT_EQ(57, t->NextCycle());
    EXPECT_EQ("Entry57|1|12.5", Value("SELECT id_c || '|' || cycles_c || '|' || formulaprice_c FROM batch_t "
                                      "WHERE entry_c=57"));
    EXPECT_EQ("Don't block gate", Value("SELECT instructions_c FROM batch_t WHERE entry_c=57"));
    EXPECT_EQ("SAND:0.25:matl CEM:0.5:matl PUMP:2:prod@45.5",
              Value("SELECT string_agg(productid_c || ':' || amount_c || ':' || producttype_c || "
                    "COALESCE('@' || price_c, ''), ' ' ORDER BY producttype_c, position_c) FROM productlinker_t "
                    "WHERE linkid_c='BatchEntry57'"));
    EXPECT_EQ(41, t->Entry());
    EXPECT_EQ("Entry41", t->Id());
    EXPECT_EQ(2, t->Cycles());
}

TEST_F(QueueTest, NextCycleWithoutABatchNumberQueuesNothing)
{
    // nobody may not take numbers from batch_s.
    auto t = Queued();
    t->ConnInfo(kViewerConnInfo);
    EXPECT_EQ(0, t->NextCycle());
    EXPECT_EQ("0", Value("SELECT count(*) FROM batch_t"));
    EXPECT_EQ("0", Value("SELECT count(*) FROM productlinker_t"));
}

TEST_F(QueueTest, AQueuedBatchReadsBackWithItsLinesInTypeOrder)
{
    Exec("INSERT INTO product_t(id_c,type_c,unitprice_c) VALUES ('SAND','agg',1),('STONE','agg',1),"
         "('CEM','cmt',1),('AIR','admix',1),('H2O','water',1),('PUMP','fee',99)");
    auto t = Queued("Load'7");
    AddLine(t->matl_v, "H2O", "water", "Water", 0.125f, 0, 0, 0);
    AddLine(t->matl_v, "AIR", "admix", "Air", 0.01f, 0, 0, 0);
    DBProduct* stone = AddLine(t->matl_v, "STONE", "agg", "Stone", 1, 0, 0, 0);
    stone->position_c = 0;
    ASSERT_TRUE(t->Batch(false)) << t->ErrorMsg();
    ASSERT_TRUE(t->SaveMatl() && t->SaveProd()) << t->ErrorMsg();
    ASSERT_TRUE(t->SaveMatl()) << "a second rewrite replaces the set";

    DBTicket back(kOwnerConnInfo);
    ASSERT_TRUE(back.LoadById("LOAD'7")) << back.ErrorMsg();
    EXPECT_EQ(41, back.Entry());
    EXPECT_EQ("Don't block gate", back.Instructions());
    std::string order;
    for (const DBProduct* m : back.matl_v)
        order += m->Id() + "=" + std::to_string(std::lround(m->target_c * 1000)) + " ";
    EXPECT_EQ("STONE=8000 SAND=2000 CEM=4000 AIR=80 H2O=1000 ", order);
    ASSERT_EQ(1u, back.prod_v.size());
    EXPECT_FLOAT_EQ(45.5f, back.prod_v[0]->UnitPrice()) << "the link's price wins";
    EXPECT_FLOAT_EQ(2, back.prod_v[0]->actual_c);

    back.Resize(10);
    EXPECT_FLOAT_EQ(2.5f, back.matl_v[1]->target_c);
    EXPECT_FLOAT_EQ(2, back.prod_v[0]->target_c) << "extra products keep their quantity";
}

TEST_F(QueueTest, DeleteTakesTheBatchAndItsLinksOffInAnyLetterCase)
{
    auto t = Queued("Entry42");
    ASSERT_TRUE(t->Batch(false) && t->SaveMatl() && t->SaveProd());
    auto other = Queued("Entry43");
    other->Entry(43);
    ASSERT_TRUE(other->Batch(false) && other->SaveMatl());
    Exec("UPDATE productlinker_t SET linkid_c='BATCHENTRY42' WHERE linkid_c='BatchEntry42' AND producttype_c='matl'");

    DBTicket loaded(kOwnerConnInfo);
    ASSERT_TRUE(loaded.LoadById("entry42"));
    ASSERT_TRUE(loaded.Delete()) << loaded.ErrorMsg();
    EXPECT_EQ("Entry43", Value("SELECT string_agg(id_c, ' ') FROM batch_t"));
    EXPECT_EQ("BatchEntry43", Value("SELECT string_agg(DISTINCT linkid_c, ' ') FROM productlinker_t"));
}

TEST_F(QueueTest, SavingAndVoidingTouchOnlyTheirOwnRow)
{
    auto t = Queued();
    ASSERT_TRUE(t->Save(true)) << "an entry without a row is no failure";
    EXPECT_EQ("0", Value("SELECT count(*) FROM ticket_t"));
    t->Invoice(99);
    ASSERT_TRUE(t->Save(false)) << t->ErrorMsg();
    EXPECT_EQ("0|false", Value("SELECT invoice_c || '|' || void_c FROM ticket_t"));
    ASSERT_TRUE(t->Save(true));
    EXPECT_EQ("99", Value("SELECT invoice_c FROM ticket_t"));

    DBTicket stored(kOwnerConnInfo);
    ASSERT_TRUE(stored.LoadXmlById("entry41"));
    EXPECT_EQ("Don't block gate", stored.Instructions());

    ASSERT_TRUE(t->VoidBatch()) << "a batch that is not queued is no failure";
    ASSERT_TRUE(t->VoidTicket());
    EXPECT_EQ("t", Value("SELECT void_c FROM ticket_t"));
}

TEST_F(QueueTest, DefaultsApplyOnlyNonEmptyKnownColumnsAndExactFlags)
{
    Exec("INSERT INTO ticket_w VALUES ('plant_c','',1),('batchsize_c','9.5',2),('nosuch_c','x',3),"
         "('printprices_c','t',4),('printweights_c','true',5),('cycles_c','3',6)");
    DBTicket t(kOwnerConnInfo);
    t.PrintWeights(true);
    ASSERT_TRUE(t.LoadDefaults());
    EXPECT_EQ(1, t.Plant());
    EXPECT_FLOAT_EQ(9.5f, t.Batchsize());
    EXPECT_TRUE(t.PrintPrices());
    EXPECT_FALSE(t.PrintWeights());
    EXPECT_EQ(3, t.Cycles());
}

TEST(TicketStamps, TheBatchCycleStampsOneMinuteInTheirFormats)
{
    DBTicket t("");
    t.GetDateTimeStart();
    t.GetDateTime();
    t.DateTimeModified();
    const std::regex stamp("(\\d{4})-(\\d\\d)-(\\d\\d) (\\d\\d):(\\d\\d)");
    const std::string finished = t.TimeFinished();
    std::smatch m;
    ASSERT_TRUE(std::regex_match(finished, m, stamp)) << finished;
    EXPECT_EQ(m[4].str() + ":" + m[5].str(), t.TimeBatched());
    EXPECT_EQ(m[2].str() + "-" + m[3].str() + "-" + m[1].str(), t.DateBatched());
    EXPECT_TRUE(std::regex_match(t.TimeCreated(), stamp));
    EXPECT_EQ(t.TimeCreated(), t.TimeStarted());
    EXPECT_EQ(t.Date(), t.Modified());
}

}  // namespace
