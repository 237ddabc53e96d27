#include "PgConnection.h"

#include <cstdlib>

#include "FormatString.h"

PgConnection::PgConnection(const char* conninfo)
    : pgConn(nullptr), pgResult(nullptr), pgCloseConnection(true)
{
    Connect(conninfo);
}

PgConnection::PgConnection() : pgConn(nullptr), pgResult(nullptr), pgCloseConnection(false) {}

PgConnection::~PgConnection()
{
    CloseConnection();
}

namespace {

// Whether the connection string itself sets `keyword`.
bool Sets(const char* conninfo, const char* keyword)
{
    PQconninfoOption* options = PQconninfoParse(conninfo, nullptr);
    if (!options)
        return false;
    bool set = false;
    for (PQconninfoOption* o = options; o->keyword; ++o)
        if (std::string(o->keyword) == keyword && o->val && *o->val)
            set = true;
    PQconninfoFree(options);
    return set;
}

}  // namespace

// A server that accepts the connection and never answers must not hold the
// program forever.
std::string PgConnection::WithTimeout(const char* conninfo)
{
    std::string effective = conninfo;
    if (!Sets(conninfo, "connect_timeout") && !getenv("PGCONNECT_TIMEOUT"))
        effective += FormatString(" connect_timeout=%d", kConnectTimeout);
    return effective;
}

ConnStatusType PgConnection::Connect(const char* conninfo)
{
    CloseConnection();
    pgConn = PQconnectdb(WithTimeout(conninfo).c_str());
    pgCloseConnection = true;
    // Statements escape texts by doubling apostrophes, which is sound only
    // while backslashes are plain characters in literals; no server or
    // database default may change that under them. The server reports the
    // setting when the connection opens, so only a connection that has it off
    // costs a statement; one that cannot be set is not used: its statements
    // fail.
    const char* standard = Status() == CONNECTION_OK ? PQparameterStatus(pgConn, "standard_conforming_strings")
                                                     : nullptr;
    if (Status() == CONNECTION_OK && !(standard && std::string(standard) == "on")) {
        PGresult* set = PQexec(pgConn, "SET standard_conforming_strings = on");
        bool ok = PQresultStatus(set) == PGRES_COMMAND_OK;
        PQclear(set);
        if (!ok) {
            PQfinish(pgConn);
            pgConn = nullptr;
        }
    }
    return Status();
}

void PgConnection::CloseConnection()
{
    if (!pgCloseConnection)
        return;
    if (pgResult) {
        PQclear(pgResult);
        pgResult = nullptr;
    }
    if (pgConn) {
        PQfinish(pgConn);
        pgConn = nullptr;
    }
    pgCloseConnection = false;
}

ConnStatusType PgConnection::Status() const
{
    return PQstatus(pgConn);
}

bool PgConnection::ConnectionBad() const
{
    return Status() == CONNECTION_BAD;
}

const char* PgConnection::ErrorMessage() const
{
    return PQerrorMessage(pgConn);
}

const char* PgConnection::DBName() const
{
    return PQdb(pgConn);
}

ExecStatusType PgConnection::Exec(const char* query)
{
    if (pgResult) {
        PQclear(pgResult);
        pgResult = nullptr;
    }
    // libpq would replace the reason a connection failed with "no connection
    // to the server"; the failed statement has to report the reason itself.
    if (ConnectionBad())
        return PGRES_FATAL_ERROR;
    pgResult = PQexec(pgConn, query);
    return pgResult ? PQresultStatus(pgResult) : PGRES_FATAL_ERROR;
}

int PgConnection::ExecCommandOk(const char* query)
{
    return Exec(query) == PGRES_COMMAND_OK ? 1 : 0;
}

int PgConnection::ExecTuplesOk(const char* query)
{
    return Exec(query) == PGRES_TUPLES_OK ? 1 : 0;
}

PGnotify* PgConnection::Notifies()
{
    return PQnotifies(pgConn);
}

PQnoticeProcessor PgConnection::SetNoticeProcessor(PQnoticeProcessor proc, void* arg)
{
    return PQsetNoticeProcessor(pgConn, proc, arg);
}

std::string PgConnection::IntToString(int n)
{
    return FormatString("%d", n);
}
