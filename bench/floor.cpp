// The floor velmora is measured against: one new connection running the
// statements a view ran, read from a file where each ends in a NUL byte (a
// statement may hold line breaks), in order, and nothing else.
//
//   velmora-floor STATEMENTS [conninfo]

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <libpq-fe.h>

namespace {

bool Read(const char* path, std::vector<std::string>& statements)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string::size_type start = 0;
    for (std::string::size_type end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
        statements.push_back(all.substr(start, end - start));
    return start == all.size();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: velmora-floor STATEMENTS [conninfo]\n");
        return 2;
    }
    std::vector<std::string> statements;
    if (!Read(argv[1], statements) || statements.empty()) {
        std::fprintf(stderr, "velmora-floor: %s holds no NUL-terminated statements\n", argv[1]);
        return 2;
    }
    PGconn* conn = PQconnectdb(argc > 2 ? argv[2] : "dbname=morvik2 user=morvik2");
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "velmora-floor: %s", PQerrorMessage(conn));
        PQfinish(conn);
        return 1;
    }
    int failures = 0;
    for (const std::string& sql : statements) {
        PGresult* result = PQexec(conn, sql.c_str());
        ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "velmora-floor: %s", PQerrorMessage(conn));
            ++failures;
        }
        PQclear(result);
    }
    PQfinish(conn);
    return failures == 0 ? 0 : 1;
}
