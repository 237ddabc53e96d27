#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "DBCustomer.h"
#include "DBFormula.h"
#include "DBJob.h"
#include "DBProduct.h"
#include "DBTruck.h"
#include "PgFixture.h"
#include "PgSqlDatabase.h"

namespace {

struct TableColumns {
    std::string table;
    std::string columns;
    std::string flags;
};

// What the statements on a record's table name, from the record's column
// table: the entry and every stored or booked column; the flags among them.
template <class R>
TableColumns Stored(const RecordTable<R>& record)
{
    TableColumns t{record.table, "", ""};
    for (const RecordColumn<R>& c : record.columns) {
        if (!c.Has(col::Stored | col::Booked) && std::string(c.column) != "entry_c")
            continue;
        t.columns += (t.columns.empty() ? "" : ",") + std::string(c.column);
        if (c.kind == ColumnValue::Flag)
            t.flags += (t.flags.empty() ? "" : ",") + std::string(c.column);
    }
    return t;
}

// The columns the operations' statements name, table by table; flags must be
// boolean so that libpq hands them out as "t" and "f".
class PgSchemaTable : public PgFixture, public ::testing::WithParamInterface<TableColumns> {};

TEST_P(PgSchemaTable, HasTheColumnsTheStatementsUse)
{
    const TableColumns& t = GetParam();
    PgSqlDatabase db(kOwnerConnInfo);
    EXPECT_TRUE(db.ExecTuplesOk("SELECT " + t.columns + " FROM " + t.table))
        << db.ErrorMessage();

    const std::string flags = t.flags;
    const std::string flagCount =
        flags.empty() ? "0" : std::to_string(1 + std::count(flags.begin(), flags.end(), ','));
    EXPECT_EQ(Query("SELECT count(*) FROM information_schema.columns WHERE table_name = '" +
                    t.table + "' AND data_type = 'boolean' AND column_name = ANY "
                    "(string_to_array('" + flags + "', ','))"),
              flagCount);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PgSchemaTable,
    ::testing::Values(
        TableColumns{"ticket_t",
                     "entry_c,id_c,date_c,invoice_c,ordernumber_c,timecreated_c,timetobatch_c,"
                     "timestarted_c,timefinished_c,customerid_c,name_c,jobid_c,deliverto_c,"
                     "formulaid_c,description_c,truckid_c,driver_c,batchsize_c,returned_c,"
                     "watertrim_c,mixer_c,cycles_c,salestax_c,printweights_c,printprices_c,"
                     "printticket_c,subtotal_c,tax_c,total_c,street_c,city_c,state_c,zipcode_c,"
                     "instructions_c,onjob_c,offjob_c,leftover_c,plant_c,xmldata_c,void_c,"
                     "user_c,modified_c",
                     "printweights_c,printprices_c,printticket_c,void_c"},
        TableColumns{"batch_t",
                     "entry_c,id_c,ordernumber_c,timetobatch_c,timecreated_c,jobid_c,customerid_c,"
                     "formulaid_c,truckid_c,batchsize_c,returned_c,watertrim_c,mixer_c,cycles_c,"
                     "salestax_c,printweights_c,printprices_c,printticket_c,subtotal_c,tax_c,"
                     "total_c,deliverto_c,street_c,city_c,state_c,zipcode_c,instructions_c,"
                     "driver_c,formulaprice_c,plant_c",
                     "printweights_c,printprices_c,printticket_c"},
        TableColumns{"productlinker_t",
                     "linkid_c,productid_c,amount_c,price_c,producttype_c,position_c", ""},
        TableColumns{"batchcounter_t", "plant_c,loadsdelivered_c,yardsdelivered_c", ""},
        TableColumns{"payment_t",
                     "customerid_c,adjust_c,plant_c,name_c,prevbalance_c,newbalance_c", ""},
        Stored(CustomerTable()), Stored(JobTable()), Stored(FormulaTable()), Stored(ProductTable()),
        Stored(TruckTable()),
        TableColumns{"ticket_w", "column_c,default_c,position_c", ""},
        TableColumns{"customer_w", "column_c,default_c,position_c", ""},
        TableColumns{"job_w", "column_c,default_c,position_c", ""},
        TableColumns{"formula_w", "column_c,default_c,position_c", ""},
        TableColumns{"product_w", "column_c,default_c,position_c", ""},
        TableColumns{"truck_w", "column_c,default_c,position_c", ""}),
    [](const ::testing::TestParamInfo<TableColumns>& info) { return info.param.table; });

struct Numbering {
    const char* sequence;
    const char* table;
};

class PgSchemaSequence : public PgFixture, public ::testing::WithParamInterface<Numbering> {};

TEST_P(PgSchemaSequence, RestartsAtOneAndNumbersItsTable)
{
    const Numbering& n = GetParam();
    const std::string next = std::string("SELECT nextval('") + n.sequence + "')";
    Query(next);
    Query(next);
    ResetDatabase();
    EXPECT_EQ(Query(next), "1");
    if (*n.table) {
        Exec(std::string("INSERT INTO ") + n.table + " DEFAULT VALUES");
        EXPECT_EQ(Query(std::string("SELECT entry_c FROM ") + n.table), "2");
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, PgSchemaSequence,
                         ::testing::Values(Numbering{"batch_s", "batch_t"},
                                           Numbering{"ticket_s", "ticket_t"},
                                           Numbering{"invoice_s", ""},
                                           Numbering{"customer_s", "customer_t"},
                                           Numbering{"job_s", "job_t"},
                                           Numbering{"formula_s", "formula_t"},
                                           Numbering{"product_s", "product_t"},
                                           Numbering{"truck_s", "truck_t"}),
                         [](const ::testing::TestParamInfo<Numbering>& info) {
                             return info.param.sequence;
                         });

std::string EveryByte()
{
    std::string text;
    for (int b = 1; b <= 255; ++b)
        text += static_cast<char>(b);
    return text;
}

// Which connection reads the text back: the programs' local form for the
// owner and for the viewer, and velmora's form for a configured host address.
enum class Route { OwnerSocket, ViewerSocket, OwnerTcp };

class PgSchemaBytes : public PgFixture, public ::testing::WithParamInterface<Route> {
protected:
    static std::string ConnInfo(Route route)
    {
        switch (route) {
        case Route::OwnerSocket: return kOwnerConnInfo;
        case Route::ViewerSocket: return kViewerConnInfo;
        case Route::OwnerTcp: break;
        }
        return "hostaddr=127.0.0.1 port=" + Port() + " dbname=morvik2 user=morvik2 password=''";
    }
};

TEST_P(PgSchemaBytes, StoredTextComesBackUnchanged)
{
    std::string literal;
    for (char c : EveryByte()) {
        literal += c;
        if (c == '\'')
            literal += '\'';
    }
    Exec("INSERT INTO ticket_t (id_c, instructions_c) VALUES ('T1', '" + literal + "')");
    EXPECT_EQ(Query("SELECT octet_length(instructions_c) FROM ticket_t"), "255");

    PgSqlDatabase db(ConnInfo(GetParam()));
    ASSERT_TRUE(db.ExecTuplesOk("SELECT instructions_c FROM ticket_t WHERE id_c='T1'"))
        << db.ErrorMessage();
    ASSERT_EQ(db.Tuples(), 1);
    EXPECT_EQ(db.GetString(0, "instructions_c"), EveryByte());
}

INSTANTIATE_TEST_SUITE_P(Routes, PgSchemaBytes,
                         ::testing::Values(Route::OwnerSocket, Route::ViewerSocket,
                                           Route::OwnerTcp),
                         [](const ::testing::TestParamInfo<Route>& info) {
                             switch (info.param) {
                             case Route::OwnerSocket: return "owner_socket";
                             case Route::ViewerSocket: return "viewer_socket";
                             case Route::OwnerTcp: return "owner_tcp";
                             }
                             return "unknown";
                         });

class PgSchemaTest : public PgFixture {};

TEST_F(PgSchemaTest, ViewerReadsTicketsAndTakesInvoiceNumbers)
{
    Exec("INSERT INTO ticket_t (entry_c, id_c, plant_c, void_c) VALUES (3, 'T1', 2, 'f')");
    PgSqlDatabase db(kViewerConnInfo);
    ASSERT_TRUE(db.ExecTuplesOk("SELECT entry_c, date_c, invoice_c, plant_c, void_c, user_c, "
                                "modified_c FROM ticket_t WHERE LOWER(id_c)=LOWER('t1')"))
        << db.ErrorMessage();
    ASSERT_EQ(db.Tuples(), 1);
    EXPECT_EQ(db.GetInt(0, "entry_c"), 3);
    EXPECT_EQ(db.GetInt(0, "invoice_c"), 0);

    ASSERT_TRUE(db.ExecTuplesOk("select nextval('invoice_s')")) << db.ErrorMessage();
    EXPECT_EQ(db.GetInt(0, "nextval"), 1);
    ASSERT_TRUE(db.ExecCommandOk("UPDATE ticket_t SET invoice_c=1 WHERE id_c='T1'"))
        << db.ErrorMessage();
    EXPECT_EQ(Query("SELECT invoice_c FROM ticket_t WHERE entry_c = 3"), "1");
}

// Tables that grow for years (a ticket and a list of links per load), and
// how the programs read one record of them.
struct Lookup {
    const char* name;
    const char* fill;
    const char* query;
};

const char* const kYearsOfTickets =
    "INSERT INTO ticket_t (entry_c, id_c) SELECT g, 'T' || g FROM generate_series(1, 20000) g";

class PgSchemaLookup : public PgFixture, public ::testing::WithParamInterface<Lookup> {};

TEST_P(PgSchemaLookup, ReadsOneRecordWithoutReadingThemAll)
{
    Exec(GetParam().fill);
    Exec("ANALYZE");
    const std::string plan = Query(std::string("EXPLAIN (FORMAT JSON) ") + GetParam().query).value_or("");
    EXPECT_EQ(plan.find("Seq Scan"), std::string::npos) << plan;
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PgSchemaLookup,
    ::testing::Values(
        Lookup{"ticket_by_entry", kYearsOfTickets, "SELECT date_c FROM ticket_t WHERE entry_c=912"},
        Lookup{"ticket_by_id", kYearsOfTickets,
               "SELECT date_c FROM ticket_t WHERE LOWER(id_c)=LOWER('t912')"},
        Lookup{"links_by_owner",
               "INSERT INTO productlinker_t (linkid_c, productid_c, producttype_c, position_c) "
               "SELECT 'Batch' || (g / 20), 'P' || (g % 20), 'Matl', g % 20 FROM generate_series(1, 40000) g",
               "SELECT productid_c FROM productlinker_t WHERE LOWER(linkid_c)=LOWER('batch912')"}),
    [](const ::testing::TestParamInfo<Lookup>& info) { return info.param.name; });

TEST_F(PgSchemaTest, ResetEmptiesEveryTable)
{
    Exec("DO $$ DECLARE t record; BEGIN "
         "FOR t IN SELECT tablename FROM pg_tables WHERE schemaname = 'public' LOOP "
         "EXECUTE format('INSERT INTO %I DEFAULT VALUES', t.tablename); END LOOP; END $$");
    const std::string rows =
        "SELECT sum((xpath('/row/n/text()', query_to_xml(format('SELECT count(*) AS n FROM %I', "
        "tablename), false, true, '')))[1]::text::int) FROM pg_tables WHERE schemaname = 'public'";
    EXPECT_EQ(Query(rows), Query("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"));
    ResetDatabase();
    EXPECT_EQ(Query(rows), "0");
}

}
