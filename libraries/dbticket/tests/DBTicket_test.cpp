#include <gtest/gtest.h>
#include <syslog.h>

#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "DBTicket.h"
#include "SampleTickets.h"

TEST(DBTicket, FreshTicketHoldsAttachedRecordsWithDefaults)
{
    DBTicket t("dbname=morvik2 user=nobody");
    ASSERT_NE(t.customer, nullptr);
    ASSERT_NE(t.job, nullptr);
    ASSERT_NE(t.formula, nullptr);
    ASSERT_NE(t.truck, nullptr);
    ASSERT_NE(t.job->customer, nullptr);
    ASSERT_NE(t.job->formula, nullptr);
    // The job's customer and formula are its own, not the ticket's.
    EXPECT_NE(t.job->customer, t.customer);
    EXPECT_NE(t.job->formula, t.formula);

    for (const DBObject* o : {static_cast<const DBObject*>(t.customer),
                              static_cast<const DBObject*>(t.job),
                              static_cast<const DBObject*>(t.formula),
                              static_cast<const DBObject*>(t.truck),
                              static_cast<const DBObject*>(t.job->customer),
                              static_cast<const DBObject*>(t.job->formula)}) {
        EXPECT_EQ(o->ConnInfo(), "dbname=morvik2 user=nobody");
        EXPECT_EQ(o->ErrorMsg(), "");
    }
    EXPECT_EQ(t.ConnInfo(), "dbname=morvik2 user=nobody");

    EXPECT_EQ(t.customer->CreditStatus(), 1);
    EXPECT_FLOAT_EQ(t.truck->DischargeRate(), 100.0f);
    EXPECT_EQ(t.Plant(), 1);
    EXPECT_TRUE(t.matl_v.empty());
    EXPECT_TRUE(t.prod_v.empty());
    EXPECT_TRUE(t.job->matl_v.empty() && t.job->prod_v.empty() && t.formula->matl_v.empty());
    EXPECT_EQ(t.NumMatl(), 0);
    EXPECT_EQ(t.NumProd(), 0);
    for (bool flag : {t.InspectBatch(), t.ManualBatch(), t.ManualWeighup(), t.ManualDischarge(),
                      t.SimulatedBatch()})
        EXPECT_FALSE(flag);
    for (int value : {t.MixingTime(), t.MixTime(), t.SlumpWater()})
        EXPECT_EQ(value, 0);
    for (double reading : {t.agg1_scale_start, t.agg1_scale_end, t.cmt1_scale_start, t.cmt1_scale_end})
        EXPECT_EQ(reading, 0.0);
    EXPECT_EQ(t.TimeCreated() + t.TimeStarted() + t.TimeFinished(), "");
}

TEST(DBProduct, FreshProductHasNoBatchingFigures)
{
    DBProduct p("dbname=morvik2");
    for (float v : {p.amount_c, p.target_c, p.cumtarget_c, p.adjustedtarget_c, p.actual_c,
                    p.cumactual_c, p.moisture_c, p.low_tol_c, p.high_tol_c})
        EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(p.position_c, 0);
    EXPECT_FALSE(p.over_c);
    EXPECT_EQ(p.scale_start_c, 0.0);
    EXPECT_EQ(p.scale_end_c, 0.0);
}

TEST(DBTicket, ClearErrorEmptiesTheStoredFailure)
{
    DBTicket t("dbname=morvik2");
    t.ErrorMsg("connection to server failed");
    ASSERT_EQ(t.ErrorMsg(), "connection to server failed");
    t.ClearError();
    EXPECT_EQ(t.ErrorMsg(), "");
    EXPECT_EQ(t.ConnInfo(), "dbname=morvik2");
}

struct UnitsCase {
    const char* units;
    bool metric;
};

void PrintTo(const UnitsCase& c, std::ostream* os)
{
    *os << '"' << c.units << '"';
}

class FormulaMetric : public testing::TestWithParam<UnitsCase> {};

TEST_P(FormulaMetric, OnlyTheThreeSpellingsOfMetricCount)
{
    DBTicket t("");
    t.formula->UsMetric(GetParam().units);
    EXPECT_EQ(t.IsFormulaMetric(), GetParam().metric);
}

