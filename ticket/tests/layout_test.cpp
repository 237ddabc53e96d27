#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

#include "8418.h"
#include "DBTicket.h"
#include "print.h"

namespace {

std::string S(size_t n)
{
    return std::string(n, ' ');
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A ticket that fills every part of the form: prices and weights on, two
// extra products, the materials of the plant's worked example plus an
// admixture that is out of tolerance.
class LayoutTest : public ::testing::Test {
protected:
    LayoutTest() : ticket(new DBTicket(""))
    {
        SetCompress(1);
        ticket->DateBatched("2016-03-01");
        ticket->TimeBatched("07:52:10");
        ticket->TimeStarted("2016-03-01 07:45:00");
        ticket->Invoice(4711);
        ticket->Instructions("Call before arrival\nGate code 4411");
        ticket->Batchsize(8);
        ticket->FormulaPrice(92.5f);
        ticket->Zipcode("97002");
        ticket->Tax(62.34f);
        ticket->Subtotal(778.5f);
        ticket->Total(840.84f);
        ticket->PrintPrices(true);
        ticket->PrintWeights(true);
        ticket->customer->Name("Hollis Gravel Works");
        ticket->customer->Street("12 Quarry Road");
        ticket->customer->City("Brenton");
        ticket->customer->State("OR");
        ticket->customer->Zipcode("97001");
        ticket->formula->Id("F3000");
        ticket->formula->Description("3000 PSI 1in stone");
        ticket->job->QuantityOrdered(40);
        ticket->job->LoadsDelivered(3);
        ticket->job->QuantityDelivered(24.5f);
        ticket->truck->Id("T12");
        ticket->truck->Driver("Amos Leland");
        Material("agg", "3/4 Stone", 125, 1000, 1010, 5);
        Material("agg", "Sand", 100, 800, 790, 3);
        Material("cmt", "Type I/II", 75.6f, 600, 605);
        Material("admix", "WR Admix", 3.5f, 28, 28.5f, 0, true);
        Material("water", "Water", 3.75f, 30, 31);
        Extra("FIBER", "Fiber mesh", 1, 12.5f);
        Extra("HOTW", "Hot water", 8, 3.25f);
    }

    void Material(std::string type, std::string description, float amount, float target, float actual,
                  float moisture = 0, bool over = false)
    {
        auto* line = new DBProduct("");
        line->Type(type);
        line->Description(description);
        line->amount_c = amount;
        line->target_c = target;
        line->actual_c = actual;
        line->moisture_c = moisture;
        line->over_c = over;
        ticket->matl_v.push_back(line);
    }

    void Extra(std::string id, std::string description, float amount, float price)
    {
        auto* product = new DBProduct("");
        product->Id(id);
        product->Description(description);
        product->amount_c = amount;
        product->UnitPrice(price);
        ticket->prod_v.push_back(product);
    }

    std::string Print(int before = 0, int after = 0, bool prices = true, bool weights = true)
    {
        std::ostringstream out;
        PrintTicket(out, ticket.get(), "1", "yes", before, after, "Customer", prices, weights);
        return out.str();
    }

    std::unique_ptr<DBTicket> ticket;
};

TEST_F(LayoutTest, RichTicketCopy)
{
    const std::string expected = std::string("\n")
        + "       2016-03-01 \n"
        + S(76) + "4711  \n"
        + "\n"
        + "    Hollis Gravel Works" + S(21) + "Call before arrival" + S(11) + "\n"
        + "    12 Quarry Road" + S(26) + "Gate code 4411" + S(16) + "\n"
        + "    Brenton OR 97001" + S(54) + "\n"
        + S(74) + "\n"
        + S(74) + "\n"
        + "\n\n"
        + S(9) + "F3000" + S(5) + "3000 PSI 1in stone" + S(37) + "40.00 \n"
        + "\n"
        + S(17) + "8.00" + S(10) + "3" + S(15) + "24.50" + S(5) + "92.50" + S(11) + "740.00 \n"
        + "\n"
        + S(8) + "T12" + S(11) + "07:45" + S(4) + "97002" + S(15) + "\n"
        + "\n\n"
        + S(4) + "1.00 FIBER" + S(6) + "Fiber mesh" + S(32) + "12.50" + S(7) + "12.50 \n"
        + "\n"
        + S(4) + "8.00 HOTW" + S(7) + "Hot water" + S(34) + "3.25" + S(7) + "26.00 \n"
        + "\n"
        + "\n\n\n\n\n\n"
        + "\n"
        + S(75) + "62.34\n"
        + S(74) + "778.50\n"
        + " Amos Leland \n"
        + "\n"
        + S(74) + "840.84\n"
        + "\n"
        + "\x1b" "P[MATERIAL]           [MIX]    [TARGET]    [ACTUAL]  [% TOL]  [UM] [% MCT] [WATER]\n"
        + "3/4 Stone" + S(14) + "125" + S(8) + "1000" + S(8) + "1010" + S(4) + "1.00%   lbs   5.0%    5.8 gals \n"
        + "Sand" + S(19) + "100" + S(8) + "1800" + S(8) + "1800" + S(4) + "0.00%   lbs   3.0%    2.8 gals \n"
        + "Type I/II" + S(15) + "76" + S(9) + "600" + S(9) + "605" + S(4) + "0.83%   lbs \n"
        + "WR Admix" + S(15) + "3.5" + S(8) + "28.0" + S(8) + "28.5*   1.79%   ozs \n"
        + "Water" + S(20) + "4" + S(10) + "30" + S(10) + "31" + S(4) + "3.33%   gal   [WC RATIO: 0.54] \n"
        + "\n"
        + "DATE: 2016-03-01 TIME: 07:52:10    \n"
        + "\x1b" "Q\n\n";
    EXPECT_EQ(Print(1, 2), expected);
}

TEST_F(LayoutTest, WorkedExampleRows)
{
    delete ticket->matl_v[3];
    ticket->matl_v.erase(ticket->matl_v.begin() + 3);
    const std::vector<std::string> lines = Lines(Print());
    ASSERT_EQ(lines.size(), 42u);
    EXPECT_EQ(lines[35], "3/4 Stone              125        1000        1010    1.00%   lbs   5.0%    5.8 gals ");
    EXPECT_EQ(lines[36], "Sand                   100        1800        1800    0.00%   lbs   3.0%    2.8 gals ");
    EXPECT_EQ(lines[37], "Type I/II               76         600         605    0.83%   lbs ");
    EXPECT_EQ(lines[38], "Water                    4          30          31    3.33%   gal   [WC RATIO: 0.54] ");
    EXPECT_EQ(lines[39], "");
}

struct CountCase {
    const char* name;
    std::function<void(DBTicket&, bool& copy_weights)> change;
    size_t lines;
};

class LineCountTest : public LayoutTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(LineCountTest, NewlinesBeforeNocompress)
{
    bool weights = true;
    GetParam().change(*ticket, weights);
    const std::string out = Print(0, 0, true, weights);
    const std::string body = out.substr(0, out.size() - 2);
    ASSERT_EQ(out.substr(body.size()), "\x1b" "Q");
    EXPECT_EQ(static_cast<size_t>(std::count(body.begin(), body.end(), '\n')), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, LineCountTest,
    ::testing::Values(
        CountCase{"CopyWithoutWeights", [](DBTicket&, bool& weights) { weights = false; }, 52},
        CountCase{"TicketWithoutWeightsOrPrices",
                  [](DBTicket& t, bool&) {
                      t.PrintWeights(false);
                      t.PrintPrices(false);
                  },
                  52},
        CountCase{"NoFormula", [](DBTicket& t, bool&) { t.formula->Id(""); }, 53},
        CountCase{"FiveMaterialRows", [](DBTicket&, bool&) {}, 42},
        CountCase{"NoMaterials",
                  [](DBTicket& t, bool&) {
                      for (DBProduct* line : t.matl_v)
                          delete line;
                      t.matl_v.clear();
                  },
                  37},
        // Without a water line no water row is printed.
        CountCase{"NoWaterLine", [](DBTicket& t, bool&) { t.matl_v.back()->Type("Water"); }, 41}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return info.param.name; });

struct PriceFlags {
    bool ticket;
    bool copy;
};

class PricesOffTest : public LayoutTest, public ::testing::WithParamInterface<PriceFlags> {};

TEST_P(PricesOffTest, ShortRowsAndNoAmounts)
{
    ticket->PrintPrices(GetParam().ticket);
    const std::vector<std::string> lines = Lines(Print(0, 0, GetParam().copy));
    EXPECT_EQ(lines[12], S(17) + "8.00" + S(10) + "3" + S(15) + "24.50" + S(20));
    EXPECT_EQ(lines[17], S(4) + "1.00  FIBER" + S(5) + "Fiber mesh" + S(19));
    EXPECT_EQ(lines[19], S(4) + "8.00  HOTW" + S(6) + "Hot water" + S(20));
    EXPECT_EQ(lines[28], "");
    EXPECT_EQ(lines[29], "");
    EXPECT_EQ(lines[30], " Amos Leland ");
    EXPECT_EQ(lines[32], "");
}

INSTANTIATE_TEST_SUITE_P(Layout, PricesOffTest, ::testing::Values(PriceFlags{false, true}, PriceFlags{true, false}));

TEST_F(LayoutTest, NoFormulaDropsPricePartAndWeights)
{
    ticket->formula->Id("");
    const std::string out = Print();
    const std::vector<std::string> lines = Lines(out);
    EXPECT_EQ(lines[12], S(17) + "8.00" + S(10) + "3" + S(15) + "24.50  ");
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[14], "");
    EXPECT_EQ(lines[15], S(8) + "T12" + S(11) + "07:45" + S(4) + "97002" + S(15));
    EXPECT_EQ(lines[33], S(74) + "840.84");
    EXPECT_EQ(out.find("[MATERIAL]"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 20), std::string(18, '\n') + "\x1b" "Q");
}

TEST_F(LayoutTest, OnlyFiveProducts)
{
    for (const char* id : {"P3", "P4", "P5", "P6", "P7"})
        Extra(id, "Extra", 1, 1);
    const std::string out = Print();
    const std::vector<std::string> lines = Lines(out);
    EXPECT_EQ(lines[21].substr(9, 9), "P3       ");
    EXPECT_EQ(lines[25].substr(9, 9), "P5       ");
    EXPECT_EQ(lines[26], "");
    EXPECT_EQ(lines[27], "");
    EXPECT_EQ(lines[28], S(75) + "62.34");
    EXPECT_EQ(out.find("P6"), std::string::npos);
}

TEST_F(LayoutTest, InstructionLines)
{
    ticket->Instructions("one\ntwo\nthree\nfour\nfive\nsix\nseven");
    std::vector<std::string> lines = Lines(Print());
    EXPECT_EQ(lines[3].substr(44), "one" + S(27));
    EXPECT_EQ(lines[7].substr(44), "five" + S(26));
    EXPECT_EQ(lines[8], "");
    EXPECT_EQ(Print().find("six"), std::string::npos);

    ticket->Instructions("Pour slowly and keep the chute clean at all times");
    lines = Lines(Print());
    EXPECT_EQ(lines[3].substr(44), "Pour slowly and keep the chut ");
    EXPECT_EQ(lines[4].substr(44), S(30));
}

TEST_F(LayoutTest, UnknownMaterialsAndNullSlotsChangeNothing)
{
    const std::string plain = Print();
    Material("fiber", "Steel Fiber", 9, 900, 900);
    std::rotate(ticket->matl_v.begin(), ticket->matl_v.end() - 1, ticket->matl_v.end());
    ticket->matl_v.insert(ticket->matl_v.begin() + 3, nullptr);
    Material("AGG", "Gravel", 50, 400, 400, 4);
    Material("Cmt", "Fly Ash", 50, 400, 400);
    ticket->prod_v.insert(ticket->prod_v.begin(), nullptr);
    ticket->prod_v.push_back(nullptr);
    EXPECT_EQ(Print(), plain);
}

TEST_F(LayoutTest, LastWaterLineCounts)
{
    Material("water", "Ice", 9, 90, 120);
    const std::vector<std::string> lines = Lines(Print());
    ASSERT_EQ(lines.size(), 43u);
    EXPECT_EQ(lines[39], "Ice" + S(22) + "9" + S(10) + "90" + S(9) + "120" + S(3) + "33.33%   gal   [WC RATIO: 1.77] ");
    EXPECT_EQ(lines[40], "");
}

TEST_F(LayoutTest, MetricUnits)
{
    ticket->formula->UsMetric("metric");
    const std::vector<std::string> lines = Lines(Print());
    EXPECT_EQ(lines[35].substr(62), "kgs   5.0%    5.8 gals ");
    EXPECT_EQ(lines[37].substr(62), "kgs ");
    EXPECT_EQ(lines[38].substr(62), "mls ");
    EXPECT_EQ(lines[39].substr(62), "ltr   [WC RATIO: 0.54] ");
}

TEST_F(LayoutTest, LongValuesAreCutInPlace)
{
    ticket->customer->Name("Hollis Gravel Works and Sons Limited");
    ticket->job->QuantityOrdered(12345678);
    ticket->prod_v[0]->Description("Fiber mesh reinforcement, polypropylene");
    ticket->matl_v[0]->Description("Crushed 3/4 inch limestone");
    ticket->matl_v[3]->target_c = 0;
    ticket->matl_v[2]->target_c = 1;
    ticket->matl_v[2]->actual_c = 1000;
    const std::vector<std::string> lines = Lines(Print());
    EXPECT_EQ(lines[3], "    Hollis Gravel Works and Sons " + S(11) + "Call before arrival" + S(11));
    EXPECT_EQ(lines[10].substr(71), "12345678 ");
    EXPECT_EQ(lines[17], S(4) + "1.00 FIBER" + S(6) + "Fiber mesh reinforcement, po" + S(14) + "12.50" + S(7)
                             + "12.50 ");
    EXPECT_EQ(lines[35].substr(0, 26), "Crushed 3/4 inc        125");
    EXPECT_EQ(lines[37].substr(50), "  99900.0   lbs ");
    EXPECT_EQ(lines[38].substr(50), "*    inf%   ozs ");
}

TEST_F(LayoutTest, CementsAccumulate)
{
    Material("cmt", "Fly Ash", 20, 150, 148);
    std::rotate(ticket->matl_v.begin() + 3, ticket->matl_v.end() - 1, ticket->matl_v.end());
    const std::vector<std::string> lines = Lines(Print());
    EXPECT_EQ(lines[38], "Fly Ash" + S(17) + "20" + S(9) + "750" + S(9) + "753" + S(4) + "0.40%   lbs ");
    EXPECT_EQ(lines[40].substr(79, 4), "0.44");
}

// Values chosen so that single and double precision round differently.
TEST_F(LayoutTest, SinglePrecisionArithmetic)
{
    ticket->FormulaPrice(0.99f);
    ticket->Batchsize(9.5f);
    ticket->prod_v[0]->UnitPrice(0.85f);
    ticket->prod_v[0]->amount_c = 9.5f;
    ticket->matl_v[3]->target_c = 160;
    ticket->matl_v[3]->actual_c = 123;
    const std::vector<std::string> lines = Lines(Print());
    EXPECT_EQ(lines[12].substr(72), "   9.40 ");
    EXPECT_EQ(lines[17].substr(71), "    8.07 ");
    EXPECT_EQ(lines[38].substr(52, 7), "-23.13%");
}

struct PitchCase {
    int type;
    const char* compress;
    const char* nocompress;
};

class PitchTest : public LayoutTest, public ::testing::WithParamInterface<PitchCase> {};

TEST_P(PitchTest, CodesAroundWeights)
{
    SetCompress(GetParam().type);
    const std::string on = GetParam().compress;
    const std::string off = GetParam().nocompress;
    EXPECT_EQ(compress, on);
    EXPECT_EQ(nocompress, off);
    const std::string out = Print();
    EXPECT_EQ(Lines(out)[34].substr(0, on.size() + 10), on + "[MATERIAL]");
    EXPECT_EQ(out.substr(out.size() - off.size() - 13), "07:52:10    \n" + off);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, PitchTest,
    ::testing::Values(PitchCase{1, "\x1b" "P", "\x1b" "Q"}, PitchCase{2, "\x1b" "7", "\x1b" "6"},
                      PitchCase{3, "\x0f", "\x12"}, PitchCase{4, "\x0f", "\x12"}, PitchCase{5, "\x0f", "\x12"},
                      PitchCase{6, "\x1d", "\x1e"}, PitchCase{7, "\x0f", "\x12"}, PitchCase{8, "\x0f", "\x12"},
                      PitchCase{9, "\x1b" "&k2S", "\x1b" "&k0S"}, PitchCase{0, "", ""}, PitchCase{10, "", ""},
                      PitchCase{-1, "", ""}, PitchCase{42, "", ""}));

struct TrailCase {
    int lines_after;
    const char* tail;
};

class TrailTest : public LayoutTest, public ::testing::WithParamInterface<TrailCase> {};

TEST_P(TrailTest, EndOfCopy)
{
    const std::string out = Print(0, GetParam().lines_after);
    EXPECT_EQ(out.substr(out.rfind("\x1b" "Q")), std::string("\x1b" "Q") + GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(Layout, TrailTest,
                         ::testing::Values(TrailCase{-1, "\f"}, TrailCase{0, ""}, TrailCase{3, "\n\n\n"},
                                           TrailCase{-2, ""}));

TEST_F(LayoutTest, LinesBefore)
{
    EXPECT_EQ(Print(3).substr(0, 22), "\n\n\n       2016-03-01 \n");
    EXPECT_EQ(Print(-1).substr(0, 19), "       2016-03-01 \n");
}

struct StartCase {
    const char* time_started;
    const char* slot;
};

class TimeStartedTest : public LayoutTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(TimeStartedTest, HourMinuteSlot)
{
    ticket->TimeStarted(GetParam().time_started);
    EXPECT_EQ(Lines(Print())[14].substr(22, 6), GetParam().slot);
}

INSTANTIATE_TEST_SUITE_P(Layout, TimeStartedTest,
                         ::testing::Values(StartCase{"", "      "}, StartCase{"2016-03-01", "      "},
                                           StartCase{"2016-03-01 ", "      "}, StartCase{"2016-03-01 07", "07    "},
                                           StartCase{"2016-03-01 07:45:00", "07:45 "}));

TEST_F(LayoutTest, NothingForBadStreamOrNullTicket)
{
    std::ostringstream failed;
    failed.setstate(std::ios::failbit);
    PrintTicket(failed, ticket.get(), "1", "yes", 2, 2, "Customer", true, true);
    failed.clear();
    EXPECT_EQ(failed.str(), "");

    std::ostringstream out;
    PrintTicket(out, nullptr, "1", "yes", 2, -1, "Customer", true, true);
    EXPECT_EQ(out.str(), "");
}

TEST_F(LayoutTest, ShortTicketWritesNothing)
{
    std::ostringstream out;
    PrintShortTicket(out, ticket.get(), "1", "yes", 2, -1, "", true, true);
    EXPECT_EQ(out.str(), "");
}

}  // namespace
