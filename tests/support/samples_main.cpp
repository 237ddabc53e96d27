// Stores the sample tickets with their snapshots, replacing earlier copies.
//
//   morvik-samples [conninfo]
//
// Without a connection string libpq's environment (PGHOST, PGPORT, ...) and
// "dbname=morvik2 user=morvik2" are used.

#include <cstdio>
#include <libpq-fe.h>

#include "FormatString.h"
#include "SampleTickets.h"

int main(int argc, char** argv)
{
    const char* conninfo = argc > 1 ? argv[1] : "dbname=morvik2 user=morvik2";
    PGconn* conn = PQconnectdb(conninfo);
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "morvik-samples: %s", PQerrorMessage(conn));
        PQfinish(conn);
        return 1;
    }
    int failures = 0;
    for (const auto& ticket : samples::All()) {
        std::string sql = FormatString("DELETE FROM ticket_t WHERE entry_c=%i; ", ticket->Entry()) +
                          samples::InsertStatement(*ticket);
        PGresult* result = PQexec(conn, sql.c_str());
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "morvik-samples: %s: %s", ticket->Id().c_str(), PQerrorMessage(conn));
            ++failures;
        } else {
            std::printf("stored ticket %s\n", ticket->Id().c_str());
        }
        PQclear(result);
    }
    PQfinish(conn);
    return failures == 0 ? 0 : 1;
}
