#include "PgConnection.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>

#include "FormatString.h"

PgConnection::PgConnection(const char* conninfo)
    : pgConn(nullptr), pgResult(nullptr), pgCloseConnection(true)
{
    Connect(conninfo);
}

PgConnection::PgConnection() : pgConn(nullptr), pgResult(nullptr), pgCloseConnection(false) {}

PgConnection::PgConnection(PGconn* shared) : pgConn(shared), pgResult(nullptr), pgCloseConnection(false) {}

PgConnection::~PgConnection()
{
    CloseConnection();
    // The result is this object's even where the connection is lent.
    if (pgResult)
        PQclear(pgResult);
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
    return stalled.empty() ? PQerrorMessage(pgConn) : stalled.c_str();
}

int PgConnection::ConnectTimeout() const
{
    int seconds = 0;
    PQconninfoOption* options = pgConn ? PQconninfo(pgConn) : nullptr;
    for (PQconninfoOption* o = options; o && o->keyword; ++o)
        if (std::string(o->keyword) == "connect_timeout" && o->val)
            seconds = atoi(o->val);
    PQconninfoFree(options);
    return seconds;
}

const char* PgConnection::SqlState() const
{
    const char* state = pgResult ? PQresultErrorField(pgResult, PG_DIAG_SQLSTATE) : nullptr;
    return state ? state : "";
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
    if (ConnectionBad() || !stalled.empty())
        return PGRES_FATAL_ERROR;
    if (answerTimeout > 0)
        return ExecBounded(query);
    pgResult = PQexec(pgConn, query);
    return pgResult ? PQresultStatus(pgResult) : PGRES_FATAL_ERROR;
}

// PQexec's work with a deadline: send, wait for the socket at most until the
// deadline, and keep the last result (an error before it wins, as in PQexec).
ExecStatusType PgConnection::ExecBounded(const char* query)
{
    if (!PQsendQuery(pgConn, query))
        return PGRES_FATAL_ERROR;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(answerTimeout);
    for (;;) {
        while (PQisBusy(pgConn)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pollfd socket{PQsocket(pgConn), POLLIN, 0};
            if (left <= 0 || poll(&socket, 1, static_cast<int>(left)) == 0) {
                stalled = FormatString("no answer from the server within %d seconds\n", answerTimeout);
                return PGRES_FATAL_ERROR;
            }
            if (!PQconsumeInput(pgConn))
                break;
        }
        PGresult* next = PQgetResult(pgConn);
        if (!next)
            break;
        if (pgResult && PQresultStatus(pgResult) == PGRES_FATAL_ERROR) {
            PQclear(next);
            continue;
        }
        if (pgResult)
            PQclear(pgResult);
        pgResult = next;
    }
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
