#ifndef UNITOFWORK_H
#define UNITOFWORK_H

#include <memory>
#include <string>

class PgSqlDatabase;

// One connection and one transaction that every operation of every
// persistent object joins while the unit is open in this thread: what the
// operations do between its opening and Commit() is all or nothing. Leaving
// the unit any other way (a failed statement in it, an early return, an
// exception) rolls everything back. A unit opened while another is open in
// the thread joins that one: it adds no connection, and rolls the outer one
// back unless it is committed itself.
class UnitOfWork {
public:
    enum class Access {
        ReadWrite,
        // One version of the data for every read, nothing written.
        ReadOnly,
    };

    explicit UnitOfWork(const std::string& conninfo, Access access = Access::ReadWrite);
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork&) = delete;
    UnitOfWork& operator=(const UnitOfWork&) = delete;

    // Whether the transaction is open and nothing in it has failed.
    bool Ok() const;
    // Commits the transaction: false (everything rolled back) when the unit
    // had failed or the server refused the commit.
    bool Commit();
    // Why the unit failed: the first failure's message.
    std::string ErrorMsg() const;

    // The unit open in this thread, or null.
    static UnitOfWork* Current();

private:
    friend class DBOperation;
    // Marks the unit failed; the first reason stays.
    void Fail(const std::string& why);
    // The connection the unit lends to its operations, or null when it has none.
    std::unique_ptr<PgSqlDatabase> Lend() const;
    bool Statement(const char* sql);
    void RollBack();

    UnitOfWork* outer;
    std::unique_ptr<PgSqlDatabase> db;  // null when joined to `outer`
    bool failed = false;
    bool finished = false;
    std::string error;
};

#endif
