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

bool DBOperation::Refuse(const std::string& why) const
{
    owner.ErrorMsg(why);
    Log(why);
    return false;
}

bool DBOperation::Run(Kind kind, const std::string& query,
                      const std::function<bool(PgSqlDatabase&)>& use,
                      FailureReport report) const
{
    try {
        std::unique_ptr<PgSqlDatabase> db = Connect();
        if (!db)
            return Failed(UnitOfWork::Current()->ErrorMsg(), query, report);
        if (!Execute(*db, kind, query, report))
            return false;
        return use ? use(*db) : true;
    } catch (const std::exception& e) {
        return Raised(e, query);
    }
}

std::unique_ptr<PgSqlDatabase> DBOperation::Connect() const
{
    if (const UnitOfWork* unit = UnitOfWork::Current())
        return unit->Lend();
    return std::make_unique<PgSqlDatabase>(owner.ConnInfo());
}

namespace {

// Whether the statement holds a number that "%f" wrote as inf or nan: a word
// of its own outside the quoted texts, which the server would take for a
// column, or worse, for a value.
bool HoldsNonFinite(const std::string& query)
{
    auto letter = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    bool quoted = false;
    for (size_t i = 0; i < query.size(); ++i) {
        char c = query[i];
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || !letter(c) || (i > 0 && letter(query[i - 1])))
            continue;
        size_t end = i;
        while (end < query.size() && letter(query[end]))
            ++end;
        std::string word = query.substr(i, end - i);
        for (char& w : word)
            w = static_cast<char>(w >= 'A' && w <= 'Z' ? w - 'A' + 'a' : w);
        if (word == "inf" || word == "nan" || word == "infinity")
            return true;
        i = end - 1;
    }
    return false;
}

}  // namespace

bool DBOperation::Execute(PgSqlDatabase& db, Kind kind, const std::string& query, FailureReport report) const
{
    if (HoldsNonFinite(query)) {
        failedState.clear();
        return Failed("a number to be written is not finite (inf or nan); nothing was sent", query, report);
    }
    int ok = kind == Kind::Tuples ? db.ExecTuplesOk(query) : db.ExecCommandOk(query);
    if (ok)
        return true;
    failedState = db.SqlState();
    return Failed(db.ErrorMessage(), query, report);
}

// A failed statement ends the unit it ran in: the server has aborted the
// transaction, and nothing after it may be committed.
bool DBOperation::Failed(const std::string& message, const std::string& query, FailureReport report) const
{
    if (UnitOfWork* unit = UnitOfWork::Current())
        unit->Fail(message);
    if (report.store)
        owner.ErrorMsg(message);
    if (report.log)
        LogFailedQuery(site, query, report.fixedText ? report.fixedText : message);
    return false;
}

bool DBOperation::Raised(const std::exception& e, const std::string& query) const
{
    if (UnitOfWork* unit = UnitOfWork::Current())
        unit->Fail(e.what());
    owner.ErrorMsg(e.what());
    LogFailedQuery(site, query, e.what());
    return false;
}

