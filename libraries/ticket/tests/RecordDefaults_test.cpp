#include <gtest/gtest.h>

#include "Customer.h"
#include "Formula.h"
#include "Job.h"
#include "Product.h"
#include "Ticket.h"
#include "Truck.h"

// Every field of a fresh record, the few non-zero defaults included: a loader
// that finds no row leaves exactly these values on the printed ticket.
TEST(RecordDefaults, EveryFieldStartsAtItsDefault)
{
    Ticket t;
    EXPECT_EQ(t.Plant(), 1);
    EXPECT_FLOAT_EQ(t.Batchsize(), 1.0f);
    EXPECT_EQ(t.Cycles(), 1);
    for (int v : {t.Entry(), t.Invoice(), t.Mixer()})
        EXPECT_EQ(v, 0);
    for (float v : {t.Returned(), t.WaterTrim(), t.SalesTax(), t.Subtotal(), t.Tax(), t.Total(),
                    t.FormulaPrice()})
        EXPECT_EQ(v, 0.0f);
    for (bool v : {t.PrintWeights(), t.PrintPrices(), t.PrintTicket(), t.Void()})
        EXPECT_FALSE(v);
    for (const std::string& v :
         {t.Id(), t.Date(), t.CustomerId(), t.JobId(), t.FormulaId(), t.TruckId(), t.OrderNumber(),
          t.Deliverto(), t.Street(), t.City(), t.State(), t.Zipcode(), t.Instructions(), t.Driver(),
          t.TimeToBatch(), t.TimeBatched(), t.DateBatched(), t.User(), t.Modified()})
        EXPECT_EQ(v, "");

    Truck tr;
    EXPECT_FLOAT_EQ(tr.DischargeRate(), 100.0f);
    EXPECT_EQ(tr.DischargeCode(), 1);
    for (int v : {tr.Entry(), tr.LoadsDelivered()})
        EXPECT_EQ(v, 0);
    for (float v : {tr.MaxLoadSize(), tr.YardsDelivered(), tr.LeftOver()})
        EXPECT_EQ(v, 0.0f);
    for (const std::string& v : {tr.Id(), tr.Driver(), tr.Cellphone(), tr.UsageDate(), tr.User(),
                                 tr.Modified(), tr.OnJob(), tr.OffJob()})
        EXPECT_EQ(v, "");

    Customer c;
    EXPECT_EQ(c.CreditStatus(), 1);
    for (int v : {c.Entry(), c.TotalBatches()})
        EXPECT_EQ(v, 0);
    for (float v : {c.Balance(), c.TotalYards(), c.Discount()})
        EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(c.TaxExempt());
    EXPECT_FALSE(c.PrintTicket());
    for (const std::string& v :
         {c.Id(), c.Name(), c.Street(), c.City(), c.State(), c.Zipcode(), c.Phone(), c.Fax(), c.Email(),
          c.Contact(), c.Cellphone(), c.Memo(), c.UsageDate(), c.User(), c.Modified()})
        EXPECT_EQ(v, "");

    Job j;
    for (int v : {j.Entry(), j.LoadsDelivered()})
        EXPECT_EQ(v, 0);
    for (float v : {j.QuantityOrdered(), j.QuantityDelivered(), j.FormulaPrice(), j.Batchsize(),
                    j.SalesTax(), j.GrandTotal()})
        EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(j.Taxable());
    for (const std::string& v :
         {j.Id(), j.CustomerId(), j.FormulaId(), j.Deliverto(), j.Street(), j.City(), j.State(),
          j.Zipcode(), j.OrderDate(), j.DeliverDate(), j.DeliverTime(), j.Instructions(), j.User(),
          j.Modified()})
        EXPECT_EQ(v, "");

    Product p;
    EXPECT_EQ(p.Entry(), 0);
    for (float v : {p.UnitPrice(), p.Balance(), p.TargetUsage1(), p.AdjTargetUsage1(),
                    p.ActualUsage1(), p.TargetUsage2(), p.AdjTargetUsage2(), p.ActualUsage2()})
        EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(p.Taxable());
    for (const std::string& v : {p.Id(), p.Type(), p.Description(), p.UsMetric(), p.UnitMeasure(),
                                 p.Usage1Date(), p.Usage2Date(), p.User(), p.Modified()})
        EXPECT_EQ(v, "");

    Formula f;
    for (int v : {f.Entry(), f.TotalBatches()})
        EXPECT_EQ(v, 0);
    for (float v : {f.MaxWaterAmount(), f.WaterCementRatio(), f.Price()})
        EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(f.Taxable());
    for (const std::string& v :
         {f.Id(), f.Description(), f.UsMetric(), f.UsageDate(), f.User(), f.Modified()})
        EXPECT_EQ(v, "");
}