INSTANTIATE_TEST_SUITE_P(Units, FormulaMetric,
                         testing::Values(UnitsCase{"metric", true}, UnitsCase{"Metric", true},
                                         UnitsCase{"METRIC", true}, UnitsCase{"", false},
                                         UnitsCase{"us", false}, UnitsCase{"US", false},
                                         UnitsCase{"mETRIC", false}, UnitsCase{"metric ", false},
                                         UnitsCase{" metric", false}, UnitsCase{"metrics", false}));

TEST(DBTicket, NoAttachedFormulaIsNotMetric)
{
    DBTicket t("");
    t.formula->UsMetric("metric");
    delete t.formula;
    t.formula = nullptr;
    EXPECT_FALSE(t.IsFormulaMetric());
}

namespace {
const char* const kConnInfo =
    "dbname=morvik2 user=nobody, a connection string too long for a short-string buffer";

DBProduct* NewProduct()
{
    return new DBProduct(kConnInfo);
}
}  // namespace

// Empty slots are what a failed load leaves behind. The job announces its end
// in the log, once, as the ticket deletes it; leaks are valgrind's to find.
TEST(Ownership, TicketWithEmptySlotsIsDeletedWithEverythingItOwns)
{
    DBTicket* t = new DBTicket(kConnInfo);
    t->matl_v = {NewProduct(), nullptr, NewProduct()};
    t->prod_v = {nullptr, NewProduct()};
    t->job->matl_v = {nullptr, NewProduct()};
    t->job->prod_v = {NewProduct(), nullptr};
    t->job->formula->matl_v = {NewProduct(), nullptr};
    t->formula->matl_v = {nullptr, NewProduct()};

    openlog("dbticket_test", LOG_PERROR, LOG_USER);
    testing::internal::CaptureStderr();
    delete t;
    std::string log = testing::internal::GetCapturedStderr();
    // closelog() alone keeps LOG_PERROR for later lines.
    openlog(nullptr, 0, LOG_USER);
    closelog();

    const std::regex trace("DBJob[.a-z]*:[0-9]+:~DBJob \n");
    auto lines = std::distance(std::sregex_iterator(log.begin(), log.end(), trace),
                               std::sregex_iterator());
    EXPECT_EQ(lines, 1) << log;
}

TEST(Ownership, DeleteProductsEmptiesAListWithEmptySlots)
{
    std::vector<DBProduct*> list{NewProduct(), nullptr, NewProduct()};
    DeleteProducts(list);
    EXPECT_TRUE(list.empty());
}

TEST(DBTicket, AFinishedCycleIsWeighedUpAndPricedToTheCent)
{
    DBTicket batch("");
    batch.Entry(4);
    samples::AddLine(batch.matl_v, "SAND", "agg", "", 1300, 10400, 0, 0);
    samples::AddLine(batch.matl_v, "CEM", "cmt", "", 517, 4136, 0, 0);
    ASSERT_TRUE(batch.WeighUp({{"cem", 4150}}, {{"Sand", 5}}));
    EXPECT_FLOAT_EQ(5, batch.matl_v[0]->moisture_c);
    EXPECT_FLOAT_EQ(10920, batch.matl_v[0]->adjustedtarget_c);
    EXPECT_FLOAT_EQ(10920, batch.matl_v[0]->actual_c);
    EXPECT_FLOAT_EQ(4136, batch.matl_v[1]->adjustedtarget_c);
    EXPECT_FLOAT_EQ(4150, batch.matl_v[1]->actual_c);
    EXPECT_FALSE(batch.WeighUp({{"GRAVEL", 1}}, {}));
    EXPECT_EQ("batch 4 has no material 'GRAVEL'", batch.ErrorMsg());

    batch.FormulaPrice(87.65f);
    batch.Batchsize(8);
    batch.SalesTax(7);
    samples::AddLine(batch.prod_v, "PUMP", "fee", "", 2, 2, 2, 0)->UnitPrice(22.505f);
    batch.Price();
    EXPECT_FLOAT_EQ(746.21f, batch.Subtotal());
    EXPECT_FLOAT_EQ(52.23f, batch.Tax());
    EXPECT_FLOAT_EQ(798.44f, batch.Total());
}