bool DBOperation::Transaction(const std::function<bool(const Step&)>& work) const
{
    std::string current = "BEGIN";
    try {
        std::unique_ptr<PgSqlDatabase> db = Connect();
        if (!db)
            return Failed(UnitOfWork::Current()->ErrorMsg(), current, FailureReport::Standard());
        Step step = [&](Kind kind, const std::string& query, FailureReport report) {
            current = query;
            return Execute(*db, kind, query, report);
        };
        if (UnitOfWork* unit = UnitOfWork::Current()) {
            if (work(step))
                return true;
            unit->Fail(owner.ErrorMsg());
            return false;
        }
        if (!step(Kind::Command, "BEGIN", FailureReport::Standard()))
            return false;
        if (!work(step)) {
            db->ExecCommandOk("ROLLBACK");
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

bool DBOperation::Exists(const std::string& query, bool& found,
                         const std::function<void(PgSqlDatabase&)>& read, FailureReport report) const
{
    found = false;
    return Run(Kind::Tuples, query,
               [&](PgSqlDatabase& db) {
                   found = db.Tuples() > 0;
                   if (found && read)
                       read(db);
                   return true;
               },
               report);
}

bool DBOperation::EachRow(const std::string& query, const std::function<void(PgSqlDatabase&, unsigned row)>& row,
                          FailureReport report) const
{
    return Run(Kind::Tuples, query,
               [&](PgSqlDatabase& db) {
                   for (int i = 0; i < db.Tuples(); ++i)
                       row(db, static_cast<unsigned>(i));
                   return true;
               },
               report);
}

bool DBOperation::One(const std::string& query, const std::function<void(PgSqlDatabase&)>& read,
                      FailureReport report) const
{
    return Run(Kind::Tuples, query,
               [&](PgSqlDatabase& db) {
                   if (db.Tuples() != 1)
                       return false;
                   if (read)
                       read(db);
                   return true;
               },
               report);
}

bool DBOperation::NextVal(const std::string& sequence, int& value, FailureReport report) const
{
    return One("select nextval('" + sequence + "')", [&](PgSqlDatabase& db) { value = db.GetInt(0, "nextval"); },
               report);
}

namespace {

thread_local UnitOfWork* openUnit = nullptr;

}  // namespace

UnitOfWork* UnitOfWork::Current()
{
    return openUnit;
}

UnitOfWork::UnitOfWork(const std::string& conninfo, Access access) : outer(openUnit)
{
    openUnit = this;
    if (outer)
        return;
    db = std::make_unique<PgSqlDatabase>(conninfo);
    // A server that stops answering costs the unit one wait of the connect
    // timeout, after which nothing more is sent on the connection.
    int seconds = db->ConnectTimeout();
    db->AnswerTimeout(seconds == 1 ? 2 : seconds);
    Statement(access == Access::ReadOnly ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN");
}

UnitOfWork::~UnitOfWork()
{
    if (openUnit == this)
        openUnit = outer;
    if (finished)
        return;
    if (outer) {
        outer->Fail(error.empty() ? "a part of the work was left unfinished" : error);
        return;
    }
    RollBack();
}

void UnitOfWork::RollBack()
{
    // A connection still waiting for an answer is only closed: the server
    // rolls back what a closed connection left open.
    if (db && !db->ConnectionBad() && PQtransactionStatus(db->Connection()) != PQTRANS_ACTIVE)
        db->ExecCommandOk("ROLLBACK");
}

bool UnitOfWork::Ok() const
{
    if (failed || finished)
        return false;
    return outer ? outer->Ok() : db != nullptr;
}

bool UnitOfWork::Commit()
{
    if (finished)
        return false;
    bool ok = Ok();
    finished = true;
    if (openUnit == this)
        openUnit = outer;
    if (outer || !ok) {
        if (!outer)
            RollBack();
        return ok;
    }
    return Statement("COMMIT");
}

std::string UnitOfWork::ErrorMsg() const
{
    return error;
}

void UnitOfWork::Fail(const std::string& why)
{
    if (!failed) {
        failed = true;
        error = why.empty() ? "the unit of work failed" : why;
    }
    if (outer)
        outer->Fail(why);
}

std::unique_ptr<PgSqlDatabase> UnitOfWork::Lend() const
{
    if (!Ok())
        return nullptr;
    if (outer)
        return outer->Lend();
    auto lent = std::make_unique<PgSqlDatabase>(db->Connection());
    lent->AnswerTimeout(db->AnswerTimeout());
    return lent;
}

bool UnitOfWork::Statement(const char* sql)
{
    if (db->ExecCommandOk(sql))
        return true;
    std::string message = db->ErrorMessage();
    LogFailedQuery(DB_SITE(LogFamily::Spaced), sql, message);
    Fail(message);
    return false;
}
