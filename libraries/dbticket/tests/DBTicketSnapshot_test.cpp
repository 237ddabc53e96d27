#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "DBTicket.h"

namespace {

DBProduct* NewProduct(const std::string& id)
{
    DBProduct* product = new DBProduct("dbname=morvik2");
    product->Id(id);
    return product;
}

// A ticket whose every written field holds a value of its own, so that an
// element that takes the wrong source shows up.
void FillTicket(DBTicket& t)
{
    t.Id("T-1001");
    t.OrderNumber("PO 77");
    t.TimeCreated("08:01:02");
    t.TimeToBatch("08:15:00");
    t.TimeStarted("08:16:10");
    t.TimeFinished("08:19:30");
    t.DateBatched("2024-03-05");
    t.TimeBatched("08:19:31");
    t.Batchsize(8.5f);
    t.Returned(0.25f);
    t.WaterTrim(-1.5f);
    t.Mixer(2);
    t.Cycles(3);
    t.SalesTax(0.0625f);
    t.PrintWeights(true);
    t.PrintTicket(true);
    t.FormulaPrice(95.5f);
    t.Subtotal(811.75f);
    t.Tax(50.73f);
    t.Total(862.48f);
    t.SlumpWater(4);
    t.ManualBatch(true);
    t.ManualDischarge(true);
    t.MixTime(90);
    t.MixingTime(60);
    t.InspectBatch(true);
    t.agg1_scale_start = 1000.004;
    t.agg1_scale_end = 5432.1;
    t.cmt1_scale_end = 987.5;
    // Kept out of the batch section: they live in ticket_t's own columns or
    // only inside the nested sections.
    t.Entry(55);
    t.Invoice(9001);
    t.Plant(2);
    t.CustomerId("ignored");
    t.NumMatl(7);
    t.NumProd(7);

    t.Deliverto("Site A");
    t.Street("12 Mill Rd");
    t.City("Elm Grove");
    t.State("WI");
    t.Zipcode("53122");
    t.Instructions("Gate code 4411");
    t.Driver("Pat Lee");

    DBCustomer& c = *t.customer;
    c.Id("C7");
    c.Name("Sand & Gravel");
    c.Street("4 Quarry Ln");
    c.City("Brookfield");
    c.State("WI");
    c.Zipcode("53005");
    c.Phone("555-0101");
    c.Email("office@quarry.example");
    c.Contact("Dana");
    c.TaxExempt(true);
    c.Memo("not in the snapshot");

    DBJob& j = *t.job;
    j.Id("J9");
    j.CustomerId("C7");
    j.FormulaId("F3");
    j.Deliverto("Old site");
    j.Street("9 Old Ave");
    j.City("Old town");
    j.State("IL");
    j.Zipcode("60601");
    j.Instructions("old instructions");
    j.OrderDate("2024-03-01");
    j.DeliverDate("2024-03-05");
    j.DeliverTime("08:00");
    j.QuantityOrdered(40.0f);
    j.QuantityDelivered(8.5f);
    j.LoadsDelivered(1);
    j.FormulaPrice(95.5f);
    j.Batchsize(10.0f);
    j.Taxable(true);
    j.SalesTax(0.0625f);
    j.GrandTotal(811.75f);
    j.matl_v.push_back(NewProduct("JOBMATL"));

    DBFormula& f = *t.formula;
    f.Id("F3");
    f.Description("4000 PSI 3/4\"");
    f.UsMetric("us");
    f.MaxWaterAmount(30.5f);
    f.WaterCementRatio(0.45f);
    f.Price(95.5f);
    f.matl_v.push_back(NewProduct("FORMULAMATL"));

    DBTruck& tr = *t.truck;
    tr.Id("TR12");
    tr.Driver("Old Driver");
    tr.Cellphone("555-0100");
    tr.MaxLoadSize(10.0f);
    tr.OnJob("08:30");
    tr.LeftOver(0.5f);

    DBProduct* m = NewProduct("CMT1");
    m->Type("cmt");
    m->Description("Type I/II");
    m->UsMetric("us");
    m->UnitMeasure("lb");
    m->UnitPrice(0.07f);
    m->amount_c = 564.0f;
    m->position_c = 2;
    m->target_c = 4794.0f;
    m->cumtarget_c = 4794.0f;
    m->adjustedtarget_c = 4790.5f;
    m->actual_c = 4801.0f;
    m->cumactual_c = 4801.0f;
    m->moisture_c = 2.75f;
    m->over_c = true;
    m->low_tol_c = 1.5f;
    m->high_tol_c = 2.5f;
    m->scale_start_c = 12.25;
    m->scale_end_c = 4813.25;
    t.matl_v.push_back(m);

    DBProduct* p = NewProduct("FIBER");
    p->Type("misc");
    p->Description("Fiber <bag>");
    p->UnitMeasure("ea");
    p->Taxable(true);
    p->UnitPrice(12.5f);
    p->amount_c = 3.0f;
    p->position_c = 1;
    p->target_c = 99.0f;
    t.prod_v.push_back(p);
}

const char* const kTail =
    "<materials_t><nummatl_c>0</nummatl_c></materials_t>"
    "<products_t><numprod_c>0</numprod_c></products_t></ticket_t>";

}  // namespace

