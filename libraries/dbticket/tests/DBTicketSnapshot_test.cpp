#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

#include "DBTicket.h"
#include "RecordCheck.h"

namespace {

DBProduct* NewProduct(const std::string& id)
{
    DBProduct* product = new DBProduct("dbname=morvik2");
    product->Id(id);
    return product;
}

// A ticket, its records and one material and one product line whose every
// column holds a value of its own, so that an element that takes the wrong
// source shows up.
void FillTicket(DBTicket& t)
{
    t.matl_v.push_back(NewProduct(""));
    t.prod_v.push_back(NewProduct(""));
    records::Values values;
    records::FillAll(t, values);
    // Outside the snapshot.
    t.InspectBatch(true);
    t.customer->Memo("not in the snapshot");
    t.job->matl_v.push_back(NewProduct("JOBMATL"));
    t.formula->matl_v.push_back(NewProduct("FORMULAMATL"));
}

// Text number `n` of records::Values as the snapshot writes it.
std::string Text(int n)
{
    return std::to_string(n) + " O&apos;Neil &amp; &quot;&amp;amp;&quot; &lt;\xe9&gt;";
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
        "<ticket_t><batch_t><id_c>" + Text(1) + "</id_c>" +
        "<ordernumber_c>" + Text(2) + "</ordernumber_c><timecreated_c>00:00:03</timecreated_c>" +
        "<timetobatch_c>00:00:04</timetobatch_c><timestarted_c>00:00:05</timestarted_c>" +
        "<timefinished_c>00:00:06</timefinished_c><datebatched_c>00:00:07</datebatched_c>" +
        "<timebatched_c>00:00:08</timebatched_c><batchsize_c>-13.375000</batchsize_c>" +
        "<returned_c>14.375000</returned_c><watertrim_c>-15.375000</watertrim_c>" +
        "<mixer_c>16</mixer_c><cycles_c>17</cycles_c><salestax_c>18.375000</salestax_c>" +
        "<printweights_c>t</printweights_c><printprices_c>f</printprices_c>" +
        "<printticket_c>t</printticket_c><formulaprice_c>22.25</formulaprice_c>" +
        "<subtotal_c>-23.25</subtotal_c><tax_c>24.25</tax_c><total_c>-25.25</total_c>" +
        "<slumpwater_c>26</slumpwater_c><manualbatch_c>f</manualbatch_c>" +
        "<manualweighup_c>t</manualweighup_c><manualdischarge_c>f</manualdischarge_c>" +
        "<mixtime_c>30</mixtime_c><mixingtime_c>31</mixingtime_c>" +
        "<simulatedbatch_c>t</simulatedbatch_c><agg1scalestart_c>-33.25</agg1scalestart_c>" +
        "<agg1scaleend_c>34.25</agg1scaleend_c><cmt1scalestart_c>-35.25</cmt1scalestart_c>" +
        "<cmt1scaleend_c>36.25</cmt1scaleend_c></batch_t><customer_t>" +
        "<id_c>" + Text(54) + "</id_c><name_c>" + Text(55) + "</name_c>" +
        "<street_c>" + Text(56) + "</street_c><city_c>" + Text(57) + "</city_c>" +
        "<state_c>" + Text(58) + "</state_c><zipcode_c>" + Text(59) + "</zipcode_c>" +
        "<phone_c>" + Text(60) + "</phone_c><fax_c>" + Text(61) + "</fax_c>" +
        "<email_c>" + Text(62) + "</email_c><contact_c>" + Text(63) + "</contact_c>" +
        "<cellphone_c>" + Text(64) + "</cellphone_c><taxexempt_c>t</taxexempt_c>" +
        "<printticket_c>f</printticket_c></customer_t><job_t><id_c>" + Text(75) + "</id_c>" +
        "<customerid_c>" + Text(76) + "</customerid_c><formulaid_c>" + Text(77) + "</formulaid_c>" +
        "<deliverto_c>" + Text(37) + "</deliverto_c><street_c>" + Text(38) + "</street_c>" +
        "<city_c>" + Text(39) + "</city_c><state_c>" + Text(40) + "</state_c>" +
        "<zipcode_c>" + Text(41) + "</zipcode_c><orderdate_c>" + Text(83) + "</orderdate_c>" +
        "<deliverdate_c>" + Text(84) + "</deliverdate_c>" +
        "<delivertime_c>" + Text(85) + "</delivertime_c>" +
        "<instructions_c>" + Text(42) + "</instructions_c>" +
        "<quantityordered_c>-87.375000</quantityordered_c>" +
        "<quantitydelivered_c>88.375000</quantitydelivered_c><loadsdelivered_c>89</loadsdelivered_c>" +
        "<formulaprice_c>90.375000</formulaprice_c><batchsize_c>-91.375000</batchsize_c>" +
        "<taxable_c>t</taxable_c><salestax_c>-93.375000</salestax_c>" +
        "<grandtotal_c>94.375000</grandtotal_c></job_t><formula_t>" +
        "<id_c>" + Text(98) + "</id_c><description_c>" + Text(99) + "</description_c>" +
        "<usmetric_c>" + Text(100) + "</usmetric_c><maxwateramount_c>-101.375000</maxwateramount_c>" +
        "<watercementratio_c>102.375000</watercementratio_c><taxable_c>f</taxable_c>" +
        "<price_c>104.375000</price_c></formula_t><truck_t><id_c>" + Text(110) + "</id_c>" +
        "<driver_c>" + Text(43) + "</driver_c><cellphone_c>" + Text(112) + "</cellphone_c>" +
        "<dischargerate_c>-113.375000</dischargerate_c><dischargecode_c>114</dischargecode_c>" +
        "<maxloadsize_c>-115.375000</maxloadsize_c><onjob_c>" + Text(116) + "</onjob_c>" +
        "<offjob_c>" + Text(117) + "</offjob_c><leftover_c>118.375000</leftover_c></truck_t>" +
        "<materials_t><nummatl_c>1</nummatl_c><matl num=\"1\"><id_c>" + Text(125) + "</id_c>" +
        "<type_c>" + Text(126) + "</type_c><description_c>" + Text(127) + "</description_c>" +
        "<usmetric_c>" + Text(128) + "</usmetric_c><unitmeasure_c>" + Text(129) + "</unitmeasure_c>" +
        "<taxable_c>t</taxable_c><unitprice_c>-131.375000</unitprice_c>" +
        "<amount_c>-143.375000</amount_c><position_c>144</position_c>" +
        "<target_c>-145.375000</target_c><cumtarget_c>146.375000</cumtarget_c>" +
        "<adjustedtarget_c>-147.375000</adjustedtarget_c><actual_c>148.375000</actual_c>" +
        "<cumactual_c>-149.375000</cumactual_c><moisture_c>150.375000</moisture_c>" +
        "<over_c>f</over_c><low_tol_c>152.375000</low_tol_c><high_tol_c>-153.375000</high_tol_c>" +
        "<scale_start_c>154.375000</scale_start_c><scale_end_c>-155.375000</scale_end_c></matl>" +
        "</materials_t><products_t><numprod_c>1</numprod_c><prod num=\"1\">" +
        "<id_c>" + Text(157) + "</id_c><type_c>" + Text(158) + "</type_c>" +
        "<description_c>" + Text(159) + "</description_c><usmetric_c>" + Text(160) + "</usmetric_c>" +
        "<unitmeasure_c>" + Text(161) + "</unitmeasure_c><taxable_c>t</taxable_c>" +
        "<unitprice_c>-163.375000</unitprice_c><amount_c>-175.375000</amount_c>" +
        "<position_c>176</position_c></prod></products_t></ticket_t>";

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

// Writing copies into `section` (the job's or the truck's) the ticket's
// columns that a load reads back from there, but the identifier; the
// record's other columns stay as they were.
template <class R>
void ExpectCopied(const char* section, const RecordTable<R>& table, const DBTicket& ticket, const R& before,
                  const R& after)
{
    SCOPED_TRACE(section);
    std::set<std::string> copied;
    for (const RecordColumn<DBTicket>& column : TicketTable().columns) {
        std::string from = column.readFrom ? column.readFrom : "";
        if (from.compare(0, from.find('/'), section) != 0)
            continue;
        // The identifier is the reference to the record, not a copy.
        std::string name = from.substr(from.find('/') + 1);
        if (name == "id_c")
            continue;
        copied.insert(name);
        for (const RecordColumn<R>& target : table.Only({name.c_str()}))
            EXPECT_EQ(column.get(ticket).text, target.get(after).text) << target.column;
    }
    EXPECT_FALSE(copied.empty());
    for (const RecordColumn<R>& column : table.columns)
        if (!copied.count(column.column))
            records::ExpectSameColumn(column, before, after);
}

TEST(TicketSnapshot, WritingCopiesDeliveryAndDriverIntoJobAndTruckForGood)
{
    DBTicket t("");
    FillTicket(t);
    DBTicket before("");
    FillTicket(before);
    t.xmlString();
    ExpectCopied<Job>("job_t", JobTable(), t, *before.job, *t.job);
    ExpectCopied<Truck>("truck_t", TruckTable(), t, *before.truck, *t.truck);
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
