#include "PgDatabase.h"

#include <cstdlib>

PgDatabase::PgDatabase(const char* conninfo) : PgConnection(conninfo) {}

PgDatabase::PgDatabase(PGconn* shared) : PgConnection(shared) {}

PgDatabase::~PgDatabase() = default;

int PgDatabase::Tuples() const
{
    return PQntuples(pgResult);
}

int PgDatabase::CmdTuples() const
{
    const char* count = PQcmdTuples(pgResult);
    return *count ? atoi(count) : -1;
}

int PgDatabase::Fields() const
{
    return PQnfields(pgResult);
}

const char* PgDatabase::FieldName(int field_num) const
{
    return PQfname(pgResult, field_num);
}

int PgDatabase::FieldNum(const char* field_name) const
{
    return PQfnumber(pgResult, field_name);
}

Oid PgDatabase::FieldType(int field_num) const
{
    return PQftype(pgResult, field_num);
}

Oid PgDatabase::FieldType(const char* field_name) const
{
    return FieldType(FieldNum(field_name));
}

int PgDatabase::FieldSize(int field_num) const
{
    return PQfsize(pgResult, field_num);
}

int PgDatabase::FieldSize(const char* field_name) const
{
    return FieldSize(FieldNum(field_name));
}

const char* PgDatabase::GetValue(int tup_num, int field_num) const
{
    return PQgetvalue(pgResult, tup_num, field_num);
}

const char* PgDatabase::GetValue(int tup_num, const char* field_name) const
{
    return GetValue(tup_num, FieldNum(field_name));
}

bool PgDatabase::GetIsNull(int tup_num, int field_num) const
{
    return PQgetisnull(pgResult, tup_num, field_num) != 0;
}

bool PgDatabase::GetIsNull(int tup_num, const char* field_name) const
{
    return GetIsNull(tup_num, FieldNum(field_name));
}

int PgDatabase::GetLength(int tup_num, int field_num) const
{
    return PQgetlength(pgResult, tup_num, field_num);
}

int PgDatabase::GetLength(int tup_num, const char* field_name) const
{
    return GetLength(tup_num, FieldNum(field_name));
}

void PgDatabase::DisplayTuples(FILE* out, bool fill_align, const char* field_sep,
                               bool print_header) const
{
    PQprintOpt options{};
    options.header = print_header;
    options.align = fill_align;
    options.fieldSep = const_cast<char*>(field_sep);
    PQprint(out, pgResult, &options);
}

void PgDatabase::PrintTuples(FILE* out, bool print_att_name, bool terse_output) const
{
    PQprintOpt options{};
    options.header = print_att_name;
    options.align = true;
    options.standard = !terse_output;
    options.fieldSep = const_cast<char*>("|");
    PQprint(out, pgResult, &options);
}

int PgDatabase::GetLine(char* string, int length)
{
    return PQgetline(pgConn, string, length);
}

int PgDatabase::PutLine(const char* string)
{
    return PQputline(pgConn, string);
}

int PgDatabase::EndCopy()
{
    return PQendcopy(pgConn);
}

const char* PgDatabase::OidStatus() const
{
    return PQoidStatus(pgResult);
}
