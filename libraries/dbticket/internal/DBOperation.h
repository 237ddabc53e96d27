#ifndef DBOPERATION_H
#define DBOPERATION_H

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "DBObject.h"
#include "PgSqlDatabase.h"
#include "SysLog.h"
#include "UnitOfWork.h"

// The two families of log lines: DBTruck and DBProduct write their failed-query
// and warning lines without the blank before each line end, and treat more
// than one row of a single-record load as an error.
enum class LogFamily { Spaced, Compact };

// Where an operation's log lines say they come from.
struct LogSite {
    const char* unit;
    int line;
    const char* function;
    LogFamily family;
};
#define DB_SITE(family) (LogSite{SourceName(__FILE__), __LINE__, __func__, (family)})

// Where an operation of a persistent class logs from: its source unit's file
// and log family (the unit's constant kFamily), the line and the operation's
// name. A unit whose lines name another file says so by defining its own.
#define OPERATION_SITE DB_SITE(kFamily)
// Begins an operation of `*this` with its trace line, as every loader by key,
// list loader and saving, booking and deleting operation does...
#define BEGIN_OPERATION(op) DBOperation op(*this, OPERATION_SITE, DBOperation::Traced{})
// ...or without it: the defaults loaders, uniqueness tests and numberings.
#define OPERATION (DBOperation(*this, OPERATION_SITE))

void LogTrace(const LogSite& site);
void LogFailedQuery(const LogSite& site, const std::string& query, const std::string& error);
void LogWarning(const LogSite& site, const std::string& warning);

// How a failed statement is reported. By default the server's message is both
// stored in the object and logged; a few operations log a fixed text instead,
// only store or only log it, or report nothing at all.
struct FailureReport {
    bool store = true;
    bool log = true;
    const char* fixedText = nullptr;

    static FailureReport Standard() { return {}; }
    static FailureReport LogFixed(const char* text) { return {true, true, text}; }
    static FailureReport StoreOnly() { return {true, false, nullptr}; }
    static FailureReport LogOnly(const char* text = nullptr) { return {false, true, text}; }
    static FailureReport Silent() { return {false, false, nullptr}; }
};

// The operation convention of every persistent class, written once: each
// statement runs on a connection of its own opened from the owner's ConnInfo()
// and closed when the statement's work is done, or on the connection of the
// unit of work open in the thread; failures are stored in the owner and
// logged; no std::exception escapes.
class DBOperation {
public:
    DBOperation(DBObject& owner, LogSite site) : owner(owner), site(site) {}
    struct Traced {};
    // Writes the trace line at once.
    DBOperation(DBObject& owner, LogSite site, Traced) : owner(owner), site(site) { Trace(); }

    enum class Kind { Tuples, Command };

    void Trace() const { LogTrace(site); }
    void Warn(const std::string& text) const { LogWarning(site, text); }
    // Stores `error` in the owner and writes the failed-query line with it.
    void Fail(const std::string& query, const std::string& error) const;
    // A plain "file:line:function text" line.
    void Log(const std::string& text) const;
    // Refuses the operation before any statement: `why` is stored in the
    // owner and logged.
    bool Refuse(const std::string& why) const;
    // Whether the last statement that failed would have made a second row
    // where a unique index allows one.
    bool Duplicate() const { return failedState == "23505"; }

    // Runs `query`; on success hands the still open connection to `use` and
    // returns what it returns. A failed statement is reported as `report`
    // says; a std::exception from the connection or from `use` is stored and
    // logged with the query. Both give false.
    bool Run(Kind kind, const std::string& query,
             const std::function<bool(PgSqlDatabase&)>& use = nullptr,
             FailureReport report = FailureReport::Standard()) const;

    // A single-record load: exactly one row is handed to `read` (the
    // connection stays open meanwhile); zero or several rows are warned about
    // as the site's family does it.
    bool LoadOne(const std::string& query,
                 const std::function<bool(PgSqlDatabase&)>& read) const;

    // A query of any number of rows, each handed to `row` in order.
    bool EachRow(const std::string& query, const std::function<void(PgSqlDatabase&, unsigned row)>& row,
                 FailureReport report = FailureReport::Standard()) const;

    // A query that must give exactly one row: it is handed to `read` (none
    // needed) and the operation succeeds; no row or several make it fail
    // without a word. A failed query is reported as `report` says.
    bool One(const std::string& query, const std::function<void(PgSqlDatabase&)>& read,
             FailureReport report = FailureReport::Standard()) const;

    // A query asked whether something is there: `found` says whether a row
    // came back, and `read`, when given, reads the first one.
    bool Exists(const std::string& query, bool& found,
                const std::function<void(PgSqlDatabase&)>& read = nullptr,
                FailureReport report = FailureReport::Standard()) const;

    // Takes the next value of `sequence`; false unless exactly one row came
    // back. A failed query is reported as `report` says (by default not at all).
    bool NextVal(const std::string& sequence, int& value,
                 FailureReport report = FailureReport::Silent()) const;

    // One statement of a transaction: runs on the transaction's connection and
    // reports a failure like Run.
    using Step = std::function<bool(Kind, const std::string& query, FailureReport report)>;

    // Runs `work` as one transaction on one connection: committed when it
    // returns true, rolled back when it or a statement fails. Inside a unit
    // of work it is part of the unit's transaction.
    bool Transaction(const std::function<bool(const Step&)>& work) const;

private:
    // The connection a statement runs on: the unit's, lent, or a new one.
    std::unique_ptr<PgSqlDatabase> Connect() const;
    bool Execute(PgSqlDatabase& db, Kind kind, const std::string& query, FailureReport report) const;
    bool Failed(const std::string& message, const std::string& query, FailureReport report) const;
    bool Raised(const std::exception& e, const std::string& query) const;

    DBObject& owner;
    LogSite site;
    mutable std::string failedState;
};

#endif
