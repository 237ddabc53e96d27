#ifndef PGSQLDATABASE_H
#define PGSQLDATABASE_H

#include <string>

#include "PgDatabase.h"

// The layer the persistent classes use: standard strings in and out, field
// text converted to numbers and flags. libpq gives a NULL as the empty text.
//
// A column that is not in the result, or a row or column number outside it,
// throws std::out_of_range naming it: libpq would hand back a null pointer,
// and the operations run their statements inside a handler for
// std::exception, which then reports the fault as a failed operation.
class PgSqlDatabase : public PgDatabase {
public:
    // Opens the connection.
    explicit PgSqlDatabase(const std::string& conninfo);
    // Works on a connection that another object owns and keeps open.
    explicit PgSqlDatabase(PGconn* shared);
    ~PgSqlDatabase() override;

    std::string GetString(unsigned tup_num, const std::string& field_name) const;
    // Leading decimal integer (atoi): "" and "abc" give 0, "3.9" gives 3.
    int GetInt(unsigned tup_num, const std::string& field_name) const;
    // Leading decimal number (atof), narrowed; "" gives 0.
    float GetFloat(unsigned tup_num, const std::string& field_name) const;
    // True exactly for "t", PostgreSQL's text form of true.
    bool GetBool(unsigned tup_num, const std::string& field_name) const;

    std::string GetString(unsigned tup_num, int field_num) const;
    int GetInt(unsigned tup_num, int field_num) const;
    float GetFloat(unsigned tup_num, int field_num) const;
    bool GetBool(unsigned tup_num, int field_num) const;

    std::string ErrorMessage() const;
    int ExecCommandOk(const std::string& query);
    int ExecTuplesOk(const std::string& query);

    std::string FieldName(int field_num) const;
    int FieldNum(const std::string& field_name) const;
    Oid FieldType(int field_num) const;
    Oid FieldType(const std::string& field_name) const;
    int FieldSize(int field_num) const;
    int FieldSize(const std::string& field_name) const;
    bool GetIsNull(unsigned tup_num, int field_num) const;
    bool GetIsNull(unsigned tup_num, const std::string& field_name) const;
    int GetLength(unsigned tup_num, int field_num) const;
    int GetLength(unsigned tup_num, const std::string& field_name) const;
    std::string GetValue(unsigned tup_num, int field_num) const;
    std::string GetValue(unsigned tup_num, const std::string& field_name) const;
    std::string DBName() const;
    ExecStatusType Exec(const std::string& query);
    std::string OidStatus() const;
    int Socket() const;
    // The libpq connection itself, for an object that lends it out.
    PGconn* Connection() const { return pgConn; }

private:
    int CheckedColumn(const std::string& field_name) const;
    int CheckedColumn(int field_num) const;
    int CheckedRow(unsigned tup_num) const;
    const char* Field(unsigned tup_num, int field_num) const;
};

#endif
