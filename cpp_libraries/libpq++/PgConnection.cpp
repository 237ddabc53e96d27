#include "PgConnection.h"

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

ConnStatusType PgConnection::Connect(const char* conninfo)
{
    CloseConnection();
    pgConn = PQconnectdb(conninfo);
    pgCloseConnection = true;
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
