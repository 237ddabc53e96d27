// Customers, jobs, formulas, products and trucks against the test cluster:
// uniqueness, defaults, the row counts of the two log families, stamps, link
// lists, and usage bookings, alone and many at once.

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBProduct.h"
#include "DBTruck.h"
#include "FormatString.h"
#include "LogCapture.h"
#include "MasterRecords.h"
#include "PgFixture.h"
#include "Process.h"

namespace {

const std::string kConn = PgFixture::kOwnerConnInfo;
const char* const kJobCustomer = "ACME";

class MasterTest : public PgFixture {
protected:
    std::string Value(const std::string& sql) { return Query(sql).value_or("NULL"); }
    std::string Logged(const std::function<void()>& action) { return CaptureLog(scratch.Path(), action); }

    TempDir scratch;
};

std::string Ids(const std::vector<DBProduct*>& list)
{
    std::string ids;
    for (const DBProduct* line : list)
        ids += (ids.empty() ? "" : " ") + line->Id();
    return ids;
}

// ---- the rules the five classes share ----

using Text = const std::string&;

// Per class: its table, the word naming the holder of an identifier, and how
// to save a first record `id` whose naming column (name, delivery site,
// description or driver) holds `naming`.
template <class T>
struct Kind;
template <>
struct Kind<DBCustomer> {
    static constexpr const char *name = "Customer", *table = "customer_t", *holder = "Customer";
    static bool Save(Text id, Text naming) { return masters::SaveCustomer(kConn, id, naming); }
};
template <>
struct Kind<DBJob> {
    static constexpr const char *name = "Job", *table = "job_t", *holder = "Job";
    static bool Save(Text id, Text naming) { return masters::SaveJob(kConn, 1, id, kJobCustomer, naming, "", 8); }
};
template <>
struct Kind<DBFormula> {
    static constexpr const char *name = "Formula", *table = "formula_t", *holder = "Mix";
    static bool Save(Text id, Text naming)
    {
        return masters::SaveProducts(kConn, {{"SAND", "agg"}}) &&
               masters::SaveFormula(kConn, id, naming, {{"SAND", 800, 1}});
    }
};
template <>
struct Kind<DBProduct> {
    static constexpr const char *name = "Product", *table = "product_t", *holder = "Product";
    static bool Save(Text id, Text naming) { return masters::SaveProduct(kConn, id, "agg", naming); }
};
template <>
struct Kind<DBTruck> {
    static constexpr const char *name = "Truck", *table = "truck_t", *holder = "Driver";
    static bool Save(Text id, Text naming) { return masters::SaveTruck(kConn, id, naming); }
};

// Products and trucks: warnings without the blank before the line feed, two
// rows an error, the hour padded with a zero, Unique(id) naming the holder.
template <class T>
constexpr bool kCompact = std::is_same_v<T, DBProduct> || std::is_same_v<T, DBTruck>;

// A record of the class with `id` and `entry`; a job belongs to kJobCustomer.
template <class T>
std::unique_ptr<T> Record(const std::string& id, int entry)
{
    auto record = std::make_unique<T>(kConn);
    record->Id(id);
    record->Entry(entry);
    if constexpr (std::is_same_v<T, DBJob>)
        record->CustomerId(kJobCustomer);
    return record;
}

template <class T>
class EveryMaster : public MasterTest {};
using Masters = ::testing::Types<DBCustomer, DBJob, DBFormula, DBProduct, DBTruck>;
TYPED_TEST_SUITE(EveryMaster, Masters);

TYPED_TEST(EveryMaster, AnIdentifierIsTakenOnlyByAnotherEntryInTheSameLetterCase)
{
    using K = Kind<TypeParam>;
    ASSERT_TRUE(K::Save("O'Hara", "Caf\xe9 Nord"));
    const std::string taken = "ID 'O'Hara' already exists.  Please use a unique ID.";
    const std::string named = taken + "\nID 'O'Hara' is assigned to " + K::holder + " 'Caf\xe9 Nord'.";

    auto fresh = Record<TypeParam>("O'Hara", 0);
    EXPECT_FALSE(fresh->Unique());
    EXPECT_EQ(named, fresh->ErrorMsg());
    EXPECT_FALSE(fresh->Save(false));
    EXPECT_EQ("1", this->Value(std::string("SELECT count(*) FROM ") + K::table));
    auto other = Record<TypeParam>("Other", 0);
    EXPECT_FALSE(other->Unique("O'Hara"));
    EXPECT_EQ(kCompact<TypeParam> ? named : taken, other->ErrorMsg());

    EXPECT_TRUE(Record<TypeParam>("o'hara", 0)->Unique());
    auto found = Record<TypeParam>("", 0);
    if constexpr (std::is_same_v<TypeParam, DBJob>)
        EXPECT_TRUE(found->LoadById("o'HARA", "acme")) << found->ErrorMsg();
    else
        EXPECT_TRUE(found->LoadById("o'HARA")) << found->ErrorMsg();
    EXPECT_EQ(1, found->Entry());
    auto own = Record<TypeParam>("O'Hara", 1);
    EXPECT_TRUE(own->Save(true)) << own->ErrorMsg();
}

TYPED_TEST(EveryMaster, ASingleRecordLoadCountsRowsAsItsFamilyDoes)
{
    constexpr bool compact = kCompact<TypeParam>;
    this->Exec(std::string("INSERT INTO ") + Kind<TypeParam>::table + "(entry_c,id_c) VALUES (5,'A'),(5,'B')");
    for (int entry : {5, 6}) {
        const std::string warning = entry == 5
                                        ? (compact ? "Multiple Results From Query." : "more than one result for query")
                                        : (compact ? "Zero Results From Query." : "zero results for query");
        const bool error = compact && entry == 5;
        auto record = Record<TypeParam>("", 0);
        bool ok = error;
        std::string log = this->Logged([&] { ok = record->LoadByEntry(entry); });
        EXPECT_EQ(!error, ok) << entry;
        EXPECT_EQ(error ? warning : "", record->ErrorMsg());
        EXPECT_TRUE(HasLine(log, std::string("DB") + Kind<TypeParam>::name + ".cpp", "LoadByEntry",
                            "\n    WARNING: " + warning + (compact ? "\n" : " \n")))
            << log;
    }
}

TYPED_TEST(EveryMaster, TheStampPadsTheHourAsItsClassDoes)
{
    // In a zone where it is now three in the morning, the hour has one digit.
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    std::tm local{};
    gmtime_r(&now, &utc);
    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    setenv("TZ", FormatString("LOC%+d", utc.tm_hour - 3).c_str(), 1);
    tzset();
    localtime_r(&now, &local);
    bool ok = Kind<TypeParam>::Save("S1", "Stamped");
    zone ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
    tzset();
    ASSERT_TRUE(ok);

    const std::string stamp = this->Value(std::string("SELECT modified_c FROM ") + Kind<TypeParam>::table);
    const std::string day = FormatString("%04d-%02d-%02d ", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    EXPECT_TRUE(std::regex_match(stamp, std::regex(day + (kCompact<TypeParam> ? "0[34]" : " [34]") + ":[0-5][0-9]")))
        << stamp;
}

// ---- defaults and saving ----

TEST_F(MasterTest, DefaultsApplyInPositionOrderAndOnlyWhatEachTableKnows)
{
    // Stored out of order: the position decides which row comes last.
    Exec("INSERT INTO customer_w VALUES ('name_c','Late',2), ('name_c','Early',1), ('name_c','',3), "
         "('discount_c','12.5',4), ('taxexempt_c','t',5), ('printticket_c','true',6)");
    Exec("INSERT INTO truck_w VALUES ('dischargerate_c','85',1), ('dischargecode_c','',2), ('nosuch_c','x',3)");
    Exec("INSERT INTO formula_w VALUES ('price_c','12.5',1), ('watercementratio_c','0.45',2), ('taxable_c','T',3)");
    DBCustomer c(kConn);
    DBTruck t(kConn);
    DBFormula f(kConn);
    ASSERT_TRUE(c.LoadDefaults() && t.LoadDefaults() && f.LoadDefaults());
    EXPECT_EQ("Late", c.Name());
    EXPECT_EQ(0.0f, c.Discount());
    EXPECT_TRUE(c.TaxExempt());
    EXPECT_FALSE(c.PrintTicket());
    EXPECT_EQ(85.0f, t.DischargeRate());
    EXPECT_EQ(1, t.DischargeCode());
    EXPECT_EQ(12.5f, f.Price());
    EXPECT_EQ(0.0f, f.WaterCementRatio());
    EXPECT_FALSE(f.Taxable());
}

TEST_F(MasterTest, SavingWritesTheRecordButNeverItsBookedTotals)
{
    DBFormula f(kConn);
    f.Id("M1");
    f.Description("Owner's mix");
    f.TotalBatches(5);
    DBJob j(kConn);
    j.Entry(3);
    j.FormulaPrice(87.65f);
    j.SalesTax(7.25f);
    ASSERT_TRUE(f.Save(false) && j.Save(false));
    EXPECT_EQ("Owner's mix|0", Value("SELECT description_c || '|' || totalbatches_c FROM formula_t"));
    EXPECT_EQ("87.65|7.25", Value("SELECT formulaprice_c || '|' || salestax_c FROM job_t"));

    Exec("INSERT INTO product_t(id_c,balance_c,actualusage2_c) VALUES ('P1',100,20)");
    DBProduct p(kConn);
    ASSERT_TRUE(p.LoadByEntry(1));
    p.Description("Sand");
    p.Balance(1);
    p.ActualUsage2(1);
    ASSERT_TRUE(p.Save(true));
    EXPECT_EQ("Sand|100|20", Value("SELECT concat_ws('|', description_c, trim_scale(balance_c), "
                                   "trim_scale(actualusage2_c)) FROM product_t"));
}

TEST_F(MasterTest, AJobIdentifierIsUniqueForItsCustomerOnly)
{
    ASSERT_TRUE(masters::SaveJob(kConn, 1, "J1", "ACME", "Main St", "", 8));
    EXPECT_TRUE(masters::SaveJob(kConn, 2, "J1", "BETA", "Side St", "", 8));
    EXPECT_FALSE(masters::SaveJob(kConn, 3, "J1", "BETA", "Back St", "", 8));
    EXPECT_EQ("2", Value("SELECT count(*) FROM job_t"));
}

// ---- link lists ----

TEST_F(MasterTest, AJobLoadsItsRecordsAndLinksInTypeOrderAtTheLinkPrice)
{
    ASSERT_TRUE(masters::SaveProducts(kConn, {{"WATER", "water"}, {"G2", "agg"}, {"ADMIX", "admix"},
                                              {"O'Sabl\xe9", "agg"}, {"CEM", "cmt"}, {"PUMP", "pump"}}));
    ASSERT_TRUE(masters::SaveCustomer(kConn, "ACME", "Acme"));
    ASSERT_TRUE(masters::SaveFormula(kConn, "M1", "Mix", {{"CEM", 300, 1}}));
    ASSERT_TRUE(masters::SaveJob(
        kConn, 7, "job7", "ACME", "Site", "M1", 8,
        {{"WATER", 0.5f, 1}, {"G2", 0.5f, 2}, {"ADMIX", 0.5f, 1}, {"O'Sabl\xe9", 0.5f, 1}, {"CEM", 0.5f, 1}},
        {{"PUMP", 2, 1, 12.345f}}));
    EXPECT_EQ("12.35", Value("SELECT price_c FROM productlinker_t WHERE linkid_c='Job7' AND producttype_c='prod'"));

    DBJob j(kConn);
    ASSERT_TRUE(j.LoadById("JOB7", "acme")) << j.ErrorMsg();
    EXPECT_EQ(7, j.Entry());
    EXPECT_EQ("ACME", j.CustomerId());
    EXPECT_EQ("Acme", j.customer->Name());
    EXPECT_EQ("CEM", Ids(j.formula->matl_v));
    EXPECT_EQ("ADMIX O'Sabl\xe9 G2 CEM WATER", Ids(j.matl_v));
    EXPECT_EQ("O'Sabl\xe9", j.matl_v[1]->Description());
    EXPECT_EQ(4.0f, j.matl_v[1]->target_c);
    ASSERT_EQ(1u, j.prod_v.size());
    EXPECT_EQ(12.35f, j.prod_v[0]->UnitPrice());
    EXPECT_EQ(2.0f, j.prod_v[0]->target_c);
    EXPECT_EQ(2.0f, j.prod_v[0]->actual_c);
}

TEST_F(MasterTest, AFormulaLoadsOnlyWithMaterialLinesAndThenInTypeOrder)
{
    ASSERT_TRUE(masters::SaveFormula(kConn, "M'\xe9", "Bare", {}));
    ASSERT_TRUE(masters::SaveJob(kConn, 4, "J1", "", "Site", "M'\xe9", 8));
    DBFormula f(kConn);
    f.ErrorMsg("earlier");
    bool ok = true;
    std::string log = Logged([&] { ok = f.LoadById("m'\xe9"); });
    EXPECT_FALSE(ok);
    EXPECT_EQ("", f.ErrorMsg());
    EXPECT_EQ("Bare", f.Description());
    EXPECT_TRUE(HasLine(log, "DBFormula.cpp", "LoadMatl", "\n    QUERY: SELECT ")) << log;
    EXPECT_NE(std::string::npos, log.find("\n    ERROR:  \n")) << log;
    DBJob j(kConn);
    EXPECT_FALSE(j.LoadByEntry(4));

    ASSERT_TRUE(masters::SaveProducts(kConn, {{"WATER", "water"}, {"SAND", "agg"}, {"PLAST", "admix"}}));
    masters::AddLines(kConn, f.matl_v, {{"WATER", 150, 1}, {"SAND", 800, 1}, {"PLAST", 2, 1}});
    ASSERT_TRUE(f.SaveMatl() && f.SaveMatl()) << f.ErrorMsg();
    EXPECT_EQ("3", Value("SELECT count(*) FROM productlinker_t"));
    ASSERT_TRUE(f.LoadById("M'\xe9")) << f.ErrorMsg();
    EXPECT_EQ("PLAST SAND WATER", Ids(f.matl_v));
    EXPECT_TRUE(j.LoadByEntry(4)) << j.ErrorMsg();
}

// ---- usage bookings ----

struct Booking {
    const char* name;
    const char* rows;            // stored before the booking
    std::function<bool()> book;  // also checks what the record holds afterwards
    const char* query;           // what is stored afterwards
    const char* stored;
};

void PrintTo(const Booking& b, std::ostream* os)
{
    *os << b.name;
}

class BookingTest : public MasterTest, public ::testing::WithParamInterface<Booking> {};

TEST_P(BookingTest, AddsTheLoadToTheStoredTotals)
{
    Exec(GetParam().rows);
    EXPECT_TRUE(GetParam().book());
    EXPECT_EQ(GetParam().stored, Value(GetParam().query));
}

INSTANTIATE_TEST_SUITE_P(
    Classes, BookingTest,
    ::testing::Values(
        Booking{"Customer",
                "INSERT INTO customer_t(id_c,totalbatches_c,totalyards_c,balance_c) VALUES ('O''Hara',3,10,100)",
                [] {
                    DBCustomer c(kConn);
                    return c.LoadById("O'Hara") && c.Update(2, "T77", 150.5f, 8) && c.Balance() == 250.5f;
                },
                "SELECT concat_ws('|', totalbatches_c, trim_scale(totalyards_c), trim_scale(balance_c), (SELECT "
                "concat_ws('|', customerid_c, trim_scale(adjust_c), plant_c, name_c, trim_scale(prevbalance_c), "
                "trim_scale(newbalance_c)) FROM payment_t)) FROM customer_t",
                "4|18|250.5|O'Hara|150.5|2|Id T77|100|250.5"},
        Booking{"CustomerPastAMillion", "INSERT INTO customer_t(id_c,balance_c) VALUES ('C1',1234567.89)",
                [] { DBCustomer c(kConn); return c.LoadById("C1") && c.Update(1, "T1", 12.34f, 8); },
                "SELECT concat_ws('|', trim_scale(balance_c), (SELECT concat_ws('|', trim_scale(prevbalance_c), "
                "trim_scale(newbalance_c)) FROM payment_t)) FROM customer_t",
                "1234580.23|1234567.89|1234580.23"},
        Booking{"Truck", "INSERT INTO truck_t(id_c,loadsdelivered_c,yardsdelivered_c) VALUES ('K1',12,96.5)",
                [] { DBTruck t(kConn); return t.LoadById("K1") && t.Update(9) && t.LoadsDelivered() == 13; },
                "SELECT loadsdelivered_c || '|' || trim_scale(yardsdelivered_c) FROM truck_t", "13|105.5"},
        Booking{"Job", "INSERT INTO job_t(entry_c,id_c,customerid_c,loadsdelivered_c,quantitydelivered_c) "
                       "VALUES (1,'J''1','ACME',3,20.5)",
                [] { DBJob j(kConn); return j.LoadById("J'1", "ACME") && j.Update(9.5f) && j.LoadsDelivered() == 4; },
                "SELECT loadsdelivered_c || '|' || trim_scale(quantitydelivered_c) FROM job_t", "4|30"},
        Booking{"Formula", "INSERT INTO formula_t(id_c,totalbatches_c) VALUES ('M1',41)",
                [] {
                    DBFormula f(kConn);
                    f.Entry(1);
                    f.TotalBatches(41);
                    return f.Update() && f.TotalBatches() == 42;
                },
                "SELECT totalbatches_c FROM formula_t", "42"},
        Booking{"Product", "INSERT INTO product_t(id_c,balance_c,targetusage1_c,targetusage2_c,adjtargetusage1_c,"
                           "adjtargetusage2_c,actualusage1_c,actualusage2_c) VALUES ('P1',100,10,10,10,10,10,10)",
                [] { DBProduct p(kConn); return p.LoadById("P1") && p.Update("T1", "C1", "J1", 1, 4.0f, 4.1f, 4.2f); },
                "SELECT concat_ws('|', trim_scale(balance_c), trim_scale(targetusage1_c), trim_scale(targetusage2_c), "
                "trim_scale(adjtargetusage1_c), trim_scale(adjtargetusage2_c), trim_scale(actualusage1_c), "
                "trim_scale(actualusage2_c)) FROM product_t",
                "95.8|14|14|14.1|14.1|14.2|14.2"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- many at once ----

void RunTogether(const std::function<void()>& work)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
}

TEST_F(MasterTest, SimultaneousBookingsAllCountAndTheCustomersPaymentLinesChain)
{
    Exec("INSERT INTO customer_t(id_c,balance_c) VALUES ('C1',1000000)");
    Exec("INSERT INTO truck_t(id_c) VALUES ('K1')");
    Exec("INSERT INTO job_t(entry_c,id_c,customerid_c) VALUES (1,'J1','C1')");
    Exec("INSERT INTO product_t(id_c,balance_c) VALUES ('SAND',1000)");
    std::atomic<int> failed{0};
    RunTogether([&] {
        DBCustomer c(kConn);
        DBTruck t(kConn);
        DBJob j(kConn);
        DBProduct p(kConn);
        if (!c.LoadById("C1") || !t.LoadById("K1") || !j.LoadById("J1", "C1") || !p.LoadById("SAND")) {
            ++failed;
            return;
        }
        for (int n = 0; n < 25; ++n)
            if (!c.Update(1, "T", 12.34f, 8) || !t.Update(8) || !j.Update(8) ||
                !p.Update("T", "C1", "J1", 1, 2, 2, 2.5f))
                ++failed;
    });
    EXPECT_EQ(0, failed.load());
    EXPECT_EQ("200|1600|1002468", Value("SELECT concat_ws('|', totalbatches_c, trim_scale(totalyards_c), "
                                        "trim_scale(balance_c)) FROM customer_t"));
    // Ordered by the balance it leaves, each line starts where the one before ended.
    EXPECT_EQ("200|0", Value("SELECT count(*) || '|' || count(*) FILTER (WHERE prevbalance_c <> before) FROM (SELECT "
                             "prevbalance_c, lag(newbalance_c, 1, 1000000.0) OVER (ORDER BY newbalance_c) AS before "
                             "FROM payment_t) lines"));
    EXPECT_EQ("200|1600", Value("SELECT loadsdelivered_c || '|' || trim_scale(yardsdelivered_c) FROM truck_t"));
    EXPECT_EQ("200|1600", Value("SELECT loadsdelivered_c || '|' || trim_scale(quantitydelivered_c) FROM job_t"));
    EXPECT_EQ("500|400|500", Value("SELECT concat_ws('|', trim_scale(balance_c), trim_scale(targetusage2_c), "
                                   "trim_scale(actualusage1_c)) FROM product_t"));
}

TEST_F(MasterTest, SimultaneousRewritesOfAJobsLinksNeverShowALostOrDoubledSet)
{
    ASSERT_TRUE(masters::SaveProducts(kConn, {{"SAND", "agg"}, {"CEM", "cmt"}, {"PUMP", "pump"}, {"FUEL", "fee"}}));
    std::atomic<int> writer{0};
    std::atomic<int> failed{0};
    std::atomic<int> torn{0};
    // Each writer has amounts of its own, so a list read whole is one writer's.
    auto whole = [](const std::vector<DBProduct*>& list) {
        for (const DBProduct* line : list)
            if (line->amount_c != list[0]->amount_c)
                return false;
        return list.size() == 2;
    };
    RunTogether([&] {
        const float amount = static_cast<float>(++writer);
        DBJob j(kConn);
        DBJob reader(kConn);
        j.Entry(5);
        masters::AddLines(kConn, j.matl_v, {{"SAND", amount, 1}, {"CEM", amount, 2}});
        masters::AddLines(kConn, j.prod_v, {{"PUMP", amount, 1, 45.5f}, {"FUEL", amount, 2, 3}});
        for (int n = 0; n < 10; ++n) {
            if (!j.SaveMatl() || !j.SaveProd() || !reader.LoadMatl("Job5", 8) || !reader.LoadProd("Job5", 8))
                ++failed;
            else if (!whole(reader.matl_v) || !whole(reader.prod_v))
                ++torn;
        }
    });
    EXPECT_EQ(0, failed.load());
    EXPECT_EQ(0, torn.load());
    EXPECT_EQ("matl:2:1 prod:2:1", Value("SELECT string_agg(n, ' ' ORDER BY n) FROM (SELECT producttype_c || ':' || "
                                         "count(*) || ':' || count(DISTINCT amount_c) AS n FROM productlinker_t "
                                         "WHERE linkid_c='Job5' GROUP BY producttype_c) sets"));
}

}  // namespace
