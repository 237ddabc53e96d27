#ifndef PGCONNECTION_H
#define PGCONNECTION_H

#include <string>

#include <libpq-fe.h>

// One libpq connection and the result of the last statement run on it, both
// owned. Each statement replaces the previous result.
class PgConnection {
public:
    // Opens the connection; a failure shows in Status() and in the first
    // statement, not here.
    explicit PgConnection(const char* conninfo);
    PgConnection();
    // Runs its statements on `shared`, which stays open when this object
    // goes: a unit of work lends its one connection to each operation so.
    explicit PgConnection(PGconn* shared);
    virtual ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Every connection reads string literals the standard way, and waits at
    // most kConnectTimeout seconds for the server unless the connection string
    // (or PGCONNECT_TIMEOUT) says otherwise.
    ConnStatusType Connect(const char* conninfo);
    static constexpr int kConnectTimeout = 10;
    // The connection string Connect opens: `conninfo` with the default
    // connect_timeout when neither it nor the environment sets one.
    static std::string WithTimeout(const char* conninfo);
    void CloseConnection();

    ConnStatusType Status() const;
    bool ConnectionBad() const;
    // Owned by libpq; valid until the next statement or CloseConnection.
    const char* ErrorMessage() const;
    const char* DBName() const;
    // The SQLSTATE code of the last statement's error, "" when it has none.
    const char* SqlState() const;

    // With a bound above 0, a statement whose answer has not come after that
    // many seconds fails ("no answer from the server ...") and the connection
    // is not used again: a stalled server costs one wait, not one per
    // statement. 0, the default, waits as long as the server takes.
    void AnswerTimeout(int seconds) { answerTimeout = seconds; }
    int AnswerTimeout() const { return answerTimeout; }
    // The connect_timeout this connection was opened with, 0 when none.
    int ConnectTimeout() const;

    ExecStatusType Exec(const char* query);
    int ExecCommandOk(const char* query);
    int ExecTuplesOk(const char* query);

    PGnotify* Notifies();
    PQnoticeProcessor SetNoticeProcessor(PQnoticeProcessor proc, void* arg);

    static std::string IntToString(int n);

protected:
    PGconn* pgConn;
    PGresult* pgResult;
    bool pgCloseConnection;

private:
    ExecStatusType ExecBounded(const char* query);

    int answerTimeout = 0;
    // Set when an answer did not come in time; ErrorMessage reports it.
    std::string stalled;
};

#endif
