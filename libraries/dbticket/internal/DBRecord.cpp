#include "DBRecord.h"

bool CheckUnique(DBObject& owner, const std::string& query, int entry, const std::string& id, const char* holder,
                 const char* holderColumn)
{
    bool unique = true;
    bool found = false;
    DBOperation(owner, DB_SITE(LogFamily::Spaced))
        .Exists(query, found,
                [&](PgSqlDatabase& db) {
                    if (db.GetInt(0, "entry_c") == entry)
                        return;
                    std::string text = AlreadyExists(id);
                    if (holder)
                        text += "\nID '" + id + "' is assigned to " + holder + " '" + db.GetString(0, holderColumn) +
                                "'.";
                    owner.ErrorMsg(text);
                    unique = false;
                },
                FailureReport::Silent());
    return unique;
}

bool CheckNumbers(const DBOperation& op, const std::vector<Bound>& numbers)
{
    for (const Bound& n : numbers) {
        if (!std::isfinite(n.value))
            return op.Refuse(n.name + " is not a number");
        if (n.value >= n.low && n.value <= n.high)
            continue;
        if (std::isinf(n.high))
            return op.Refuse(FormatString("%s must be %g or more, not %g", n.name.c_str(), n.low, n.value));
        return op.Refuse(FormatString("%s must be from %g to %g, not %g", n.name.c_str(), n.low, n.high, n.value));
    }
    return true;
}

bool LockRow(const DBOperation& op, const char* table, int entry, bool shared, bool* there)
{
    bool found = false;
    std::string sql = FormatString("SELECT entry_c FROM %s WHERE entry_c=%i FOR %s", table, entry,
                                   shared ? "SHARE" : "UPDATE");
    if (!op.Exists(sql, found))
        return false;
    if (there)
        *there = found;
    return found || there || op.Refuse(FormatString("%s entry %i not found", table, entry));
}

std::string AlreadyExists(const std::string& id)
{
    return "ID '" + id + "' already exists.  Please use a unique ID.";
}

bool SaveRow(const DBOperation& op, DBObject& owner, const std::string& sql, const std::string& id,
             FailureReport report)
{
    if (op.Run(DBOperation::Kind::Command, sql, nullptr, report))
        return true;
    if (op.Duplicate())
        owner.ErrorMsg(AlreadyExists(id));
    return false;
}

std::string SqlRow::Insert(const char* table) const
{
    std::string columns;
    std::string list;
    for (const auto& value : values) {
        columns += (columns.empty() ? "" : ",") + value.first;
        list += (list.empty() ? "" : ",") + value.second;
    }
    return std::string("INSERT INTO ") + table + "(" + columns + ") values(" + list + ")";
}

std::string SqlRow::Update(const char* table, const std::string& where) const
{
    std::string sql = std::string("UPDATE ") + table + " SET ";
    for (size_t i = 0; i < values.size(); ++i)
        sql += values[i].first + " = " + values[i].second + (i + 1 < values.size() ? ", " : " ");
    return sql + where;
}

std::string SqlRow::TicketUpdate(const char* table, const std::string& where) const
{
    std::string sql = std::string("UPDATE ") + table + " SET ";
    for (size_t i = 0; i < values.size(); ++i)
        sql += (i ? "," : "") + values[i].first + "=" + values[i].second;
    return sql + where;
}

std::tm LocalTime(std::time_t now)
{
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string ModifiedStamp(HourPad pad, std::time_t now)
{
    std::tm t = LocalTime(now);
    return FormatString(pad == HourPad::Blank ? "%02d-%02d-%02d %2d:%02d" : "%02d-%02d-%02d %02d:%02d",
                        t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min);
}