TEST(TicketSnapshot, WholeDocumentForOneMaterialAndOneProduct)
{
    DBTicket t("dbname=morvik2");
    FillTicket(t);

    const std::string expected =
        "<ticket_t><batch_t>"
        "<id_c>T-1001</id_c><ordernumber_c>PO 77</ordernumber_c>"
        "<timecreated_c>08:01:02</timecreated_c><timetobatch_c>08:15:00</timetobatch_c>"
        "<timestarted_c>08:16:10</timestarted_c><timefinished_c>08:19:30</timefinished_c>"
        "<datebatched_c>2024-03-05</datebatched_c><timebatched_c>08:19:31</timebatched_c>"
        "<batchsize_c>8.500000</batchsize_c><returned_c>0.250000</returned_c>"
        "<watertrim_c>-1.500000</watertrim_c><mixer_c>2</mixer_c><cycles_c>3</cycles_c>"
        "<salestax_c>0.062500</salestax_c><printweights_c>t</printweights_c>"
        "<printprices_c>f</printprices_c><printticket_c>t</printticket_c>"
        "<formulaprice_c>95.50</formulaprice_c><subtotal_c>811.75</subtotal_c>"
        "<tax_c>50.73</tax_c><total_c>862.48</total_c><slumpwater_c>4</slumpwater_c>"
        "<manualbatch_c>t</manualbatch_c><manualweighup_c>f</manualweighup_c>"
        "<manualdischarge_c>t</manualdischarge_c><mixtime_c>90</mixtime_c>"
        "<mixingtime_c>60</mixingtime_c><simulatedbatch_c>f</simulatedbatch_c>"
        "<agg1scalestart_c>1000.00</agg1scalestart_c><agg1scaleend_c>5432.10</agg1scaleend_c>"
        "<cmt1scalestart_c>0.00</cmt1scalestart_c><cmt1scaleend_c>987.50</cmt1scaleend_c>"
        "</batch_t>"
        "<customer_t><id_c>C7</id_c><name_c>Sand &amp; Gravel</name_c>"
        "<street_c>4 Quarry Ln</street_c><city_c>Brookfield</city_c><state_c>WI</state_c>"
        "<zipcode_c>53005</zipcode_c><phone_c>555-0101</phone_c><fax_c></fax_c>"
        "<email_c>office@quarry.example</email_c><contact_c>Dana</contact_c>"
        "<cellphone_c></cellphone_c><taxexempt_c>t</taxexempt_c><printticket_c>f</printticket_c>"
        "</customer_t>"
        "<job_t><id_c>J9</id_c><customerid_c>C7</customerid_c><formulaid_c>F3</formulaid_c>"
        "<deliverto_c>Site A</deliverto_c><street_c>12 Mill Rd</street_c>"
        "<city_c>Elm Grove</city_c><state_c>WI</state_c><zipcode_c>53122</zipcode_c>"
        "<orderdate_c>2024-03-01</orderdate_c><deliverdate_c>2024-03-05</deliverdate_c>"
        "<delivertime_c>08:00</delivertime_c><instructions_c>Gate code 4411</instructions_c>"
        "<quantityordered_c>40.000000</quantityordered_c>"
        "<quantitydelivered_c>8.500000</quantitydelivered_c><loadsdelivered_c>1</loadsdelivered_c>"
        "<formulaprice_c>95.500000</formulaprice_c><batchsize_c>10.000000</batchsize_c>"
        "<taxable_c>t</taxable_c><salestax_c>0.062500</salestax_c>"
        "<grandtotal_c>811.750000</grandtotal_c></job_t>"
        "<formula_t><id_c>F3</id_c><description_c>4000 PSI 3/4&quot;</description_c>"
        "<usmetric_c>us</usmetric_c><maxwateramount_c>30.500000</maxwateramount_c>"
        "<watercementratio_c>0.450000</watercementratio_c><taxable_c>f</taxable_c>"
        "<price_c>95.500000</price_c></formula_t>"
        "<truck_t><id_c>TR12</id_c><driver_c>Pat Lee</driver_c><cellphone_c>555-0100</cellphone_c>"
        "<dischargerate_c>100.000000</dischargerate_c><dischargecode_c>1</dischargecode_c>"
        "<maxloadsize_c>10.000000</maxloadsize_c><onjob_c>08:30</onjob_c><offjob_c></offjob_c>"
        "<leftover_c>0.500000</leftover_c></truck_t>"
        "<materials_t><nummatl_c>1</nummatl_c><matl num=\"1\">"
        "<id_c>CMT1</id_c><type_c>cmt</type_c><description_c>Type I/II</description_c>"
        "<usmetric_c>us</usmetric_c><unitmeasure_c>lb</unitmeasure_c><taxable_c>f</taxable_c>"
        "<unitprice_c>0.070000</unitprice_c><amount_c>564.000000</amount_c>"
        "<position_c>2</position_c><target_c>4794.000000</target_c>"
        "<cumtarget_c>4794.000000</cumtarget_c><adjustedtarget_c>4790.500000</adjustedtarget_c>"
        "<actual_c>4801.000000</actual_c><cumactual_c>4801.000000</cumactual_c>"
        "<moisture_c>2.750000</moisture_c><over_c>t</over_c><low_tol_c>1.500000</low_tol_c>"
        "<high_tol_c>2.500000</high_tol_c><scale_start_c>12.250000</scale_start_c>"
        "<scale_end_c>4813.250000</scale_end_c></matl></materials_t>"
        "<products_t><numprod_c>1</numprod_c><prod num=\"1\">"
        "<id_c>FIBER</id_c><type_c>misc</type_c><description_c>Fiber &lt;bag&gt;</description_c>"
        "<usmetric_c></usmetric_c><unitmeasure_c>ea</unitmeasure_c><taxable_c>t</taxable_c>"
        "<unitprice_c>12.500000</unitprice_c><amount_c>3.000000</amount_c>"
        "<position_c>1</position_c></prod></products_t>"
        "</ticket_t>";

    EXPECT_EQ(t.xmlString(), expected);
    // Writing again gives the same document: the copies into job and truck
    // are the only change, and they are already in place.
    EXPECT_EQ(t.xmlString(), expected);
}

