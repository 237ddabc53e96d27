// The floor velmora is measured against: runs the statements of a file (one
// per line), each on a new connection, as a ticket load does, and nothing else.
//
//   velmora-floor STATEMENTS-FILE [conninfo]

#include <cstdio>
#include <fstream>
#include <libpq-fe.h>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmora-floor STATEMENTS-FILE [conninfo]\n");
        return 2;
    }
    const char* conninfo = argc > 2 ? argv[2] : "dbname=morvik2 user=morvik2";
    std::ifstream in(argv[1]);
    std::string sql;
    int failures = 0;
    while (std::getline(in, sql)) {
        if (sql.empty())
            continue;
        PGconn* conn = PQconnectdb(conninfo);
        PGresult* result = PQexec(conn, sql.c_str());
        ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "velmora-floor: %s", PQerrorMessage(conn));
            ++failures;
        }
        PQclear(result);
        PQfinish(conn);
    }
    return failures == 0 ? 0 : 1;
}
