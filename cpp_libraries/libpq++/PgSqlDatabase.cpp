#include "PgSqlDatabase.h"

#include <cstdlib>
#include <stdexcept>

#include "FormatString.h"

PgSqlDatabase::PgSqlDatabase(const std::string& conninfo) : PgDatabase(conninfo.c_str()) {}

PgSqlDatabase::PgSqlDatabase(PGconn* shared) : PgDatabase(shared) {}

PgSqlDatabase::~PgSqlDatabase() = default;

int PgSqlDatabase::CheckedColumn(const std::string& field_name) const
{
    int field_num = PgDatabase::FieldNum(field_name.c_str());
    if (field_num < 0)
        throw std::out_of_range(
            FormatString("PgSqlDatabase: no column \"%s\" in the result", field_name.c_str()));
    return field_num;
}

int PgSqlDatabase::CheckedColumn(int field_num) const
{
    if (field_num < 0 || field_num >= Fields())
        throw std::out_of_range(FormatString(
            "PgSqlDatabase: column %d out of range, the result has %d columns", field_num, Fields()));
    return field_num;
}

int PgSqlDatabase::CheckedRow(unsigned tup_num) const
{
    if (tup_num >= static_cast<unsigned>(Tuples()))
        throw std::out_of_range(FormatString(
            "PgSqlDatabase: row %u out of range, the result has %d rows", tup_num, Tuples()));
    return static_cast<int>(tup_num);
}

const char* PgSqlDatabase::Field(unsigned tup_num, int field_num) const
{
    return PgDatabase::GetValue(CheckedRow(tup_num), CheckedColumn(field_num));
}

std::string PgSqlDatabase::GetString(unsigned tup_num, const std::string& field_name) const
{
    return GetString(tup_num, CheckedColumn(field_name));
}

int PgSqlDatabase::GetInt(unsigned tup_num, const std::string& field_name) const
{
    return GetInt(tup_num, CheckedColumn(field_name));
}

float PgSqlDatabase::GetFloat(unsigned tup_num, const std::string& field_name) const
{
    return GetFloat(tup_num, CheckedColumn(field_name));
}

bool PgSqlDatabase::GetBool(unsigned tup_num, const std::string& field_name) const
{
    return GetBool(tup_num, CheckedColumn(field_name));
}

std::string PgSqlDatabase::GetString(unsigned tup_num, int field_num) const
{
    return Field(tup_num, field_num);
}

int PgSqlDatabase::GetInt(unsigned tup_num, int field_num) const
{
    return atoi(Field(tup_num, field_num));
}

float PgSqlDatabase::GetFloat(unsigned tup_num, int field_num) const
{
    return static_cast<float>(atof(Field(tup_num, field_num)));
}

bool PgSqlDatabase::GetBool(unsigned tup_num, int field_num) const
{
    return std::string(Field(tup_num, field_num)) == "t";
}

std::string PgSqlDatabase::ErrorMessage() const
{
    return PgConnection::ErrorMessage();
}

int PgSqlDatabase::ExecCommandOk(const std::string& query)
{
    return PgConnection::ExecCommandOk(query.c_str());
}

int PgSqlDatabase::ExecTuplesOk(const std::string& query)
{
    return PgConnection::ExecTuplesOk(query.c_str());
}

std::string PgSqlDatabase::FieldName(int field_num) const
{
    return PgDatabase::FieldName(CheckedColumn(field_num));
}

int PgSqlDatabase::FieldNum(const std::string& field_name) const
{
    return PgDatabase::FieldNum(field_name.c_str());
}

Oid PgSqlDatabase::FieldType(int field_num) const
{
    return PgDatabase::FieldType(field_num);
}

Oid PgSqlDatabase::FieldType(const std::string& field_name) const
{
    return PgDatabase::FieldType(field_name.c_str());
}

int PgSqlDatabase::FieldSize(int field_num) const
{
    return PgDatabase::FieldSize(field_num);
}

int PgSqlDatabase::FieldSize(const std::string& field_name) const
{
    return PgDatabase::FieldSize(field_name.c_str());
}

bool PgSqlDatabase::GetIsNull(unsigned tup_num, int field_num) const
{
    return PgDatabase::GetIsNull(CheckedRow(tup_num), CheckedColumn(field_num));
}

bool PgSqlDatabase::GetIsNull(unsigned tup_num, const std::string& field_name) const
{
    return GetIsNull(tup_num, CheckedColumn(field_name));
}

int PgSqlDatabase::GetLength(unsigned tup_num, int field_num) const
{
    return PgDatabase::GetLength(CheckedRow(tup_num), CheckedColumn(field_num));
}

int PgSqlDatabase::GetLength(unsigned tup_num, const std::string& field_name) const
{
    return GetLength(tup_num, CheckedColumn(field_name));
}

std::string PgSqlDatabase::GetValue(unsigned tup_num, int field_num) const
{
    return Field(tup_num, field_num);
}

std::string PgSqlDatabase::GetValue(unsigned tup_num, const std::string& field_name) const
{
    return GetValue(tup_num, CheckedColumn(field_name));
}

std::string PgSqlDatabase::DBName() const
{
    const char* name = PgConnection::DBName();
    return name ? name : "";
}

ExecStatusType PgSqlDatabase::Exec(const std::string& query)
{
    return PgConnection::Exec(query.c_str());
}

std::string PgSqlDatabase::OidStatus() const
{
    const char* status = PgDatabase::OidStatus();
    return status ? status : "";
}

int PgSqlDatabase::Socket() const
{
    return PQsocket(pgConn);
}