TEST(TicketSnapshot, EmptyListsCloseTheDocumentWithZeroCounts)
{
    DBTicket t("");
    std::string xml = t.xmlString();
    ASSERT_GE(xml.size(), std::string(kTail).size());
    EXPECT_EQ(xml.substr(xml.size() - std::string(kTail).size()), kTail);
    EXPECT_EQ(xml.find("<matl"), std::string::npos);
    EXPECT_EQ(xml.find("<prod "), std::string::npos);
}

TEST(TicketSnapshot, MaterialsAreNumberedFromOneInListOrder)
{
    DBTicket t("");
    for (const char* id : {"M1", "M2", "M3"})
        t.matl_v.push_back(NewProduct(id));
    for (const char* id : {"P1", "P2"})
        t.prod_v.push_back(NewProduct(id));
    std::string xml = t.xmlString();
    EXPECT_NE(xml.find("<nummatl_c>3</nummatl_c><matl num=\"1\"><id_c>M1</id_c>"), std::string::npos);
    EXPECT_NE(xml.find("</matl><matl num=\"3\"><id_c>M3</id_c>"), std::string::npos);
    EXPECT_NE(xml.find("<numprod_c>2</numprod_c><prod num=\"1\"><id_c>P1</id_c>"), std::string::npos);
    EXPECT_NE(xml.find("</prod><prod num=\"2\"><id_c>P2</id_c>"), std::string::npos);
}

TEST(TicketSnapshot, EmptySlotsAreLeftOutAndTheRestNumberedAfterThem)
{
    DBTicket t("");
    t.matl_v = {NewProduct("M1"), nullptr, NewProduct("M3")};
    t.prod_v = {nullptr};
    std::string xml = t.xmlString();
    EXPECT_NE(xml.find("<nummatl_c>2</nummatl_c><matl num=\"1\"><id_c>M1</id_c>"), std::string::npos);
    EXPECT_NE(xml.find("</matl><matl num=\"2\"><id_c>M3</id_c>"), std::string::npos);
    EXPECT_EQ(xml.find("num=\"3\""), std::string::npos);
    EXPECT_NE(xml.find("<products_t><numprod_c>0</numprod_c></products_t></ticket_t>"),
              std::string::npos);
}

