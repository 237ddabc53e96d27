#include "DBOperation.h"

void LogTrace(const LogSite& site)
{
    SysLog(FormatString("%s:%d:%s \n", site.unit, site.line, site.function));
}

void LogFailedQuery(const LogSite& site, const std::string& query, const std::string& error)
{
    const char* format = site.family == LogFamily::Spaced
                             ? "%s:%d:%s\n    QUERY: %s \n    ERROR: %s \n"
                             : "%s:%d:%s\n    QUERY: %s\n    ERROR: %s\n";
    SysLog(FormatString(format, site.unit, site.line, site.function, query.c_str(), error.c_str()));
}

void LogWarning(const LogSite& site, const std::string& warning)
{
    const char* format = site.family == LogFamily::Spaced ? "%s:%d:%s\n    WARNING: %s \n"
                                                          : "%s:%d:%s\n    WARNING: %s\n";
    SysLog(FormatString(format, site.unit, site.line, site.function, warning.c_str()));
}

void DBOperation::Fail(const std::string& query, const std::string& error) const
{
    owner.ErrorMsg(error);
    LogFailedQuery(site, query, error);
}

void DBOperation::Log(const std::string& text) const
{
    SysLog(FormatString("%s:%d:%s %s\n", site.unit, site.line, site.function, text.c_str()));
}

bool DBOperation::Run(Kind kind, const std::string& query,
                      const std::function<bool(PgSqlDatabase&)>& use,
                      FailureReport report) const
{
    try {
        PgSqlDatabase db(owner.ConnInfo());
        int ok = kind == Kind::Tuples ? db.ExecTuplesOk(query) : db.ExecCommandOk(query);
        if (!ok)
            return Failed(db, query, report);
        return use ? use(db) : true;
    } catch (const std::exception& e) {
        return Raised(e, query);
    }
}

bool DBOperation::Failed(PgSqlDatabase& db, const std::string& query, FailureReport report) const
{
    std::string message = db.ErrorMessage();
    if (report.store)
        owner.ErrorMsg(message);
    if (report.log)
        LogFailedQuery(site, query, report.fixedText ? report.fixedText : message);
    return false;
}

bool DBOperation::Raised(const std::exception& e, const std::string& query) const
{
    owner.ErrorMsg(e.what());
    LogFailedQuery(site, query, e.what());
    return false;
}

bool DBOperation::Transaction(const std::function<bool(const Step&)>& work) const
{
    std::string current = "BEGIN";
    try {
        PgSqlDatabase db(owner.ConnInfo());
        Step step = [&](Kind kind, const std::string& query, FailureReport report) {
            current = query;
            int ok = kind == Kind::Tuples ? db.ExecTuplesOk(query) : db.ExecCommandOk(query);
            return ok ? true : Failed(db, query, report);
        };
        if (!step(Kind::Command, "BEGIN", FailureReport::Standard()))
            return false;
        if (!work(step)) {
            db.ExecCommandOk("ROLLBACK");
            return false;
        }
        return step(Kind::Command, "COMMIT", FailureReport::Standard());
    } catch (const std::exception& e) {
        // Closing the connection rolls back whatever the transaction did.
        return Raised(e, current);
    }
}

bool DBOperation::LoadOne(const std::string& query,
                          const std::function<bool(PgSqlDatabase&)>& read) const
{
    return Run(Kind::Tuples, query, [&](PgSqlDatabase& db) {
        int rows = db.Tuples();
        if (rows == 1)
            return read(db);
        if (site.family == LogFamily::Spaced) {
            Warn(rows == 0 ? "zero results for query" : "more than one result for query");
            return true;
        }
        if (rows == 0) {
            Warn("Zero Results From Query.");
            return true;
        }
        owner.ErrorMsg("Multiple Results From Query.");
        Warn("Multiple Results From Query.");
        return false;
    });
}

bool DBOperation::NextVal(const std::string& sequence, int& value, FailureReport report) const
{
    return Run(Kind::Tuples, "select nextval('" + sequence + "')",
               [&](PgSqlDatabase& db) {
                   if (db.Tuples() != 1)
                       return false;
                   value = db.GetInt(0, "nextval");
                   return true;
               },
               report);
}
