#include "PgFixture.h"

#include <chrono>
#include <cstdlib>
#include <thread>

std::string PgFixture::Port()
{
    const char* port = getenv("PGPORT");
    return port ? port : "";
}

void PgFixture::SetUp()
{
    conn = PQconnectdb(kOwnerConnInfo);
    if (PQstatus(conn) != CONNECTION_OK)
        FAIL() << "cannot reach the test cluster: " << PQerrorMessage(conn);
    ResetDatabase();
}

void PgFixture::TearDown()
{
    PQfinish(conn);
    conn = nullptr;
}

void PgFixture::Exec(const std::string& sql)
{
    PGresult* result = PQexec(conn, sql.c_str());
    ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        ADD_FAILURE() << "statement failed: " << sql << "\n" << PQerrorMessage(conn);
    PQclear(result);
}

bool PgFixture::TryExec(const std::string& sql)
{
    PGresult* result = PQexec(conn, sql.c_str());
    ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::optional<std::string> PgFixture::Query(const std::string& sql)
{
    PGresult* result = PQexec(conn, sql.c_str());
    std::optional<std::string> value;
    if (PQresultStatus(result) != PGRES_TUPLES_OK)
        ADD_FAILURE() << "query failed: " << sql << "\n" << PQerrorMessage(conn);
    else if (PQntuples(result) != 1 || PQnfields(result) != 1)
        ADD_FAILURE() << "query gave " << PQntuples(result) << " rows of " << PQnfields(result)
                      << " columns, not one value: " << sql;
    else if (!PQgetisnull(result, 0, 0))
        value = PQgetvalue(result, 0, 0);
    PQclear(result);
    return value;
}

void PgFixture::ResetDatabase()
{
    // Found in the catalog, so a table or sequence added to the schema is
    // reset without touching the tests.
    Exec("DO $$ DECLARE s record; BEGIN "
         "EXECUTE (SELECT 'TRUNCATE ' || string_agg(format('%I', tablename), ', ') "
         "FROM pg_tables WHERE schemaname = 'public'); "
         "FOR s IN SELECT sequencename FROM pg_sequences WHERE schemaname = 'public' LOOP "
         "EXECUTE format('ALTER SEQUENCE %I RESTART', s.sequencename); "
         "END LOOP; END $$");
}

bool PgFixture::AwaitLockWaiters(int count)
{
    // A connection of its own: this one may be inside a transaction, which
    // would keep showing the first look at the server's activity.
    PGconn* watcher = PQconnectdb(kOwnerConnInfo);
    bool reached = false;
    for (int tries = 0; tries < 600 && !reached && PQstatus(watcher) == CONNECTION_OK; ++tries) {
        PGresult* r = PQexec(watcher, "SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock'");
        reached = PQresultStatus(r) == PGRES_TUPLES_OK && std::atoi(PQgetvalue(r, 0, 0)) >= count;
        PQclear(r);
        if (!reached)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    PQfinish(watcher);
    return reached;
}

std::string PgFixture::Contents()
{
    std::string all;
    for (const char* table : {"product_t", "customer_t", "truck_t", "formula_t", "job_t", "batch_t",
                              "productlinker_t", "ticket_t", "payment_t", "batchcounter_t"})
        all += Query(std::string("SELECT count(*) || ':' || coalesce(md5(string_agg(t::text, '|' ORDER BY "
                                 "t::text)), '') FROM ") +
                     table + " t")
                   .value_or("NULL") +
               "\n";
    return all;
}