TEST(TicketSnapshot, WritingCopiesDeliveryAndDriverIntoJobAndTruckForGood)
{
    DBTicket t("");
    FillTicket(t);
    t.xmlString();
    EXPECT_EQ(t.job->Street(), "12 Mill Rd");
    EXPECT_EQ(t.job->Deliverto(), "Site A");
    EXPECT_EQ(t.job->City(), "Elm Grove");
    EXPECT_EQ(t.job->State(), "WI");
    EXPECT_EQ(t.job->Zipcode(), "53122");
    EXPECT_EQ(t.job->Instructions(), "Gate code 4411");
    EXPECT_EQ(t.truck->Driver(), "Pat Lee");
    // Only the delivery fields are copied.
    EXPECT_EQ(t.job->Id(), "J9");
    EXPECT_EQ(t.job->CustomerId(), "C7");
}

// One element of the document for one changed field.
struct ElementCase {
    const char* name;
    void (*fill)(DBTicket&);
    std::string element;
};

void PrintTo(const ElementCase& c, std::ostream* os)
{
    *os << c.name;
}

class SnapshotElement : public testing::TestWithParam<ElementCase> {};

TEST_P(SnapshotElement, IsWrittenAsExpected)
{
    DBTicket t("");
    GetParam().fill(t);
    EXPECT_NE(t.xmlString().find(GetParam().element), std::string::npos) << t.xmlString();
}

INSTANTIATE_TEST_SUITE_P(
    Values, SnapshotElement,
    testing::Values(
        ElementCase{"BatchSizeSixDecimals", [](DBTicket& t) { t.Batchsize(8.5f); },
                    "<batchsize_c>8.500000</batchsize_c>"},
        ElementCase{"TotalTwoDecimals", [](DBTicket& t) { t.Total(512.3f); },
                    "<total_c>512.30</total_c>"},
        ElementCase{"NegativeMixer", [](DBTicket& t) { t.Mixer(-1); }, "<mixer_c>-1</mixer_c>"},
        ElementCase{"JobPriceSixDecimals", [](DBTicket& t) { t.job->FormulaPrice(8.5f); },
                    "<formulaprice_c>8.500000</formulaprice_c><batchsize_c>"},
        ElementCase{"ScaleReadingTwoDecimals", [](DBTicket& t) { t.cmt1_scale_start = 1234.567; },
                    "<cmt1scalestart_c>1234.57</cmt1scalestart_c>"},
        ElementCase{"Ampersand", [](DBTicket& t) { t.customer->Name("Sand & Gravel"); },
                    "<name_c>Sand &amp; Gravel</name_c>"},
        ElementCase{"Apostrophe", [](DBTicket& t) { t.customer->Name("Owner's Yard"); },
                    "<name_c>Owner&apos;s Yard</name_c>"},
        ElementCase{"AngleBrackets", [](DBTicket& t) { t.customer->Name("a<b>c"); },
                    "<name_c>a&lt;b&gt;c</name_c>"},
        ElementCase{"SpecialsInARowAndAtTheEnd", [](DBTicket& t) { t.OrderNumber("x''&"); },
                    "<ordernumber_c>x&apos;&apos;&amp;</ordernumber_c>"},
        ElementCase{"Latin1BytesUnchanged", [](DBTicket& t) { t.customer->Name("Caf\xE9 M\xFCller"); },
                    "<name_c>Caf\xE9 M\xFCller</name_c>"},
        ElementCase{"ControlBytesBecomeBlanks",
                    [](DBTicket& t) { t.Instructions("Ring\x1b bell\fnow\tthen"); },
                    "<instructions_c>Ring  bell now\tthen</instructions_c>"},
        ElementCase{"BatchTimesNotEncoded", [](DBTicket& t) { t.TimeCreated("08:00&"); },
                    "<timecreated_c>08:00&</timecreated_c>"},
        ElementCase{"TicketDriverInTruck",
                    [](DBTicket& t) {
                        t.truck->Driver("Old");
                        t.Driver("O'Neil");
                    },
                    "<truck_t><id_c></id_c><driver_c>O&apos;Neil</driver_c>"},
        ElementCase{"TicketStreetInJob",
                    [](DBTicket& t) {
                        t.job->Street("9 Old Ave");
                        t.Street("1 New St");
                    },
                    "<street_c>1 New St</street_c><city_c></city_c><state_c></state_c>"
                    "<zipcode_c></zipcode_c><orderdate_c>"}),
    [](const testing::TestParamInfo<ElementCase>& info) { return std::string(info.param.name); });
