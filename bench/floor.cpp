// The floor velmora is measured against: as many new connections as a view
// opens, each running "SELECT 1", and nothing else.
//
//   velmora-floor COUNT [conninfo]

#include <cstdio>
#include <cstdlib>
#include <libpq-fe.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmora-floor COUNT [conninfo]\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const char* conninfo = argc > 2 ? argv[2] : "dbname=morvik2 user=morvik2";
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        PGconn* conn = PQconnectdb(conninfo);
        PGresult* result = PQexec(conn, "SELECT 1");
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            std::fprintf(stderr, "velmora-floor: %s", PQerrorMessage(conn));
            ++failures;
        }
        PQclear(result);
        PQfinish(conn);
    }
    return failures == 0 ? 0 : 1;
}
