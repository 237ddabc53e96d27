#ifndef PGDATABASE_H
#define PGDATABASE_H

#include <cstdio>

#include "PgConnection.h"

// Accessors for the result of the last statement; rows and columns count
// from 0. They forward to libpq unchecked.
class PgDatabase : public PgConnection {
public:
    explicit PgDatabase(const char* conninfo);
    explicit PgDatabase(PGconn* shared);
    ~PgDatabase() override;

    int Tuples() const;
    // Rows touched by the last command; -1 when the statement reports none.
    int CmdTuples() const;
    int Fields() const;
    const char* FieldName(int field_num) const;
    // -1 when the result has no such column.
    int FieldNum(const char* field_name) const;
    Oid FieldType(int field_num) const;
    Oid FieldType(const char* field_name) const;
    int FieldSize(int field_num) const;
    int FieldSize(const char* field_name) const;

    const char* GetValue(int tup_num, int field_num) const;
    const char* GetValue(int tup_num, const char* field_name) const;
    bool GetIsNull(int tup_num, int field_num) const;
    bool GetIsNull(int tup_num, const char* field_name) const;
    int GetLength(int tup_num, int field_num) const;
    int GetLength(int tup_num, const char* field_name) const;

    // The result as a table, fields separated by field_sep.
    void DisplayTuples(FILE* out = stdout, bool fill_align = true, const char* field_sep = "|",
                       bool print_header = true) const;
    // The result as an aligned table, boxed unless terse_output.
    void PrintTuples(FILE* out = stdout, bool print_att_name = true, bool terse_output = false) const;

    int GetLine(char* string, int length);
    int PutLine(const char* string);
    int EndCopy();

    const char* OidStatus() const;
};

#endif
