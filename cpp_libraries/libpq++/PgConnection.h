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
};

#endif
