// Stores the tickets bench/velmora.sh views: the large sample cut down to no
// lines (B0-0), as it is (B12-8), and grown to 50 materials and 50 extra
// products (B50-50). Earlier copies are replaced.
//
//   velmora-bench-tickets [conninfo]

#include <cstdio>
#include <libpq-fe.h>

#include "FormatString.h"
#include "SampleTickets.h"

namespace {

void Resize(std::vector<DBProduct*>& list, size_t count, const char* id, const char* type)
{
    while (list.size() > count) {
        delete list.back();
        list.pop_back();
    }
    while (list.size() < count) {
        float amount = 100.0f + list.size();
        samples::AddLine(list, FormatString("%s%02zu", id, list.size() + 1), type, "Added line", amount,
                         amount * 10, amount * 10 + 1, 0);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    PGconn* conn = PQconnectdb(argc > 1 ? argv[1] : "dbname=morvik2 user=morvik2");
    if (PQstatus(conn) != CONNECTION_OK) {
        std::fprintf(stderr, "velmora-bench-tickets: %s", PQerrorMessage(conn));
        PQfinish(conn);
        return 1;
    }
    int failures = 0;
    const int sizes[][3] = {{900, 0, 0}, {912, 12, 8}, {950, 50, 50}};
    for (const auto& size : sizes) {
        auto ticket = samples::Large();
        ticket->Entry(size[0]);
        ticket->Id(FormatString("B%i-%i", size[1], size[2]));
        Resize(ticket->matl_v, size[1], "MAT", "agg");
        Resize(ticket->prod_v, size[2], "EXTRA", "extra");
        std::string sql = FormatString("DELETE FROM ticket_t WHERE entry_c=%i; ", ticket->Entry()) +
                          samples::InsertStatement(*ticket);
        PGresult* result = PQexec(conn, sql.c_str());
        if (PQresultStatus(result) != PGRES_COMMAND_OK) {
            std::fprintf(stderr, "velmora-bench-tickets: %s", PQerrorMessage(conn));
            ++failures;
        }
        PQclear(result);
    }
    PQfinish(conn);
    return failures == 0 ? 0 : 1;
}
